#include "ui/home/DialogChange.h"

#include "app/Globals.h"
#include "app/LanguageChoice.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "core/SettingsStore.h"
#include "core/Timing.h"
#include "device/DeviceChangeRelay.h"
#include "device/DeviceDiscovery.h"
#include "device/FirmwareImageSearch.h"
#include "device/UpdateRecords.h"
#include "device/Worker.h"
#include "ui/common/SettingsNotSaved.h"
#include "ui/common/StyleHelper.h"
#include "ui/home/QuestiondialogB.h"
#include "ui/macro/mytoolButtonEnter.h"
#include "ui/sensor/MyConmboBox.h"
#include "ui/sensor/SensorLook.h"
#include "ui/settings/Match.h"
#include "ui/settings/RePair.h"
#include "ui/settings/UpDateRepair.h"
#include "ui/settings/UpDateWarning.h"

#include <HIDUsb.h>

#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFont>
#include <QFrame>
#include <QHash>
#include <QLabel>
#include <QPair>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>

namespace {

constexpr int kPageWidth = 1020;
constexpr int kPageHeight = 700;
constexpr int kButtonWidth = 284;
constexpr int kButtonHeight = 360;
constexpr int kOpenDelayMs = 150;
// How long the first scan waits for a first frame that does not come (a window
// the desktop never exposes must still list its devices).
constexpr int kFirstFrameWaitMs = 250;

const char* const kLanguageNames[] = {"English", "Deutsch", "Français", "Español", "Italiano",
                                      "Nederlands", "Polski", "Romanesc", "繁体中文", "Українська"};

// The widgets of the current device pages, in device order (the rate badges
// only for devices that have one). The pages own them; these only point.
QList<QPointer<mytoolButtonEnter>> s_deviceButtons;
QList<QPointer<QLabel>> s_offlineBadges;
QList<QPointer<QLabel>> s_connectionBadges;
QList<QPointer<QLabel>> s_rateBadges;

// "Option"/"DeviceTotal" as read when the page was built.
int s_catalogueSize = 0;
// Whether the catalogue describes any model, as found when the page was built.
bool s_catalogueUsable = true;

// Texts of the current language used outside the language slot.
QString s_text0;
QString s_text2;
QString s_text5;
QString s_text6;

// A device button's click may run modal dialogs, whose event loops would let a
// device change rebuild the pages and delete that very button. While a click
// runs, a change is only noted and handled once the click has returned.
int s_clickDepth = 0;
bool s_rebuildPending = false;

class ClickScope
{
public:
    ClickScope() { ++s_clickDepth; }
    ~ClickScope()
    {
        if (--s_clickDepth == 0 && s_rebuildPending) {
            s_rebuildPending = false;
            // Queued: the button's clicked() emission is still on the stack.
            DeviceChangeRelay::post(&DialogChange::HandleUsbChanged);
        }
    }
};

QString option(const QString& key)
{
    return ConfigSettings::instance()->value(QStringLiteral("Option"), key);
}

QString modelValue(const DeviceAllInfo& entry, const QString& key)
{
    return ConfigSettings::instance()->value(QStringLiteral("Drive%1").arg(entry.modelIndex + 1), key);
}

// Picture number of a model id; -1 for a model without a picture of its own.
int pictureNumber(int mid)
{
    static const int kMids[] = {7, 8, 9, 11, 12, 16, 17, 18, 22, 23};
    for (int k = 0; k < 10; ++k) {
        if (kMids[k] == mid)
            return k;
    }
    return -1;
}

// Model layout index sent with SigMouseIndex.
int mouseIndexOf(int mid)
{
    switch (mid) {
    case 12: return 1;
    case 16: return 2;
    case 17: return 3;
    case 18: return 4;
    case 22: return 5;
    case 23: return 6;
    default: return 0;
    }
}

// Counting class of an entry: 0 direct, 1..4 the receiver kinds 1K, 2K, 4K, 8K.
int connectionClass(const DeviceAllInfo& entry)
{
    if (entry.direct)
        return 0;
    switch (entry.connectionType) {
    case 0: return 1;
    case 4: return 2;
    case 1: return 3;
    case 5: return 4;
    default: return 0;
    }
}

// Report-rate badge of an entry; empty when it has none. A receiver type on a
// direct entry is an unset field (a device that could not be identified).
QString rateBadge(const DeviceAllInfo& entry)
{
    switch (entry.connectionType) {
    case 0: return entry.direct ? QString() : QStringLiteral("1KHz.png");
    case 4: return entry.direct ? QString() : QStringLiteral("2KHz.png");
    case 1: return entry.direct ? QString() : QStringLiteral("4KHz.png");
    case 5: return entry.direct ? QString() : QStringLiteral("8KHz.png");
    case 3: return QStringLiteral("8KHz.png");
    default: return QString();
    }
}

QString buttonSheet(const QString& picture)
{
    QString sheet = QStringLiteral("QToolButton{border:none;color:rgb(255,255,255);background-color:transparent;");
    if (!picture.isEmpty())
        sheet += QStringLiteral("background-image:url(%1%2);background-position:center;background-repeat:no-repeat;")
                     .arg(StyleHelper::pictureFolder(QStringLiteral("DialogChange")), picture);
    return sheet + QLatin1Char('}');
}

void setButtonPicture(QToolButton* button, const QString& picture)
{
    if (!button)
        return;
    button->setStyleSheet(buttonSheet(picture));
    // Kept for whoever needs to know what the button shows (tests, screenshots).
    button->setProperty("picture", picture);
}

QLabel* makeBadge(QWidget* page, const QString& name, const QString& picture, const QSize& size)
{
    auto* badge = new QLabel(page);
    if (!name.isEmpty())
        badge->setObjectName(name);
    badge->resize(size);
    badge->setPixmap(QPixmap(StyleHelper::pictureFolder(QStringLiteral("DialogChange")) + picture));
    badge->setProperty("picture", picture);
    return badge;
}

bool deviceOnline(const QString& path)
{
    return UsbFinderC_GetDeviceOnLine(path.toLatin1().constData());
}

} // namespace

DialogChange::DialogChange(QWidget* parent)
    : QWidget(parent)
{
    buildForm();
    QMetaObject::connectSlotsByName(this);
    g_DialogChange = this;

    applyLook();

    // Neither "connect a device" nor "click a picture" is known to be true
    // before the first scan; a first frame painted before the library's first
    // report must not show either.
    m_label2->hide();
    m_label3->hide();
    m_rightButton->hide();
    m_leftButton->hide();

    PostMsg* bus = PostMsg::GetInstance();
    connect(bus, SIGNAL(SigLanguageSameA(int)), this, SLOT(SlotSameLanguageA(int)));
    connect(bus, SIGNAL(SigUpDateButton(bool)), this, SLOT(SlotUpDateButton(bool)));
    connect(bus, SIGNAL(SigEnterKey()), this, SLOT(SlotEnterKey()));

    m_repair->hide();
    m_repair->setVisible(!UpdateRecords::failure().isEmpty());

    m_deviceTotal = DeviceDiscovery::DeviceTotal();
    s_catalogueSize = m_deviceTotal;
    s_catalogueUsable = DeviceDiscovery::CatalogueUsable();

    connect(bus, SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(g_LanguageIndex);

    m_findVer->hide();

    StartUsbChanged(&DialogChange::OnUsbChanged, 600);
}

DialogChange::~DialogChange()
{
    if (g_DialogChange == this)
        g_DialogChange = nullptr;
}

void DialogChange::buildForm()
{
    setObjectName(QStringLiteral("DialogChange"));
    setFixedSize(kPageWidth, kPageHeight);

    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("frameChange"));
    m_frame->setGeometry(0, 0, kPageWidth, kPageHeight);
    m_frame->setFixedSize(kPageWidth, kPageHeight);

    m_minButton = new QToolButton(m_frame);
    m_minButton->setObjectName(QStringLiteral("MinButton"));
    m_minButton->setGeometry(940, 12, 30, 30);
    m_minButton->setFocusPolicy(Qt::NoFocus);

    m_closeButton = new QToolButton(m_frame);
    m_closeButton->setObjectName(QStringLiteral("CloseButton"));
    m_closeButton->setGeometry(976, 12, 30, 30);
    m_closeButton->setFocusPolicy(Qt::NoFocus);

    m_comboBox = new MyConmboBox(m_frame);
    m_comboBox->setObjectName(QStringLiteral("comboBox"));
    m_comboBox->setGeometry(24, 14, 140, 30);
    m_comboBox->setFocusPolicy(Qt::NoFocus);
    QFont comboFont(QString::fromUtf8("微软雅黑"));
    comboFont.setPointSize(10);
    m_comboBox->setFont(comboFont);
    for (const char* name : kLanguageNames)
        m_comboBox->addItem(QString::fromUtf8(name));

    QFont mainFont(QString::fromUtf8("微软雅黑"));
    mainFont.setPointSize(20);
    m_label2 = new QLabel(m_frame);
    m_label2->setObjectName(QStringLiteral("label_2"));
    m_label2->setGeometry(110, 250, 800, 120);
    m_label2->setAlignment(Qt::AlignCenter);
    m_label2->setWordWrap(true);
    m_label2->setFont(mainFont);

    QFont hintFont(QString::fromUtf8("微软雅黑"));
    hintFont.setPointSize(16);
    m_label3 = new QLabel(m_frame);
    m_label3->setObjectName(QStringLiteral("label_3"));
    m_label3->setGeometry(110, 590, 800, 50);
    m_label3->setAlignment(Qt::AlignCenter);
    m_label3->setWordWrap(true);
    m_label3->setFont(hintFont);

    m_stackedWidget = new QStackedWidget(m_frame);
    m_stackedWidget->setObjectName(QStringLiteral("stackedWidget"));
    m_stackedWidget->setGeometry(63, 200, 894, 360);

    m_leftButton = new QToolButton(m_frame);
    m_leftButton->setObjectName(QStringLiteral("LeftButton"));
    m_leftButton->setGeometry(16, 350, 36, 60);
    m_leftButton->setFocusPolicy(Qt::NoFocus);

    m_rightButton = new QToolButton(m_frame);
    m_rightButton->setObjectName(QStringLiteral("RightButton"));
    m_rightButton->setGeometry(968, 350, 36, 60);
    m_rightButton->setFocusPolicy(Qt::NoFocus);

    QFont buttonFont(QString::fromUtf8("微软雅黑"));
    buttonFont.setPointSize(11);
    m_repair = new QPushButton(m_frame);
    m_repair->setObjectName(QStringLiteral("Repair"));
    m_repair->setGeometry(445, 400, 130, 36);
    m_repair->setFont(buttonFont);
    m_repair->setFocusPolicy(Qt::NoFocus);

    m_findVer = new QFrame(m_frame);
    m_findVer->setObjectName(QStringLiteral("FindVer"));
    m_findVer->setGeometry(360, 280, 300, 140);
    m_closeButton2 = new QToolButton(m_findVer);
    m_closeButton2->setObjectName(QStringLiteral("CloseButton_2"));
    m_closeButton2->setGeometry(272, 8, 20, 20);
    m_findVerLabel = new QLabel(m_findVer);
    m_findVerLabel->setObjectName(QStringLiteral("FindVerlaebl"));
    m_findVerLabel->setGeometry(15, 30, 270, 50);
    m_findVerLabel->setAlignment(Qt::AlignCenter);
    m_findVerLabel->setWordWrap(true);
    m_findVerLabel->setFont(buttonFont);
    m_noApear = new QCheckBox(m_findVer);
    m_noApear->setObjectName(QStringLiteral("NoApear"));
    // A line of its own: the translations are longer than the space beside the button.
    m_noApear->setGeometry(20, 80, 260, 20);
    m_newHong = new QToolButton(m_findVer);
    m_newHong->setObjectName(QStringLiteral("NewHong"));
    m_newHong->setGeometry(105, 106, 90, 24);
    m_newHong->setFont(buttonFont);

    retranslateForm();
}

void DialogChange::retranslateForm()
{
    m_label2->setText(QString::fromUtf8("请接入你的游戏装备"));
    m_label3->setText(QString::fromUtf8("点击图案进入使用"));
}

void DialogChange::applyLook()
{
    const QString f = StyleHelper::pictureFolder(QStringLiteral("DialogChange"));
    const QString n = StyleHelper::pictureFolder(QStringLiteral("WarningDialog"));

    m_frame->setStyleSheet(QStringLiteral("QFrame#frameChange{border:none;background-image:url(%1MainBack.png);}").arg(f));
    m_closeButton->setStyleSheet(StyleHelper::toolButtonImages(f, QStringLiteral("Close.png"),
                                                               QStringLiteral("CloseHover.png"),
                                                               QStringLiteral("CloseClick.png")));
    m_minButton->setStyleSheet(StyleHelper::toolButtonImages(f, QStringLiteral("Min.png"), QStringLiteral("MinHover.png"),
                                                             QStringLiteral("MinClick.png")));
    m_repair->setStyleSheet(QStringLiteral("QPushButton{border:none;color:rgb(255,255,255);border-image:url(%1Repair.png);}")
                                .arg(f));
    m_rightButton->setStyleSheet(StyleHelper::toolButtonImages(f, QStringLiteral("Right.png"),
                                                               QStringLiteral("RightClick.png"), QString()));
    m_leftButton->setStyleSheet(StyleHelper::toolButtonImages(f, QStringLiteral("Left.png"),
                                                              QStringLiteral("LeftClick.png"), QString()));

    // The look of every chooser, with this page's pictures; 5 rows of 25 px.
    SensorLook::styleComboBox(m_comboBox, f, 5);

    m_label2->setStyleSheet(QStringLiteral("color:rgb(255,255,255);"));
    m_label3->setStyleSheet(QStringLiteral("color:rgb(255,255,255);"));

    m_findVer->setStyleSheet(QStringLiteral("QFrame#FindVer{border:none;background-image:url(%1BackGround.png);}").arg(n));
    m_newHong->setStyleSheet(StyleHelper::toolButtonImages(n, QStringLiteral("Confirm.png"), QString(),
                                                           QStringLiteral("ConfirmClick.png"), QString(),
                                                           StyleHelper::colorRule(QStringLiteral("ButtonColor"))));
    m_closeButton2->setStyleSheet(StyleHelper::toolButtonImages(n, QStringLiteral("Close.png"),
                                                                QStringLiteral("CloseHover.png"),
                                                                QStringLiteral("CloseClick.png")));
    StyleHelper::applyTextColor(m_findVerLabel, QStringLiteral("LabelColor"));
    m_noApear->setStyleSheet(QStringLiteral("QCheckBox{%1}QCheckBox::indicator:checked{image:url(%2CheckBoxCheck.png);}"
                                            "QCheckBox::indicator:unchecked{image:url(%2CheckBox.png);}")
                                 .arg(StyleHelper::colorRule(QStringLiteral("LabelColor")), n));
}

QString DialogChange::offlineTooltip()
{
    return s_text5 + QLatin1Char('\n') + s_text6;
}

void DialogChange::showRepairState(bool repairShown)
{
    m_repair->setVisible(repairShown);
    m_label2->setText(repairShown ? s_text2 : s_text0);
}

// ---- Language ----

void DialogChange::SlotAllLanguage(int language)
{
    auto t = [language](int position) {
        return LanguageTables::text(LanguageSection::DialogChange, language, position);
    };
    // Without a usable catalogue no device can be opened: the page says why,
    // naming the file, in place of asking for a device.
    s_text0 = s_catalogueUsable ? t(0)
                                : LanguageTables::text(LanguageSection::FileNotice, language, 0)
                                      .arg(QDir::toNativeSeparators(ConfigSettings::instance()->filePath()));
    if (!m_repair->isVisible())
        m_label2->setText(s_text0);
    m_label3->setText(t(1));
    s_text5 = t(5);
    s_text6 = t(6);
    s_text2 = t(2);
    if (m_repair->isVisible())
        m_label2->setText(s_text2);
    m_findVerLabel->setText(t(3));
    m_newHong->setText(t(4));
    m_noApear->setText(t(7));
    g_ReceiverUpdateText = t(8);
    for (const QPointer<QLabel>& badge : s_offlineBadges) {
        if (badge)
            badge->setToolTip(offlineTooltip());
    }
}

void DialogChange::SlotSameLanguageA(int language)
{
    const bool blocked = m_comboBox->blockSignals(true);
    m_comboBox->setCurrentIndex(language);
    m_comboBox->blockSignals(blocked);
}

void DialogChange::on_comboBox_activated(int index)
{
    if (index < 0)
        return;
    const bool saved = LanguageChoice::apply(index);
    PostMsg::GetInstance()->PostLanguageSameB(index);
    // Said in the language just chosen.
    SettingsNotSaved::tellIfNotSaved(saved, this);
}

void DialogChange::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        const bool blocked = m_comboBox->blockSignals(true);
        retranslateForm();
        m_comboBox->setCurrentIndex(0);
        m_comboBox->blockSignals(blocked);
    }
    QWidget::changeEvent(event);
}

// ---- Window buttons, repair and the notice box ----

void DialogChange::SlotUpDateButton(bool hide)
{
    showRepairState(!hide);
}

void DialogChange::SlotEnterKey()
{
    if (m_findVer->isVisible())
        m_findVer->hide();
    else if (m_repair->isVisible())
        on_Repair_clicked();
}

void DialogChange::on_MinButton_clicked()
{
    PostMsg::GetInstance()->PostChangeSize(2);
}

void DialogChange::on_CloseButton_clicked()
{
    PostMsg::GetInstance()->PostChangeSize(3);
}

void DialogChange::on_Repair_clicked()
{
    UpDateRepair* dialog = g_UpDateRepairDialog;
    if (!dialog)
        return;
    placeCentred(dialog);
    dialog->ShowRepairMode();
    dialog->setModal(true);
    PostMsg::GetInstance()->PostRepairCheckUpdate();
    dialog->show();
    // Shown again after an earlier run, it must not stay behind the window.
    dialog->raise();
}

void DialogChange::on_CloseButton_2_clicked()
{
    m_findVer->hide();
}

void DialogChange::on_NewHong_clicked()
{
    m_findVer->hide();
}

void DialogChange::on_NoApear_clicked(bool checked)
{
    SettingsNotSaved::tellIfNotSaved(SettingsStore::instance()->setValue(QStringLiteral("FindNew"), QStringLiteral("IsShow"),
                                                                         checked ? QStringLiteral("1") : QStringLiteral("0")),
                                     this);
}

void DialogChange::placeCentred(QWidget* dialog, int dx) const
{
    StyleHelper::placeCentred(dialog, this, dx, 0);
}

// ---- Device changes and the device pages ----

void DialogChange::OnUsbChanged()
{
    DeviceChangeRelay::post(&DialogChange::HandleUsbChanged);
}

void DialogChange::HandleUsbChanged()
{
    DialogChange* page = g_DialogChange;
    if (!page)
        return;
    if (s_clickDepth > 0) {
        s_rebuildPending = true;
        return;
    }
    if (page->scanWaitsForFirstFrame())
        return;
    page->showRepairState(!UpdateRecords::failure().isEmpty());
    DeviceDiscovery::ScanDeviceList();
    BuildDevicePage();
    page->m_firstScanDone = true;
    if (g_UpDateRepairDialog && g_UpDateRepairDialog->isVisible() && !g_RepairRunning)
        PostMsg::GetInstance()->PostRepairCheckUpdate();
}

// The library reports its devices as soon as the page registers for changes;
// their identification queries take tens of milliseconds, which belong after
// the window's first frame, not before it.
bool DialogChange::scanWaitsForFirstFrame()
{
    if (m_firstFrameWaitOver || !isVisible())
        return false;
    if (!m_scanAfterFirstFrame) {
        m_scanAfterFirstFrame = true;
        // Neither "connect a device" nor "click a picture" is known to be true yet.
        m_label2->hide();
        m_label3->hide();
        QTimer::singleShot(Timing::scaled(kFirstFrameWaitMs), this, &DialogChange::endFirstFrameWait);
    }
    return true;
}

void DialogChange::endFirstFrameWait()
{
    if (m_firstFrameWaitOver)
        return;
    m_firstFrameWaitOver = true;
    if (m_scanAfterFirstFrame) {
        m_scanAfterFirstFrame = false;
        // Queued: the frame is flushed to the screen when this paint returns.
        DeviceChangeRelay::post(&DialogChange::HandleUsbChanged);
    }
}

void DialogChange::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    endFirstFrameWait();
}

bool DialogChange::RefreshDevice(int i)
{
    return DeviceDiscovery::RefreshDevice(i);
}

void DialogChange::BuildDevicePage()
{
    DialogChange* page = g_DialogChange;
    if (!page)
        return;

    auto dispose = [](QWidget* w) {
        if (w) {
            w->hide();
            w->deleteLater();
        }
    };
    for (const auto& w : s_deviceButtons)
        dispose(w);
    for (const auto& w : s_offlineBadges)
        dispose(w);
    for (const auto& w : s_connectionBadges)
        dispose(w);
    for (const auto& w : s_rateBadges)
        dispose(w);
    s_deviceButtons.clear();
    s_offlineBadges.clear();
    s_connectionBadges.clear();
    s_rateBadges.clear();

    QStackedWidget* stack = page->m_stackedWidget;
    for (int i = stack->count() - 1; i >= 0; --i) {
        QWidget* old = stack->widget(i);
        stack->removeWidget(old);
        dispose(old);
    }

    // Devices outside an unusable catalogue cannot be told apart: neither
    // listed nor taken for identical ones.
    if (g_DeviceList.isEmpty() || !s_catalogueUsable) {
        page->m_label2->show();
        page->m_label3->hide();
        page->m_leftButton->hide();
        page->m_rightButton->hide();
        return;
    }

    // One counter per connection class and model index, for any catalogue size.
    QHash<QPair<int, int>, int> counters;
    for (int i = 0; i < g_DeviceList.size(); ++i) {
        const DeviceAllInfo& entry = g_DeviceList.at(i);
        ++counters[qMakePair(connectionClass(entry), int(entry.modelIndex))];
        RefreshDevice(i);
    }

    bool duplicate = false;
    for (int count : qAsConst(counters)) {
        if (count > 1)
            duplicate = true;
    }

    if (duplicate) {
        page->m_label2->show();
        page->m_label3->hide();
        page->m_leftButton->hide();
        page->m_rightButton->hide();
        QuestiondialogB notice;
        page->placeCentred(&notice);
        notice.exec();
        return;
    }

    // A mouse on its cable and its receiver: only the cable entry is listed.
    const int total = DeviceDiscovery::DeviceTotal();
    for (int m = 0; m < total; ++m) {
        if (counters.value(qMakePair(0, m)) != 1)
            continue;
        for (int i = g_DeviceList.size() - 1; i >= 0; --i) {
            if (g_DeviceList.at(i).modelIndex == m && !g_DeviceList.at(i).direct)
                g_DeviceList.removeAt(i);
        }
    }

    page->m_label2->hide();
    page->m_label3->show();

    static const QPoint kButtons[3][3] = {{{305, 0}}, {{135, 0}, {445, 0}}, {{0, 0}, {300, 0}, {600, 0}}};
    static const QPoint kBadges[3][3] = {{{530, 20}}, {{360, 20}, {665, 20}}, {{225, 20}, {525, 20}, {825, 20}}};
    static const QPoint kRates[3][3] = {{{312, 10}}, {{142, 10}, {452, 10}}, {{7, 10}, {307, 10}, {607, 10}}};

    const int n = g_DeviceList.size();
    const int fullPages = n / 3;
    const int pages = fullPages + (n % 3 ? 1 : 0);
    for (int p = 0; p < pages; ++p) {
        auto* devicePage = new QWidget();
        const int onPage = p < fullPages ? 3 : n % 3;
        for (int slot = 0; slot < onPage; ++slot) {
            const int index = 3 * p + slot;
            const DeviceAllInfo& entry = g_DeviceList.at(index);

            auto* button = new mytoolButtonEnter(devicePage);
            button->setObjectName(QStringLiteral("btn%1").arg(index));
            button->setGeometry(QRect(kButtons[onPage - 1][slot], QSize(kButtonWidth, kButtonHeight)));
            button->setFocusPolicy(Qt::NoFocus);
            // The picture comes with the restyle below, once the device has been
            // asked again. Set here, it would be decoded when the page joins the
            // stack, only to be replaced at once.
            button->setStyleSheet(buttonSheet(QString()));

            QLabel* offline = makeBadge(devicePage, QStringLiteral("label%1").arg(index), QStringLiteral("DisOnline.png"),
                                        QSize(32, 32));
            offline->move(kBadges[onPage - 1][slot]);
            offline->setToolTip(offlineTooltip());
            offline->hide();

            QLabel* connection = makeBadge(devicePage, QStringLiteral("UsbWifi%1").arg(index),
                                           entry.direct ? QStringLiteral("OnLineUsb.png") : QStringLiteral("OnLineWifi.png"),
                                           QSize(32, 32));
            connection->move(kBadges[onPage - 1][slot]);
            connection->hide();

            s_deviceButtons.append(button);
            s_offlineBadges.append(offline);
            s_connectionBadges.append(connection);

            const QString rate = rateBadge(entry);
            if (!rate.isEmpty()) {
                QLabel* rateLabel = makeBadge(devicePage, QString(), rate, QSize(42, 26));
                rateLabel->move(kRates[onPage - 1][slot]);
                s_rateBadges.append(rateLabel);
            }
        }
        stack->addWidget(devicePage);
    }
    if (n % 3)
        stack->setCurrentIndex(0);

    page->m_rightButton->setVisible(n > 3);
    page->m_leftButton->hide();

    for (const QPointer<mytoolButtonEnter>& button : qAsConst(s_deviceButtons)) {
        QString name = button->objectName();
        name.remove(QStringLiteral("btn"));
        UpdateDeviceButtons(name.toInt());
        connect(button.data(), SIGNAL(clicked()), page, SLOT(slotButtonClicked()));
    }
}

bool DialogChange::UpdateDeviceButtons(int i)
{
    if (g_DeviceList.isEmpty() || i < 0 || i >= g_DeviceList.size())
        return true;
    DeviceDiscovery::RequeryDevice(i);
    const DeviceAllInfo entry = g_DeviceList.at(i);

    QToolButton* button = s_deviceButtons.value(i);
    QLabel* offline = s_offlineBadges.value(i);
    QLabel* connection = s_connectionBadges.value(i);
    auto setShown = [](QWidget* w, bool shown) {
        if (w)
            w->setVisible(shown);
    };

    if (entry.modelIndex >= s_catalogueSize) {
        setShown(connection, true);
        setButtonPicture(button, QStringLiteral("Unknow.png"));
        return true;
    }
    const int k = pictureNumber(entry.mid);
    if (entry.online) {
        setShown(connection, true);
        setShown(offline, false);
        if (k >= 0)
            setButtonPicture(button, QStringLiteral("OnLine%1.png").arg(k));
    } else {
        setShown(offline, true);
        setShown(connection, false);
        if (k >= 0)
            setButtonPicture(button, QStringLiteral("DisOnlin%1.png").arg(k));
    }
    return true;
}

void DialogChange::on_RightButton_clicked()
{
    m_label2->hide();
    m_label3->show();
    const int current = m_stackedWidget->currentIndex();
    if (current == m_stackedWidget->count() - 2) {
        m_leftButton->show();
        m_rightButton->hide();
    }
    m_stackedWidget->setCurrentIndex(current + 1);
}

void DialogChange::on_LeftButton_clicked()
{
    m_label2->hide();
    m_label3->show();
    const int current = m_stackedWidget->currentIndex();
    if (current == 1) {
        m_leftButton->hide();
        m_rightButton->show();
    }
    if (current > 0)
        m_stackedWidget->setCurrentIndex(current - 1);
}

// ---- Opening a device ----

void DialogChange::slotButtonClicked()
{
    ClickScope scope;
    PostMsg* bus = PostMsg::GetInstance();
    bus->PostSetver(6);

    QString name = sender() ? sender()->objectName() : QString();
    name.remove(QStringLiteral("btn"));
    const int index = name.toInt();
    if (index < 0 || index >= g_DeviceList.size())
        return;
    // The list may change while a dialog below runs; the click keeps this copy.
    const DeviceAllInfo entry = g_DeviceList.at(index);

    bus->PostMouseIndex(mouseIndexOf(modelValue(entry, QStringLiteral("MID")).toInt()));

    if (g_DeviceList.size() == 2) {
        const DeviceAllInfo other = g_DeviceList.at(index == 0 ? 1 : 0);
        if (other.cid == entry.cid && other.mid == entry.mid && !deviceOnline(entry.path) && deviceOnline(other.path)) {
            if (!runPairingCheck(entry))
                return;
        }
    }

    if (entry.modelIndex == m_deviceTotal) {
        if (!entry.direct)
            runPairingCheck(entry);
        return;
    }

    openDevice(entry);
}

void DialogChange::openDevice(const DeviceAllInfo& entry)
{
    PostMsg* bus = PostMsg::GetInstance();
    bus->PostSelectMouseInfo(entry);
    g_DeviceModelId = entry.mid;
    const int kind = FirmwareImageSearch::receiverKindOf(entry.connectionType);

    QString flag;
    if (QDir(AppPaths::appSubdir(QStringLiteral("bin"))).exists()) {
        g_DongleUpdateRequested =
            HasNewerFirmware(FirmwareImageHeader::kReceiverType, entry.receiverVersion, kind);
        if (g_DongleUpdateRequested)
            flag = QStringLiteral("true");
    }
    bus->PostLabelTextB(entry.receiverVersion, flag);
    bus->PostChangeMainDialog(1);

    Timing::sleep(kOpenDelayMs);

    // The pass connects only while the link is enabled: both before the start.
    g_WorkerRunRequest = true;
    g_LinkEnabled = 1;
    if (g_Worker)
        g_Worker->start();
}

bool DialogChange::runPairingCheck(const DeviceAllInfo& entry)
{
    const QString cidText = option(QStringLiteral("CID"));
    const QString midText = modelValue(entry, QStringLiteral("MID"));
    const QString version = UpdateRecords::mouseVersion(cidText, midText);
    if (version.isEmpty()) {
        runPairing(entry);
        return false;
    }

    const uchar cid = uchar(cidText.toInt());
    const uchar mid = uchar(midText.toInt());
    const bool mouseImage =
        FindFirmwareImage(FirmwareImageHeader::kMouseType, version, modelValue(entry, QStringLiteral("MM")), cid, mid);

    // A direct entry has no receiver, hence no receiver image.
    const QString key = FirmwareImageSearch::receiverModelKey(FirmwareImageSearch::receiverKindOf(entry.connectionType));
    bool receiverImage = false;
    if (!key.isEmpty() && !entry.direct) {
        const QString receiverName = modelValue(entry, key);
        if (key == QLatin1String("DM") || !receiverName.isEmpty())
            receiverImage = UpDateRepair::FindFirmwareFile(FirmwareImageHeader::kReceiverType, entry.receiverVersion,
                                                           receiverName, cid, mid);
    }

    if (mouseImage == receiverImage) {
        RePair question;
        placeCentred(&question);
        question.exec();
        if (question.accepted)
            runPairing(entry);
        return false;
    }
    if (mouseImage) {
        UpDateWarning warning;
        warning.SetMessage(g_UpdateWarningText);
        placeCentred(&warning, -20);
        warning.exec();
        return false;
    }
    return true;
}

void DialogChange::runPairing(const DeviceAllInfo& entry)
{
    g_MatchMode = 1;
    g_SelectedDevice = entry;
    Match match;
    match.ResetPairPage();
    placeCentred(&match);
    match.exec();
}
