#include "platform/Registry.h"

#include "TestHome.h"
#include "UnreadableFile.h"

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QThread>

class tst_Registry : public QObject
{
    Q_OBJECT

private slots:
    void groupFor_data();
    void groupFor();
    void bothFormsNameOneValue();
    void writesReachDiskAtOnce();
    void keysKeepTheirValuesApart();
    void unusableNamesRefused_data();
    void unusableNamesRefused();
    void unreadableFileIsNotReplaced_data();
    void unreadableFileIsNotReplaced();
    void concurrentWriters();
};

void tst_Registry::groupFor_data()
{
    QTest::addColumn<QString>("keyPath");
    QTest::addColumn<QString>("group");
    QTest::newRow("full root") << "HKEY_CURRENT_USER\\Software\\A\\B\\C" << "A/B/C";
    QTest::newRow("short root") << "HKCU\\Software\\A" << "A";
    QTest::newRow("below Software") << "Software\\A\\B" << "A/B";
    QTest::newRow("case of root and Software") << "hkey_current_user\\SOFTWARE\\A" << "A";
    QTest::newRow("spaces kept") << "Software\\Orvex DeskLink\\Mouse Drive Test"
                                 << "Orvex DeskLink/Mouse Drive Test";
    QTest::newRow("slashes and doubled separators") << "Software//A\\\\B\\" << "A/B";
    QTest::newRow("Software deeper down is a name") << "Software\\A\\Software" << "A/Software";
    QTest::newRow("run key") << "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
                             << "Microsoft/Windows/CurrentVersion/Run";
}

void tst_Registry::groupFor()
{
    QFETCH(QString, keyPath);
    QFETCH(QString, group);
    QCOMPARE(Registry::groupFor(keyPath), group);
}

void tst_Registry::bothFormsNameOneValue()
{
    TestHome home;
    const QString full = Registry::languageKeyPath();
    QCOMPARE(full, QStringLiteral(
        "HKEY_CURRENT_USER\\Software\\Orvex DeskLink\\Orvex DeskLink\\Orvex DeskLink"));
    const QString shortForm = "Software\\Orvex DeskLink\\Orvex DeskLink\\Orvex DeskLink";

    QCOMPARE(Registry::value(full, "LanguageIndex", 0).toInt(), 0);
    QVERIFY(Registry::setValue(full, "LanguageIndex", 3));
    QCOMPARE(Registry::value(shortForm, "LanguageIndex", 0).toInt(), 3);
    QVERIFY(Registry::contains(shortForm, "LanguageIndex"));
    QVERIFY(Registry::remove(shortForm, "LanguageIndex"));
    QVERIFY(!Registry::contains(full, "LanguageIndex"));
    QVERIFY(Registry::remove(full, "LanguageIndex"));  // already gone: silent

    // The store lives below the test's config folder, never in a file named
    // after the Windows path.
    QVERIFY(Registry::filePath().startsWith(home.path() + "/.config/"));
    QVERIFY(QFile::exists(Registry::filePath()));
    const QStringList stray = QDir::current().entryList({"HKEY*", "*Software*"});
    QVERIFY2(stray.isEmpty(), qPrintable(stray.join(", ")));
}

void tst_Registry::writesReachDiskAtOnce()
{
    TestHome home;
    const QString key = Registry::mouseDriveTestKeyPath();
    QVERIFY(Registry::setValue(key, "UpdateFailInfo", "211,4,5,27"));
    QFile f(Registry::filePath());
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    QVERIFY2(text.contains("UpdateFailInfo") && text.contains("211,4,5,27"), text.constData());
    f.close();

    // A new HOME gives a new, empty store.
    {
        TestHome other;
        QVERIFY(!Registry::contains(key, "UpdateFailInfo"));
    }
    QCOMPARE(Registry::value(key, "UpdateFailInfo").toString(), QStringLiteral("211,4,5,27"));
}

void tst_Registry::keysKeepTheirValuesApart()
{
    TestHome home;
    const QString app = "HKEY_CURRENT_USER\\Software\\Orvex DeskLink\\Orvex DeskLink";
    const QString test = Registry::mouseDriveTestKeyPath();
    QVERIFY(Registry::setValue(app, "MouseVer527", "parent"));
    QVERIFY(Registry::setValue(test, "MouseVer527", "v1.5"));
    QVERIFY(Registry::setValue(Registry::runKeyPath(), "OrvexDeskLink", "\\opt\\odl\\OrvexDeskLink"));
    QCOMPARE(Registry::value(app, "MouseVer527").toString(), QStringLiteral("parent"));
    QCOMPARE(Registry::value(test, "MouseVer527").toString(), QStringLiteral("v1.5"));
    QCOMPARE(Registry::value(Registry::runKeyPath(), "OrvexDeskLink").toString(),
             QStringLiteral("\\opt\\odl\\OrvexDeskLink"));
    // Removing the parent's value leaves the sub-key alone.
    QVERIFY(Registry::remove(app, "MouseVer527"));
    QCOMPARE(Registry::value(test, "MouseVer527").toString(), QStringLiteral("v1.5"));
}

void tst_Registry::unusableNamesRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << "";
    QTest::newRow("slash") << "Mouse Drive Test/MouseVer";
    QTest::newRow("backslash") << "Mouse Drive Test\\MouseVer";
}

// An empty or separator-carrying name would address a whole key or another
// key's value; removing with it must not wipe the key.
void tst_Registry::unusableNamesRefused()
{
    QFETCH(QString, name);
    TestHome home;
    const QString app = "Software\\Orvex DeskLink\\Orvex DeskLink";
    QVERIFY(Registry::setValue(Registry::mouseDriveTestKeyPath(), "MouseVer", "v2.0"));
    QVERIFY(!Registry::setValue(app, name, "x"));
    QVERIFY(!Registry::remove(app, name));
    QVERIFY(!Registry::remove(Registry::mouseDriveTestKeyPath(), name));
    QVERIFY(!Registry::value(app, name).isValid());
    QCOMPARE(Registry::value(Registry::mouseDriveTestKeyPath(), "MouseVer").toString(),
             QStringLiteral("v2.0"));
}

void tst_Registry::concurrentWriters()
{
    TestHome home;
    const QString key = Registry::mouseDriveTestKeyPath();
    QList<QThread*> threads;
    for (int t = 0; t < 4; ++t) {
        threads << QThread::create([=] {
            for (int i = 0; i < 25; ++i)
                Registry::setValue(key, QStringLiteral("MouseVer%1").arg(t), QString::number(i));
        });
        threads.last()->start();
    }
    for (QThread* t : threads) {
        QVERIFY(t->wait(30000));
        delete t;
    }
    for (int t = 0; t < 4; ++t)
        QCOMPARE(Registry::value(key, QStringLiteral("MouseVer%1").arg(t)).toString(), QStringLiteral("24"));
}

void tst_Registry::unreadableFileIsNotReplaced_data()
{
    QTest::addColumn<bool>("removing");
    QTest::newRow("value set in a file that could not be read") << false;
    QTest::newRow("value removed from a file that could not be read") << true;
}

// The values of a file that could not be read are unknown, not absent: a
// write built on that read would drop them all.
void tst_Registry::unreadableFileIsNotReplaced()
{
    QFETCH(bool, removing);
    TestHome home;
    const QString key = Registry::mouseDriveTestKeyPath();
    QVERIFY(Registry::setValue(key, "UpdateFailInfo", "211,4,5,27"));
    QVERIFY(Registry::setValue(Registry::runKeyPath(), "OrvexDeskLink", "\\opt\\OrvexDeskLink"));
    QFile file(Registry::filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    {
        UnreadableFile unreadable(Registry::filePath());
        QVERIFY(!Registry::contains(key, "UpdateFailInfo"));
        if (removing)
            QVERIFY(!Registry::remove(Registry::runKeyPath(), "OrvexDeskLink"));
        else
            QVERIFY(!Registry::setValue(key, "MouseVer518", "v1.4"));
    }
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    file.close();
    QCOMPARE(Registry::value(key, "UpdateFailInfo").toString(), QStringLiteral("211,4,5,27"));
}

QTEST_GUILESS_MAIN(tst_Registry)
#include "tst_registry.moc"
