#include "DeviceLinkFixture.h"

#include "device/DeviceDiscovery.h"

#include <QElapsedTimer>
#include <QTest>

// A garbage model count in Config.ini must neither make the catalogue lookups
// loop for minutes nor give negative model indexes.
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
        QVERIFY(m_fixture.setUp(QByteArray(), catalogue));

        QCOMPARE(DeviceDiscovery::DeviceTotal(), total);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(DeviceDiscovery::CatalogueIndex(51, 99), -1);  // a model outside the catalogue
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString("%1 ms").arg(clock.elapsed())));
        QCOMPARE(DeviceDiscovery::CatalogueIndex(51, 8), total >= 2 ? 1 : -1);
    }
};

QTEST_GUILESS_MAIN(TestCatalogueBounds)
#include "tst_cataloguebounds.moc"
