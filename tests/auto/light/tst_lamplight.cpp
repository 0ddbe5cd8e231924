// The lighting page against a virtual mouse: what each user action writes into
// the mouse's flash, what a fill or a reset shows (never writing), the colour
// pick from the board, the offline roads, and the mouse's own light button
// showing on the page.

#include "DeviceLinkFixture.h"
#include "ImageBytes.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/PostMsg.h"
#include "ui/light/LampLight.h"
#include "ui/sensor/MyConmboBox.h"
#include "ui/sensor/StopCloseTime.h"

#include <HIDUsb.h>
#include <HidSimControl.h>

#include <QAbstractItemView>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

#include <functional>

#include <memory>

using hidsim::HidSimControl;

namespace {

// Image offsets of the page's fields.
enum : int {
    kIdle = 8,
    kOffWhileMoving = 11,
    kMode = 67,
    kRed = 68,
    kGreen = 69,
    kBlue = 70,
    kSpeed = 71,
    kBrightness = 72,
    kOn = 73,
};

// What every row starts from unless it says otherwise: breathing (the colour
// group shown), black, speed 4, brightness 5, lights on while moving, 1 min.
const QList<int> kBase = {kMode, 2, kOn, 1, kRed, 0, kGreen, 0, kBlue, 0, kSpeed, 4, kBrightness, 5,
                          kOffWhileMoving, 0, kIdle, 6};

QString readShipped(const QString& relative)
{
    QFile f(QStringLiteral(DESKLINK_APP_DIR) + "/" + relative);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QString triple(int r, int g, int b)
{
    return QStringLiteral("%1,%2,%3").arg(r).arg(g).arg(b);
}

// Shown state of the controls that depend on the mode: the two grey bars, the
// colour group, the brightness and the speed slider, as "01101".
QString layoutOf(LampLight* page)
{
    auto shown = [page](const char* name) {
        QWidget* w = page->findChild<QWidget*>(QLatin1String(name));
        return w && !w->isHidden() ? QStringLiteral("1") : QStringLiteral("0");
    };
    return shown("line") + shown("line_2") + shown("label_7") + shown("horizontalLight") + shown("horizontalSpeed");
}

} // namespace

class tst_LampLight : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void userActionsReachTheMouse_data();
    void userActionsReachTheMouse();
    void modeLaysOutThePage_data();
    void modeLaysOutThePage();
    void modeListScrollsToTheSixthMode();
    void fillShowsWithoutWriting_data();
    void fillShowsWithoutWriting();
    void resetShowsDefaults_data();
    void resetShowsDefaults();
    void boardPick_data();
    void boardPick();
    void offlineRoads();
    void withoutReadyFlagNothingIsAsked();
    void mouseLightButtonShowsOnThePage();
    void languageTexts();
    void shippedTextsFit();

private:
    // Links the listed device, gives the mouse kBase and `patch`, builds the
    // page and fills it from the working image, as a full read does.
    bool link(const QString& listed, const QList<int>& patch = {});
    void makePage();
    QByteArray mouseImage() const { return HidSimControl::configImage(m_mouse); }
    int sends() const { return DeviceLinkFixture::callCount("ProtocolDataUpdate"); }
    int notices() const { return m_fixture.pages()->count("MouseOffLineo"); }
    template <typename T>
    T* child(const QString& name) const
    {
        T* w = m_page->findChild<T*>(name);
        if (!w)
            qWarning("no child %s", qPrintable(name));
        return w;
    }
    QString shownColour() const
    {
        return triple(child<QSpinBox>("RSpinBox")->value(), child<QSpinBox>("GSpinBox")->value(),
                      child<QSpinBox>("BSpinBox")->value());
    }
    // Records the working image's colour each time a colour box changes (after
    // the page's own handler has run).
    void recordColourWrites();

    DeviceLinkFixture m_fixture;
    std::unique_ptr<LampLight> m_page;
    QString m_mouse;
    QStringList m_colourWrites;
};

void tst_LampLight::init()
{
    QVERIFY(m_fixture.setUp(QByteArray(), readShipped("usersetting/Config.ini")));
    g_UiReady = true;
    m_colourWrites.clear();
}

void tst_LampLight::cleanup()
{
    m_page.reset();
    m_fixture.tearDown();
    g_DeviceModelId = 0;
    g_UiReady = false;
}

void tst_LampLight::makePage()
{
    // The page takes its pictures from the delivered folder.
    AppPaths::setApplicationDirOverride(QStringLiteral(DESKLINK_APP_DIR));
    m_page.reset(new LampLight);
    AppPaths::setApplicationDirOverride(m_fixture.appDir());
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
}

bool tst_LampLight::link(const QString& listed, const QList<int>& patch)
{
    m_mouse = listed.startsWith('r') ? "m" + listed.mid(1) : listed;
    if (!m_fixture.linkWithoutReports(listed, m_mouse))
        return false;
    if (!DeviceLinkFixture::sendPatchedImage(m_mouse, kBase + patch))
        return false;
    g_DeviceModelId = currentDeviceCopy().mid;
    makePage();
    if (!m_page)
        return false;
    m_page->SlotUpDataLightUILight(currentFlashData());
    DeviceLinkFixture::clearCalls();
    return true;
}

void tst_LampLight::recordColourWrites()
{
    for (const char* name : {"RSpinBox", "GSpinBox", "BSpinBox"}) {
        connect(child<QSpinBox>(name), qOverload<int>(&QSpinBox::valueChanged), this, [this] {
            const LedBarSettings led = currentFlashData().ledBar;
            m_colourWrites << triple(led.red, led.green, led.blue);
        });
    }
}

// ---- What the user's actions write ----

void tst_LampLight::userActionsReachTheMouse_data()
{
    QTest::addColumn<QList<int>>("start");     // over kBase
    QTest::addColumn<QString>("action");
    QTest::addColumn<QList<int>>("written");   // the mouse's bytes afterwards, over start
    QTest::addColumn<int>("writes");
    QTest::addColumn<QString>("colours");      // colour triples written, in order

    // Modes: from off each mode switches the light on; off keeps the mode byte.
    for (int mode = 1; mode <= 5; ++mode)
        QTest::addRow("mode %d from off", mode) << QList<int>{kOn, 0, kMode, 3} << QString("mode %1").arg(mode)
                                                << QList<int>{kOn, 1, kMode, mode} << 1 << QString();
    QTest::newRow("off keeps the mode byte") << QList<int>{kMode, 4} << "mode 0" << QList<int>{kOn, 0} << 1
                                             << QString();

    // Presets from black: one write per channel that changes, red first.
    for (int i = 0; i < LampLight::kPresetCount; ++i) {
        const LampLight::Preset& p = LampLight::preset(i);
        QStringList colours;
        int r = 0, g = 0, b = 0;
        for (int channel = 0; channel < 3; ++channel) {
            const int target = channel == 0 ? p.red : channel == 1 ? p.green : p.blue;
            int& value = channel == 0 ? r : channel == 1 ? g : b;
            if (target != value) {
                value = target;
                colours << triple(r, g, b);
            }
        }
        QTest::addRow("preset %s", p.name) << QList<int>() << QString("click %1").arg(p.name)
                                           << QList<int>{kRed, p.red, kGreen, p.green, kBlue, p.blue}
                                           << colours.size() << colours.join(' ');
    }
    QTest::newRow("preset equal to the colour") << QList<int>{kRed, 255, kGreen, 0, kBlue, 255}
                                                << "click toolButtonColorD" << QList<int>() << 0 << QString();
    QTest::newRow("preset D from red") << QList<int>{kRed, 255} << "click toolButtonColorD"
                                       << QList<int>{kBlue, 255} << 1 << "255,0,255";

    // The boxes: every keystroke is written; plus and minus stop at the ends.
    QTest::newRow("typing 200 into red") << QList<int>{kGreen, 7, kBlue, 9} << "type RSpinBox 200"
                                         << QList<int>{kRed, 200} << 3 << "2,7,9 20,7,9 200,7,9";
    QTest::newRow("typing 99 into blue") << QList<int>() << "type BSpinBox 99" << QList<int>{kBlue, 99} << 2
                                         << "0,0,9 0,0,99";
    QTest::newRow("plus red") << QList<int>{kRed, 10} << "click AddR" << QList<int>{kRed, 11} << 1 << "11,0,0";
    QTest::newRow("plus green") << QList<int>{kGreen, 254} << "click AddG" << QList<int>{kGreen, 255} << 1
                                << "0,255,0";
    QTest::newRow("minus blue") << QList<int>{kBlue, 1} << "click ReduceB" << QList<int>{kBlue, 0} << 1
                                << "0,0,0";
    QTest::newRow("minus green") << QList<int>{kGreen, 128} << "click ReduceG" << QList<int>{kGreen, 127} << 1
                                 << "0,127,0";
    QTest::newRow("plus at 255") << QList<int>{kRed, 255} << "click AddR" << QList<int>() << 0 << QString();
    QTest::newRow("minus at 0") << QList<int>() << "click ReduceR" << QList<int>() << 0 << QString();

    // Brightness and speed: slider 1..10 is byte 0..9; a drag writes once, on release.
    QTest::newRow("brightness to 10") << QList<int>() << "slider horizontalLight 10"
                                      << QList<int>{kBrightness, 9} << 1 << QString();
    QTest::newRow("brightness to 1") << QList<int>() << "slider horizontalLight 1"
                                     << QList<int>{kBrightness, 0} << 1 << QString();
    QTest::newRow("speed to 10") << QList<int>() << "slider horizontalSpeed 10" << QList<int>{kSpeed, 9} << 1
                                 << QString();
    QTest::newRow("speed to 1") << QList<int>() << "slider horizontalSpeed 1" << QList<int>{kSpeed, 0} << 1
                                << QString();
    QTest::newRow("brightness dragged to 3") << QList<int>() << "drag horizontalLight 3"
                                             << QList<int>{kBrightness, 2} << 1 << QString();
    QTest::newRow("speed dragged to 7") << QList<int>() << "drag horizontalSpeed 7" << QList<int>{kSpeed, 6} << 1
                                        << QString();

    QTest::newRow("lights off while moving: on") << QList<int>() << "click RippeControl"
                                                 << QList<int>{kOffWhileMoving, 1} << 1 << QString();
    QTest::newRow("lights off while moving: off") << QList<int>{kOffWhileMoving, 1} << "click RippeControl"
                                                  << QList<int>{kOffWhileMoving, 0} << 1 << QString();

    const int idleCodes[] = {1, 3, 6, 30, 60, 90, 120, 150, 180, 210, 240};
    for (int i = 0; i < 11; ++i)
        QTest::addRow("idle item %d", i) << QList<int>{kIdle, i == 0 ? 3 : 1} << QString("idle %1").arg(i)
                                         << QList<int>{kIdle, idleCodes[i]} << 1 << QString();
}

void tst_LampLight::userActionsReachTheMouse()
{
    QFETCH(QList<int>, start);
    QFETCH(QString, action);
    QFETCH(QList<int>, written);
    QFETCH(int, writes);
    QFETCH(QString, colours);

    QVERIFY(link("r8", start));
    const QByteArray before = mouseImage();
    recordColourWrites();

    const QStringList a = action.split(' ');
    if (a[0] == "mode") {
        child<MyConmboBox>("LightMod")->setCurrentIndex(a[1].toInt());
    } else if (a[0] == "click") {
        QWidget* button = child<QWidget>(a[1]);
        QVERIFY(button && button->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
    } else if (a[0] == "type") {
        auto* box = child<QSpinBox>(a[1]);
        box->selectAll();
        QTest::keyClicks(box, a[2]);
    } else if (a[0] == "slider") {
        auto* slider = child<QSlider>(a[1]);
        slider->triggerAction(a[2].toInt() == 10 ? QSlider::SliderToMaximum : QSlider::SliderToMinimum);
    } else if (a[0] == "drag") {
        auto* slider = child<QSlider>(a[1]);
        auto* number = child<QSpinBox>(a[1] == "horizontalLight" ? "LightSpinBox_2" : "SpeedSpinBox_2");
        slider->setSliderDown(true);
        slider->setSliderPosition(a[2].toInt() + 1);
        slider->setSliderPosition(a[2].toInt());
        QCOMPARE(number->value(), a[2].toInt());
        QCOMPARE(sends(), 0);
        slider->setSliderDown(false);
    } else if (a[0] == "idle") {
        MyConmboBox* box = m_page->idleFrame()->chooser();
        box->setCurrentIndex(a[1].toInt());
        emit box->activated(a[1].toInt());
    } else {
        QFAIL("unknown action");
    }

    QCOMPARE(sends(), writes);
    QCOMPARE(m_colourWrites.join(' '), colours);
    QCOMPARE(notices(), 0);
    QTRY_COMPARE(mouseImage(), patched(before, written));
    QCOMPARE(imageBytes(currentFlashData()), mouseImage());
}

void tst_LampLight::modeLaysOutThePage_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("layout");  // line, line_2, colour group, brightness, speed
    QTest::newRow("off") << 0 << "11000";
    QTest::newRow("colour flow") << 1 << "00011";
    QTest::newRow("single-colour breathing") << 2 << "00111";
    QTest::newRow("mixed steady") << 3 << "01110";
    QTest::newRow("neon") << 4 << "00011";
    QTest::newRow("mixed breathing") << 5 << "00011";
}

void tst_LampLight::modeLaysOutThePage()
{
    QFETCH(int, mode);
    QFETCH(QString, layout);

    // The same layout whether the mouse takes the mode or not.
    QVERIFY(link("r8", {kMode, mode == 1 ? 2 : 1}));
    const QByteArray before = mouseImage();
    child<MyConmboBox>("LightMod")->setCurrentIndex(mode);
    QCOMPARE(layoutOf(m_page.get()), layout);
    QCOMPARE(sends(), 1);
    // Choosing a mode writes neither colour, brightness nor speed.
    QTRY_COMPARE(mouseImage(), patched(before, mode == 0 ? QList<int>{kOn, 0} : QList<int>{kMode, mode}));

    const int other = mode == 0 ? 2 : 0;
    child<MyConmboBox>("LightMod")->setCurrentIndex(other);
    QVERIFY(HidSimControl::setPowered(m_mouse, false));
    QTRY_VERIFY(!UsbFinderC_GetDeviceOnLine(g_DevicePath.load()));
    child<MyConmboBox>("LightMod")->setCurrentIndex(mode);
    QCOMPARE(layoutOf(m_page.get()), layout);
    QCOMPARE(child<MyConmboBox>("LightMod")->currentIndex(), mode);
    QCOMPARE(notices(), 1);
    // Every control but the colour group's always shows.
    for (const char* name : {"label", "label_2", "label_3", "label_4", "label_5", "LightMod", "RippeControl",
                             "frameClose"})
        QVERIFY2(!child<QWidget>(name)->isHidden(), name);
}

void tst_LampLight::modeListScrollsToTheSixthMode()
{
    makePage();
    auto* box = child<MyConmboBox>("LightMod");
    box->showPopup();
    QAbstractItemView* list = box->view();
    QTRY_VERIFY(list->isVisible());
    // Five rows at a time, and a scroll bar that shows there is a sixth.
    QVERIFY(list->viewport()->height() < 6 * list->sizeHintForRow(0));
    QVERIFY(list->verticalScrollBar()->isVisible());
    box->hidePopup();
}

// ---- Fills and reset ----

void tst_LampLight::fillShowsWithoutWriting_data()
{
    QTest::addColumn<QList<int>>("image");  // over kBase
    QTest::addColumn<bool>("offline");
    QTest::addColumn<bool>("fromWaitDialog");
    QTest::addColumn<int>("mode");          // shown item, -1 none
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("brightness");
    QTest::addColumn<int>("speed");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<bool>("offWhileMoving");
    QTest::addColumn<int>("idle");          // shown item, -1 none

    // Before each fill the page shows colour flow, white, 3/3, switch on, 10 s.
    QTest::newRow("mixed steady") << QList<int>{kMode, 3, kRed, 1, kGreen, 2, kBlue, 3, kSpeed, 4, kBrightness, 5,
                                                kOffWhileMoving, 1}
                                  << false << false << 3 << "01110" << 6 << 5 << "1,2,3" << true << 2;
    QTest::newRow("off whatever the mode byte") << QList<int>{kOn, 0, kMode, 4} << false << false << 0 << "11000"
                                                << 6 << 5 << "0,0,0" << false << 2;
    QTest::newRow("on with mode byte 0 shows off") << QList<int>{kOn, 1, kMode, 0} << false << false << 0
                                                   << "11000" << 6 << 5 << "0,0,0" << false << 2;
    QTest::newRow("mode above 5: no item, layout kept") << QList<int>{kMode, 6} << false << false << -1 << "00011"
                                                        << 6 << 5 << "0,0,0" << false << 2;
    QTest::newRow("mode 255") << QList<int>{kMode, 255} << false << false << -1 << "00011" << 6 << 5 << "0,0,0"
                              << false << 2;
    QTest::newRow("bytes above 9 show as 10") << QList<int>{kSpeed, 10, kBrightness, 255} << false << false << 2
                                              << "00111" << 10 << 10 << "0,0,0" << false << 2;
    QTest::newRow("bytes 0 show as 1") << QList<int>{kSpeed, 0, kBrightness, 0} << false << false << 2 << "00111"
                                       << 1 << 1 << "0,0,0" << false << 2;
    QTest::newRow("colour ends") << QList<int>{kRed, 255, kGreen, 0, kBlue, 128} << false << false << 2 << "00111"
                                 << 6 << 5 << "255,0,128" << false << 2;
    QTest::newRow("lights-off switch any non-zero") << QList<int>{kOffWhileMoving, 7} << false << false << 2
                                                    << "00111" << 6 << 5 << "0,0,0" << true << 2;
    const int idleCodes[] = {1, 3, 6, 30, 60, 90, 120, 150, 180, 210, 240};
    for (int i = 0; i < 11; ++i)
        QTest::addRow("idle %d", idleCodes[i]) << QList<int>{kIdle, idleCodes[i]} << false << false << 2 << "00111"
                                               << 6 << 5 << "0,0,0" << false << i;
    for (int code : {0, 2, 5, 7, 241, 255})
        QTest::addRow("idle %d not in the list", code) << QList<int>{kIdle, code} << false << false << 2 << "00111"
                                                       << 6 << 5 << "0,0,0" << false << -1;
    QTest::newRow("offline mouse") << QList<int>{kMode, 5, kIdle, 5} << true << false << 5 << "00011" << 6 << 5
                                   << "0,0,0" << false << -1;
    QTest::newRow("from the wait dialog") << QList<int>{kMode, 4, kBrightness, 8} << false << true << 4 << "00011"
                                          << 9 << 5 << "0,0,0" << false << 2;
}

void tst_LampLight::fillShowsWithoutWriting()
{
    QFETCH(QList<int>, image);
    QFETCH(bool, offline);
    QFETCH(bool, fromWaitDialog);
    QFETCH(int, mode);
    QFETCH(QString, layout);
    QFETCH(int, brightness);
    QFETCH(int, speed);
    QFETCH(QString, colour);
    QFETCH(bool, offWhileMoving);
    QFETCH(int, idle);

    QVERIFY(link("r8", {kMode, 1, kRed, 255, kGreen, 255, kBlue, 255, kSpeed, 2, kBrightness, 2,
                        kOffWhileMoving, 1, kIdle, 1}));
    QCOMPARE(layoutOf(m_page.get()), QString("00011"));
    const QByteArray before = mouseImage();
    if (offline) {
        QVERIFY(HidSimControl::setPowered(m_mouse, false));
        QTRY_VERIFY(!UsbFinderC_GetDeviceOnLine(g_DevicePath.load()));
    }
    FlashDataMap filled = DeviceLinkPageRecorder::toImage(patched(patched(imageBytes(currentFlashData()), kBase), image));
    if (fromWaitDialog)
        PostMsg::GetInstance()->PostUpDataLightUIA(filled);
    else
        m_page->SlotUpDataLightUILight(filled);

    QCOMPARE(sends(), 0);
    QCOMPARE(notices(), 0);
    QVERIFY(!g_LightPageFilling);
    QCOMPARE(mouseImage(), before);

    QCOMPARE(child<MyConmboBox>("LightMod")->currentIndex(), mode);
    QCOMPARE(layoutOf(m_page.get()), layout);
    QCOMPARE(child<QSlider>("horizontalLight")->value(), brightness);
    QCOMPARE(child<QSpinBox>("LightSpinBox_2")->value(), brightness);
    QCOMPARE(child<QSlider>("horizontalSpeed")->value(), speed);
    QCOMPARE(child<QSpinBox>("SpeedSpinBox_2")->value(), speed);
    QCOMPARE(shownColour(), colour);
    const QString preview = child<QLabel>("labelPreView")->styleSheet();
    QVERIFY2(preview.contains("rgb(" + colour + ")"), qPrintable(preview));
    QCOMPARE(child<QToolButton>("RippeControl")->isChecked(), offWhileMoving);
    QCOMPARE(m_page->idleFrame()->chooser()->currentIndex(), idle);
    QCOMPARE(child<QSlider>("horizontalLight")->isEnabled(), !fromWaitDialog);
    QCOMPARE(child<QSlider>("horizontalSpeed")->isEnabled(), !fromWaitDialog);

    // The device link's next image enables the sliders again.
    m_page->SlotUpDataLightUILight(filled);
    QVERIFY(child<QSlider>("horizontalLight")->isEnabled());
    QVERIFY(child<QSlider>("horizontalSpeed")->isEnabled());
    QCOMPARE(sends(), 0);
}

void tst_LampLight::resetShowsDefaults_data()
{
    QTest::addColumn<QString>("listed");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("layout");
    QTest::newRow("model 8: colour flow") << "r8" << 1 << "00011";
    QTest::newRow("model 7: breathing") << "m7" << 2 << "00111";
    QTest::newRow("model 9: colour flow") << "model 9" << 1 << "00011";
}

void tst_LampLight::resetShowsDefaults()
{
    QFETCH(QString, listed);
    QFETCH(int, mode);
    QFETCH(QString, layout);

    // Neither of the two modes, a switch on and an idle time not in the list.
    QVERIFY(link(listed.startsWith("model") ? "r8" : listed,
                 {kMode, 4, kRed, 10, kGreen, 20, kBlue, 30, kSpeed, 1, kBrightness, 1, kOffWhileMoving, 1,
                  kIdle, 7}));
    if (listed == "model 9")
        g_DeviceModelId = 9;
    const QByteArray before = mouseImage();
    m_page->SlotFormResetLight();

    QCOMPARE(child<MyConmboBox>("LightMod")->currentIndex(), mode);
    QCOMPARE(layoutOf(m_page.get()), layout);
    QCOMPARE(child<QSlider>("horizontalLight")->value(), 10);
    QCOMPARE(child<QSpinBox>("LightSpinBox_2")->value(), 10);
    QCOMPARE(child<QSlider>("horizontalSpeed")->value(), 8);
    QCOMPARE(child<QSpinBox>("SpeedSpinBox_2")->value(), 8);
    QVERIFY(!child<QToolButton>("RippeControl")->isChecked());
    QCOMPARE(m_page->idleFrame()->chooser()->currentIndex(), 2);
    // The colour stays as it was.
    QCOMPARE(shownColour(), QString("10,20,30"));
    QCOMPARE(sends(), 0);
    QCOMPARE(notices(), 0);
    QVERIFY(!g_LightPageFilling);
    QCOMPARE(mouseImage(), before);
}

// ---- The colour board ----

void tst_LampLight::boardPick_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QPoint>("at");       // on the board
    QTest::addColumn<QString>("near");    // the colour expected there, "" = nothing picked

    // Hues along the middle row, white above it, black below.
    QTest::newRow("red at the left edge") << 2 << QPoint(3, 75) << "255,0,0";
    QTest::newRow("green at a third") << 2 << QPoint(93, 75) << "0,255,0";
    QTest::newRow("cyan in the middle") << 3 << QPoint(140, 75) << "0,255,255";
    QTest::newRow("blue at two thirds") << 3 << QPoint(187, 75) << "0,0,255";
    QTest::newRow("white near the top") << 2 << QPoint(140, 2) << "255,255,255";
    QTest::newRow("black near the bottom") << 2 << QPoint(140, 147) << "0,0,0";
    QTest::newRow("rounded corner is not board") << 2 << QPoint(279, 0) << QString();
    for (int mode : {0, 1, 4, 5})
        QTest::addRow("hidden board in mode %d", mode) << mode << QPoint(140, 75) << QString();
}

void tst_LampLight::boardPick()
{
    QFETCH(int, mode);
    QFETCH(QPoint, at);
    QFETCH(QString, near);

    QVERIFY(link("r8", {kMode, mode, kRed, 1, kGreen, 2, kBlue, 3}));
    const QByteArray before = mouseImage();
    auto* board = child<QLabel>("label_7");
    const QColor drawn = board->grab().toImage().pixelColor(at);
    recordColourWrites();

    QTest::mouseClick(board, Qt::LeftButton, Qt::NoModifier, at);

    if (near.isEmpty()) {
        QCOMPARE(sends(), 0);
        QCOMPARE(shownColour(), QString("1,2,3"));
        QCOMPARE(mouseImage(), before);
        return;
    }
    // Exactly the colour the board shows there, within a rendering's reach of the named one.
    const QString picked = triple(drawn.red(), drawn.green(), drawn.blue());
    QCOMPARE(shownColour(), picked);
    const QStringList expected = near.split(',');
    for (int i = 0; i < 3; ++i)
        QVERIFY2(qAbs(picked.split(',')[i].toInt() - expected[i].toInt()) <= 24, qPrintable(picked));
    QVERIFY2(child<QLabel>("labelPreView")->styleSheet().contains("rgb(" + picked + ")"),
             qPrintable(child<QLabel>("labelPreView")->styleSheet()));
    QCOMPARE(m_colourWrites.isEmpty() ? QString() : m_colourWrites.last(), picked);
    QVERIFY(sends() >= 1 && sends() <= 3);
    QTRY_COMPARE(mouseImage(), patched(before, {kRed, drawn.red(), kGreen, drawn.green(), kBlue, drawn.blue()}));

    // A double click's second press picks nothing more.
    const int after = sends();
    QTest::mouseDClick(board, Qt::LeftButton, Qt::NoModifier, QPoint(3, 75));
    QCOMPARE(sends(), after);
    QCOMPARE(shownColour(), picked);
}

// ---- Offline and not ready ----

void tst_LampLight::offlineRoads()
{
    QVERIFY(link("r8", {kRed, 5, kGreen, 6, kBlue, 7}));
    const QByteArray before = mouseImage();
    QVERIFY(HidSimControl::setPowered(m_mouse, false));
    QTRY_VERIFY(!UsbFinderC_GetDeviceOnLine(g_DevicePath.load()));

    // Buttons and the pick: the notice comes first and nothing changes.
    int expectedNotices = 0;
    for (const char* name : {"AddR", "ReduceG", "toolButtonColorK"}) {
        QTest::mouseClick(child<QWidget>(name), Qt::LeftButton);
        QCOMPARE(notices(), ++expectedNotices);
        QCOMPARE(shownColour(), QString("5,6,7"));
    }
    QTest::mouseClick(child<QLabel>("label_7"), Qt::LeftButton, Qt::NoModifier, QPoint(140, 75));
    QCOMPARE(notices(), ++expectedNotices);
    QCOMPARE(shownColour(), QString("5,6,7"));

    // A control the writer refuses shows the user's value until the notice is
    // closed, then what the mouse holds, as do all the others.
    auto* mode = child<MyConmboBox>("LightMod");
    const int heldMode = mode->currentIndex();
    MyConmboBox* idle = m_page->idleFrame()->chooser();
    const int heldIdle = idle->currentIndex();
    auto shown = [&] {
        return QStringList{shownColour(), QString::number(child<QSlider>("horizontalLight")->value()),
                           QString::number(child<QSlider>("horizontalSpeed")->value()),
                           QString::number(child<QToolButton>("RippeControl")->isChecked()),
                           QString::number(mode->currentIndex()), layoutOf(m_page.get()),
                           QString::number(idle->currentIndex())}
            .join(' ');
    };
    const QString held = shown();
    auto refused = [&](const std::function<void()>& change) {
        change();
        ++expectedNotices;
        return notices() == expectedNotices && shown() != held && QTest::qWaitFor([&] { return shown() == held; });
    };
    QVERIFY(refused([&] { child<QSpinBox>("RSpinBox")->setValue(100); }));
    QVERIFY(refused([&] { child<QSlider>("horizontalLight")->triggerAction(QSlider::SliderToMaximum); }));
    QVERIFY(refused([&] { child<QSlider>("horizontalSpeed")->triggerAction(QSlider::SliderToMinimum); }));
    QVERIFY(refused([&] { QTest::mouseClick(child<QToolButton>("RippeControl"), Qt::LeftButton); }));
    QVERIFY(refused([&] { mode->setCurrentIndex(heldMode == 4 ? 1 : 4); }));
    QVERIFY(refused([&] {
        idle->setCurrentIndex(heldIdle == 4 ? 5 : 4);  // as a choice in the list does
        emit idle->activated(idle->currentIndex());
    }));
    QCOMPARE(sends(), 0);
    QCOMPARE(mouseImage(), before);
}

void tst_LampLight::withoutReadyFlagNothingIsAsked()
{
    QVERIFY(link("r8"));
    g_UiReady = false;
    DeviceLinkFixture::clearCalls();
    QTest::mouseClick(child<QWidget>("toolButtonColorI"), Qt::LeftButton);
    QTest::mouseClick(child<QWidget>("AddB"), Qt::LeftButton);
    QTest::mouseClick(child<QLabel>("label_7"), Qt::LeftButton, Qt::NoModifier, QPoint(3, 75));
    const QColor red = child<QLabel>("label_7")->grab().toImage().pixelColor(3, 75);
    QCOMPARE(shownColour(), triple(red.red(), red.green(), red.blue()));
    child<MyConmboBox>("LightMod")->setCurrentIndex(4);
    QCOMPARE(layoutOf(m_page.get()), QString("00011"));
    // No device question, no write, no notice.
    QCOMPARE(DeviceLinkFixture::callCount("UsbFinderC_GetDeviceOnLine"), 0);
    QCOMPARE(sends(), 0);
    QCOMPARE(notices(), 0);
}

// ---- The mouse's own light button ----

void tst_LampLight::mouseLightButtonShowsOnThePage()
{
    // The real road: the device thread reads the mouse and the page fills.
    m_mouse = "m8";
    g_DeviceModelId = 8;
    makePage();
    QVERIFY(m_fixture.openDevice("r8"));
    auto* mode = child<MyConmboBox>("LightMod");
    auto expectedItem = [this] {
        const QByteArray now = mouseImage();
        return now.at(kOn) ? int(now.at(kMode)) : 0;
    };
    QTRY_COMPARE(mode->currentIndex(), expectedItem());
    auto pageSends = [] {
        int n = 0;
        for (const hidsim::CallRecord& r : HidSimControl::callLog())
            n += r.function == "ProtocolDataUpdate" && r.thread == std::this_thread::get_id() ? 1 : 0;
        return n;
    };
    QCOMPARE(pageSends(), 0);

    // Through every mode, off and on again.
    for (int press = 0; press < 6; ++press) {
        const int shownBefore = mode->currentIndex();
        QVERIFY(HidSimControl::pressLightButton(m_mouse));
        QVERIFY(expectedItem() != shownBefore);
        QTRY_COMPARE(mode->currentIndex(), expectedItem());
        QCOMPARE(child<QWidget>("label_7")->isHidden(), expectedItem() != 2 && expectedItem() != 3);
    }
    QCOMPARE(pageSends(), 0);
    QCOMPARE(notices(), 0);

    // And the user's next change is written.
    mode->setCurrentIndex(mode->currentIndex() == 3 ? 4 : 3);
    QCOMPARE(pageSends(), 1);
    QTRY_COMPARE(expectedItem(), mode->currentIndex());
}

// ---- Texts ----

void tst_LampLight::languageTexts()
{
    AppPaths::setApplicationDirOverride(QStringLiteral(DESKLINK_APP_DIR));
    LanguageTables::load();
    AppPaths::setApplicationDirOverride(m_fixture.appDir());
    makePage();
    for (int language : {0, 1, 8}) {
        PostMsg::GetInstance()->PostAllLanguage(language);
        auto text = [language](int position) { return LanguageTables::text(LanguageSection::Light, language, position); };
        QVERIFY(!text(28).isEmpty());
        QCOMPARE(child<QLabel>("label")->text(), text(0));
        for (int i = 0; i < 6; ++i)
            QCOMPARE(child<MyConmboBox>("LightMod")->itemText(i), text(1 + i));
        QCOMPARE(child<QLabel>("label_2")->text(), text(8));
        QCOMPARE(child<QLabel>("label_5")->text(), text(11));
        for (int i = 0; i < 11; ++i)
            QCOMPARE(m_page->idleFrame()->chooser()->itemText(i), text(12 + i));
        QCOMPARE(child<QLabel>("label_6")->text(), text(23));
        QCOMPARE(child<QLabel>("label_13")->text(), text(25));
        QCOMPARE(child<QLabel>("label_11")->text(), text(26));
        QCOMPARE(child<QLabel>("label_12")->text(), text(28));
    }
    // A language change keeps the current items.
    child<MyConmboBox>("LightMod")->setCurrentIndex(3);
    PostMsg::GetInstance()->PostAllLanguage(0);
    QCOMPARE(child<MyConmboBox>("LightMod")->currentIndex(), 3);
    LanguageTables::clear();
}

void tst_LampLight::shippedTextsFit()
{
    AppPaths::setApplicationDirOverride(QStringLiteral(DESKLINK_APP_DIR));
    LanguageTables::load();
    AppPaths::setApplicationDirOverride(m_fixture.appDir());
    makePage();
    QStringList cut;
    for (int language = 0; language < kLanguageCount; ++language) {
        m_page->SlotAllLanguage(language);
        for (QLabel* label : m_page->findChildren<QLabel*>()) {
            int needed = 0;
            if (label->wordWrap())
                needed = label->heightForWidth(label->width()) - label->height();
            else
                needed = label->fontMetrics().horizontalAdvance(label->text()) - label->contentsRect().width();
            if (needed > 0)
                cut << QString("%1 %2: \"%3\" lacks %4 px").arg(language).arg(label->objectName(), label->text()).arg(needed);
        }
        for (QComboBox* box : {static_cast<QComboBox*>(child<MyConmboBox>("LightMod")),
                               static_cast<QComboBox*>(m_page->idleFrame()->chooser())}) {
            for (int i = 0; i < box->count(); ++i) {
                const int needed = box->fontMetrics().horizontalAdvance(box->itemText(i)) - (box->width() - 30);
                if (needed > 0)
                    cut << QString("%1 %2 item %3: \"%4\" lacks %5 px")
                               .arg(language).arg(box->objectName()).arg(i).arg(box->itemText(i)).arg(needed);
            }
        }
    }
    LanguageTables::clear();
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join('\n')));
}

QTEST_MAIN(tst_LampLight)
#include "tst_lamplight.moc"
