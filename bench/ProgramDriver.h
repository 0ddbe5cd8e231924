#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <atomic>
#include <functional>

class QAbstractButton;
class WriteWatch;

// Acts as the person at the desk inside the program's own process, on the
// program's real start-up path, and reports each figure as a line on stdout.
//
// DESKLINK_BENCH_MODE=start: the first frame of the top window, then the end.
// DESKLINK_BENCH_MODE=open: also clicks the first listed device, waits for the
// wait dialog to close, clicks the sensor-page button, then clicks report-rate
// buttons DESKLINK_BENCH_WRITES times, each until DESKLINK_BENCH_MOUSE's flash
// holds the new rate. With DESKLINK_BENCH_BUTTONS=1 it then gives a button a
// function and binds a macro to another on the button page, each until the
// flash holds it, imports a configuration file (until its wait dialog has
// closed), and visits every page before the memory figure.
// DESKLINK_BENCH_MODE=update: opens the device as above, then runs the firmware
// update from the settings page until its final status.
class ProgramDriver : public QObject
{
public:
    // Called while the application object is being built, before the top window exists.
    static void install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ProgramDriver();

    void onFirstFrame(qint64 ns);
    void waitForDeviceButton();
    void openDevice();
    void onDeviceImage();
    void onWaitDialogClosed();
    void showSensorPage();
    void nextWrite();
    void assignFunction();
    void bindMacro();
    void importConfiguration();
    void visitPages(int next);
    // Opens the settings page, offers the update and starts it; the figure is
    // the time from Start to the run's final status.
    void updateFirmware();
    void offerUpdate(int attempt);
    // Clicks `name` on the top window and watches the flash until `holds`.
    void timedClick(const QByteArray& figure, const char* name, const std::function<bool(const QByteArray&)>& holds,
                    const std::function<void()>& then);
    void fail(const QByteArray& why);
    void end();

    QWidget* topWindow() const;
    // The top window's button of that name, or null.
    QAbstractButton* topButton(const QString& name) const;
    static void click(QWidget* widget);

    QString m_mode;
    QString m_mouseId;
    int m_writesLeft = 0;
    int m_expectedRateIndex = -1;
    bool m_buttons = false;
    std::atomic<bool> m_importClosed{false};
    std::atomic<bool> m_updateEnded{false};

    qint64 m_clickNs = 0;
    qint64 m_valuesNs = 0;
    qint64 m_dialogClosedNs = 0;
    qint64 m_writeClickNs = 0;
    qint64 m_updateEndNs = 0;
    bool m_topShown = false;
    bool m_waitDialogShown = false;
    bool m_waitDialogClosed = false;
    QPointer<WriteWatch> m_watch;
};
