// The sensor page with the shipped catalogue and sensor table, against virtual
// mice: what a fill shows (and that it never writes), what each user road
// writes into the mouse, and what the mouse's own buttons show on the page.

#include "DeviceLinkFixture.h"
#include "ImageBytes.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "device/SensorDpiCodec.h"
#include "device/SensorDpiTables.h"
#include "device/Worker.h"
#include "ui/sensor/MotionSync.h"
#include "ui/sensor/MyConmboBox.h"
#include "ui/sensor/MySlider.h"
#include "ui/sensor/RippeControl.h"
#include "ui/sensor/Sensor.h"
#include "ui/sensor/SensorDPI.h"
#include "ui/sensor/SensorEffect.h"
#include "ui/sensor/SensorLOD.h"
#include "ui/sensor/SensorRate.h"
#include "ui/sensor/StraightLine.h"

#include <HIDUsb.h>
#include <HidSimControl.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

#include <memory>

using hidsim::HidSimControl;

namespace {

// One virtual mouse per shipped model, wireless through the receiver kind it
// is sold with, wired models (and one wireless model) on the cable.
const char kScenario[] = R"({ "vendorId": "3A7C", "mice": [
  {"id":"m7","cid":51,"mid":7,"usbPid":"0A01","receiverKind":0,"cable":true,"pairedTo":""},
  {"id":"m8","cid":51,"mid":8,"usbPid":"0A01","receiverKind":1,"cable":false,"pairedTo":"r8"},
  {"id":"m9","cid":51,"mid":9,"usbPid":"0A01","receiverKind":2,"cable":false,"pairedTo":"r9"},
  {"id":"m11","cid":51,"mid":11,"usbPid":"0A01","receiverKind":4,"cable":false,"pairedTo":"r11"},
  {"id":"m12","cid":51,"mid":12,"usbPid":"0A01","receiverKind":1,"cable":false,"pairedTo":"r12"},
  {"id":"m16","cid":51,"mid":16,"usbPid":"0A01","receiverKind":4,"cable":false,"pairedTo":"r16"},
  {"id":"m17","cid":51,"mid":17,"usbPid":"0A02","receiverKind":8,"cable":false,"pairedTo":"r17"},
  {"id":"m17w","cid":51,"mid":17,"usbPid":"0A02","receiverKind":8,"cable":true,"pairedTo":""},
  {"id":"m18","cid":51,"mid":18,"usbPid":"0A02","receiverKind":8,"cable":false,"pairedTo":"r18"},
  {"id":"m22","cid":51,"mid":22,"usbPid":"0A01","receiverKind":0,"cable":true,"pairedTo":""},
  {"id":"m23","cid":51,"mid":23,"usbPid":"0A02","receiverKind":8,"cable":false,"pairedTo":"r23"},
  {"id":"m30","cid":51,"mid":30,"usbPid":"0A01","receiverKind":1,"cable":false,"pairedTo":"r30"}],
 "receivers": [
  {"id":"r8","kind":1,"address":"1C0801","plugged":true},
  {"id":"r9","kind":2,"address":"2C0902","plugged":true},
  {"id":"r11","kind":4,"address":"4C1104","plugged":true},
  {"id":"r12","kind":1,"address":"1C1201","plugged":true},
  {"id":"r16","kind":4,"address":"4C1604","plugged":true},
  {"id":"r17","kind":8,"address":"8C1708","plugged":true},
  {"id":"r18","kind":8,"address":"8C1808","plugged":true},
  {"id":"r23","kind":8,"address":"8C2308","plugged":true},
  {"id":"r30","kind":1,"address":"1C3001","plugged":true}] })";

QString mouseOf(const QString& listed)
{
    return listed.startsWith('r') ? "m" + listed.mid(1) : listed;
}

QByteArray bytesOf(const FlashDataMap& image)
{
    return QByteArray(reinterpret_cast<const char*>(&image), sizeof image);
}

// A stage record at image offset 15 + 6 * stage.
int stageByte(int stage, int field)
{
    return 15 + 6 * stage + field;
}

// The shipped catalogue with one key of one model group replaced (an empty
// value removes the key).
QString catalogueWith(const QString& group, const QString& key, const QString& value)
{
    QString catalogue = DeviceLinkFixture::shippedCatalogue();
    const int start = catalogue.indexOf("[" + group + "]");
    const int at = catalogue.indexOf("\n" + key + "=", start);
    if (start < 0 || at < start)
        return QString();
    const int end = catalogue.indexOf('\n', at + 1);
    catalogue.replace(at, end - at, value.isEmpty() ? QString() : "\n" + key + "=" + value);
    return catalogue;
}

// DPI shown for stage code c (flags 0) by the kind of sensor.
int shownDpi(const QString& road, int code)
{
    if (road == "ots12")
        return (code + 1) * 100;
    if (road == "ots24")
        return (code - 15) * 50;
    return (code + 1) * 50;
}

// GUI-thread sends: the page's own writes (the device link sends on its threads).
int pageSends()
{
    int n = 0;
    for (const hidsim::CallRecord& r : HidSimControl::callLog()) {
        if (r.function == "ProtocolDataUpdate" && r.thread == std::this_thread::get_id())
            ++n;
    }
    return n;
}

} // namespace

class tst_SensorPage : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fillShowsWhatTheModelOffers_data();
    void fillShowsWhatTheModelOffers();
    void sliderWritesTheSnappedStage_data();
    void sliderWritesTheSnappedStage();
    void stepButtons_data();
    void stepButtons();
    void stageClickAndColour();
    void swatchesStayClickable_data();
    void swatchesStayClickable();
    void stageCountReduction_data();
    void stageCountReduction();
    void markerDrop_data();
    void markerDrop();
    void sensorModeAndPerformance();
    void rateClickLocksAndUnlocksTheSensorMode();
    void hideModelRules_data();
    void hideModelRules();
    void nextChangeAfterEveryFillIsWritten();
    void stageShowsWhatTheMouseGot_data();
    void stageShowsWhatTheMouseGot();
    void oddCatalogueAndImageValues_data();
    void oddCatalogueAndImageValues();
    void resetWithoutImage_data();
    void resetWithoutImage();
    void mouseButtonsShowOnThePage();
    void refusedChangeShowsWhatTheMouseHolds_data();
    void refusedChangeShowsWhatTheMouseHolds();
    void languageTexts();
    void shippedTextsFit();

private:
    // Links the listed device, gives its mouse `patch` over its own image, makes
    // it the current device (model id too) and builds the page.
    bool link(const QString& listed, const QList<int>& patch = {});
    // The page takes the working image as a full read does.
    void fill() { m_page->SlotUpDataSenSorUISensor(currentFlashData()); }
    QByteArray mouseImage() const { return HidSimControl::configImage(m_mouse); }
    SensorDPI* dpi() const { return m_page->dpiEditor(); }
    int sends() const { return DeviceLinkFixture::callCount("ProtocolDataUpdate"); }
    int notices() const { return m_fixture.pages()->count("MouseOffLineo"); }
    // What every control of the page shows, as one text.
    QString shown() const;

    DeviceLinkFixture m_fixture;
    std::unique_ptr<Sensor> m_page;
    QString m_mouse;
};

void tst_SensorPage::init()
{
    QVERIFY(m_fixture.setUp(QByteArray(kScenario), DeviceLinkFixture::shippedCatalogue()));
    QVERIFY(QFile::copy(QStringLiteral(DESKLINK_APP_DIR) + "/driver_sensor.h",
                        m_fixture.appDir() + "/driver_sensor.h"));
    // The tables are loaded once per program; every page here starts afresh.
    g_SensorDefineNames.clear();
    g_SensorDefineValues.clear();
    g_UiReady = true;
}

void tst_SensorPage::cleanup()
{
    m_page.reset();
    m_fixture.tearDown();
    g_DeviceModelId = 0;
    QFile::remove(m_fixture.appDir() + "/driver_sensor.h");
}

bool tst_SensorPage::link(const QString& listed, const QList<int>& patch)
{
    m_mouse = mouseOf(listed);
    if (!m_fixture.linkWithoutReports(listed, m_mouse))
        return false;
    if (!DeviceLinkFixture::sendPatchedImage(m_mouse, patch))
        return false;
    g_DeviceModelId = currentDeviceCopy().mid;
    m_page.reset(new Sensor);
    m_page->show();
    DeviceLinkFixture::clearCalls();
    return true;
}

// ---- Filling ----

void tst_SensorPage::fillShowsWhatTheModelOffers_data()
{
    QTest::addColumn<QString>("listed");
    QTest::addColumn<int>("rate");          // byte 0
    QTest::addColumn<int>("mode");          // byte 14
    QTest::addColumn<int>("stages");        // byte 1
    QTest::addColumn<QString>("road");      // how stage codes read
    QTest::addColumn<bool>("full");         // sensor-settings section shown
    QTest::addColumn<bool>("lodEnabled");
    QTest::addColumn<int>("lodEntries");
    QTest::addColumn<QString>("switches");  // ripple, angle snapping, motion sync visible
    QTest::addColumn<QString>("highRates"); // 2000, 4000, 8000 Hz buttons visible
    QTest::addColumn<int>("rateButton");
    QTest::addColumn<int>("modeState");     // 0 disabled as it was, 1 LP locked, 2 open on byte 14
    QTest::addColumn<int>("sliderMin");
    QTest::addColumn<int>("sliderMax");

    QTest::newRow("Drive1 OTS12 wired, compact") << "m7" << 1 << 0 << 4 << "ots12" << false << false << 2 << "010" << "000" << 3 << 0 << 100 << 12000;
    QTest::newRow("Drive2 3950 1K") << "r8" << 1 << 1 << 6 << "formula" << true << true << 3 << "111" << "000" << 3 << 2 << 50 << 30000;
    QTest::newRow("Drive3 3950 2K at 2000 Hz") << "r9" << 16 << 1 << 8 << "formula" << true << true << 3 << "111" << "100" << 4 << 1 << 50 << 30000;
    QTest::newRow("Drive3 3950 2K at 500 Hz") << "r9" << 2 << 1 << 8 << "formula" << true << true << 3 << "111" << "100" << 2 << 2 << 50 << 30000;
    QTest::newRow("Drive4 3395 4K") << "r11" << 1 << 0 << 6 << "formula" << true << true << 2 << "110" << "110" << 3 << 2 << 50 << 24000;
    QTest::newRow("Drive4 3395 4K at 4000 Hz") << "r11" << 32 << 1 << 6 << "formula" << true << true << 2 << "110" << "110" << 5 << 1 << 50 << 24000;
    QTest::newRow("Drive5 OTS24 1K") << "r12" << 2 << 0 << 5 << "ots24" << true << true << 2 << "110" << "000" << 2 << 0 << 50 << 24000;
    QTest::newRow("Drive6 3950 4K at 4000 Hz") << "r16" << 32 << 0 << 8 << "formula" << true << true << 3 << "111" << "110" << 5 << 1 << 50 << 30000;
    QTest::newRow("Drive7 3395 8K at 8000 Hz") << "r17" << 64 << 1 << 8 << "formula" << true << true << 2 << "111" << "111" << 6 << 1 << 50 << 26000;
    QTest::newRow("Drive7 3395 on its cable") << "m17w" << 16 << 1 << 8 << "formula" << true << true << 2 << "111" << "000" << 3 << 1 << 50 << 26000;
    QTest::newRow("Drive8 3950 8K at 125 Hz") << "r18" << 8 << 1 << 7 << "formula" << true << true << 3 << "111" << "111" << 0 << 2 << 50 << 30000;
    QTest::newRow("Drive9 OFS25 wired") << "m22" << 1 << 0 << 6 << "formula" << true << false << 2 << "111" << "000" << 3 << 0 << 50 << 25600;
    QTest::newRow("Drive10 3950 8K") << "r23" << 4 << 0 << 8 << "formula" << true << true << 3 << "111" << "111" << 1 << 2 << 50 << 30000;
    QTest::newRow("Drive11 OTS12 1K, compact") << "r30" << 1 << 0 << 3 << "ots12" << false << false << 2 << "010" << "000" << 3 << 0 << 100 << 12800;
}

void tst_SensorPage::fillShowsWhatTheModelOffers()
{
    QFETCH(QString, listed);
    QFETCH(int, rate);
    QFETCH(int, mode);
    QFETCH(int, stages);
    QFETCH(QString, road);
    QFETCH(bool, full);
    QFETCH(bool, lodEnabled);
    QFETCH(int, lodEntries);
    QFETCH(QString, switches);
    QFETCH(QString, highRates);
    QFETCH(int, rateButton);
    QFETCH(int, modeState);
    QFETCH(int, sliderMin);
    QFETCH(int, sliderMax);

    // Stage i: code 16 + 2i and colour (10i, 100 + i, 200 - i); stage 1 active.
    QList<int> patch = {0, rate, 1, stages, 2, 1, 5, 2, 7, 1, 9, 0, 10, 1, 12, 1, 13, 150, 14, mode,
                        63, 2, 64, 90, 65, 4, 66, 1};
    for (int i = 0; i < 8; ++i)
        patch << stageByte(i, 0) << 16 + 2 * i << stageByte(i, 1) << 16 + 2 * i << stageByte(i, 2) << 0
              << stageByte(i, 3) << 10 * i << stageByte(i, 4) << 100 + i << stageByte(i, 5) << 200 - i;
    QVERIFY(link(listed, patch));
    // What a previous device left on the page.
    MyConmboBox* duration = m_page->performanceDuration();
    g_UiReady = false;
    duration->setCurrentIndex(4);
    m_page->modeChooser()->setCurrentIndex(1);
    g_UiReady = true;
    const QByteArray before = mouseImage();
    QCOMPARE(before, bytesOf(currentFlashData()));

    fill();

    QCOMPARE(sends(), 0);
    QCOMPARE(notices(), 0);
    QCOMPARE(mouseImage(), before);
    QVERIFY(g_SensorPageApplied);
    QVERIFY(!g_SensorPageFilling);

    const int maxGrade = qMin(8, stages);  // every model here has at least `stages`
    for (int i = 0; i < maxGrade; ++i) {
        QCOMPARE(dpi()->stageText(i), QString::number(shownDpi(road, 16 + 2 * i)));
        QCOMPARE(dpi()->stageColour(i), QStringLiteral("%1,%2,%3").arg(10 * i).arg(100 + i).arg(200 - i));
    }
    for (int i = 0; i < 8; ++i)
        QCOMPARE(!dpi()->stageButton(i)->isHidden(), i < stages);
    QCOMPARE(dpi()->checkedStage(), 1);
    QCOMPARE(dpi()->currentStage(), 1);
    QCOMPARE(dpi()->marker()->pos(), dpi()->markerPosition(1));
    QCOMPARE(dpi()->stageCountBox()->currentIndex(), stages - 1);
    QCOMPARE(dpi()->spinBox()->value(), shownDpi(road, 18));
    QCOMPARE(dpi()->slider()->minimum(), sliderMin);
    QCOMPARE(dpi()->slider()->maximum(), sliderMax);

    QCOMPARE(!m_page->performanceBox()->isHidden(), full);
    QCOMPARE(!m_page->lodFrame()->isHidden(), full);
    QCOMPARE(m_page->lodFrame()->chooser()->isEnabled(), lodEnabled);
    QCOMPARE(m_page->lodFrame()->chooser()->count(), lodEntries);
    QCOMPARE(m_page->lodFrame()->chooser()->currentText(), QString("2mm"));
    QCOMPARE(m_page->effectFrame()->pos(), QPoint(80, full ? 456 : 316));
    const QString shownSwitches = QString::number(!m_page->rippleFrame()->isHidden())
                                  + QString::number(!m_page->straightLineFrame()->isHidden())
                                  + QString::number(!m_page->motionSyncFrame()->isHidden());
    QCOMPARE(shownSwitches, switches);
    QVERIFY(m_page->rippleFrame()->isChecked());
    QVERIFY(!m_page->straightLineFrame()->isChecked());
    QVERIFY(m_page->motionSyncFrame()->isChecked());

    QString shownRates;
    for (int i = 4; i < 7; ++i)
        shownRates += QString::number(!m_page->rateFrame()->button(i)->isHidden());
    QCOMPARE(shownRates, highRates);
    QCOMPARE(m_page->rateFrame()->checkedIndex(), rateButton);

    MyConmboBox* chooser = m_page->modeChooser();
    switch (modeState) {
    case 0:
        QVERIFY(!chooser->isEnabled());
        QCOMPARE(chooser->currentIndex(), 1);
        break;
    case 1:
        QVERIFY(!chooser->isEnabled());
        QCOMPARE(chooser->currentIndex(), int(Sensor::LowPower));
        break;
    default:
        QVERIFY(chooser->isEnabled());
        QCOMPARE(chooser->currentIndex(), mode);
        QVERIFY(m_page->modeChooserView()->isRowHidden(Sensor::LowPower));
    }

    // Performance on with a time the chooser lacks (150): the entry stays.
    QVERIFY(m_page->performanceBox()->isChecked());
    QVERIFY(duration->isEnabled());
    QCOMPARE(duration->currentIndex(), 4);

    // DPI light: breathing, speed 4, brightness code 90 = level 4.
    QCOMPARE(m_page->effectFrame()->modeChooser()->currentIndex(), 2);
    QCOMPARE(m_page->effectFrame()->speedSlider()->value(), 4);
    QCOMPARE(m_page->effectFrame()->brightnessSlider()->value(), 4);

    // A reported DPI light is shown and not written back.
    FlashDataMap led = currentFlashData();
    led.dpiLed.on = 0;
    led.dpiLed.speed = 1;
    led.dpiLed.brightness = 255;
    m_page->SlotUpDataDPILed(led);
    QCOMPARE(m_page->effectFrame()->modeChooser()->currentIndex(), 0);
    QCOMPARE(m_page->effectFrame()->brightnessSlider()->value(), 10);
    QCOMPARE(sends(), 0);
    QCOMPARE(mouseImage(), before);
}

// ---- User roads ----

void tst_SensorPage::sliderWritesTheSnappedStage_data()
{
    QTest::addColumn<QString>("listed");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("pageStep");

    QTest::newRow("gap snaps up to the next segment") << "r8" << 10070 << 10100 << 100 << 0x22 << 100;
    QTest::newRow("second segment, doubled") << "r8" << 12345 << 12300 << 122 << 0x22 << 100;
    QTest::newRow("first segment") << "r8" << 9999 << 9950 << 198 << 0x00 << 50;
    QTest::newRow("fourth segment, four times") << "r16" << 28123 << 28000 << 139 << 0x33 << 400;
    QTest::newRow("extra code bits in the flags") << "r17" << 25650 << 25600 << 255 << 0x44 << 200;
    QTest::newRow("table sensor") << "m7" << 850 << 800 << 7 << 0x00 << 100;
}

void tst_SensorPage::sliderWritesTheSnappedStage()
{
    QFETCH(QString, listed);
    QFETCH(int, value);
    QFETCH(int, shown);
    QFETCH(int, code);
    QFETCH(int, flags);
    QFETCH(int, pageStep);
    QVERIFY(link(listed, {1, 4, 2, 2}));
    fill();
    const QByteArray before = mouseImage();
    QCOMPARE(sends(), 0);

    dpi()->slider()->setValue(value);  // a drag released there

    QCOMPARE(dpi()->spinBox()->value(), shown);
    QCOMPARE(dpi()->stageText(2), QString::number(shown));
    QCOMPARE(dpi()->slider()->pageStep(), pageStep);
    QCOMPARE(sends(), 1);
    QTRY_COMPARE(mouseImage(),
                 patched(before, {stageByte(2, 0), code, stageByte(2, 1), code, stageByte(2, 2), flags}));
}

void tst_SensorPage::stepButtons_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("result");

    // Drive2: 50..10000 step 50, 10100..30000 step 100.
    QTest::newRow("up at a segment's end jumps to the next") << 10000 << true << 10100;
    QTest::newRow("down at a segment's end steps") << 10000 << false << 9950;
    QTest::newRow("up in the second segment") << 10100 << true << 10200;
    QTest::newRow("down into the gap lands below it") << 10100 << false << 10000;
    QTest::newRow("up at the maximum stays") << 30000 << true << 30000;
}

void tst_SensorPage::stepButtons()
{
    QFETCH(int, start);
    QFETCH(bool, up);
    QFETCH(int, result);
    QVERIFY(link("r8", {1, 4, 2, 0}));
    fill();
    dpi()->slider()->setValue(start);
    QCOMPARE(dpi()->spinBox()->value(), start);
    DeviceLinkFixture::clearCalls();

    QTest::mouseClick(up ? dpi()->addButton() : dpi()->reduceButton(), Qt::LeftButton);

    QCOMPARE(dpi()->spinBox()->value(), result);
    QCOMPARE(dpi()->stageText(0), QString::number(result));
    QCOMPARE(sends(), result == start ? 0 : 1);
    const FlashDataMap image = currentFlashData();
    QCOMPARE(SensorDpiCodec::decode(SensorDpiCodec::Context::fromGlobals(), image.dpiStages[0].xCode,
                                    image.dpiStages[0].rangeFlags),
             result);
    QTRY_COMPARE(mouseImage(), bytesOf(image));
}

void tst_SensorPage::stageClickAndColour()
{
    QVERIFY(link("r8", {1, 6, 2, 0}));
    fill();
    const QByteArray before = mouseImage();

    // A click selects the stage: byte 2 only; its value is shown, not written.
    QTest::mouseClick(dpi()->stageButton(4), Qt::LeftButton);
    QCOMPARE(dpi()->checkedStage(), 4);
    QCOMPARE(dpi()->marker()->pos(), dpi()->markerPosition(4));
    QCOMPARE(dpi()->spinBox()->value(), dpi()->stageText(4).toInt());
    QCOMPARE(sends(), 1);
    QTRY_COMPARE(mouseImage(), patched(before, {2, 4}));

    // A swatch selects its stage and opens the colour dialog; the colour goes
    // into that stage's record only.
    QTest::mouseClick(dpi()->swatch(3), Qt::LeftButton);
    QCOMPARE(dpi()->checkedStage(), 3);
    QTRY_VERIFY(dpi()->colorDialog()->isVisible());
    // It opens on the stage's own colour.
    const QStringList rgb = dpi()->stageColour(3).split(',');
    QCOMPARE(dpi()->colorDialog()->currentColor(), QColor(rgb.at(0).toInt(), rgb.at(1).toInt(), rgb.at(2).toInt()));
    dpi()->colorDialog()->setCurrentColor(QColor(12, 34, 56));
    dpi()->colorDialog()->accept();
    QCOMPARE(dpi()->stageColour(3), QString("12,34,56"));
    QCOMPARE(sends(), 3);
    QTRY_COMPARE(mouseImage(), patched(before, {2, 3, stageByte(3, 3), 12, stageByte(3, 4), 34,
                                                stageByte(3, 5), 56}));
}

void tst_SensorPage::swatchesStayClickable_data()
{
    QTest::addColumn<QList<int>>("clicks");  // stage buttons clicked in turn
    QTest::addColumn<int>("target");         // the swatch then clicked

    QTest::newRow("nothing clicked yet") << QList<int>{} << 5;
    QTest::newRow("a stage selected, another's swatch") << QList<int>{4} << 2;
    QTest::newRow("a stage selected earlier, its own swatch") << QList<int>{4, 1} << 4;
    QTest::newRow("the selected stage's own swatch") << QList<int>{7, 0, 6} << 6;
}

// Each stage's colour bar stays in view over its stage button whatever was
// selected before, a click on it reaches it, and the colour dialog opens on
// that stage's colour.
void tst_SensorPage::swatchesStayClickable()
{
    QFETCH(QList<int>, clicks);
    QFETCH(int, target);
    QVERIFY(link("r9", {1, 8, 2, 0}));  // Drive3: eight stages
    fill();
    for (int stage : clicks)
        QTest::mouseClick(dpi()->stageButton(stage), Qt::LeftButton);

    for (int k = 0; k < SensorDPI::kStageCount; ++k) {
        const QPoint centre = dpi()->swatch(k)->geometry().center();
        QVERIFY2(dpi()->childAt(centre) == dpi()->swatch(k), qPrintable(QString("swatch %1 covered").arg(k)));
    }

    const QString colour = dpi()->stageColour(target);
    QWidget* atSwatch = dpi()->childAt(dpi()->swatch(target)->geometry().center());
    QVERIFY(atSwatch);
    QTest::mouseClick(atSwatch, Qt::LeftButton);
    QCOMPARE(dpi()->checkedStage(), target);
    QTRY_VERIFY(dpi()->colorDialog()->isVisible());
    const QStringList rgb = colour.split(',');
    QCOMPARE(dpi()->colorDialog()->currentColor(), QColor(rgb.at(0).toInt(), rgb.at(1).toInt(), rgb.at(2).toInt()));
    dpi()->colorDialog()->reject();
}

void tst_SensorPage::stageCountReduction_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("newCount");
    QTest::addColumn<bool>("exchanged");

    QTest::newRow("selected stage hidden: exchanged") << 6 << 4 << true;
    QTest::newRow("selected stage stays") << 2 << 4 << false;
    QTest::newRow("grow") << 2 << 7 << false;
}

void tst_SensorPage::stageCountReduction()
{
    QFETCH(int, selected);
    QFETCH(int, newCount);
    QFETCH(bool, exchanged);
    QVERIFY(link("r9", {1, 8, 2, selected}));  // Drive3: eight stages
    fill();
    const QByteArray before = mouseImage();
    const QString selectedText = dpi()->stageText(selected);
    const QString selectedColour = dpi()->stageColour(selected);
    const int last = newCount - 1;
    const QString lastText = dpi()->stageText(last);

    dpi()->stageCountBox()->setCurrentIndex(last);

    QByteArray expected = patched(before, {1, newCount});
    if (exchanged) {
        expected = patched(expected, {2, last});
        for (int f = 0; f < 6; ++f) {
            expected[stageByte(last, f)] = before.at(stageByte(selected, f));
            expected[stageByte(selected, f)] = before.at(stageByte(last, f));
        }
        QCOMPARE(dpi()->stageText(last), selectedText);
        QCOMPARE(dpi()->stageText(selected), lastText);
        QCOMPARE(dpi()->stageColour(last), selectedColour);
        QCOMPARE(dpi()->checkedStage(), last);
        QCOMPARE(dpi()->currentStage(), last);
        QCOMPARE(sends(), 3);
    } else {
        QCOMPARE(dpi()->checkedStage(), selected);
        QCOMPARE(sends(), 1);
    }
    for (int i = 0; i < 8; ++i)
        QCOMPARE(!dpi()->stageButton(i)->isHidden(), i <= last);
    QTRY_COMPARE(mouseImage(), expected);
}

void tst_SensorPage::markerDrop_data()
{
    QTest::addColumn<int>("stages");
    QTest::addColumn<int>("from");       // selected stage
    QTest::addColumn<int>("releaseX");
    QTest::addColumn<int>("newStage");   // -1: back home, nothing written
    QTest::addColumn<int>("writes");

    QTest::newRow("100 px right selects the next stage") << 4 << 0 << 127 << 1 << 2;
    QTest::newRow("50 px right stays") << 4 << 0 << 77 << -1 << 0;
    QTest::newRow("three stages left") << 8 << 5 << 483 - 270 << 2 << 2;
    QTest::newRow("beyond the last shown stage") << 1 << 0 << 100 << 0 << 1;
    QTest::newRow("right of the drop area") << 8 << 7 << 710 << -1 << 0;
}

void tst_SensorPage::markerDrop()
{
    QFETCH(int, stages);
    QFETCH(int, from);
    QFETCH(int, releaseX);
    QFETCH(int, newStage);
    QFETCH(int, writes);
    QVERIFY(link("r9", {1, stages, 2, from}));
    fill();
    const QByteArray before = mouseImage();
    QLabel* marker = dpi()->marker();
    const QPoint home = dpi()->markerPosition(from);
    QCOMPARE(marker->pos(), home);

    // Grab the marker 5 px inside, drag it (the pointer keeps that offset).
    const QPoint grab = home + QPoint(5, 5);
    QTest::mousePress(dpi(), Qt::LeftButton, {}, grab);
    const QPoint drop(releaseX, grab.y());
    QMouseEvent move(QEvent::MouseMove, drop, dpi()->mapToGlobal(drop), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(dpi(), &move);
    if (drop.x() - 5 + 30 <= 728)
        QCOMPARE(marker->pos(), drop - QPoint(5, 5));
    QCOMPARE(sends(), 0);  // the drag itself writes nothing
    QTest::mouseRelease(dpi(), Qt::LeftButton, {}, drop);

    const int shown = newStage < 0 ? from : newStage;
    QCOMPARE(marker->pos(), dpi()->markerPosition(shown));
    QCOMPARE(dpi()->currentStage(), shown);
    QCOMPARE(dpi()->checkedStage(), shown);
    QCOMPARE(sends(), writes);
    QTRY_COMPARE(mouseImage(), patched(before, {2, shown}));
}

void tst_SensorPage::sensorModeAndPerformance()
{
    QVERIFY(link("r8", {0, 1, 12, 0, 13, 6, 14, 0}));
    fill();
    const QByteArray before = mouseImage();

    m_page->modeChooser()->setCurrentIndex(Sensor::HighPerformance);
    QTRY_COMPARE(mouseImage(), patched(before, {14, 1}));
    m_page->modeChooser()->setCurrentIndex(Sensor::LowPower);  // never the user's to write
    QCOMPARE(sends(), 1);

    QVERIFY(!m_page->performanceDuration()->isEnabled());
    QCheckBox* box = m_page->performanceBox();
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    QVERIFY(m_page->performanceDuration()->isEnabled());
    m_page->performanceDuration()->setCurrentIndex(3);
    QCOMPARE(sends(), 3);
    QTRY_COMPARE(mouseImage(), patched(before, {14, 1, 12, 1, 13, 30}));
    m_page->performanceDuration()->setCurrentIndex(-1);
    QCOMPARE(sends(), 3);
}

void tst_SensorPage::rateClickLocksAndUnlocksTheSensorMode()
{
    // Drive7 through its 8K receiver, sensor 3395 offers the mode choice.
    QVERIFY(link("r17", {0, 1, 14, 1}));
    fill();
    const QByteArray before = mouseImage();
    MyConmboBox* chooser = m_page->modeChooser();
    QVERIFY(chooser->isEnabled());

    QTest::mouseClick(m_page->rateFrame()->button(6), Qt::LeftButton);
    QVERIFY(!chooser->isEnabled());
    QCOMPARE(chooser->currentIndex(), int(Sensor::LowPower));
    QVERIFY(!m_page->modeChooserView()->isRowHidden(Sensor::LowPower));
    QTRY_COMPARE(mouseImage(), patched(before, {0, 64}));

    // Back to 1000 Hz: the stored mode returns (and is sent with it).
    QTest::mouseClick(m_page->rateFrame()->button(3), Qt::LeftButton);
    QVERIFY(chooser->isEnabled());
    QCOMPARE(chooser->currentIndex(), 1);
    QVERIFY(m_page->modeChooserView()->isRowHidden(Sensor::LowPower));
    QTRY_COMPARE(mouseImage(), before);

    // A refused rate (offline) changes no mode.
    QVERIFY(HidSimControl::setPowered(m_mouse, false));
    QTRY_VERIFY(!UsbFinderC_GetDeviceOnLine(g_DevicePath.load()));
    QTest::mouseClick(m_page->rateFrame()->button(5), Qt::LeftButton);
    QVERIFY(chooser->isEnabled());
    QCOMPARE(notices(), 1);
}

void tst_SensorPage::hideModelRules_data()
{
    QTest::addColumn<QString>("listed");
    QTest::addColumn<int>("high");
    QTest::addColumn<bool>("enabled");  // chooser afterwards
    QTest::addColumn<int>("entry");

    // Byte 0 = 1000 Hz, byte 14 = HP in every row.
    QTest::newRow("8K receiver, high rate locks LP") << "r17" << 1 << false << int(Sensor::LowPower);
    QTest::newRow("8K receiver, low rate keeps the mode") << "r17" << 0 << true << 1;
    QTest::newRow("1K receiver has no high rates") << "r8" << 1 << true << 1;
    QTest::newRow("cable stays on LP") << "m17w" << 0 << false << int(Sensor::LowPower);
    QTest::newRow("cable, high") << "m17w" << 1 << false << int(Sensor::LowPower);
    QTest::newRow("sensor without the choice") << "r12" << 1 << false << 0;
}

void tst_SensorPage::hideModelRules()
{
    QFETCH(QString, listed);
    QFETCH(int, high);
    QFETCH(bool, enabled);
    QFETCH(int, entry);
    QVERIFY(link(listed, {0, 1, 14, 1}));
    g_UiReady = false;
    m_page->modeChooser()->setCurrentIndex(0);
    g_UiReady = true;
    fill();
    const QByteArray before = mouseImage();

    PostMsg::GetInstance()->PostHideModel(high);

    QCOMPARE(m_page->modeChooser()->isEnabled(), enabled);
    QCOMPARE(m_page->modeChooser()->currentIndex(), entry);
    QCOMPARE(sends(), 0);
    QCOMPARE(mouseImage(), before);
}

void tst_SensorPage::nextChangeAfterEveryFillIsWritten()
{
    QVERIFY(link("r8", {1, 6, 2, 3}));
    // Fill, a reported stage, a second fill with the slider already on the value,
    // a reset: after each, the user's next value is written.
    const QList<std::function<void()>> fills = {
        [this] { fill(); },
        [this] { m_page->SlotUpDataDPI(1); },
        [this] { m_page->SlotUpDataSenSorUIB(currentFlashData()); },
        [this] { m_page->SlotUpDataSenSorUIB(currentFlashData()); },
        [this] { m_page->SlotFormReset(); },
    };
    int value = 1000;
    for (const auto& f : fills) {
        f();
        QCOMPARE(pageSends(), 0);
        const int stage = dpi()->checkedStage();
        QVERIFY(stage >= 0);
        value += 500;
        dpi()->slider()->setValue(value);
        QCOMPARE(pageSends(), 1);
        QTRY_COMPARE(HidSimControl::configImage(m_mouse), bytesOf(currentFlashData()));
        const FlashDataMap image = currentFlashData();
        QCOMPARE(SensorDpiCodec::decode(SensorDpiCodec::Context::fromGlobals(), image.dpiStages[stage].xCode,
                                        image.dpiStages[stage].rangeFlags),
                 value);
        DeviceLinkFixture::clearCalls();
    }
}

void tst_SensorPage::stageShowsWhatTheMouseGot_data()
{
    QTest::addColumn<QString>("listed");
    QTest::addColumn<QString>("range");   // the model's "DPIRange"
    QTest::addColumn<int>("slider");      // value set on the slider, 0: none
    QTest::addColumn<int>("button");      // then: 1 step up, -1 step down, 0 none
    QTest::addColumn<bool>("written");

    // Drive1 has a sensor with a code table of 100..12800 in steps of 100.
    QTest::newRow("slider on a value the table lacks") << "m7" << "50,12000,50,00" << 150 << 0 << false;
    QTest::newRow("step onto a value the table lacks") << "m7" << "50,12000,50,00" << 0 << 1 << false;
    QTest::newRow("value the table has") << "m7" << "50,12000,50,00" << 3000 << 0 << true;
    // Drive2's sensor has no table.
    QTest::newRow("bounds not numbers, step up") << "r8" << "a,b,c,22" << 0 << 1 << false;
    QTest::newRow("bounds not numbers, slider") << "r8" << "a,b,c,22" << 3000 << 0 << true;
    QTest::newRow("zero step, step down") << "r8" << "50,10000,0,22" << 0 << -1 << false;
    QTest::newRow("backward segment, slider off the codes") << "r8" << "10000,50,50,00" << 3010 << 0 << true;
}

// Whatever the catalogue holds, a stage never shows a value other than the one
// its record in the mouse means: a value without a code is refused and the
// stage keeps its own.
void tst_SensorPage::stageShowsWhatTheMouseGot()
{
    QFETCH(QString, listed);
    QFETCH(QString, range);
    QFETCH(int, slider);
    QFETCH(int, button);
    QFETCH(bool, written);
    const QString catalogue = catalogueWith(listed == "m7" ? "Drive1" : "Drive2", "DPIRange", range);
    QVERIFY(!catalogue.isEmpty());
    m_fixture.writeCatalogue(catalogue);
    QVERIFY(link(listed, {1, 4, 2, 1}));
    fill();
    const QByteArray before = mouseImage();
    const QString beforeText = dpi()->stageText(1);
    QCOMPARE(dpi()->checkedStage(), 1);

    if (slider)
        dpi()->slider()->setValue(slider);
    if (button)
        QTest::mouseClick(button > 0 ? dpi()->addButton() : dpi()->reduceButton(), Qt::LeftButton);

    QCOMPARE(sends(), written ? 1 : 0);
    QTRY_COMPARE(mouseImage(), bytesOf(currentFlashData()));
    const FlashDataMap after = currentFlashData();
    const int meant = SensorDpiCodec::decode(SensorDpiCodec::Context::fromGlobals(), after.dpiStages[1].xCode,
                                             after.dpiStages[1].rangeFlags);
    QCOMPARE(dpi()->stageText(1), QString::number(meant));
    QCOMPARE(dpi()->spinBox()->value(), meant);
    if (!written) {
        QCOMPARE(mouseImage(), before);
        QCOMPARE(dpi()->stageText(1), beforeText);
    }
}

void tst_SensorPage::oddCatalogueAndImageValues_data()
{
    QTest::addColumn<QString>("key");       // Drive2 key replaced ("" none)
    QTest::addColumn<QString>("value");
    QTest::addColumn<QList<int>>("patch");  // image bytes

    QTest::newRow("DPIMaxGrade 12") << "DPIMaxGrade" << "12" << QList<int>{1, 8, 2, 7};
    QTest::newRow("DPIMaxGrade 0") << "DPIMaxGrade" << "0" << QList<int>{1, 3, 2, 1};
    QTest::newRow("DPIMaxGrade not a number") << "DPIMaxGrade" << "many" << QList<int>{1, 3, 2, 1};
    QTest::newRow("DPIMaxGrade below the count") << "DPIMaxGrade" << "4" << QList<int>{1, 6, 2, 5};
    QTest::newRow("stage 9 of 0") << "" << "" << QList<int>{1, 0, 2, 9};
    QTest::newRow("stage 200 of 255") << "" << "" << QList<int>{1, 255, 2, 200};
    QTest::newRow("DPIRange missing") << "DPIRange" << "" << QList<int>{1, 4, 2, 1};
    QTest::newRow("DPIRange short") << "DPIRange" << "100,22" << QList<int>{1, 4, 2, 1};
    QTest::newRow("step 0") << "DPIRange" << "50,10000,0,10100,30000,x,22" << QList<int>{1, 4, 2, 1};
    QTest::newRow("odd lift-off and light") << "" << "" << QList<int>{1, 4, 2, 1, 5, 9, 13, 7, 14, 9, 63, 9, 64, 77, 66, 4};
}

void tst_SensorPage::oddCatalogueAndImageValues()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QList<int>, patch);
    if (!key.isEmpty()) {
        const QString catalogue = catalogueWith("Drive2", key, value);
        QVERIFY(!catalogue.isEmpty());
        m_fixture.writeCatalogue(catalogue);
    }
    QVERIFY(link("r8", patch));
    const QByteArray before = mouseImage();

    fill();
    QCOMPARE(sends(), 0);
    QCOMPARE(notices(), 0);
    QCOMPARE(mouseImage(), before);

    // The user's changes afterwards reach only real fields with real codes.
    const int stage = dpi()->checkedStage();
    dpi()->slider()->setValue(dpi()->slider()->value() == 3000 ? 3100 : 3000);
    dpi()->stageCountBox()->setCurrentIndex(dpi()->stageCountBox()->count() - 1);
    m_page->lodFrame()->chooser()->setCurrentIndex(0);
    m_page->effectFrame()->brightnessSlider()->setValue(3);
    QTest::mouseClick(dpi()->addButton(), Qt::LeftButton);
    QTest::mousePress(dpi(), Qt::LeftButton, {}, dpi()->marker()->pos() + QPoint(5, 5));
    QTest::mouseRelease(dpi(), Qt::LeftButton, {}, dpi()->marker()->pos() + QPoint(100, 5));
    QTRY_COMPARE(mouseImage(), bytesOf(currentFlashData()));

    const FlashDataMap after = currentFlashData();
    const QByteArray a = bytesOf(after);
    for (int i = 0; i < a.size(); ++i) {
        const bool stageField = i >= 15 && i < 63;
        if (!stageField && i != 1 && i != 2 && i != 5 && i != 64)
            QVERIFY2(a.at(i) == before.at(i), qPrintable(QString("byte %1 changed").arg(i)));
    }
    QVERIFY((after.dpiStageCount >= 1 && after.dpiStageCount <= 8) || after.dpiStageCount == before.at(1));
    QVERIFY(after.activeDpiStage < 8 || after.activeDpiStage == quint8(before.at(2)));
    QVERIFY(QList<int>({1, 2, 3, quint8(before.at(5))}).contains(after.liftOffDistance));
    if (stage >= 0) {
        const int shown = dpi()->stageText(stage).toInt();
        QCOMPARE(SensorDpiCodec::decode(SensorDpiCodec::Context::fromGlobals(), after.dpiStages[stage].xCode,
                                        after.dpiStages[stage].rangeFlags),
                 shown);
    }
}

void tst_SensorPage::resetWithoutImage_data()
{
    QTest::addColumn<QString>("listed");
    QTest::addColumn<bool>("motionSync");
    QTest::addColumn<int>("sliderMax");
    QTest::addColumn<int>("lightMode");
    QTest::addColumn<int>("layoutHigh");   // visible high-rate buttons
    QTest::addColumn<int>("mode");

    QTest::newRow("8K model with motion sync") << "r17" << true << 30000 << 0 << 3 << int(Sensor::LowPower);
    QTest::newRow("model 11 on 4K") << "r11" << false << 24000 << 2 << 2 << int(Sensor::LowPower);
    QTest::newRow("wired model") << "m7" << false << 12000 << 2 << 0 << int(Sensor::LowPower);
    QTest::newRow("1K receiver") << "r30" << false << 12000 << 2 << 0 << int(Sensor::Corded);
}

void tst_SensorPage::resetWithoutImage()
{
    QFETCH(QString, listed);
    QFETCH(bool, motionSync);
    QFETCH(int, sliderMax);
    QFETCH(int, lightMode);
    QFETCH(int, layoutHigh);
    QFETCH(int, mode);
    QVERIFY(link(listed));
    QVERIFY(listed.startsWith('m') ? HidSimControl::unplug(m_mouse) : HidSimControl::setPowered(m_mouse, false));
    QTRY_VERIFY(!UsbFinderC_GetDeviceOnLine(g_DevicePath.load()));
    DeviceLinkFixture::clearCalls();

    m_page->SlotFormReset();

    QCOMPARE(sends(), 0);
    QCOMPARE(notices(), 0);
    QVERIFY(!g_SensorPageFilling);
    QCOMPARE(!m_page->motionSyncFrame()->isHidden(), motionSync);
    QVERIFY(m_page->motionSyncFrame()->isChecked());
    QCOMPARE(dpi()->slider()->maximum(), sliderMax);
    QCOMPARE(dpi()->slider()->minimum(), 50);
    QCOMPARE(m_page->effectFrame()->modeChooser()->currentIndex(), lightMode);
    QCOMPARE(dpi()->stageCountBox()->count(), 6);
    QCOMPARE(dpi()->checkedStage(), 1);
    QCOMPARE(dpi()->spinBox()->value(), 800);
    int high = 0;
    for (int i = 4; i < 7; ++i)
        high += m_page->rateFrame()->button(i)->isHidden() ? 0 : 1;
    QCOMPARE(high, layoutHigh);
    QCOMPARE(m_page->rateFrame()->checkedIndex(), 3);
    QCOMPARE(m_page->modeChooser()->currentIndex(), mode);
    QCOMPARE(m_page->performanceDuration()->currentIndex(), 1);
    QVERIFY(!m_page->performanceBox()->isChecked());
    // Stage texts and colours are the model's defaults.
    const QStringList grades = ConfigSettings::instance()->valueList(
        "Drive" + QString::number(currentDeviceCopy().modelIndex + 1), "DPIGrade");
    QCOMPARE(dpi()->stageText(0), grades.at(0));
    QCOMPARE(dpi()->stageText(1), "800");
}

void tst_SensorPage::mouseButtonsShowOnThePage()
{
    // The real road: the device thread reads the mouse and the page fills.
    m_mouse = "m17";
    m_page.reset(new Sensor);
    m_page->show();
    g_DeviceModelId = 17;
    QVERIFY(m_fixture.openDevice("r17"));
    QTRY_VERIFY(g_SensorPageApplied);
    QCOMPARE(pageSends(), 0);
    const QByteArray start = HidSimControl::configImage(m_mouse);
    QCOMPARE(dpi()->checkedStage(), int(start.at(2)));
    QCOMPARE(m_page->rateFrame()->checkedIndex(), SensorRate::indexOfCode(start.at(0)));

    for (int press = 0; press < 3; ++press) {
        QVERIFY(HidSimControl::pressDpiButton(m_mouse));
        QTRY_COMPARE(dpi()->checkedStage(), int(HidSimControl::configImage(m_mouse).at(2)));
        QCOMPARE(dpi()->currentStage(), dpi()->checkedStage());
        QCOMPARE(dpi()->marker()->pos(), dpi()->markerPosition(dpi()->checkedStage()));
        QVERIFY(g_UiReady);
    }
    for (int press = 0; press < 4; ++press) {
        QVERIFY(HidSimControl::pressRateButton(m_mouse));
        QTRY_COMPARE(m_page->rateFrame()->checkedIndex(),
                     SensorRate::indexOfCode(HidSimControl::configImage(m_mouse).at(0)));
        const bool high = quint8(HidSimControl::configImage(m_mouse).at(0)) >= 16;
        QCOMPARE(m_page->modeChooser()->isEnabled(), !high);
    }
    // None of it was written back by the page.
    QCOMPARE(pageSends(), 0);

    // And the user's next value after all that is written.
    const int stage = dpi()->checkedStage();
    dpi()->slider()->setValue(4000);
    QCOMPARE(pageSends(), 1);
    QTRY_COMPARE(HidSimControl::configImage(m_mouse).at(stageByte(stage, 0)), char(4000 / 50 - 1));
}

void tst_SensorPage::languageTexts()
{
    AppPaths::setApplicationDirOverride(QStringLiteral(DESKLINK_APP_DIR));
    LanguageTables::load();
    AppPaths::setApplicationDirOverride(m_fixture.appDir());
    m_page.reset(new Sensor);
    m_page->SlotAllLanguage(0);
    auto text = [](int position) { return LanguageTables::text(LanguageSection::Sensor, 0, position); };
    QVERIFY(!text(1).isEmpty());
    QCOMPARE(m_page->rateFrame()->findChild<QLabel*>("label")->text(), text(1));
    QCOMPARE(m_page->findChild<QLabel*>("label_11")->toolTip(), text(21));
    QCOMPARE(m_page->rippleFrame()->titleLabel()->text(), text(6));
    QCOMPARE(m_page->rippleFrame()->titleLabel()->toolTip(), text(26));
    QCOMPARE(m_page->motionSyncFrame()->titleLabel()->toolTip(), text(24));
    QCOMPARE(m_page->performanceDuration()->itemText(5), text(14));
    QCOMPARE(m_page->effectFrame()->modeChooser()->itemText(2), text(18));
    QCOMPARE(m_page->modeChooser()->itemText(2), QString("LP"));
    LanguageTables::clear();
}

void tst_SensorPage::shippedTextsFit()
{
    AppPaths::setApplicationDirOverride(QStringLiteral(DESKLINK_APP_DIR));
    LanguageTables::load();
    AppPaths::setApplicationDirOverride(m_fixture.appDir());
    m_page.reset(new Sensor);
    QStringList cut;
    for (int language = 0; language < kLanguageCount; ++language) {
        m_page->SlotAllLanguage(language);
        for (QWidget* w : m_page->findChildren<QWidget*>()) {
            if (w->window() != m_page.get())
                continue;  // the colour dialog has texts of its own
            int needed = 0;
            if (auto* label = qobject_cast<QLabel*>(w); label && !label->wordWrap())
                needed = label->fontMetrics().horizontalAdvance(label->text()) - label->contentsRect().width();
            else if (auto* box = qobject_cast<QCheckBox*>(w))
                needed = box->sizeHint().width() - box->width();
            if (needed > 0)
                cut << QString("%1 %2: \"%3\" lacks %4 px")
                           .arg(language)
                           .arg(w->objectName(), w->property("text").toString())
                           .arg(needed);
        }
    }
    LanguageTables::clear();
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join('\n')));
}

QString tst_SensorPage::shown() const
{
    QStringList s;
    s << QString::number(m_page->rateFrame()->checkedIndex())
      << QString::number(dpi()->stageCountBox()->currentIndex())
      << QString::number(m_page->lodFrame()->chooser()->currentIndex())
      << QString::number(m_page->straightLineFrame()->isChecked()) << QString::number(m_page->rippleFrame()->isChecked())
      << QString::number(m_page->motionSyncFrame()->isChecked())
      << QString::number(m_page->modeChooser()->currentIndex())
      << QString::number(m_page->performanceBox()->isChecked())
      << QString::number(m_page->effectFrame()->modeChooser()->currentIndex())
      << QString::number(dpi()->checkedStage());
    for (int i = 0; i < FlashDataMap::kDpiStageCount; ++i)
        s << dpi()->stageText(i) + "/" + dpi()->stageColour(i);
    return s.join(' ');
}

void tst_SensorPage::refusedChangeShowsWhatTheMouseHolds_data()
{
    QTest::addColumn<QString>("control");
    for (const char* control : {"rate", "stage count", "lift-off", "angle snapping", "ripple", "motion sync",
                                "stage colour", "DPI light", "sensor mode", "full performance"})
        QTest::newRow(control) << QString(control);
}

void tst_SensorPage::refusedChangeShowsWhatTheMouseHolds()
{
    QFETCH(QString, control);
    // 1000 Hz, six stages, the third active, HP, lift-off 2, the switches off.
    QVERIFY(link("r17", {0, 1, 1, 6, 2, 2, 14, 1, 5, 2, 7, 0, 9, 0, 10, 0, 12, 0}));
    g_DeviceModelId = 17;
    fill();
    const QString held = shown();
    QVERIFY(HidSimControl::setPowered(m_mouse, false));
    QTRY_VERIFY(!UsbFinderC_GetDeviceOnLine(g_DevicePath.load()));
    DeviceLinkFixture::clearCalls();

    if (control == "rate")
        m_page->rateFrame()->button(2)->click();
    else if (control == "stage count")
        dpi()->stageCountBox()->setCurrentIndex(2);
    else if (control == "lift-off")
        m_page->lodFrame()->chooser()->setCurrentIndex(0);
    else if (control == "angle snapping")
        m_page->straightLineFrame()->switchButton()->click();
    else if (control == "ripple")
        m_page->rippleFrame()->switchButton()->click();
    else if (control == "motion sync")
        m_page->motionSyncFrame()->switchButton()->click();
    else if (control == "stage colour")
        dpi()->SetColor(QColor(12, 34, 56));
    else if (control == "DPI light")
        m_page->effectFrame()->modeChooser()->setCurrentIndex(
            m_page->effectFrame()->modeChooser()->currentIndex() == 1 ? 2 : 1);
    else if (control == "sensor mode")
        m_page->modeChooser()->setCurrentIndex(0);
    else
        m_page->performanceBox()->click();
    QCOMPARE(notices(), 1);
    QVERIFY2(shown() != held, "the change shows until the notice is closed");

    // After the notice every control shows what the mouse holds, as before.
    QTRY_COMPARE(shown(), held);
    QCOMPARE(sends(), 0);
    QCOMPARE(notices(), 1);
}

QTEST_MAIN(tst_SensorPage)
#include "tst_sensorpage.moc"
