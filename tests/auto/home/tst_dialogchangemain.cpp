#include "tst_dialogchangefixture.h"

#include "app/DialogMain.h"
#include "ui/home/Dialog.h"
#include "ui/settings/UpDataParam.h"

#include <QApplication>
#include <QDirIterator>
#include <QProgressBar>
#include <QtTest>

using namespace listtest;

// The device list inside the top window: a click opens the device home page,
// the wait dialog comes and goes, the battery shows; unplugging the open
// device brings the list back.
class tst_DialogChangeMain : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { m_fx.link.tearDown(); }
    void openAndLeaveByUnplugging();

private:
    ListFixture m_fx;
};

// The top window reads the language files and pictures below the application folder.
static void provideAppFiles(const QString& appDir)
{
    QFile::link(QStringLiteral(DESKLINK_APP_DIR) + "/Picture", appDir + "/Picture");
    const QString from = QStringLiteral(DESKLINK_APP_DIR) + "/Language";
    QDir().mkpath(appDir + "/Language");
    QDirIterator it(from, QDir::Files);
    while (it.hasNext()) {
        const QString file = it.next();
        QFile::remove(appDir + "/Language/" + it.fileName());
        QFile::copy(file, appDir + "/Language/" + it.fileName());
    }
}

static bool waitDialogShown()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<UpDataParam*>(w) && w->isVisible())
            return true;
    }
    return false;
}

// Closes any other dialog that shows up (the offline notice would mean the
// configuration never reached the pages) and names it.
static QStringList closeUnexpectedDialogs()
{
    QStringList names;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(w);
        if (dialog && dialog->isVisible() && !qobject_cast<UpDataParam*>(w) && !w->inherits("DialogMain")) {
            names << QString::fromLatin1(w->metaObject()->className());
            dialog->reject();
        }
    }
    return names;
}

void tst_DialogChangeMain::openAndLeaveByUnplugging()
{
    QJsonObject mouse = wirelessMouse("m11", 11, 4, "r11");
    mouse.insert("battery", 47);
    QVERIFY(m_fx.setUp(scenario({mouse, wiredMouse("m7", 7)}, {receiver("r11", 4, 11, "4C1104")})));
    provideAppFiles(m_fx.link.appDir());
    // The top window loads the language files itself.
    LanguageTables::clear();

    bool waitDialogSeen = false;
    QStringList unexpected;

    {
        DialogMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QVERIFY(g_DialogChange);
        auto* list = g_DialogChange;
        auto* pages = main.findChild<QStackedWidget*>("stackedWidgetMain");
        auto* home = main.homePage();
        auto homeShown = [&] { return pages->currentWidget() == home; };
        auto* stack = list->findChild<QStackedWidget*>("stackedWidget");
        QTRY_COMPARE(list->findChildren<QToolButton*>(QRegularExpression("^btn")).size(), 2);
        QVERIFY(!homeShown());

        // The wait dialog runs inside the click's event loop; note it when it shows.
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            waitDialogSeen = waitDialogSeen || waitDialogShown();
            unexpected << closeUnexpectedDialogs();
        });
        watch.start(5);

        const int i = ListFixture::indexOf("r11");
        list->findChild<QToolButton*>(QStringLiteral("btn%1").arg(i))->click();
        QVERIFY(homeShown());
        QTRY_VERIFY_WITH_TIMEOUT(waitDialogSeen, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!waitDialogShown(), 10000);
        QTRY_COMPARE(home->findChild<QProgressBar*>("progressBar")->value(), 47);

        QVERIFY(HidSimControl::unplug("r11"));
        QTRY_VERIFY(!homeShown());
        QTRY_COMPARE(list->findChildren<QToolButton*>(QRegularExpression("^btn")).size(), 1);
        QVERIFY(stack->count() == 1);
        watch.stop();
    }
    QCOMPARE(unexpected, QStringList());
}

QTEST_MAIN(tst_DialogChangeMain)
#include "tst_dialogchangemain.moc"
