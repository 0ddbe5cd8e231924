#include "DeviceLinkFixture.h"
#include "ImageBytes.h"
#include "PageSignalLog.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/PostMsg.h"
#include "ui/buttons/ConfigurationFile.h"
#include "ui/settings/UpDataParam.h"

#include <HIDUsb.h>
#include <HidSimControl.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTimer>
#include <QtTest>

using hidsim::HidSimControl;

namespace {
QByteArray block(const QByteArray& content)
{
    const quint32 n = quint32(content.size());
    return bytes({int(n >> 24), int(n >> 16), int(n >> 8), int(n)}) + content;
}

QByteArray padded(const QByteArray& text)
{
    return text + QByteArray(12 - text.size(), '\0');
}

QByteArray magicWithIds(int cid, int mid)
{
    return QByteArray("Vemlo", 6) + bytes({1, cid, mid, 0, 0, 0});
}

// The mouse's own image with a few values changed, so that an import shows.
FlashDataMap changedImage(const QByteArray& mouse, int stages, int active)
{
    FlashDataMap image = DeviceLinkPageRecorder::toImage(mouse);
    image.dpiStageCount = quint8(stages);
    image.activeDpiStage = quint8(active);
    image.debounceTime = 3;
    image.buttons[1] = ButtonMapping{1, 4, 0};
    return image;
}

QByteArray fileOf(const QByteArray& magic, const QByteArray& sensor, const QByteArray& image)
{
    return block(magic) + block(sensor) + block(image);
}

// A good file whose image has `count` bytes from `offset` (every `stride`
// bytes, `runs` times) set to 0xFF: values the model's pages do not offer.
template <int offset, int count, int stride = count, int runs = 1>
QByteArray hostile(const QByteArray& image)
{
    QByteArray changed = image;
    for (int r = 0; r < runs; ++r)
        changed.replace(offset + r * stride, count, QByteArray(count, char(0xFF)));
    return fileOf(magicWithIds(51, 8), padded("3950"), changed);
}

// A good file whose image holds the report rate `code`.
template <int code>
QByteArray rated(const QByteArray& image)
{
    QByteArray changed = image;
    changed[0] = char(code);
    return fileOf(magicWithIds(51, 8), padded("3950"), changed);
}

struct ImportCase
{
    const char* name;
    // The file's bytes from the changed image's bytes; empty name: a directory.
    QByteArray (*file)(const QByteArray& image);
    int stages;
    int result;  // 0 accepted, else the InportFail text's number + 1
};

const ImportCase kImportCases[] = {
    {"good file", [](const QByteArray& i) { return fileOf(magicWithIds(51, 8), padded("3950"), i); }, 5, 0},
    {"no ids after the magic", [](const QByteArray& i) { return fileOf(padded("Vemlo"), padded("3950"), i); }, 5, 0},
    {"as many stages as the model has",
     [](const QByteArray& i) { return fileOf(magicWithIds(51, 8), padded("3950"), i); }, 6, 0},
    {"bytes after the third block are not read",
     [](const QByteArray& i) { return fileOf(padded("Vemlo"), padded("3950"), i) + "tail"; }, 5, 0},
    {"magic in other letter case",
     [](const QByteArray& i) { return fileOf(padded("VEMLO"), padded("3950"), i); }, 5, 1},
    {"other sensor", [](const QByteArray& i) { return fileOf(magicWithIds(51, 8), padded("3360"), i); }, 5, 2},
    {"other model", [](const QByteArray& i) { return fileOf(magicWithIds(51, 11), padded("3950"), i); }, 5, 2},
    {"other customer", [](const QByteArray& i) { return fileOf(magicWithIds(52, 8), padded("3950"), i); }, 5, 2},
    {"no stages", [](const QByteArray& i) { return fileOf(magicWithIds(51, 8), padded("3950"), i); }, 0, 2},
    {"more stages than the model has",
     [](const QByteArray& i) { return fileOf(magicWithIds(51, 8), padded("3950"), i); }, 7, 2},
    {"active stage past the count",
     [](const QByteArray& i) {
         QByteArray image = i;
         image[2] = image[1];
         return fileOf(magicWithIds(51, 8), padded("3950"), image);
     }, 5, 2},
    {"short image block",
     [](const QByteArray& i) { return fileOf(magicWithIds(51, 8), padded("3950"), i.left(i.size() - 1)); }, 5, 1},
    {"long image block",
     [](const QByteArray& i) { return fileOf(magicWithIds(51, 8), padded("3950"), i + '\0'); }, 5, 1},
    {"image block cut off", [](const QByteArray& i) { return fileOf(magicWithIds(51, 8), padded("3950"), i).left(5000); },
     5, 1},
    {"block length past the end",
     [](const QByteArray& i) { return bytes({0x7F, 0xFF, 0xFF, 0xFF}) + fileOf(padded("Vemlo"), padded("3950"), i); },
     5, 1},
    {"empty file", [](const QByteArray&) { return QByteArray(); }, 5, 1},
    {"directory", nullptr, 5, 1},
    {"report rate no model offers", hostile<0, 1>, 5, 2},
    {"8000 Hz behind a 1K receiver", rated<0x40>, 5, 2},
    {"2000 Hz behind a 1K receiver", rated<0x10>, 5, 2},
    {"DPI codes no model offers", hostile<15, 3, 6, 8>, 5, 2},
    {"every button mapping ff ff ff", hostile<74, 48>, 5, 2},
    {"light bar mode out of range", hostile<67, 1>, 5, 2},
    {"light bar brightness out of range", hostile<72, 1>, 5, 2},
    {"light bar speed out of range", hostile<71, 1>, 5, 2},
    {"light bar switch out of range", hostile<73, 1>, 5, 2},
    {"DPI light mode out of range", hostile<63, 1>, 5, 2},
    {"DPI light speed out of range", hostile<65, 1>, 5, 2},
    {"DPI light switch out of range", hostile<66, 1>, 5, 2},
};
}  // namespace

// The configuration file: its exact bytes, and imports through the wait dialog
// against the linked mouse "m8" (sensor "3950", six DPI stages).
class tst_ConfigImport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void exportBytes();
    void exportToAnUnwritablePlace();
    void importFile_data();
    void importFile();
    void roundTrip();
    void importNotTaken_data();
    void importNotTaken();

private:
    // The wait dialog's import of `path`; returns the text of the import notice
    // it showed ("" for none), which the test closes.
    QString runImport(const QString& path);
    QString filePath(const QString& name) const { return m_dir.path() + "/" + name; }
    static ConfigurationFile::Model m8() { return {QStringLiteral("3950"), 6, 51, 8}; }

    DeviceLinkFixture m_link;
    QTemporaryDir m_dir;
    std::unique_ptr<PageSignalLog> m_signals;
};

void tst_ConfigImport::initTestCase()
{
    AppPaths::setApplicationDirOverride(QStringLiteral(DESKLINK_APP_DIR));
    LanguageTables::load();
    AppPaths::setApplicationDirOverride(QString());
}

void tst_ConfigImport::init()
{
    QString catalogue = DeviceLinkFixture::fixtureCatalogue();
    catalogue.replace("[Drive2]\nMID=8\n", "[Drive2]\nMID=8\nSensor=Mzk1MA==\nDPIMaxGrade=6\nKeyNumber=6\n");
    QVERIFY(m_link.setUp(QByteArray(), catalogue));
    QVERIFY(m_link.linkWithoutReports("r8", "m8"));
    QCOMPARE(ConfigurationFile::currentModel().sensor, QStringLiteral("3950"));

    m_signals.reset(new PageSignalLog([](const FlashDataMap& m) { return m.debounceTime; }));
}

void tst_ConfigImport::cleanup()
{
    m_signals.reset();
    g_ImportMode = 0;
    g_ImportResult = 0;
    m_link.tearDown();
}

QString tst_ConfigImport::runImport(const QString& path)
{
    QString shown;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->inherits("InportFail"))
            return;
        shown = modal->findChild<QLabel*>("label")->text();
        modal->findChild<QAbstractButton*>("NewHong")->click();
    });
    closer.start(10);
    g_ImportMode = 1;
    UpDataParam dialog;
    dialog.importFilePath = path;
    dialog.importRequested = true;
    dialog.StartTimer();
    dialog.exec();
    g_ImportMode = 0;
    return shown;
}

void tst_ConfigImport::exportBytes()
{
    FlashDataMap image{};
    for (int i = 0; i < FlashDataMap::kSize; ++i)
        reinterpret_cast<quint8*>(&image)[i] = quint8(i * 7);
    const QString path = filePath("known.bin");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(20000, 'x'));  // a longer file is replaced whole
    old.close();

    QString error;
    QVERIFY2(ConfigurationFile::write(path, image, m8(), &error), qPrintable(error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    const QByteArray expected = bytes({0, 0, 0, 12}) + QByteArray("Vemlo", 6) + bytes({1, 51, 8, 0, 0, 0})
                                + bytes({0, 0, 0, 12}) + QByteArray("3950") + QByteArray(8, '\0')
                                + bytes({0, 0, 0x28, 0xBC}) + imageBytes(image);
    QCOMPARE(written.size(), 10464);
    QCOMPARE(written, expected);

    // A sensor name of 12 bytes or more fills its block without a zero byte.
    const QByteArray longName = ConfigurationFile::encode(image, {QStringLiteral("PMW3395HDPRO"), 8, 51, 8});
    QCOMPARE(longName.mid(16, 16), bytes({0, 0, 0, 12}) + QByteArray("PMW3395HDPRO"));
    FlashDataMap back{};
    image.dpiStageCount = 2;
    image.activeDpiStage = 1;
    QCOMPARE(ConfigurationFile::decode(ConfigurationFile::encode(image, {QStringLiteral("PMW3395HDPRO-X"), 8, 51, 8}),
                                       {QStringLiteral("PMW3395HDPRO-X"), 8, 51, 8}, &back),
             ConfigurationFile::Accepted);
    QCOMPARE(imageBytes(back), imageBytes(image));
}

void tst_ConfigImport::exportToAnUnwritablePlace()
{
    const QString blocker = filePath("plain-file");
    QFile f(blocker);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("keep");
    f.close();
    QString error;
    QVERIFY(!ConfigurationFile::write(blocker + "/inside.bin", FlashDataMap{}, m8(), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("keep"));
}

void tst_ConfigImport::importFile_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < int(std::size(kImportCases)); ++i)
        QTest::newRow(kImportCases[i].name) << i;
}

void tst_ConfigImport::importFile()
{
    QFETCH(int, index);
    const ImportCase& c = kImportCases[index];
    const QByteArray before = HidSimControl::configImage("m8");
    const QByteArray working = imageBytes(currentFlashData());
    const FlashDataMap image = changedImage(before, c.stages, c.stages - 1);

    const QString path = filePath("import.bin");
    QFile::remove(path);
    QDir(path).removeRecursively();
    if (c.file) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(c.file(imageBytes(image)));
    } else {
        QVERIFY(QDir().mkpath(path));
    }

    const QString notice = runImport(path);
    QCOMPARE(g_ImportResult.load(), c.result);
    if (c.result == 0) {
        QCOMPARE(notice, QString());
        QCOMPARE(m_signals->lines, (QStringList{"LightUIA(3)", "SensorUIB(3)", "ButtonUIC(3)", "FormB"}));
        QCOMPARE(imageBytes(currentFlashData()), imageBytes(image));
        QTRY_COMPARE(HidSimControl::configImage("m8"), imageBytes(image));
    } else {
        QCOMPARE(notice, LanguageTables::text(LanguageSection::InportFail, g_LanguageIndex, c.result - 1));
        QCOMPARE(m_signals->lines, QStringList());
        QCOMPARE(imageBytes(currentFlashData()), working);
        QCOMPARE(HidSimControl::configImage("m8"), before);
    }
}

void tst_ConfigImport::roundTrip()
{
    const QByteArray mouse = HidSimControl::configImage("m8");
    const FlashDataMap image = changedImage(mouse, 4, 2);
    const QString first = filePath("first.bin");
    const QString second = filePath("second.bin");
    QVERIFY(ConfigurationFile::write(first, image, ConfigurationFile::currentModel()));
    QCOMPARE(runImport(first), QString());
    QTRY_COMPARE(HidSimControl::configImage("m8"), imageBytes(image));
    QVERIFY(ConfigurationFile::write(second, currentFlashData(), ConfigurationFile::currentModel()));
    QFile a(first);
    QFile b(second);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QCOMPARE(b.readAll(), a.readAll());
}

void tst_ConfigImport::importNotTaken_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("mouse switched off") << "off";
    QTest::newRow("send refused") << "send";
}

void tst_ConfigImport::importNotTaken()
{
    QFETCH(QString, fault);
    const QByteArray before = HidSimControl::configImage("m8");
    const QByteArray working = imageBytes(currentFlashData());
    const quint8 shownDebounce = currentFlashData().debounceTime;
    const QString path = filePath("good.bin");
    QVERIFY(ConfigurationFile::write(path, changedImage(before, 3, 0), ConfigurationFile::currentModel()));
    if (fault == "off") {
        QVERIFY(HidSimControl::setPowered("m8", false));
        QTRY_VERIFY(!UsbFinderC_GetDeviceOnLine(g_DevicePath.load()));
    } else {
        HidSimControl::failWrites(1);
    }

    const QString notice = runImport(path);
    if (fault == "off") {
        // The pages show the mouse's values again, and the offline notice comes.
        QCOMPARE(notice, QString());
        QCOMPARE(g_ImportResult.load(), 0);
        const QString shown = QString::number(shownDebounce);
        QCOMPARE(m_signals->lines, (QStringList{"LightUIA(" + shown + ")", "SensorUIB(" + shown + ")",
                                         "ButtonUIC(" + shown + ")", "FormB", "MouseOffLineo(0)"}));
    } else {
        // An online mouse that refuses the image is not offline: the file does not fit it.
        QCOMPARE(notice, LanguageTables::text(LanguageSection::InportFail, g_LanguageIndex, 1));
        QCOMPARE(g_ImportResult.load(), 2);
        QCOMPARE(m_signals->lines, QStringList());
    }
    QCOMPARE(imageBytes(currentFlashData()), working);
    QCOMPARE(HidSimControl::configImage("m8"), before);
}

QTEST_MAIN(tst_ConfigImport)
#include "tst_configimport.moc"
