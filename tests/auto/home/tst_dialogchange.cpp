#include "tst_dialogchangefixture.h"

#include "core/SettingsStore.h"
#include "core/Timing.h"
#include "platform/Registry.h"
#include "ui/settings/UpDateRepair.h"

#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QScopeGuard>
#include <QtTest>

using namespace listtest;

// The device list page: how the device pages are laid out and paged, the
// badges and pictures of each device, the folding of cable and receiver
// entries, the duplicate notice, and the page's own controls.
class tst_DialogChange : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { m_fx.tearDown(); }

    void layout_data();
    void layout();
    void paging_data();
    void paging();
    void badgesAndPictures_data();
    void badgesAndPictures();
    void pointerEnterRereadsTheDevice();
    void foldingAndDuplicates_data();
    void foldingAndDuplicates();
    void catalogueLargerThanFifteenModels();
    void unusableCatalogueIsNamed_data();
    void unusableCatalogueIsNamed();
    void deviceChangeRebuildsThePages();
    void firstScanWaitsForTheFirstFrame_data();
    void firstScanWaitsForTheFirstFrame();
    void repairButtonFollowsTheRecord();
    void repairButtonShowsWhatItDoes_data();
    void repairButtonShowsWhatItDoes();
    void languageChoice();
    void languageFromTheSettingsPageWritesNothing();
    void choiceThatCannotBeSavedSaysSo_data();
    void choiceThatCannotBeSavedSaysSo();
    void windowButtonsOnlyAsk();

private:
    ListFixture m_fx;
};

// n mice on their cables, models in catalogue order, spread over both cable
// product ids (the library lists at most five devices per id).
static QByteArray wiredMice(int n)
{
    static const int kMids[] = {7, 8, 9, 11, 12, 16, 17, 18, 22, 23};
    QJsonArray mice;
    for (int i = 0; i < n; ++i)
        mice.append(wiredMouse(QStringLiteral("m%1").arg(i), kMids[i], i % 2 ? "0A02" : "0A01"));
    return scenario(mice);
}

void tst_DialogChange::layout_data()
{
    QTest::addColumn<int>("devices");
    QTest::addColumn<QList<int>>("pageOf");      // per device index
    QTest::addColumn<QList<QPoint>>("buttonAt");  // per device index, on its page
    QTest::addColumn<QList<QPoint>>("badgeAt");   // offline and connection badge
    QTest::addColumn<bool>("rightArrow");

    const QList<QPoint> full{{0, 0}, {300, 0}, {600, 0}};
    const QList<QPoint> fullBadges{{225, 20}, {525, 20}, {825, 20}};
    QTest::newRow("none") << 0 << QList<int>{} << QList<QPoint>{} << QList<QPoint>{} << false;
    QTest::newRow("one, centred") << 1 << QList<int>{0} << QList<QPoint>{{305, 0}} << QList<QPoint>{{530, 20}}
                                  << false;
    QTest::newRow("three, one full page") << 3 << QList<int>{0, 0, 0} << full << fullBadges << false;
    QTest::newRow("four, a full page and one centred")
        << 4 << QList<int>{0, 0, 0, 1} << full + QList<QPoint>{{305, 0}} << fullBadges + QList<QPoint>{{530, 20}}
        << true;
    QTest::newRow("seven, two full pages and one centred")
        << 7 << QList<int>{0, 0, 0, 1, 1, 1, 2} << full + full + QList<QPoint>{{305, 0}}
        << fullBadges + fullBadges + QList<QPoint>{{530, 20}} << true;
    QTest::newRow("five, the last page with two")
        << 5 << QList<int>{0, 0, 0, 1, 1} << full + QList<QPoint>{{135, 0}, {445, 0}}
        << fullBadges + QList<QPoint>{{360, 20}, {665, 20}} << true;
}

void tst_DialogChange::layout()
{
    QFETCH(int, devices);
    QFETCH(QList<int>, pageOf);
    QFETCH(QList<QPoint>, buttonAt);
    QFETCH(QList<QPoint>, badgeAt);
    QFETCH(bool, rightArrow);

    QVERIFY(m_fx.setUp(wiredMice(devices)));
    QVERIFY(m_fx.createPage());

    QCOMPARE(g_DeviceList.size(), devices);
    QCOMPARE(m_fx.stack()->count(), devices ? pageOf.last() + 1 : 0);
    QCOMPARE(m_fx.stack()->currentIndex(), devices ? 0 : -1);
    QCOMPARE(m_fx.label("label_2")->isVisible(), devices == 0);
    QCOMPARE(m_fx.label("label_3")->isVisible(), devices > 0);
    QCOMPARE(m_fx.toolButton("RightButton")->isHidden(), !rightArrow);
    QVERIFY(m_fx.toolButton("LeftButton")->isHidden());
    QCOMPARE(m_fx.deviceButtons().size(), devices);

    for (int i = 0; i < devices; ++i) {
        QToolButton* button = m_fx.toolButton(QStringLiteral("btn%1").arg(i));
        QVERIFY(button);
        QCOMPARE(button->parentWidget(), m_fx.stack()->widget(pageOf.at(i)));
        QCOMPARE(button->geometry(), QRect(buttonAt.at(i), QSize(284, 360)));
        // Both badges share one spot.
        QCOMPARE(m_fx.label(QStringLiteral("label%1").arg(i))->pos(), badgeAt.at(i));
        QCOMPARE(m_fx.label(QStringLiteral("UsbWifi%1").arg(i))->pos(), badgeAt.at(i));
        QCOMPARE(m_fx.label(QStringLiteral("label%1").arg(i))->size(), QSize(32, 32));
    }
}

void tst_DialogChange::paging_data()
{
    QTest::addColumn<int>("devices");
    QTest::addColumn<QString>("clicks");  // R right, L left
    // After each click: page, left arrow shown, right arrow shown.
    QTest::addColumn<QList<int>>("pages");
    QTest::addColumn<QList<bool>>("left");
    QTest::addColumn<QList<bool>>("right");

    QTest::newRow("two pages: one arrow on each") << 4 << "RL" << QList<int>{1, 0} << QList<bool>{true, false}
                                                  << QList<bool>{false, true};
    // A middle page keeps the arrow that was shown when it was reached.
    QTest::newRow("three pages there and back")
        << 7 << "RRLL" << QList<int>{1, 2, 1, 0} << QList<bool>{false, true, true, false}
        << QList<bool>{true, false, false, true};
}

void tst_DialogChange::paging()
{
    QFETCH(int, devices);
    QFETCH(QString, clicks);
    QFETCH(QList<int>, pages);
    QFETCH(QList<bool>, left);
    QFETCH(QList<bool>, right);

    QVERIFY(m_fx.setUp(wiredMice(devices)));
    QVERIFY(m_fx.createPage());
    for (int i = 0; i < clicks.size(); ++i) {
        QTest::mouseClick(m_fx.toolButton(clicks.at(i) == 'R' ? "RightButton" : "LeftButton"), Qt::LeftButton);
        QCOMPARE(m_fx.stack()->currentIndex(), pages.at(i));
        QCOMPARE(m_fx.toolButton("LeftButton")->isVisible(), left.at(i));
        QCOMPARE(m_fx.toolButton("RightButton")->isVisible(), right.at(i));
        QVERIFY(m_fx.label("label_2")->isHidden());
        QVERIFY(m_fx.label("label_3")->isVisible());
    }
}

void tst_DialogChange::badgesAndPictures_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<bool>("offlineBadge");
    QTest::addColumn<QString>("connectionBadge");  // empty: hidden
    QTest::addColumn<QString>("rateBadge");        // empty: none

    QTest::newRow("mouse on its cable") << "m7" << "OnLine0.png" << false << "OnLineUsb.png" << "";
    QTest::newRow("1K receiver, mouse on") << "r8" << "OnLine1.png" << false << "OnLineWifi.png" << "1KHz.png";
    QTest::newRow("2K receiver, mouse on") << "r9" << "OnLine2.png" << false << "OnLineWifi.png" << "2KHz.png";
    QTest::newRow("4K receiver, mouse on") << "r11" << "OnLine3.png" << false << "OnLineWifi.png" << "4KHz.png";
    QTest::newRow("8K receiver, mouse off") << "r17" << "DisOnlin6.png" << true << "" << "8KHz.png";
    QTest::newRow("model outside the catalogue") << "m99" << "Unknow.png" << false << "OnLineUsb.png" << "";
}

void tst_DialogChange::badgesAndPictures()
{
    QFETCH(QString, device);
    QFETCH(QString, picture);
    QFETCH(bool, offlineBadge);
    QFETCH(QString, connectionBadge);
    QFETCH(QString, rateBadge);

    const QJsonArray mice{wiredMouse("m7", 7), wirelessMouse("m8", 8, 1, "r8"), wirelessMouse("m9", 9, 2, "r9"),
                          wirelessMouse("m11", 11, 4, "r11"), wirelessMouse("m17", 17, 8, "r17", false),
                          wiredMouse("m99", 99, "0A02")};
    const QJsonArray receivers{receiver("r8", 1, 8), receiver("r9", 2, 9), receiver("r11", 4, 11),
                               receiver("r17", 8, 17)};
    QVERIFY(m_fx.setUp(scenario(mice, receivers)));
    QVERIFY(m_fx.createPage());
    QCOMPARE(g_DeviceList.size(), 6);

    const int i = ListFixture::indexOf(device);
    QVERIFY(i >= 0);
    QToolButton* button = m_fx.toolButton(QStringLiteral("btn%1").arg(i));
    QCOMPARE(button->property("picture").toString(), picture);
    QLabel* offline = m_fx.label(QStringLiteral("label%1").arg(i));
    QLabel* connection = m_fx.label(QStringLiteral("UsbWifi%1").arg(i));
    QCOMPARE(offline->isHidden(), !offlineBadge);
    QCOMPARE(offline->toolTip(),
             LanguageTables::text(LanguageSection::DialogChange, 0, 5) + "\n"
                 + LanguageTables::text(LanguageSection::DialogChange, 0, 6));
    QCOMPARE(connection->isHidden(), connectionBadge.isEmpty());
    if (!connectionBadge.isEmpty())
        QCOMPARE(connection->property("picture").toString(), connectionBadge);

    QString rate;
    for (QLabel* l : button->parentWidget()->findChildren<QLabel*>()) {
        if (l->objectName().isEmpty() && l->pos() == button->pos() + QPoint(7, 10)) {
            QCOMPARE(l->size(), QSize(42, 26));
            rate = l->property("picture").toString();
        }
    }
    QCOMPARE(rate, rateBadge);
}

void tst_DialogChange::pointerEnterRereadsTheDevice()
{
    QVERIFY(m_fx.setUp(scenario({wirelessMouse("m11", 11, 4, "r11"), wiredMouse("m7", 7)}, {receiver("r11", 4, 11)})));
    QVERIFY(m_fx.createPage());
    QToolButton* receiverButton = m_fx.buttonOf("r11");
    QToolButton* cableButton = m_fx.buttonOf("m7");
    QVERIFY(receiverButton && cableButton);
    QCOMPARE(receiverButton->property("picture").toString(), QString("OnLine3.png"));

    QVERIFY(HidSimControl::setPowered("m11", false));
    // Entering another button re-reads only that one.
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(cableButton, &enter);
    QCOMPARE(receiverButton->property("picture").toString(), QString("OnLine3.png"));

    QCoreApplication::sendEvent(receiverButton, &enter);
    QCOMPARE(receiverButton->property("picture").toString(), QString("DisOnlin3.png"));
    const int i = ListFixture::indexOf("r11");
    QVERIFY(!m_fx.label(QStringLiteral("label%1").arg(i))->isHidden());
    QVERIFY(m_fx.label(QStringLiteral("UsbWifi%1").arg(i))->isHidden());
    QCOMPARE(g_DeviceList.at(i).online, quint8(0));

    QVERIFY(HidSimControl::setPowered("m11", true));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(receiverButton, &leave);
    QCOMPARE(receiverButton->property("picture").toString(), QString("DisOnlin3.png"));
    QCoreApplication::sendEvent(receiverButton, &enter);
    QCOMPARE(receiverButton->property("picture").toString(), QString("OnLine3.png"));
}

void tst_DialogChange::foldingAndDuplicates_data()
{
    QTest::addColumn<QByteArray>("devices");
    QTest::addColumn<QStringList>("listed");  // simulated ids with a button
    QTest::addColumn<bool>("notice");

    QJsonObject cabled = wirelessMouse("m8", 8, 1, "r8");
    cabled.insert("cable", true);
    QTest::newRow("mouse on its cable and its receiver: the cable entry only")
        << scenario({cabled}, {receiver("r8", 1, 8)})
        << QStringList{"m8"} << false;
    QTest::newRow("receivers of one model but different kinds")
        << scenario({wirelessMouse("m8", 8, 1, "r8")}, {receiver("r8", 1, 8), receiver("r8b", 4, 8, "4C0802")})
        << QStringList{"r8", "r8b"} << false;
    QTest::newRow("two receivers of the same kind and model")
        << scenario({wirelessMouse("m8", 8, 1, "r8")}, {receiver("r8", 1, 8), receiver("r8b", 1, 8, "1C0802")})
        << QStringList{} << true;
    QTest::newRow("two mice of one model on their cables")
        << scenario({wiredMouse("m7", 7), wiredMouse("m7b", 7, "0A02")}) << QStringList{} << true;
    QTest::newRow("two models outside the catalogue on their cables")
        << scenario({wiredMouse("m98", 98), wiredMouse("m99", 99, "0A02")}) << QStringList{} << true;
    QTest::newRow("outside the catalogue, one cable and one receiver")
        << scenario({wiredMouse("m98", 98)}, {receiver("r99", 1, 99)}) << QStringList{"m98", "r99"} << false;
}

void tst_DialogChange::foldingAndDuplicates()
{
    QFETCH(QByteArray, devices);
    QFETCH(QStringList, listed);
    QFETCH(bool, notice);

    QVERIFY(m_fx.setUp(devices));
    ModalDialogDriver driver;
    if (notice)
        driver.expect("QuestiondialogB", [](QWidget* d) { ModalDialogDriver::click(d, "CloseButton"); });
    else
        driver.forbidDialogs(true);
    QVERIFY(m_fx.createPage());
    QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(driver.seen().size(), notice ? 1 : 0);

    QCOMPARE(m_fx.deviceButtons().size(), listed.size());
    for (const QString& id : listed)
        QVERIFY2(m_fx.buttonOf(id), qPrintable(id));
    if (notice) {
        QCOMPARE(m_fx.stack()->count(), 0);
        QVERIFY(m_fx.label("label_2")->isVisible());
        QVERIFY(m_fx.label("label_3")->isHidden());
        QVERIFY(m_fx.toolButton("LeftButton")->isHidden());
        QVERIFY(m_fx.toolButton("RightButton")->isHidden());
    }
}

void tst_DialogChange::catalogueLargerThanFifteenModels()
{
    // Twenty models; the devices are of models 17 to 20.
    QString catalogue = homeCatalogue();
    catalogue.replace("DeviceTotal=10", "DeviceTotal=20");
    for (int n = 11; n <= 20; ++n)
        catalogue += QStringLiteral("\n[Drive%1]\nMID=%2\n").arg(n).arg(40 + n);
    QVERIFY(m_fx.setUp(scenario({wiredMouse("a", 57), wiredMouse("b", 58, "0A02")},
                                {receiver("r1", 1, 59), receiver("r2", 1, 59, "1C0802")}),
                       catalogue));
    ModalDialogDriver driver;
    driver.expect("QuestiondialogB", [](QWidget* d) { ModalDialogDriver::click(d, "CloseButton"); });
    QVERIFY(m_fx.createPage());
    QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(m_fx.deviceButtons().size(), 0);

    // Without the second receiver of model 19 every device gets its button.
    QVERIFY(HidSimControl::unplug("r2"));
    QTRY_COMPARE(m_fx.deviceButtons().size(), 3);
    QCOMPARE(g_DeviceList.at(ListFixture::indexOf("a")).modelIndex, 16);
}

void tst_DialogChange::unusableCatalogueIsNamed_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");

    QTest::newRow("no model count") << "DeviceTotal=10" << "";
    QTest::newRow("no models") << "DeviceTotal=10" << "DeviceTotal=0";
    QTest::newRow("count not a number") << "DeviceTotal=10" << "DeviceTotal=ten";
    QTest::newRow("more models than groups") << "DeviceTotal=10" << "DeviceTotal=12";
    QTest::newRow("count beyond any catalogue") << "DeviceTotal=10" << "DeviceTotal=2147483647";
    QTest::newRow("no catalogue at all") << "" << "";
}

// A catalogue that describes no usable model: the page names the file once,
// lists nothing, and does not take the devices for identical ones.
void tst_DialogChange::unusableCatalogueIsNamed()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QString catalogue = homeCatalogue();
    if (from.isEmpty())
        catalogue = "; nothing usable\n";
    else
        catalogue.replace(from, to);
    QVERIFY(m_fx.setUp(scenario({wiredMouse("m98", 98), wiredMouse("m99", 99, "0A02")}), catalogue));
    ModalDialogDriver driver;
    driver.forbidDialogs(true);
    QVERIFY(m_fx.createPage());
    QTest::qWait(50);
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(driver.seen().size(), 0);

    QCOMPARE(m_fx.deviceButtons().size(), 0);
    QVERIFY(m_fx.label("label_2")->isVisible());
    QVERIFY(m_fx.label("label_3")->isHidden());
    const QString path = QDir::toNativeSeparators(m_fx.link.appDir() + "/usersetting/Config.ini");
    QCOMPARE(m_fx.label("label_2")->text(), LanguageTables::text(LanguageSection::FileNotice, 0, 0).arg(path));
    // In the language the user picks, too.
    PostMsg::GetInstance()->PostAllLanguage(1);
    QCOMPARE(m_fx.label("label_2")->text(), LanguageTables::text(LanguageSection::FileNotice, 1, 0).arg(path));
    PostMsg::GetInstance()->PostAllLanguage(0);
}

void tst_DialogChange::choiceThatCannotBeSavedSaysSo_data()
{
    QTest::addColumn<bool>("writable");
    QTest::addColumn<bool>("language");  // the language chooser, else the do-not-show-again box

    QTest::newRow("language, settings file writable") << true << true;
    QTest::newRow("language, settings file not writable") << false << true;
    QTest::newRow("do-not-show-again, settings file not writable") << false << false;
}

// A choice that cannot be written to the settings file would be lost at the
// next start: the user is told at once, in the language now shown.
void tst_DialogChange::choiceThatCannotBeSavedSaysSo()
{
    QFETCH(bool, writable);
    QFETCH(bool, language);
    QVERIFY(m_fx.setUp(wiredMice(1)));
    const QString ini = AppPaths::macroIniPath();
    if (!writable) {
        // A folder in the file's place: no write can succeed, not even as root.
        QFile::remove(ini);
        QVERIFY(QDir().mkpath(ini + "/x"));
    }
    SettingsStore::resetForTests();
    QVERIFY(m_fx.createPage());

    QString told;
    ModalDialogDriver driver;
    if (writable) {
        driver.forbidDialogs(true);
    } else {
        driver.expect("SettingsNotSaved", [&](QWidget* d) {
            told = ModalDialogDriver::labelText(d, "label");
            ModalDialogDriver::click(d, "CloseButton");
        });
    }
    if (language)
        emit m_fx.page->findChild<QComboBox*>("comboBox")->activated(2);
    else
        m_fx.page->on_NoApear_clicked(true);
    QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(driver.seen().size(), writable ? 0 : 1);
    if (!writable)
        QCOMPARE(told, LanguageTables::text(LanguageSection::FileNotice, language ? 2 : 0, 1));

    PostMsg::GetInstance()->PostAllLanguage(0);
    g_LanguageIndex = 0;
    QDir(ini).removeRecursively();
    SettingsStore::resetForTests();
}

void tst_DialogChange::deviceChangeRebuildsThePages()
{
    QVERIFY(m_fx.setUp(wiredMice(3)));
    QVERIFY(m_fx.createPage());
    QCOMPARE(m_fx.deviceButtons().size(), 3);
    QVERIFY(HidSimControl::unplug("m1"));
    QTRY_COMPARE(m_fx.deviceButtons().size(), 2);
    QCOMPARE(m_fx.stack()->count(), 1);
    QCOMPARE(m_fx.toolButton("btn1")->pos(), QPoint(445, 0));
    QVERIFY(HidSimControl::unplug("m0"));
    QVERIFY(HidSimControl::unplug("m2"));
    QTRY_VERIFY(m_fx.label("label_3")->isHidden());
    QCOMPARE(m_fx.stack()->count(), 0);
    QVERIFY(m_fx.label("label_2")->isVisible());
    QCOMPARE(m_fx.label("label_2")->text(), LanguageTables::text(LanguageSection::DialogChange, 0, 0));
}

// Counts the page's paint events and notes what the first one showed.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(ListFixture* fx) : m_fx(fx) {}
    int paints = 0;
    int buttonsAtFirstPaint = -1;
    bool messageAtFirstPaint = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched == m_fx->page.get() && paints++ == 0) {
            buttonsAtFirstPaint = m_fx->deviceButtons().size();
            messageAtFirstPaint = m_fx->label("label_2")->isVisible() || m_fx->label("label_3")->isVisible();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    ListFixture* m_fx;
};

void tst_DialogChange::firstScanWaitsForTheFirstFrame_data()
{
    QTest::addColumn<bool>("painted");
    QTest::newRow("window painted") << true;
    // A window that is never painted (the desktop never exposes it) still lists its devices.
    QTest::newRow("window never painted") << false;
}

void tst_DialogChange::firstScanWaitsForTheFirstFrame()
{
    QFETCH(bool, painted);
    QVERIFY(m_fx.setUp(wiredMice(3)));
    // Where the window is painted, the fallback for a frame that never comes is
    // pushed out of reach: however slowly the first frame comes, it comes first.
    const double scale = Timing::scale();
    if (painted)
        Timing::setScale(10000);
    auto restoreScale = qScopeGuard([scale] { Timing::setScale(scale); });

    m_fx.page.reset(new DialogChange(nullptr));
    PaintWatch watch(&m_fx);
    m_fx.page->installEventFilter(&watch);
    m_fx.page->setUpdatesEnabled(painted);
    m_fx.page->show();

    QTRY_COMPARE_WITH_TIMEOUT(m_fx.deviceButtons().size(), 3, 5000);
    QVERIFY(m_fx.label("label_3")->isVisible());
    if (painted) {
        QCOMPARE(watch.buttonsAtFirstPaint, 0);
        // No "connect a device" flashes up while the devices are still being listed.
        QVERIFY(!watch.messageAtFirstPaint);
        QTRY_VERIFY(watch.paints > 1);
    } else {
        QCOMPARE(watch.paints, 0);
    }
}

void tst_DialogChange::repairButtonFollowsTheRecord()
{
    QVERIFY(m_fx.setUp(wiredMice(1)));
    const QString key = Registry::mouseDriveTestKeyPath();
    QVERIFY(Registry::setValue(key, "UpdateFailInfo", "211,4,51,11"));
    QVERIFY(m_fx.createPage());
    auto* repair = m_fx.page->findChild<QPushButton*>("Repair");
    const QString text0 = LanguageTables::text(LanguageSection::DialogChange, 0, 0);
    const QString text2 = LanguageTables::text(LanguageSection::DialogChange, 0, 2);
    QVERIFY(repair->isVisible());
    QCOMPARE(m_fx.label("label_2")->text(), text2);

    // The repair dialog reports the outcome of its run.
    emit PostMsg::GetInstance()->SigUpDateButton(true);
    QVERIFY(repair->isHidden());
    QCOMPARE(m_fx.label("label_2")->text(), text0);
    emit PostMsg::GetInstance()->SigUpDateButton(false);
    QVERIFY(repair->isVisible());
    QCOMPARE(m_fx.label("label_2")->text(), text2);

    // Enter opens the repair dialog like a click, centred on the page.
    UpDateRepair repairDialog;
    g_UpDateRepairDialog = &repairDialog;
    PostMsg::GetInstance()->PostEnterKey();
    QVERIFY(repairDialog.isVisible());
    QVERIFY(repairDialog.isModal());
    QCOMPARE(repairDialog.pos(), m_fx.page->mapToGlobal(QPoint(0, 0))
                                     + QPoint((1020 - repairDialog.width()) / 2, (700 - repairDialog.height()) / 2));
    repairDialog.hide();

    // Every device change reads the record again.
    QVERIFY(Registry::remove(key, "UpdateFailInfo"));
    QVERIFY(HidSimControl::unplug("m0"));
    QTRY_VERIFY(repair->isHidden());
    QCOMPARE(m_fx.label("label_2")->text(), text0);
    PostMsg::GetInstance()->PostEnterKey();
    QVERIFY(!repairDialog.isVisible());
    g_UpDateRepairDialog = nullptr;
}

void tst_DialogChange::repairButtonShowsWhatItDoes_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("English") << 0;
    QTest::newRow("German") << 1;
    QTest::newRow("Traditional Chinese") << 8;
}

// The Repair button has no caption in any language: its picture must carry a
// sign in the frame's amber, in the middle of the button as the page shows it.
void tst_DialogChange::repairButtonShowsWhatItDoes()
{
    QFETCH(int, language);
    QVERIFY(m_fx.setUp(wiredMice(0)));
    const QString pictures = m_fx.link.appDir() + "/Picture";
    QFile::remove(pictures);
    QVERIFY(QFile::link(QStringLiteral(DESKLINK_APP_DIR "/Picture"), pictures));
    const auto unlink = qScopeGuard([&] { QFile::remove(pictures); });
    QVERIFY(Registry::setValue(Registry::mouseDriveTestKeyPath(), "UpdateFailInfo", "211,4,51,11"));
    QVERIFY(m_fx.createPage());
    m_fx.page->SlotAllLanguage(language);
    auto* repair = m_fx.page->findChild<QPushButton*>("Repair");
    QVERIFY(repair->isVisible());
    QVERIFY(repair->text().isEmpty());

    const QImage shot = m_fx.page->grab().toImage();
    const QRect button(repair->mapTo(m_fx.page.get(), QPoint(0, 0)), repair->size());
    const QRect inside = button.adjusted(4, 4, -4, -4);
    int marks = 0;
    QPoint sum;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QRgb c = shot.pixel(x, y);
            if (qRed(c) > 200 && qGreen(c) > 140 && qBlue(c) < 100) {
                ++marks;
                sum += QPoint(x, y);
            }
        }
    }
    QVERIFY2(marks >= 40, qPrintable(QString("%1 marked pixels inside the frame").arg(marks)));
    const QPoint centre = sum / marks;
    QVERIFY2((centre - button.center()).manhattanLength() <= 8,
             qPrintable(QString("sign at (%1,%2)").arg(centre.x()).arg(centre.y())));
}

void tst_DialogChange::languageChoice()
{
    QVERIFY(m_fx.setUp(wiredMice(1)));
    QVERIFY(m_fx.createPage());
    QStringList order;
    QString storedWhenPagesChanged;
    auto* bus = PostMsg::GetInstance();
    QMetaObject::Connection a = connect(bus, &PostMsg::SigAllLanguage, this, [&](int l) {
        order << QStringLiteral("AllLanguage(%1)").arg(l);
        storedWhenPagesChanged = SettingsStore::instance()->value("Language", "Language");
    });
    QMetaObject::Connection b = connect(bus, &PostMsg::SigLanguageSameB, this,
                                        [&](int l) { order << QStringLiteral("LanguageSameB(%1)").arg(l); });

    auto* combo = m_fx.page->findChild<QComboBox*>("comboBox");
    QCOMPARE(combo->count(), 10);
    QCOMPARE(combo->itemText(8), QString::fromUtf8("繁体中文"));
    emit combo->activated(2);
    disconnect(a);
    disconnect(b);

    QCOMPARE(order, (QStringList{"AllLanguage(2)", "LanguageSameB(2)"}));
    QCOMPARE(storedWhenPagesChanged, QString("2"));
    QCOMPARE(g_LanguageIndex, 2);
    QCOMPARE(m_fx.label("label_3")->text(), LanguageTables::text(LanguageSection::DialogChange, 2, 1));
    QCOMPARE(g_ReceiverUpdateText, LanguageTables::text(LanguageSection::DialogChange, 2, 8));
    QCOMPARE(m_fx.label("label0")->toolTip(),
             LanguageTables::text(LanguageSection::DialogChange, 2, 5) + "\n"
                 + LanguageTables::text(LanguageSection::DialogChange, 2, 6));
    g_LanguageIndex = 0;
}

void tst_DialogChange::languageFromTheSettingsPageWritesNothing()
{
    QVERIFY(m_fx.setUp(wiredMice(0)));
    QVERIFY(m_fx.createPage());
    auto* combo = m_fx.page->findChild<QComboBox*>("comboBox");
    QSignalSpy all(PostMsg::GetInstance(), &PostMsg::SigAllLanguage);
    QSignalSpy same(PostMsg::GetInstance(), &PostMsg::SigLanguageSameB);
    QSignalSpy changed(combo, qOverload<int>(&QComboBox::currentIndexChanged));
    const QString stored = SettingsStore::instance()->value("Language", "Language");
    PostMsg::GetInstance()->PostLanguageSameA(5);
    QCOMPARE(combo->currentIndex(), 5);
    QCOMPARE(all.count(), 0);
    QCOMPARE(same.count(), 0);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(SettingsStore::instance()->value("Language", "Language"), stored);

    // A re-translation restores the form's own texts and the first entry, silently.
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(m_fx.page.get(), &change);
    QCOMPARE(combo->currentIndex(), 0);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(m_fx.label("label_3")->text(), QString::fromUtf8("点击图案进入使用"));
}

void tst_DialogChange::windowButtonsOnlyAsk()
{
    QVERIFY(m_fx.setUp(wiredMice(0)));
    QVERIFY(m_fx.createPage());
    QSignalSpy size(PostMsg::GetInstance(), &PostMsg::SigChangeSize);
    QTest::mouseClick(m_fx.toolButton("MinButton"), Qt::LeftButton);
    QTest::mouseClick(m_fx.toolButton("CloseButton"), Qt::LeftButton);
    QCOMPARE(size.count(), 2);
    QCOMPARE(size.at(0).at(0).toInt(), 2);
    QCOMPARE(size.at(1).at(0).toInt(), 3);
    QVERIFY(m_fx.page->isVisible());
}

QTEST_MAIN(tst_DialogChange)
#include "tst_dialogchange.moc"
