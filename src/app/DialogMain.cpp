#include "app/DialogMain.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "core/SettingsStore.h"
#include "core/Timing.h"
#include "device/DeviceDiscovery.h"
#include "device/FirmwareImageSearch.h"
#include "device/ReportHandler.h"
#include "device/UpdateRecords.h"
#include "device/Worker.h"
#include "platform/Registry.h"
#include "ui/common/StyleHelper.h"
#include "ui/home/Dialog.h"
#include "ui/home/DialogChange.h"
#include "ui/home/MouseOffLine.h"
#include "ui/macro/ContainReset.h"
#include "ui/settings/Match.h"
#include "ui/settings/UpDateRepair.h"
#include "ui/settings/UpDateWarning.h"

#include <HIDUsb.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDebug>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QStackedWidget>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {
constexpr int kListPage = 0;
constexpr int kHomePage = 1;
constexpr int kUsbChangedInterval = 600;

std::function<void(int)>& exitFunction()
{
    static std::function<void(int)> fn;
    return fn;
}

std::function<bool()>& trayAvailability()
{
    static std::function<bool()> fn;
    return fn;
}

bool trayAvailable()
{
    return trayAvailability() ? trayAvailability()() : QSystemTrayIcon::isSystemTrayAvailable();
}

bool isReceiverConnection(int connectionType)
{
    return connectionType == 0 || connectionType == 1 || connectionType == 4 || connectionType == 5;
}

QString receiverModelKeyOf(int connectionType)
{
    switch (connectionType) {
    case 1: return QStringLiteral("D4M");
    case 4: return QStringLiteral("D2M");
    case 0: return QStringLiteral("DM");
    case 5: return QStringLiteral("D8M");
    default: return QString();
    }
}

void restartReportLink()
{
    const char* path = g_DevicePath;
    UsbServerC_Start(path, path, OnHidReport);
}

// A notice raised inside a press (a slider's groove, a spin box's arrow) takes
// that button's release, and the control, which arms its repeat once the press
// is handled, would go on stepping, each step refused with one more notice.
// The release goes to it once the press is handled, if the button is up by
// then.
QPointer<QWidget> widgetUnderPress()
{
    if (QGuiApplication::mouseButtons() == Qt::NoButton)
        return nullptr;
    return QApplication::widgetAt(QCursor::pos());
}

void releaseAfterThePress(const QPointer<QWidget>& pressed, Qt::MouseButtons held)
{
    if (!pressed || QGuiApplication::mouseButtons() != Qt::NoButton)
        return;
    const auto button = Qt::MouseButton(int(held) & -int(held));
    QMetaObject::invokeMethod(
        pressed,
        [pressed, button] {
            const QPoint at = QCursor::pos();
            QMouseEvent release(QEvent::MouseButtonRelease, pressed->mapFromGlobal(at), at, button, Qt::NoButton,
                                QGuiApplication::keyboardModifiers());
            QCoreApplication::sendEvent(pressed, &release);
        },
        Qt::QueuedConnection);
}

} // namespace

DialogMain::DialogMain(QWidget* parent)
    : QDialog(parent)
{
    buildForm();

    LanguageTables::load();
    takeOverInstalledLanguage();

    m_pictureFolder = StyleHelper::pictureFolder(QStringLiteral("Picture/Dialog"));

    m_dialogChange = new DialogChange(this);
    m_stackedWidgetMain->addWidget(m_dialogChange);
    m_stackedWidgetMain->setCurrentIndex(kListPage);
    // Until the home page exists, user input builds it before it is delivered.
    qApp->installEventFilter(this);

    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(width(), height());

    PostMsg* bus = PostMsg::GetInstance();
    connect(bus, SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    connect(bus, SIGNAL(SigChangeMainDialog(int)), this, SLOT(SlotChangeMainDialog(int)));
    connect(bus, SIGNAL(SigChangeSize(int)), this, SLOT(SlotChangeSize(int)));
    connect(bus, SIGNAL(SigMouseOffLineo(int)), this, SLOT(SlotMouseOffLine(int)));
    connect(bus, SIGNAL(SigUpPageLight()), this, SLOT(SlotUpPageLight()));

    m_trayIcon = new QSystemTrayIcon(nullptr);
    m_trayIcon->setIcon(QIcon(m_pictureFolder + QStringLiteral("Logo.png")));
    m_trayIcon->setToolTip(g_AppName);

    // With the window in the tray, a notice may be the last visible window.
    QApplication::setQuitOnLastWindowClosed(false);

    bus->PostLanguageSameA(g_LanguageIndex);
    bus->PostLanguageSameB(g_LanguageIndex);
    bus->PostAllLanguage(g_LanguageIndex);
}

DialogMain::~DialogMain()
{
    // Only tests get here: the program never deletes its top window.
    qApp->removeEventFilter(this);
    delete m_trayIcon;
}

Dialog* DialogMain::homePage()
{
    buildHomePage();
    return m_dialog;
}

void DialogMain::buildHomePage()
{
    if (m_dialog)
        return;
    qApp->removeEventFilter(this);
    m_dialog = new Dialog(this);
    m_stackedWidgetMain->insertWidget(kHomePage, m_dialog);
}

void DialogMain::paintEvent(QPaintEvent* e)
{
    QDialog::paintEvent(e);
    // Queued: it runs once this frame is on the screen. Not before the device
    // list's first scan is painted, which waits for the window's first frame.
    if (!m_dialog && !m_homePageQueued && m_dialogChange->firstScanDone()) {
        m_homePageQueued = true;
        QTimer::singleShot(0, this, [this] { buildHomePage(); });
    }
}

bool DialogMain::eventFilter(QObject* watched, QEvent* e)
{
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
    case QEvent::ContextMenu:
        buildHomePage();
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, e);
}

void DialogMain::buildForm()
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("DialogMain"));
    resize(1020, 700);
    setMinimumSize(1020, 700);
    setMaximumSize(1020, 700);

    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("frame"));
    m_frame->setGeometry(0, 0, 1020, 700);
    m_frame->setFixedSize(1020, 700);

    m_stackedWidgetMain = new QStackedWidget(m_frame);
    m_stackedWidgetMain->setObjectName(QStringLiteral("stackedWidgetMain"));
    m_stackedWidgetMain->setGeometry(0, 0, 1020, 700);
    m_stackedWidgetMain->setFixedSize(1020, 700);

    setWindowTitle(QStringLiteral("Orvex DeskLink"));
    QMetaObject::connectSlotsByName(this);
}

void DialogMain::takeOverInstalledLanguage()
{
    const QString key = Registry::languageKeyPath();
    const int installed = Registry::value(key, QStringLiteral("LanguageIndex"), 0).toInt();
    // The hand-over is dropped only once the settings file holds it, so a
    // failed write is tried again at the next start rather than lost.
    if (installed == 0
        || SettingsStore::instance()->setValue(QStringLiteral("Language"), QStringLiteral("Language"),
                                               QString::number(installed)))
        Registry::remove(key, QStringLiteral("LanguageIndex"));

    bool ok = installed != 0;
    const int stored = ok ? installed
                          : SettingsStore::instance()->value(QStringLiteral("Language"), QStringLiteral("Language")).toInt(&ok);
    // An index the program has no language for would leave every language box
    // without a selection: English then, as for a missing value.
    g_LanguageIndex = ok && stored >= 0 && stored < kLanguageCount ? stored : 0;
}

void DialogMain::Delay(int ms)
{
    Timing::pumpEvents(ms);
}

bool DialogMain::homePageShown() const
{
    return m_stackedWidgetMain->currentIndex() == kHomePage;
}

void DialogMain::SlotAllLanguage(int language)
{
    m_restoreText = LanguageTables::text(LanguageSection::DialogMain, language, 0);
    m_exitText = LanguageTables::text(LanguageSection::DialogMain, language, 1);
}

void DialogMain::SlotChangeMainDialog(int page)
{
    g_UiReady = true;
    PostMsg* bus = PostMsg::GetInstance();
    if (page == 0) {
        bus->PostSecondPageChange();
        g_LinkEnabled = 0;
        bus->PostMainPageChange();
        UsbServer_Exit();
        Timing::sleep(100);
        m_stackedWidgetMain->setCurrentIndex(kListPage);
        StartUsbChanged(DialogChange::OnUsbChanged, kUsbChangedInterval);
    } else if (page == 1) {
        buildHomePage();
        m_stackedWidgetMain->setCurrentIndex(kHomePage);
        StartUsbChanged(Worker::OnUsbDeviceChanged, kUsbChangedInterval);
    }
}

void DialogMain::SlotChangeSize(int action)
{
    if (action == 0 || action == 1)
        UsbServer_SetPCDriverStatus(false);
    if (action == 0 || action == 2) {
        // Without a tray a hidden window could never be brought back.
        if (trayAvailable()) {
            hide();
            goToTray();
        } else {
            m_minimisedWithoutTray = true;
            showMinimized();
        }
    } else if (action == 1 || action == 3) {
        qDebug() << "close";
        StopUsbChanged();
        Delay(200);
        UsbServer_Exit();
        close();
    }
}

void DialogMain::closeEvent(QCloseEvent* e)
{
    QDialog::closeEvent(e);
    // The last-window rule is off (see the class comment): closing the top
    // window ends the program explicitly.
    if (e->isAccepted())
        QCoreApplication::quit();
}

void DialogMain::goToTray()
{
    // The menu of an earlier minimise is replaced, so the texts are always
    // those of the current language.
    if (m_trayMenu)
        m_trayMenu->deleteLater();
    if (m_restoreAction)
        m_restoreAction->deleteLater();
    if (m_exitAction)
        m_exitAction->deleteLater();

    m_restoreAction = new QAction(m_restoreText, this);
    m_exitAction = new QAction(m_exitText, this);
    connect(m_restoreAction, SIGNAL(triggered()), this, SLOT(slotActionMain()));
    connect(m_exitAction, SIGNAL(triggered()), this, SLOT(slotActionExitApp()));

    m_trayMenu = new QMenu(this);
    m_trayMenu->addAction(m_restoreAction);
    m_trayMenu->addSeparator();
    m_trayMenu->addAction(m_exitAction);
    m_trayIcon->setContextMenu(m_trayMenu);

    connect(m_trayIcon, SIGNAL(activated(QSystemTrayIcon::ActivationReason)), this,
            SLOT(on_activatedSysTrayIcon(QSystemTrayIcon::ActivationReason)), Qt::UniqueConnection);
    m_trayIcon->show();
}

void DialogMain::restoreFromTray(bool tellDevice)
{
    show();
    if (tellDevice && homePageShown())
        UsbServer_SetPCDriverStatus(true);
    m_trayIcon->hide();
}

void DialogMain::on_activatedSysTrayIcon(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Context:
        if (m_trayMenu)
            m_trayMenu->exec(QCursor::pos());
        break;
    case QSystemTrayIcon::DoubleClick:
        restoreFromTray(false);
        break;
    case QSystemTrayIcon::Trigger:
        restoreFromTray(true);
        break;
    default:
        break;
    }
}

void DialogMain::slotActionMain()
{
    restoreFromTray(true);
}

void DialogMain::setExitFunctionForTests(std::function<void(int)> exitFunction)
{
    ::exitFunction() = std::move(exitFunction);
}

void DialogMain::setTrayAvailabilityForTests(std::function<bool()> available)
{
    ::trayAvailability() = std::move(available);
}

void DialogMain::changeEvent(QEvent* e)
{
    QDialog::changeEvent(e);
    // Back from a minimise without a tray: as the tray's restore does.
    if (e->type() == QEvent::WindowStateChange && m_minimisedWithoutTray && !isMinimized()) {
        m_minimisedWithoutTray = false;
        if (homePageShown())
            UsbServer_SetPCDriverStatus(true);
    }
}

void DialogMain::slotActionExitApp()
{
    if (::exitFunction()) {
        ::exitFunction()(0);
        return;
    }
    // At once and without device calls. Static destructors are skipped too:
    // the device threads may still run, and every setting is already on disk.
    std::fflush(nullptr);
    std::_Exit(0);
}

void DialogMain::SlotMouseOffLine(int kind)
{
    g_OfflineNoticeOpen = true;
    g_RefreshPending = true;
    g_MouseOffLineKind = kind;
    // One notice at a time (a second modal notice would only stack up); a
    // further report while it is open gives it its own kind's text.
    if (m_offlineNotice) {
        m_offlineNotice->SlotAllLanguage(g_LanguageIndex);
        return;
    }

    const Qt::MouseButtons held = QGuiApplication::mouseButtons();
    const QPointer<QWidget> pressed = widgetUnderPress();
    auto* notice = new MouseOffLine(nullptr);
    m_offlineNotice = notice;
    StyleHelper::placeCentred(notice, this, 0, -20);
    notice->exec();
    delete notice;
    releaseAfterThePress(pressed, held);
}

void DialogMain::SlotUpPageLight()
{
}

void DialogMain::mousePressEvent(QMouseEvent* e)
{
    m_pressGlobal = e->globalPos();
    m_windowAtPress = pos();
    m_dragOffset = m_pressGlobal - m_windowAtPress;
}

void DialogMain::mouseMoveEvent(QMouseEvent* e)
{
    if (e->buttons() != Qt::LeftButton || isMaximized())
        return;
    if (m_dragOffset.isNull())
        return;
    move(e->globalPos() - m_dragOffset);
}

void DialogMain::mouseReleaseEvent(QMouseEvent*)
{
    m_dragOffset = QPoint(0, 0);
}

void DialogMain::keyPressEvent(QKeyEvent* e)
{
    if (g_MacroRecording)
        return;
    switch (e->key()) {
    case Qt::Key_Escape:
    case Qt::Key_F12:
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        PostMsg::GetInstance()->PostEnterKey();
        return;
    case Qt::Key_Space:
        spaceShortcut();
        return;
    default:
        QWidget::keyPressEvent(e);
    }
}

void DialogMain::runPairing(int matchMode)
{
    std::unique_ptr<Match> match(new Match(nullptr));
    g_MatchMode = static_cast<quint8>(matchMode);
    match->ResetPairPage();
    StyleHelper::placeCentred(match.get(), this);
    match->exec();
    match.reset();
    // The dialog took the report link and, on closing, gave the device changes
    // to the list: a device page that is still open takes the changes back.
    if (homePageShown())
        StartUsbChanged(Worker::OnUsbDeviceChanged, kUsbChangedInterval);
    restartReportLink();
}

void DialogMain::spaceShortcut()
{
    if (homePageShown()) {
        runPairing(1);
        return;
    }

    // A device outside the catalogue is listed with no connection type of its
    // own (the field's default would read as a 1K receiver): nothing to act on.
    if (g_DeviceList.size() != 1 || g_DeviceList.first().modelIndex >= DeviceDiscovery::DeviceTotal()
        || !isReceiverConnection(g_DeviceList.first().connectionType))
        return;
    const DeviceAllInfo device = g_DeviceList.first();
    ConfigSettings* config = ConfigSettings::instance();
    const QString group = QStringLiteral("Drive%1").arg(device.modelIndex + 1);

    const QString cidText = config->value(QStringLiteral("Option"), QStringLiteral("CID"));
    const QString midText = config->value(group, QStringLiteral("MID"));
    const uchar customerId = static_cast<uchar>(cidText.toInt());
    const uchar modelId = static_cast<uchar>(midText.toInt());

    const QString mouseVersion = UpdateRecords::mouseVersion(cidText, midText);
    if (mouseVersion.isEmpty()) {
        runPairing(0);
        return;
    }

    const bool mouseUpdate =
        FindFirmwareImage(210, mouseVersion, config->value(group, QStringLiteral("MM")), customerId, modelId);

    std::unique_ptr<UpDateRepair> update(new UpDateRepair(nullptr));
    StyleHelper::placeCentred(update.get(), this);

    const QString receiverName = config->value(group, receiverModelKeyOf(device.connectionType));
    const bool receiverUpdate = !receiverName.isEmpty()
                                && UpDateRepair::FindFirmwareFile(211, device.receiverVersion, receiverName,
                                                                  customerId, modelId);

    if (mouseUpdate == receiverUpdate) {
        update.reset();
        runPairing(0);
    } else if (mouseUpdate) {
        UpDateWarning warning(nullptr);
        warning.SetMessage(g_UpdateWarningText);
        StyleHelper::placeCentred(&warning, this, -20, 0);
        warning.exec();
    } else {
        ContainReset question(nullptr);
        question.SetMessage(g_ReceiverUpdateText);
        StyleHelper::placeCentred(&question, this, -20, 0);
        question.exec();
        if (question.accepted) {
            update->StartUpgradeFor(0);
            update->exec();
        }
    }
}
