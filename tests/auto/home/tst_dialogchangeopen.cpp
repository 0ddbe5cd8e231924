#include "tst_dialogchangefixture.h"

#include "core/Timing.h"
#include "device/Worker.h"
#include "platform/Registry.h"
#include "ui/settings/Match.h"

#include <QDir>
#include <QElapsedTimer>
#include <QPointer>
#include <QtEndian>
#include <QtTest>

#include <atomic>

using namespace listtest;

// Opening a device from the list: the signals on the way, the device thread's
// start, the pairing check with its dialogs, and a list that changes while a
// click still runs.
class tst_DialogChangeOpen : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void openCatalogueDevice_data();
    void openCatalogueDevice();
    void unknownModelOnItsCableOpensNothing();
    void pairingCheck_data();
    void pairingCheck();
    void receiverListedTwiceBothOnlineOpensDirectly();
    void unknownReceiver_data();
    void unknownReceiver();
    void deviceChangeDuringTheClickWaitsForIt();
    void unpluggingTheOpenDeviceReturnsToTheList();

private:
    // Records the bus signals of a click, in order.
    void recordClick();
    void writeImage(quint8 type, quint8 mid, const QByteArray& name, quint32 version);
    // What the top window does on a page switch: which device-change callback is registered.
    void standInForTheTopWindow();

    ListFixture m_fx;
    QStringList m_signals;
    QList<QMetaObject::Connection> m_connections;
    QElapsedTimer m_clock;
    qint64 m_mainDialogAt = -1;
};

void tst_DialogChangeOpen::cleanup()
{
    for (const QMetaObject::Connection& c : qAsConst(m_connections))
        disconnect(c);
    m_connections.clear();
    m_signals.clear();
    m_fx.tearDown();
    g_LinkEnabled = 0;
    g_MatchMode = 0;
}

void tst_DialogChangeOpen::recordClick()
{
    PostMsg* bus = PostMsg::GetInstance();
    m_clock.start();
    // Only the click's own request: the device link's version reports send other
    // values, possibly still queued from the test before.
    m_connections << connect(bus, &PostMsg::SigSetver, this, [this](int k) {
        if (k == 6)
            m_signals << QStringLiteral("Setver(%1)").arg(k);
    });
    m_connections << connect(bus, &PostMsg::SigMouseIndex, this,
                             [this](int k) { m_signals << QStringLiteral("MouseIndex(%1)").arg(k); });
    m_connections << connect(bus, &PostMsg::SigSelectMouseInfo, this,
                             [this](DeviceAllInfo d) { m_signals << "SelectMouseInfo(" + d.path + ")"; },
                             Qt::DirectConnection);
    m_connections << connect(bus, &PostMsg::SigLabelTextB, this, [this](QString v, QString f) {
        m_signals << QStringLiteral("LabelTextB(%1,%2)").arg(v, f);
    });
    m_connections << connect(bus, &PostMsg::SigChangeMainDialog, this, [this](int p) {
        m_signals << QStringLiteral("ChangeMainDialog(%1)").arg(p);
        m_mainDialogAt = m_clock.elapsed();
    });
}

void tst_DialogChangeOpen::writeImage(quint8 type, quint8 mid, const QByteArray& name, quint32 version)
{
    const QString bin = m_fx.link.appDir() + "/bin";
    QVERIFY(QDir().mkpath(bin));
    QByteArray bytes(728 + 64, '\0');
    qToLittleEndian<quint32>(version, reinterpret_cast<uchar*>(bytes.data()) + 0x10);
    bytes[0x14] = char(type);
    bytes[0x15] = char(51);
    bytes[0x16] = char(mid);
    bytes.replace(0x57, name.size(), name);
    QFile f(bin + QStringLiteral("/%1_%2.bin").arg(type).arg(mid));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void tst_DialogChangeOpen::standInForTheTopWindow()
{
    m_connections << connect(PostMsg::GetInstance(), &PostMsg::SigChangeMainDialog, this, [](int page) {
        if (page == 1) {
            StartUsbChanged(&Worker::OnUsbDeviceChanged, 600);
        } else {
            g_LinkEnabled = 0;
            StartUsbChanged(&DialogChange::OnUsbChanged, 600);
        }
    });
}

void tst_DialogChangeOpen::openCatalogueDevice_data()
{
    QTest::addColumn<QByteArray>("devices");
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("mouseIndex");
    QTest::addColumn<quint32>("receiverImage");  // 0: no "bin" folder at all
    QTest::addColumn<QString>("flag");

    const QByteArray receivers = scenario(
        {wirelessMouse("m11", 11, 4, "r11"), wirelessMouse("m17", 17, 8, "r17"), wirelessMouse("m23", 23, 8, "r23"),
         wiredMouse("m12", 12)},
        {receiver("r11", 4, 11, "4C1104"), receiver("r17", 8, 17, "8C1708"), receiver("r23", 8, 23, "8C2308")});

    QTest::newRow("mouse on its cable") << scenario({wiredMouse("m7", 7)}) << "m7" << 0 << quint32(0x0104) << "";
    QTest::newRow("model 12 on its cable") << receivers << "m12" << 1 << quint32(0) << "";
    QTest::newRow("8K receiver without a bin folder") << receivers << "r17" << 3 << quint32(0) << "";
    QTest::newRow("8K receiver of model 23") << receivers << "r23" << 6 << quint32(0) << "";
    QTest::newRow("4K receiver with a newer receiver image") << receivers << "r11" << 0 << quint32(0x0104) << "true";
    QTest::newRow("4K receiver with an image of its own version") << receivers << "r11" << 0 << quint32(0x0103) << "";
}

void tst_DialogChangeOpen::openCatalogueDevice()
{
    QFETCH(QByteArray, devices);
    QFETCH(QString, device);
    QFETCH(int, mouseIndex);
    QFETCH(quint32, receiverImage);
    QFETCH(QString, flag);

    QVERIFY(m_fx.setUp(devices));
    if (receiverImage)
        writeImage(211, 11, "ORX-R4K", receiverImage);
    // Without a bin folder the flag keeps whatever it held.
    g_DongleUpdateRequested = !receiverImage;
    QVERIFY(m_fx.createPage());
    Worker* worker = m_fx.link.createWorker();

    std::atomic<int> linkAtStart{-1};
    std::atomic<bool> requestAtStart{false};
    std::atomic<qint64> startedAt{-1};
    m_connections << connect(worker, &QThread::started, this, [&] {
        linkAtStart = g_LinkEnabled.load();
        requestAtStart = g_WorkerRunRequest.load();
        startedAt = m_clock.elapsed();
    }, Qt::DirectConnection);
    recordClick();

    QToolButton* button = m_fx.buttonOf(device);
    QVERIFY(button);
    const DeviceAllInfo entry = g_DeviceList.at(ListFixture::indexOf(device));
    ModalDialogDriver driver;
    driver.forbidDialogs(true);
    button->click();

    QCOMPARE(m_signals, (QStringList{"Setver(6)", QStringLiteral("MouseIndex(%1)").arg(mouseIndex),
                                     "SelectMouseInfo(" + entry.path + ")",
                                     QStringLiteral("LabelTextB(%1,%2)").arg(entry.receiverVersion, flag),
                                     "ChangeMainDialog(1)"}));
    QCOMPARE(g_DongleUpdateRequested.load(), receiverImage ? flag == "true" : true);
    QCOMPARE(g_DeviceModelId, int(entry.mid));
    QCOMPARE(currentDeviceCopy().path, entry.path);

    // Both link flags are set before the thread runs, after the pause.
    QTRY_VERIFY(startedAt >= 0);
    QCOMPARE(linkAtStart.load(), 1);
    QVERIFY(requestAtStart.load());
    QVERIFY(startedAt - m_mainDialogAt >= Timing::scaled(150));
    // The pass connects the device and its configuration reaches the pages.
    QTRY_VERIFY(m_fx.link.pages()->count("Form") >= 1);
    QVERIFY(driver.failures().isEmpty());
}

void tst_DialogChangeOpen::unknownModelOnItsCableOpensNothing()
{
    QVERIFY(m_fx.setUp(scenario({wiredMouse("m99", 99)})));
    QVERIFY(m_fx.createPage());
    Worker* worker = m_fx.link.createWorker();
    QSignalSpy started(worker, &QThread::started);
    recordClick();
    ModalDialogDriver driver;
    driver.forbidDialogs(true);
    QVERIFY(m_fx.buttonOf("m99"));
    m_fx.buttonOf("m99")->click();
    QTest::qWait(50);
    QCOMPARE(m_signals, (QStringList{"Setver(6)", "MouseIndex(0)"}));
    QCOMPARE(started.count(), 0);
    QCOMPARE(g_LinkEnabled.load(), 0);
    QVERIFY(driver.failures().isEmpty());
}

void tst_DialogChangeOpen::pairingCheck_data()
{
    QTest::addColumn<QString>("mouseVersion");  // recorded "MouseVer" value; empty: none
    QTest::addColumn<QStringList>("images");    // "mouse=version" / "receiver=version"
    QTest::addColumn<bool>("confirmRePair");
    QTest::addColumn<QStringList>("dialogs");
    QTest::addColumn<bool>("opens");

    QTest::newRow("no mouse of the model known yet: pairing")
        << "" << QStringList{"mouse=0x0104"} << false << QStringList{"Match"} << false;
    QTest::newRow("no other version: pair again, declined")
        << "v1.3" << QStringList{} << false << QStringList{"RePair"} << false;
    QTest::newRow("no other version: pair again, confirmed")
        << "v1.3" << QStringList{} << true << QStringList{"RePair", "Match"} << false;
    QTest::newRow("only a mouse image: update warning")
        << "v1.3" << QStringList{"mouse=0x0104"} << false << QStringList{"UpDateWarning"} << false;
    QTest::newRow("only a receiver image: the device opens")
        << "v1.3" << QStringList{"receiver=0x0104"} << false << QStringList{} << true;
    QTest::newRow("both images: pair again")
        << "v1.3" << QStringList{"mouse=0x0104", "receiver=0x0104"} << false << QStringList{"RePair"} << false;
    QTest::newRow("receiver image of the receiver's own version")
        << "v1.3" << QStringList{"receiver=0x0103"} << false << QStringList{"RePair"} << false;
    QTest::newRow("mouse image of the recorded version")
        << "v1.4" << QStringList{"mouse=0x0104"} << false << QStringList{"RePair"} << false;
}

// Model 8 behind two receivers of different kinds; the clicked 4K receiver has
// no mouse (offline) while the 1K receiver's mouse answers.
void tst_DialogChangeOpen::pairingCheck()
{
    QFETCH(QString, mouseVersion);
    QFETCH(QStringList, images);
    QFETCH(bool, confirmRePair);
    QFETCH(QStringList, dialogs);
    QFETCH(bool, opens);

    QVERIFY(m_fx.setUp(scenario({wirelessMouse("m8", 8, 1, "r8")},
                                {receiver("r8", 1, 8, "1C0801"), receiver("r8b", 4, 8, "4C0802")})));
    if (!mouseVersion.isEmpty())
        QVERIFY(Registry::setValue(Registry::mouseDriveTestKeyPath(), "MouseVer518", mouseVersion));
    for (const QString& image : images) {
        const quint32 version = image.section('=', 1).toUInt(nullptr, 16);
        if (image.startsWith("mouse"))
            writeImage(210, 8, "ORX-M8", version);
        else
            writeImage(211, 8, "ORX-R4K", version);
    }
    g_UpdateWarningText = "Update the mouse first";
    QVERIFY(m_fx.createPage());
    QCOMPARE(g_DeviceList.size(), 2);
    m_fx.link.createWorker();
    recordClick();

    ModalDialogDriver driver;
    QString matchTarget;
    QString warningText;
    QPoint rePairAt;
    for (const QString& dialog : dialogs) {
        driver.expect(dialog, [&, dialog](QWidget* d) {
            if (dialog == "Match") {
                matchTarget = static_cast<Match*>(d)->targetPath();
                ModalDialogDriver::click(d, "CloseButton");
            } else if (dialog == "RePair") {
                rePairAt = d->pos();
                ModalDialogDriver::click(d, confirmRePair ? "OK" : "Cancel");
            } else {
                warningText = ModalDialogDriver::labelText(d, "label");
                ModalDialogDriver::click(d, "NewHong");
            }
        });
    }
    if (dialogs.isEmpty())
        driver.forbidDialogs(true);

    const DeviceAllInfo clicked = g_DeviceList.at(ListFixture::indexOf("r8b"));
    QVERIFY(!clicked.online);
    m_fx.buttonOf("r8b")->click();
    QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(driver.seen(), dialogs);
    QCOMPARE(m_signals.contains("ChangeMainDialog(1)"), opens);

    if (dialogs.contains("Match")) {
        QCOMPARE(matchTarget, clicked.path);
        QCOMPARE(g_SelectedDevice.path, clicked.path);
        QCOMPARE(int(g_MatchMode), 1);
    }
    if (dialogs.contains("UpDateWarning"))
        QCOMPARE(warningText, g_UpdateWarningText);
    if (dialogs.contains("RePair"))
        QCOMPARE(rePairAt, m_fx.page->mapToGlobal(QPoint(0, 0)) + QPoint((1020 - 300) / 2, (700 - 140) / 2));
    if (opens)
        QTRY_COMPARE(currentDeviceCopy().path, clicked.path);
}

void tst_DialogChangeOpen::receiverListedTwiceBothOnlineOpensDirectly()
{
    QVERIFY(m_fx.setUp(scenario({wirelessMouse("m8", 8, 1, "r8"), wirelessMouse("m8b", 8, 4, "r8b")},
                                {receiver("r8", 1, 8, "1C0801"), receiver("r8b", 4, 8, "4C0802")})));
    QVERIFY(m_fx.createPage());
    m_fx.link.createWorker();
    recordClick();
    ModalDialogDriver driver;
    driver.forbidDialogs(true);
    m_fx.buttonOf("r8b")->click();
    QVERIFY(m_signals.contains("ChangeMainDialog(1)"));
    QVERIFY(driver.failures().isEmpty());
}

void tst_DialogChangeOpen::unknownReceiver_data()
{
    QTest::addColumn<QString>("mouseVersion");
    QTest::addColumn<QStringList>("dialogs");

    QTest::newRow("pairing dialog when no mouse of that kind is known") << "" << QStringList{"Match"};
    // The pairing check lets the click go on, but the model cannot be opened.
    QTest::newRow("a receiver image of another version") << "v1.3" << QStringList{};
}

void tst_DialogChangeOpen::unknownReceiver()
{
    QFETCH(QString, mouseVersion);
    QFETCH(QStringList, dialogs);

    QVERIFY(m_fx.setUp(scenario({}, {receiver("r99", 1, 99)})));
    // A model outside the catalogue has no group: its "MID" and names read empty.
    if (!mouseVersion.isEmpty())
        QVERIFY(Registry::setValue(Registry::mouseDriveTestKeyPath(), "MouseVer51", mouseVersion));
    writeImage(211, 0, "", 0x0104);
    QVERIFY(m_fx.createPage());
    m_fx.link.createWorker();
    recordClick();

    ModalDialogDriver driver;
    for (const QString& dialog : dialogs)
        driver.expect(dialog, [](QWidget* d) { ModalDialogDriver::click(d, "CloseButton"); });
    if (dialogs.isEmpty())
        driver.forbidDialogs(true);
    m_fx.buttonOf("r99")->click();
    QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(driver.seen(), dialogs);
    QCOMPARE(m_signals, (QStringList{"Setver(6)", "MouseIndex(0)"}));
}

void tst_DialogChangeOpen::deviceChangeDuringTheClickWaitsForIt()
{
    QVERIFY(m_fx.setUp(scenario({wiredMouse("m12", 12)}, {receiver("r99", 1, 99)})));
    QVERIFY(HidSimControl::unplug("m12"));
    QVERIFY(m_fx.createPage());
    QCOMPARE(m_fx.deviceButtons().size(), 1);
    QPointer<QToolButton> clicked = m_fx.buttonOf("r99");
    QVERIFY(clicked);

    ModalDialogDriver driver;
    bool aliveDuringDialog = false;
    int buttonsDuringDialog = -1;
    driver.expect("Match", [&](QWidget* d) {
        // A device arrives while the pairing dialog of the click is open.
        HidSimControl::plug("m12");
        QTest::qWait(300);
        aliveDuringDialog = !clicked.isNull() && clicked->isVisible();
        buttonsDuringDialog = m_fx.deviceButtons().size();
        ModalDialogDriver::click(d, "CloseButton");
    });
    clicked->click();
    QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
    QVERIFY(aliveDuringDialog);
    QCOMPARE(buttonsDuringDialog, 1);

    // Once the click has returned the list is rebuilt with the new device.
    QTRY_COMPARE(m_fx.deviceButtons().size(), 2);
    QVERIFY(m_fx.buttonOf("m12"));
    QTRY_VERIFY(clicked.isNull());
}

void tst_DialogChangeOpen::unpluggingTheOpenDeviceReturnsToTheList()
{
    QVERIFY(m_fx.setUp(scenario({wiredMouse("m7", 7)})));
    QVERIFY(m_fx.createPage());
    m_fx.link.createWorker();
    standInForTheTopWindow();
    recordClick();
    m_fx.buttonOf("m7")->click();
    QTRY_VERIFY(m_fx.link.pages()->count("Form") >= 1);

    QVERIFY(HidSimControl::unplug("m7"));
    QTRY_VERIFY(m_signals.contains("ChangeMainDialog(0)"));
    // Back on the list, which the list's own device-change call rebuilds.
    QTRY_VERIFY(m_fx.label("label_3")->isHidden());
    QVERIFY(m_fx.label("label_2")->isVisible());
    QCOMPARE(m_fx.deviceButtons().size(), 0);

    QVERIFY(HidSimControl::plug("m7"));
    QTRY_COMPARE(m_fx.deviceButtons().size(), 1);
}

QTEST_MAIN(tst_DialogChangeOpen)
#include "tst_dialogchangeopen.moc"
