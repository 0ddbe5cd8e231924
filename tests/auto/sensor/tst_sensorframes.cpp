// The sensor option frames against a virtual mouse: what a user action writes
// into the mouse's image, that showing device values never writes, and the
// offline notice.

#include "DeviceLinkFixture.h"
#include "ImageBytes.h"
#include "ModalDialogDriver.h"

#include "app/Globals.h"
#include "device/AnnotatedMutexLocker.h"
#include "core/PostMsg.h"
#include "ui/sensor/DebounceTime.h"
#include "ui/sensor/MotionSync.h"
#include "ui/sensor/MyConmboBox.h"
#include "ui/sensor/RippeControl.h"
#include "ui/sensor/SensorEffect.h"
#include "ui/sensor/SensorLOD.h"
#include "ui/sensor/SensorRate.h"
#include "ui/sensor/StopCloseTime.h"
#include "ui/sensor/StraightLine.h"

#include <HIDUsb.h>
#include <HidSimControl.h>

#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

#include <cstring>
#include <memory>

using hidsim::HidSimControl;

namespace {

enum Frame { Ripple, Angle, Motion, Lod, Effect, Rate, Debounce, IdleTime };
enum Host { SensorPage, ButtonPage };

const QString kMouse = QStringLiteral("m7");

// The mouse's image with known values in every field the frames touch.
QByteArray baseline()
{
    QByteArray image = HidSimControl::configImage(kMouse);
    const QList<int> fields = {0, 1, 5, 2, 6, 10, 7, 0, 8, 6, 9, 0, 10, 0, 63, 1, 64, 128, 65, 3, 66, 1};
    for (int i = 0; i + 1 < fields.size(); i += 2)
        image[fields.at(i)] = char(fields.at(i + 1));
    return image;
}

// Makes the mouse and the working image hold `image`.
bool installImage(const QByteArray& image)
{
    AnnotatedMutexLocker lock(g_FlashDataMutex);
    std::memcpy(&g_FlashData, image.constData(), sizeof g_FlashData);
    return ProtocolDataUpdate(&g_FlashData);
}

std::unique_ptr<QWidget> makeFrame(Frame frame, const QString& prepare)
{
    std::unique_ptr<QWidget> w;
    switch (frame) {
    case Ripple: w.reset(new RippeControl); break;
    case Angle: w.reset(new StraightLine); break;
    case Motion: w.reset(new MotionSync); break;
    case Lod: {
        auto* lod = new SensorLOD;
        if (prepare == "low")
            lod->AddLowLodItem();
        lod->setIndex(1);  // 2 mm, as stored
        lod->setEnabled(true);
        w.reset(lod);
        break;
    }
    case Effect: {
        auto* e = new SensorEffect;
        e->setEnabled(true);
        e->setMode(1);
        e->setSpeed(3);
        e->setBrightness(5);
        w.reset(e);
        break;
    }
    case Rate: {
        auto* r = new SensorRate;
        r->setModelLayout(3);
        r->setIndex(3);
        w.reset(r);
        break;
    }
    case Debounce: {
        auto* d = new DebounceTime;
        d->setIndex(10);
        w.reset(d);
        break;
    }
    case IdleTime: {
        auto* s = new StopCloseTime;
        s->setIndex(2);
        w.reset(s);
        break;
    }
    }
    w->show();
    return w;
}

// The user's action on a frame: "click", "choose N", "rate N", "speed N", "bright N".
void act(Frame frame, QWidget* w, const QString& action)
{
    const QStringList parts = action.split(' ');
    const int n = parts.value(1).toInt();
    switch (frame) {
    case Ripple: case Angle: case Motion:
        QTest::mouseClick(static_cast<SwitchFrame*>(w)->switchButton(), Qt::LeftButton);
        break;
    case Lod:
        static_cast<SensorLOD*>(w)->chooser()->setCurrentIndex(n);
        break;
    case Effect: {
        auto* e = static_cast<SensorEffect*>(w);
        if (parts.at(0) == "choose")
            e->modeChooser()->setCurrentIndex(n);
        else if (parts.at(0) == "speed")
            e->speedSlider()->setValue(n);
        else
            e->brightnessSlider()->setValue(n);
        break;
    }
    case Rate:
        QTest::mouseClick(static_cast<SensorRate*>(w)->button(n), Qt::LeftButton);
        break;
    case Debounce:
        static_cast<DebounceTime*>(w)->chooser()->setCurrentIndex(n);
        break;
    case IdleTime: {
        MyConmboBox* box = static_cast<StopCloseTime*>(w)->chooser();
        box->setCurrentIndex(n);
        emit box->activated(n);
        break;
    }
    }
}

} // namespace

class tst_SensorFrames : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void userActionWritesOneField_data();
    void userActionWritesOneField();
    void offlineGivesOneNotice_data();
    void offlineGivesOneNotice();
    void settersNeverWrite();
    void lodEntries();
    void rateLayouts();
    void effectShowsTheRowsOfItsMode();

private:
    void addActionRows();
    int sends() const { return DeviceLinkFixture::callCount("ProtocolDataUpdate"); }

    DeviceLinkFixture m_fixture;
};

void tst_SensorFrames::init()
{
    QVERIFY(m_fixture.setUp());
    QVERIFY(m_fixture.linkWithoutReports(kMouse));
    QVERIFY(installImage(baseline()));
    QTRY_COMPARE(HidSimControl::configImage(kMouse), baseline());
    g_UiReady = true;
    DeviceLinkFixture::clearCalls();
}

void tst_SensorFrames::cleanup()
{
    m_fixture.tearDown();
}

void tst_SensorFrames::addActionRows()
{
    QTest::addColumn<int>("frame");
    QTest::addColumn<QString>("prepare");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QList<int>>("patch");     // offset, value, ...
    QTest::addColumn<int>("hideModel");        // SigHideModel value, -1 none
    QTest::addColumn<bool>("notice");          // short-debounce notice
    QTest::addColumn<int>("host");             // whose filling flag silences it

    QTest::newRow("ripple on") << int(Ripple) << "" << "click" << QList<int>{10, 1} << -1 << false << int(SensorPage);
    QTest::newRow("angle snapping on") << int(Angle) << "" << "click" << QList<int>{9, 1} << -1 << false << int(SensorPage);
    QTest::newRow("motion sync on") << int(Motion) << "" << "click" << QList<int>{7, 1} << -1 << false << int(SensorPage);
    QTest::newRow("lift-off 1mm of two") << int(Lod) << "" << "choose 0" << QList<int>{5, 1} << -1 << false << int(SensorPage);
    QTest::newRow("lift-off 0.7mm of three") << int(Lod) << "low" << "choose 0" << QList<int>{5, 3} << -1 << false << int(SensorPage);
    QTest::newRow("lift-off 1mm of three") << int(Lod) << "low" << "choose 1" << QList<int>{5, 1} << -1 << false << int(SensorPage);
    QTest::newRow("light off keeps the mode") << int(Effect) << "" << "choose 0" << QList<int>{66, 0} << -1 << false << int(SensorPage);
    QTest::newRow("light breathing") << int(Effect) << "" << "choose 2" << QList<int>{63, 2, 66, 1} << -1 << false << int(SensorPage);
    QTest::newRow("light speed") << int(Effect) << "" << "speed 5" << QList<int>{65, 5} << -1 << false << int(SensorPage);
    QTest::newRow("light brightness 10") << int(Effect) << "" << "bright 10" << QList<int>{64, 255} << -1 << false << int(SensorPage);
    QTest::newRow("light brightness 1") << int(Effect) << "" << "bright 1" << QList<int>{64, 16} << -1 << false << int(SensorPage);
    QTest::newRow("rate 8000") << int(Rate) << "" << "rate 6" << QList<int>{0, 64} << 1 << false << int(SensorPage);
    QTest::newRow("rate 125") << int(Rate) << "" << "rate 0" << QList<int>{0, 8} << 0 << false << int(SensorPage);
    QTest::newRow("rate 1000 again") << int(Rate) << "" << "rate 3" << QList<int>{} << 0 << false << int(SensorPage);
    QTest::newRow("debounce 12 ms") << int(Debounce) << "" << "choose 12" << QList<int>{6, 12} << -1 << false << int(ButtonPage);
    QTest::newRow("debounce 7 ms") << int(Debounce) << "" << "choose 7" << QList<int>{6, 7} << -1 << true << int(ButtonPage);
    QTest::newRow("debounce 0 ms") << int(Debounce) << "" << "choose 0" << QList<int>{6, 0} << -1 << true << int(ButtonPage);
    QTest::newRow("idle 40 min") << int(IdleTime) << "" << "choose 10" << QList<int>{8, 240} << -1 << false << int(ButtonPage);
    QTest::newRow("idle same entry again") << int(IdleTime) << "" << "choose 2" << QList<int>{8, 6} << -1 << false << int(ButtonPage);
}

void tst_SensorFrames::userActionWritesOneField_data()
{
    addActionRows();
}

void tst_SensorFrames::userActionWritesOneField()
{
    QFETCH(int, frame);
    QFETCH(QString, prepare);
    QFETCH(QString, action);
    QFETCH(QList<int>, patch);
    QFETCH(int, hideModel);
    QFETCH(bool, notice);
    const QByteArray before = HidSimControl::configImage(kMouse);
    QSignalSpy hide(PostMsg::GetInstance(), SIGNAL(SigHideModel(int)));

    // Not ready: the control follows the user, nothing is written or shown.
    {
        g_UiReady = false;
        ModalDialogDriver driver;
        driver.forbidDialogs(true);
        auto w = makeFrame(Frame(frame), prepare);
        act(Frame(frame), w.get(), action);
        QVERIFY2(driver.failures().isEmpty(), qPrintable(driver.failures().join('\n')));
        QCOMPARE(sends(), 0);
        QCOMPARE(hide.count(), 0);
        g_UiReady = true;
    }

    ModalDialogDriver driver;
    if (notice)
        driver.expect("LessThree", [](QWidget* d) { ModalDialogDriver::click(d, "NewHong"); });
    else
        driver.forbidDialogs(true);
    auto w = makeFrame(Frame(frame), prepare);
    QCOMPARE(sends(), 0);
    act(Frame(frame), w.get(), action);
    QVERIFY2(driver.allHandled() && driver.failures().isEmpty(), qPrintable(driver.failures().join('\n')));

    QCOMPARE(sends(), 1);
    QTRY_COMPARE(HidSimControl::configImage(kMouse), patched(before, patch));
    QCOMPARE(hide.count(), hideModel < 0 ? 0 : 1);
    if (hideModel >= 0)
        QCOMPARE(hide.first().at(0).toInt(), hideModel);
}

void tst_SensorFrames::offlineGivesOneNotice_data()
{
    addActionRows();
}

void tst_SensorFrames::offlineGivesOneNotice()
{
    QFETCH(int, frame);
    QFETCH(QString, prepare);
    QFETCH(QString, action);
    QFETCH(bool, notice);
    QFETCH(int, host);
    QVERIFY(HidSimControl::unplug(kMouse));
    QTRY_VERIFY(!UsbFinderC_GetDeviceOnLine(g_DevicePath.load()));
    const QByteArray before = HidSimControl::configImage(kMouse);
    QSignalSpy hide(PostMsg::GetInstance(), SIGNAL(SigHideModel(int)));
    DeviceLinkFixture::clearCalls();

    {
        // The short-debounce notice does not depend on the device.
        ModalDialogDriver driver;
        if (notice)
            driver.expect("LessThree", [](QWidget* d) { ModalDialogDriver::click(d, "NewHong"); });
        auto w = makeFrame(Frame(frame), prepare);
        act(Frame(frame), w.get(), action);
        QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
        QCOMPARE(m_fixture.pages()->count("MouseOffLineo"), 1);
        QCOMPARE(m_fixture.pages()->last("MouseOffLineo").args, QVariantList{0});
        QCOMPARE(sends(), 0);
        QCOMPARE(hide.count(), 0);  // a refused rate changes no sensor mode
    }

    // While the host page fills its controls, the same action stays silent.
    std::atomic<bool>& filling = host == SensorPage ? g_SensorPageFilling : g_ButtonPageFilling;
    filling = true;
    ModalDialogDriver driver;
    driver.forbidDialogs(true);
    auto w = makeFrame(Frame(frame), prepare);
    act(Frame(frame), w.get(), action);
    filling = false;
    QVERIFY2(driver.failures().isEmpty(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(m_fixture.pages()->count("MouseOffLineo"), 1);
    QCOMPARE(sends(), 0);
    QCOMPARE(HidSimControl::configImage(kMouse), before);
}

void tst_SensorFrames::settersNeverWrite()
{
    // Every setter, with values that change the controls, inside and outside a fill.
    for (bool filling : {false, true}) {
        g_SensorPageFilling = filling;
        g_ButtonPageFilling = filling;
        ModalDialogDriver driver;
        driver.forbidDialogs(true);

        RippeControl ripple;
        StraightLine angle;
        MotionSync motion;
        for (SwitchFrame* s : {static_cast<SwitchFrame*>(&ripple), static_cast<SwitchFrame*>(&angle),
                               static_cast<SwitchFrame*>(&motion)}) {
            s->setChecked(true);
            s->setChecked(true);
            s->setChecked(false);
        }
        SensorLOD lod;
        lod.setEnabled(true);
        lod.setIndex(1);
        lod.AddLowLodItem();
        lod.setIndex(2);
        lod.setIndex(1);
        lod.RemoveLowLodItem();
        lod.setIndex(2);  // a code two entries lack
        lod.setIndex(0);
        SensorEffect effect;
        effect.setEnabled(true);
        for (int mode : {2, 1, 0, 2}) {
            effect.setMode(mode);
            effect.setSpeed(mode + 2);
            effect.setBrightness(mode * 3 + 1);
        }
        effect.setSpeed(7);
        QCOMPARE(effect.speedSlider()->value(), 5);
        SensorRate rate;
        for (int i : {6, 0, 3})
            rate.setIndex(i);
        DebounceTime debounce;
        for (int i : {3, 12, 0})
            debounce.setIndex(i);
        StopCloseTime idle;
        for (int i : {10, 0, 5})
            idle.setIndex(i);

        g_SensorPageFilling = false;
        g_ButtonPageFilling = false;
        QVERIFY2(driver.failures().isEmpty(), qPrintable(driver.failures().join('\n')));
        QCOMPARE(sends(), 0);
        QCOMPARE(m_fixture.pages()->count("MouseOffLineo"), 0);
    }
    QCOMPARE(HidSimControl::configImage(kMouse), baseline());
}

void tst_SensorFrames::lodEntries()
{
    SensorLOD lod;
    MyConmboBox* box = lod.chooser();
    QVERIFY(!box->isEnabled());
    QCOMPARE(box->count(), 2);
    lod.AddLowLodItem();
    lod.AddLowLodItem();
    QCOMPARE(box->count(), 3);
    QCOMPARE(box->itemText(0), QString("0.7mm"));
    // Code - 1 to entry: 1 mm, 2 mm, 0.7 mm; anything else leaves the entry.
    lod.setIndex(2);
    QCOMPARE(box->currentIndex(), 0);
    lod.setIndex(0);
    QCOMPARE(box->currentIndex(), 1);
    lod.setIndex(3);
    lod.setIndex(-1);
    QCOMPARE(box->currentIndex(), 1);
    lod.RemoveLowLodItem();
    lod.RemoveLowLodItem();
    QCOMPARE(box->count(), 2);
    // A stored 0.7 mm on a two-entry chooser selects nothing and writes nothing.
    lod.setIndex(2);
    QCOMPARE(box->currentIndex(), -1);
    QCOMPARE(sends(), 0);
}

void tst_SensorFrames::rateLayouts()
{
    SensorRate rate;
    rate.show();
    auto shown = [&rate] {
        QList<bool> v;
        for (int i = 4; i < 7; ++i)
            v << rate.button(i)->isVisible();
        return v;
    };
    rate.setModelLayout(2);
    QCOMPARE(shown(), (QList<bool>{true, false, false}));
    rate.setModelLayout(7);
    QCOMPARE(shown(), (QList<bool>{true, false, false}));
    rate.setModelLayout(1);
    QCOMPARE(shown(), (QList<bool>{true, true, false}));
    rate.setModelLayout(3);
    QCOMPARE(shown(), (QList<bool>{true, true, true}));
    rate.setModelLayout(0);
    QCOMPARE(shown(), (QList<bool>{false, false, false}));
    // Checking a hidden rate leaves no visible button checked.
    rate.setIndex(4);
    QCOMPARE(rate.checkedIndex(), 4);
    for (int i = 0; i < 4; ++i)
        QVERIFY(!rate.button(i)->isChecked());
    rate.setIndex(9);
    QCOMPARE(rate.checkedIndex(), 4);
}

void tst_SensorFrames::effectShowsTheRowsOfItsMode()
{
    SensorEffect effect;
    effect.show();
    auto visible = [&effect](const char* name) { return effect.findChild<QWidget*>(name)->isVisible(); };
    const struct { int mode; bool speed; bool light; } rows[] = {{0, false, false}, {1, false, true}, {2, true, false}};
    for (const auto& r : rows) {
        effect.setMode(r.mode);
        QCOMPARE(visible("SpeedH"), r.speed);
        QCOMPARE(visible("SpeedSpinBox"), r.speed);
        QCOMPARE(visible("line"), !r.speed);
        QCOMPARE(visible("LightH"), r.light);
        QCOMPARE(visible("LightSpinBox"), r.light);
        QCOMPARE(visible("line_2"), !r.light);
    }
    // A user's drag writes every level it passes.
    g_UiReady = true;
    effect.setMode(1);
    effect.setBrightness(1);
    for (int level = 2; level <= 10; ++level)
        effect.brightnessSlider()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(sends(), 9);
    QCOMPARE(effect.findChild<QSpinBox*>("LightSpinBox")->value(), 10);
    QTRY_COMPARE(quint8(HidSimControl::configImage(kMouse).at(64)), quint8(255));
}

QTEST_MAIN(tst_SensorFrames)
#include "tst_sensorframes.moc"
