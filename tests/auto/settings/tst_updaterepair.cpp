#include "DeviceLinkFixture.h"
#include "ImageBytes.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/PostMsg.h"
#include "platform/Registry.h"
#include "ui/settings/UpDateRepair.h"
#include "ui/settings/UpdateLog.h"
#include "device/UpdateRecords.h"

#include <HidSimControl.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>
#include <QtEndian>
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>

// The repair check of the update dialog: the interrupted-update record, the
// listed devices, the firmware images and the devices waiting in boot mode
// decide whether a repair can start, and what the status line says otherwise.
class tst_UpDateRepair : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void repairCheck_data();
    void repairCheck();
    void modes();
    void closeCaptionCloses();
    void repairTransfer_data();
    void repairTransfer();
    void progressReadsOnTheDialog_data();
    void progressReadsOnTheDialog();

private:
    void writeImage(quint8 type, const QByteArray& name);

    DeviceLinkFixture m_link;
};

static QString catalogue()
{
    QFile file(QStringLiteral(DESKLINK_TEST_DATA_DIR) + "/home/Config.ini");
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// "wired:<mid>" a mouse on its cable, "recv:<mid>:<pid>" a receiver.
static DeviceAllInfo entry(const QString& described)
{
    const QStringList p = described.split(':');
    DeviceAllInfo d;
    d.path = "path-" + described;
    d.cid = 51;
    d.mid = quint8(p.at(1).toInt());
    d.direct = p.at(0) == "wired" ? 1 : 0;
    d.connectionType = d.direct ? 2 : 0;
    d.pid = p.value(2, "0A01");
    return d;
}

// Simulated mice of model 8 waiting in boot mode on their cables.
static QByteArray bootMice(int count)
{
    QJsonArray mice;
    for (int i = 0; i < count; ++i)
        mice.append(QJsonObject{{"id", QStringLiteral("b%1").arg(i)}, {"cid", 51}, {"mid", 8}, {"usbPid", "0A01"},
                                {"receiverKind", 1}, {"firmware", "v1.3"}, {"cable", true}, {"powered", true},
                                {"battery", 50}, {"charging", false}, {"pairedTo", ""}, {"bootLoader", true}});
    return QJsonDocument(QJsonObject{{"vendorId", "3A7C"}, {"mice", mice}, {"receivers", QJsonArray()}}).toJson();
}

void tst_UpDateRepair::initTestCase()
{
    AppPaths::setApplicationDirOverride(QStringLiteral(DESKLINK_APP_DIR));
    LanguageTables::load();
    AppPaths::setApplicationDirOverride(QString());
}

void tst_UpDateRepair::cleanup()
{
    m_link.tearDown();
    QDir(m_link.appDir() + "/bin").removeRecursively();
}

void tst_UpDateRepair::writeImage(quint8 type, const QByteArray& name)
{
    QVERIFY(QDir().mkpath(m_link.appDir() + "/bin"));
    QByteArray bytes(728, '\0');
    bytes.replace(0, 8, "ORVXFW01");
    qToLittleEndian<quint32>(0x0104, reinterpret_cast<uchar*>(bytes.data()) + 0x10);
    bytes[0x14] = char(type);
    bytes[0x15] = char(51);
    bytes[0x16] = char(8);
    bytes.replace(0x57, name.size(), name);
    QFile f(m_link.appDir() + QStringLiteral("/bin/%1.bin").arg(type));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void tst_UpDateRepair::repairCheck_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<QStringList>("devices");
    QTest::addColumn<QStringList>("images");  // "mouse", "receiver" (model 8, 1K receiver)
    QTest::addColumn<int>("bootMice");
    QTest::addColumn<bool>("canStart");
    QTest::addColumn<int>("status");  // AutoRepair text; -1: the status line is left alone

    QTest::newRow("record of three parts is ignored")
        << "211,4,51" << QStringList{"wired:8"} << QStringList{} << 0 << false << -1;
    QTest::newRow("nothing listed") << "211,1,51,8" << QStringList{} << QStringList{} << 0 << false << 2;
    QTest::newRow("two wired mice") << "211,1,51,8" << QStringList{"wired:8", "wired:7"} << QStringList{} << 0
                                    << false << 10;
    QTest::newRow("two receivers") << "210,1,51,8" << QStringList{"recv:8:1A01", "recv:9:2A01"} << QStringList{}
                                   << 0 << false << 11;
    QTest::newRow("mouse repair beside a wired mouse of another model")
        << "210,1,51,8" << QStringList{"wired:7", "recv:8:1A01"} << QStringList{} << 0 << false << 10;
    QTest::newRow("receiver repair beside a receiver of another model")
        << "211,1,51,8" << QStringList{"wired:8", "recv:9:2A01"} << QStringList{} << 0 << false << 11;
    QTest::newRow("receiver repair needs the mouse on its cable first")
        << "211,1,51,8" << QStringList{"recv:8:1A01"} << QStringList{"receiver"} << 0 << false << 6;
    QTest::newRow("mouse repair needs its receiver first")
        << "210,1,51,8" << QStringList{"wired:8"} << QStringList{"mouse"} << 0 << false << 5;
    QTest::newRow("receiver repair: one receiver of the recorded kind")
        << "211,1,51,8" << QStringList{"wired:8", "recv:8:1A01"} << QStringList{"receiver"} << 0 << true << 12;
    QTest::newRow("receiver repair: the receiver is of another kind")
        << "211,4,51,8" << QStringList{"wired:8", "recv:8:1A01"} << QStringList{"receiver4k"} << 0 << false << 2;
    QTest::newRow("receiver repair without an image")
        << "211,1,51,8" << QStringList{"wired:8", "recv:8:1A01"} << QStringList{"mouse"} << 0 << false << 8;
    QTest::newRow("mouse repair: one mouse waiting in boot mode")
        << "210,1,51,8" << QStringList{"recv:8:1A01"} << QStringList{"mouse"} << 1 << true << 12;
    QTest::newRow("mouse repair: two mice waiting in boot mode")
        << "210,1,51,8" << QStringList{"recv:8:1A01"} << QStringList{"mouse"} << 2 << false << 3;
    QTest::newRow("mouse repair: none waiting")
        << "210,1,51,8" << QStringList{"recv:8:1A01"} << QStringList{"mouse", "receiver"} << 0 << false << 2;
}

void tst_UpDateRepair::repairCheck()
{
    QFETCH(QString, record);
    QFETCH(QStringList, devices);
    QFETCH(QStringList, images);
    QFETCH(int, bootMice);
    QFETCH(bool, canStart);
    QFETCH(int, status);

    QVERIFY(m_link.setUp(::bootMice(bootMice), catalogue()));
    QVERIFY(Registry::setValue(Registry::mouseDriveTestKeyPath(), "UpdateFailInfo", record));
    for (const QString& described : devices) {
        g_DeviceList.append(entry(described));
        g_DeviceListB.append(entry(described));
    }
    if (images.contains("mouse"))
        writeImage(210, "ORX-M8");
    if (images.contains("receiver"))
        writeImage(211, "ORX-R1K");
    if (images.contains("receiver4k"))
        writeImage(211, "ORX-R4K");

    UpDateRepair dialog;
    dialog.ShowRepairMode();
    dialog.SetLabelText("before");
    g_RepairRunning = true;
    PostMsg::GetInstance()->PostRepairCheckUpdate();

    auto* statusLine = dialog.findChild<QLabel*>("ToolText_2");
    auto* start = dialog.findChild<QToolButton*>("NewHong_2");
    const QString expected =
        status < 0 ? QString("before") : LanguageTables::text(LanguageSection::AutoRepair, 0, status);
    QCOMPARE(statusLine->text(), expected);
    if (status < 0)
        QCOMPARE(start->text(), LanguageTables::text(LanguageSection::AutoRepair, 0, 4));
    else if (canStart)
        QCOMPARE(start->text(), LanguageTables::text(LanguageSection::AutoRepair, 0, 4));
    else
        QCOMPARE(start->text(), LanguageTables::text(LanguageSection::DialogChange, 0, 4));
    QCOMPARE(dialog.RepairCheck(), canStart);
}

void tst_UpDateRepair::modes()
{
    QVERIFY(m_link.setUp(::bootMice(0), catalogue()));
    UpDateRepair dialog;
    auto* bar = dialog.findChild<QProgressBar*>("progressBar_2");
    auto* cancel = dialog.findChild<QToolButton*>("NewHong");
    auto* start = dialog.findChild<QToolButton*>("NewHong_2");
    auto* statusLine = dialog.findChild<QLabel*>("ToolText_2");

    // Before any mode: no text of the form's own, no bar.
    QCOMPARE(statusLine->text(), QString());
    QVERIFY(bar->isHidden());
    QCOMPARE(start->text(), LanguageTables::text(LanguageSection::AutoRepair, 0, 4));

    dialog.SlotAutoRepairProgress(40);
    dialog.SetLabelText("old status");
    dialog.ShowRepairMode();
    QCOMPARE(bar->value(), 0);
    QVERIFY(bar->isHidden());
    QCOMPARE(statusLine->text(), QString());
    QCOMPARE(start->text(), LanguageTables::text(LanguageSection::AutoRepair, 0, 4));
    QCOMPARE(cancel->text(), LanguageTables::text(LanguageSection::AutoRepair, 0, 1));

    dialog.ShowUpdateMode();
    QCOMPARE(statusLine->text(), LanguageTables::text(LanguageSection::AutoRepair, 0, 12));
    dialog.SetLabelText("kept");
    dialog.ShowIdleMode();
    QCOMPARE(statusLine->text(), QString("kept"));
    QCOMPARE(start->text(), LanguageTables::text(LanguageSection::DialogChange, 0, 4));

    dialog.SlotProgress(0, 2);
    QCOMPARE(bar->value(), 100);
    QCOMPARE(statusLine->text(), LanguageTables::text(LanguageSection::Progress, 0, 1));
    dialog.SlotProgress(0, 5);
    QCOMPARE(bar->value(), 50);
    QCOMPARE(statusLine->text(), LanguageTables::text(LanguageSection::Progress, 0, 2));
}

void tst_UpDateRepair::closeCaptionCloses()
{
    QVERIFY(m_link.setUp(::bootMice(0), catalogue()));
    UpDateRepair dialog;
    QSignalSpy updateStart(PostMsg::GetInstance(), &PostMsg::SigUpdateStart);
    dialog.ShowIdleMode();
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(&dialog, Qt::Key_Return);
    QTRY_VERIFY(!dialog.isVisible());
    QCOMPARE(updateStart.count(), 0);

    // With a device page linked, Start hands the run to the settings page.
    g_LinkEnabled = 1;
    dialog.ShowUpdateMode();
    dialog.show();
    QTest::mouseClick(dialog.findChild<QToolButton*>("NewHong_2"), Qt::LeftButton);
    QCOMPARE(updateStart.count(), 1);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QTRY_VERIFY(!dialog.isVisible());
    g_LinkEnabled = 0;
}

// Model 8 with its 1K receiver r8 left in the boot loader and the mouse on its
// cable, as after a failed receiver update.
static const char kBootReceiver[] = R"({"vendorId": "3A7C",
 "mice": [{"id": "m8", "cid": 51, "mid": 8, "usbPid": "0A01", "receiverKind": 1, "firmware": "v1.3",
           "cable": true, "powered": true, "battery": 80, "pairedTo": "r8"}],
 "receivers": [{"id": "r8", "kind": 1, "address": "1C0801", "firmware": "v1.3", "plugged": true,
                "bootLoader": true}]})";

static QString line(const QString& id)
{
    for (const QString& l : hidsim::HidSimControl::describe().split('\n'))
        if (l.startsWith(id + ' '))
            return l;
    return QString();
}

void tst_UpDateRepair::repairTransfer_data()
{
    QTest::addColumn<QStringList>("images");   // "receiver", "mouse", "damaged receiver"
    QTest::addColumn<int>("failAt");           // -1: no fault
    QTest::addColumn<bool>("success");
    QTest::addColumn<int>("lastProgress");
    QTest::addColumn<QString>("recordAfter");

    QTest::newRow("receiver alone") << QStringList{"receiver"} << -1 << true << 100 << "";
    QTest::newRow("receiver, then the mouse") << QStringList{"receiver", "mouse"} << -1 << true << 100 << "";
    QTest::newRow("fails at 40 %") << QStringList{"receiver"} << 40 << false << 40 << "211,1,51,8";
    QTest::newRow("damaged image is not sent") << QStringList{"damaged receiver"} << -1 << false << 0
                                               << "211,1,51,8";
}

void tst_UpDateRepair::repairTransfer()
{
    QFETCH(QStringList, images);
    QFETCH(int, failAt);
    QFETCH(bool, success);
    QFETCH(int, lastProgress);
    QFETCH(QString, recordAfter);

    QVERIFY(m_link.setUp(QByteArray(kBootReceiver), catalogue()));
    QVERIFY(QDir().mkpath(m_link.appDir() + "/bin"));
    auto put = [this](const QString& file, const QByteArray& bytes) {
        QFile f(m_link.appDir() + "/bin/" + file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    if (images.contains("receiver"))
        put("r.bin", firmwareImageFile(211, 51, 8, "ORX-R1K", 0x0106, 4096));
    if (images.contains("damaged receiver"))
        put("r.bin", firmwareImageFile(211, 51, 8, "ORX-R1K", 0x0106, 4096, true));
    if (images.contains("mouse"))
        put("m.bin", firmwareImageFile(210, 51, 8, "ORX-M8", 0x0107, 4096));
    hidsim::HidSimControl::failNextFirmwareTransfer(failAt);
    QFile::remove(UpdateLog::filePath());
    Registry::setValue(Registry::mouseDriveTestKeyPath(), "UpdateFailInfo", "211,1,51,8");
    Registry::setValue(Registry::mouseDriveTestKeyPath(), "MouseVer518", "v1.3");
    g_DeviceList = {m_link.listEntry("m8")};
    QVERIFY(g_DeviceList.first().direct);

    UpDateRepair dialog;
    QVERIFY(dialog.RepairCheck());
    dialog.ShowUpdateMode();
    dialog.show();
    QList<int> progress;
    connect(PostMsg::GetInstance(), &PostMsg::SigAutoRepairProgress, &dialog, [&](int p) { progress << p; });
    QSignalSpy buttons(PostMsg::GetInstance(), &PostMsg::SigUpDateButton);

    QTest::mouseClick(dialog.findChild<QToolButton*>("NewHong_2"), Qt::LeftButton);
    auto* status = dialog.findChild<QLabel*>("ToolText_2");
    const QString done = LanguageTables::text(LanguageSection::Progress, 0, 1);
    const QString failed = LanguageTables::text(LanguageSection::Progress, 0, 2);
    QVERIFY(QTest::qWaitFor([&] { return status->text() == done || status->text() == failed; }, 10000));
    QTRY_VERIFY(!g_RepairRunning);
    QCOMPARE(status->text(), success ? done : failed);
    // Every end leaves the dialog closable.
    QVERIFY(!UpDateRepair::transferInProgress());
    QVERIFY(dialog.findChild<QToolButton*>("CloseButton")->isEnabled());
    QVERIFY(g_DevicePollingEnabled);
    QCOMPARE(UpdateRecords::failure(), recordAfter);
    QCOMPARE(buttons.isEmpty() ? -1 : int(buttons.last().at(0).toBool()), success ? 1 : (failAt >= 0 ? 0 : -1));

    // Progress rises and, with two devices, the receiver fills the first half.
    QVERIFY(std::is_sorted(progress.begin(), progress.end()));
    if (!progress.isEmpty())
        QVERIFY2(progress.last() >= lastProgress - 1 && progress.last() <= lastProgress, qPrintable(QString::number(progress.last())));
    if (images.size() == 2) {
        QVERIFY(progress.contains(50));
        QVERIFY(line("m8").contains(" v1.7 "));
    }
    // The mouse's recorded version follows what the mouse now runs.
    QCOMPARE(UpdateRecords::mouseVersion("51", "8"),
             QString(images.contains("mouse") ? "v1.7" : "v1.3"));

    QFile log(UpdateLog::filePath());
    if (failAt >= 0 || success) {
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        QVERIFY2(text.contains(success ? "Repair of the receiver done" : "Repair of the receiver failed"), qPrintable(text));
    }
    if (success)
        QVERIFY2(line("r8").contains(" v1.6 ") && !line("r8").contains("boot-loader"), qPrintable(line("r8")));
    else
        QVERIFY2(line("r8").contains(" boot-loader "), qPrintable(line("r8")));
    if (images.contains("damaged receiver"))
        QVERIFY(line("r8").contains(" v1.3 "));
    g_DeviceList.clear();
}

void tst_UpDateRepair::progressReadsOnTheDialog_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("status");  // what SigProgress reported after the value; 0: still running

    const struct { const char* name; int language; } languages[] = {
        {"English", 0}, {"German", 1}, {"Traditional Chinese", 8}};
    const struct { const char* name; int value; int status; } moments[] = {
        {"running", 37, 0}, {"failed halfway", 50, 1}, {"done", 100, 2}};
    for (const auto& l : languages)
        for (const auto& m : moments)
            QTest::newRow(qPrintable(QString("%1, %2").arg(l.name, m.name))) << l.language << m.value << m.status;
}

static int luminance(QRgb c)
{
    return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000;
}

// The progress bar on the dark dialog: no light bar glares from it, and its
// percentage stands on one colour with a clear contrast, whatever the value;
// the status line above it stays red and shows its whole text.
void tst_UpDateRepair::progressReadsOnTheDialog()
{
    QFETCH(int, language);
    QFETCH(int, value);
    QFETCH(int, status);

    QVERIFY(m_link.setUpShipped(::bootMice(0)));
    UpDateRepair dialog;
    dialog.SlotAllLanguage(language);
    dialog.ShowProgressMode();
    dialog.SlotProgress(value, 0);
    if (status)
        dialog.SlotProgress(0, status);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* bar = dialog.findChild<QProgressBar*>("progressBar_2");
    auto* statusLine = dialog.findChild<QLabel*>("ToolText_2");
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->value(), value);

    const QImage shot = dialog.grab().toImage();
    bar->setTextVisible(false);
    const QImage bare = dialog.grab().toImage();
    bar->setTextVisible(true);

    const QRect area(bar->mapTo(&dialog, QPoint(0, 0)), bar->size());
    int brightestBare = 0;
    QRect text;
    int contrast = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            brightestBare = qMax(brightestBare, luminance(bare.pixel(x, y)));
            if (shot.pixel(x, y) != bare.pixel(x, y)) {
                text |= QRect(x, y, 1, 1);
                contrast = qMax(contrast, qAbs(luminance(shot.pixel(x, y)) - luminance(bare.pixel(x, y))));
            }
        }
    }
    QVERIFY2(brightestBare < 180, qPrintable(QString("a light bar (%1)").arg(brightestBare)));
    QVERIFY2(!text.isEmpty(), "no percentage");
    int darkest = 255;
    int lightest = 0;
    for (int y = text.top(); y <= text.bottom(); ++y) {
        for (int x = text.left(); x <= text.right(); ++x) {
            darkest = qMin(darkest, luminance(bare.pixel(x, y)));
            lightest = qMax(lightest, luminance(bare.pixel(x, y)));
        }
    }
    QVERIFY2(lightest - darkest < 40, qPrintable(QString("the percentage lies on %1..%2").arg(darkest).arg(lightest)));
    QVERIFY2(contrast >= 120, qPrintable(QString("contrast %1").arg(contrast)));

    // The status line: red, and not cut off in this language.
    const QRect line(statusLine->mapTo(&dialog, QPoint(0, 0)), statusLine->size());
    int red = 0;
    for (int y = line.top(); y <= line.bottom(); ++y)
        for (int x = line.left(); x <= line.right(); ++x)
            red += qRed(shot.pixel(x, y)) > 180 && qGreen(shot.pixel(x, y)) < 80 && qBlue(shot.pixel(x, y)) < 80;
    QVERIFY2(red > 20, qPrintable(statusLine->text()));
    QVERIFY2(statusLine->heightForWidth(statusLine->width()) <= statusLine->height(), qPrintable(statusLine->text()));
}

QTEST_MAIN(tst_UpDateRepair)
#include "tst_updaterepair.moc"
