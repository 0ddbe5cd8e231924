#include "ModalDialogDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QTest>
#include <QWindow>
#include <QLabel>
#include <QThread>
#include <QTimer>
#include <QWidget>

namespace {
constexpr int kPollMs = 10;
}

ModalDialogDriver::ModalDialogDriver(QObject* parent)
    : QObject(parent)
{
    m_clock.start();
}

ModalDialogDriver::~ModalDialogDriver() = default;

void ModalDialogDriver::expect(const QString& classOrObjectName, Handler handler, int timeoutMs)
{
    if (m_queue.isEmpty())
        m_waitStartMs = m_clock.elapsed();
    m_queue.append({classOrObjectName, std::move(handler), timeoutMs});
    schedulePoll();
}

void ModalDialogDriver::forbidDialogs(bool on)
{
    m_forbid = on;
    if (on)
        schedulePoll();
}

bool ModalDialogDriver::allHandled() const
{
    return m_queue.isEmpty() && m_failures.isEmpty();
}

bool ModalDialogDriver::waitAllHandled(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!m_queue.isEmpty() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, kPollMs);
        QThread::msleep(1);
    }
    return allHandled();
}

void ModalDialogDriver::schedulePoll()
{
    if (m_pollScheduled)
        return;
    m_pollScheduled = true;
    // A fresh single shot each time: a handler may open a nested modal loop, in
    // which the next poll must still run (a repeating timer does not fire
    // again while its own slot is running).
    QTimer::singleShot(kPollMs, this, [this] {
        m_pollScheduled = false;
        poll();
    });
}

QWidget* ModalDialogDriver::currentDialog()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return nullptr;
}

bool ModalDialogDriver::matches(QWidget* w, const QString& name)
{
    return w->inherits(name.toLatin1().constData()) || w->objectName() == name;
}

void ModalDialogDriver::dismiss(QWidget* dialog)
{
    if (auto* d = qobject_cast<QDialog*>(dialog))
        d->reject();
    else
        dialog->close();
}

void ModalDialogDriver::poll()
{
    if (m_queue.isEmpty() && !m_forbid)
        return;

    QWidget* dialog = currentDialog();
    if (!dialog && !m_queue.isEmpty()) {
        // A dialog shown without being modal: look for the expected one by name.
        const QWidgetList tops = QApplication::topLevelWidgets();
        for (QWidget* w : tops) {
            if (w->isVisible() && matches(w, m_queue.first().name)) {
                dialog = w;
                break;
            }
        }
    }

    if (!dialog) {
        if (!m_queue.isEmpty() && m_clock.elapsed() - m_waitStartMs > m_queue.first().timeoutMs) {
            m_failures << QStringLiteral("no dialog \"%1\" appeared").arg(m_queue.first().name);
            m_queue.removeFirst();
            m_waitStartMs = m_clock.elapsed();
        }
        schedulePoll();
        return;
    }

    const QString className = QString::fromLatin1(dialog->metaObject()->className());
    m_seen << className;

    if (m_queue.isEmpty() || !matches(dialog, m_queue.first().name)) {
        m_failures << (m_queue.isEmpty()
                           ? QStringLiteral("unexpected dialog %1").arg(className)
                           : QStringLiteral("expected \"%1\", got %2").arg(m_queue.first().name, className));
        if (!m_queue.isEmpty())
            m_queue.removeFirst();
        m_waitStartMs = m_clock.elapsed();
        schedulePoll();
        dismiss(dialog);
        return;
    }

    Expectation current = m_queue.takeFirst();
    schedulePoll();
    QPointer<QWidget> guard(dialog);
    if (current.handler)
        current.handler(dialog);
    ++m_handled;
    m_waitStartMs = m_clock.elapsed();
    if (guard && guard->isVisible()) {
        m_failures << QStringLiteral("handler left %1 open").arg(className);
        dismiss(guard);
    }
}

bool ModalDialogDriver::click(QWidget* dialog, const QString& buttonObjectName)
{
    auto* button = dialog ? dialog->findChild<QAbstractButton*>(buttonObjectName) : nullptr;
    if (!button)
        return false;
    button->click();
    return true;
}

bool ModalDialogDriver::clickWhereShown(QWidget* dialog, const QString& widgetObjectName)
{
    auto* widget = dialog ? dialog->findChild<QWidget*>(widgetObjectName) : nullptr;
    QWidget* window = widget ? widget->window() : nullptr;
    if (!window || !window->windowHandle())
        return false;
    // The middle of the area (QRect::center() of an even size is half a pixel up and left).
    const QPoint centre = widget->mapTo(window, QRectF(widget->rect()).center().toPoint());
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, centre);
    return true;
}

QString ModalDialogDriver::labelText(QWidget* dialog, const QString& labelObjectName)
{
    auto* label = dialog ? dialog->findChild<QLabel*>(labelObjectName) : nullptr;
    return label ? label->text() : QString();
}

QString ModalDialogDriver::buttonText(QWidget* dialog, const QString& buttonObjectName)
{
    auto* button = dialog ? dialog->findChild<QAbstractButton*>(buttonObjectName) : nullptr;
    return button ? button->text() : QString();
}

void ModalDialogDriver::closeFromWindowManager(QWidget* dialog)
{
    if (!dialog)
        return;
    if (QWindow* window = dialog->windowHandle()) {
        QCloseEvent event;
        QCoreApplication::sendEvent(window, &event);
    } else {
        dialog->close();
    }
}

void ModalDialogDriver::typeKey(QWidget* dialog, Qt::Key key)
{
    if (!dialog)
        return;
    QWidget* target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
    QTest::keyClick(target, key);
}
