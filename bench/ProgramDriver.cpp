#include "ProgramDriver.h"

#include "FrameProbe.h"
#include "ProbeOutput.h"
#include "WriteWatch.h"

#include "app/Globals.h"
#include "core/AppPaths.h"
#include "core/PostMsg.h"
#include "device/FlashDataMap.h"
#include "device/ImageFieldCodes.h"
#include "ui/buttons/ButtonFunctionTable.h"
#include "ui/buttons/ConfigurationActions.h"
#include "ui/macro/MacroFile.h"
#include "ui/macro/MacroFolder.h"
#include "ui/sensor/SensorRate.h"
#include "ui/settings/FormSetting.h"
#include "ui/settings/UpDateRepair.h"

#include <HidSimControl.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int kGiveUpMs = 150000;
// Quiet time before each action, so the list, the link and earlier writes are settled.
constexpr int kSettleMs = 300;

QByteArray ms(qint64 ns)
{
    return QByteArray::number(double(ns) / 1e6, 'f', 2);
}

// The macro the button-page figures bind: a key press and its release.
const char kMacroName[] = "bench";

bool imageOf(const QByteArray& bytes, FlashDataMap* image)
{
    if (bytes.size() != int(sizeof *image))
        return false;
    std::memcpy(image, bytes.constData(), sizeof *image);
    return true;
}

QAbstractButton* rateButton(QWidget* top, int index)
{
    return top ? top->findChild<QAbstractButton*>(QLatin1String(SensorRate::rate(index).objectName)) : nullptr;
}
}

ProgramDriver::ProgramDriver()
    : QObject(QCoreApplication::instance())
{
    m_mode = qEnvironmentVariable("DESKLINK_BENCH_MODE", QStringLiteral("start"));
    m_mouseId = qEnvironmentVariable("DESKLINK_BENCH_MOUSE");
    m_writesLeft = qEnvironmentVariableIntValue("DESKLINK_BENCH_WRITES");
    m_buttons = qEnvironmentVariableIntValue("DESKLINK_BENCH_BUTTONS") == 1;
    if (m_buttons) {
        const QVector<MacroRow> rows = {MacroRow::key(QStringLiteral("0x04"), 1, false), MacroRow::delay(10),
                                        MacroRow::key(QStringLiteral("0x04"), 1, true)};
        QDir().mkpath(MacroFolder::defaultPath());
        const QString path = MacroFolder::filePath(MacroFolder::defaultPath(), QLatin1String(kMacroName));
        if (!MacroFile::write(path, 1, rows, MacroFile::WriteMode::CreateOrReplace))
            fail("cannot write the macro file");
    }
    QTimer::singleShot(kGiveUpMs, this, [this] { fail("no result within the time limit"); });
    // Start-up phases: the application object exists (now), the top window is built (its Show).
    ProbeOutput::say("app " + QByteArray::number(ProbeOutput::nowNs()));
    QCoreApplication::instance()->installEventFilter(this);
    FrameProbe::onFirstFrame(QSize(1020, 700), [this](qint64 ns) { onFirstFrame(ns); });
}

void ProgramDriver::install()
{
    static ProgramDriver* driver = new ProgramDriver();
    Q_UNUSED(driver)
}

QAbstractButton* ProgramDriver::topButton(const QString& name) const
{
    QWidget* top = topWindow();
    return top ? top->findChild<QAbstractButton*>(name) : nullptr;
}

QWidget* ProgramDriver::topWindow() const
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("DialogMain"))
            return w;
    }
    return nullptr;
}

void ProgramDriver::click(QWidget* widget)
{
    const QPoint local = widget->rect().center();
    const QPointF inWindow = widget->mapTo(widget->window(), local);
    const QPointF onScreen = widget->mapToGlobal(local);
    QPointer<QWidget> target = widget;
    QMouseEvent press(QEvent::MouseButtonPress, local, inWindow, onScreen, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    if (!target)
        return;
    QMouseEvent release(QEvent::MouseButtonRelease, local, inWindow, onScreen, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

void ProgramDriver::onFirstFrame(qint64 ns)
{
    ProbeOutput::say("frame " + QByteArray::number(ns));
    if (m_mode != QLatin1String("open") && m_mode != QLatin1String("update")) {
        ProbeOutput::say("hwm " + QByteArray::number(ProbeOutput::peakResidentKb()));
        end();
        return;
    }
    waitForDeviceButton();
}

void ProgramDriver::waitForDeviceButton()
{
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this, timer] {
        auto* button = topButton(QStringLiteral("btn0"));
        if (!button || !button->isVisible())
            return;
        timer->deleteLater();
        QTimer::singleShot(kSettleMs, this, [this] { openDevice(); });
    });
    timer->start(10);
}

void ProgramDriver::openDevice()
{
    auto* button = topButton(QStringLiteral("btn0"));
    if (!button)
        return fail("the device button went away");

    const QByteArray flash = hidsim::HidSimControl::flash(m_mouseId);
    if (flash.isEmpty())
        return fail("no virtual mouse " + m_mouseId.toUtf8());
    m_expectedRateIndex = SensorRate::indexOfCode(quint8(flash.at(0)));

    // Runs on the emitting thread once the sensor page's own blocking handling
    // of the same image has returned; the check itself belongs on the GUI thread.
    connect(PostMsg::GetInstance(), &PostMsg::SigUpDataLightSensor, this,
            [this] { QMetaObject::invokeMethod(this, [this] { onDeviceImage(); }, Qt::QueuedConnection); },
            Qt::DirectConnection);

    m_clickNs = ProbeOutput::nowNs();
    click(button);
}

void ProgramDriver::onDeviceImage()
{
    if (m_valuesNs)
        return;
    QAbstractButton* expected = rateButton(topWindow(), m_expectedRateIndex);
    if (expected && expected->isChecked())
        m_valuesNs = ProbeOutput::nowNs();
}

bool ProgramDriver::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_topShown && event->type() == QEvent::Show && watched->objectName() == QLatin1String("DialogMain")) {
        m_topShown = true;
        ProbeOutput::say("shown " + QByteArray::number(ProbeOutput::nowNs()));
    }
    if (!m_waitDialogClosed && watched->isWidgetType() && watched->objectName() == QLatin1String("UpDataParam")) {
        if (event->type() == QEvent::Show) {
            m_waitDialogShown = true;
        } else if (event->type() == QEvent::Hide && m_waitDialogShown) {
            m_waitDialogClosed = true;
            m_dialogClosedNs = ProbeOutput::nowNs();
            // The person clicks the sensor-page button once the dialog has gone.
            QTimer::singleShot(0, this, [this] { showSensorPage(); });
        }
    }
    return QObject::eventFilter(watched, event);
}

void ProgramDriver::showSensorPage()
{
    if (!m_valuesNs)
        return fail("the sensor page never showed the device's values");
    QWidget* top = topWindow();
    auto* sensorButton = topButton(QStringLiteral("SensorButton"));
    if (!sensorButton)
        return fail("no sensor-page button");
    FrameProbe::onNextFrame(top, [this](qint64 ns) {
        ProbeOutput::say("open-values " + ms(m_valuesNs - m_clickNs));
        ProbeOutput::say("open-dialog " + ms(m_dialogClosedNs - m_clickNs));
        ProbeOutput::say("open-page " + ms(ns - m_clickNs));
        ProbeOutput::say("hwm " + QByteArray::number(ProbeOutput::peakResidentKb()));
        if (m_writesLeft > 0)
            QTimer::singleShot(kSettleMs, this, [this] { nextWrite(); });
        else if (m_mode == QLatin1String("update"))
            QTimer::singleShot(kSettleMs, this, [this] { updateFirmware(); });
        else
            end();
    });
    click(sensorButton);
}

void ProgramDriver::nextWrite()
{
    QWidget* top = topWindow();
    // The next rate the page offers after the checked one.
    int current = -1;
    for (int i = 0; i < SensorRate::kRateCount; ++i) {
        QAbstractButton* b = rateButton(top, i);
        if (b && b->isChecked())
            current = i;
    }
    int target = -1;
    for (int step = 1; step <= SensorRate::kRateCount && target < 0; ++step) {
        const int i = (current + step + SensorRate::kRateCount) % SensorRate::kRateCount;
        QAbstractButton* b = rateButton(top, i);
        if (b && b->isVisible() && !b->isChecked())
            target = i;
    }
    if (target < 0)
        return fail("no report-rate button to click");

    m_watch = new WriteWatch(m_mouseId, ImageFieldCodes::rateCode(target), [this](qint64 doneNs, qint64 busyNs) {
        if (doneNs < 0)
            return fail("the mouse's flash never held the new rate");
        ProbeOutput::say("write " + ms(doneNs - m_writeClickNs) + ' ' + ms(busyNs));
        m_watch->deleteLater();
        if (--m_writesLeft > 0)
            QTimer::singleShot(kSettleMs, this, [this] { nextWrite(); });
        else if (m_buttons)
            QTimer::singleShot(kSettleMs, this, [this] { assignFunction(); });
        else
            end();
    }, this);
    m_watch->start();
    m_writeClickNs = ProbeOutput::nowNs();
    click(rateButton(top, target));
}

void ProgramDriver::timedClick(const QByteArray& figure, const char* name,
                               const std::function<bool(const QByteArray&)>& holds, const std::function<void()>& then)
{
    auto* button = topButton(QLatin1String(name));
    if (!button || !button->isVisible())
        return fail(QByteArray("no visible ") + name);
    m_watch = new WriteWatch(m_mouseId, holds, [this, figure, then](qint64 doneNs, qint64 busyNs) {
        if (doneNs < 0)
            return fail("the mouse's flash never held the " + figure);
        ProbeOutput::say(figure + ' ' + ms(doneNs - m_writeClickNs) + ' ' + ms(busyNs));
        m_watch->deleteLater();
        QTimer::singleShot(kSettleMs, this, then);
    }, this);
    m_watch->start();
    m_writeClickNs = ProbeOutput::nowNs();
    click(button);
}

void ProgramDriver::assignFunction()
{
    auto* page = topButton(QStringLiteral("ButtonMain"));
    if (!page)
        return fail("no button-page button");
    click(page);
    // The middle-button function on the second selector, or the back function
    // when it has the middle one already.
    const ButtonFunctionTable::Selector& selector = ButtonFunctionTable::selector(1);
    FlashDataMap image;
    if (!imageOf(hidsim::HidSimControl::configImage(m_mouseId), &image))
        return fail("no image of the mouse");
    auto named = [](const char* button) -> const ButtonFunctionTable::Simple* {
        for (int row = 0; row < ButtonFunctionTable::kSimpleCount; ++row) {
            if (qstrcmp(ButtonFunctionTable::simple(row).button, button) == 0)
                return &ButtonFunctionTable::simple(row);
        }
        return nullptr;
    };
    const char* function = "MidKey";
    const ButtonFunctionTable::Simple* chosen = named(function);
    const ButtonMapping now = image.buttons[selector.deviceIndex];
    if (chosen && now.type == chosen->type && now.code == chosen->code) {
        function = "BackKey_2";
        chosen = named(function);
    }
    if (!chosen)
        return fail("no such function");
    auto* selectorButton = topButton(QLatin1String(selector.name));
    if (!selectorButton)
        return fail("no selector");
    click(selectorButton);
    const int index = selector.deviceIndex;
    const ButtonFunctionTable::Simple f = *chosen;
    timedClick("button", function,
               [index, f](const QByteArray& bytes) {
                   FlashDataMap image;
                   return imageOf(bytes, &image) && image.buttons[index].type == f.type
                       && image.buttons[index].code == f.code && image.buttons[index].param == f.param;
               },
               [this] { bindMacro(); });
}

void ProgramDriver::bindMacro()
{
    const ButtonFunctionTable::Selector& selector = ButtonFunctionTable::selector(2);
    auto* selectorButton = topButton(QLatin1String(selector.name));
    auto* category = topButton(QStringLiteral("DPI_10"));
    if (!selectorButton || !category)
        return fail("no selector or macro category");
    click(selectorButton);
    click(category);
    const int index = selector.deviceIndex;
    timedClick("macro", "Macro_bench",
               [index](const QByteArray& bytes) {
                   FlashDataMap image;
                   return imageOf(bytes, &image) && image.buttons[index].type == ButtonMapping::kMacroType
                       && image.macros[index].nameLength == sizeof kMacroName - 1
                       && std::memcmp(image.macros[index].name, kMacroName, sizeof kMacroName - 1) == 0;
               },
               [this] { importConfiguration(); });
}

void ProgramDriver::importConfiguration()
{
    auto* importButton = topButton(QStringLiteral("ImportData"));
    FlashDataMap image;
    if (!importButton || !imageOf(hidsim::HidSimControl::configImage(m_mouseId), &image))
        return fail("no import button or no image");
    // The mouse's own configuration with another report rate, as a file.
    const quint8 rate = image.reportRate == FlashDataMap::kRate500 ? FlashDataMap::kRate250 : FlashDataMap::kRate500;
    image.reportRate = rate;
    const QString path = QDir::homePath() + QStringLiteral("/bench-import.bin");
    if (!ConfigurationActions::writeExport(path, image))
        return fail("cannot write the import file");
    ConfigurationActions::chooseFile = [path](QWidget*, bool) { return path; };

    m_importClosed = false;
    m_watch = new WriteWatch(m_mouseId,
                             [this, rate](const QByteArray& bytes) {
                                 FlashDataMap now;
                                 return m_importClosed.load() && imageOf(bytes, &now) && now.reportRate == rate;
                             },
                             [this](qint64 doneNs, qint64 busyNs) {
                                 if (doneNs < 0)
                                     return fail("the mouse's flash never held the imported file");
                                 ProbeOutput::say("import " + ms(m_dialogClosedNs - m_writeClickNs) + ' ' + ms(busyNs));
                                 m_watch->deleteLater();
                                 QTimer::singleShot(kSettleMs, this, [this] { visitPages(0); });
                             },
                             this);
    m_watch->start();
    m_writeClickNs = ProbeOutput::nowNs();
    // The import runs its wait dialog modally: the click returns once it has closed.
    click(importButton);
    m_dialogClosedNs = ProbeOutput::nowNs();
    m_importClosed = true;
}

void ProgramDriver::visitPages(int next)
{
    static const char* const kPages[] = {"SensorButton", "MacroButton", "LightsButton", "FormSetting", "ButtonMain"};
    if (next >= int(sizeof kPages / sizeof *kPages)) {
        ProbeOutput::say("hwm-pages " + QByteArray::number(ProbeOutput::peakResidentKb()));
        return end();
    }
    QWidget* top = topWindow();
    auto* page = topButton(QLatin1String(kPages[next]));
    if (!page)
        return fail(QByteArray("no page button ") + kPages[next]);
    FrameProbe::onNextFrame(top, [this, next](qint64) { QTimer::singleShot(kSettleMs, this, [this, next] { visitPages(next + 1); }); });
    click(page);
}

void ProgramDriver::updateFirmware()
{
    auto* page = topButton(QStringLiteral("FormSetting"));
    if (!page)
        return fail("no settings-page button");
    click(page);
    offerUpdate(0);
}

void ProgramDriver::offerUpdate(int attempt)
{
    // The page learns the devices' versions from the link; on a loaded machine
    // that may come after the page is shown, so the offer is asked for again.
    constexpr int kAttempts = 100;
    constexpr int kAttemptMs = 100;
    auto* offer = topButton(QStringLiteral("Receive_2"));
    if (offer && offer->isVisible())
        click(offer);
    UpDateRepair* dialog = g_UpDateRepairDialog;
    auto* start = dialog && dialog->isVisible() ? dialog->findChild<QAbstractButton*>(QStringLiteral("NewHong_2")) : nullptr;
    auto* status = dialog ? dialog->findChild<QLabel*>(QStringLiteral("ToolText_2")) : nullptr;
    // The update, not a repair: its dialog names what it offers.
    if (!start || !start->isVisible() || !status || status->text().isEmpty()) {
        if (attempt + 1 >= kAttempts)
            return fail("the settings page offers no update");
        QTimer::singleShot(kAttemptMs, this, [this, attempt] { offerUpdate(attempt + 1); });
        return;
    }

    // Any status but progress ends the run; both devices must have been updated.
    m_updateEnded = false;
    connect(PostMsg::GetInstance(), &PostMsg::SigProgress, this, [this](int, int status) {
        if (status == 0 || m_updateEnded)
            return;
        m_updateEndNs = ProbeOutput::nowNs();
        m_updateEnded = true;
    });
    m_watch = new WriteWatch(m_mouseId, [this](const QByteArray&) { return m_updateEnded.load(); },
                             [this](qint64 doneNs, qint64 busyNs) {
                                 if (doneNs < 0)
                                     return fail("the update did not end");
                                 if (FormSetting::receiverUpdateState() != 2 || FormSetting::mouseUpdateState() != 2)
                                     return fail("the update ended with receiver state "
                                                 + QByteArray::number(FormSetting::receiverUpdateState())
                                                 + " and mouse state "
                                                 + QByteArray::number(FormSetting::mouseUpdateState()));
                                 ProbeOutput::say("update " + ms(m_updateEndNs - m_writeClickNs) + ' ' + ms(busyNs));
                                 m_watch->deleteLater();
                                 end();
                             },
                             this);
    m_watch->start();
    m_writeClickNs = ProbeOutput::nowNs();
    click(start);
}

void ProgramDriver::fail(const QByteArray& why)
{
    ProbeOutput::say("error " + why);
    std::_Exit(3);
}

void ProgramDriver::end()
{
    ProbeOutput::say("end");
    QCoreApplication::quit();
}
