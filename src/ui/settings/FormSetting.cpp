#include "ui/settings/FormSetting.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "core/SettingsStore.h"
#include "core/Timing.h"
#include "device/ReportHandler.h"
#include "device/Worker.h"
#include "platform/AutoStart.h"
#include "platform/Launcher.h"
#include "ui/common/SettingsNotSaved.h"
#include "ui/common/StyleHelper.h"
#include "ui/sensor/MyConmboBox.h"
#include "ui/sensor/StopCloseTime.h"
#include "ui/settings/Match.h"
#include "ui/settings/FirmwareImageSearch.h"
#include "ui/settings/UpDateRepair.h"
#include "ui/settings/UpDateWarning.h"

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
}

FormSetting::FormSetting(QWidget* parent)
    : QWidget(parent)
{
    buildForm();
    QMetaObject::connectSlotsByName(this);
    m_newLabel->hide();
    m_receive2->hide();

    PostMsg* bus = PostMsg::GetInstance();
    connect(bus, SIGNAL(SigMouseIndex(int)), this, SLOT(SlotMouseIndex(int)));
    connect(bus, SIGNAL(SigLanguageSameB(int)), this, SLOT(SlotLanguageSameB(int)));
    connect(bus, SIGNAL(SigSetver(int)), this, SLOT(SetVer(int)));
    connect(bus, SIGNAL(SigLabelTextB(QString,QString)), this, SLOT(SlotLabelTextB(QString,QString)));
    // The device thread and the report callback wait for these, so the shared
    // receiver light buffer is read while its writer stands still.
    connect(bus, SIGNAL(SigRGBValue(DongleRGB*)), this, SLOT(SlotRGBValue(DongleRGB*)), Qt::BlockingQueuedConnection);
    connect(bus, SIGNAL(SigLongRangeMode(bool)), this, SLOT(SlotLongRangeMode(bool)), Qt::BlockingQueuedConnection);
    connect(bus, SIGNAL(SigForm()), this, SLOT(SlotForm()), Qt::BlockingQueuedConnection);
    connect(bus, SIGNAL(SigFormB()), this, SLOT(SlotFormB()));
    connect(bus, SIGNAL(SigFormReset()), this, SLOT(SlotFormResetForm()), Qt::BlockingQueuedConnection);
    connect(bus, SIGNAL(SigLightToFrom(int)), this, SLOT(SlotLightToFrom(int)));
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
    m_dongleCheckTimer = new QTimer(this);
    m_dongleCheckTimer->setInterval(Timing::scaled(kUpdateTickMs));
    connect(m_dongleCheckTimer, &QTimer::timeout, this, &FormSetting::onDongleCheckTimer);
    m_mouseCheckTimer = new QTimer(this);
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

void FormSetting::setUpdateLook(bool available)
{
    const QString colour = m_buttonColour.isEmpty() ? QString() : QStringLiteral("color:rgb(%1);").arg(m_buttonColour);
    if (available)
        m_receive2->setStyleSheet(QStringLiteral("QPushButton{border:none;%1border-image:url(%2WaitUpdate.png);}"
                                                 "QPushButton:hover{border-image:url(%2WaitUpdateHover.png);}")
                                      .arg(colour, m_pictureFolder));
    else
        m_receive2->setStyleSheet(QStringLiteral("QPushButton{border:none;%1border-image:url(%2Confirm.png);}")
                                      .arg(colour, m_pictureFolder));
    m_receive2->setProperty("updateAvailable", available);
}

bool FormSetting::HasNewerFirmware(int type, QString version, int receiverKind)
{
    const DeviceAllInfo current = currentDeviceCopy();
    const QString group = QStringLiteral("Drive%1").arg(current.modelIndex + 1);
    const int customerId = setting(QStringLiteral("Option"), QStringLiteral("CID")).toInt();
    const int modelId = setting(group, QStringLiteral("MID")).toInt();
    QString modelName;
    if (type == FirmwareImageHeader::kMouseType) {
        modelName = setting(group, QStringLiteral("MM"));
    } else {
        const QString key = FirmwareImageSearch::receiverModelKey(receiverKind);
        if (key.isEmpty())
            return false;
        modelName = setting(group, key);
    }
    return CheckFirmwareImage(uchar(type), version, modelName, uchar(customerId), uchar(modelId));
}

void FormSetting::on_comboBox_activated(int index)
{
    if (index < 0)
        return;
    const bool saved = SettingsStore::instance()->setValue(QStringLiteral("Language"), QStringLiteral("Language"),
                                                           QString::number(index));
    g_LanguageIndex = index;
    PostMsg::GetInstance()->PostAllLanguage(index);
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
    m_receive2->setText(m_updateCaption);
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
    // The values follow their captions, whose length depends on the language.
    const int captionWidth = qMax(m_label4->fontMetrics().horizontalAdvance(m_label4->text()),
                                  m_label6->fontMetrics().horizontalAdvance(m_label6->text()));
    m_label4->resize(qMax(m_label4->width(), captionWidth), m_label4->height());
    m_label6->resize(qMax(m_label6->width(), captionWidth), m_label6->height());
    const int valueX = m_label4->x() + captionWidth + 12;
    m_label5->move(valueX, m_label5->y());
    m_label7->move(valueX, m_label7->y());
    m_receiverHint->move(valueX + m_label5->width(), m_receiverHint->y());
    m_mouseHint->move(valueX + m_label7->width(), m_mouseHint->y());
    m_receive2->move(valueX + m_label5->width() + 30, m_receive2->y());
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
        for (const DeviceAllInfo& d : g_WorkerDeviceList) {
            const bool hasAddress = d.address.size() == 3 && (d.address[0] || d.address[1] || d.address[2]);
            if (!d.direct && hasAddress) {
                *receiverText = d.receiverVersion;
                *receiverKind = FirmwareImageSearch::receiverKindOf(d.connectionType);
                break;
            }
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
        if (mode == 5) {
            m_receive2->setText(m_updateCaption);
            m_receiverHintState = m_mouseHintState = 0;
            m_receiverHint->hide();
            m_mouseHint->hide();
        }
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
        m_receive2->setText(m_updateCaption);
        break;
    case 4:
        m_receive2->setText(m_updateCaption);
        m_receiverHintState = m_mouseHintState = 0;
        m_receiverHint->hide();
        m_mouseHint->hide();
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
    const bool blocked = m_longRange->blockSignals(true);
    m_longRange->setChecked(false);
    m_longRange->blockSignals(blocked);
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
    bool enabled = false;
    if (on) {
        enabled = AutoStart::enable(program);
        // The box does not claim a start that could not be arranged.
        if (!enabled)
            m_autoStart->setChecked(false);
    } else {
        AutoStart::disable(program);
    }
    SettingsStore::instance()->setValue(QStringLiteral("AutoStart"), QStringLiteral("Enable"),
                                        enabled ? QStringLiteral("1") : QStringLiteral("0"));
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

void FormSetting::onDongleCheckTimer()
{
}

void FormSetting::onMouseCheckTimer()
{
}
