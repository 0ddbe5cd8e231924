#include "DeviceLinkFixture.h"

#include "device/DeviceDiscovery.h"

#include <QTest>

// A garbage model count in Config.ini must neither make the catalogue lookups
// loop for minutes nor give negative model indexes: a lookup stops at the
// count it takes, so a model beyond it is never found.
class TestCatalogueBounds : public QObject
{
    Q_OBJECT

private:
    DeviceLinkFixture m_fixture;

private slots:
    void cleanup() { m_fixture.tearDown(); }

    void modelCount_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("total");
        QTest::newRow("as shipped") << "4" << 4;
        QTest::newRow("largest int") << "2147483647" << 256;
        QTest::newRow("negative") << "-5" << 0;
        QTest::newRow("not a number") << "many" << 0;
    }
    void modelCount()
    {
        QFETCH(QString, value);
        QFETCH(int, total);
        QString catalogue = DeviceLinkFixture::fixtureCatalogue();
        catalogue.replace("DeviceTotal=4", "DeviceTotal=" + value);
        // Just beyond the most models a count may give.
        catalogue += "\n[Drive257]\nMID=99\n";
        QVERIFY(m_fixture.setUp(QByteArray(), catalogue));

        QCOMPARE(DeviceDiscovery::DeviceTotal(), total);
        QCOMPARE(DeviceDiscovery::CatalogueIndex(51, 99), -1);  // a model outside the catalogue
        QCOMPARE(DeviceDiscovery::CatalogueIndex(51, 8), total >= 2 ? 1 : -1);
    }
};

QTEST_GUILESS_MAIN(TestCatalogueBounds)
#include "tst_cataloguebounds.moc"
