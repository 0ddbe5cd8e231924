#include "ModalDialogDriver.h"

#include "app/Globals.h"
#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "device/DeviceCache.h"
#include "device/WorkingImage.h"
#include "ui/buttons/Buttoninterface.h"
#include "ui/home/Dialog.h"
#include "ui/light/LampLight.h"
#include "ui/macro/Macro.h"
#include "ui/sensor/Sensor.h"
#include "ui/settings/FormSetting.h"
#include "ui/settings/UpDataParam.h"

#include <HidSimControl.h>

#include <QFile>
#include <QLabel>
#include <QMutexLocker>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <cstring>
#include <functional>
#include <memory>

using hidsim::HidSimControl;

namespace {

// Stands in for the top window: records the keys the home page passes on.
class KeyRecorder : public QWidget
{
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent* e) override { keys << e->key(); }
};

// Emits on a thread of its own, as the device side does (the battery signal is
// a blocking connection), and serves the GUI thread meanwhile.
void emitFromThread(std::function<void()> emitter)
{
    std::unique_ptr<QThread> thread(QThread::create(std::move(emitter)));
    thread->start();
    while (!thread->wait(1))
        QCoreApplication::processEvents();
}

} // namespace

class tst_Dialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void startsOnTheButtonPage();
    void batteryDisplay_data();
    void batteryDisplay();
    void openedDeviceShowsNoLevelUntilItReports_data();
    void openedDeviceShowsNoLevelUntilItReports();
    void pageButtons_data();
    void pageButtons();
    void modelLayout_data();
    void modelLayout();
    void recordingLock();
    void leavingTheDevice();
    void leavingKeepsAStaleImageOutOfTheCache();
    void closeAndMinimise();
    void escapeAndF12AreSwallowed();
    void waitDialogKeepsTheRefreshFlag();

private:
    QToolButton* button(const char* name) const { return m_page->findChild<QToolButton*>(name); }
    QWidget* currentPage() const { return m_page->findChild<QStackedWidget*>("stackedWidgetDialog")->currentWidget(); }

    KeyRecorder* m_host = nullptr;
    Dialog* m_page = nullptr;
};

void tst_Dialog::initTestCase()
{
    AppPaths::setApplicationDirOverride(DESKLINK_APP_DIR);
    ConfigSettings::resetForTests();
    QVERIFY(HidSimControl::reset(R"({"vendorId": "3A7C", "mice": [], "receivers": []})"));
    m_host = new KeyRecorder;
    m_page = new Dialog(m_host);
    m_host->resize(m_page->size());
    m_host->move(100, 100);
    m_host->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_host));
}

void tst_Dialog::cleanupTestCase()
{
    delete m_host;
}

void tst_Dialog::init()
{
    HidSimControl::clearCallLog();
    g_MacroRecording = false;
}

void tst_Dialog::startsOnTheButtonPage()
{
    QVERIFY(qobject_cast<Buttoninterface*>(currentPage()));
    QVERIFY(button("ButtonMain")->isChecked());
    QVERIFY(m_page->findChild<QLabel*>("label")->isHidden());
    QVERIFY(m_page->findChild<QLabel*>("label_2")->isHidden());
    QVERIFY(m_page->findChild<QLabel*>("label_3")->isHidden());
    QCOMPARE(m_page->size(), QSize(1020, 700));
    QVERIFY(g_Worker);

    // Stack order: buttons, sensor, macros, lighting, settings.
    auto* stack = m_page->findChild<QStackedWidget*>("stackedWidgetDialog");
    QCOMPARE(stack->count(), 5);
    QVERIFY(qobject_cast<Buttoninterface*>(stack->widget(0)));
    QVERIFY(qobject_cast<Sensor*>(stack->widget(1)));
    QVERIFY(qobject_cast<Macro*>(stack->widget(2)));
    QVERIFY(qobject_cast<LampLight*>(stack->widget(3)));
    QVERIFY(qobject_cast<FormSetting*>(stack->widget(4)));
}

void tst_Dialog::batteryDisplay_data()
{
    QTest::addColumn<bool>("charging");
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("percent");
    QTest::addColumn<int>("bar");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("fill");

    const QString red = "rgb(152,43,34)";
    const QString green = "rgb(0,255,153)";
    // Each row follows a report of 50 % while charging.
    QTest::newRow("15 is low") << false << 15 << true << 15 << "15%" << red;
    QTest::newRow("16 is not") << false << 16 << true << 16 << "16%" << green;
    QTest::newRow("full with percent") << false << 100 << true << 100 << "100%" << green;
    QTest::newRow("full without percent") << false << 100 << false << 100 << "100" << green;
    QTest::newRow("charging stays shown") << true << 70 << true << 70 << "70%" << green;
    QTest::newRow("empty") << false << 0 << true << 0 << "0%" << red;
    QTest::newRow("above range: bar unchanged") << false << 150 << true << 50 << "150%" << green;
    QTest::newRow("below range: bar unchanged") << false << -3 << false << 50 << "-3" << red;
}

void tst_Dialog::batteryDisplay()
{
    QFETCH(bool, charging);
    QFETCH(int, level);
    QFETCH(bool, percent);
    QFETCH(int, bar);
    QFETCH(QString, text);
    QFETCH(QString, fill);

    auto* chargeSymbol = m_page->findChild<QLabel*>("label");
    auto* progress = m_page->findChild<QProgressBar*>("progressBar");
    emitFromThread([] { PostMsg::GetInstance()->PostBattery(true, 50, true); });
    QVERIFY(!chargeSymbol->isHidden());

    emitFromThread([=] { PostMsg::GetInstance()->PostBattery(charging, level, percent); });
    QCOMPARE(chargeSymbol->isHidden(), !charging);
    QCOMPARE(progress->value(), bar);
    QCOMPARE(m_page->findChild<QLabel*>("label_2")->text(), text);
    QVERIFY2(progress->styleSheet().contains("::chunk{background-color:" + fill), qPrintable(progress->styleSheet()));
    QVERIFY(m_page->findChild<QLabel*>("label_2")->isHidden());
}

void tst_Dialog::openedDeviceShowsNoLevelUntilItReports_data()
{
    QTest::addColumn<bool>("charging");  // the previous device's last report
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("modelIndex");  // of the device opened next

    QTest::newRow("charging, then a model without lighting") << true << 40 << 1;
    QTest::newRow("low, then a model with lighting") << false << 10 << 0;
    QTest::newRow("full, then the same model") << false << 100 << 0;
}

// Opening a device clears what the device before it reported: a mouse that is
// switched off never reports, and must not show another mouse's battery.
void tst_Dialog::openedDeviceShowsNoLevelUntilItReports()
{
    QFETCH(bool, charging);
    QFETCH(int, level);
    QFETCH(int, modelIndex);
    auto* chargeSymbol = m_page->findChild<QLabel*>("label");
    auto* progress = m_page->findChild<QProgressBar*>("progressBar");
    emitFromThread([=] { PostMsg::GetInstance()->PostBattery(charging, level, true); });
    QCOMPARE(progress->value(), level);

    PostMsg::GetInstance()->PostMouseIndex(modelIndex);
    QVERIFY(chargeSymbol->isHidden());
    QVERIFY2(progress->value() < progress->minimum(), qPrintable(QString::number(progress->value())));
    QCOMPARE(m_page->findChild<QLabel*>("label_2")->text(), QString());

    emitFromThread([] { PostMsg::GetInstance()->PostBattery(false, 70, true); });
    QCOMPARE(progress->value(), 70);
    QCOMPARE(m_page->findChild<QLabel*>("label_2")->text(), QString("70%"));
}

void tst_Dialog::pageButtons_data()
{
    QTest::addColumn<QString>("buttonName");
    QTest::addColumn<QString>("pageClass");
    QTest::addColumn<int>("macroButtonRebuilds");

    QTest::newRow("sensor") << "SensorButton" << "Sensor" << 0;
    QTest::newRow("macros") << "MacroButton" << "Macro" << 0;
    QTest::newRow("lighting") << "LightsButton" << "LampLight" << 0;
    QTest::newRow("settings") << "FormSetting" << "FormSetting" << 0;
    QTest::newRow("buttons") << "ButtonMain" << "Buttoninterface" << 1;
}

void tst_Dialog::pageButtons()
{
    QFETCH(QString, buttonName);
    QFETCH(QString, pageClass);
    QFETCH(int, macroButtonRebuilds);

    QSignalSpy rebuilds(PostMsg::GetInstance(), &PostMsg::SigAddMacroButton);
    QToolButton* b = button(buttonName.toLatin1().constData());
    QTest::mouseClick(b, Qt::LeftButton);
    QCOMPARE(QString(currentPage()->metaObject()->className()), pageClass);
    QCOMPARE(rebuilds.count(), macroButtonRebuilds);

    // Exactly one page button carries the mark.
    int checked = 0;
    for (const char* name : {"ButtonMain", "SensorButton", "MacroButton", "LightsButton", "FormSetting"})
        checked += button(name)->isChecked() ? 1 : 0;
    QCOMPARE(checked, 1);
    QVERIFY(b->isChecked());
}

void tst_Dialog::modelLayout_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("lightsShown");
    QTest::addColumn<QString>("buttonPagePicture");

    const int pictureOf[] = {0, 4, 5, 6, 7, 8, 9};
    for (int i : {1, 2, 4, 5, 6})
        QTest::addRow("model %d hides the lighting button", i) << i << false
                                                               << QString("mouse%1.png").arg(pictureOf[i]);
    for (int i : {0, 3})
        QTest::addRow("model %d keeps it", i) << i << true << QString("mouse%1.png").arg(pictureOf[i]);
    // Indexes without a layout leave the picture of the model before (2).
    for (int i : {7, -1})
        QTest::addRow("model %d keeps it", i) << i << true << QString("mouse5.png");
}

void tst_Dialog::modelLayout()
{
    QFETCH(int, index);
    QFETCH(bool, lightsShown);
    QFETCH(QString, buttonPagePicture);

    // From the other layout each time, so that every row changes something.
    PostMsg::GetInstance()->PostMouseIndex(lightsShown ? 2 : 0);
    PostMsg::GetInstance()->PostMouseIndex(index);

    QCOMPARE(button("LightsButton")->isHidden(), !lightsShown);
    QCOMPARE(m_page->findChild<QFrame*>("line_6")->isHidden(), !lightsShown);
    QCOMPARE(button("FormSetting")->pos(), QPoint(lightsShown ? 545 : 470, 60));
    QCOMPARE(button("LightsButton")->pos(), QPoint(470, 60));

    // The button page shows the model, and its six markers keep their own look.
    auto* buttonPage = m_page->findChild<Buttoninterface*>();
    const QString holderSheet = buttonPage->findChild<QWidget*>("widget")->styleSheet();
    QVERIFY2(holderSheet.contains("/" + buttonPagePicture), qPrintable(holderSheet));
    for (int n = 1; n <= 6; ++n) {
        const QString marker = buttonPage->findChild<QToolButton*>(QString("Number%1").arg(n))->styleSheet();
        QVERIFY2(marker.contains("NumberOrigin.png"), qPrintable(QString("Number%1: %2").arg(n).arg(marker)));
    }
}

void tst_Dialog::recordingLock()
{
    const char* names[] = {"ButtonMain", "SensorButton", "MacroButton", "LightsButton", "FormSetting"};
    auto allEnabled = [&](bool enabled) {
        for (const char* n : names) {
            if (button(n)->isEnabled() != enabled)
                return false;
        }
        return true;
    };

    PostMsg::GetInstance()->PostStartRecord(0);
    QVERIFY(allEnabled(false));
    PostMsg::GetInstance()->PostStartRecord(2);
    QVERIFY(allEnabled(false));
    PostMsg::GetInstance()->PostStartRecord(1);
    QVERIFY(allEnabled(true));
    PostMsg::GetInstance()->PostStartRecord(2);
    QVERIFY(allEnabled(true));

    // A recording still running when the device is left: the back arrow unlocks.
    PostMsg::GetInstance()->PostStartRecord(0);
    g_MacroRecording = true;
    m_page->on_UpArrow_clicked();
    QVERIFY(allEnabled(true));
    QVERIFY(!g_MacroRecording);
}

void tst_Dialog::leavingTheDevice()
{
    const QString name = DeviceCacheFileName(0x33, 0x10);
    QFile::remove(DeviceCacheFilePath(name));
    FlashDataMap image;
    std::memset(&image, 0, sizeof image);
    reinterpret_cast<unsigned char*>(&image)[0] = 0x08;
    reinterpret_cast<unsigned char*>(&image)[sizeof image - 1] = 0x5A;
    replaceFlashData(image);
    {
        QMutexLocker lock(&g_FlashDataMutex);
        g_FlashDataFile = name;
        WorkingImage::setCurrentLocked(true);
    }
    QTest::mouseClick(button("SensorButton"), Qt::LeftButton);

    // What had happened when the top window was asked for the list.
    QStringList callsAtSwitch;
    bool cachedAtSwitch = false;
    bool homeCheckedAtSwitch = false;
    QStringList order;
    PostMsg* bus = PostMsg::GetInstance();
    QObject scope;  // the connections end with this test, even when a check fails
    connect(bus, &PostMsg::SigChangeMainDialog, &scope, [&](int page) {
        order << QString("SigChangeMainDialog(%1)").arg(page);
        for (const hidsim::CallRecord& r : HidSimControl::callLog())
            callsAtSwitch << r.function + "(" + r.arguments + ")";
        FlashDataMap cached;
        cachedAtSwitch = LoadDeviceCache(name, &cached) && std::memcmp(&cached, &image, sizeof image) == 0;
        homeCheckedAtSwitch = button("ButtonMain")->isChecked();
    });
    connect(bus, &PostMsg::SigSetMacroPage, &scope, [&] { order << "SigSetMacroPage"; });

    QTest::mouseClick(button("UpArrow"), Qt::LeftButton);

    QCOMPARE(order, QStringList({"SigChangeMainDialog(0)", "SigSetMacroPage"}));
    QCOMPARE(callsAtSwitch.filter("UsbServer_").join(' '),
             QString("UsbServer_SetPCDriverStatus(0) UsbServer_Exit()"));
    QVERIFY(cachedAtSwitch);
    QVERIFY(homeCheckedAtSwitch);

    // The top window's return to the list resets the page to the button page.
    bus->PostSecondPageChange();
    QVERIFY(qobject_cast<Buttoninterface*>(currentPage()));
}

void tst_Dialog::leavingKeepsAStaleImageOutOfTheCache()
{
    // A device that was opened but never read: the working image is another
    // device's (here: the one left before) and must not be stored.
    const QString name = DeviceCacheFileName(0x33, 0x11);
    QFile::remove(DeviceCacheFilePath(name));
    {
        QMutexLocker lock(&g_FlashDataMutex);
        g_FlashDataFile = name;
        WorkingImage::setCurrentLocked(false);
    }
    m_page->on_UpArrow_clicked();
    m_page->on_CloseButton_clicked();
    QVERIFY(!QFile::exists(DeviceCacheFilePath(name)));
}

void tst_Dialog::closeAndMinimise()
{
    QSignalSpy size(PostMsg::GetInstance(), &PostMsg::SigChangeSize);
    const QString name = DeviceCacheFileName(0x33, 0x12);
    QFile::remove(DeviceCacheFilePath(name));
    {
        QMutexLocker lock(&g_FlashDataMutex);
        g_FlashDataFile = name;
        WorkingImage::setCurrentLocked(true);
    }
    QTest::mouseClick(button("MinButton"), Qt::LeftButton);
    QTest::mouseClick(button("CloseButton"), Qt::LeftButton);
    QCOMPARE(size.count(), 2);
    QCOMPARE(size.at(0).at(0).toInt(), 0);
    QCOMPARE(size.at(1).at(0).toInt(), 1);
    QVERIFY(QFile::exists(DeviceCacheFilePath(name)));
}

void tst_Dialog::escapeAndF12AreSwallowed()
{
    m_host->keys.clear();
    QTest::keyClick(m_page, Qt::Key_Escape);
    QTest::keyClick(m_page, Qt::Key_F12);
    QTest::keyClick(m_page, Qt::Key_A);
    QCOMPARE(m_host->keys, QList<int>({Qt::Key_A}));
    QVERIFY(m_host->isVisible());
}

void tst_Dialog::waitDialogKeepsTheRefreshFlag()
{
    UpDataParam* wait = m_page->waitDialog();
    QVERIFY(!wait->waitForPages);
    const QPoint pageTopLeft = m_page->mapToGlobal(QPoint(0, 0));
    const QPoint expected(pageTopLeft.x() + (1020 - wait->width()) / 2,
                          pageTopLeft.y() - 20 + (700 - wait->height()) / 2);

    for (int refresh : {1, 0}) {
        QPoint shownAt;
        bool flagWhileShown = false;
        QTimer probe;
        connect(&probe, &QTimer::timeout, this, [&] {
            if (wait->isVisible()) {
                shownAt = wait->pos();
                flagWhileShown = wait->waitForPages;
            }
        });
        probe.start(5);
        // Returns when the dialog has done its work and closed itself.
        m_page->SlotUpDataParam(refresh);
        QVERIFY(!wait->isVisible());
        QCOMPARE(shownAt, expected);
        QVERIFY(flagWhileShown);
    }
}

QTEST_MAIN(tst_Dialog)
#include "tst_dialog.moc"
