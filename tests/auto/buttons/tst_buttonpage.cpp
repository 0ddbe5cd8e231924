// The button page against virtual mice with the shipped catalogue, sensor table
// and language files: what each image shows on the six selectors, the record the
// page keeps, the debounce frame, the language relabel, the model picture and
// the navigation by mouse presses.

#include "DeviceLinkFixture.h"
#include "ModalDialogDriver.h"
#include "ImageBytes.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "device/AnnotatedMutexLocker.h"
#include "device/DeviceCache.h"
#include "device/WorkingImage.h"
#include "ui/buttons/Buttoninterface.h"
#include "ui/buttons/Ui_Buttoninterface.h"
#include "ui/macro/MacroFolder.h"
#include "ui/sensor/DebounceTime.h"
#include "ui/sensor/MyConmboBox.h"

#include <HIDUsb.h>
#include <HidSimControl.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStackedWidget>
#include <QThread>
#include <QToolButton>
#include <QtTest>

#include <memory>

using hidsim::HidSimControl;

namespace {

const char kScenario[] = R"({ "vendorId": "3A7C", "mice": [
  {"id":"m7","cid":51,"mid":7,"usbPid":"0A01","receiverKind":0,"cable":true,"pairedTo":""},
  {"id":"m8","cid":51,"mid":8,"usbPid":"0A01","receiverKind":1,"cable":false,"pairedTo":"r8"},
  {"id":"m12","cid":51,"mid":12,"usbPid":"0A01","receiverKind":1,"cable":false,"pairedTo":"r12"},
  {"id":"m17","cid":51,"mid":17,"usbPid":"0A02","receiverKind":8,"cable":false,"pairedTo":"r17"},
  {"id":"m30","cid":51,"mid":30,"usbPid":"0A01","receiverKind":1,"cable":false,"pairedTo":"r30"}],
 "receivers": [
  {"id":"r8","kind":1,"address":"1C0801","plugged":true},
  {"id":"r12","kind":1,"address":"1C1201","plugged":true},
  {"id":"r17","kind":8,"address":"8C1708","plugged":true},
  {"id":"r30","kind":1,"address":"1C3001","plugged":true}] })";

// Selectors top to bottom.
const char* const kSelectors[6] = {"FireKey", "RightKey", "BackKey", "StartPause", "TopMusic", "BackMusic"};

QString mouseOf(const QString& listed)
{
    return listed.startsWith('r') ? "m" + listed.mid(1) : listed;
}

// Patch of one button mapping (device index i).
QList<int> mapping(int i, int type, int code, int param = 0)
{
    return {74 + 3 * i, type, 75 + 3 * i, code, 76 + 3 * i, param};
}

// Patch of a key-event record: its count byte and events as (up, kind, code).
QList<int> keyRecord(int i, int count, const QList<QList<int>>& events)
{
    const int base = 124 + 52 * i;
    QList<int> patch = {base, count};
    for (int e = 0; e < events.size(); ++e) {
        const int at = base + 4 + 8 * e;
        patch << at << events[e][0] << at + 1 << events[e][1] << at + 2 << (events[e][2] & 0xFF) << at + 3
              << (events[e][2] >> 8) << at + 4 << 10;
    }
    return patch;
}

// Patch of a macro record's length byte and name bytes.
QList<int> macroName(int i, int length, const QByteArray& name)
{
    const int base = 956 + 592 * i;
    QList<int> patch = {base, length};
    for (int k = 0; k < name.size(); ++k)
        patch << base + 1 + k << uchar(name[k]);
    return patch;
}

int sends()
{
    return DeviceLinkFixture::callCount("ProtocolDataUpdate");
}

// Where the page puts its dialogs: centred on the page, 50 to the left and 70 up.
QPoint dialogPlace(const QWidget* page, const QSize& dialog)
{
    return page->mapToGlobal(QPoint(0, 0))
           + QPoint((page->width() - dialog.width()) / 2 - 50, (page->height() - dialog.height()) / 2 - 70);
}

} // namespace

class tst_ButtonPage : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void labelsShowTheMouse_data();
    void labelsShowTheMouse();
    void wiredMouseWithFiveButtons();
    void rowTheModelLacks_data();
    void rowTheModelLacks();
    void dpiCodes_data();
    void dpiCodes();
    void formReset();
    void debounceFrame();
    void languageRelabels_data();
    void languageRelabels();
    void modelPicture_data();
    void modelPicture();
    void pressesBesideTheLists_data();
    void pressesBesideTheLists();
    void categoriesOpenTheirPage_data();
    void categoriesOpenTheirPage();
    void listButtonsTakeTheListStyle();

    void selectionOpensTheCurrentFunction_data();
    void selectionOpensTheCurrentFunction();
    void lastLeftClickIsKept_data();
    void lastLeftClickIsKept();
    void simpleFunctions_data();
    void simpleFunctions();
    void dpiLocks_data();
    void dpiLocks();
    void multimediaKeys_data();
    void multimediaKeys();
    void fireKey_data();
    void fireKey();
    void fireDoubleClickWritesTheRememberedValues_data();
    void fireDoubleClickWritesTheRememberedValues();
    void combinationKeys_data();
    void combinationKeys();
    void macroButton_data();
    void macroButton();
    void storedDefaults_data();
    void storedDefaults();
    void offlineChangesNothing_data();
    void offlineChangesNothing();
    void refusedDebounceShowsWhatTheMouseHolds();

private:
    // Links the listed device, gives its mouse `patch` over its own image and
    // builds the page in English.
    bool link(const QString& listed, const QList<int>& patch = {});
    // Hands the mouse's image to the page as the device link does: from another
    // thread over the blocking connection.
    void deliverMouseImage();
    QString label(int position) const { return m_page->form()->button(kSelectors[position])->text(); }
    QStringList labels() const
    {
        QStringList out;
        for (int i = 0; i < 6; ++i)
            out << label(i);
        return out;
    }
    QByteArray mouseImage() const { return HidSimControl::configImage(m_mouse); }
    // The three mapping bytes of device button i in the mouse.
    QList<int> mouseMapping(int i) const
    {
        const QByteArray image = mouseImage();
        return {uchar(image[74 + 3 * i]), uchar(image[75 + 3 * i]), uchar(image[76 + 3 * i])};
    }
    QToolButton* button(const QString& name) const { return m_page->form()->button(name); }
    // A person's click on a selector, then on the category that shows `function` and on it.
    void choose(int position, const QString& function);
    static QString text(int language, int position)
    {
        return LanguageTables::text(LanguageSection::Buttoninterface, language, position);
    }

    DeviceLinkFixture m_fixture;
    std::unique_ptr<Buttoninterface> m_page;
    QString m_mouse;
};

void tst_ButtonPage::init()
{
    QVERIFY(m_fixture.setUpShipped(QByteArray(kScenario)));
    g_UiReady = true;
}

void tst_ButtonPage::cleanup()
{
    m_page.reset();
    m_fixture.tearDown();
    LanguageTables::clear();
    g_SelectedFlashDataFile.clear();
}

bool tst_ButtonPage::link(const QString& listed, const QList<int>& patch)
{
    // The page exists before any device is opened, as in the program.
    m_page.reset(new Buttoninterface);
    m_page->SlotAllLanguage(0);
    m_page->show();
    m_mouse = mouseOf(listed);
    if (!m_fixture.linkWithoutReports(listed, m_mouse))
        return false;
    if (!DeviceLinkFixture::sendPatchedImage(m_mouse, patch))
        return false;
    DeviceLinkFixture::clearCalls();
    return true;
}

void tst_ButtonPage::deliverMouseImage()
{
    QVERIFY(DeviceLinkFixture::postButtonImage(m_mouse));
}

// ---- Showing an image ----

void tst_ButtonPage::labelsShowTheMouse_data()
{
    QTest::addColumn<QString>("listed");
    QTest::addColumn<QList<int>>("patch");   // put on the mouse beforehand
    QTest::addColumn<QStringList>("shown");  // selectors top to bottom

    // Device buttons 0, 1, 2, 4, 3, 5 stand top to bottom. Before the image the
    // selectors read Left, Right, Middle, Forward, Back button and DPI loop.
    QTest::newRow("mouse clicks; an unknown code keeps the label")
        << "r8" << (mapping(0, 1, 16) + mapping(1, 1, 8) + mapping(2, 1, 4) + mapping(3, 1, 2) + mapping(4, 1, 1)
                    + mapping(5, 1, 3))
        << QStringList{"Forward button", "Back button", "Middle button", "Left button", "Right button", "DPI loop"};
    QTest::newRow("DPI steps and scrolls")
        << "r8" << (mapping(0, 2, 1) + mapping(1, 2, 2) + mapping(2, 2, 3) + mapping(3, 3, 1) + mapping(4, 3, 2)
                    + mapping(5, 11, 2))
        << QStringList{"DPI loop", "DPI+", "DPI-", "Scroll right", "Scroll left", "Scroll down"};
    QTest::newRow("lights, report rate, profile")
        << "r8" << (mapping(0, 8, 0) + mapping(1, 8, 1) + mapping(2, 8, 3) + mapping(3, 8, 4) + mapping(4, 7, 0)
                    + mapping(5, 9, 0))
        << QStringList{"All lights on/off", "DPI light on/off", "Light bar on/off", "Switch report rate",
                       "Next light effect", "Switch profile"};
    QTest::newRow("fire, nothing, scroll up; light code 2 and type 12 keep their label")
        << "r8" << (mapping(0, 4, 10, 3) + mapping(1, 0, 0) + mapping(2, 8, 2) + mapping(3, 4, 255, 0)
                    + mapping(4, 12, 1) + mapping(5, 11, 1))
        << QStringList{"Rapid fire", "Disabled", "Middle button", "Forward button", "Rapid fire", "Scroll up"};
    QTest::newRow("DPI lock, 100-DPI sensor with a code table")
        << "r30" << (mapping(0, 10, 0x00) + mapping(1, 10, 0x0B) + mapping(2, 10, 0x7F) + mapping(3, 10, 200)
                     + mapping(4, 10, 0x03) + mapping(5, 10, 0x07))
        << QStringList{"DPI lock-100", "DPI lock-1200", "DPI lock-12800", "DPI lock-400", "DPI lock-0",
                       "DPI lock-800"};
    QTest::newRow("DPI lock, 50-DPI sensor by the code formula")
        << "r8" << (mapping(0, 10, 1) + mapping(1, 10, 23) + mapping(2, 10, 15) + mapping(3, 10, 0)
                    + mapping(4, 10, 255) + mapping(5, 10, 5))
        << QStringList{"DPI lock-100", "DPI lock-1200", "DPI lock-800", "DPI lock-12800", "DPI lock-50",
                       "DPI lock-300"};
    QTest::newRow("DPI lock, 50-DPI sensor with a code table")
        << "r12" << (mapping(0, 10, 17) + mapping(1, 10, 39) + mapping(2, 10, 15) + mapping(3, 10, 16)
                     + mapping(4, 10, 255) + mapping(5, 10, 0))
        << QStringList{"DPI lock-100", "DPI lock-1200", "DPI lock-0", "DPI lock-12000", "DPI lock-50",
                       "DPI lock-0"};
    QTest::newRow("multimedia keys, a combination, an unknown usage, a count of 200")
        << "r8" << (mapping(0, 5, 0) + keyRecord(0, 2, {{0, 2, 0x00B5}, {1, 2, 0x00B5}})
                    + mapping(1, 5, 0) + keyRecord(1, 2, {{0, 2, 0x0183}, {1, 2, 0x0183}})
                    + mapping(2, 5, 0) + keyRecord(2, 4, {{0, 0, 1}, {0, 1, 4}, {1, 1, 4}, {1, 0, 1}})
                    + mapping(3, 5, 0) + keyRecord(3, 2, {{0, 2, 0x0199}, {1, 2, 0x0199}})
                    + mapping(4, 5, 0)
                    + keyRecord(4, 200, {{0, 1, 4}, {0, 1, 5}, {0, 1, 6}, {1, 1, 6}, {1, 1, 5}, {1, 1, 4}})
                    + mapping(5, 5, 0) + keyRecord(5, 2, {{0, 2, 0x0123}, {1, 2, 0x0123}}))
        << QStringList{"Next track", "Media player", "Ctrl+A", "A+B+C+C+B+A", "Back button", "Browser home"};
    QTest::newRow("macros; a type without a row; a key record of one event")
        << "r8" << (mapping(0, 6, 0, 1) + macroName(0, 3, "abc") + mapping(1, 6, 1, 2)
                    + macroName(1, 30, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123") + mapping(2, 6, 2, 1)
                    + macroName(2, 9, QByteArray("hello\0xyz", 9)) + mapping(3, 6, 3, 1)
                    + macroName(3, 6, QString::fromUtf8("宏一").toUtf8()) + mapping(4, 99, 0)
                    + mapping(5, 5, 0) + keyRecord(5, 1, {{0, 1, 4}}))
        << QStringList{"Macro: abc", "Macro: ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", "Macro: hello", "Forward button",
                       QString::fromUtf8("Macro: 宏一"), ""};
}

void tst_ButtonPage::labelsShowTheMouse()
{
    QFETCH(QString, listed);
    QFETCH(QList<int>, patch);
    QFETCH(QStringList, shown);
    QVERIFY(link(listed, patch));
    const QByteArray before = mouseImage();

    deliverMouseImage();

    QCOMPARE(labels(), shown);
    QVERIFY(g_ButtonPageApplied);
    QVERIFY(!g_ButtonPageFilling);
    QCOMPARE(sends(), 0);
    QCOMPARE(mouseImage(), before);
    // The record follows the mouse's mappings.
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(m_page->recordedType(i), int(uchar(before[74 + 3 * i])));
        QCOMPARE(m_page->recordedCode(i), int(uchar(before[75 + 3 * i])));
        QCOMPARE(m_page->recordedParam(i), int(uchar(before[76 + 3 * i])));
    }
}

void tst_ButtonPage::wiredMouseWithFiveButtons()
{
    // The wired sample model lists five buttons; its sixth selector still has
    // an entry, which reads as a type without a row.
    m_page.reset(new Buttoninterface);
    m_page->SlotAllLanguage(0);
    for (int i = -1; i <= 16; ++i)
        QCOMPARE(m_page->recordedType(i), -1);

    QVERIFY(m_fixture.openDevice("m7"));
    QVERIFY(QTest::qWaitFor([&] { return g_ButtonPageApplied.load(); }, 5000));
    QCOMPARE(m_page->recordSize(), 6);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(m_page->recordedType(i), 1);
    QCOMPARE(m_page->recordedType(5), -1);
    QCOMPARE(m_page->recordedType(6), -1);
    m_mouse = "m7";
    QCOMPARE(labels(), QStringList({"Left button", "Right button", "Middle button", "Forward button",
                                    "Back button", "DPI loop"}));
    m_page->RecordAssignment(5, 2, 3, 0);
    QCOMPARE(m_page->recordedCode(5), 3);
    m_page->RecordAssignment(16, 1, 1, 0);  // outside the image: ignored
    QCOMPARE(m_page->recordSize(), 6);
}

void tst_ButtonPage::rowTheModelLacks_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<bool>("reset");  // m7 comes without an image: the page resets
    QTest::newRow("English, m7's image") << 0 << false;
    QTest::newRow("German, m7's image") << 1 << false;
    QTest::newRow("Traditional Chinese, m7's image") << 8 << false;
    QTest::newRow("English, no image of m7") << 0 << true;
}

// m7 has five buttons. Its sixth row stands for no button of it: it reads the
// row's own caption, never the function the previous mouse's sixth button held,
// and is no longer the chosen row.
void tst_ButtonPage::rowTheModelLacks()
{
    QFETCH(int, language);
    QFETCH(bool, reset);
    QVERIFY(link("r8", mapping(5, 2, 2)));
    m_page->SlotAllLanguage(language);
    deliverMouseImage();
    const QString dpiUp = button("VolumeUp_9")->text();
    QCOMPARE(label(5), dpiUp);
    button("BackMusic")->click();
    QVERIFY(button("BackMusic")->isChecked());

    QVERIFY(m_fixture.linkWithoutReports("m7", "m7"));
    m_mouse = "m7";
    if (reset) {
        QThread* sender = QThread::create([] { PostMsg::GetInstance()->PostFormReset(); });
        sender->start();
        QVERIFY(QTest::qWaitFor([sender] { return sender->isFinished(); }, 5000));
        delete sender;
    } else {
        deliverMouseImage();
        for (int i = 0; i < 5; ++i)
            QCOMPARE(label(i), text(language, 4 + i));
    }
    QCOMPARE(label(5), text(language, 9));
    QVERIFY(!button("BackMusic")->isChecked());
    QCOMPARE(m_page->form()->stackedWidget->currentWidget(), m_page->form()->page);
    QCOMPARE(m_page->recordedType(5), reset ? 2 : -1);
}

void tst_ButtonPage::dpiCodes_data()
{
    QTest::addColumn<QString>("listed");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("code");   // DpiToCode(dpi)
    QTest::addColumn<int>("shown");  // CodeToDpi(code)

    QTest::newRow("OTS12 400") << "r30" << 400 << 3 << 400;
    QTest::newRow("OTS12 1200") << "r30" << 1200 << 11 << 1200;
    QTest::newRow("OTS12 off the table") << "r30" << 150 << 3 << 400;
    QTest::newRow("OTS24 100") << "r12" << 100 << 17 << 100;
    QTest::newRow("OTS24 off the table") << "r12" << 125 << 2 << 0;
    QTest::newRow("3950 formula 1200") << "r8" << 1200 << 23 << 1200;
    QTest::newRow("3950 formula 100") << "r8" << 100 << 1 << 100;
}

void tst_ButtonPage::dpiCodes()
{
    QFETCH(QString, listed);
    QFETCH(int, dpi);
    QFETCH(int, code);
    QFETCH(int, shown);
    QVERIFY(link(listed));
    QCOMPARE(m_page->CodeToDpi(23), 1200);  // no sensor name before the first image: the formula
    deliverMouseImage();
    QCOMPARE(m_page->DpiToCode(dpi), code);
    QCOMPARE(m_page->CodeToDpi(code), shown);
}

void tst_ButtonPage::formReset()
{
    QVERIFY(link("r8", mapping(4, 6, 4, 1) + macroName(4, 3, "abc") + QList<int>{6, 3}));
    deliverMouseImage();
    QCOMPARE(label(3), QString("Macro: abc"));
    QList<int> lightToFrom;
    QObject listener;
    connect(PostMsg::GetInstance(), &PostMsg::SigLightToFrom, &listener, [&](int s) { lightToFrom << s; });
    m_page->form()->stackedWidget->setCurrentIndex(1);
    m_page->form()->stackedWidget_2->setCurrentIndex(3);

    QThread* sender = QThread::create([] { PostMsg::GetInstance()->PostFormReset(); });
    sender->start();
    QVERIFY(QTest::qWaitFor([sender] { return sender->isFinished(); }, 5000));
    delete sender;

    QCOMPARE(label(3), QString("Macro: abc"));  // labels stay
    const int defaults[6][3] = {{1, 1, 0}, {1, 2, 0}, {1, 4, 0}, {1, 8, 0}, {1, 16, 0}, {2, 1, 0}};
    QCOMPARE(m_page->recordSize(), 6);
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(m_page->recordedType(i), defaults[i][0]);
        QCOMPARE(m_page->recordedCode(i), defaults[i][1]);
        QCOMPARE(m_page->recordedParam(i), defaults[i][2]);
    }
    QCOMPARE(m_page->form()->DebunceButton->chooser()->currentIndex(), 8);
    QCOMPARE(lightToFrom, QList<int>({60}));
    QCOMPARE(m_page->form()->stackedWidget->currentIndex(), 0);
    QCOMPARE(m_page->form()->stackedWidget_2->currentWidget(), m_page->form()->page_9);
    QCOMPARE(sends(), 0);
    QVERIFY(!g_ButtonPageFilling);
}

void tst_ButtonPage::debounceFrame()
{
    QVERIFY(link("r8", {6, 5, 8, 6}));
    QList<int> lightToFrom;
    QObject listener;
    connect(PostMsg::GetInstance(), &PostMsg::SigLightToFrom, &listener, [&](int s) { lightToFrom << s; });
    deliverMouseImage();
    DebounceTime* frame = m_page->form()->DebunceButton;
    QCOMPARE(frame->parentWidget(), m_page->form()->groupBox_2);
    QCOMPARE(m_page->form()->groupBox_2->parentWidget(), m_page->form()->page_9);
    QCOMPARE(frame->chooser()->currentIndex(), 5);
    QCOMPARE(frame->chooser()->currentText(), QString("5ms"));
    QCOMPARE(lightToFrom, QList<int>({60}));
    QCOMPARE(sends(), 0);  // a fill writes nothing

    frame->chooser()->setCurrentIndex(12);  // the person's choice
    QVERIFY(QTest::qWaitFor([&] { return uchar(mouseImage()[6]) == 12; }, 3000));
    QProcess tool;
    tool.start(QStringLiteral(DESKLINK_APP_DIR) + "/hidsimctl", {"dump", m_mouse, "6", "1"});
    QVERIFY(tool.waitForFinished(10000));
    QCOMPARE(QString::fromLatin1(tool.readAllStandardOutput()), QString("0c\n"));
}

// ---- Language ----

void tst_ButtonPage::languageRelabels_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<bool>("online");
    QTest::addColumn<bool>("current");  // the working image is the open mouse's
    QTest::addColumn<bool>("fromWorking");

    QTest::newRow("German, online: the working image") << 1 << true << true << true;
    QTest::newRow("Traditional Chinese, offline: the cache") << 8 << false << true << false;
    QTest::newRow("English, working image of another device: the cache") << 0 << true << false << false;
}

void tst_ButtonPage::languageRelabels()
{
    QFETCH(int, language);
    QFETCH(bool, online);
    QFETCH(bool, current);
    QFETCH(bool, fromWorking);
    // The cache holds the factory functions, the working image others.
    QVERIFY(link("r8"));
    const DeviceAllInfo device = currentDeviceCopy();
    g_SelectedFlashDataFile = DeviceCacheFileName(device.cid, device.mid);
    SaveDeviceCache(g_SelectedFlashDataFile, currentFlashData());
    {
        AnnotatedMutexLocker lock(g_FlashDataMutex);
        g_FlashData.buttons[0] = ButtonMapping{10, 7, 0};   // 400 DPI lock
        g_FlashData.buttons[4] = ButtonMapping{8, 3, 0};    // light bar
        g_FlashData.buttons[5] = ButtonMapping{11, 2, 0};   // scroll down
    }
    m_page->SlotUpDataConfigUI(3, 1, true);
    g_DeviceOnline = online;
    WorkingImage::setCurrent(current);
    DeviceLinkFixture::clearCalls();
    QSignalSpy changed(m_page->form()->ProjectChoose, SIGNAL(currentIndexChanged(int)));

    m_page->SlotAllLanguage(language);

    // Selectors: 0, 1, 2, 4, 3, 5 top to bottom.
    const QStringList expected = fromWorking
        ? QStringList{text(language, 21) + "-400", text(language, 5), text(language, 6), text(language, 41),
                      text(language, 8), text(language, 47)}
        : QStringList{text(language, 4), text(language, 5), text(language, 6), text(language, 7),
                      text(language, 8), text(language, 9)};
    QCOMPARE(labels(), expected);
    MyConmboBox* profiles = m_page->form()->ProjectChoose;
    QCOMPARE(profiles->count(), 3);
    QCOMPARE(profiles->itemText(2), text(language, 49) + "3");
    QCOMPARE(profiles->currentIndex(), 1);
    QCOMPARE(changed.count(), 0);
    QComboBox* debounce = m_page->form()->DebunceButton->chooser();
    QCOMPARE(debounce->itemText(20), "20" + text(language, 50));
    QCOMPARE(m_page->form()->label_3->text(), text(language, 43));
    QCOMPARE(m_page->form()->button("VolumeDown_8")->text(), text(language, 51));
    QCOMPARE(m_page->macroLabelPrefix(), text(language, 48));
    // Nothing reaches the mouse.
    QCOMPARE(DeviceLinkFixture::calls().filter(QRegularExpression("^(ProtocolDataUpdate|UsbServer_Set)")),
             QStringList());
}

// ---- Picture ----

void tst_ButtonPage::modelPicture_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("picture");
    QTest::addColumn<QPoint>("first");
    QTest::addColumn<QPoint>("sixth");

    QTest::newRow("wired entry model") << 0 << 0 << QPoint(138, 55) << QPoint(290, 130);
    QTest::newRow("group 1") << 1 << 4 << QPoint(160, 190) << QPoint(290, 230);
    QTest::newRow("group 4 shares group 3's layout") << 4 << 7 << QPoint(150, 180) << QPoint(290, 240);
    QTest::newRow("group 6") << 6 << 9 << QPoint(80, 135) << QPoint(290, 230);
    QTest::newRow("outside the groups") << 7 << -1 << QPoint(138, 55) << QPoint(290, 130);
}

void tst_ButtonPage::modelPicture()
{
    QFETCH(int, index);
    QFETCH(int, picture);
    QFETCH(QPoint, first);
    QFETCH(QPoint, sixth);
    m_page.reset(new Buttoninterface);
    m_page->SlotMouseIndex(0);
    PostMsg::GetInstance()->PostMouseIndex(index);
    const QString sheet = m_page->form()->widget->styleSheet();
    QVERIFY2(sheet.contains(QString("/Picture/Buttoninterface/mouse%1.png").arg(picture < 0 ? 0 : picture)),
             qPrintable(sheet));
    QCOMPARE(m_page->form()->Number1->pos(), first);
    QCOMPARE(m_page->form()->Number6->pos(), sixth);
    QVERIFY(!m_page->form()->Number1->isCheckable());
}

// ---- Navigation ----

void tst_ButtonPage::pressesBesideTheLists_data()
{
    QTest::addColumn<int>("list");     // stackedWidget index before
    QTest::addColumn<int>("subPage");  // stackedWidget_2 index before
    QTest::addColumn<bool>("left");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<int>("listAfter");
    QTest::addColumn<int>("subPageAfter");
    QTest::addColumn<bool>("selected");  // the selector stays checked

    QTest::newRow("closed, left beside everything") << 0 << 4 << true << QPoint(10, 10) << 0 << 4 << false;
    QTest::newRow("open on a sub-page, left in the lower panel") << 1 << 0 << true << QPoint(300, 450) << 0 << 4 << false;
    QTest::newRow("open on a sub-page, left beside everything") << 1 << 0 << true << QPoint(10, 10) << 0 << 4 << false;
    QTest::newRow("open on a sub-page, right press") << 1 << 0 << false << QPoint(10, 10) << 1 << 0 << true;
    QTest::newRow("closed, right press") << 0 << 4 << false << QPoint(10, 10) << 0 << 4 << true;
    QTest::newRow("closed, left on the first marker's place") << 0 << 4 << true << QPoint(100, 150) << 0 << 4 << false;
    QTest::newRow("open on a sub-page, left on the picture") << 1 << 3 << true << QPoint(300, 200) << 0 << 4 << false;
    QTest::newRow("closed, left where the selector list's rectangle lies") << 0 << 4 << true << QPoint(160, 100) << 0 << 4 << true;
    QTest::newRow("open on the debounce page, same point") << 1 << 4 << true << QPoint(160, 100) << 0 << 4 << false;
}

void tst_ButtonPage::pressesBesideTheLists()
{
    QFETCH(int, list);
    QFETCH(int, subPage);
    QFETCH(bool, left);
    QFETCH(QPoint, at);
    QFETCH(int, listAfter);
    QFETCH(int, subPageAfter);
    QFETCH(bool, selected);
    m_page.reset(new Buttoninterface);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    Ui_Buttoninterface* ui = m_page->form();
    ui->RightKey->setChecked(true);
    ui->stackedWidget->setCurrentIndex(list);
    ui->stackedWidget_2->setCurrentIndex(subPage);

    QTest::mousePress(m_page.get(), left ? Qt::LeftButton : Qt::RightButton, {}, at);

    QCOMPARE(ui->stackedWidget->currentIndex(), listAfter);
    QCOMPARE(ui->stackedWidget_2->currentIndex(), subPageAfter);
    QCOMPARE(ui->RightKey->isChecked(), selected);
    QCOMPARE(m_page->selectorGroup()->checkedButton() != nullptr, selected);
}

void tst_ButtonPage::categoriesOpenTheirPage_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("page");
    QTest::newRow("multimedia") << "DPI_12" << "page_3";
    QTest::newRow("lights") << "DPI_9" << "page_6";
    QTest::newRow("DPI lock") << "DPI_4" << "page_8";
    QTest::newRow("horizontal scroll") << "DPI_11" << "page_4";
    QTest::newRow("DPI step") << "DPI_7" << "page_7";
    QTest::newRow("vertical scroll") << "DPI_13" << "page_10";
}

void tst_ButtonPage::categoriesOpenTheirPage()
{
    QFETCH(QString, category);
    QFETCH(QString, page);
    // A mouse answers and a button is chosen: only then could a click write.
    QVERIFY(link("r8", {}));
    Ui_Buttoninterface* ui = m_page->form();
    QCOMPARE(ui->stackedWidget->currentWidget(), ui->page);
    QCOMPARE(ui->stackedWidget_2->currentWidget(), ui->page_9);
    deliverMouseImage();
    const QByteArray before = mouseImage();
    ui->RightKey->click();
    QVERIFY(ui->RightKey->isChecked());
    ui->stackedWidget->setCurrentWidget(ui->page_2);
    DeviceLinkFixture::clearCalls();
    ui->button(category)->click();
    QCOMPARE(ui->stackedWidget_2->currentWidget()->objectName(), page);
    QVERIFY(ui->button(category)->isChecked());
    QCOMPARE(sends(), 0);  // the writers call the library at once
    QCOMPARE(mouseImage(), before);
}

void tst_ButtonPage::listButtonsTakeTheListStyle()
{
    // The buttons lie two levels below the page that carries their sheet; each
    // must read in the catalogue's button colour, not the default black.
    m_page.reset(new Buttoninterface);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    QColor listColour;
    QVERIFY(ConfigSettings::instance()->colour("ButtonColor", &listColour));
    QVERIFY(listColour != QColor(Qt::black));
    Ui_Buttoninterface* ui = m_page->form();
    for (QWidget* subPage : {ui->page_3, ui->page_4, ui->page_6, ui->page_7, ui->page_8, ui->page_10}) {
        ui->stackedWidget_2->setCurrentWidget(subPage);
        const QList<QToolButton*> buttons = subPage->findChildren<QToolButton*>();
        QVERIFY(!buttons.isEmpty());
        for (QToolButton* b : buttons)
            QVERIFY2(b->palette().color(QPalette::ButtonText) == listColour, qPrintable(b->objectName()));
    }
}

// ---- Giving a button a function ----

namespace {

// The category button that shows a sub-page function, null for the main list.
const char* categoryOf(const QString& function)
{
    static const QHash<QString, const char*> categories = {
        {"VolumeUp_8", "DPI_7"},   {"VolumeUp_9", "DPI_7"},   {"VolumeUp_10", "DPI_7"},
        {"VolumeUp_2", "DPI_11"},  {"VolumeDown_2", "DPI_11"}, {"VolumeUp_14", "DPI_13"},
        {"VolumeDown_14", "DPI_13"}, {"VolumeUp_4", "DPI_9"},  {"VolumeUp_5", "DPI_9"},
        {"VolumeUp_6", "DPI_9"},   {"VolumeUp_7", "DPI_9"},
    };
    if (categories.contains(function))
        return categories.value(function);
    if (function.startsWith("VolumeUp_") && function.mid(9).toInt() >= 11)
        return "DPI_4";
    return function.startsWith("Volume") || function == "Player" || function == "Mute"
                   || function.endsWith("_2")
               ? "DPI_12"
               : nullptr;
}

// A click as a person makes it; buttons the page keeps hidden are clicked in code.
void press(QToolButton* b)
{
    if (b->isVisible())
        QTest::mouseClick(b, Qt::LeftButton);
    else
        b->click();
}

} // namespace

void tst_ButtonPage::choose(int position, const QString& function)
{
    press(button(kSelectors[position]));
    if (const char* category = categoryOf(function))
        press(button(category));
    press(button(function));
}

void tst_ButtonPage::selectionOpensTheCurrentFunction_data()
{
    QTest::addColumn<QList<int>>("patch");    // the mouse's button 1 (the second selector)
    QTest::addColumn<QString>("subPage");     // shown beside the list; empty: the list stays closed
    QTest::addColumn<QString>("category");    // checked category button
    QTest::addColumn<QString>("function");    // checked function button
    QTest::addColumn<int>("listRow");         // scroll of the function list, in rows
    QTest::addColumn<int>("subRow");          // scroll of the multimedia or DPI-lock list, in rows

    QTest::newRow("nothing") << mapping(1, 0, 0) << "page_9" << "DPI_5" << "" << 9 << 0;
    QTest::newRow("back button") << mapping(1, 1, 8) << "page_9" << "" << "BackKey_2" << 3 << 0;
    QTest::newRow("mouse code 32") << mapping(1, 1, 32) << "page_9" << "" << "" << 0 << 0;
    QTest::newRow("DPI down") << mapping(1, 2, 3) << "page_7" << "DPI_7" << "VolumeUp_10" << 13 << 0;
    QTest::newRow("scroll right") << mapping(1, 3, 2) << "page_4" << "DPI_11" << "VolumeDown_2" << 10 << 0;
    QTest::newRow("fire") << mapping(1, 4, 20, 1) << "page_9" << "DPI_6" << "" << 7 << 0;
    QTest::newRow("volume down")
        << (mapping(1, 5, 0) + keyRecord(1, 2, {{0, 2, 0x00EA}, {1, 2, 0x00EA}})) << "page_3" << "DPI_12"
        << "VolumeDown_4" << 16 << 7;
    QTest::newRow("digit 7 is a combination, not a browser key")
        << (mapping(1, 5, 0) + keyRecord(1, 2, {{0, 1, 0x24}, {1, 1, 0x24}})) << "page_9" << "DPI_8" << "" << 8 << 0;
    QTest::newRow("report rate") << mapping(1, 7, 0) << "page_9" << "DPI_2" << "" << 5 << 0;
    QTest::newRow("light bar") << mapping(1, 8, 3) << "page_6" << "DPI_9" << "VolumeUp_6" << 12 << 0;
    QTest::newRow("light code 2") << mapping(1, 8, 2) << "page_6" << "DPI_9" << "" << 12 << 0;
    QTest::newRow("profile") << mapping(1, 9, 0) << "page_9" << "DPI_3" << "" << 6 << 0;
    QTest::newRow("400 DPI lock") << mapping(1, 10, 7) << "page_8" << "DPI_4" << "VolumeUp_16" << 15 << 3;
    QTest::newRow("1500 DPI lock, no button") << mapping(1, 10, 29) << "page_8" << "DPI_4" << "" << 15 << 0;
    QTest::newRow("scroll up") << mapping(1, 11, 1) << "page_10" << "DPI_13" << "VolumeUp_14" << 10 << 0;
    QTest::newRow("a type without a row") << mapping(1, 12, 0) << "" << "" << "" << 0 << 0;
}

void tst_ButtonPage::selectionOpensTheCurrentFunction()
{
    QFETCH(QList<int>, patch);
    QFETCH(QString, subPage);
    QFETCH(QString, category);
    QFETCH(QString, function);
    QFETCH(int, listRow);
    QFETCH(int, subRow);
    QVERIFY(link("r8", patch));
    deliverMouseImage();
    Ui_Buttoninterface* ui = m_page->form();
    const QByteArray before = mouseImage();

    QTest::mouseClick(ui->RightKey, Qt::LeftButton);

    QVERIFY(ui->RightKey->isChecked());
    QCOMPARE(ui->stackedWidget->currentWidget(), subPage.isEmpty() ? ui->page : ui->page_2);
    QCOMPARE(ui->stackedWidget_2->currentWidget()->objectName(), subPage.isEmpty() ? "page_9" : subPage);
    QAbstractButton* checkedCategory = m_page->functionGroup()->checkedButton();
    QAbstractButton* checkedFunction = m_page->keyGroup()->checkedButton();
    if (function.startsWith("BackKey"))
        checkedFunction = checkedCategory;  // mouse buttons head the function list
    QCOMPARE(checkedCategory ? checkedCategory->objectName() : QString(),
             category.isEmpty() && !function.startsWith("BackKey") ? QString() : category.isEmpty() ? function : category);
    QCOMPARE(checkedFunction ? checkedFunction->objectName() : QString(), function);
    auto scrolledTo = [](QScrollArea* area, int rows) { return qMin(15 * rows, area->verticalScrollBar()->maximum()); };
    QCOMPARE(ui->scrollArea_4->verticalScrollBar()->value(), scrolledTo(ui->scrollArea_4, listRow));
    QScrollArea* subList = subPage == "page_3" ? ui->scrollArea_3 : ui->scrollArea_10;
    QCOMPARE(subList->verticalScrollBar()->value(), scrolledTo(subList, subRow));
    QCOMPARE(mouseImage(), before);
    QCOMPARE(sends(), 0);
}

void tst_ButtonPage::lastLeftClickIsKept_data()
{
    QTest::addColumn<QList<int>>("patch");
    QTest::addColumn<bool>("marker");  // select through the marker on the picture
    QTest::addColumn<bool>("refused");

    QTest::newRow("the only left click, selector") << QList<int>() << false << true;
    QTest::newRow("the only left click, marker") << QList<int>() << true << true;
    QTest::newRow("a second left click, selector") << mapping(1, 1, 1) << false << false;
    QTest::newRow("a second left click, marker") << mapping(1, 1, 1) << true << false;
}

void tst_ButtonPage::lastLeftClickIsKept()
{
    QFETCH(QList<int>, patch);
    QFETCH(bool, marker);
    QFETCH(bool, refused);
    QVERIFY(link("r8", patch));
    deliverMouseImage();
    Ui_Buttoninterface* ui = m_page->form();
    ui->BackKey->setChecked(true);
    ui->scrollArea_11->verticalScrollBar()->setStyleSheet("QScrollBar {width:0px;}");
    ModalDialogDriver driver;
    QString notice;
    if (refused)
        driver.expect("LeftButtonOnly", [&](QWidget* d) {
            notice = ModalDialogDriver::labelText(d, "label");
            d->close();
        });
    else
        driver.forbidDialogs(true);

    QTest::mouseClick(marker ? ui->Number1 : ui->FireKey, Qt::LeftButton);

    QVERIFY2(driver.allHandled() && driver.failures().isEmpty(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(ui->FireKey->isChecked(), !refused);
    QCOMPARE(m_page->selectorGroup()->checkedButton() != nullptr, !refused);
    if (refused) {
        QCOMPARE(notice, LanguageTables::text(LanguageSection::ButtonOnly, 0, 0));
        QCOMPARE(ui->stackedWidget->currentWidget(), ui->page);
        QCOMPARE(ui->stackedWidget_2->currentWidget(), ui->page_9);
        QCOMPARE(ui->scrollArea_11->verticalScrollBar()->styleSheet(), QString("QScrollBar {width:0px;}"));
        // With nothing selected a function click writes nothing.
        press(button("MidKey"));
        QCOMPARE(mouseMapping(0), QList<int>({1, 1, 0}));
    }
    QCOMPARE(sends(), 0);
}

void tst_ButtonPage::simpleFunctions_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<int>("position");  // selector, top to bottom
    QTest::addColumn<QList<int>>("written");

    QTest::newRow("left button on the fourth (device 4)") << "LeftKey_3" << 3 << QList<int>{1, 1, 0};
    QTest::newRow("right button") << "RightKey_3" << 5 << QList<int>{1, 2, 0};
    QTest::newRow("middle button") << "MidKey" << 1 << QList<int>{1, 4, 0};
    QTest::newRow("back button on the fourth (device 4)") << "BackKey_2" << 3 << QList<int>{1, 8, 0};
    QTest::newRow("forward button on the fifth (device 3)") << "ForWardKey" << 4 << QList<int>{1, 16, 0};
    QTest::newRow("report rate") << "DPI_2" << 2 << QList<int>{7, 0, 0};
    QTest::newRow("profile") << "DPI_3" << 2 << QList<int>{9, 0, 0};
    QTest::newRow("nothing") << "DPI_5" << 1 << QList<int>{0, 0, 0};
    QTest::newRow("DPI loop") << "VolumeUp_8" << 1 << QList<int>{2, 1, 0};
    QTest::newRow("DPI up") << "VolumeUp_9" << 2 << QList<int>{2, 2, 0};
    QTest::newRow("DPI down") << "VolumeUp_10" << 5 << QList<int>{2, 3, 0};
    QTest::newRow("scroll left") << "VolumeUp_2" << 1 << QList<int>{3, 1, 0};
    QTest::newRow("scroll right") << "VolumeDown_2" << 4 << QList<int>{3, 2, 0};
    QTest::newRow("scroll up") << "VolumeUp_14" << 2 << QList<int>{11, 1, 0};
    QTest::newRow("scroll down") << "VolumeDown_14" << 3 << QList<int>{11, 2, 0};
    QTest::newRow("all lights") << "VolumeUp_4" << 5 << QList<int>{8, 0, 0};
    QTest::newRow("DPI light") << "VolumeUp_5" << 1 << QList<int>{8, 1, 0};
    QTest::newRow("light bar") << "VolumeUp_6" << 2 << QList<int>{8, 3, 0};
    QTest::newRow("next light effect") << "VolumeUp_7" << 3 << QList<int>{8, 4, 0};
}

void tst_ButtonPage::simpleFunctions()
{
    QFETCH(QString, function);
    QFETCH(int, position);
    QFETCH(QList<int>, written);
    QVERIFY(link("r8"));
    deliverMouseImage();
    const int device = QList<int>({0, 1, 2, 4, 3, 5}).at(position);
    const QByteArray before = mouseImage();

    choose(position, function);

    QTRY_COMPARE_WITH_TIMEOUT(mouseMapping(device), written, 3000);  // the mouse takes a moment
    QByteArray expected = before;
    for (int k = 0; k < 3; ++k)
        expected[74 + 3 * device + k] = char(written[k]);
    QCOMPARE(mouseImage(), expected);  // nothing else changed
    QCOMPARE(label(position), button(function)->text());
    QCOMPARE(m_page->recordedType(device), written[0]);
    QCOMPARE(m_page->recordedCode(device), written[1]);
    QVERIFY(button(kSelectors[position])->isChecked());
    QCOMPARE(m_page->form()->stackedWidget->currentWidget(), m_page->form()->page);
    QCOMPARE(m_page->form()->stackedWidget_2->currentWidget(), m_page->form()->page_9);
}

void tst_ButtonPage::dpiLocks_data()
{
    QTest::addColumn<QString>("listed");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("code");

    const char* const buttons[12] = {"VolumeUp_11", "VolumeUp_12", "VolumeUp_13", "VolumeUp_16",
                                     "VolumeUp_15", "VolumeUp_19", "VolumeUp_20", "VolumeUp_22",
                                     "VolumeUp_18", "VolumeUp_24", "VolumeUp_23", "VolumeUp_21"};
    for (int row = 0; row < 12; ++row) {
        const int dpi = (row + 1) * 100;
        // 3950 (50 DPI a step): the code formula; OTS12 (100 DPI a step): its code table.
        QTest::addRow("%d DPI, 3950 (%s)", dpi, buttons[row]) << "r8" << row << dpi / 50 - 1;
        QTest::addRow("%d DPI, OTS12 (%s)", dpi, buttons[row]) << "r30" << row << row;
    }
}

void tst_ButtonPage::dpiLocks()
{
    QFETCH(QString, listed);
    QFETCH(int, row);
    QFETCH(int, code);
    const char* const buttons[12] = {"VolumeUp_11", "VolumeUp_12", "VolumeUp_13", "VolumeUp_16",
                                     "VolumeUp_15", "VolumeUp_19", "VolumeUp_20", "VolumeUp_22",
                                     "VolumeUp_18", "VolumeUp_24", "VolumeUp_23", "VolumeUp_21"};
    QVERIFY(link(listed));
    deliverMouseImage();

    choose(4, buttons[row]);  // the fifth selector: device button 3

    QTRY_COMPARE_WITH_TIMEOUT(mouseMapping(3), QList<int>({10, code, 0}), 3000);
    QCOMPARE(label(4), QString("DPI lock-%1").arg((row + 1) * 100));
    QCOMPARE(m_page->recordedCode(3), code);
    // Selected again, the list opens at that value.
    press(button("TopMusic"));
    QCOMPARE(m_page->keyGroup()->checkedButton(), button(buttons[row]));
}

void tst_ButtonPage::multimediaKeys_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<int>("usage");
    const QList<QPair<QString, int>> keys = {
        {"Player", 0x0183},       {"StartPause_2", 0x00CD},  {"BackMusic_2", 0x00B5},  {"TopMusic_2", 0x00B6},
        {"Mute", 0x00B7},         {"VolumeUp", 0x00E2},      {"VolumeDown", 0x00E9},   {"VolumeDown_4", 0x00EA},
        {"VolumeDown_5", 0x018A}, {"VolumeDown_6", 0x0192},  {"VolumeDown_3", 0x0194}, {"VolumeDown_8", 0x0223},
        {"VolumeDown_9", 0x0221}, {"VolumeDown_7", 0x0225},  {"VolumeDown_10", 0x0224}, {"VolumeDown_12", 0x0226},
        {"VolumeDown_13", 0x0227}, {"VolumeDown_11", 0x022A},
    };
    for (const auto& k : keys)
        QTest::newRow(qPrintable(k.first)) << k.first << k.second;
}

void tst_ButtonPage::multimediaKeys()
{
    QFETCH(QString, function);
    QFETCH(int, usage);
    // Device button 4 held a combination of three keys before.
    QVERIFY(link("r8", mapping(4, 5, 0) + keyRecord(4, 6, {{0, 0, 1}, {0, 0, 2}, {0, 1, 4}, {1, 1, 4}, {1, 0, 2}, {1, 0, 1}})));
    deliverMouseImage();

    choose(3, function);  // the fourth selector: device button 4

    QByteArray expected(52, '\0');
    expected[0] = 2;
    for (int e = 0; e < 2; ++e) {
        expected[4 + 8 * e] = char(e);
        expected[5 + 8 * e] = 2;
        expected[6 + 8 * e] = char(usage & 0xFF);
        expected[7 + 8 * e] = char(usage >> 8);
        expected[8 + 8 * e] = 10;
    }
    QTRY_COMPARE_WITH_TIMEOUT(mouseImage().mid(124 + 52 * 4, 52).toHex(' '), expected.toHex(' '), 3000);
    QCOMPARE(mouseMapping(4), QList<int>({5, 0, 0}));
    QCOMPARE(label(3), button(function)->text());
    QCOMPARE(m_page->recordedType(4), 5);
}

void tst_ButtonPage::fireKey_data()
{
    QTest::addColumn<QList<int>>("patch");    // put on the mouse beforehand
    QTest::addColumn<int>("position");        // selector, top to bottom
    QTest::addColumn<QList<int>>("preset");   // interval and count the dialog opens with
    QTest::addColumn<QList<int>>("answer");   // interval and count entered, then OK; empty: Cancel
    QTest::addColumn<QList<int>>("written");  // mapping; empty: the mouse keeps every byte

    QTest::newRow("defaults confirmed") << QList<int>() << 1 << QList<int>{10, 3} << QList<int>{10, 3}
                                        << QList<int>{4, 10, 3};
    QTest::newRow("40 and 2 confirmed on the fourth (device 4)")
        << QList<int>() << 3 << QList<int>{10, 3} << QList<int>{40, 2} << QList<int>{4, 40, 2};
    QTest::newRow("cancelled") << QList<int>() << 1 << QList<int>{10, 3} << QList<int>() << QList<int>();
    QTest::newRow("a button that fires opens at its values; cancelled")
        << mapping(1, 4, 50, 1) << 1 << QList<int>{50, 1} << QList<int>() << QList<int>();
    QTest::newRow("a button that fires, new values confirmed on the fifth (device 3)")
        << mapping(3, 4, 50, 1) << 4 << QList<int>{50, 1} << QList<int>{255, 0} << QList<int>{4, 255, 0};
}

void tst_ButtonPage::fireKey()
{
    QFETCH(QList<int>, patch);
    QFETCH(int, position);
    QFETCH(QList<int>, preset);
    QFETCH(QList<int>, answer);
    QFETCH(QList<int>, written);
    QVERIFY(link("r8", patch));
    deliverMouseImage();
    const int device = QList<int>({0, 1, 2, 4, 3, 5}).at(position);
    const QByteArray before = mouseImage();
    const QString oldLabel = label(position);
    ModalDialogDriver driver;
    QList<int> shown;
    QPoint at;
    QSize size;
    int sentWhileAsking = -1;
    driver.expect("FireKey", [&](QWidget* d) {
        auto* interval = d->findChild<QSpinBox*>("Time");
        auto* count = d->findChild<QSpinBox*>("Count");
        shown = {interval->value(), count->value()};
        at = d->pos();
        size = d->size();
        sentWhileAsking = sends();
        if (answer.isEmpty()) {
            ModalDialogDriver::click(d, "NewHong_2");
            return;
        }
        interval->setValue(answer[0]);
        count->setValue(answer[1]);
        ModalDialogDriver::click(d, "NewHong");
    });

    choose(position, "DPI_6");

    QVERIFY2(driver.allHandled() && driver.failures().isEmpty(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(shown, preset);
    QCOMPARE(at, dialogPlace(m_page.get(), size));
    QCOMPARE(sentWhileAsking, 0);  // the press alone writes nothing
    if (written.isEmpty()) {
        QCOMPARE(sends(), 0);
        QCOMPARE(mouseImage(), before);
        QCOMPARE(label(position), oldLabel);
        QCOMPARE(m_page->recordedType(device), int(uchar(before[74 + 3 * device])));
        QCOMPARE(m_page->recordedCode(device), int(uchar(before[75 + 3 * device])));
        QCOMPARE(m_page->fireInterval(), 10);
        QCOMPARE(m_page->fireCount(), 3);
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(mouseMapping(device), written, 3000);
    QByteArray expected = before;
    for (int k = 0; k < 3; ++k)
        expected[74 + 3 * device + k] = char(written[k]);
    QCOMPARE(mouseImage(), expected);
    QCOMPARE(label(position), button("DPI_6")->text());
    QCOMPARE(m_page->recordedType(device), 4);
    QCOMPARE(m_page->recordedCode(device), answer[0]);
    QCOMPARE(m_page->recordedParam(device), answer[1]);
    QCOMPARE(m_page->fireInterval(), answer[0]);
    QCOMPARE(m_page->fireCount(), answer[1]);
    QCOMPARE(m_page->form()->stackedWidget->currentWidget(), m_page->form()->page);
    QCOMPARE(m_page->form()->stackedWidget_2->currentWidget(), m_page->form()->page_9);
}

void tst_ButtonPage::fireDoubleClickWritesTheRememberedValues_data()
{
    QTest::addColumn<QList<int>>("confirmed");  // interval and count confirmed before; empty: never
    QTest::addColumn<QList<int>>("written");

    QTest::newRow("never confirmed: the defaults") << QList<int>() << QList<int>{4, 10, 3};
    QTest::newRow("the last confirmed values") << QList<int>{40, 2} << QList<int>{4, 40, 2};
}

void tst_ButtonPage::fireDoubleClickWritesTheRememberedValues()
{
    QFETCH(QList<int>, confirmed);
    QFETCH(QList<int>, written);
    QVERIFY(link("r8"));
    deliverMouseImage();
    if (!confirmed.isEmpty()) {
        ModalDialogDriver driver;
        driver.expect("FireKey", [&](QWidget* d) {
            d->findChild<QSpinBox*>("Time")->setValue(confirmed[0]);
            d->findChild<QSpinBox*>("Count")->setValue(confirmed[1]);
            ModalDialogDriver::click(d, "NewHong");
        });
        choose(1, "DPI_6");
        QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
        QTRY_COMPARE_WITH_TIMEOUT(mouseMapping(1), written, 3000);
    }
    ModalDialogDriver quiet;
    quiet.forbidDialogs(true);

    press(button("BackKey"));
    QTest::mouseDClick(button("DPI_6"), Qt::LeftButton);

    QTRY_COMPARE_WITH_TIMEOUT(mouseMapping(2), written, 3000);
    QVERIFY2(quiet.failures().isEmpty(), qPrintable(quiet.failures().join('\n')));
    QCOMPARE(label(2), button("DPI_6")->text());
    QCOMPARE(m_page->recordedCode(2), written[1]);
    QCOMPARE(m_page->recordedParam(2), written[2]);
    QCOMPARE(m_page->form()->stackedWidget->currentWidget(), m_page->form()->page);
}

void tst_ButtonPage::combinationKeys_data()
{
    QTest::addColumn<int>("position");       // selector, top to bottom
    QTest::addColumn<QStringList>("boxes");  // modifier boxes checked in the dialog
    QTest::addColumn<QList<int>>("keys");    // keys typed in the dialog
    QTest::addColumn<QString>("answer");     // the button clicked; "too many": OK, the notice, then Cancel
    QTest::addColumn<QByteArray>("record");  // the key-event record written; empty: nothing written
    QTest::addColumn<QString>("shown");      // the selector's new label

    auto record = [](const char* hex) {
        QByteArray bytes = QByteArray::fromHex(hex);
        return bytes + QByteArray(52 - bytes.size(), '\0');
    };
    QTest::newRow("one key on the second (device 1)")
        << 1 << QStringList() << QList<int>{Qt::Key_A} << "NewHong"
        << record("02000000 00010400 0a000000 01010400 0a000000") << "A";
    QTest::newRow("Ctrl+A on the fourth (device 4)")
        << 3 << QStringList{"Ctrl"} << QList<int>{Qt::Key_A} << "NewHong"
        << record("04000000 00000100 0a000000 00010400 0a000000 01010400 0a000000 01000100 0a000000") << "Ctrl+A";
    QTest::newRow("two modifiers and a key on the fifth (device 3)")
        << 4 << QStringList{"Ctrl", "Shift"} << QList<int>{Qt::Key_F5} << "NewHong"
        << record("06000000 00000200 0a000000 00000100 0a000000 00013e00 0a000000"
                  "01013e00 0a000000 01000100 0a000000 01000200 0a000000")
        << "Shift+Ctrl+F5";
    QTest::newRow("three keys typed, in their order")
        << 5 << QStringList() << QList<int>{Qt::Key_Z, Qt::Key_X, Qt::Key_1} << "NewHong"
        << record("06000000 00011d00 0a000000 00011b00 0a000000 00011e00 0a000000"
                  "01011e00 0a000000 01011b00 0a000000 01011d00 0a000000")
        << "Z+X+1";
    QTest::newRow("four names are refused") << 1 << QStringList{"Shift", "Ctrl", "Alt"} << QList<int>{Qt::Key_A}
                                            << "too many" << QByteArray() << "";
    QTest::newRow("OK with no key writes nothing") << 1 << QStringList() << QList<int>() << "NewHong" << QByteArray() << "";
    QTest::newRow("cancelled") << 1 << QStringList{"Ctrl"} << QList<int>{Qt::Key_A} << "NewHong_2" << QByteArray() << "";
}

void tst_ButtonPage::combinationKeys()
{
    QFETCH(int, position);
    QFETCH(QStringList, boxes);
    QFETCH(QList<int>, keys);
    QFETCH(QString, answer);
    QFETCH(QByteArray, record);
    QFETCH(QString, shown);
    const int device = QList<int>({0, 1, 2, 4, 3, 5}).at(position);
    // The button held a combination of three keys: a shorter one must not leave its events behind.
    QVERIFY(link("r8", mapping(device, 5, 0)
                           + keyRecord(device, 6, {{0, 1, 4}, {0, 1, 5}, {0, 1, 6}, {1, 1, 6}, {1, 1, 5}, {1, 1, 4}})));
    deliverMouseImage();
    const QByteArray before = mouseImage();
    const QString oldLabel = label(position);
    Ui_Buttoninterface* ui = m_page->form();
    press(button(kSelectors[position]));
    QWidget* listPage = ui->stackedWidget->currentWidget();
    QWidget* subPage = ui->stackedWidget_2->currentWidget();
    ModalDialogDriver driver;
    driver.expect("GroupKey", [&](QWidget* d) {
        if (!QTest::qWaitForWindowActive(d))
            return;
        for (const QString& box : boxes)
            d->findChild<QCheckBox*>(box)->setChecked(true);
        for (int key : keys)
            QTest::keyClick(d->focusWidget() ? d->focusWidget() : d, Qt::Key(key));
        if (answer != "too many") {
            ModalDialogDriver::click(d, answer);
            return;
        }
        ModalDialogDriver::click(d, "NewHong");  // the notice, answered below; the dialog stays
        ModalDialogDriver::click(d, "NewHong_2");
    });
    if (answer == "too many")
        driver.expect("GroupMaxThree", [](QWidget* n) { ModalDialogDriver::click(n, "NewHong"); });

    press(button("DPI_8"));

    QVERIFY2(driver.allHandled() && driver.failures().isEmpty(), qPrintable(driver.failures().join('\n')));
    if (record.isEmpty()) {
        QCOMPARE(sends(), 0);
        QCOMPARE(mouseImage(), before);
        QCOMPARE(label(position), oldLabel);
        QCOMPARE(ui->stackedWidget->currentWidget(), listPage);
        QCOMPARE(ui->stackedWidget_2->currentWidget(), subPage);
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(mouseImage().mid(124 + 52 * device, 52).toHex(' '), record.toHex(' '), 3000);
    QCOMPARE(mouseMapping(device), QList<int>({5, 0, 0}));
    QByteArray expected = before;
    expected.replace(124 + 52 * device, 52, record);
    QCOMPARE(mouseImage(), expected);
    // The label is the combination itself, and reads the same when the mouse's image comes back.
    QCOMPARE(label(position), shown);
    deliverMouseImage();
    QCOMPARE(label(position), shown);
    QCOMPARE(m_page->recordedType(device), 5);
    QCOMPARE(ui->stackedWidget->currentWidget(), ui->page_2);  // the list stays open
    QCOMPARE(ui->stackedWidget_2->currentWidget(), ui->page_9);
}

void tst_ButtonPage::macroButton_data()
{
    QTest::addColumn<bool>("macroStored");
    QTest::newRow("no macro: the notice") << false;
    QTest::newRow("a macro: the list of macros") << true;
}

void tst_ButtonPage::macroButton()
{
    QFETCH(bool, macroStored);
    const QString folder = MacroFolder::defaultPath();
    QDir(folder).removeRecursively();
    QVERIFY(QDir().mkpath(folder));
    if (macroStored) {
        QFile file(folder + "/m.ini");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("1\n0x04 1 0\n");
    }
    QVERIFY(link("r8"));
    deliverMouseImage();
    m_page->SlotAddMacroButton();
    const QByteArray before = mouseImage();
    Ui_Buttoninterface* ui = m_page->form();
    ModalDialogDriver driver;
    QString message;
    QPoint at;
    QSize size;
    if (macroStored)
        driver.forbidDialogs(true);
    else
        driver.expect("MakeMacro", [&](QWidget* d) {
            message = ModalDialogDriver::labelText(d, "label");
            at = d->pos();
            size = d->size();
            ModalDialogDriver::click(d, "NewHong");
        });
    press(button("RightKey"));
    press(button("DPI_12"));  // a sub-page is open

    press(button("DPI_10"));

    QVERIFY2(driver.allHandled() && driver.failures().isEmpty(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(ui->stackedWidget->currentWidget(), ui->page_2);
    QCOMPARE(ui->stackedWidget_2->currentWidget(), macroStored ? ui->page_5 : ui->page_9);
    if (!macroStored) {
        QCOMPARE(message, LanguageTables::text(LanguageSection::MakeMacro, 0, 0));
        QCOMPARE(at, dialogPlace(m_page.get(), size));
    }
    QCOMPARE(sends(), 0);
    QCOMPARE(mouseImage(), before);
}

void tst_ButtonPage::storedDefaults_data()
{
    QTest::addColumn<int>("device");
    QTest::addColumn<QString>("keys");       // empty: a multimedia id
    QTest::addColumn<int>("id");
    QTest::addColumn<QByteArray>("record");  // first 20 bytes of the key record; empty: nothing written
    QTest::addColumn<QString>("label");

    QTest::newRow("Player on device 3 (fifth selector)")
        << 3 << "" << 0x83 << QByteArray::fromHex("02000000 00028301 0a000000 01028301 0a000000") << "Media player";
    QTest::newRow("an id out of the list") << 3 << "" << 0x183 << QByteArray() << "";
    QTest::newRow("one key") << 4 << "A" << 0 << QByteArray::fromHex("02000000 00010400 0a000000 01010400 0a000000") << "A";
    QTest::newRow("Ctrl+A") << 2 << "Ctrl+A" << 0
        << QByteArray::fromHex("04000000 00000100 0a000000 00010400 0a000000") << "Ctrl+A";
    QTest::newRow("four names are refused") << 2 << "Ctrl+Shift+Alt+A" << 0 << QByteArray() << "";
}

void tst_ButtonPage::storedDefaults()
{
    QFETCH(int, device);
    QFETCH(QString, keys);
    QFETCH(int, id);
    QFETCH(QByteArray, record);
    QFETCH(QString, label);
    QVERIFY(link("r8"));
    deliverMouseImage();
    const QByteArray before = mouseImage();
    QToolButton* selector = m_page->form()->button(kSelectors[QList<int>({0, 1, 2, 4, 3, 5}).indexOf(device)]);
    const QString old = selector->text();

    if (keys.isEmpty())
        m_page->AssignMediaFunction(device, id);
    else
        m_page->AssignKeyFunction(device, keys);

    if (record.isEmpty()) {
        QCOMPARE(mouseImage(), before);
        QCOMPARE(selector->text(), old);
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(mouseMapping(device), QList<int>({5, 0, 0}), 3000);
    QCOMPARE(mouseImage().mid(124 + 52 * device, record.size()).toHex(' '), record.toHex(' '));
    QCOMPARE(selector->text(), label);
    QCOMPARE(m_page->recordedType(device), 5);
}

void tst_ButtonPage::offlineChangesNothing_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<bool>("doubleClick");
    QTest::addColumn<bool>("listStaysOpen");  // the combination key keeps the function list open

    QTest::newRow("simple function") << "DPI_2" << false << false;
    QTest::newRow("sub-page function") << "VolumeUp_6" << false << false;
    QTest::newRow("DPI lock") << "VolumeUp_20" << false << false;
    QTest::newRow("multimedia key") << "Mute" << false << false;
    QTest::newRow("fire: a press asks nothing") << "DPI_6" << false << false;
    QTest::newRow("fire: a double click") << "DPI_6" << true << false;
    QTest::newRow("combination: asked, then refused") << "DPI_8" << false << true;
}

void tst_ButtonPage::offlineChangesNothing()
{
    QFETCH(QString, function);
    QFETCH(bool, doubleClick);
    QFETCH(bool, listStaysOpen);
    QVERIFY(link("r8"));
    deliverMouseImage();
    const QByteArray before = mouseImage();
    const QStringList shown = labels();
    QVERIFY(HidSimControl::setPowered("m8", false));
    QVERIFY(QTest::qWaitFor([] { return !UsbFinderC_GetDeviceOnLine(g_DevicePath.load()); }, 3000));
    const int notices = m_fixture.pages()->count("MouseOffLineo");
    ModalDialogDriver driver;
    if (function == "DPI_8")
        driver.expect("GroupKey", [](QWidget* d) {
            d->findChild<QCheckBox*>("Ctrl")->setChecked(true);
            ModalDialogDriver::click(d, "NewHong");
        });
    else
        driver.forbidDialogs(true);

    if (doubleClick) {
        press(button("RightKey"));
        QTest::mouseDClick(button(function), Qt::LeftButton);
    } else {
        choose(1, function);
    }

    QVERIFY2(driver.allHandled() && driver.failures().isEmpty(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(m_fixture.pages()->count("MouseOffLineo"), notices + 1);
    QCOMPARE(labels(), shown);
    QCOMPARE(m_page->recordedType(1), 1);
    QCOMPARE(m_page->recordedCode(1), 2);
    QCOMPARE(m_page->form()->stackedWidget->currentWidget(),
             listStaysOpen ? m_page->form()->page_2 : m_page->form()->page);
    QCOMPARE(m_page->form()->stackedWidget_2->currentWidget(), m_page->form()->page_9);
    // The pages still switch while the mouse is away.
    press(button("RightKey"));
    press(button("DPI_12"));
    QCOMPARE(m_page->form()->stackedWidget_2->currentWidget(), m_page->form()->page_3);
    QVERIFY(HidSimControl::setPowered("m8", true));
    QVERIFY(QTest::qWaitFor([] { return UsbFinderC_GetDeviceOnLine(g_DevicePath.load()); }, 3000));
    QCOMPARE(mouseImage(), before);
}

void tst_ButtonPage::refusedDebounceShowsWhatTheMouseHolds()
{
    QVERIFY(link("r8", {6, 9}));  // debounce 9 ms
    deliverMouseImage();
    auto* box = m_page->findChild<QComboBox*>("Debunce");
    QVERIFY(box);
    QCOMPARE(box->currentIndex(), 9);
    QVERIFY(HidSimControl::setPowered("m8", false));
    QVERIFY(QTest::qWaitFor([] { return !UsbFinderC_GetDeviceOnLine(g_DevicePath.load()); }, 3000));
    const int notices = m_fixture.pages()->count("MouseOffLineo");

    box->setCurrentIndex(10);
    QCOMPARE(m_fixture.pages()->count("MouseOffLineo"), notices + 1);
    // After the notice the box shows what the mouse holds.
    QTRY_COMPARE(box->currentIndex(), 9);
    QCOMPARE(DeviceLinkFixture::callCount("ProtocolDataUpdate"), 0);
}

QTEST_MAIN(tst_ButtonPage)
#include "tst_buttonpage.moc"
