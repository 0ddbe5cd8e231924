#include "DeviceLinkFixture.h"

#include "core/AppPaths.h"
#include "device/DeviceCache.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <cstring>
#include <csignal>
#include <sys/resource.h>

Q_DECLARE_METATYPE(FlashDataMap)

namespace {
FlashDataMap patternImage(int seed)
{
    FlashDataMap image;
    auto* bytes = reinterpret_cast<unsigned char*>(&image);
    for (int i = 0; i < FlashDataMap::kSize; ++i)
        bytes[i] = static_cast<unsigned char>((i * 7 + seed) & 0xFF);
    return image;
}

bool sameImage(const FlashDataMap& a, const FlashDataMap& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void writeRaw(const QString& name, const QByteArray& bytes)
{
    QFile file(DeviceCacheFilePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray lengthPrefix(quint32 length)
{
    QByteArray b;
    QDataStream out(&b, QIODevice::WriteOnly);
    out << length;
    return b;
}
}

class TestDeviceCache : public QObject
{
    Q_OBJECT

private:
    DeviceLinkFixture m_fixture;  // a temporary HOME with an empty "Device_Info"

private slots:
    void init() { QVERIFY(m_fixture.setUp()); }
    void cleanup() { m_fixture.tearDown(); }

    void fileName_data()
    {
        QTest::addColumn<int>("cid");
        QTest::addColumn<int>("mid");
        QTest::addColumn<QString>("name");
        QTest::newRow("small ids get a leading zero") << 5 << 0x1B << "Device_CID05_MID1B.bin";
        QTest::newRow("upper-case hex") << 0xAB << 0x0C << "Device_CIDAB_MID0C.bin";
        QTest::newRow("catalogue line") << 51 << 17 << "Device_CID33_MID11.bin";
        QTest::newRow("zeros") << 0 << 0 << "Device_CID00_MID00.bin";
        QTest::newRow("largest") << 255 << 255 << "Device_CIDFF_MIDFF.bin";
    }
    void fileName()
    {
        QFETCH(int, cid);
        QFETCH(int, mid);
        QFETCH(QString, name);
        QCOMPARE(DeviceCacheFileName(quint8(cid), quint8(mid)), name);
    }

    void roundTripKeepsOnlyTheLastImage()
    {
        const QString name = DeviceCacheFileName(51, 7);
        SaveDeviceCache(name, patternImage(1));
        SaveDeviceCache(name, patternImage(2));

        const QString path = DeviceCacheFilePath(name);
        QCOMPARE(QFileInfo(path).size(), qint64(10432));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(4), lengthPrefix(10428));  // big-endian length first

        FlashDataMap loaded = patternImage(9);
        QVERIFY(LoadDeviceCache(name, &loaded));
        QVERIFY(sameImage(loaded, patternImage(2)));
        // No temporary file is left beside it.
        QCOMPARE(QDir(AppPaths::dataSubdir("Device_Info")).entryList(QDir::Files), QStringList{name});
    }

    void malformedFilesAreRejected_data()
    {
        const QByteArray image(10428, '\x5A');
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("present");
        QTest::newRow("missing file") << QByteArray() << false;
        QTest::newRow("empty file") << QByteArray() << true;
        QTest::newRow("length only") << lengthPrefix(10428) << true;
        QTest::newRow("torn block") << lengthPrefix(10428) + image.left(5000) << true;
        QTest::newRow("one byte short") << lengthPrefix(10428) + image.left(10427) << true;
        QTest::newRow("shorter block") << lengthPrefix(10427) + image.left(10427) << true;
        QTest::newRow("longer block") << lengthPrefix(10429) + image + "x" << true;
        QTest::newRow("null block") << lengthPrefix(0xFFFFFFFFu) << true;
        QTest::newRow("null block, padded") << lengthPrefix(0xFFFFFFFFu) + image << true;
        QTest::newRow("trailing byte") << lengthPrefix(10428) + image + "x" << true;
        QTest::newRow("little-endian length") << QByteArray("\xBC\x28\x00\x00", 4) + image << true;
        QTest::newRow("second block after the first")
            << lengthPrefix(10428) + image + lengthPrefix(4) + "abcd" << true;
    }
    void malformedFilesAreRejected()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, present);
        const QString name = DeviceCacheFileName(51, 8);
        if (present)
            writeRaw(name, content);

        const FlashDataMap before = patternImage(3);
        FlashDataMap out = before;
        QVERIFY(!LoadDeviceCache(name, &out));
        QVERIFY(sameImage(out, before));
    }

    void failedSaveKeepsThePreviousFile()
    {
        const QString name = DeviceCacheFileName(51, 9);
        SaveDeviceCache(name, patternImage(4));

        // The next save runs out of room half-way through, as a full disk or a
        // crash would leave it.
        struct rlimit old;
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        struct rlimit small = old;
        small.rlim_cur = 5000;
        const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        SaveDeviceCache(name, patternImage(5));
        setrlimit(RLIMIT_FSIZE, &old);
        signal(SIGXFSZ, oldHandler);

        FlashDataMap loaded{};
        QVERIFY(LoadDeviceCache(name, &loaded));
        QVERIFY(sameImage(loaded, patternImage(4)));
        QCOMPARE(QDir(AppPaths::dataSubdir("Device_Info")).entryList(QDir::Files), QStringList{name});
    }

    void emptyNameIsNoFile()
    {
        SaveDeviceCache(QString(), patternImage(6));
        QVERIFY(QDir(AppPaths::dataSubdir("Device_Info")).entryList(QDir::Files).isEmpty());
        FlashDataMap out = patternImage(7);
        QVERIFY(!LoadDeviceCache(QString(), &out));
        QVERIFY(sameImage(out, patternImage(7)));
    }
};

QTEST_GUILESS_MAIN(TestDeviceCache)
#include "tst_devicecache.moc"
