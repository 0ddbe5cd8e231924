#include "DeviceLinkFixture.h"

#include "app/Globals.h"
#include "device/DeviceDiscovery.h"
#include "device/Worker.h"

#include <HIDUsb.h>
#include <HidSimControl.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutexLocker>
#include <QTest>

using hidsim::HidSimControl;

namespace {
// Scripted identification answers: zeros (with the connection type) until call
// number s_answerOnCall (0 = never), then the identifiers.
int s_answerOnCall = 0;
int s_calls = 0;
UsbDeviceInfo s_answer{};

UsbDeviceInfo scriptedQuery(const char*)
{
    ++s_calls;
    if (s_answerOnCall != 0 && s_calls >= s_answerOnCall)
        return s_answer;
    return UsbDeviceInfo{0, 0, s_answer.connectionType};
}

QString catalogueVariant(const QString& kind)
{
    QString text = DeviceLinkFixture::fixtureCatalogue();
    if (kind == "no groups")
        text.replace("DeviceTotal=4", "DeviceTotal=0");
    else if (kind == "no total")
        text.replace("DeviceTotal=4\n", "");
    else if (kind == "same MID twice")
        text.replace("[Drive3]\nMID=11", "[Drive3]\nMID=8");
    return text;
}

QByteArray scenarioWith(const QJsonObject& extraMouse)
{
    QJsonObject root = QJsonDocument::fromJson(DeviceLinkFixture::fixtureScenario()).object();
    QJsonArray mice = root.value("mice").toArray();
    mice.append(extraMouse);
    root.insert("mice", mice);
    return QJsonDocument(root).toJson();
}
}

class TestDeviceDiscovery : public QObject
{
    Q_OBJECT

private:
    DeviceLinkFixture m_fixture;

private slots:
    void init() { QVERIFY(m_fixture.setUp()); }
    void cleanup() { m_fixture.tearDown(); }

    void identification_data()
    {
        QTest::addColumn<QString>("catalogue");
        QTest::addColumn<int>("answerOnCall");  // 0 = never
        QTest::addColumn<int>("cid");
        QTest::addColumn<int>("mid");
        QTest::addColumn<int>("connectionType");
        QTest::addColumn<int>("calls");
        QTest::addColumn<bool>("listed");
        QTest::addColumn<int>("modelIndex");
        QTest::addColumn<bool>("matched");  // identifiers taken over, device thread accepts it
        QTest::addColumn<int>("direct");

        const QString fixture = "fixture";  // DeviceTotal 4; MIDs 7, 8, 11, 17
        QTest::newRow("identifiers on the first query")
            << fixture << 1 << 51 << 8 << 0 << 1 << true << 1 << true << 0;
        QTest::newRow("identifiers on the ninth query")
            << fixture << 9 << 51 << 17 << 5 << 9 << true << 3 << true << 0;
        QTest::newRow("identifiers on the tenth query are too late")
            << fixture << 10 << 51 << 8 << 2 << 10 << true << 4 << false << 1;
        QTest::newRow("identifiers never arrive")
            << fixture << 0 << 51 << 8 << 1 << 10 << true << 4 << false << 0;
        QTest::newRow("cid 0 ends the queries and matches no group")
            << fixture << 1 << 0 << 8 << 2 << 1 << true << 4 << false << 1;
        QTest::newRow("foreign customer id") << fixture << 1 << 52 << 8 << 0 << 1 << true << 4 << false << 0;
        QTest::newRow("model outside the catalogue")
            << fixture << 1 << 51 << 99 << 2 << 1 << true << 4 << false << 1;
        QTest::newRow("no match, DeviceTotal 0")
            << "no groups" << 1 << 51 << 8 << 0 << 1 << false << 0 << false << 0;
        QTest::newRow("no match, DeviceTotal absent")
            << "no total" << 1 << 51 << 8 << 0 << 1 << false << 0 << false << 0;
        QTest::newRow("not identified, DeviceTotal 0: still listed")
            << "no groups" << 0 << 51 << 8 << 2 << 10 << true << 0 << false << 1;
        QTest::newRow("same MID in two groups: the lower wins")
            << "same MID twice" << 1 << 51 << 8 << 4 << 1 << true << 1 << true << 0;
    }
    void identification()
    {
        QFETCH(QString, catalogue);
        QFETCH(int, answerOnCall);
        QFETCH(int, cid);
        QFETCH(int, mid);
        QFETCH(int, connectionType);
        QFETCH(int, calls);
        QFETCH(bool, listed);
        QFETCH(int, modelIndex);
        QFETCH(bool, matched);
        QFETCH(int, direct);

        if (catalogue != "fixture")
            m_fixture.writeCatalogue(catalogueVariant(catalogue));
        s_answer = UsbDeviceInfo{quint8(cid), quint8(mid), quint8(connectionType)};
        s_answerOnCall = answerOnCall;
        DeviceDiscovery::SetDeviceInfoQueryForTests(&scriptedQuery);

        // The list page's identification.
        s_calls = 0;
        DeviceAllInfo rec;
        rec.path = "hidsim:scripted";
        QCOMPARE(DeviceDiscovery::IdentifyDevice(rec), listed);
        QCOMPARE(s_calls, calls);
        if (listed) {
            QCOMPARE(rec.modelIndex, modelIndex);
            QCOMPARE(int(rec.direct), direct);
            QCOMPARE(int(rec.online), 0);  // the scripted path does not answer
            // Identifiers are taken over only on a catalogue match; otherwise they
            // keep their defined start values.
            QCOMPARE(int(rec.cid), matched ? cid : 0);
            QCOMPARE(int(rec.mid), matched ? mid : 0);
            QCOMPARE(int(rec.connectionType), matched ? connectionType : 0);
        }

        // The device thread's identification.
        s_calls = 0;
        DeviceAllInfo threadRec;
        threadRec.path = "hidsim:scripted";
        QCOMPARE(Worker::IdentifyDevice(threadRec, "hidsim:scripted"), matched);
        QCOMPARE(s_calls, calls);
        if (matched) {
            QCOMPARE(threadRec.modelIndex, modelIndex);
            QCOMPARE(threadRec.address, (QList<quint8>{0, 0, 0}));
        } else {
            QCOMPARE(threadRec.modelIndex, DeviceDiscovery::DeviceTotal());
            QCOMPARE(int(threadRec.direct), direct);
        }
    }

    void listPageSearch()
    {
        QJsonObject stranger{{"id", "m99"}, {"cid", 51}, {"mid", 99}, {"usbPid", "0A02"}, {"receiverKind", 0},
                             {"firmware", "v3.1f"}, {"cable", true}, {"powered", true}, {"battery", 100},
                             {"charging", false}, {"pairedTo", ""}};
        QVERIFY(m_fixture.setUp(scenarioWith(stranger)));

        DeviceDiscovery::ScanDeviceList();

        QCOMPARE(g_SearchVid, QString("3A7C"));
        QCOMPARE(g_SearchPidList, (QVector<QString>{"0A01", "0A02", "1A01", "2A01", "4A01", "8A01"}));
        QCOMPARE(g_Wireless4PidList, QStringList{"4A01"});

        struct Expected
        {
            const char* id;
            const char* pid;
            int modelIndex;
            int connectionType;
            int direct;
            const char* version;
        };
        // Product-id order: cable ids first, then the receivers by kind.
        const Expected expected[] = {{"m7", "0A01", 0, 2, 1, "v1.3"},  {"m99", "0A02", 4, 0, 1, "v3.1f"},
                                     {"r8", "1A01", 1, 0, 0, "v1.5"},  {"r11", "4A01", 2, 1, 0, "v1.3"},
                                     {"r17", "8A01", 3, 5, 0, "v1.3"}};
        QCOMPARE(g_DeviceList.size(), 5);
        for (int i = 0; i < 5; ++i) {
            const DeviceAllInfo& e = g_DeviceList.at(i);
            QCOMPARE(e.path, QString::fromLatin1(HidSimControl::path(expected[i].id)));
            QCOMPARE(e.vid, QString("3A7C"));
            QCOMPARE(e.pid, QString(expected[i].pid));
            QCOMPARE(e.modelIndex, expected[i].modelIndex);
            QCOMPARE(int(e.connectionType), expected[i].connectionType);
            QCOMPARE(int(e.direct), expected[i].direct);
            QCOMPARE(e.receiverVersion, QString(expected[i].version));
            // A device outside the catalogue is listed offline and unidentified.
            QCOMPARE(int(e.online), expected[i].modelIndex == 4 ? 0 : 1);
            QCOMPARE(g_DeviceListB.at(i).path, e.path);
        }
    }

    void refreshReadsOnlineStateAndAddress()
    {
        DeviceDiscovery::ScanDeviceList();
        QCOMPARE(g_DeviceList.size(), 4);  // m7, r8, r11, r17

        // A receiver: its address; both lists get the same record.
        QVERIFY(DeviceDiscovery::RefreshDevice(1));
        QCOMPARE(g_DeviceList.at(1).address, (QList<quint8>{0x1C, 0x08, 0x01}));
        QCOMPARE(int(g_DeviceList.at(1).online), 1);
        QCOMPARE(g_DeviceListB.at(1).address, g_DeviceList.at(1).address);

        // A wired mouse paired with no receiver: three zero bytes, false.
        QVERIFY(!DeviceDiscovery::RefreshDevice(0));
        QCOMPARE(g_DeviceList.at(0).address, (QList<quint8>{0, 0, 0}));

        // The mouse behind r17 is switched off: offline, address still known.
        QVERIFY(HidSimControl::setPowered("m17", false));
        QVERIFY(DeviceDiscovery::RefreshDevice(3));
        QCOMPARE(int(g_DeviceList.at(3).online), 0);

        // An entry that left the list is not refreshed (nor is the previous
        // device's answer taken over for it).
        QVERIFY(!DeviceDiscovery::RefreshDevice(4));
        QVERIFY(!DeviceDiscovery::RefreshDevice(-1));
        QVERIFY(HidSimControl::unplug("r8"));
        QVERIFY(!DeviceDiscovery::RefreshDevice(1));
        QCOMPARE(int(g_DeviceList.at(1).online), 0);
        QCOMPARE(g_DeviceList.at(1).address, (QList<quint8>{0, 0, 0}));
    }

    void requeryIdentifiesAgain()
    {
        DeviceDiscovery::ScanDeviceList();
        g_DeviceList[2].modelIndex = 99;  // stale entry
        g_DeviceList[2].cid = 0;
        QVERIFY(DeviceDiscovery::RequeryDevice(2));  // r11 has an address
        QCOMPARE(g_DeviceList.at(2).modelIndex, 2);
        QCOMPARE(int(g_DeviceList.at(2).cid), 51);
        QCOMPARE(int(g_DeviceList.at(2).online), 1);
        QCOMPARE(g_DeviceListB.at(2).modelIndex, 2);
        QVERIFY(!DeviceDiscovery::RequeryDevice(7));
    }

    void rescanKeepsVersionsOfTheCurrentDevice()
    {
        const DeviceAllInfo entry = m_fixture.listEntry("r8");
        DeviceAllInfo current = entry;
        current.firmwareVersion = "v1.3";
        current.receiverVersion = "v1.5";
        current.online = 0;
        {
            QMutexLocker lock(&g_CurrentDeviceMutex);
            g_CurrentDevice = current;
        }
        DeviceAllInfo rec;
        rec.path = entry.path;
        QVERIFY(Worker::IdentifyDevice(rec, HidSimControl::path("r8").constData()));
        const DeviceAllInfo after = currentDeviceCopy();
        QCOMPARE(after.firmwareVersion, QString("v1.3"));
        QCOMPARE(after.receiverVersion, QString("v1.5"));
        QCOMPARE(int(after.online), 1);
        QCOMPARE(after.address, (QList<quint8>{0x1C, 0x08, 0x01}));
    }
};

QTEST_GUILESS_MAIN(TestDeviceDiscovery)
#include "tst_devicediscovery.moc"
