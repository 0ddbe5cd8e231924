// The device-identifier lookups against the simulated library: which product
// ids are searched, in which order, and the one attribute and one identifier
// query per device found.

#include "DeviceLinkFixture.h"

#include "ui/buttons/DeviceIdLookup.h"

#include <HidSimControl.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QtTest>

using hidsim::HidSimControl;

namespace {

// The fixture's devices plus two more mice on their cables with m7's product id.
QByteArray threeCableMice()
{
    QJsonObject root = QJsonDocument::fromJson(DeviceLinkFixture::fixtureScenario()).object();
    QJsonArray mice = root.value("mice").toArray();
    for (const char* id : {"m30", "m31"}) {
        mice.append(QJsonObject{{"id", id}, {"cid", 51}, {"mid", 7}, {"usbPid", "0A01"}, {"receiverKind", 0},
                                {"firmware", "v1.3"}, {"cable", true}, {"powered", true}, {"battery", 100},
                                {"charging", false}, {"pairedTo", ""}});
    }
    root.insert("mice", mice);
    return QJsonDocument(root).toJson();
}

QString base64(const char* text)
{
    return QString::fromLatin1(QByteArray(text).toBase64());
}

} // namespace

class tst_DeviceIdLookup : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_fixture.setUp(threeCableMice())); }
    void cleanup() { m_fixture.tearDown(); }

    void productIdsInListOrderWithoutEmptyOnes();
    void oneAttributeAndOneIdentifierQueryPerPath();
    void recordMatchesTheDeviceList_data();
    void recordMatchesTheDeviceList();

private:
    DeviceLinkFixture m_fixture;
};

void tst_DeviceIdLookup::productIdsInListOrderWithoutEmptyOnes()
{
    QString catalogue = DeviceLinkFixture::fixtureCatalogue();
    catalogue.replace("USB_PID=MEEwMQ==,MEEwMg==", "USB_PID=" + base64("0A02") + ",," + base64("0A01") + ",");
    catalogue.replace("Wireless_PID=MUEwMQ==", "Wireless_PID=," + base64("1A01"));
    catalogue.replace("Wireless2_PID=MkEwMQ==", "Wireless2_PID=");
    m_fixture.writeCatalogue(catalogue);
    DeviceLinkFixture::clearCalls();

    DeviceIdLookup::ReadDeviceIds();

    QCOMPARE(DeviceLinkFixture::callArguments("UsbFinderC_FindHidDevicesByDefaultDeviceId"),
             (QStringList{"3A7C, 0A02, 5", "3A7C, 0A01, 5", "3A7C, 1A01, 5", "3A7C, 4A01, 5", "3A7C, 8A01, 5"}));
    // Nothing else: no online check, no catalogue match, no retry.
    QCOMPARE(DeviceLinkFixture::callCount("UsbFinderC_GetDeviceOnLine"), 0);
    QCOMPARE(DeviceLinkFixture::callCount("UsbFinderC_GetDeviceOnLineWithUsbAddress"), 0);

    // No product ids: no search at all.
    DeviceLinkFixture::clearCalls();
    DeviceIdLookup::EnumerateDevices("3A7C", {}, 1, 5);
    QCOMPARE(DeviceLinkFixture::calls().size(), 0);
}

void tst_DeviceIdLookup::oneAttributeAndOneIdentifierQueryPerPath()
{
    DeviceLinkFixture::clearCalls();
    DeviceIdLookup::EnumerateDevices("3A7C", {"0A01", "0A0F"}, 0, 0);

    const QStringList attributes = DeviceLinkFixture::callArguments("UsbFinderC_GetUsbDeviceAttribute");
    const QStringList identifiers = DeviceLinkFixture::callArguments("UsbFinderC_GetDeviceInfo");
    // Three mice share the product id; the unknown one finds nothing.
    const QSet<QString> mice = {QString::fromLatin1(HidSimControl::path("m7")),
                                QString::fromLatin1(HidSimControl::path("m30")),
                                QString::fromLatin1(HidSimControl::path("m31"))};
    QCOMPARE(QSet<QString>(attributes.begin(), attributes.end()), mice);
    QCOMPARE(attributes.size(), 3);
    QCOMPARE(identifiers, attributes);
    // Each path's two queries follow each other.
    const QStringList order = DeviceLinkFixture::calls();
    for (const QString& f : order)
        QVERIFY2(f == "UsbFinderC_FindHidDevicesByDefaultDeviceId" || f == "UsbFinderC_GetUsbDeviceAttribute"
                     || f == "UsbFinderC_GetDeviceInfo",
                 qPrintable(f));
    QCOMPARE(order.count("UsbFinderC_FindHidDevicesByDefaultDeviceId"), 2);
}

void tst_DeviceIdLookup::recordMatchesTheDeviceList_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("pid");
    QTest::newRow("mouse on its cable") << "m7" << "0A01";
    QTest::newRow("4K receiver") << "r11" << "4A01";
    QTest::newRow("8K receiver") << "r17" << "8A01";
}

void tst_DeviceIdLookup::recordMatchesTheDeviceList()
{
    QFETCH(QString, device);
    QFETCH(QString, pid);
    const DeviceAllInfo listed = m_fixture.listEntry(device);
    QVERIFY(!listed.path.isEmpty());

    const DeviceAllInfo rec = DeviceIdLookup::BuildRecord(HidSimControl::path(device).constData(), "3A7C", pid);
    QCOMPARE(rec.path, listed.path);
    QCOMPARE(rec.vid, QString("3A7C"));
    QCOMPARE(rec.pid, pid);
    QCOMPARE(rec.receiverVersion, listed.receiverVersion);
    QVERIFY(rec.receiverVersion.startsWith('v'));
    QCOMPARE(int(rec.cid), int(listed.cid));
    QCOMPARE(int(rec.mid), int(listed.mid));
    QCOMPARE(int(rec.connectionType), int(listed.connectionType));
    QCOMPARE(int(rec.online), 0);
    QCOMPARE(rec.modelIndex, 0);
}

QTEST_MAIN(tst_DeviceIdLookup)
#include "tst_deviceidlookup.moc"
