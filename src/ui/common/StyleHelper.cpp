#include "ui/common/StyleHelper.h"

#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "platform/CompositingManager.h"

#include <QBitmap>
#include <QEvent>
#include <QImage>
#include <QObject>
#include <QRegion>
#include <QWidget>

namespace {

// Asks for activation on every show of the window it watches.
class ActivateOnShow : public QObject
{
public:
    explicit ActivateOnShow(QWidget* window) : QObject(window), m_window(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Show)
            m_window->activateWindow();
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* m_window;
};

// Without a compositing manager the transparent parts of a translucent window
// show black: cut the window to what it paints, each time it is shown or resized.
class ShapeToContent : public QObject
{
public:
    explicit ShapeToContent(QWidget* window) : QObject(window), m_window(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window
            && (event->type() == QEvent::Show || (event->type() == QEvent::Resize && m_window->isVisible())))
            reshape();
        return QObject::eventFilter(watched, event);
    }

private:
    void reshape()
    {
        if (CompositingManager::running()) {
            m_window->clearMask();
            return;
        }
        QImage painted(m_window->size(), QImage::Format_ARGB32_Premultiplied);
        painted.fill(Qt::transparent);
        m_window->render(&painted, QPoint(), QRegion(), QWidget::DrawChildren);
        // Half-transparent edge pixels count as painted, as a compositor would show them.
        const QRegion shape(QBitmap::fromImage(painted.createAlphaMask(Qt::ThresholdAlphaDither)));
        if (shape.isEmpty())
            m_window->clearMask();  // nothing painted yet: a hidden window is worse than black corners
        else
            m_window->setMask(shape);
    }

    QWidget* m_window;
};

QString imageRule(const QString& selector, const QString& folder, const QString& picture,
                  const QString& extra = QString())
{
    return QStringLiteral("%1{%2border-image:url(%3%4);}").arg(selector, extra, folder, picture);
}

} // namespace

QString StyleHelper::pictureFolder(const QString& folder)
{
    QString relative = folder;
    if (relative.startsWith(QLatin1Char('/')))
        relative.remove(0, 1);
    if (!relative.startsWith(QLatin1String("Picture/")))
        relative.prepend(QLatin1String("Picture/"));
    if (!relative.endsWith(QLatin1Char('/')))
        relative += QLatin1Char('/');
    return AppPaths::appSubdir(QLatin1Char('/') + relative);
}

QString StyleHelper::optionRgb(const QString& key)
{
    QString text;
    if (!ConfigSettings::instance()->colourText(key, &text))
        return QString();
    return QStringLiteral("rgb(%1)").arg(text);
}

QString StyleHelper::colorRule(const QString& key)
{
    const QString rgb = optionRgb(key);
    return rgb.isEmpty() ? QString() : QStringLiteral("color:%1;").arg(rgb);
}

bool StyleHelper::applyTextColor(QWidget* widget, const QString& key)
{
    const QString rule = colorRule(key);
    if (rule.isEmpty() || !widget)
        return false;
    widget->setStyleSheet(rule);
    return true;
}

QString StyleHelper::toolButtonImages(const QString& folder, const QString& normal,
                                      const QString& hover, const QString& pressed,
                                      const QString& checked, const QString& extra)
{
    QString sheet = imageRule(QStringLiteral("QToolButton"), folder, normal,
                              QStringLiteral("border:none;") + extra);
    if (!hover.isEmpty())
        sheet += imageRule(QStringLiteral("QToolButton:hover"), folder, hover);
    if (!pressed.isEmpty())
        sheet += imageRule(QStringLiteral("QToolButton:pressed"), folder, pressed);
    if (!checked.isEmpty())
        sheet += imageRule(QStringLiteral("QToolButton:checked"), folder, checked);
    return sheet;
}

QString StyleHelper::frameBackground(const QString& objectName, const QString& folder,
                                     const QString& picture)
{
    return imageRule(QStringLiteral("QFrame#") + objectName, folder, picture,
                     QStringLiteral("border:none;"));
}

Qt::WindowFlags StyleHelper::noticeFlags()
{
    return Qt::SubWindow | Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint
           | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint;
}

QPoint StyleHelper::centredOn(const QWidget* reference, const QSize& size, int dx, int dy)
{
    if (!reference)
        return QPoint(dx, dy);
    return centredOn(reference->mapToGlobal(QPoint(0, 0)), reference->size(), size, dx, dy);
}

QPoint StyleHelper::centredOn(const QPoint& referenceTopLeft, const QSize& referenceSize,
                              const QSize& size, int dx, int dy)
{
    return QPoint(referenceTopLeft.x() + (referenceSize.width() - size.width()) / 2 + dx,
                  referenceTopLeft.y() + (referenceSize.height() - size.height()) / 2 + dy);
}

void StyleHelper::placeCentred(QWidget* dialog, const QWidget* reference, int dx, int dy)
{
    if (dialog)
        dialog->move(centredOn(reference, dialog->size(), dx, dy));
}

void StyleHelper::useTranslucentBackground(QWidget* window)
{
    if (!window)
        return;
    window->setAttribute(Qt::WA_TranslucentBackground);
    window->installEventFilter(new ShapeToContent(window));
}

void StyleHelper::activateWhenShown(QWidget* window)
{
    if (window)
        window->installEventFilter(new ActivateOnShow(window));
}
