#include "FullDisk.h"
#include "TestHome.h"

#include "core/AppPaths.h"
#include "core/SettingsStore.h"
#include "device/DeviceCache.h"
#include "platform/AutoStart.h"
#include "platform/Registry.h"
#include "ui/buttons/ConfigurationFile.h"
#include "ui/macro/MacroExchangeFile.h"
#include "ui/macro/MacroFile.h"
#include "ui/settings/UpdateLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <functional>

namespace {

// One writer of the program: where it writes, a write of the old or the new
// content, and the room left on the disk for the new one, counted from the
// old one's size (the new content is always larger than the room).
struct Writer
{
    std::function<QString()> path;
    std::function<bool(bool large)> write;
    qint64 room = 100;
};

QVector<MacroRow> macroRows(int count)
{
    QVector<MacroRow> rows;
    for (int i = 0; i < count; ++i)
        rows << MacroRow::key(QStringLiteral("0x04"), 1, i % 2) << MacroRow::delay(10 + i);
    return rows;
}

FlashDataMap imageFilledWith(char byte)
{
    FlashDataMap image;
    memset(&image, byte, sizeof image);
    return image;
}

QStringList lines(int count)
{
    return QVector<QString>(count, QString(60, 'l')).toList();
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// The files of a folder other than the one written: a temporary file left behind.
QStringList othersBeside(const QString& path)
{
    QStringList names = QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden);
    names.removeAll(QFileInfo(path).fileName());
    names.removeAll(QFileInfo(path).fileName() + QStringLiteral(".lock"));
    return names;
}

}  // namespace

Q_DECLARE_METATYPE(Writer)

// Every file the program stores, written on a full disk: the old file stays
// whole and the writer says the write failed.
class TestFullDisk : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_home.isValid()); }

    void oldFileStaysWhole_data()
    {
        QTest::addColumn<Writer>("writer");
        const QString home = m_home.path();

        QTest::newRow("macro file") << Writer{
            [home] { return home + QStringLiteral("/macros/m1.txt"); },
            [home](bool large) {
                QDir().mkpath(home + QStringLiteral("/macros"));
                return MacroFile::write(home + QStringLiteral("/macros/m1.txt"), 3, macroRows(large ? 35 : 2),
                                        MacroFile::WriteMode::CreateOrReplace);
            }};
        QTest::newRow("macro exchange file") << Writer{
            [home] { return home + QStringLiteral("/m1.macro"); },
            [home](bool large) {
                QVector<MacroExchangeFile::Item> items;
                for (const MacroRow& row : macroRows(large ? 35 : 2))
                    items << MacroExchangeFile::Item{QStringLiteral("A"), row};
                return MacroExchangeFile::write(home + QStringLiteral("/m1.macro"), QStringLiteral("m1"), 1, items,
                                                home + QStringLiteral("/"));
            }};
        QTest::newRow("configuration export") << Writer{
            [home] { return home + QStringLiteral("/export.cfg"); },
            [home](bool large) {
                return ConfigurationFile::write(home + QStringLiteral("/export.cfg"),
                                                imageFilledWith(large ? 2 : 1), ConfigurationFile::Model());
            },
            -1000};
        QTest::newRow("device cache") << Writer{
            [] { return DeviceCacheFilePath(DeviceCacheFileName(0x33, 0x07)); },
            [](bool large) { return SaveDeviceCache(DeviceCacheFileName(0x33, 0x07), imageFilledWith(large ? 2 : 1)); },
            -1000};
        QTest::newRow("autostart entry") << Writer{
            [] { return AutoStart::entryPath(); },
            [](bool large) {
                return AutoStart::enable(large ? QStringLiteral("/opt/") + QString(400, 'p') + QStringLiteral("/run")
                                               : QStringLiteral("/usr/bin/run"));
            }};
        QTest::newRow("update log, appended") << Writer{
            [] { return UpdateLog::filePath(); },
            [](bool large) {
                return UpdateLog::append(QStringLiteral("entry"), lines(large ? 40 : 1));
            }};
        QTest::newRow("update log, shortened") << Writer{
            [] { return UpdateLog::filePath(); },
            [](bool large) {
                // Past the size bound, the oldest half is dropped in a rewrite of the whole log.
                return UpdateLog::append(QStringLiteral("entry"),
                                         lines(large ? 4500 : 4200));
            }};
        QTest::newRow("settings") << Writer{
            [] { return AppPaths::macroIniPath(); },
            [](bool large) {
                return SettingsStore::instance()->setValue(QStringLiteral("Test"), QStringLiteral("Value"),
                                                           QString(large ? 4000 : 10, 's'));
            }};
        QTest::newRow("registry") << Writer{
            [] { return Registry::filePath(); },
            [](bool large) {
                return Registry::setValue(QStringLiteral("Software\\Test"), QStringLiteral("Value"),
                                          QString(large ? 4000 : 10, 'r'));
            }};
    }

    void oldFileStaysWhole()
    {
        QFETCH(Writer, writer);
        QDir().mkpath(AppPaths::dataDir());
        const QString path = writer.path();
        QFile::remove(path);
        SettingsStore::resetForTests();

        QVERIFY(writer.write(false));
        const QByteArray old = contentOf(path);
        QVERIFY(!old.isEmpty());
        const QStringList othersBefore = othersBeside(path);

        QCOMPARE(FullDisk::run(old.size() + writer.room, [&] { return writer.write(true); }),
                 FullDisk::Outcome::Refused);
        QCOMPARE(contentOf(path), old);
        QCOMPARE(othersBeside(path), othersBefore);

        // With room enough, the same write is done.
        QCOMPARE(FullDisk::run(64 * 1024 * 1024, [&] { return writer.write(true); }), FullDisk::Outcome::Written);
        QVERIFY(contentOf(path) != old);
        SettingsStore::resetForTests();
    }

private:
    TestHome m_home;
};

QTEST_MAIN(TestFullDisk)
#include "tst_fulldisk.moc"
