// The button page against virtual mice with the shipped catalogue, sensor table
// and language files: what each image shows on the six selectors, the record the
// page keeps, the debounce frame, the language relabel, the model picture and
// the navigation by mouse presses.

#include "DeviceLinkFixture.h"
#include "ImageBytes.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/PostMsg.h"
#include "device/AnnotatedMutexLocker.h"
#include "device/DeviceCache.h"
#include "device/WorkingImage.h"
#include "ui/buttons/Buttoninterface.h"
#include "ui/buttons/Ui_Buttoninterface.h"
#include "ui/sensor/DebounceTime.h"
#include "ui/sensor/MyConmboBox.h"

#include <HIDUsb.h>
#include <HidSimControl.h>

#include <QButtonGroup>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QStackedWidget>
#include <QThread>
#include <QToolButton>
#include <QtTest>

#include <cstring>
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

QString readShipped(const QString& relative)
{
    QFile f(QStringLiteral(DESKLINK_APP_DIR) + "/" + relative);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

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
    QVERIFY(m_fixture.setUp(QByteArray(kScenario), readShipped("usersetting/Config.ini")));
    QVERIFY(QFile::copy(QStringLiteral(DESKLINK_APP_DIR) + "/driver_sensor.h",
                        m_fixture.appDir() + "/driver_sensor.h"));
    QFile::link(QStringLiteral(DESKLINK_APP_DIR) + "/Picture", m_fixture.appDir() + "/Picture");
    AppPaths::setApplicationDirOverride(QStringLiteral(DESKLINK_APP_DIR));
    LanguageTables::load();
    AppPaths::setApplicationDirOverride(m_fixture.appDir());
    g_UiReady = true;
}

void tst_ButtonPage::cleanup()
{
    m_page.reset();
    m_fixture.tearDown();
    LanguageTables::clear();
    g_SelectedFlashDataFile.clear();
    QFile::remove(m_fixture.appDir() + "/driver_sensor.h");
    QFile::remove(m_fixture.appDir() + "/Picture");
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
    {
        AnnotatedMutexLocker lock(g_FlashDataMutex);
        const QByteArray image = patched(imageBytes(g_FlashData), patch);
        std::memcpy(&g_FlashData, image.constData(), sizeof g_FlashData);
        if (!ProtocolDataUpdate(&g_FlashData))
            return false;
    }
    if (!QTest::qWaitFor([&] { return mouseImage() == imageBytes(currentFlashData()); }, 3000))
        return false;
    DeviceLinkFixture::clearCalls();
    return true;
}

void tst_ButtonPage::deliverMouseImage()
{
    FlashDataMap image;
    const QByteArray bytes = mouseImage();
    QCOMPARE(bytes.size(), int(sizeof image));
    std::memcpy(&image, bytes.constData(), sizeof image);
    QThread* sender = QThread::create([image] { PostMsg::GetInstance()->PostUpDataLightUIButton(image); });
    sender->start();
    QVERIFY(QTest::qWaitFor([sender] { return sender->isFinished(); }, 5000));
    delete sender;
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
    m_page.reset(new Buttoninterface);
    m_page->show();
    Ui_Buttoninterface* ui = m_page->form();
    QCOMPARE(ui->stackedWidget->currentWidget(), ui->page);
    QCOMPARE(ui->stackedWidget_2->currentWidget(), ui->page_9);
    ui->stackedWidget->setCurrentWidget(ui->page_2);
    ui->button(category)->click();
    QCOMPARE(ui->stackedWidget_2->currentWidget()->objectName(), page);
    QVERIFY(ui->button(category)->isChecked());
    QCOMPARE(sends(), 0);
}

QTEST_MAIN(tst_ButtonPage)
#include "tst_buttonpage.moc"
