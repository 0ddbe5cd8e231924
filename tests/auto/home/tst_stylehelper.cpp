#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "ui/common/StyleHelper.h"
#include "ui/home/DeleteConfirm.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

class tst_StyleHelper : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void centredOn_data();
    void centredOn();
    void colours_data();
    void colours();
    void missingPicturesAndColours();
};

void tst_StyleHelper::cleanup()
{
    AppPaths::setApplicationDirOverride(QString());
    ConfigSettings::resetForTests();
}

void tst_StyleHelper::centredOn_data()
{
    QTest::addColumn<QPoint>("refPos");
    QTest::addColumn<QSize>("refSize");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("dy");
    QTest::addColumn<QPoint>("expected");

    QTest::newRow("notice on a page, moved left and up")
        << QPoint(100, 100) << QSize(1020, 700) << QSize(300, 140) << -100 << -50 << QPoint(360, 330);
    QTest::newRow("offline notice on the window")
        << QPoint(0, 0) << QSize(1020, 700) << QSize(300, 140) << 0 << -20 << QPoint(360, 260);
    QTest::newRow("odd difference rounds down")
        << QPoint(0, 0) << QSize(301, 141) << QSize(300, 140) << 0 << 0 << QPoint(0, 0);
    QTest::newRow("larger dialog truncates toward zero")
        << QPoint(10, 10) << QSize(299, 139) << QSize(300, 140) << 0 << 0 << QPoint(10, 10);
    QTest::newRow("much larger dialog")
        << QPoint(10, 10) << QSize(100, 100) << QSize(305, 105) << 0 << 0 << QPoint(-92, 8);
}

void tst_StyleHelper::centredOn()
{
    QFETCH(QPoint, refPos);
    QFETCH(QSize, refSize);
    QFETCH(QSize, size);
    QFETCH(int, dx);
    QFETCH(int, dy);
    QFETCH(QPoint, expected);

    QCOMPARE(StyleHelper::centredOn(refPos, refSize, size, dx, dy), expected);

    QWidget reference;
    reference.setGeometry(QRect(refPos, refSize));
    QWidget dialog;
    dialog.resize(size);
    StyleHelper::placeCentred(&dialog, &reference, dx, dy);
    QCOMPARE(dialog.pos(), expected);
}

void tst_StyleHelper::colours_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("rule");

    QTest::newRow("three numbers") << QByteArray("10,20,30") << "color:rgb(10,20,30);";
    QTest::newRow("extra items ignored") << QByteArray("10,20,30,40") << "color:rgb(10,20,30);";
    QTest::newRow("two numbers: unchanged") << QByteArray("10,20") << "";
    QTest::newRow("one number: unchanged") << QByteArray("10") << "";
    QTest::newRow("empty: unchanged") << QByteArray("") << "";
    QTest::newRow("not numbers: unchanged") << QByteArray("red,green,blue") << "";
}

void tst_StyleHelper::colours()
{
    QFETCH(QByteArray, value);
    QFETCH(QString, rule);

    QTemporaryDir app(QDir::homePath() + "/app-XXXXXX");
    QVERIFY(QDir().mkpath(app.path() + "/usersetting"));
    QFile ini(app.path() + "/usersetting/Config.ini");
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Option]\nLabelColor=" + value + "\n");
    ini.close();
    AppPaths::setApplicationDirOverride(app.path());
    ConfigSettings::resetForTests();

    QCOMPARE(StyleHelper::colorRule("LabelColor"), rule);

    QLabel label;
    label.setStyleSheet("color:rgb(1,2,3);");
    QCOMPARE(StyleHelper::applyTextColor(&label, "LabelColor"), !rule.isEmpty());
    QCOMPARE(label.styleSheet(), rule.isEmpty() ? QString("color:rgb(1,2,3);") : rule);
}

void tst_StyleHelper::missingPicturesAndColours()
{
    // An application folder without pictures and without Config.ini.
    QTemporaryDir app(QDir::homePath() + "/app-XXXXXX");
    AppPaths::setApplicationDirOverride(app.path());
    ConfigSettings::resetForTests();

    for (const char* spelling : {"WarningDialog", "Picture/WarningDialog", "/Picture/WarningDialog/"})
        QCOMPARE(StyleHelper::pictureFolder(spelling), app.path() + "/Picture/WarningDialog/");
    DeleteConfirm d;
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    d.grab();  // paints every part with its missing pictures
    QCOMPARE(d.findChild<QLabel*>("label")->styleSheet(), QString());
}

QTEST_MAIN(tst_StyleHelper)
#include "tst_stylehelper.moc"
