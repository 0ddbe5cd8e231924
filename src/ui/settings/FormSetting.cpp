#include "ui/settings/FormSetting.h"

#include "app/Globals.h"
#include "app/LanguageChoice.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "core/SettingsStore.h"
#include "core/Timing.h"
#include "device/FirmwareImageSearch.h"
#include "device/FirmwareTransfer.h"
#include "device/HeldImage.h"
#include "device/ReportHandler.h"
#include "device/UpdateRecords.h"
#include "device/Worker.h"
#include "platform/AutoStart.h"
#include "platform/Launcher.h"
#include "ui/common/SettingsNotSaved.h"
#include "ui/common/StyleHelper.h"
#include "ui/sensor/MyConmboBox.h"
#include "ui/sensor/StopCloseTime.h"
#include "ui/settings/Match.h"
#include "ui/settings/UpDateRepair.h"
#include "ui/settings/UpDateWarning.h"
#include "ui/settings/UpdateLog.h"

#include <HIDUsb.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QListView>
#include <QMouseEvent>
#include <QMutexLocker>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

int g_Transition = 0;

namespace {
constexpr int kContentWidth = 880;
constexpr int kBaseHeight = 630;
constexpr int kTallHeight = 780;
constexpr int kUpdateTickMs = 1000;
constexpr int kUpdateButtonWidth = 100;
constexpr int kUpdateButtonEdge = 8;   // rounded ends of the update button's pictures
constexpr int kUpdateArrowEdge = 24;   // the arrow at the right end of "WaitUpdate.png"
constexpr int kVersionValueWidth = 90;  // a version value's room when the column has it
constexpr int kUsbChangedInterval = 600;
constexpr int kReceiverKind4K = 1;  // connection type of a 4K receiver
// Idle light-off times in seconds, by entry of the idle control.
constexpr int kIdleSeconds[StopCloseTime::kEntryCount] = {10, 30, 60, 300, 600, 900, 1200, 1500, 1800, 2100, 2400};

const char* const kLanguageNames[] = {"English", "Deutsch", "Français", "Español", "Italiano",
                                      "Nederlands", "Polski", "Romanesc", "繁体中文", "Українська"};

QFont uiFont(int points)
{
    QFont font(QString::fromUtf8("微软雅黑"));
    font.setPointSize(points);
    return font;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QRect& geometry, int points = 11)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setFont(uiFont(points));
    return label;
}

QTextEdit* makeText(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* edit = new QTextEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(geometry);
    edit->setReadOnly(true);
    edit->setFont(uiFont(10));
    edit->setFrameShape(QFrame::NoFrame);
    edit->setFocusPolicy(Qt::NoFocus);
    return edit;
}

QString setting(const QString& group, const QString& key)
{
    return ConfigSettings::instance()->value(group, key);
}

// The update run's program state. Written on the GUI thread only: the device
// library's progress reaches it there (see onTransferMessage).
enum UpdateState { kIdle = 0, kRunning = 1, kDone = 2, kFailed = 3, kNoImage = 4 };
struct UpdateRun
{
    int receiverState = kIdle;
    int mouseState = kIdle;
    int receiverKind = 0;
    int customerId = 0;
    int modelId = 0;
    int type = 0;          // 210 or 211: the device given to the library last
    int deviceCount = 1;   // 2: both, the receiver first unless a record names the mouse
    bool mouseFirst = false;  // a record naming the mouse puts it first
    bool transferActive = false;  // the library took this run's image
    QString imageVersion;  // version text of the image being sent
};
UpdateRun s_run;
// The page whose run the library's progress belongs to.
QPointer<FormSetting> s_updatePage;
constexpr int kReceiverKinds[4] = {1, 2, 4, 8};

int kindSlot(int kind)
{
    for (int i = 0; i < 4; ++i) {
        if (kReceiverKinds[i] == kind)
            return i;
    }
    return -1;
}

bool hasAddress(const DeviceAllInfo& d)
{
    for (quint8 b : d.address) {
        if (b)
            return true;
    }
    return false;
}

// The first receiver the device scan lists that is paired with a mouse.
const DeviceAllInfo* firstPairedReceiver(const QList<DeviceAllInfo>& list)
{
    for (const DeviceAllInfo& d : list) {
        if (!d.direct && hasAddress(d))
            return &d;
    }
    return nullptr;
}

// The device a record names when this run sends `type`.
UpdateRecords::Failure runDevice(int type)
{
    return UpdateRecords::device(type, s_run.receiverKind, s_run.customerId, s_run.modelId);
}
}

FormSetting::FormSetting(QWidget* parent)
    : QWidget(parent)
{
    buildForm();
    QMetaObject::connectSlotsByName(this);
    m_newLabel->hide();
    // The update button stays in view: its look tells whether newer firmware
    // exists, and it is where a person starts the update.

    PostMsg* bus = PostMsg::GetInstance();
    connect(bus, SIGNAL(SigMouseIndex(int)), this, SLOT(SlotMouseIndex(int)));
    connect(bus, SIGNAL(SigLanguageSameB(int)), this, SLOT(SlotLanguageSameB(int)));
    connect(bus, SIGNAL(SigSetver(int)), this, SLOT(SetVer(int)));
    connect(bus, SIGNAL(SigLabelTextB(QString,QString)), this, SLOT(SlotLabelTextB(QString,QString)));
    // The device thread and the report callback wait for these, so the shared
    // receiver light buffer is read while its writer stands still.
    connect(bus, SIGNAL(SigRGBValue(DongleRGB*)), this, SLOT(SlotRGBValue(DongleRGB*)), Qt::BlockingQueuedConnection);
    connect(bus, SIGNAL(SigLongRangeMode(bool)), this, SLOT(SlotLongRangeMode(bool)), Qt::BlockingQueuedConnection);
    connect(bus, SIGNAL(SigSelectMouseInfo(DeviceAllInfo)), this, SLOT(SlotSelectMouseInfo(DeviceAllInfo)));
    connect(bus, SIGNAL(SigForm()), this, SLOT(SlotForm()), Qt::BlockingQueuedConnection);
    connect(bus, SIGNAL(SigFormB()), this, SLOT(SlotFormB()));
    connect(bus, SIGNAL(SigFormReset()), this, SLOT(SlotFormResetForm()), Qt::BlockingQueuedConnection);
    connect(bus, SIGNAL(SigLightToFrom(int)), this, SLOT(SlotLightToFrom(int)));
    // An idle time the mouse did not take: the box shows the one it holds.
    connect(HeldImage::instance(), &HeldImage::show, this,
            [this](const FlashDataMap& image) { SlotLightToFrom(int(image.idleLightOffTime) * 10); });
    connect(bus, SIGNAL(SigSetNewVer()), this, SLOT(SetVerText()));
    connect(bus, SIGNAL(SigLabelText(int,QString)), this, SLOT(SlotLabelText(int,QString)));
    connect(bus, SIGNAL(SigCheckUpdate()), this, SLOT(SlotCheckUpdate()));
    connect(bus, SIGNAL(SigContinue(int)), this, SLOT(SlotContinue(int)));
    connect(bus, &PostMsg::SigUpdateStart, this, &FormSetting::on_Start);
    connect(m_scrollArea->verticalScrollBar(), &QScrollBar::valueChanged, this, &FormSetting::SlotScroolChange);

    m_pictureFolder = StyleHelper::pictureFolder(QStringLiteral("FormSetting"));
    if (!g_UpDateRepairDialog) {
        g_UpDateRepairDialog = new UpDateRepair(nullptr);
        g_UpDateRepairDialog->hide();
    }
    m_warning = new UpDateWarning(nullptr);
    m_lightGroup = new QButtonGroup(this);
    m_lightGroup->setExclusive(true);
    g_Transition = setting(QStringLiteral("Option"), QStringLiteral("Transition")).toInt();

    applyLook();
    // Precise: a coarse timer lets each tick drift by up to 5 %, which over the
    // run's seven ticks moved the end of an update by a third of a second either way.
    m_dongleCheckTimer = new QTimer(this);
    m_dongleCheckTimer->setTimerType(Qt::PreciseTimer);
    m_dongleCheckTimer->setInterval(Timing::scaled(kUpdateTickMs));
    connect(m_dongleCheckTimer, &QTimer::timeout, this, &FormSetting::onDongleCheckTimer);
    m_mouseCheckTimer = new QTimer(this);
    m_mouseCheckTimer->setTimerType(Qt::PreciseTimer);
    m_mouseCheckTimer->setInterval(Timing::scaled(kUpdateTickMs));
    connect(m_mouseCheckTimer, &QTimer::timeout, this, &FormSetting::onMouseCheckTimer);
    m_labelAnchor = m_label->pos();

    bool ok = false;
    m_autoStart->setChecked(SettingsStore::instance()->value(QStringLiteral("AutoStart"), QStringLiteral("Enable")).toInt(&ok) == 1 && ok);
    // A dead link is worse than none: without a mouse settings tool it is hidden.
    const bool mouseSettings = !Launcher::mouseSettingsCommand().isEmpty();
    m_mouseIcon->setVisible(mouseSettings);
    m_mouseSettings->setVisible(mouseSettings);

    for (QWidget* w : std::initializer_list<QWidget*>{m_titleMarks[4], m_label11, m_longRange, m_longRangeText,
                                                      m_lines[4], m_titleMarks[5], m_label14, m_reUntil[0], m_reUntil[1],
                                                      m_reUntil[2], m_lightTexts[0], m_lightTexts[1], m_lightTexts[2]})
        w->hide();
    applyBaseLayout();

    for (QCheckBox* box : m_reUntil)
        m_lightGroup->addButton(box);
    connect(bus, SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    // The page may be built after the start-up broadcast of the language.
    SlotAllLanguage(g_LanguageIndex);
    SlotLanguageSameB(g_LanguageIndex);
}

FormSetting::~FormSetting() = default;

void FormSetting::buildForm()
{
    setObjectName(QStringLiteral("FormSetting"));
    resize(kContentWidth, kBaseHeight);

    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("FrameSetting"));
    m_frame->setGeometry(0, 0, kContentWidth, kBaseHeight);
    m_frame->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical{width:13px;background:rgb(30,30,30);border:none;margin:25px 0 25px 0;}"
        "QScrollBar::handle:vertical{background:rgb(117,117,117);border-radius:3px;min-height:30px;}"
        "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{height:25px;background:rgb(30,30,30);}"
        "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:transparent;}"
        "QScrollBar::up-arrow:vertical,QScrollBar::down-arrow:vertical{background:transparent;}"));

    m_scrollArea = new QScrollArea(m_frame);
    m_scrollArea->setObjectName(QStringLiteral("scrollArea"));
    m_scrollArea->setGeometry(0, 0, kContentWidth, kBaseHeight);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    // The viewport paints the palette's light window colour unless told not to.
    m_scrollArea->setStyleSheet(QStringLiteral("QScrollArea#scrollArea{background:transparent;border:none;}"));
    m_scrollArea->viewport()->setAutoFillBackground(false);
    m_scrollArea->viewport()->setStyleSheet(QStringLiteral("background:transparent;"));

    m_contents = new QWidget();
    m_contents->setObjectName(QStringLiteral("scrollAreaWidgetContents"));
    m_scrollArea->setWidget(m_contents);
    m_contents->setAutoFillBackground(false);
    QWidget* c = m_contents;

    const int titleY[6] = {32, 132, 262, 362, 32, 172};
    const int titleX[6] = {30, 30, 30, 30, 470, 470};
    for (int i = 0; i < 6; ++i) {
        auto* mark = new QToolButton(c);
        mark->setObjectName(QStringLiteral("TitleButton_%1").arg(i + 2));
        mark->setGeometry(titleX[i], titleY[i], 16, 10);
        mark->setEnabled(false);
        mark->setFocusPolicy(Qt::NoFocus);
        m_titleMarks[i] = mark;
    }

    // Language.
    m_label2 = makeLabel(c, "label_2", QRect(54, 22, 360, 30), 12);
    m_comboBox = new MyConmboBox(c);
    m_comboBox->setObjectName(QStringLiteral("comboBox"));
    m_comboBox->setGeometry(54, 62, 150, 30);
    m_comboBox->setFocusPolicy(Qt::NoFocus);
    for (const char* name : kLanguageNames)
        m_comboBox->addItem(QString::fromUtf8(name));

    // Device information.
    m_label3 = makeLabel(c, "label_3", QRect(54, 122, 360, 30), 12);
    m_label4 = makeLabel(c, "label_4", QRect(54, 160, 170, 26));
    m_label5 = makeLabel(c, "label_5", QRect(228, 160, 90, 26));
    m_label6 = makeLabel(c, "label_6", QRect(54, 194, 170, 26));
    m_label7 = makeLabel(c, "label_7", QRect(228, 194, 90, 26));
    m_receiverHint = new QToolButton(c);
    m_receiverHint->setObjectName(QStringLiteral("toolButton_2"));
    m_receiverHint->setGeometry(320, 163, 20, 20);
    m_receiverHint->hide();
    m_mouseHint = new QToolButton(c);
    m_mouseHint->setObjectName(QStringLiteral("toolButton_3"));
    m_mouseHint->setGeometry(320, 197, 20, 20);
    m_mouseHint->hide();
    m_receive2 = new QPushButton(c);
    m_receive2->setObjectName(QStringLiteral("Receive_2"));
    m_receive2->setGeometry(350, 176, 100, 28);
    m_receive2->setFocusPolicy(Qt::NoFocus);
    m_newLabel = makeText(c, "NewLabel", QRect(54, 226, 360, 26));

    // Pairing.
    m_label8 = makeLabel(c, "label_8", QRect(54, 252, 360, 30), 12);
    m_pairButton = new QPushButton(c);
    m_pairButton->setObjectName(QStringLiteral("pushButton_2"));
    m_pairButton->setGeometry(54, 292, 120, 32);
    m_pairButton->setFont(uiFont(11));
    m_pairButton->setFocusPolicy(Qt::NoFocus);

    // Other.
    m_label9 = makeLabel(c, "label_9", QRect(54, 352, 360, 30), 12);
    m_autoStart = new QCheckBox(c);
    m_autoStart->setObjectName(QStringLiteral("checkBox"));
    m_autoStart->setGeometry(54, 398, 20, 20);
    m_autoStart->setFocusPolicy(Qt::NoFocus);
    m_label10 = makeLabel(c, "label_10", QRect(82, 394, 330, 28));
    m_mouseIcon = new QToolButton(c);
    m_mouseIcon->setObjectName(QStringLiteral("toolButton"));
    m_mouseIcon->setGeometry(52, 434, 24, 24);
    m_mouseIcon->setEnabled(false);
    m_mouseSettings = new QPushButton(c);
    m_mouseSettings->setObjectName(QStringLiteral("pushButton"));
    m_mouseSettings->setGeometry(80, 432, 300, 28);
    m_mouseSettings->setFont(uiFont(11));
    m_mouseSettings->setCursor(Qt::PointingHandCursor);
    m_mouseSettings->setFocusPolicy(Qt::NoFocus);

    // Idle light-off time (the same field as on the lighting page).
    m_idleMark = new QToolButton(c);
    m_idleMark->setObjectName(QStringLiteral("TitleButton_8"));
    m_idleMark->setGeometry(30, 502, 16, 10);
    m_idleMark->setEnabled(false);
    m_idleMark->setFocusPolicy(Qt::NoFocus);
    m_label12 = makeLabel(c, "label_12", QRect(54, 492, 360, 30), 12);
    m_label13 = makeLabel(c, "label_13", QRect(54, 524, 400, 26), 10);
    m_label13->setWordWrap(true);
    m_idle = new StopCloseTime(c);
    m_idle->move(54, 556);

    // Receiver long-range mode.
    m_label11 = makeLabel(c, "label_11", QRect(494, 22, 340, 30), 12);
    m_longRange = new QCheckBox(c);
    m_longRange->setObjectName(QStringLiteral("checkBox_2"));
    m_longRange->setGeometry(494, 68, 20, 20);
    m_longRange->setFocusPolicy(Qt::NoFocus);
    m_longRangeText = makeText(c, "textEdit", QRect(522, 62, 320, 80));

    // Receiver light.
    m_label14 = makeLabel(c, "label_14", QRect(494, 162, 340, 30), 12);
    const char* boxNames[3] = {"ReUntil", "ReUntil_2", "ReUntil_3"};
    const char* textNames[3] = {"textEdit_2", "textEdit_3", "textEdit_4"};
    for (int i = 0; i < 3; ++i) {
        m_reUntil[i] = new QCheckBox(c);
        m_reUntil[i]->setObjectName(QLatin1String(boxNames[i]));
        m_reUntil[i]->setGeometry(494, 208 + 60 * i, 20, 20);
        m_reUntil[i]->setFocusPolicy(Qt::NoFocus);
        m_lightTexts[i] = makeText(c, textNames[i], QRect(522, 202 + 60 * i, 320, 52));
    }

    // Footer.
    // Clear of the scroll bar that the tall layout brings.
    m_label = makeLabel(c, "label", QRect(680, 6, 170, 24), 10);
    m_label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_companyName = new QPushButton(c);
    m_companyName->setObjectName(QStringLiteral("pushButton_4"));
    m_companyName->resize(360, 24);
    m_companyName->setFlat(true);
    m_companyName->setFocusPolicy(Qt::NoFocus);
    m_webAddress = new QPushButton(c);
    m_webAddress->setObjectName(QStringLiteral("pushButton_3"));
    m_webAddress->resize(240, 24);
    m_webAddress->setFlat(true);
    m_webAddress->setCursor(Qt::PointingHandCursor);
    m_webAddress->setFocusPolicy(Qt::NoFocus);
    QFont italic = uiFont(10);
    italic.setItalic(true);
    m_webAddress->setFont(italic);
    QFont underlined = uiFont(11);
    underlined.setUnderline(true);
    m_mouseSettings->setFont(underlined);

    const int lineY[5] = {112, 242, 342, 480, 152};
    const int lineX[5] = {30, 30, 30, 30, 470};
    for (int i = 0; i < 5; ++i) {
        auto* line = new QFrame(c);
        line->setObjectName(i == 0 ? QStringLiteral("line") : QStringLiteral("line_%1").arg(i + 1));
        line->setGeometry(lineX[i], lineY[i], i == 4 ? 380 : 400, 1);
        line->setStyleSheet(QStringLiteral("background-color:rgb(44,50,61);"));
        m_lines[i] = line;
    }
}

void FormSetting::applyLook()
{
    QString label;
    ConfigSettings::instance()->colourText(QStringLiteral("LabelColor"), &label);
    ConfigSettings::instance()->colourText(QStringLiteral("ButtonColor"), &m_buttonColour);
    m_labelColour = label;
    QString comboText, comboSelect, comboBack;
    const bool comboColours = ConfigSettings::instance()->colourText(QStringLiteral("ComboxTextColor"), &comboText)
                              && ConfigSettings::instance()->colourText(QStringLiteral("ComboxSelectColor"), &comboSelect)
                              && ConfigSettings::instance()->colourText(QStringLiteral("ComboxBackGroundColor"), &comboBack);

    const QString f = m_pictureFolder;
    QString sheet = QStringLiteral("#scrollAreaWidgetContents{background:transparent;}");
    if (!m_labelColour.isEmpty())
        sheet += QStringLiteral("QLabel,QTextEdit,QPushButton#pushButton,QPushButton#pushButton_3,"
                                "QPushButton#pushButton_4,QCheckBox{color:rgb(%1);}").arg(m_labelColour);
    sheet += QStringLiteral("QTextEdit{background:transparent;border:none;}"
                            "QPushButton#pushButton,QPushButton#pushButton_3,QPushButton#pushButton_4"
                            "{border:none;background:transparent;text-align:left;}");
    sheet += QStringLiteral("QToolButton[objectName^=\"TitleButton\"]{border:none;background:url(%1Title.png) center no-repeat;}").arg(f);
    sheet += QStringLiteral("QCheckBox#checkBox::indicator,QCheckBox#checkBox_2::indicator{width:16px;height:16px;"
                            "image:url(%1CheckBox.png);}"
                            "QCheckBox#checkBox::indicator:checked,QCheckBox#checkBox_2::indicator:checked{"
                            "image:url(%1CheckBoxChecked.png);}").arg(f);
    sheet += QStringLiteral("QCheckBox[objectName^=\"ReUntil\"]::indicator{width:16px;height:16px;image:url(%1CheckBox2.png);}"
                            "QCheckBox[objectName^=\"ReUntil\"]::indicator:checked{image:url(%1CheckBoxCheck.png);}").arg(f);
    sheet += QStringLiteral("QToolButton#toolButton{border:none;background:url(%1Mouse.png) center no-repeat;}"
                            "QToolButton#toolButton_2,QToolButton#toolButton_3{border:none;"
                            "background:url(%1Picture.png) center no-repeat;}").arg(f);
    m_contents->setStyleSheet(sheet);

    m_pairButton->setStyleSheet(QStringLiteral("QPushButton{border:none;%1border-image:url(%2PariButton.png);}")
                                    .arg(m_buttonColour.isEmpty() ? QString() : QStringLiteral("color:rgb(%1);").arg(m_buttonColour), f));
    setUpdateLook(false);

    if (comboColours) {
        m_comboBox->setStyleSheet(
            QStringLiteral("QComboBox{border:none;color:rgb(%1);border-image:url(%4ComboboxBack.png);combobox-popup:0;}"
                           "QComboBox::drop-down{background:rgb(%3);border:none;}"
                           "QComboBox::down-arrow{image:url(%4Menu.png);}"
                           "QComboBox::down-arrow:on{image:url(%4MenuClicked.png);}"
                           "QComboBox QAbstractItemView{color:rgb(%1);border-image:url(%4ComboboxTextBack.png);"
                           "selection-background-color:rgb(%2);outline:0px;}"
                           "QComboBox QAbstractItemView::item{height:25px;}")
                .arg(comboText, comboSelect, comboBack, f));
    }
    auto* view = new QListView(m_comboBox);
    m_comboBox->setView(view);
}

void FormSetting::applyBaseLayout()
{
    m_contents->setFixedSize(kContentWidth, kBaseHeight);
    m_webAddress->move(610, 540);
    m_companyName->move(490, 560);
}

void FormSetting::setUpdateCaption(const QString& caption)
{
    m_receive2->setText(caption);
    const int needed = m_receive2->fontMetrics().horizontalAdvance(caption) + kUpdateArrowEdge + kUpdateButtonEdge + 12;
    m_receive2->resize(qMax(kUpdateButtonWidth, needed), m_receive2->height());
    placeVersionRows();
}

// The update runs with the receiver beside the mouse on its cable (or resumes
// one the receiver's boot loader holds): a model without a receiver never
// gets there, so its button offers nothing.
bool FormSetting::updateCanRun()
{
    const QString group = QStringLiteral("Drive%1").arg(currentDeviceCopy().modelIndex + 1);
    for (int kind : kReceiverKinds) {
        if (!setting(group, FirmwareImageSearch::receiverModelKey(kind)).isEmpty())
            return true;
    }
    return false;
}

void FormSetting::setUpdateLook(bool available)
{
    available = available && updateCanRun();
    const QString colour = m_buttonColour.isEmpty() ? QString() : QStringLiteral("color:rgb(%1);").arg(m_buttonColour);
    // The ends of the picture keep their size (the arrow stays clear of a
    // long caption); only its middle stretches.
    if (available)
        m_receive2->setStyleSheet(
            QStringLiteral("QPushButton{%1border-width:0px %3px 0px %4px;border-image:url(%2WaitUpdate.png) 0 %3 0 %4 stretch stretch;}"
                           "QPushButton:hover{border-image:url(%2WaitUpdateHover.png) 0 %3 0 %4 stretch stretch;}")
                .arg(colour, m_pictureFolder)
                .arg(kUpdateArrowEdge)
                .arg(kUpdateButtonEdge));
    else
        m_receive2->setStyleSheet(
            QStringLiteral("QPushButton{%1border-width:0px %3px 0px %3px;border-image:url(%2Confirm.png) 0 %3 0 %3 stretch stretch;}")
                .arg(colour, m_pictureFolder)
                .arg(kUpdateButtonEdge));
    m_receive2->setProperty("updateAvailable", available);
}

void FormSetting::on_comboBox_activated(int index)
{
    if (index < 0)
        return;
    const bool saved = LanguageChoice::apply(index);
    PostMsg::GetInstance()->PostLanguageSameA(index);
    SettingsNotSaved::tellIfNotSaved(saved, this);
}

void FormSetting::SlotLanguageSameB(int language)
{
    const bool blocked = m_comboBox->blockSignals(true);
    m_comboBox->setCurrentIndex(language);
    m_comboBox->blockSignals(blocked);
}

void FormSetting::SlotAllLanguage(int language)
{
    auto t = [language](int position) {
        return LanguageTables::text(LanguageSection::FormSetting, language, position);
    };
    m_label->setText(t(0));
    m_label2->setText(t(1));
    m_label3->setText(t(2));
    m_label4->setText(t(3));
    m_label6->setText(t(4));
    m_label8->setText(t(5));
    m_pairButton->setText(t(6));
    m_updateCaption = t(7);
    setUpdateCaption(m_updateCaption);
    m_label9->setText(t(9));
    m_label10->setText(t(10));
    m_mouseSettings->setText(t(11));
    m_label11->setText(t(12));
    m_longRangeText->setPlainText(t(13));
    g_UpdateWarningText = t(14);
    m_newLabel->setPlainText(t(16));
    m_upToDateCaption = t(18);
    m_label14->setText(t(19));
    for (int i = 0; i < 3; ++i)
        m_lightTexts[i]->setPlainText(t(20 + i));

    for (int i = 0; i < StopCloseTime::kEntryCount; ++i)
        m_idle->setItemText(i, t(28 + i));
    m_label12->setText(t(39));
    m_label13->setText(t(40));

    // The Chinese company name and address belong to the Chinese interface.
    const bool chinese = language == 8;
    m_companyName->setText(LanguageTables::netText(chinese ? 1 : 0));
    m_webAddress->setText(LanguageTables::netText(chinese ? 2 : 3));

    m_receive2->setFont(uiFont(10));
    setUpdateCaption(m_receive2->text());
}

void FormSetting::placeVersionRows()
{
    // The values follow their captions, whose length depends on the language.
    const int captionWidth = qMax(m_label4->fontMetrics().horizontalAdvance(m_label4->text()),
                                  m_label6->fontMetrics().horizontalAdvance(m_label6->text()));
    m_label4->resize(qMax(m_label4->width(), captionWidth), m_label4->height());
    m_label6->resize(qMax(m_label6->width(), captionWidth), m_label6->height());
    const int valueX = m_label4->x() + captionWidth + 12;
    // The update button follows the values but never leaves the section's
    // column (its separator line): where long captions leave less room the
    // button stops at the column's edge and the values, short version texts,
    // take what remains.
    const QRect column = m_lines[0]->geometry();
    const int hintWidth = m_receiverHint->width();
    const int buttonX = qMin(valueX + kVersionValueWidth + hintWidth, column.right() + 1 - m_receive2->width());
    const int valueWidth = qMax(0, buttonX - hintWidth - valueX);
    m_label5->setGeometry(valueX, m_label5->y(), valueWidth, m_label5->height());
    m_label7->setGeometry(valueX, m_label7->y(), valueWidth, m_label7->height());
    m_receiverHint->move(valueX + valueWidth, m_receiverHint->y());
    m_mouseHint->move(valueX + valueWidth, m_mouseHint->y());
    m_receive2->move(buttonX, m_receive2->y());
}

void FormSetting::SlotMouseIndex(int index)
{
    Q_UNUSED(index)
}

void FormSetting::formVersionTexts(QString* receiverText, QString* mouseText, int* receiverKind) const
{
    const DeviceAllInfo current = currentDeviceCopy();
    *receiverKind = 0;
    if (!current.online) {
        *receiverText = current.receiverVersion;
        mouseText->clear();
        return;
    }
    if (!current.direct) {
        *receiverText = current.receiverVersion;
        *mouseText = current.firmwareVersion;
        *receiverKind = FirmwareImageSearch::receiverKindOf(current.connectionType);
        return;
    }
    receiverText->clear();
    *mouseText = current.firmwareVersion;
    if (g_WorkerDeviceList.size() == 2) {
        if (const DeviceAllInfo* receiver = firstPairedReceiver(g_WorkerDeviceList)) {
            *receiverText = receiver->receiverVersion;
            *receiverKind = FirmwareImageSearch::receiverKindOf(receiver->connectionType);
        }
    }
}

void FormSetting::SetVer(int mode)
{
    switch (mode) {
    case 0:
    case 5: {
        QString receiverText, mouseText;
        int kind = 0;
        if (mode == 5)
            SetVer(4);
        formVersionTexts(&receiverText, &mouseText, &kind);
        if (mode == 0 && QDir(AppPaths::appSubdir(QStringLiteral("bin"))).exists()) {
            g_MouseUpdateRequested = HasNewerFirmware(FirmwareImageHeader::kMouseType, mouseText, kind);
            g_DongleUpdateRequested = HasNewerFirmware(FirmwareImageHeader::kReceiverType, receiverText, kind);
            setUpdateLook(g_MouseUpdateRequested || g_DongleUpdateRequested);
        }
        m_label5->setText(receiverText);
        m_label7->setText(mouseText);
        break;
    }
    case 1:
        m_receiverHintState = 0;
        m_receiverHint->hide();
        break;
    case 2:
        m_mouseHintState = 0;
        m_mouseHint->hide();
        break;
    case 3:
        setUpdateCaption(m_updateCaption);
        break;
    case 4:
        setUpdateCaption(m_updateCaption);
        m_receiverHintState = m_mouseHintState = 0;
        m_receiverHint->hide();
        m_mouseHint->hide();
        m_receiverNoImage = m_mouseNoImage = false;
        // A rescan while a run goes on does not forget which device runs.
        if (!UpdateActive())
            m_receiverRunning = m_mouseRunning = false;
        break;
    case 6:
        m_label5->clear();
        m_label7->clear();
        break;
    default:
        break;
    }
}

void FormSetting::SlotLabelTextB(QString version, QString flag)
{
    m_label5->setText(version);
    setUpdateLook(flag == QLatin1String("true"));
}

void FormSetting::SlotScroolChange(int value)
{
    m_label->move(m_labelAnchor.x(), m_labelAnchor.y() + value + 10);
}

void FormSetting::mousePressEvent(QMouseEvent* event)
{
    event->accept();
}

int FormSetting::advancedItem(int index)
{
    const DeviceAllInfo current = currentDeviceCopy();
    const QStringList items = ConfigSettings::instance()->valueList(
        QStringLiteral("Drive%1").arg(current.modelIndex + 1), QStringLiteral("Adveanced"));
    bool ok = false;
    const int value = index < items.size() ? items.at(index).trimmed().toInt(&ok) : -1;
    return ok ? value : -1;
}

bool FormSetting::receiverLightApplies()
{
    const DeviceAllInfo current = currentDeviceCopy();
    return !current.path.isEmpty() && !current.direct && current.connectionType == kReceiverKind4K
           && advancedItem(1) != -1;
}

void FormSetting::setLongRangeVisible(bool visible)
{
    for (QWidget* w : std::initializer_list<QWidget*>{m_titleMarks[4], m_label11, m_longRange, m_longRangeText, m_lines[4]})
        w->setVisible(visible);
}

void FormSetting::setReceiverLightVisible(bool visible)
{
    for (QWidget* w : std::initializer_list<QWidget*>{m_titleMarks[5], m_label14, m_reUntil[0], m_reUntil[1],
                                                      m_reUntil[2], m_lightTexts[0], m_lightTexts[1], m_lightTexts[2]})
        w->setVisible(visible);
    if (visible)
        applyTallLayout();
    else
        applyBaseLayout();
}

void FormSetting::applyTallLayout()
{
    m_contents->setFixedSize(kContentWidth, kTallHeight);
    m_webAddress->move(610, 710);
    m_companyName->move(490, 730);
}

// The sections follow the opened model and its connection, whichever of the
// image and the receiver's own reports arrives first.
void FormSetting::SlotForm()
{
    const DeviceAllInfo current = currentDeviceCopy();
    setLongRangeVisible(advancedItem(0) != -1 && !current.direct && !current.path.isEmpty());
    setReceiverLightVisible(receiverLightApplies());
}

void FormSetting::SlotFormB()
{
    const DeviceAllInfo current = currentDeviceCopy();
    if (advancedItem(0) == -1 || current.direct)
        setLongRangeVisible(false);
    setReceiverLightVisible(receiverLightApplies());
}

void FormSetting::SlotFormResetForm()
{
    setLongRangeVisible(false);
    setReceiverLightVisible(false);
    // Showing "no data" must not switch the receiver's long range off.
    showLongRange(false);
}

void FormSetting::SlotRGBValue(DongleRGB* buffer)
{
    if (!buffer || !receiverLightApplies())
        return;
    setReceiverLightVisible(true);
    const int mode = buffer->mode;
    if (mode >= 1 && mode <= 3)
        m_reUntil[mode - 1]->setChecked(true);
}

void FormSetting::SlotLongRangeMode(bool on)
{
    if (advancedItem(0) == -1)
        return;
    setLongRangeVisible(true);
    showLongRange(on);
}

void FormSetting::SlotSelectMouseInfo(DeviceAllInfo)
{
    // The box shows the opened receiver's mode once it reports it, never the
    // one opened before.
    showLongRange(false);
}

void FormSetting::showLongRange(bool on)
{
    // What the receiver reported is shown, not written back to it.
    const QSignalBlocker blocker(m_longRange);
    m_longRange->setChecked(on);
}

void FormSetting::SlotLightToFrom(int seconds)
{
    int entry = -1;
    for (int i = 0; i < StopCloseTime::kEntryCount; ++i) {
        if (kIdleSeconds[i] == seconds)
            entry = i;
    }
    // A time outside the list shows no entry rather than a wrong one.
    m_idle->setIndex(entry);
}

void FormSetting::on_checkBox_clicked(bool on)
{
    const QString program = QCoreApplication::applicationFilePath();
    const bool arranged = on ? AutoStart::enable(program) : AutoStart::disable(program);
    // The box and the stored choice say whether the program starts with the
    // desktop, whichever way a change that could not be made left it.
    const bool starts = AutoStart::isEnabled();
    m_autoStart->setChecked(starts);
    const bool saved = SettingsStore::instance()->setValue(QStringLiteral("AutoStart"), QStringLiteral("Enable"),
                                                           starts ? QStringLiteral("1") : QStringLiteral("0"));
    SettingsNotSaved::tellIfNotSaved(arranged && saved, this);
}

void FormSetting::on_checkBox_2_clicked(bool on)
{
    Q_UNUSED(on)
}

void FormSetting::on_checkBox_2_toggled(bool on)
{
    if (!g_UiReady)
        return;
    const char* path = g_DevicePath;
    if (!UsbFinderC_GetDeviceOnLine(path)) {
        PostMsg::GetInstance()->PostMouseOffLineo(0);
        return;
    }
    UsbFinderC_SetLongRangeMode(path, on);
}

void FormSetting::lightModeToggled(int mode, bool on)
{
    if (!g_UiReady)
        return;
    const char* path = g_DevicePath;
    if (!UsbFinderC_GetDeviceOnLine(path)) {
        PostMsg::GetInstance()->PostMouseOffLineo(0);
        return;
    }
    if (!on)
        return;
    g_DongleRGB->mode = uint8_t(mode);
    UsbFinderC_Set4KDongleRGB(path, g_DongleRGB);
}

void FormSetting::on_ReUntil_toggled(bool on)
{
    lightModeToggled(1, on);
}

void FormSetting::on_ReUntil_2_toggled(bool on)
{
    lightModeToggled(2, on);
}

void FormSetting::on_ReUntil_3_toggled(bool on)
{
    lightModeToggled(3, on);
}

void FormSetting::on_pushButton_2_clicked()
{
    Match match(nullptr);
    match.ResetPairPage();
    const QPoint topLeft = mapToGlobal(QPoint(0, 0));
    match.move(topLeft.x() + (width() - match.width()) / 2 - 70, topLeft.y() + (height() - match.height()) / 2 - 30);
    match.exec();
    // The dialog took the report link and gave the device changes to the list.
    // A device page still open (its device was not unplugged meanwhile) takes
    // both back; otherwise the list keeps them.
    if (currentDeviceCopy().path.isEmpty())
        return;
    StartUsbChanged(&Worker::OnUsbDeviceChanged, kUsbChangedInterval);
    const char* path = g_DevicePath;
    UsbServerC_Start(path, path, OnHidReport);
}

void FormSetting::on_pushButton_clicked()
{
    Launcher::openMouseSettings();
}

void FormSetting::on_pushButton_3_clicked()
{
    Launcher::openWebAddress(m_webAddress->text());
}

// ---- The firmware update run ----
//
// Two 1000 ms timers, one per device, step one shared phase: 0 prepare (find the
// image), 1 count the candidates and start the transfer, 2 running, 3 wait for
// the transfer's end, 4 finish and chain the other device (receiver first, then
// mouse). Whatever ends a run, the dialog gets one final status, so it can
// always be closed.

int FormSetting::receiverUpdateState()
{
    return s_run.receiverState;
}

int FormSetting::mouseUpdateState()
{
    return s_run.mouseState;
}

QString FormSetting::formText(int position) const
{
    return LanguageTables::text(LanguageSection::FormSetting, g_LanguageIndex, position);
}

void FormSetting::placeOverPage(QWidget* dialog) const
{
    StyleHelper::placeCentred(dialog, this, -75, -65);
}

bool FormSetting::UpdateActive() const
{
    return m_dongleCheckTimer->isActive() || m_mouseCheckTimer->isActive();
}

void FormSetting::SetVerText()
{
    setUpdateCaption(m_upToDateCaption);
}

void FormSetting::SlotLabelText(int index, QString text)
{
    if (index != 0 && index != 1)
        return;
    (index == 0 ? m_label5 : m_label7)->setText(text);
    QMutexLocker lock(&g_CurrentDeviceMutex);
    if (index == 0)
        g_CurrentDevice.receiverVersion = text;
    else
        g_CurrentDevice.firmwareVersion = text;
}

bool FormSetting::refuse(int textPosition)
{
    return refuseWith(formText(textPosition));
}

bool FormSetting::refuseWith(const QString& text)
{
    if (UpDateRepair* dialog = g_UpDateRepairDialog) {
        dialog->SetLabelText(text);
        dialog->ShowIdleMode();
    }
    return false;
}

bool FormSetting::ChechIsUpDate()
{
    s_run.receiverKind = 0;
    m_mouseBootExpected = false;
    m_mouseFirst = false;
    const DeviceAllInfo current = currentDeviceCopy();
    m_modelGroup = QStringLiteral("Drive%1").arg(current.modelIndex + 1);
    m_mouseModelName = setting(m_modelGroup, QStringLiteral("MM"));
    const int modelId = setting(m_modelGroup, QStringLiteral("MID")).toInt();
    s_run.customerId = setting(QStringLiteral("Option"), QStringLiteral("CID")).toInt();
    s_run.modelId = modelId;
    const QList<DeviceAllInfo> listed = g_WorkerDeviceList;

    if (listed.isEmpty())
        return refuse(25);

    if (listed.size() == 1) {
        const DeviceAllInfo& d = listed.first();
        const std::optional<UpdateRecords::Failure> record = UpdateRecords::failureRecord();
        if (!record)
            return refuse(d.direct ? 23 : 24);
        if (record->type == FirmwareImageHeader::kReceiverType) {
            if (!(d.direct && d.mid == record->modelId))
                return refuse(24);
        } else if (record->type == FirmwareImageHeader::kMouseType) {
            m_mouseBootExpected = true;
            if (!(!d.direct && d.mid == record->modelId))
                return refuse(23);
        } else {
            return refuse(25);
        }
        for (int kind : kReceiverKinds) {
            if (record->kind == QString::number(kind)) {
                s_run.receiverKind = kind;
                m_receiverModelName = setting(m_modelGroup, FirmwareImageSearch::receiverModelKey(kind));
            }
        }
        if (d.cid != record->customerId)
            return refuse(25);
        s_run.customerId = record->customerId;
        const bool recordImage =
            FindFirmwareImage(uchar(record->type), QString(),
                              record->type == FirmwareImageHeader::kMouseType ? m_mouseModelName : m_receiverModelName,
                              uchar(record->customerId), uchar(modelId));
        // Without an image there is no boot loader to ask about.
        const int count =
            recordImage && !g_UpdateImageList.isEmpty() ? FirmwareTransfer::bootDevices(g_UpdateImageList.first()) : 0;
        if (count != 1)
            return refuse(count != 0 ? 17 : 15);
        bool other = false;
        if (record->type == FirmwareImageHeader::kReceiverType)
            other = FindFirmwareImage(FirmwareImageHeader::kMouseType, m_label7->text(), m_mouseModelName,
                                      uchar(s_run.customerId), uchar(modelId));
        else
            other = FindFirmwareImage(FirmwareImageHeader::kReceiverType, m_label5->text(), m_receiverModelName,
                                      uchar(s_run.customerId), uchar(modelId));
        s_run.deviceCount = other ? 2 : 1;
        return true;
    }

    if (listed.size() == 2) {
        const DeviceAllInfo& a = listed.at(0);
        const DeviceAllInfo& b = listed.at(1);
        if (!a.direct && !b.direct)
            return refuse(24);
        if (a.mid != b.mid)
            return refuse(23);
        const DeviceAllInfo* receiver = firstPairedReceiver(listed);
        const int kind = receiver ? FirmwareImageSearch::receiverKindOf(receiver->connectionType) : 0;
        if (kind == 0)
            return refuse(23);
        s_run.receiverKind = kind;
        // A record of another device is that device's road back: it stays
        // until its repair, and so this update waits. A record naming this
        // pair's mouse puts the mouse first, the transfer the record covers.
        if (const std::optional<UpdateRecords::Failure> record = UpdateRecords::failureRecord()) {
            if (record->names(runDevice(FirmwareImageHeader::kMouseType)))
                m_mouseFirst = true;
            else if (!record->names(runDevice(FirmwareImageHeader::kReceiverType)))
                return refuseWith(LanguageTables::text(LanguageSection::DialogChange, g_LanguageIndex, 2));
        }
        m_receiverModelName = setting(m_modelGroup, FirmwareImageSearch::receiverModelKey(kind));
        const bool receiverFound = FindFirmwareImage(FirmwareImageHeader::kReceiverType, m_label5->text(),
                                                     m_receiverModelName, uchar(s_run.customerId), uchar(modelId));
        const bool mouseFound = FindFirmwareImage(FirmwareImageHeader::kMouseType, m_label7->text(), m_mouseModelName,
                                                  uchar(s_run.customerId), uchar(modelId));
        g_MouseUpdateRequested = mouseFound;
        if (receiverFound || mouseFound) {
            s_run.deviceCount = receiverFound && mouseFound ? 2 : 1;
            return true;
        }
        m_receiverNoImage = true;
        return refuse(18);
    }

    int receivers = 0;
    int wired = 0;
    for (const DeviceAllInfo& d : listed)
        ++(d.direct ? wired : receivers);
    if (receivers >= 2)
        refuse(27);
    if (wired >= 2)
        refuse(26);
    return false;
}

void FormSetting::on_Receive_2_clicked()
{
    if (m_receive2->text() == m_upToDateCaption || UpdateActive())
        return;
    UpDateRepair* dialog = g_UpDateRepairDialog;
    if (!dialog)
        return;
    m_receiverNoImage = false;
    placeOverPage(dialog);
    dialog->setModal(true);
    dialog->ShowRepairMode();
    m_checkPassed = ChechIsUpDate();
    if (m_checkPassed) {
        dialog->ShowUpdateMode();
    } else if (m_receiverNoImage) {
        setUpdateCaption(m_upToDateCaption);
        return;
    }
    dialog->show();
    // Shown again after an earlier run, it must not stay behind the window.
    dialog->raise();
}

void FormSetting::SlotCheckUpdate()
{
    // A rescan does not replace the result of a run the dialog shows.
    if (UpdateActive() || g_UpdateRunning || !g_UpDateRepairDialog || g_UpDateRepairDialog->ShowsRun())
        return;
    if (ChechIsUpDate())
        g_UpDateRepairDialog->ShowUpdateMode();
}

bool FormSetting::StartUpdate()
{
    if (UpdateActive() || g_UpdateRunning || !g_UpDateRepairDialog)
        return false;
    m_checkPassed = false;
    on_Receive_2_clicked();
    if (!m_checkPassed)
        return false;
    on_Start();
    return true;
}

void FormSetting::on_Start()
{
    if (UpdateActive() || g_UpdateRunning)
        return;
    // A new run: nothing of an earlier run steers this one.
    s_run.receiverState = m_receiverNoImage ? kNoImage : kIdle;
    s_run.mouseState = kIdle;
    m_receiverTried = m_mouseTried = false;
    m_mouseNoImage = false;
    m_finalSent = false;
    m_endText.clear();
    for (int& count : m_bootCounts)
        count = 0;
    s_updatePage = this;
    if (g_UpDateRepairDialog)
        g_UpDateRepairDialog->ShowProgressMode();

    // The device the record names goes first: each transfer then runs under a
    // record naming its own device, so that breaking it off anywhere leaves the
    // device list a repair that finds what it names.
    s_run.mouseFirst = m_mouseBootExpected || m_mouseFirst;
    m_receiverFollows = FindFirmwareImage(FirmwareImageHeader::kReceiverType, m_label5->text(), m_receiverModelName,
                                          uchar(s_run.customerId), uchar(s_run.modelId));
    if (s_run.mouseFirst) {
        m_warningNotice = true;
        on_Mouse_clicked();
    } else if (s_run.receiverState != kRunning && s_run.mouseState != kRunning && !m_mouseRunning && !m_receiverNoImage) {
        startReceiverTimer();
    } else if (m_receiverNoImage) {
        setUpdateLook(false);
        SlotContinue(0);
    }
    finishIfIdle();
}

void FormSetting::on_Receive_clicked()
{
    const DeviceAllInfo current = currentDeviceCopy();
    int kind = 0;
    if (!current.direct) {
        kind = FirmwareImageSearch::receiverKindOf(current.connectionType);
    } else if (g_WorkerDeviceList.size() == 2) {
        if (const DeviceAllInfo* receiver = firstPairedReceiver(g_WorkerDeviceList))
            kind = FirmwareImageSearch::receiverKindOf(receiver->connectionType);
    }
    s_run.receiverKind = kind;
    startReceiverTimer();
}

void FormSetting::startReceiverTimer()
{
    if (m_receiverNoImage || m_mouseRunning || m_receiverTried)
        return;
    startDeviceTimer(true);
}

// One device's part of the run: its timer steps the phases from the first.
void FormSetting::startDeviceTimer(bool receiver)
{
    (receiver ? m_receiverTried : m_mouseTried) = true;
    g_UpdateRunning = true;
    m_phase = 0;
    (receiver ? m_receiverHintState : m_mouseHintState) = 0;
    (receiver ? m_receiverHint : m_mouseHint)->hide();
    SetVer(receiver ? 2 : 1);
    g_DevicePollingEnabled = false;
    (receiver ? m_dongleCheckTimer : m_mouseCheckTimer)->start();
    (receiver ? m_receiverRunning : m_mouseRunning) = true;
}

void FormSetting::on_Mouse_clicked()
{
    const DeviceAllInfo current = currentDeviceCopy();
    if (current.direct) {
        const DeviceAllInfo first = g_WorkerDeviceList.value(0);
        if (!(first.direct && first.mid == current.mid && !first.path.isEmpty())) {
            m_endText = formText(24);
            return;
        }
    }
    if (!m_mouseNoImage && !m_receiverRunning && !m_mouseTried) {
        startDeviceTimer(false);
    } else if (m_mouseNoImage) {
        setUpdateCaption(m_upToDateCaption);
    }
}

void FormSetting::SlotContinue(int value)
{
    Q_UNUSED(value)
    for (int& count : m_bootCounts)
        count = 0;
    if (g_MouseUpdateRequested && (s_run.receiverState == kDone || s_run.receiverState == kNoImage)) {
        m_warningNotice = true;
        on_Mouse_clicked();
    }
    if (g_DongleUpdateRequested && (s_run.mouseState == kDone || s_run.mouseState == kNoImage)) {
        m_warningNotice = true;
        on_Receive_clicked();
    }
}

void FormSetting::onDongleCheckTimer()
{
    UpdateStep(FirmwareImageHeader::kReceiverType, m_label5->text());
}

void FormSetting::onMouseCheckTimer()
{
    UpdateStep(FirmwareImageHeader::kMouseType, m_label7->text());
}

void FormSetting::UpdateStep(int type, const QString& version)
{
    const bool receiver = type == FirmwareImageHeader::kReceiverType;
    int& state = receiver ? s_run.receiverState : s_run.mouseState;
    switch (m_phase) {
    case 0: {
        const DeviceAllInfo current = currentDeviceCopy();
        m_modelGroup = QStringLiteral("Drive%1").arg(current.modelIndex + 1);
        m_mouseModelName = setting(m_modelGroup, QStringLiteral("MM"));
        s_run.customerId = setting(QStringLiteral("Option"), QStringLiteral("CID")).toInt();
        s_run.modelId = setting(m_modelGroup, QStringLiteral("MID")).toInt();
        bool found = false;
        if (!receiver) {
            found = FindFirmwareImage(FirmwareImageHeader::kMouseType, version, m_mouseModelName,
                                      uchar(s_run.customerId), uchar(s_run.modelId));
        } else {
            m_receiverPaths.clear();
            const int kind = s_run.receiverKind;
            const QString key = FirmwareImageSearch::receiverModelKey(kind);
            const QString name = key.isEmpty() ? QString() : setting(m_modelGroup, key);
            if (kindSlot(kind) >= 0 && (!name.isEmpty() || kind == 1)) {
                m_receiverModelName = name;
                found = FindFirmwareImage(FirmwareImageHeader::kReceiverType, QString(), name, uchar(s_run.customerId),
                                          uchar(s_run.modelId));
                if (found && !g_UpdateImageList.isEmpty())
                    m_bootCounts[kindSlot(kind)] = FirmwareTransfer::bootDevices(g_UpdateImageList.first());
            }
            for (const DeviceAllInfo& d : qAsConst(g_WorkerDeviceList)) {
                if (d.direct || d.path.isEmpty())
                    continue;
                if (current.direct || d.path == current.path)
                    m_receiverPaths.append(d.path);
            }
        }
        if (!found && s_run.receiverKind != 0) {
            state = kNoImage;
            (receiver ? m_receiverNoImage : m_mouseNoImage) = true;
            refreshButtonLook(type);
        } else {
            m_phase = 1;
        }
        break;
    }
    case 1: {
        int candidates = 0;
        if (receiver) {
            candidates = m_receiverPaths.size();
            for (int count : m_bootCounts)
                candidates += count;
        } else {
            for (const DeviceAllInfo& d : qAsConst(g_WorkerDeviceList))
                candidates += d.direct ? 1 : 0;
            candidates += m_mouseBootExpected ? 1 : 0;
        }
        if (candidates != 1) {
            state = kIdle;
            refreshButtonLook(type);
            showCountProblem(type, candidates);
            break;
        }
        if (startTransfer(type))
            m_phase = 2;
        break;
    }
    case 2:
        // The end may already have come; it is not overwritten.
        m_phase = 3;
        break;
    case 3:
        if (state != kRunning)
            m_phase = 4;
        break;
    default: {
        (receiver ? m_receiverRunning : m_mouseRunning) = false;
        refreshButtonLook(type);
        m_warningNotice = false;
        m_dongleCheckTimer->stop();
        m_mouseCheckTimer->stop();
        g_UpdateRunning = false;
        // The other device follows: the mouse after the receiver, or the
        // receiver with an image after a mouse the record put first.
        if (receiver && !s_run.mouseFirst)
            SlotContinue(0);
        else if (!receiver && s_run.mouseFirst && m_receiverFollows
                 && (s_run.mouseState == kDone || s_run.mouseState == kNoImage))
            on_Receive_clicked();
        finishIfIdle();
        break;
    }
    }
}

// Finds the image for the one candidate and hands it to the library once its
// failure record is on disk; false (the device's state then says why) when
// nothing is to be sent.
bool FormSetting::startTransfer(int type)
{
    const bool receiver = type == FirmwareImageHeader::kReceiverType;
    int& state = receiver ? s_run.receiverState : s_run.mouseState;
    const uchar cid = uchar(s_run.customerId);
    const uchar mid = uchar(s_run.modelId);
    bool found = false;
    if (!receiver) {
        found = FindFirmwareImage(FirmwareImageHeader::kMouseType, m_label7->text(), m_mouseModelName, cid, mid);
    } else {
        int bootKind = 0;
        for (int i = 0; i < 4 && !bootKind; ++i)
            bootKind = m_bootCounts[i] == 1 ? kReceiverKinds[i] : 0;
        if (bootKind) {
            // The receiver waits in its boot loader: any fitting image repairs it.
            found = FindFirmwareImage(FirmwareImageHeader::kReceiverType, QString(),
                                      setting(m_modelGroup, FirmwareImageSearch::receiverModelKey(bootKind)), cid, mid);
        } else {
            const int kind = s_run.receiverKind;
            QString text = m_label5->text();
            if (kind == 2 || kind == 4 || kind == 8) {
                int word = 0;
                const QByteArray path = m_receiverPaths.value(0).toLatin1();
                text = UsbFinderC_GetSlaveVersion(path.constData(), &word) ? DeviceAllInfo::versionText(quint16(word))
                                                                           : QString();
            }
            const QString key = (kind == 2 || kind == 4 || kind == 8) ? FirmwareImageSearch::receiverModelKey(kind)
                                                                      : QStringLiteral("DM");
            found = FindFirmwareImage(FirmwareImageHeader::kReceiverType, text, setting(m_modelGroup, key), cid, mid);
        }
    }
    if (!found || g_UpdateImageList.isEmpty()) {
        state = kNoImage;
        (receiver ? m_receiverNoImage : m_mouseNoImage) = true;
        refreshButtonLook(type);
        return false;
    }
    const QByteArray image = g_UpdateImageList.first();
    QString reason;
    if (!FirmwareImageHeader::checkImage(image, &reason)) {
        // A damaged image never reaches the device.
        UpdateLog::append(QStringLiteral("Update of the %1 refused: %2").arg(receiver ? "receiver" : "mouse", reason),
                          QStringList());
        m_endText = LanguageTables::text(LanguageSection::AutoRepair, g_LanguageIndex, 7);
        state = kIdle;
        refreshButtonLook(type);
        return false;
    }
    s_run.type = type;
    s_run.imageVersion = FirmwareImageSearch::versionText(FirmwareImageHeader::parse(image).version);
    // The step waits while the state says running; the library's messages
    // count only once it took the image.
    s_run.transferActive = false;
    state = kRunning;
    FirmwareTransfer::start(
        runDevice(type), image, &FormSetting::onTransferMessage, this,
        [this, type, image] { return targetCount(type, image) == 1; },
        [this, type](FirmwareTransfer::Outcome outcome) { transferOutcome(type, outcome); });
    return true;
}

int FormSetting::targetCount(int type, const QByteArray& image) const
{
    int count = FirmwareTransfer::bootDevices(image);
    for (const DeviceAllInfo& d : qAsConst(g_WorkerDeviceList)) {
        if (type == FirmwareImageHeader::kMouseType)
            count += d.direct ? 1 : 0;
        else
            count += !d.direct && m_receiverPaths.contains(d.path) ? 1 : 0;
    }
    return count;
}

void FormSetting::transferOutcome(int type, FirmwareTransfer::Outcome outcome)
{
    if (outcome == FirmwareTransfer::Outcome::Started) {
        s_run.transferActive = true;
        return;
    }
    // Nothing was sent: not a failed update. Another device's record waits
    // for that device's repair, and this run with it.
    m_endText = outcome == FirmwareTransfer::Outcome::OtherDevicePending
                    ? LanguageTables::text(LanguageSection::DialogChange, g_LanguageIndex, 2)
                    : LanguageTables::text(LanguageSection::AutoRepair, g_LanguageIndex, 7);
    (type == FirmwareImageHeader::kReceiverType ? s_run.receiverState : s_run.mouseState) = kIdle;
    refreshButtonLook(type);
}

void FormSetting::showCountProblem(int type, int candidates)
{
    const bool receiver = type == FirmwareImageHeader::kReceiverType;
    const int position = candidates > 1 ? 17 : (receiver ? 15 : 14);
    m_endText = formText(position);
    if (m_warningNotice) {
        m_warningNotice = false;
        // The run finishes after the notice is answered.
        QTimer* timer = receiver ? m_dongleCheckTimer : m_mouseCheckTimer;
        timer->stop();
        m_warning->SetMessage(m_endText);
        placeOverPage(m_warning);
        m_warning->setModal(true);
        m_warning->exec();
        timer->start();
        return;
    }
    QToolButton* hint = receiver ? m_receiverHint : m_mouseHint;
    (receiver ? m_receiverHintState : m_mouseHintState) = candidates > 1 ? 2 : 1;
    hint->show();
}

void FormSetting::refreshButtonLook(int type)
{
    const bool receiver = type == FirmwareImageHeader::kReceiverType;
    const int state = receiver ? s_run.receiverState : s_run.mouseState;
    g_DevicePollingEnabled = true;
    QToolButton* hint = receiver ? m_receiverHint : m_mouseHint;
    int& hintState = receiver ? m_receiverHintState : m_mouseHintState;
    if (state == kNoImage || state == kDone || state == kRunning) {
        hint->hide();
        hintState = 0;
    }
    if (state == kNoImage) {
        setUpdateLook(false);
        if (!receiver)
            setUpdateCaption(m_upToDateCaption);
    }
    // Only a finished transfer gives its record up; a running one keeps it.
    if (state == kDone) {
        UpdateRecords::clearFailureFor(runDevice(type));
        setUpdateLook(false);
        (receiver ? g_DongleUpdateRequested : g_MouseUpdateRequested) = false;
    }
    m_phase = 4;
}

// Sends the run's final status once nothing runs any more.
void FormSetting::finishIfIdle()
{
    if (UpdateActive() || m_finalSent)
        return;
    m_finalSent = true;
    g_UpdateRunning = false;
    UpDateRepair* dialog = g_UpDateRepairDialog;
    const bool failed = s_run.receiverState == kFailed || s_run.mouseState == kFailed;
    const bool done = s_run.receiverState == kDone || s_run.mouseState == kDone;
    PostMsg* bus = PostMsg::GetInstance();
    // A run whose devices did not all succeed has failed, whatever came after.
    if (failed) {
        bus->PostProgress(0, 1);
        return;
    }
    if (done) {
        if (m_endText.isEmpty()) {
            bus->PostProgress(0, 2);
        } else {
            // One device was updated, the other could not be.
            bus->PostProgress(0, 5);
            if (dialog)
                dialog->SetLabelText(m_endText);
        }
        return;
    }
    if (dialog) {
        dialog->SetLabelText(m_endText.isEmpty() ? formText(18) : m_endText);
        dialog->ShowIdleMode();
    }
}

void FormSetting::onTransferMessage(int kind, int value)
{
    if (FormSetting* page = s_updatePage)
        page->upgradeEvent(kind, value);
    else if (kind == 2)
        s_run.transferActive = false;
}

void FormSetting::upgradeEvent(int kind, int value)
{
    if (!s_run.transferActive)
        return;
    PostMsg* bus = PostMsg::GetInstance();
    const bool receiver = s_run.type == FirmwareImageHeader::kReceiverType;
    if (kind == 1) {
        // With two devices the first fills 0..50 %, the second 50..100 %.
        const bool second = receiver == s_run.mouseFirst;
        const int p = s_run.deviceCount == 1 ? value : (value >> 1) + (second ? 50 : 0);
        bus->PostProgress(p, 0);
        return;
    }
    if (kind != 2)
        return;
    s_run.transferActive = false;
    int& state = receiver ? s_run.receiverState : s_run.mouseState;
    if (value == 1) {
        state = kDone;
        const QString version = s_run.imageVersion;
        if (receiver) {
            bus->PostLabelText(0, version);
        } else {
            UpdateRecords::writeMouseVersion(m_modelGroup, version);
            // After a failed receiver the run ends as failed, and a receiver
            // still to come ends it (finishIfIdle).
            if (s_run.receiverState != kFailed && !s_run.mouseFirst) {
                bus->PostProgress(0, 2);
                m_finalSent = true;
            }
            bus->PostLabelText(1, version);
        }
        UpdateRecords::clearFailureFor(runDevice(s_run.type));
        return;
    }
    UpdateLog::append(QStringLiteral("Update of the %1 failed").arg(receiver ? "receiver" : "mouse"),
                      UpdateLog::libraryLines());
    g_DongleUpdateRequested = false;
    g_MouseUpdateRequested = false;
    state = kFailed;
    UpdateRecords::writeFailure(runDevice(s_run.type));
    bus->PostProgress(0, 1);
    m_finalSent = true;
}
