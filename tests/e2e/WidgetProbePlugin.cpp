// A Qt generic plugin that the end-to-end walk loads into the unchanged program
// (QT_QPA_GENERIC_PLUGINS) so that it can find widgets by object name: Qt
// widgets are no X windows, so an input driver alone sees only the top window.
// It answers questions over a local socket and never acts on the program.
//
// Requests, one per line; one answer line each. NAME is an object name, or
// "name@window" for the one in the top-level window of that object name.
//   where NAME [ROW]  "x y" (screen position of the centre of the visible
//                     widget of that name, or of row ROW of its open list),
//                     "hidden x y" when its centre is clipped away by a
//                     scrolled view (x y: the view), or "none"
//   text NAME         the text of the visible widget of that name, or "none"
//   checked NAME      "1" or "0", or "none"
//   index NAME        the current row of the visible list box of that name, or "none"
//   window NAME       the X window id of the widget's top-level window, or "none"
//   windows           the object names of the visible top-level windows
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QGenericPlugin>
#include <QLabel>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

namespace {

QWidget* visibleWidget(const QString& qualified)
{
    const QString name = qualified.section(QLatin1Char('@'), 0, 0);
    const QString window = qualified.section(QLatin1Char('@'), 1);
    QWidget* found = nullptr;
    for (QWidget* w : QApplication::allWidgets()) {
        if (w->objectName() != name || !w->isVisible() || !w->window()->isVisible())
            continue;
        if (!window.isEmpty() && w->window()->objectName() != window)
            continue;
        // Of several, the one in the active window, then the last built.
        if (!found || w->window()->isActiveWindow())
            found = w;
    }
    return found;
}

// The innermost scrolled view whose viewport clips the point away, if any.
QAbstractScrollArea* clippingArea(QWidget* w, const QPoint& local)
{
    for (QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
        auto* area = qobject_cast<QAbstractScrollArea*>(p);
        if (!area)
            continue;
        const QPoint inViewport = w->mapTo(area->viewport(), local);
        if (!area->viewport()->rect().contains(inViewport))
            return area;
    }
    return nullptr;
}

QByteArray point(const QPoint& p)
{
    return QByteArray::number(p.x()) + ' ' + QByteArray::number(p.y());
}

QByteArray where(const QString& name, const QString& row)
{
    QWidget* w = visibleWidget(name);
    if (!w)
        return "none";
    if (!row.isEmpty()) {
        auto* combo = qobject_cast<QComboBox*>(w);
        QAbstractItemView* view = combo ? combo->view() : nullptr;
        if (!view || !view->isVisible())
            return "none";
        const QRect r = view->visualRect(view->model()->index(row.toInt(), 0));
        if (!r.isValid() || !view->viewport()->rect().contains(r.center()))
            return "none";
        return point(view->viewport()->mapToGlobal(r.center()));
    }
    const QPoint centre = w->rect().center();
    if (QAbstractScrollArea* area = clippingArea(w, centre))
        return "hidden " + point(area->viewport()->mapToGlobal(area->viewport()->rect().center()));
    return point(w->mapToGlobal(centre));
}

QByteArray text(const QString& name)
{
    QWidget* w = visibleWidget(name);
    QString t;
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        t = b->text();
    else if (auto* l = qobject_cast<QLabel*>(w))
        t = l->text();
    else if (auto* c = qobject_cast<QComboBox*>(w))
        t = c->currentText();
    else if (auto* e = qobject_cast<QLineEdit*>(w))
        t = e->text();
    else
        return "none";
    return t.toUtf8().replace('\n', ' ');
}

QByteArray answer(const QByteArray& line)
{
    const QStringList words = QString::fromUtf8(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return "none";
    const QString name = words.value(1);
    if (words.at(0) == QLatin1String("where"))
        return where(name, words.value(2));
    if (words.at(0) == QLatin1String("text"))
        return text(name);
    if (words.at(0) == QLatin1String("checked")) {
        auto* b = qobject_cast<QAbstractButton*>(visibleWidget(name));
        return b ? QByteArray(b->isChecked() ? "1" : "0") : QByteArray("none");
    }
    if (words.at(0) == QLatin1String("index")) {
        auto* c = qobject_cast<QComboBox*>(visibleWidget(name));
        return c ? QByteArray::number(c->currentIndex()) : QByteArray("none");
    }
    if (words.at(0) == QLatin1String("window")) {
        QWidget* w = visibleWidget(name);
        return w ? QByteArray::number(qulonglong(w->window()->winId())) : QByteArray("none");
    }
    if (words.at(0) == QLatin1String("windows")) {
        QByteArray out;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible())
                out += w->objectName().toUtf8() + ' ';
        }
        return out.trimmed();
    }
    return "none";
}

class Probe : public QObject
{
public:
    explicit Probe(const QString& socketPath)
    {
        QLocalServer::removeServer(socketPath);
        m_server.listen(socketPath);
        connect(&m_server, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* s = m_server.nextPendingConnection()) {
                connect(s, &QLocalSocket::readyRead, s, [s] {
                    while (s->canReadLine())
                        s->write(answer(s->readLine().trimmed()) + '\n');
                });
                connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }

private:
    QLocalServer m_server;
};

}  // namespace

class WidgetProbePlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "WidgetProbePlugin.json")

public:
    QObject* create(const QString& key, const QString& parameter) override
    {
        Q_UNUSED(key)
        const QString path = parameter.isEmpty() ? qEnvironmentVariable("DESKLINK_WIDGET_PROBE") : parameter;
        return path.isEmpty() ? nullptr : new Probe(path);
    }
};

#include "WidgetProbePlugin.moc"
