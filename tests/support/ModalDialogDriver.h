#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QElapsedTimer>

#include <functional>

class QDialog;
class QWidget;

// Answers dialogs that the code under test runs with exec() (or shows modally).
//
// Queue one expectation per dialog, in the order they will appear, then run the
// code that opens them. While the code sits in the dialog's own event loop the
// driver finds the dialog (the active modal widget, else a visible top-level
// widget), checks that it is the expected one by class name (inherits()) or
// object name, and runs the handler: inspect the dialog, then answer it, e.g.
// with click(dialog, "NewHong") or dialog->accept(). A handler that leaves the
// dialog open makes the driver reject it, so a test never hangs; so does a
// dialog that is not the expected one, or a timeout.
//
//     ModalDialogDriver driver;
//     QString message;
//     driver.expect("DeleteConfirm", [&](QWidget* d) {
//         message = ModalDialogDriver::labelText(d, "label");
//         ModalDialogDriver::click(d, "NewHong");
//     });
//     page.on_DeleteHong_clicked();          // runs DeleteConfirm::exec()
//     QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
//     QCOMPARE(message, expectedText);
//
// Handlers should record what they saw and let the test compare after the
// dialog has returned (QCOMPARE inside a handler only leaves the handler).
// To check that code opens no dialog, call forbidDialogs(true) first: every
// modal dialog that then appears is rejected and reported in failures().
class ModalDialogDriver : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<void(QWidget*)>;

    explicit ModalDialogDriver(QObject* parent = nullptr);
    ~ModalDialogDriver() override;

    // Expect a dialog whose class inherits `classOrObjectName` or whose object
    // name equals it; `timeoutMs` counts from the moment the previous
    // expectation was answered (or from this call for the first one).
    // The limits only end a test whose dialog never comes: wide, so that a busy
    // machine never meets them.
    void expect(const QString& classOrObjectName, Handler handler, int timeoutMs = 30000);
    // Waits (pumping events) until every expectation was answered or failed.
    bool waitAllHandled(int timeoutMs = 30000);
    bool allHandled() const;
    int handledCount() const { return m_handled; }
    QStringList failures() const { return m_failures; }
    // Class names of every dialog the driver met, in order.
    QStringList seen() const { return m_seen; }

    // While on, any modal dialog without an expectation is rejected and
    // reported as a failure.
    void forbidDialogs(bool on);

    // Helpers for handlers.
    static bool click(QWidget* dialog, const QString& buttonObjectName);
    // Clicks the centre of the named widget through the dialog's window, as a
    // pointer does: the click goes to whatever lies on top at that spot, so a
    // widget covered by another one does not get it.
    static bool clickWhereShown(QWidget* dialog, const QString& widgetObjectName);
    static QString labelText(QWidget* dialog, const QString& labelObjectName);
    static QString buttonText(QWidget* dialog, const QString& buttonObjectName);
    // Closes the dialog as a window manager's close request does (a close
    // event to its window), not through any of its buttons.
    static void closeFromWindowManager(QWidget* dialog);
    // Presses and releases `key` on the dialog's focus widget (or the dialog).
    static void typeKey(QWidget* dialog, Qt::Key key);
    // The dialog a handler would get now, or null.
    static QWidget* currentDialog();

private:
    struct Expectation
    {
        QString name;
        Handler handler;
        int timeoutMs;
    };

    void schedulePoll();
    void poll();
    static bool matches(QWidget* w, const QString& name);
    static void dismiss(QWidget* dialog);

    bool m_pollScheduled = false;
    bool m_forbid = false;
    QList<Expectation> m_queue;
    QStringList m_failures;
    QStringList m_seen;
    int m_handled = 0;
    qint64 m_waitStartMs = 0;
    QElapsedTimer m_clock;
};
