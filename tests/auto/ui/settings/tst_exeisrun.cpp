#include "core/AppPaths.h"
#include "core/PostMsg.h"
#include "core/SettingsStore.h"
#include "ui/settings/ExeIsRun.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

class tst_ExeIsRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void languageFromUserSettings_data();
    void languageFromUserSettings();
    void readsItsSection_data();
    void readsItsSection();
    void busLanguageChangeRereads();
    void buttonsEndTheModalRun_data();
    void buttonsEndTheModalRun();

private:
    void writeFile(const QString& name, const QByteArray& content);
    static QString labelOf(ExeIsRun& d) { return d.findChild<QLabel*>("label")->text(); }
    static QString buttonOf(ExeIsRun& d) { return d.findChild<QToolButton*>("NewHong")->text(); }

    QTemporaryDir m_appDir{QDir::homePath() + "/app-XXXXXX"};
};

static QByteArray section(const char* label, const char* button)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Total><EXEIsRun><label>") + label
           + "</label><label_2>Choose a macro first</label_2><NewHong>" + button
           + "</NewHong><PleaseStop>Stop the recording first</PleaseStop></EXEIsRun></Total>\n";
}

void tst_ExeIsRun::writeFile(const QString& name, const QByteArray& content)
{
    QFile f(m_appDir.path() + "/Language/" + name);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

void tst_ExeIsRun::initTestCase()
{
    QVERIFY(m_appDir.isValid());
    QVERIFY(QDir().mkpath(m_appDir.path() + "/Language"));
    AppPaths::setApplicationDirOverride(m_appDir.path());
    // No pictures exist in this folder: the notice must cope.
    writeFile("0-English.xml", section("Already running", "OK"));
    writeFile("2-Fran.xml", section("Deja lance", "Bien"));
}

void tst_ExeIsRun::cleanupTestCase()
{
    AppPaths::setApplicationDirOverride(QString());
}

void tst_ExeIsRun::languageFromUserSettings_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("button");
    QTest::newRow("none stored") << QString() << "Already running" << "OK";
    QTest::newRow("French") << "2" << "Deja lance" << "Bien";
    QTest::newRow("no file for that language") << "1" << "Confirm Delete" << QString::fromUtf8("确定");
    QTest::newRow("beyond the languages") << "12" << "Already running" << "OK";
    QTest::newRow("negative") << "-1" << "Already running" << "OK";
    QTest::newRow("not a number") << "abc" << "Already running" << "OK";
}

void tst_ExeIsRun::languageFromUserSettings()
{
    QFETCH(QString, stored);
    QFETCH(QString, label);
    QFETCH(QString, button);
    if (stored.isNull())
        QVERIFY(SettingsStore::instance()->remove("Language", "Language"));
    else
        QVERIFY(SettingsStore::instance()->setValue("Language", "Language", stored));
    ExeIsRun notice;
    QCOMPARE(labelOf(notice), label);
    QCOMPARE(buttonOf(notice), button);
}

void tst_ExeIsRun::readsItsSection_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("label2");
    QTest::addColumn<QString>("pleaseStop");
    const QString compiledLabel = "Confirm Delete";
    const QString compiledButton = QString::fromUtf8("确定");

    QTest::newRow("whole section") << section("Running", "Fine") << "Running" << "Fine"
                                   << "Choose a macro first" << "Stop the recording first";
    QTest::newRow("other root") << QByteArray("<Profile><EXEIsRun><label>no</label></EXEIsRun></Profile>")
                                << compiledLabel << compiledButton << "" << "";
    QTest::newRow("no such section")
        << QByteArray("<Total><Question><label>Q</label><NewHong>Y</NewHong></Question></Total>")
        << compiledLabel << compiledButton << "" << "";
    QTest::newRow("foreign elements skipped with their contents")
        << QByteArray("<Total><Question><label>Q</label></Question><EXEIsRun>"
                      "<Label>case differs</Label><Box><label>nested</label><NewHong>n</NewHong></Box>"
                      "<label>Mine</label><NewHong>Go</NewHong></EXEIsRun></Total>")
        << "Mine" << "Go" << "" << "";
    QTest::newRow("a later section overwrites")
        << QByteArray("<Total><EXEIsRun><label>first</label><label_2>two</label_2></EXEIsRun>"
                      "<EXEIsRun><label>second</label></EXEIsRun></Total>")
        << "second" << compiledButton << "two" << "";
    QTest::newRow("empty file") << QByteArray() << compiledLabel << compiledButton << "" << "";
}

void tst_ExeIsRun::readsItsSection()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, label);
    QFETCH(QString, button);
    QFETCH(QString, label2);
    QFETCH(QString, pleaseStop);
    SettingsStore::instance()->setValue("Language", "Language", "3");
    writeFile("3-Esp.xml", file);

    ExeIsRun notice;
    QCOMPARE(labelOf(notice), label);
    QCOMPARE(buttonOf(notice), button);
    notice.ShowLabel2Text();
    QCOMPARE(labelOf(notice), label2);
    notice.ShowPleaseStopText();
    QCOMPARE(labelOf(notice), pleaseStop);
}

void tst_ExeIsRun::busLanguageChangeRereads()
{
    SettingsStore::instance()->setValue("Language", "Language", "0");
    ExeIsRun notice;
    QVERIFY(QMetaObject::invokeMethod(PostMsg::GetInstance(), "SigChangeLanguage", Q_ARG(int, 2)));
    QCOMPARE(labelOf(notice), QString("Deja lance"));
    // An index with no file changes nothing.
    QVERIFY(QMetaObject::invokeMethod(PostMsg::GetInstance(), "SigChangeLanguage", Q_ARG(int, 10)));
    QCOMPARE(labelOf(notice), QString("Deja lance"));
}

void tst_ExeIsRun::buttonsEndTheModalRun_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("confirm") << "NewHong";
    QTest::newRow("close") << "CloseButton";
}

void tst_ExeIsRun::buttonsEndTheModalRun()
{
    QFETCH(QString, button);
    ExeIsRun notice;
    QCOMPARE(notice.size(), QSize(300, 140));
    bool clicked = false;
    QTimer::singleShot(0, &notice, [&] {
        QVERIFY(notice.isVisible());
        notice.findChild<QToolButton*>(button)->click();
        clicked = true;
    });
    notice.exec();
    QVERIFY(clicked);
    QVERIFY(!notice.isVisible());
}

QTEST_MAIN(tst_ExeIsRun)
#include "tst_exeisrun.moc"
