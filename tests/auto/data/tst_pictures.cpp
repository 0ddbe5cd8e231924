// The pictures the build renders from art/: every one listed in the manifest
// exists where the program looks for it, is a PNG of the listed size, the
// compiled-in ones load from the resources, and every picture name the
// program's sources spell out is one the manifest delivers.

#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>
#include <QtTest>

namespace {

struct Picture
{
    QString name;   // "Folder/Name.png" or ":/path.png"
    QSize size;
};

QList<Picture> readManifest()
{
    QList<Picture> out;
    QFile file(QStringLiteral(DESKLINK_SOURCE_DIR "/art/manifest.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return out;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QStringList parts = line.split(QRegularExpression(QStringLiteral("\\s+")));
        if (parts.size() != 4)
            continue;
        out.append({parts[0], QSize(parts[1].toInt(), parts[2].toInt())});
    }
    return out;
}

QString fileOf(const QString& picture)
{
    if (picture.startsWith(QLatin1String(":/")))
        return picture;
    return QStringLiteral(DESKLINK_APP_DIR "/Picture/") + picture;
}

} // namespace

class TestPictures : public QObject
{
    Q_OBJECT

private slots:
    void manifestIsWellFormed();
    void pictureIsRendered_data();
    void pictureIsRendered();
    void deviceListHasAPicturePerModel();
    void qtConfigurationIsCompiledIn();
    void sourcesNameOnlyDeliveredPictures();
};

void TestPictures::manifestIsWellFormed()
{
    const QList<Picture> pictures = readManifest();
    QVERIFY2(!pictures.isEmpty(), "art/manifest.txt is missing or empty");
    QSet<QString> seen;
    for (const Picture& p : pictures) {
        QVERIFY2(!seen.contains(p.name), qPrintable(p.name + " is listed twice"));
        seen.insert(p.name);
        QVERIFY2(p.name.endsWith(QLatin1String(".png")), qPrintable(p.name));
        QVERIFY2(p.size.width() > 0 && p.size.height() > 0, qPrintable(p.name));
        if (!p.name.startsWith(QLatin1String(":/")))
            QCOMPARE(p.name.count('/'), 1);
    }
}

void TestPictures::pictureIsRendered_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    for (const Picture& p : readManifest())
        QTest::newRow(qPrintable(p.name)) << fileOf(p.name) << p.size;
}

void TestPictures::pictureIsRendered()
{
    QFETCH(QString, file);
    QFETCH(QSize, size);

    QImageReader reader(file);
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(file + ": " + reader.errorString()));
    QCOMPARE(image.size(), size);
    // A blank picture means its drawing failed to render.
    bool painted = false;
    for (int y = 0; y < image.height() && !painted; ++y)
        for (int x = 0; x < image.width() && !painted; ++x)
            painted = qAlpha(image.pixel(x, y)) != 0;
    QVERIFY2(painted, qPrintable(file + " is fully transparent"));
}

void TestPictures::deviceListHasAPicturePerModel()
{
    // The device list names its model pictures by number; the button page its
    // mouse pictures by the numbers its layouts use.
    QSet<QString> names;
    for (const Picture& p : readManifest())
        names.insert(p.name);
    for (int k = 0; k <= 9; ++k) {
        QVERIFY(names.contains(QStringLiteral("DialogChange/OnLine%1.png").arg(k)));
        QVERIFY(names.contains(QStringLiteral("DialogChange/DisOnlin%1.png").arg(k)));
    }
    for (int n : {0, 4, 5, 6, 7, 8, 9})
        QVERIFY(names.contains(QStringLiteral("Buttoninterface/mouse%1.png").arg(n)));

    // Online and offline pictures of one model must not be the same drawing.
    for (int k = 0; k <= 9; ++k) {
        const QImage on(fileOf(QStringLiteral("DialogChange/OnLine%1.png").arg(k)));
        const QImage off(fileOf(QStringLiteral("DialogChange/DisOnlin%1.png").arg(k)));
        QVERIFY(!on.isNull() && !off.isNull());
        QVERIFY2(on != off, qPrintable(QString::number(k)));
    }
}

void TestPictures::qtConfigurationIsCompiledIn()
{
    QFile conf(QStringLiteral(":/qt/etc/qt.conf"));
    QVERIFY(conf.open(QIODevice::ReadOnly));
    const QByteArray text = conf.readAll();
    QVERIFY(text.contains("[Platforms]"));
    QVERIFY(text.contains("dpiawareness=0"));
    // A configuration without a [Paths] group must leave Qt's own plugin
    // folders in place: the platform plugin of this run was found through them.
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
}

void TestPictures::sourcesNameOnlyDeliveredPictures()
{
    // Picture names are spelled in the sources next to the folder they come
    // from; each one must be delivered in one of the folders its file names.
    QHash<QString, QSet<QString>> byFolder;   // folder -> picture names
    for (const Picture& p : readManifest()) {
        if (p.name.startsWith(QLatin1String(":/")))
            continue;
        byFolder[p.name.section('/', 0, 0)].insert(p.name.section('/', 1));
    }
    // A name stands after a quote, a slash, "url(" or an argument marker such as %1.
    const QRegularExpression pngName(
        QStringLiteral("(?<!%)(?:(?<=%\\d)|(?<![A-Za-z0-9_]))([A-Za-z0-9_]+\\.png)"));
    const QRegularExpression folderLiteral(QStringLiteral("Picture/([A-Za-z]+)"));

    QStringList problems;
    QDirIterator it(QStringLiteral(DESKLINK_SOURCE_DIR "/src"), {"*.cpp", "*.h"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QString text = QString::fromUtf8(file.readAll());

        QStringList folders;
        for (auto m = folderLiteral.globalMatch(text); m.hasNext();)
            folders << m.next().captured(1);
        for (auto m = pngName.globalMatch(text); m.hasNext();) {
            const QString name = m.next().captured(1);
            bool found = false;
            if (folders.isEmpty()) {
                for (const QSet<QString>& names : qAsConst(byFolder))
                    found = found || names.contains(name);
            } else {
                for (const QString& folder : qAsConst(folders))
                    found = found || byFolder.value(folder).contains(name);
            }
            if (!found)
                problems << QStringLiteral("%1: %2 (folders: %3)")
                                .arg(path.mid(int(qstrlen(DESKLINK_SOURCE_DIR)) + 1), name,
                                     folders.isEmpty() ? QStringLiteral("any") : folders.join(','));
        }
    }
    QVERIFY2(problems.isEmpty(), qPrintable("pictures missing from art/manifest.txt:\n" + problems.join('\n')));
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
