#include "ImageBytes.h"
#include "TestHome.h"

#include "core/AppPaths.h"
#include "device/FirmwareImageSearch.h"
#include "ui/settings/UpDateRepair.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

// The image search over the "bin" folder: which image is taken for a device
// version, and which header fields make an image fit.
class tst_FirmwareImages : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void versionText_data();
    void versionText();
    void search_data();
    void search();
    void headerMustFit_data();
    void headerMustFit();
    void imageCheck_data();
    void imageCheck();
    void shippedImagesPassTheCheck();
    void noBinFolder();
    void foldersAreNoImages();

private:
    struct Image
    {
        QString file;
        quint32 version = 0x0104;
        quint8 type = 210;
        quint8 cid = 51;
        quint8 mid = 8;
        QByteArray name = "ORX-M8";
        int size = FirmwareImageHeader::kSize + 16;
    };
    void write(const Image& image);
    QString binDir() const { return m_app.path() + "/bin"; }

    TestHome m_home;
    QTemporaryDir m_app{m_home.path() + "/app-XXXXXX"};
};

// A matching mouse image "name=version", e.g. "a.bin=0x0106".
static QStringList files(std::initializer_list<const char*> list)
{
    QStringList out;
    for (const char* s : list)
        out.append(QString::fromLatin1(s));
    return out;
}

void tst_FirmwareImages::init()
{
    QDir(binDir()).removeRecursively();
    QVERIFY(QDir().mkpath(binDir()));
    AppPaths::setApplicationDirOverride(m_app.path());
    g_UpdateImageList.clear();
    UpDateRepair::repairImageList().clear();
}

void tst_FirmwareImages::cleanup()
{
    AppPaths::setApplicationDirOverride(QString());
}

void tst_FirmwareImages::write(const Image& image)
{
    QByteArray bytes(image.size, '\0');
    if (image.size >= FirmwareImageHeader::kSize) {
        qToLittleEndian<quint32>(image.version, reinterpret_cast<uchar*>(bytes.data()) + 0x10);
        bytes[0x14] = char(image.type);
        bytes[0x15] = char(image.cid);
        bytes[0x16] = char(image.mid);
        bytes.replace(0x57, image.name.size(), image.name);
        // The payload names the file, so a test can tell which image was taken.
        bytes.replace(FirmwareImageHeader::kSize, image.file.size(), image.file.toLatin1());
    }
    QFile f(binDir() + "/" + image.file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

static QString takenFile(const QList<QByteArray>& list)
{
    if (list.isEmpty())
        return QString();
    const QByteArray& image = list.first();
    const QByteArray tail = image.mid(FirmwareImageHeader::kSize);
    return QString::fromLatin1(tail.left(tail.indexOf('\0')));
}

void tst_FirmwareImages::versionText_data()
{
    QTest::addColumn<quint32>("version");
    QTest::addColumn<QString>("text");
    QTest::newRow("minor below ten") << quint32(0x0105) << "v1.5";
    QTest::newRow("minor in hex letters") << quint32(0x010A) << "v1.a";
    QTest::newRow("minor sixteen") << quint32(0x0110) << "v1.10";
    QTest::newRow("major takes the upper 24 bits") << quint32(0x012A03) << "v298.3";
}

void tst_FirmwareImages::versionText()
{
    QFETCH(quint32, version);
    QFETCH(QString, text);
    QCOMPARE(FirmwareImageSearch::versionText(version), text);
}

void tst_FirmwareImages::search_data()
{
    QTest::addColumn<QString>("deviceVersion");
    QTest::addColumn<QStringList>("images");  // "file=version", all fitting
    QTest::addColumn<bool>("find");
    QTest::addColumn<QString>("findTakes");
    QTest::addColumn<bool>("check");
    QTest::addColumn<bool>("repair");
    QTest::addColumn<QString>("repairTakes");

    QTest::newRow("newer and older: the last in name order wins")
        << "v1.5" << files({"a.bin=0x0106", "b.bin=0x0104"}) << true << "b.bin" << true << true << "b.bin";
    // Versions compare as (major, minor): v1.50 is not v1.5, v1.b is not v1.a.
    QTest::newRow("a longer minor is another version")
        << "v1.5" << files({"a.bin=0x0107", "b.bin=0x0150"}) << true << "b.bin" << true << true << "b.bin";
    QTest::newRow("minors in hex letters")
        << "v1.a" << files({"a.bin=0x010b"}) << true << "a.bin" << true << true << "a.bin";
    QTest::newRow("the same version written with a leading zero is skipped")
        << "v1.05" << files({"a.bin=0x0105"}) << false << "" << false << false << "";
    QTest::newRow("a device version that is no version text compares as text")
        << "1.4" << files({"a.bin=0x0104"}) << false << "" << false << false << "";
    QTest::newRow("the device's own version is skipped")
        << "v1.4" << files({"a.bin=0x0104"}) << false << "" << false << false << "";
    QTest::newRow("own version skipped, another taken")
        << "v1.4" << files({"a.bin=0x0104", "b.bin=0x0103"}) << true << "b.bin" << true << true << "b.bin";
    QTest::newRow("empty device version takes every image, keeps the last")
        << "" << files({"a.bin=0x0104", "b.bin=0x0103"}) << true << "b.bin" << false << true << "b.bin";
    QTest::newRow("name order ignores case")
        << "v1.3" << files({"B.bin=0x0105", "a.bin=0x0104"}) << true << "B.bin" << true << true << "B.bin";
    QTest::newRow("only .bin files count")
        << "v1.3" << files({"a.txt=0x0104"}) << false << "" << false << false << "";
}

void tst_FirmwareImages::search()
{
    QFETCH(QString, deviceVersion);
    QFETCH(QStringList, images);
    QFETCH(bool, find);
    QFETCH(QString, findTakes);
    QFETCH(bool, check);
    QFETCH(bool, repair);
    QFETCH(QString, repairTakes);

    for (const QString& described : images) {
        Image image;
        image.file = described.section('=', 0, 0);
        image.version = described.section('=', 1).toUInt(nullptr, 16);
        write(image);
    }

    QCOMPARE(FindFirmwareImage(210, deviceVersion, "ORX-M8", 51, 8), find);
    QCOMPARE(takenFile(g_UpdateImageList), findTakes);
    QVERIFY(g_UpdateImageList.size() <= 1);

    g_UpdateImageList = {QByteArray("untouched")};
    QCOMPARE(CheckFirmwareImage(210, deviceVersion, "ORX-M8", 51, 8), check);
    QCOMPARE(g_UpdateImageList, QList<QByteArray>{QByteArray("untouched")});

    QCOMPARE(UpDateRepair::FindFirmwareFile(210, deviceVersion, "ORX-M8", 51, 8), repair);
    QCOMPARE(takenFile(UpDateRepair::repairImageList()), repairTakes);
}

void tst_FirmwareImages::headerMustFit_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("fits");

    QTest::newRow("all fields match") << "" << true;
    QTest::newRow("receiver type for a mouse search") << "type" << false;
    QTest::newRow("other customer id") << "cid" << false;
    QTest::newRow("other model id") << "mid" << false;
    QTest::newRow("model name with an extra letter") << "longer name" << false;
    QTest::newRow("model name filling all 64 bytes") << "full name" << false;
    QTest::newRow("file shorter than the header") << "short" << false;
}

void tst_FirmwareImages::headerMustFit()
{
    QFETCH(QString, field);
    QFETCH(bool, fits);

    Image image;
    image.file = "m.bin";
    if (field == "type")
        image.type = 211;
    else if (field == "cid")
        image.cid = 52;
    else if (field == "mid")
        image.mid = 9;
    else if (field == "longer name")
        image.name = "ORX-M88";
    else if (field == "full name")
        image.name = QByteArray("ORX-M8").leftJustified(64, 'x');
    else if (field == "short")
        image.size = FirmwareImageHeader::kSize - 1;
    write(image);

    QCOMPARE(CheckFirmwareImage(210, "v1.3", "ORX-M8", 51, 8), fits);
    QCOMPARE(FindFirmwareImage(210, "v1.3", "ORX-M8", 51, 8), fits);
    QCOMPARE(UpDateRepair::FindFirmwareFile(210, "v1.3", "ORX-M8", 51, 8), fits);
}

void tst_FirmwareImages::noBinFolder()
{
    QVERIFY(QDir(binDir()).removeRecursively());
    g_UpdateImageList = {QByteArray("old")};
    QVERIFY(!FindFirmwareImage(210, "v1.3", "ORX-M8", 51, 8));
    QVERIFY(g_UpdateImageList.isEmpty());
    QVERIFY(!CheckFirmwareImage(210, "v1.3", "ORX-M8", 51, 8));
}

void tst_FirmwareImages::foldersAreNoImages()
{
    Image first;
    first.file = "a.bin";
    write(first);
    // A folder named like an image is not one.
    QVERIFY(QDir().mkpath(binDir() + "/b.bin"));
    Image last;
    last.file = "c.bin";
    last.version = 0x0105;
    write(last);
    QVERIFY(FindFirmwareImage(210, "v1.3", "ORX-M8", 51, 8));
    QCOMPARE(takenFile(g_UpdateImageList), QString("c.bin"));
}

static QByteArray sendableImage(int payloadSize = 64, quint8 type = 210)
{
    return firmwareImageFile(type, 51, 8, "ORX-M8", 0x0105, payloadSize);
}

void tst_FirmwareImages::imageCheck_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("sendable");

    const QByteArray good = sendableImage();
    QTest::newRow("mouse image") << good << true;
    QTest::newRow("receiver image") << sendableImage(64, 211) << true;
    QTest::newRow("empty file") << QByteArray() << false;
    QTest::newRow("shorter than the header") << good.left(700) << false;
    QTest::newRow("header only") << good.left(FirmwareImageHeader::kSize) << false;
    QTest::newRow("cut short") << good.left(good.size() - 1) << false;
    QTest::newRow("longer than its payload") << good + QByteArray(1, '\0') << false;
    QByteArray mark = good;
    mark[0] = 'X';
    QTest::newRow("no image mark") << mark << false;
    QByteArray damaged = good;
    damaged[FirmwareImageHeader::kSize + 3] = char(damaged[FirmwareImageHeader::kSize + 3] ^ 0x10);
    QTest::newRow("damaged payload") << damaged << false;
    QByteArray type = good;
    type[0x14] = char(7);
    QTest::newRow("unknown type") << type << false;
    QByteArray huge = good;
    qToLittleEndian<quint32>(0xFFFFFFFFu, reinterpret_cast<uchar*>(huge.data()) + 0x08);
    QTest::newRow("payload length past the file") << huge << false;
}

void tst_FirmwareImages::imageCheck()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, sendable);
    QString reason;
    QCOMPARE(FirmwareImageHeader::checkImage(file, &reason), sendable);
    QCOMPARE(reason.isEmpty(), sendable);
}

void tst_FirmwareImages::shippedImagesPassTheCheck()
{
    const QDir bin(QStringLiteral(DESKLINK_APP_DIR) + "/bin");
    const QStringList files = bin.entryList({"*.bin"}, QDir::Files);
    QVERIFY(!files.isEmpty());
    for (const QString& name : files) {
        QFile f(bin.filePath(name));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QString reason;
        QVERIFY2(FirmwareImageHeader::checkImage(f.readAll(), &reason), qPrintable(name + ": " + reason));
    }
}

QTEST_GUILESS_MAIN(tst_FirmwareImages)
#include "tst_firmwareimages.moc"
