// The drop-down lists of the choosers in the top window, as a user opens them:
// no more rows than each may show, rows of the common height, and the list
// inside the window.

#include "app/DialogMain.h"
#include "app/Globals.h"
#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "ui/home/Dialog.h"
#include "ui/home/DialogChange.h"
#include "ui/sensor/Sensor.h"
#include "ui/settings/FormSetting.h"

#include <HidSimControl.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QScrollBar>
#include <QToolButton>
#include <QtTest>

#include <memory>

class tst_Choosers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void dropDownStaysWithinItsLimits_data();
    void dropDownStaysWithinItsLimits();

private:
    std::unique_ptr<DialogMain> m_window;
};

void tst_Choosers::initTestCase()
{
    AppPaths::setApplicationDirOverride(DESKLINK_APP_DIR);
    ConfigSettings::resetForTests();
    QVERIFY(hidsim::HidSimControl::reset(R"({"vendorId": "3A7C", "mice": [], "receivers": []})"));
    m_window.reset(new DialogMain());
    m_window->move(100, 100);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QTRY_VERIFY(m_window->findChild<Dialog*>());
}

void tst_Choosers::cleanupTestCase()
{
    m_window.reset();
}

void tst_Choosers::cleanup()
{
    // A list left open by a failed check would take the next row's clicks.
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    m_window->SlotChangeMainDialog(0);
}

void tst_Choosers::dropDownStaysWithinItsLimits_data()
{
    QTest::addColumn<QString>("page");     // "" the device list, else the home page's page button
    QTest::addColumn<QString>("chooser");
    QTest::addColumn<int>("items");        // filled in first when the page has none yet; 0: as built
    QTest::addColumn<int>("maxRows");

    QTest::newRow("device list's languages") << "" << "comboBox" << 0 << 5;
    QTest::newRow("full-performance durations") << "SensorButton" << "PerformanceOpen" << 0 << 5;
    QTest::newRow("DPI stage count") << "SensorButton" << "ChooseEvent" << 8 << 5;
    QTest::newRow("settings page's languages") << "FormSetting" << "comboBox" << 0 << 10;
}

void tst_Choosers::dropDownStaysWithinItsLimits()
{
    QFETCH(QString, page);
    QFETCH(QString, chooser);
    QFETCH(int, items);
    QFETCH(int, maxRows);

    // No device is open: the device thread's scan must not switch pages.
    g_DevicePollingEnabled = false;
    QWidget* host = m_window->listPage();
    m_window->SlotChangeMainDialog(page.isEmpty() ? 0 : 1);
    if (!page.isEmpty()) {
        Dialog* home = m_window->homePage();
        QTest::mouseClick(home->findChild<QToolButton*>(page), Qt::LeftButton);
        host = page == "SensorButton" ? static_cast<QWidget*>(home->findChild<Sensor*>())
                                      : static_cast<QWidget*>(home->findChild<FormSetting*>());
    }
    QVERIFY(host);
    auto* box = host->findChild<QComboBox*>(chooser);
    QVERIFY(box);
    if (items && box->count() == 0) {
        // As the page fills it: nothing reaches the (absent) device.
        const QSignalBlocker quiet(box);
        for (int i = 1; i <= items; ++i)
            box->addItem(QString::number(i));
    }
    QVERIFY(box->count() > 0);
    QTRY_VERIFY(box->isVisible());

    box->showPopup();
    QAbstractItemView* view = box->view();
    QTRY_VERIFY(view->isVisible());
    QWidget* popup = view->window();
    const int rowHeight = view->visualRect(box->model()->index(0, 0)).height();
    QVERIFY(rowHeight > 0);
    // Rows at least partly in view.
    const int rows = (view->viewport()->height() + rowHeight - 1) / rowHeight;
    const QString where = QString("%1 rows of %2 px, list %3x%4 at %5,%6 in window %7,%8 %9x%10")
                              .arg(rows).arg(rowHeight).arg(popup->width()).arg(popup->height())
                              .arg(popup->x()).arg(popup->y()).arg(m_window->x()).arg(m_window->y())
                              .arg(m_window->width()).arg(m_window->height());
    QVERIFY2(rows <= qMin(maxRows, box->count()), qPrintable(where));
    QVERIFY2(rowHeight <= 40, qPrintable(where));
    QVERIFY2(m_window->frameGeometry().contains(popup->frameGeometry()), qPrintable(where));
    // Rows beyond the list's end can be found.
    QCOMPARE(view->verticalScrollBar()->isVisible(), box->count() > rows);
    box->hidePopup();
    QTRY_VERIFY(!view->isVisible());
}

QTEST_MAIN(tst_Choosers)
#include "tst_choosers.moc"
