// Renders the program's pictures from their SVG sources at build time.
//
//   artrender <manifest> <art folder> <application folder> <resource folder>
//
// Each manifest line is "<picture> <width> <height> <svg below the art folder>".
// A picture "Folder/Name.png" is written to <application folder>/Picture/Folder/Name.png;
// a picture ":/path/name.png" is a compiled-in one and goes to <resource folder>/path/name.png.
// Empty lines and lines starting with '#' are skipped. Any fault ends the run
// with a message and exit code 1, so a broken picture fails the build.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QSvgRenderer>
#include <QTextStream>

#include <cstdio>

namespace {

struct Entry
{
    int line = 0;
    QString picture;
    int width = 0;
    int height = 0;
    QString source;
};

void fail(const QString& message)
{
    std::fprintf(stderr, "artrender: %s\n", qPrintable(message));
}

bool readManifest(const QString& path, QList<Entry>* entries)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        fail(QStringLiteral("cannot read %1").arg(path));
        return false;
    }
    QTextStream in(&file);
    in.setCodec("UTF-8");
    QSet<QString> seen;
    int lineNo = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        ++lineNo;
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QStringList parts = line.split(QRegExp(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        Entry e;
        e.line = lineNo;
        bool okW = false;
        bool okH = false;
        if (parts.size() == 4) {
            e.picture = parts[0];
            e.width = parts[1].toInt(&okW);
            e.height = parts[2].toInt(&okH);
            e.source = parts[3];
        }
        if (!okW || !okH || e.width <= 0 || e.height <= 0 || !e.picture.endsWith(QLatin1String(".png"))
            || e.picture.contains(QLatin1String("..")) || e.source.contains(QLatin1String(".."))) {
            fail(QStringLiteral("%1:%2: malformed line").arg(path).arg(lineNo));
            return false;
        }
        if (seen.contains(e.picture)) {
            fail(QStringLiteral("%1:%2: %3 listed twice").arg(path).arg(lineNo).arg(e.picture));
            return false;
        }
        seen.insert(e.picture);
        entries->append(e);
    }
    return true;
}

bool render(const Entry& e, const QString& svgPath, const QString& pngPath)
{
    QSvgRenderer renderer(svgPath);
    if (!renderer.isValid()) {
        fail(QStringLiteral("line %1: %2 is not a valid SVG").arg(e.line).arg(svgPath));
        return false;
    }
    QImage image(e.width, e.height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        renderer.render(&painter, QRectF(0, 0, e.width, e.height));
    }
    const QImage out = image.convertToFormat(QImage::Format_ARGB32);
    if (!QDir().mkpath(QFileInfo(pngPath).absolutePath()) || !out.save(pngPath, "PNG")) {
        fail(QStringLiteral("line %1: cannot write %2").arg(e.line).arg(pngPath));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    // The build machine may have no display; the SVG renderer only needs a
    // GUI application object for its font and paint engine set-up.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = app.arguments();
    if (args.size() != 5) {
        fail(QStringLiteral("usage: artrender <manifest> <art folder> <application folder> <resource folder>"));
        return 1;
    }
    const QString manifest = args[1];
    const QDir artDir(args[2]);
    const QDir appDir(args[3]);
    const QDir resourceDir(args[4]);

    QList<Entry> entries;
    if (!readManifest(manifest, &entries))
        return 1;

    for (const Entry& e : entries) {
        const QString svgPath = artDir.filePath(e.source);
        const QString pngPath = e.picture.startsWith(QLatin1String(":/"))
            ? resourceDir.filePath(e.picture.mid(2))
            : appDir.filePath(QStringLiteral("Picture/") + e.picture);
        if (!render(e, svgPath, pngPath))
            return 1;
    }
    return 0;
}
