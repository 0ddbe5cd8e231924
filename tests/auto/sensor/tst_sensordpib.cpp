// The eight-row DPI stage editor against a virtual mouse: filling it as a host
// would sends nothing, each user action puts the expected bytes into the
// mouse, and a mouse that does not answer gets one notice and no write.

#include "DeviceLinkFixture.h"
#include "ImageBytes.h"

#include "app/Globals.h"
#include "device/AnnotatedMutexLocker.h"
#include "device/SensorDpiCodec.h"
#include "device/SensorDpiTables.h"
#include "ui/sensor/MyConmboBox.h"
#include "ui/sensor/MySlider.h"
#include "ui/sensor/SensorDPIB.h"

#include <HIDUsb.h>
#include <HidSimControl.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

#include <cstring>

using hidsim::HidSimControl;

namespace {

const QString kMouse = QStringLiteral("m7");
// Two segments: 50..10000 in steps of 50, 10100..20000 in steps of 100; above
// 10000 the range flags double the code.
const QStringList kRanges = {"50", "10000", "50", "10100", "20000", "100", "22"};

// Stage k holds code 10(k+1) (DPI 50 x (code + 1)) and colour (10k, 20k, 30k).
QByteArray baseline(int count, int active)
{
    QByteArray image = HidSimControl::configImage(kMouse);
    image[1] = char(count);
    image[2] = char(active);
    for (int k = 0; k < 8; ++k) {
        const int at = 15 + 6 * k;
        const int code = 10 * (k + 1);
        const int record[6] = {code, code, 0, 10 * k, 20 * k, 30 * k};
        for (int i = 0; i < 6; ++i)
            image[at + i] = char(record[i]);
    }
    return image;
}

bool installImage(const QByteArray& image)
{
    AnnotatedMutexLocker lock(g_FlashDataMutex);
    std::memcpy(&g_FlashData, image.constData(), sizeof g_FlashData);
    return ProtocolDataUpdate(&g_FlashData);
}

FlashDataMap toImage(const QByteArray& bytes)
{
    FlashDataMap image;
    std::memcpy(&image, bytes.constData(), sizeof image);
    return image;
}

QString colourText(const FlashDataMap& image, int stage)
{
    const DpiStageRecord& r = image.dpiStages[stage];
    return QColor(r.red, r.green, r.blue).name();
}

// What a sensor page does to show an image in the editor.
void fill(SensorDPIB& editor, const QByteArray& bytes, bool blockSliders)
{
    const FlashDataMap image = toImage(bytes);
    const int count = image.dpiStageCount;
    const int active = image.activeDpiStage;
    g_SensorPageFilling = true;
    editor.ClearStageCountItems();
    for (int i = 0; i < 8; ++i)
        editor.InsertStageCountItem(i, QString::number(i + 1));
    editor.stageCountBox()->setCurrentIndex(count - 1);
    // Wider than the model's DPI, so values outside its segments can be chosen.
    editor.SetSliderMinimum(10);
    editor.SetSliderMaximum(32000);
    if (blockSliders)
        editor.BlockSliderSignals(true);
    for (int k = 0; k < 8; ++k) {
        editor.SetStageValue(k, QString::number(SensorDpiCodec::decodeStage(image, k)));
        editor.SetStageColor(k, colourText(image, k));
    }
    editor.RefreshAllSwatches();
    editor.SetCurrentStage(active);
    editor.SetStageCount(count);
    editor.SelectStage(active);
    editor.ShowStageRows(count - 1);
    if (blockSliders)
        editor.BlockSliderSignals(false);
    g_SensorPageFilling = false;
}

// A drag of the stage's handle to `value`, released there (the sliders report on release).
void drag(SensorDPIB& editor, int stage, int value)
{
    MySlider* s = editor.slider(stage);
    s->setSliderDown(true);
    s->setSliderPosition(value);
    s->setSliderDown(false);
}

// "count N" (the stage-count entry for N stages), "check K", "slide K V", "colour K #rrggbb".
void act(SensorDPIB& editor, const QString& action)
{
    const QStringList p = action.split(' ');
    const int n = p.value(1).toInt();
    if (p.at(0) == "count") {
        editor.stageCountBox()->setCurrentIndex(n - 1);
    } else if (p.at(0) == "check") {
        QTest::mouseClick(editor.stageCheck(n), Qt::LeftButton);
    } else if (p.at(0) == "slide") {
        drag(editor, n, p.value(2).toInt());
    } else if (p.at(0) == "colour") {
        QTest::mouseClick(editor.swatch(n), Qt::LeftButton);
        QVERIFY(editor.colorDialog()->isVisible());
        // The chooser opens on the stage's colour.
        QCOMPARE(editor.colorDialog()->currentColor().name(), editor.stageColor(n));
        editor.colorDialog()->setCurrentColor(QColor(p.value(2)));
        editor.colorDialog()->accept();
    }
}

int rgb(int r, int g, int b)
{
    return (r << 16) | (g << 8) | b;
}

// Colour painted at the middle of a stage's swatch.
int swatchColour(SensorDPIB& editor, int stage)
{
    QToolButton* s = editor.swatch(stage);
    const QImage shot = s->grab().toImage();
    return int(shot.pixel(shot.width() / 2, shot.height() / 2) & 0xFFFFFF);
}

} // namespace

class tst_SensorDPIB : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fillingSendsNothing_data();
    void fillingSendsNothing();
    void userActionWritesBytes_data();
    void userActionWritesBytes();
    void offlineGivesOneNoticeAndNoWrite_data();
    void offlineGivesOneNoticeAndNoWrite();
    void clickOnSliderWritesTheShownValue();
    void swatchesPaintStageColoursOrPalette();

private:
    void addActionRows();
    int sends() const { return DeviceLinkFixture::callCount("ProtocolDataUpdate"); }
    int notices() const { return m_fixture.pages()->count("MouseOffLineo"); }

    DeviceLinkFixture m_fixture;
};

void tst_SensorDPIB::init()
{
    QVERIFY(m_fixture.setUp());
    QVERIFY(m_fixture.linkWithoutReports(kMouse));
    g_SensorName = QStringLiteral("TEST");
    g_SensorDefineNames.clear();
    g_SensorDefineValues.clear();
    SensorDpiTables::applyDpiRange(SensorDpiTables::parseDpiRange(kRanges));
    g_UiReady = true;
}

void tst_SensorDPIB::cleanup()
{
    g_SensorPageFilling = false;
    SensorDpiTables::applyDpiRange(SensorDpiTables::parseDpiRange({}));
    m_fixture.tearDown();
}

void tst_SensorDPIB::fillingSendsNothing_data()
{
    QTest::addColumn<bool>("blockSliders");
    QTest::addColumn<bool>("uiReady");
    QTest::addColumn<bool>("offline");
    QTest::addColumn<int>("active");

    QTest::newRow("page filling") << false << true << false << 2;
    QTest::newRow("page filling, sliders blocked") << true << true << false << 0;
    QTest::newRow("page filling, mouse not answering") << false << true << true << 3;
    QTest::newRow("editor not ready yet") << false << false << false << 5;
}

void tst_SensorDPIB::fillingSendsNothing()
{
    QFETCH(bool, blockSliders);
    QFETCH(bool, uiReady);
    QFETCH(bool, offline);
    QFETCH(int, active);
    const QByteArray image = baseline(6, active);
    QVERIFY(installImage(image));
    QTRY_COMPARE(HidSimControl::configImage(kMouse), image);
    if (offline) {
        QVERIFY(HidSimControl::unplug(kMouse));
        QTRY_VERIFY(!UsbFinderC_GetDeviceOnLine(g_DevicePath.load()));
    }
    g_UiReady = uiReady;
    DeviceLinkFixture::clearCalls();

    SensorDPIB editor;
    editor.show();
    QCOMPARE(editor.currentStage(), 0);
    fill(editor, image, blockSliders);
    // A second fill, as after the next read, with the box filled anew.
    fill(editor, image, blockSliders);

    QCOMPARE(sends(), 0);
    QCOMPARE(notices(), 0);
    QCOMPARE(HidSimControl::configImage(kMouse), image);

    // What the editor shows is the image.
    const FlashDataMap shown = toImage(image);
    for (int k = 0; k < 8; ++k) {
        QCOMPARE(editor.valueBox(k)->value(), SensorDpiCodec::decodeStage(shown, k));
        QCOMPARE(editor.stageColor(k), colourText(shown, k));
        QCOMPARE(editor.stageCheck(k)->isChecked(), k == active);
        QCOMPARE(editor.slider(k)->isVisible(), k < 6);
    }
    QCOMPARE(editor.stageCountBox()->currentIndex(), 5);
    QCOMPARE(editor.currentStage(), active);
    QCOMPARE(editor.stageCount(), 6);
    // Indices beyond the eight rows change nothing.
    editor.ShowStageRows(8);
    editor.ShowStageRows(-1);
    QCOMPARE(editor.slider(6)->isVisible(), false);
    QCOMPARE(editor.slider(5)->isVisible(), true);
}

void tst_SensorDPIB::addActionRows()
{
    QTest::addColumn<int>("active");            // stage current after the fill (4 stages)
    QTest::addColumn<QStringList>("ranges");    // the model's "DPIRange"
    QTest::addColumn<QString>("action");
    QTest::addColumn<QList<int>>("patch");      // offset, value, ... of the mouse's image
    QTest::addColumn<int>("stage");             // whose value box is checked, -1 none
    QTest::addColumn<int>("shown");             // value shown after the action
    QTest::addColumn<int>("shownOffline");      // value shown when the mouse does not answer

    const QStringList noSegments = {"22"};
    const QStringList fiveSegments = QStringList(kRanges.mid(0, 6)) + kRanges.mid(0, 6) + kRanges.mid(0, 3)
                                     + QStringList{"22"};
    QTest::newRow("more stages") << 1 << kRanges << "count 6" << QList<int>{1, 6} << -1 << 0 << 0;
    QTest::newRow("fewer stages, current stage kept") << 1 << kRanges << "count 2" << QList<int>{1, 2} << -1
                                                      << 0 << 0;
    // Current stage 2 lies beyond one stage: stages 2 and 0 trade records,
    // stage 0 becomes current.
    QTest::newRow("fewer stages, current stage swapped")
        << 2 << kRanges << "count 1"
        << QList<int>{1, 1, 2, 0, 15, 30, 16, 30, 17, 0, 18, 20, 19, 40, 20, 60,
                      27, 10, 28, 10, 29, 0, 30, 0, 31, 0, 32, 0}
        << 0 << 1550 << 1550;
    QTest::newRow("check a stage") << 1 << kRanges << "check 3" << QList<int>{2, 3} << -1 << 0 << 0;
    QTest::newRow("colour with small components") << 1 << kRanges << "colour 2 #050ac8"
                                                  << QList<int>{30, 5, 31, 10, 32, 200} << -1 << 0 << 0;
    QTest::newRow("colour of the last stage") << 1 << kRanges << "colour 7 #ffffff"
                                              << QList<int>{60, 255, 61, 255, 62, 255} << -1 << 0 << 0;
    // The first change the user makes after a fill is written.
    QTest::newRow("slide: snapped down to the step") << 1 << kRanges << "slide 0 1234"
                                                     << QList<int>{15, 23, 16, 23, 17, 0} << 0 << 1200 << 1234;
    QTest::newRow("slide: gap goes to the next segment") << 1 << kRanges << "slide 1 10050"
                                                         << QList<int>{21, 100, 22, 100, 23, 0x22} << 1 << 10100
                                                         << 10050;
    QTest::newRow("slide: second segment's step") << 1 << kRanges << "slide 2 12345"
                                                  << QList<int>{27, 122, 28, 122, 29, 0x22} << 2 << 12300 << 12345;
    QTest::newRow("slide: above the model held to its maximum")
        << 1 << kRanges << "slide 3 30000" << QList<int>{33, 199, 34, 199, 35, 0x22} << 3 << 20000 << 30000;
    QTest::newRow("slide: below the model held to its minimum")
        << 1 << kRanges << "slide 3 20" << QList<int>{33, 0, 34, 0, 35, 0} << 3 << 50 << 50;
    QTest::newRow("slide: no segments, value unchanged") << 1 << noSegments << "slide 0 1234"
                                                         << QList<int>{15, 23, 16, 23, 17, 0} << 0 << 1234 << 1234;
    QTest::newRow("slide: five segments are none") << 1 << fiveSegments << "slide 0 1234"
                                                   << QList<int>{15, 23, 16, 23, 17, 0} << 0 << 1234 << 1234;
}

void tst_SensorDPIB::userActionWritesBytes_data()
{
    addActionRows();
}

void tst_SensorDPIB::userActionWritesBytes()
{
    QFETCH(int, active);
    QFETCH(QStringList, ranges);
    QFETCH(QString, action);
    QFETCH(QList<int>, patch);
    QFETCH(int, stage);
    QFETCH(int, shown);
    SensorDpiTables::applyDpiRange(SensorDpiTables::parseDpiRange(ranges));
    const QByteArray image = baseline(4, active);
    QVERIFY(installImage(image));
    QTRY_COMPARE(HidSimControl::configImage(kMouse), image);

    SensorDPIB editor;
    editor.show();
    fill(editor, image, true);
    DeviceLinkFixture::clearCalls();

    act(editor, action);
    QTRY_COMPARE(HidSimControl::configImage(kMouse), patched(image, patch));
    QVERIFY(sends() >= 1);
    QCOMPARE(notices(), 0);
    if (stage >= 0)
        QCOMPARE(editor.valueBox(stage)->value(), shown);

    if (action.startsWith("count")) {
        const int count = action.section(' ', 1).toInt();
        for (int k = 0; k < 8; ++k)
            QCOMPARE(editor.slider(k)->isVisible(), k < count);
    }
    if (action == "count 1") {
        // The rows traded places as well; the sliders only showed the values.
        QCOMPARE(editor.valueBox(2)->value(), 550);
        QCOMPARE(editor.stageColor(0), QString("#14283c"));
        QCOMPARE(editor.stageColor(2), QString("#000000"));
        QVERIFY(editor.stageCheck(0)->isChecked());
        QCOMPARE(editor.currentStage(), 0);
        QCOMPARE(editor.stageCount(), 1);
    }
    if (action.startsWith("colour"))
        QCOMPARE(editor.stageColor(action.section(' ', 1, 1).toInt()), action.section(' ', 2));
}

void tst_SensorDPIB::offlineGivesOneNoticeAndNoWrite_data()
{
    addActionRows();
}

void tst_SensorDPIB::offlineGivesOneNoticeAndNoWrite()
{
    QFETCH(int, active);
    QFETCH(QStringList, ranges);
    QFETCH(QString, action);
    QFETCH(int, stage);
    QFETCH(int, shownOffline);
    SensorDpiTables::applyDpiRange(SensorDpiTables::parseDpiRange(ranges));
    const QByteArray image = baseline(4, active);
    QVERIFY(installImage(image));
    QTRY_COMPARE(HidSimControl::configImage(kMouse), image);

    SensorDPIB editor;
    editor.show();
    fill(editor, image, true);
    QVERIFY(HidSimControl::unplug(kMouse));
    QTRY_VERIFY(!UsbFinderC_GetDeviceOnLine(g_DevicePath.load()));
    DeviceLinkFixture::clearCalls();

    act(editor, action);
    QCOMPARE(notices(), 1);
    QCOMPARE(m_fixture.pages()->last("MouseOffLineo").args, QVariantList{0});
    QCOMPARE(sends(), 0);
    QCOMPARE(HidSimControl::configImage(kMouse), image);
    if (stage >= 0)
        QCOMPARE(editor.valueBox(stage)->value(), shownOffline);
    // A chosen colour stays on the editor.
    if (action.startsWith("colour"))
        QCOMPARE(editor.stageColor(action.section(' ', 1, 1).toInt()), action.section(' ', 2));
}

void tst_SensorDPIB::clickOnSliderWritesTheShownValue()
{
    const QByteArray image = baseline(4, 1);
    QVERIFY(installImage(image));
    QTRY_COMPARE(HidSimControl::configImage(kMouse), image);
    SensorDPIB editor;
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    fill(editor, image, false);
    DeviceLinkFixture::clearCalls();

    MySlider* s = editor.slider(1);
    QTest::mouseClick(s, Qt::LeftButton, Qt::NoModifier, QPoint(s->width() / 3, s->height() / 2));
    const int shown = editor.valueBox(1)->value();
    QVERIFY2(shown > 5000 && shown < 15000, qPrintable(QString::number(shown)));
    QTRY_COMPARE(SensorDpiCodec::decodeStage(toImage(HidSimControl::configImage(kMouse)), 1), shown);
}

void tst_SensorDPIB::swatchesPaintStageColoursOrPalette()
{
    SensorDPIB editor;
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    // Every swatch starts red, whatever its stage's colour.
    for (int k = 0; k < 8; ++k)
        QCOMPARE(swatchColour(editor, k), rgb(255, 0, 0));

    editor.SetStageColor(3, "#123456");
    QCOMPARE(swatchColour(editor, 3), rgb(255, 0, 0));
    editor.RefreshStageSwatch(3);
    QCOMPARE(swatchColour(editor, 3), rgb(0x12, 0x34, 0x56));
    editor.RefreshAllSwatches();
    QCOMPARE(swatchColour(editor, 1), rgb(255, 255, 0));
    QCOMPARE(swatchColour(editor, 6), rgb(0x9f, 0, 0));

    editor.ApplySwatchPalette();
    const int palette[8] = {rgb(255, 0, 0),   rgb(0, 255, 255), rgb(0, 255, 0),   rgb(255, 255, 255),
                            rgb(0, 255, 255), rgb(255, 85, 125), rgb(255, 0, 255), rgb(0, 255, 255)};
    for (int k = 0; k < 8; ++k)
        QCOMPARE(swatchColour(editor, k), palette[k]);
    QCOMPARE(editor.stageColor(3), QString("#123456"));
    // Stages outside the eight change nothing: no stage's colour, slider or value.
    QStringList colours;
    QList<int> values;
    for (int k = 0; k < 8; ++k) {
        colours << editor.stageColor(k);
        values << editor.slider(k)->value() << editor.valueBox(k)->value();
    }
    QVERIFY(!values.contains(500));
    for (int stage : {8, -1})
        editor.SetStageColor(stage, "#ffffff");
    for (int stage : {-1, 8})
        editor.SetStageValue(stage, "500");
    QCOMPARE(editor.stageColor(8), QString());
    for (int k = 0; k < 8; ++k) {
        QCOMPARE(editor.stageColor(k), colours.at(k));
        QCOMPARE(editor.slider(k)->value(), values.at(2 * k));
        QCOMPARE(editor.valueBox(k)->value(), values.at(2 * k + 1));
    }
}

QTEST_MAIN(tst_SensorDPIB)
#include "tst_sensordpib.moc"
