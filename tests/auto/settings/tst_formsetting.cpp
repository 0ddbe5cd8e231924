#include "DeviceLinkFixture.h"
#include "ModalDialogDriver.h"
#include "UnreadableFile.h"
#include "UnwritableFolder.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/PostMsg.h"
#include "core/SettingsStore.h"
#include "platform/AutoStart.h"
#include "platform/Launcher.h"
#include "device/FirmwareImageSearch.h"
#include "device/WorkingImage.h"
#include "platform/Registry.h"
#include "ui/sensor/MyConmboBox.h"
#include "ui/settings/FormSetting.h"
#include "ui/settings/UpDateRepair.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QImage>
#include <QTemporaryDir>
#include <QUrl>
#include <QLabel>
#include <QMutexLocker>
#include <QPushButton>
#include <QtEndian>
#include <QtTest>

// The settings page as far as the device list and the device link use it:
// the firmware question for the current model, the version display and the
// language choice.
class tst_FormSetting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void constructionCreatesTheRepairDialog();
    void hasNewerFirmware_data();
    void hasNewerFirmware();
    void versionDisplay();
    void receiverHint();
    void languageChoice();
    void pageIsDarkAndReadable_data();
    void pageIsDarkAndReadable();
    void updateButtonStaysInItsColumn_data();
    void updateButtonStaysInItsColumn();
    void startWithTheSystem();
    void startThatCannotBeArrangedSaysSo();
    void boxShowsTheStartThatStands_data();
    void boxShowsTheStartThatStands();
    void autostartEntry_data();
    void autostartEntry();
    void mouseSettingsToolPerDesktop_data();
    void mouseSettingsToolPerDesktop();
    void webAddress_data();
    void webAddress();
    void idleLightOff_data();
    void idleLightOff();
    void refusedIdleTimeShowsWhatTheMouseHolds();

private:
    void writeImage(quint8 type, const QByteArray& name, quint32 version);
    void setCurrent(const DeviceAllInfo& device);

    DeviceLinkFixture m_link;
};

static QString catalogue()
{
    QFile file(QStringLiteral(DESKLINK_TEST_DATA_DIR) + "/home/Config.ini");
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void tst_FormSetting::initTestCase()
{
    AppPaths::setApplicationDirOverride(QStringLiteral(DESKLINK_APP_DIR));
    LanguageTables::load();
    AppPaths::setApplicationDirOverride(QString());
}

void tst_FormSetting::init()
{
    QDir(m_link.appDir() + "/bin").removeRecursively();
    QVERIFY(m_link.setUp(QByteArray("{\"vendorId\":\"3A7C\",\"mice\":[],\"receivers\":[]}"), catalogue()));
}

void tst_FormSetting::cleanup()
{
    delete g_UpDateRepairDialog;
    g_UpDateRepairDialog = nullptr;
    m_link.tearDown();
    g_LanguageIndex = 0;
}

void tst_FormSetting::writeImage(quint8 type, const QByteArray& name, quint32 version)
{
    QVERIFY(QDir().mkpath(m_link.appDir() + "/bin"));
    QByteArray bytes(728, '\0');
    qToLittleEndian<quint32>(version, reinterpret_cast<uchar*>(bytes.data()) + 0x10);
    bytes[0x14] = char(type);
    bytes[0x15] = char(51);
    bytes[0x16] = char(8);
    bytes.replace(0x57, name.size(), name);
    QFile f(m_link.appDir() + "/bin/" + name + ".bin");
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void tst_FormSetting::setCurrent(const DeviceAllInfo& device)
{
    QMutexLocker lock(&g_CurrentDeviceMutex);
    g_CurrentDevice = device;
}

// The current device is model 8 (catalogue group 2: "ORX-M8", 1K "ORX-R1K", 4K "ORX-R4K").
static DeviceAllInfo model8(quint8 connectionType, const QString& receiverVersion, const QString& mouseVersion)
{
    DeviceAllInfo d;
    d.path = "model8";
    d.cid = 51;
    d.mid = 8;
    d.modelIndex = 1;
    d.connectionType = connectionType;
    d.direct = DeviceAllInfo::isDirectConnection(connectionType);
    d.online = 1;
    d.receiverVersion = receiverVersion;
    d.firmwareVersion = mouseVersion;
    return d;
}

void tst_FormSetting::constructionCreatesTheRepairDialog()
{
    QVERIFY(!g_UpDateRepairDialog);
    FormSetting page;
    QVERIFY(g_UpDateRepairDialog);
    QVERIFY(!g_UpDateRepairDialog->isVisible());
    QCOMPARE(page.size(), QSize(880, 630));
}

void tst_FormSetting::hasNewerFirmware_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("newer");

    // Images in bin: mouse "ORX-M8" v1.4, receivers "ORX-R1K" v1.4 and "ORX-R4K" v1.3.
    QTest::newRow("mouse of an older version") << 210 << "v1.3" << 0 << true;
    QTest::newRow("mouse already at the image's version") << 210 << "v1.4" << 0 << false;
    QTest::newRow("mouse version unknown") << 210 << "" << 0 << false;
    QTest::newRow("1K receiver") << 211 << "v1.3" << 1 << true;
    QTest::newRow("4K receiver at the image's version") << 211 << "v1.3" << 4 << false;
    QTest::newRow("4K receiver of another version") << 211 << "v1.5" << 4 << true;
    QTest::newRow("2K receiver: the model names none") << 211 << "v1.3" << 2 << false;
    QTest::newRow("no receiver kind") << 211 << "v1.3" << 0 << false;
    QTest::newRow("kind outside 1, 2, 4, 8") << 211 << "v1.3" << 3 << false;
}

void tst_FormSetting::hasNewerFirmware()
{
    QFETCH(int, type);
    QFETCH(QString, version);
    QFETCH(int, kind);
    QFETCH(bool, newer);

    writeImage(210, "ORX-M8", 0x0104);
    writeImage(211, "ORX-R1K", 0x0104);
    writeImage(211, "ORX-R4K", 0x0103);
    setCurrent(model8(0, "v1.3", "v1.3"));
    QCOMPARE(HasNewerFirmware(type, version, kind), newer);
}

void tst_FormSetting::versionDisplay()
{
    writeImage(210, "ORX-M8", 0x0104);
    FormSetting page;
    // The page takes its texts from the start-up broadcast.
    PostMsg::GetInstance()->PostAllLanguage(0);
    auto* receiverLabel = page.findChild<QLabel*>("label_5");
    auto* mouseLabel = page.findChild<QLabel*>("label_7");
    auto* update = page.findChild<QPushButton*>("Receive_2");

    // A 4K receiver with its mouse: both versions, and the newer mouse image.
    setCurrent(model8(1, "v1.3", "v1.3"));
    PostMsg::GetInstance()->PostSetver(0);
    QCOMPARE(receiverLabel->text(), QString("v1.3"));
    QCOMPARE(mouseLabel->text(), QString("v1.3"));
    QVERIFY(g_MouseUpdateRequested);
    QVERIFY(!g_DongleUpdateRequested);
    QVERIFY(update->styleSheet().contains("WaitUpdate.png"));

    // Opening another device clears both.
    PostMsg::GetInstance()->PostSetver(6);
    QCOMPARE(receiverLabel->text(), QString());
    QCOMPARE(mouseLabel->text(), QString());

    // Offline: only the stored receiver version.
    DeviceAllInfo offline = model8(1, "v1.2", "v1.4");
    offline.online = 0;
    setCurrent(offline);
    PostMsg::GetInstance()->PostSetver(5);
    QCOMPARE(receiverLabel->text(), QString("v1.2"));
    QCOMPARE(mouseLabel->text(), QString());
    QCOMPARE(update->text(), LanguageTables::text(LanguageSection::FormSetting, 0, 7));
}

void tst_FormSetting::receiverHint()
{
    // A model with a receiver: the update can run for it.
    setCurrent(model8(1, "v1.3", "v1.3"));
    FormSetting page;
    auto* update = page.findChild<QPushButton*>("Receive_2");
    PostMsg::GetInstance()->PostLabelTextB("v1.5", "true");
    QCOMPARE(page.findChild<QLabel*>("label_5")->text(), QString("v1.5"));
    QVERIFY(update->styleSheet().contains("WaitUpdate.png"));
    PostMsg::GetInstance()->PostLabelTextB("v1.6", "");
    QCOMPARE(page.findChild<QLabel*>("label_5")->text(), QString("v1.6"));
    QVERIFY(update->styleSheet().contains("Confirm.png"));
    QVERIFY(!update->styleSheet().contains("WaitUpdate.png"));
}

void tst_FormSetting::languageChoice()
{
    FormSetting page;
    PostMsg::GetInstance()->PostAllLanguage(0);
    auto* combo = page.findChild<QComboBox*>("comboBox");
    QCOMPARE(combo->count(), 10);
    QCOMPARE(page.findChild<QLabel*>("label_2")->text(), LanguageTables::text(LanguageSection::FormSetting, 0, 1));

    QStringList order;
    auto* bus = PostMsg::GetInstance();
    auto a = connect(bus, &PostMsg::SigAllLanguage, this, [&](int l) { order << QStringLiteral("AllLanguage(%1)").arg(l); });
    auto b = connect(bus, &PostMsg::SigLanguageSameA, this,
                     [&](int l) { order << QStringLiteral("LanguageSameA(%1)").arg(l); });
    auto c = connect(bus, &PostMsg::SigLanguageSameB, this,
                     [&](int l) { order << QStringLiteral("LanguageSameB(%1)").arg(l); });
    emit combo->activated(3);
    QCOMPARE(order, (QStringList{"AllLanguage(3)", "LanguageSameA(3)"}));
    QCOMPARE(SettingsStore::instance()->value("Language", "Language"), QString("3"));
    QCOMPARE(g_LanguageIndex, 3);
    QCOMPARE(page.findChild<QLabel*>("label_2")->text(), LanguageTables::text(LanguageSection::FormSetting, 3, 1));
    QCOMPARE(g_UpdateWarningText, LanguageTables::text(LanguageSection::FormSetting, 3, 14));

    // The device list's choice moves the box and nothing else.
    order.clear();
    bus->PostLanguageSameB(6);
    QCOMPARE(combo->currentIndex(), 6);
    QCOMPARE(order, QStringList{"LanguageSameB(6)"});
    QCOMPARE(SettingsStore::instance()->value("Language", "Language"), QString("3"));
    disconnect(a);
    disconnect(b);
    disconnect(c);
}

static int luminance(QRgb c)
{
    return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000;
}

void tst_FormSetting::pageIsDarkAndReadable_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("English") << 0;
    QTest::newRow("German") << 1;
    QTest::newRow("Traditional Chinese") << 8;
}

// The page is drawn over the home page's dark background: its body must let
// that through, and its texts must stand out against it.
void tst_FormSetting::pageIsDarkAndReadable()
{
    QFETCH(int, language);
    FormSetting page;
    page.SlotAllLanguage(language);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));

    QImage shot(page.size(), QImage::Format_RGB32);
    const QColor background(24, 27, 33);
    shot.fill(background);
    page.render(&shot, QPoint(), QRegion(), QWidget::DrawChildren);

    // Empty body areas of both columns keep the background.
    for (const QPoint& p : {QPoint(700, 400), QPoint(440, 200), QPoint(300, 300)})
        QVERIFY2(luminance(shot.pixel(p)) < 60, qPrintable(QString("(%1,%2)").arg(p.x()).arg(p.y())));
    // Every title, caption and the footer shows bright text.
    for (const char* name : {"label", "label_2", "label_3", "label_4", "label_8", "label_9", "label_10", "label_12",
                             "pushButton_3", "pushButton_4"}) {
        auto* w = page.findChild<QWidget*>(name);
        QVERIFY(w);
        const QRect r(w->mapTo(&page, QPoint(0, 0)), w->size());
        int brightest = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                brightest = qMax(brightest, luminance(shot.pixel(x, y)));
        QVERIFY2(brightest > 150, name);
    }
}

void tst_FormSetting::updateButtonStaysInItsColumn_data()
{
    QTest::addColumn<int>("language");
    const char* const names[] = {"English", "German", "French", "Spanish", "Italian",
                                 "Dutch", "Polish", "Romanian", "Traditional Chinese", "Ukrainian"};
    for (int language = 0; language < 10; ++language)
        QTest::newRow(names[language]) << language;
}

// The update button shares the version rows with the captions and the values;
// whatever the language makes of them and of its own caption ("update", then
// "up to date" after a run), it stays inside the section's column, clear of the
// captions' texts, and the values keep room for a version.
void tst_FormSetting::updateButtonStaysInItsColumn()
{
    QFETCH(int, language);
    FormSetting page;
    page.SlotAllLanguage(language);
    auto* update = page.findChild<QPushButton*>("Receive_2");
    auto* separator = page.findChild<QFrame*>("line");
    QVERIFY(update && separator);
    const QRect column = separator->geometry();

    for (int position : {7, 18}) {
        if (position == 18)
            page.SetVerText();
        const QString caption = LanguageTables::text(LanguageSection::FormSetting, language, position);
        QVERIFY(!caption.isEmpty());
        QCOMPARE(update->text(), caption);
        const QRect button = update->geometry();
        const QString where = QString("%1: button %2..%3, column %4..%5")
                                  .arg(caption).arg(button.left()).arg(button.right())
                                  .arg(column.left()).arg(column.right());
        QVERIFY2(button.left() >= column.left() && button.right() <= column.right(), qPrintable(where));
        // The caption clear of the picture's rounded ends (8 px each).
        QVERIFY2(update->fontMetrics().horizontalAdvance(caption) + 16 <= button.width(), qPrintable(where));
        for (const char* name : {"label_4", "label_6"}) {
            auto* label = page.findChild<QLabel*>(name);
            const int textEnd = label->x() + label->fontMetrics().horizontalAdvance(label->text());
            QVERIFY2(textEnd < button.left(), qPrintable(where + " over " + label->text()));
        }
        for (const char* name : {"label_5", "label_7", "toolButton_2", "toolButton_3"}) {
            auto* w = page.findChild<QWidget*>(name);
            QVERIFY2(!w->geometry().intersects(button), qPrintable(where + " over " + name));
        }
        for (const char* name : {"label_5", "label_7"}) {
            auto* value = page.findChild<QLabel*>(name);
            // Room for a version with a two-digit minor.
            QVERIFY2(value->fontMetrics().horizontalAdvance("v1.10") <= value->width(), name);
        }
    }
}

void tst_FormSetting::startWithTheSystem()
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const QString entry = config.path() + "/autostart/orvex-desklink.desktop";
    const QString program = QCoreApplication::applicationFilePath();
    const QString valueName = QFileInfo(program).completeBaseName();

    FormSetting page;
    auto* box = page.findChild<QCheckBox*>("checkBox");
    QVERIFY(!box->isChecked());
    // Switching off what was never on only stores the choice.
    box->click();
    box->click();
    QCOMPARE(SettingsStore::instance()->value("AutoStart", "Enable"), QString("0"));
    QVERIFY(!QFile::exists(entry));

    box->click();
    QVERIFY(box->isChecked());
    QCOMPARE(SettingsStore::instance()->value("AutoStart", "Enable"), QString("1"));
    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY(text.startsWith("[Desktop Entry]\n"));
    QVERIFY(text.contains("\nType=Application\n"));
    QVERIFY(text.contains("\nExec=\"" + program + "\"\n"));
    QCOMPARE(Registry::value(Registry::runKeyPath(), valueName).toString(), program);
    file.close();

    // A new page shows the stored choice.
    {
        FormSetting again;
        QVERIFY(again.findChild<QCheckBox*>("checkBox")->isChecked());
    }

    box->click();
    QCOMPARE(SettingsStore::instance()->value("AutoStart", "Enable"), QString("0"));
    QVERIFY(!QFile::exists(entry));
    QVERIFY(!Registry::contains(Registry::runKeyPath(), valueName));
    qunsetenv("XDG_CONFIG_HOME");
}

// An entry that cannot be written leaves the box off and tells the user, as
// any other choice that could not be stored does.
void tst_FormSetting::startThatCannotBeArrangedSaysSo()
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    // A folder in the entry's place: no write can succeed, not even as root.
    QVERIFY(QDir().mkpath(AutoStart::entryPath() + "/x"));

    FormSetting page;
    auto* box = page.findChild<QCheckBox*>("checkBox");
    ModalDialogDriver driver;
    driver.expect("SettingsNotSaved", [](QWidget* d) { ModalDialogDriver::click(d, "CloseButton"); });
    box->click();
    QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
    QVERIFY(!box->isChecked());
    QCOMPARE(SettingsStore::instance()->value("AutoStart", "Enable"), QString("0"));
    qunsetenv("XDG_CONFIG_HOME");
}

void tst_FormSetting::boxShowsTheStartThatStands_data()
{
    QTest::addColumn<bool>("switchingOn");
    QTest::addColumn<bool>("entryFolderLocked");  // else the registry file cannot be read
    QTest::addColumn<bool>("startsAfter");
    QTest::newRow("off, entry cannot be removed") << false << true << true;
    QTest::newRow("on, registry file cannot be read") << true << false << false;
    QTest::newRow("off, registry file cannot be read") << false << false << false;
}

// A change that could not be made whole says so, and the box (and the stored
// choice) show whether the program now starts with the desktop: never off
// while the entry stays, never on without it. The registry file that could
// not be read is left as it was.
void tst_FormSetting::boxShowsTheStartThatStands()
{
    QFETCH(bool, switchingOn);
    QFETCH(bool, entryFolderLocked);
    QFETCH(bool, startsAfter);
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const QString entry = AutoStart::entryPath();

    FormSetting page;
    auto* box = page.findChild<QCheckBox*>("checkBox");
    QVERIFY(Registry::setValue(Registry::mouseDriveTestKeyPath(), "UpdateFailInfo", "211,4,5,27"));
    if (!switchingOn) {
        box->click();
        QVERIFY(box->isChecked() && QFile::exists(entry));
    }
    QFile registry(Registry::filePath());
    QVERIFY(registry.open(QIODevice::ReadOnly));
    const QByteArray recorded = registry.readAll();
    registry.close();

    ModalDialogDriver driver;
    driver.expect("SettingsNotSaved", [](QWidget* d) { ModalDialogDriver::click(d, "CloseButton"); });
    {
        std::unique_ptr<UnwritableFolder> lockedFolder;
        std::unique_ptr<UnreadableFile> unreadable;
        if (entryFolderLocked)
            lockedFolder.reset(new UnwritableFolder(QFileInfo(entry).absolutePath()));
        else
            unreadable.reset(new UnreadableFile(Registry::filePath()));
        box->click();
        QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
    }
    QCOMPARE(box->isChecked(), startsAfter);
    QCOMPARE(QFile::exists(entry), startsAfter);
    QCOMPARE(SettingsStore::instance()->value("AutoStart", "Enable"), QString(startsAfter ? "1" : "0"));
    QVERIFY(registry.open(QIODevice::ReadOnly));
    QCOMPARE(registry.readAll(), recorded);
    registry.close();
    {
        FormSetting again;
        QCOMPARE(again.findChild<QCheckBox*>("checkBox")->isChecked(), startsAfter);
    }
    qunsetenv("XDG_CONFIG_HOME");
}

void tst_FormSetting::autostartEntry_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("exec");

    QTest::newRow("plain") << "/opt/desk/OrvexDeskLink" << "Exec=\"/opt/desk/OrvexDeskLink\"";
    QTest::newRow("space") << "/home/a b/OrvexDeskLink" << "Exec=\"/home/a b/OrvexDeskLink\"";
    QTest::newRow("quote, dollar, backquote") << "/x/\"$`/p" << "Exec=\"/x/\\\\\"\\\\$\\\\`/p\"";
    QTest::newRow("backslash") << "/x\\y/p" << "Exec=\"/x\\\\\\\\y/p\"";
    QTest::newRow("percent") << "/x/100%/p" << "Exec=\"/x/100%%/p\"";
    QTest::newRow("relative: refused") << "bin/p" << "";
    QTest::newRow("line break: refused") << "/x/a\nExec=/bin/evil" << "";
}

void tst_FormSetting::autostartEntry()
{
    QFETCH(QString, path);
    QFETCH(QString, exec);
    const QString text = QString::fromUtf8(AutoStart::entryText(path));
    if (exec.isEmpty()) {
        QVERIFY(text.isEmpty());
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        QVERIFY(!AutoStart::enable(path));
        QVERIFY(!QFile::exists(AutoStart::entryPath()));
        qunsetenv("XDG_CONFIG_HOME");
        return;
    }
    QVERIFY2(text.split('\n').contains(exec), qPrintable(text));
}

void tst_FormSetting::mouseSettingsToolPerDesktop_data()
{
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QStringList>("command");

    const QStringList all{"gnome-control-center", "systemsettings", "xfce4-mouse-settings", "mate-mouse-properties",
                          "cinnamon-settings", "lxqt-config-input"};
    QTest::newRow("GNOME") << "GNOME" << all << QStringList{"gnome-control-center", "mouse"};
    QTest::newRow("Ubuntu's GNOME") << "ubuntu:GNOME" << all << QStringList{"gnome-control-center", "mouse"};
    QTest::newRow("KDE") << "KDE" << all << QStringList{"systemsettings", "kcm_mouse"};
    QTest::newRow("older KDE") << "KDE" << QStringList{"kcmshell5"} << QStringList{"kcmshell5", "mouse"};
    QTest::newRow("Xfce") << "XFCE" << all << QStringList{"xfce4-mouse-settings"};
    QTest::newRow("MATE") << "MATE" << all << QStringList{"mate-mouse-properties"};
    QTest::newRow("Cinnamon") << "X-Cinnamon" << all << QStringList{"cinnamon-settings", "mouse"};
    QTest::newRow("LXQt") << "LXQt" << all << QStringList{"lxqt-config-input"};
    QTest::newRow("GNOME without its tool") << "GNOME" << QStringList{"systemsettings"} << QStringList();
    QTest::newRow("unknown desktop") << "Sway" << all << QStringList();
    QTest::newRow("no desktop") << "" << all << QStringList();
}

void tst_FormSetting::mouseSettingsToolPerDesktop()
{
    QFETCH(QString, desktop);
    QFETCH(QStringList, installed);
    QFETCH(QStringList, command);

    QTemporaryDir bin;
    for (const QString& tool : installed) {
        QFile f(bin.path() + '/' + tool);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n");
        f.close();
        QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit());
    qputenv("XDG_CURRENT_DESKTOP", desktop.toLocal8Bit());

    QStringList started;
    Launcher::setStartDetached([&](const QString& program, const QStringList& arguments) {
        started = QStringList(QFileInfo(program).fileName()) + arguments;
        return true;
    });
    {
        FormSetting page;
        auto* link = page.findChild<QPushButton*>("pushButton");
        // Without a tool the link is hidden rather than dead.
        QCOMPARE(link->isHidden(), command.isEmpty());
        QCOMPARE(page.findChild<QWidget*>("toolButton")->isHidden(), command.isEmpty());
        if (!command.isEmpty()) {
            QVERIFY(Launcher::mouseSettingsCommand().value(0).startsWith(bin.path() + '/'));
            QTest::mouseClick(link, Qt::LeftButton);
        }
    }
    QCOMPARE(started, command);

    Launcher::setStartDetached(nullptr);
    qputenv("PATH", oldPath);
    qunsetenv("XDG_CURRENT_DESKTOP");
}

void tst_FormSetting::webAddress_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("company");
    QTest::addColumn<QString>("address");

    // Net.xml: 0 company, 1 company in Chinese, 2 Chinese address, 3 address.
    QTest::newRow("English") << 0 << LanguageTables::netText(0) << LanguageTables::netText(3);
    QTest::newRow("German") << 1 << LanguageTables::netText(0) << LanguageTables::netText(3);
    QTest::newRow("French") << 2 << LanguageTables::netText(0) << LanguageTables::netText(3);
    QTest::newRow("Traditional Chinese") << 8 << LanguageTables::netText(1) << LanguageTables::netText(2);
}

void tst_FormSetting::webAddress()
{
    QFETCH(int, language);
    QFETCH(QString, company);
    QFETCH(QString, address);

    QList<QUrl> opened;
    Launcher::setOpenUrl([&](const QUrl& url) {
        opened << url;
        return true;
    });
    FormSetting page;
    page.SlotAllLanguage(language);
    QCOMPARE(page.findChild<QPushButton*>("pushButton_4")->text(), company);
    auto* link = page.findChild<QPushButton*>("pushButton_3");
    QCOMPARE(link->text(), address);
    QTest::mouseClick(link, Qt::LeftButton);
    QCOMPARE(opened, QList<QUrl>{QUrl(address)});

    // Only web addresses are opened.
    opened.clear();
    QVERIFY(Launcher::openWebAddress("orvex.example.com"));
    for (const char* other : {"file:///etc/passwd", "javascript:alert(1)", "mailto:a@b.c", "", "ftp://orvex.example.com"})
        QVERIFY2(!Launcher::openWebAddress(other), other);
    QCOMPARE(opened, QList<QUrl>{QUrl("http://orvex.example.com")});
    Launcher::setOpenUrl(nullptr);
}

void tst_FormSetting::idleLightOff_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("entry");

    QTest::newRow("10 s") << 10 << 0;
    QTest::newRow("1 min") << 60 << 2;
    QTest::newRow("40 min") << 2400 << 10;
    QTest::newRow("outside the list") << 45 << -1;
    QTest::newRow("zero") << 0 << -1;
}

void tst_FormSetting::idleLightOff()
{
    QFETCH(int, seconds);
    QFETCH(int, entry);

    FormSetting page;
    page.SlotAllLanguage(1);
    auto* box = page.findChild<MyConmboBox*>("StopClose");
    QVERIFY(box);
    QCOMPARE(box->itemText(3), LanguageTables::text(LanguageSection::FormSetting, 1, 31));
    QCOMPARE(page.findChild<QLabel*>("label_12")->text(), LanguageTables::text(LanguageSection::FormSetting, 1, 39));

    m_link.clearCalls();
    g_UiReady = true;
    box->setCurrentIndex(5);
    PostMsg::GetInstance()->PostLightToFrom(seconds);
    QCOMPARE(box->currentIndex(), entry);
    // Showing the mouse's value writes nothing.
    QCOMPARE(m_link.callCount("ProtocolDataUpdate"), 0);
    g_UiReady = false;
}

void tst_FormSetting::refusedIdleTimeShowsWhatTheMouseHolds()
{
    FormSetting page;
    auto* box = page.findChild<MyConmboBox*>("StopClose");
    QVERIFY(box);
    FlashDataMap held{};
    held.idleLightOffTime = 6;  // 1 min
    replaceFlashData(held);
    WorkingImage::setCurrent(true);
    g_UiReady = true;
    PostMsg::GetInstance()->PostLightToFrom(60);
    QCOMPARE(box->currentIndex(), 2);
    m_link.clearCalls();

    // No mouse answers: the write is refused with the notice.
    box->setCurrentIndex(4);  // as a choice in the list does
    emit box->activated(4);
    QCOMPARE(m_link.pages()->count("MouseOffLineo"), 1);
    QTRY_COMPARE(box->currentIndex(), 2);
    QCOMPARE(m_link.callCount("ProtocolDataUpdate"), 0);
    g_UiReady = false;
}

QTEST_MAIN(tst_FormSetting)
#include "tst_formsetting.moc"
