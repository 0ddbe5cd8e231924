#include "app/DialogMain.h"
#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "core/SettingsStore.h"
#include "ui/home/Dialog.h"
#include "ui/home/DialogChange.h"
#include "ui/settings/FormSetting.h"

#include <HidSimControl.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QWheelEvent>
#include <QtTest>

#include <memory>

namespace {

enum class Reach { Key, MousePress, Wheel, SwitchToHome };

// Notes whether the home page existed when the first event of one type
// reached its target (object filters run after the application's).
class Recorder : public QObject
{
public:
    Recorder(DialogMain* window, QEvent::Type type)
        : m_window(window), m_type(type)
    {
    }

    bool seen = false;
    bool homePageExisted = false;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == m_type && !seen) {
            seen = true;
            homePageExisted = m_window->findChild<Dialog*>() != nullptr;
        }
        return false;
    }

private:
    DialogMain* m_window;
    QEvent::Type m_type;
};

} // namespace

Q_DECLARE_METATYPE(Reach)

// The top window shows its first frame before it builds the hidden home page.
// Nothing that can reach the home page may come before the page exists, and
// the page starts in the current language like the rest of the window.
class tst_DialogMainHomePage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void builtAfterTheFirstFrame();
    void builtBeforeAnythingReachesIt_data();
    void builtBeforeAnythingReachesIt();
};

void tst_DialogMainHomePage::initTestCase()
{
    AppPaths::setApplicationDirOverride(DESKLINK_APP_DIR);
    ConfigSettings::resetForTests();
    QVERIFY(hidsim::HidSimControl::reset(R"({"vendorId": "3A7C", "mice": [], "receivers": []})"));
}

void tst_DialogMainHomePage::init()
{
    LanguageTables::clear();
    SettingsStore::instance()->setValue("Language", "Language", "3");
    // No device is open: the device thread's scan must not switch pages.
    g_DevicePollingEnabled = false;
}

void tst_DialogMainHomePage::builtAfterTheFirstFrame()
{
    std::unique_ptr<DialogMain> window(new DialogMain());
    QVERIFY(!window->findChild<Dialog*>());

    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QTRY_VERIFY(window->findChild<Dialog*>());

    auto* stack = window->findChild<QStackedWidget*>("stackedWidgetMain");
    QCOMPARE(stack->count(), 2);
    QCOMPARE(stack->widget(1), static_cast<QWidget*>(window->findChild<Dialog*>()));
    QCOMPARE(stack->currentIndex(), 0);

    // Built after the language was broadcast, it still shows the current one.
    auto* settings = window->findChild<FormSetting*>();
    QVERIFY(settings);
    QCOMPARE(settings->findChild<QLabel*>("label_2")->text(), LanguageTables::text(LanguageSection::FormSetting, 3, 1));
    QCOMPARE(settings->findChild<QComboBox*>("comboBox")->currentIndex(), 3);
    QCOMPARE(g_UpdateWarningText, LanguageTables::text(LanguageSection::FormSetting, 3, 14));
}

void tst_DialogMainHomePage::builtBeforeAnythingReachesIt_data()
{
    QTest::addColumn<Reach>("reach");

    QTest::newRow("key on the window") << Reach::Key;
    QTest::newRow("press on the device list") << Reach::MousePress;
    QTest::newRow("wheel on the language box") << Reach::Wheel;
    QTest::newRow("switch to the home page") << Reach::SwitchToHome;
}

void tst_DialogMainHomePage::builtBeforeAnythingReachesIt()
{
    QFETCH(Reach, reach);

    // Never shown: no first frame builds the page.
    std::unique_ptr<DialogMain> window(new DialogMain());
    QVERIFY(!window->findChild<Dialog*>());
    auto* stack = window->findChild<QStackedWidget*>("stackedWidgetMain");
    auto* list = window->listPage();

    QWidget* target = window.get();
    QEvent::Type type = QEvent::KeyPress;
    if (reach == Reach::MousePress) {
        target = list->findChild<QLabel*>("label_3");
        type = QEvent::MouseButtonPress;
    } else if (reach == Reach::Wheel) {
        target = list->findChild<QComboBox*>("comboBox");
        type = QEvent::Wheel;
    }
    Recorder recorder(window.get(), type);
    target->installEventFilter(&recorder);

    switch (reach) {
    case Reach::Key: {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        break;
    }
    case Reach::MousePress: {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        break;
    }
    case Reach::Wheel: {
        QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &wheel);
        // The box moved to the next language; the late page follows it too.
        auto* settings = window->findChild<FormSetting*>();
        QVERIFY(settings);
        QCOMPARE(settings->findChild<QComboBox*>("comboBox")->currentIndex(), 4);
        break;
    }
    case Reach::SwitchToHome:
        window->SlotChangeMainDialog(1);
        QVERIFY(stack->currentWidget());
        QCOMPARE(stack->currentWidget(), static_cast<QWidget*>(window->findChild<Dialog*>()));
        window->SlotChangeMainDialog(0);
        return;
    }
    QVERIFY(recorder.seen);
    QVERIFY(recorder.homePageExisted);
    QCOMPARE(stack->widget(1), static_cast<QWidget*>(window->homePage()));
}

QTEST_MAIN(tst_DialogMainHomePage)
#include "tst_dialogmain_homepage.moc"
