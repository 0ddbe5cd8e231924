#include "ui/home/Dialog.h"

#include "app/Globals.h"
#include "core/PostMsg.h"
#include "core/Timing.h"
#include "device/AnnotatedMutexLocker.h"
#include "device/DeviceCache.h"
#include "device/WorkingImage.h"
#include "platform/CrashHandler.h"
#include "ui/buttons/Buttoninterface.h"
#include "ui/common/StyleHelper.h"
#include "ui/light/LampLight.h"
#include "ui/macro/Macro.h"
#include "ui/sensor/Sensor.h"
#include "ui/settings/FormSetting.h"
#include "ui/settings/UpDataParam.h"

#include <HIDUsb.h>

#include <QButtonGroup>
#include <QDebug>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QStackedWidget>
#include <QToolButton>

namespace {
constexpr int kPageButtonY = 60;
constexpr int kSettingsButtonX = 545;
constexpr int kLightsButtonX = 470;
// Levels at or below this show the low-battery colour.
constexpr int kLowBatteryLevel = 15;

QToolButton* makeToolButton(QWidget* parent, const char* name, const QRect& geometry, bool checkable)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setCheckable(checkable);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}
} // namespace

Dialog::Dialog(QWidget* parent)
    : QWidget(parent)
{
    buildForm();
    QMetaObject::connectSlotsByName(this);
    m_pictureFolder = StyleHelper::pictureFolder(QStringLiteral("Picture/Dialog"));

    m_buttonPage = new Buttoninterface(this);
    m_lightPage = new LampLight(this);
    m_macroPage = new Macro(this);
    m_sensorPage = new Sensor(this);
    m_settingsPage = new FormSetting(this);
    m_stackedWidget->addWidget(m_buttonPage);
    m_stackedWidget->addWidget(m_sensorPage);
    m_stackedWidget->addWidget(m_macroPage);
    m_stackedWidget->addWidget(m_lightPage);
    m_stackedWidget->addWidget(m_settingsPage);

    m_upDataParam = new UpDataParam(nullptr);

    qDebug() << "Start";

    applyLook();
    m_chargeLabel->hide();

    m_groupA = new QButtonGroup(this);
    m_groupA->setExclusive(true);
    m_groupB = new QButtonGroup(this);
    m_groupB->setExclusive(true);
    m_groupB->addButton(m_buttonMain);
    m_groupB->addButton(m_macroButton);
    m_groupB->addButton(m_lightsButton);
    m_groupB->addButton(m_sensorButton);
    m_groupB->addButton(m_formSettingButton);

    connect(m_minButton, SIGNAL(clicked()), this, SLOT(WindowMin()));
    m_buttonMain->setChecked(true);

    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(width(), height());

    CrashHandler::Install();

    m_stackedWidget->setCurrentWidget(m_buttonPage);

    PostMsg* bus = PostMsg::GetInstance();
    connect(bus, SIGNAL(SigSecondPageChange()), this, SLOT(SlotSecondDialog()));
    connect(bus, SIGNAL(SigUpDataParam(int)), this, SLOT(SlotUpDataParam(int)));
    connect(bus, SIGNAL(SigStartRecord(int)), this, SLOT(SlotStartRecord(int)));
    connect(bus, SIGNAL(SigMouseIndex(int)), this, SLOT(SlotMouseIndex(int)));
    // The report thread waits until the display shows the new level.
    connect(bus, SIGNAL(SigBattery(bool, int, bool)), this, SLOT(SlotBattery(bool, int, bool)),
            Qt::BlockingQueuedConnection);

    m_label3->hide();
    m_valueLabel->hide();
}

Dialog::~Dialog()
{
    delete m_buttonPage;
    delete m_lightPage;
    delete m_macroPage;
    delete m_sensorPage;
    delete m_settingsPage;
}

void Dialog::buildForm()
{
    setObjectName(QStringLiteral("Dialog"));
    resize(1020, 700);

    m_frame2 = new QFrame(this);
    m_frame2->setObjectName(QStringLiteral("frame_2"));
    m_frame2->setGeometry(0, 0, 1020, 700);

    m_stackedWidget = new QStackedWidget(m_frame2);
    m_stackedWidget->setObjectName(QStringLiteral("stackedWidgetDialog"));
    m_stackedWidget->setGeometry(68, 100, 884, 600);

    m_upArrow = makeToolButton(m_frame2, "UpArrow", QRect(40, kPageButtonY, 30, 30), false);
    m_buttonMain = makeToolButton(m_frame2, "ButtonMain", QRect(248, kPageButtonY, 30, 30), true);
    m_sensorButton = makeToolButton(m_frame2, "SensorButton", QRect(323, kPageButtonY, 30, 30), true);
    m_macroButton = makeToolButton(m_frame2, "MacroButton", QRect(396, kPageButtonY, 30, 30), true);
    m_lightsButton = makeToolButton(m_frame2, "LightsButton", QRect(kLightsButtonX, kPageButtonY, 30, 30), true);
    m_formSettingButton =
        makeToolButton(m_frame2, "FormSetting", QRect(kSettingsButtonX, kPageButtonY, 30, 30), true);

    m_line6 = new QFrame(m_frame2);
    m_line6->setObjectName(QStringLiteral("line_6"));
    m_line6->setGeometry(595, kPageButtonY + 5, 2, 20);
    m_line6->setFrameShape(QFrame::VLine);
    m_line6->setFrameShadow(QFrame::Plain);

    m_minButton = makeToolButton(m_frame2, "MinButton", QRect(935, 15, 30, 30), false);
    m_closeButton = makeToolButton(m_frame2, "CloseButton", QRect(972, 15, 30, 30), false);

    m_chargeLabel = new QLabel(m_frame2);
    m_chargeLabel->setObjectName(QStringLiteral("label"));
    m_chargeLabel->setGeometry(858, kPageButtonY + 4, 14, 22);

    m_batteryOutline = new QLabel(m_frame2);
    m_batteryOutline->setObjectName(QStringLiteral("BatteryButtonC"));
    m_batteryOutline->setGeometry(876, kPageButtonY + 4, 44, 22);

    // Inside the outline's body (the picture leaves 4 px at the left, 5 at the top).
    m_progressBar = new QProgressBar(m_frame2);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setGeometry(880, kPageButtonY + 9, 32, 12);
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(100);
    m_progressBar->setTextVisible(false);

    m_valueLabel = new QLabel(m_frame2);
    m_valueLabel->setObjectName(QStringLiteral("label_2"));
    m_valueLabel->setGeometry(924, kPageButtonY + 4, 50, 22);

    m_label3 = new QLabel(m_frame2);
    m_label3->setObjectName(QStringLiteral("label_3"));
    m_label3->setGeometry(924, kPageButtonY + 30, 50, 22);

    retranslateForm();
}

void Dialog::retranslateForm()
{
    setWindowTitle(QStringLiteral("Dialog"));
    m_valueLabel->setText(QStringLiteral("100%"));
    for (QToolButton* b : {m_upArrow, m_buttonMain, m_sensorButton, m_macroButton, m_lightsButton,
                           m_formSettingButton, m_minButton, m_closeButton})
        b->setText(QString());
}

void Dialog::applyLook()
{
    const QString& f = m_pictureFolder;
    m_frame2->setStyleSheet(StyleHelper::frameBackground(QStringLiteral("frame_2"), f, QStringLiteral("BackGround.png")));
    m_batteryOutline->setStyleSheet(QStringLiteral("QLabel{border:none;border-image:url(%1Battery.png);}").arg(f));
    m_chargeLabel->setStyleSheet(QStringLiteral("QLabel{border:none;border-image:url(%1Charg.png);}").arg(f));

    // Page buttons: normal, hover and checked; the plain buttons: normal, hover and pressed.
    const struct
    {
        QToolButton* button;
        const char* normal;
        const char* hover;
        const char* pressed;
        const char* checked;
    } buttons[] = {
        {m_buttonMain, "Home.png", "HomeHover.png", "", "HomeChecked.png"},
        {m_sensorButton, "Sensor.png", "SensorHover.png", "", "SensorChecked.png"},
        {m_macroButton, "Macro.png", "MacroHover.png", "", "MacroChecked.png"},
        {m_lightsButton, "Light.png", "LightHover.png", "", "LightChecked.png"},
        {m_formSettingButton, "Setting.png", "SettingHover.png", "", "SettingClick.png"},
        {m_closeButton, "Close.png", "CloseHover.png", "CloseClick.png", ""},
        {m_minButton, "Min.png", "MinHover.png", "MinClick.png", ""},
        {m_upArrow, "PageChange.png", "PageChangeHover.png", "PageChangeClick.png", ""},
    };
    for (const auto& b : buttons)
        b.button->setStyleSheet(StyleHelper::toolButtonImages(f, QLatin1String(b.normal), QLatin1String(b.hover),
                                                              QLatin1String(b.pressed), QLatin1String(b.checked)));
    m_line6->setStyleSheet(QStringLiteral("QFrame{color:rgb(44,50,61);}"));

    StyleHelper::applyTextColor(m_valueLabel, QStringLiteral("LabelColor"));
    // Full until the first battery report arrives.
    SlotBattery(false, 100, true);
    m_valueLabel->setText(QStringLiteral("100%"));
}

void Dialog::on_ButtonMain_clicked()
{
    m_stackedWidget->setCurrentWidget(m_buttonPage);
    PostMsg::GetInstance()->PostAddMacroButton();
}

void Dialog::on_SensorButton_clicked()
{
    m_stackedWidget->setCurrentWidget(m_sensorPage);
}

void Dialog::on_MacroButton_clicked()
{
    m_stackedWidget->setCurrentWidget(m_macroPage);
}

void Dialog::on_LightsButton_clicked()
{
    m_stackedWidget->setCurrentWidget(m_lightPage);
}

void Dialog::on_FormSetting_clicked()
{
    m_stackedWidget->setCurrentWidget(m_settingsPage);
}

void Dialog::saveWorkingImage()
{
    QString name;
    FlashDataMap image;
    {
        AnnotatedMutexLocker lock(g_FlashDataMutex);
        // Until the open device has been read, the working image is still the
        // previous device's (or empty at start): it must not become a cache.
        if (!WorkingImage::isCurrentLocked() || g_FlashDataFile.isEmpty())
            return;
        name = g_FlashDataFile;
        image = g_FlashData;
    }
    SaveDeviceCache(name, image);
}

void Dialog::on_UpArrow_clicked()
{
    UsbServer_SetPCDriverStatus(false);
    saveWorkingImage();
    m_buttonMain->setChecked(true);
    Timing::pumpEvents(100);
    UsbServer_Exit();
    PostMsg::GetInstance()->PostChangeMainDialog(0);
    PostMsg::GetInstance()->PostSetMacroPage();
}

void Dialog::on_CloseButton_clicked()
{
    saveWorkingImage();
    PostMsg::GetInstance()->PostChangeSize(1);
}

void Dialog::WindowClosed()
{
    on_CloseButton_clicked();
}

void Dialog::WindowMin()
{
    PostMsg::GetInstance()->PostChangeSize(0);
}

void Dialog::SlotSecondDialog()
{
    m_buttonMain->setChecked(true);
    m_stackedWidget->setCurrentWidget(m_buttonPage);
}

void Dialog::SlotUpDataParam(int refresh)
{
    m_upDataParam->StartTimer();
    if (refresh == 1)
        m_upDataParam->waitForPages = true;
    StyleHelper::placeCentred(m_upDataParam, this, 0, -20);
    m_upDataParam->exec();
}

void Dialog::setPageButtonsEnabled(bool enabled)
{
    for (QToolButton* b : {m_buttonMain, m_sensorButton, m_lightsButton, m_macroButton, m_formSettingButton})
        b->setEnabled(enabled);
}

void Dialog::SlotStartRecord(int state)
{
    if (state == 0)
        setPageButtonsEnabled(false);
    else if (state == 1)
        setPageButtonsEnabled(true);
}

void Dialog::SlotMouseIndex(int index)
{
    // A device is being opened: the level shown so far belongs to the device
    // before it, and a mouse that is switched off reports none.
    showNoBatteryLevel();
    switch (index) {
    case 1:
    case 2:
    case 4:
    case 5:
    case 6:
        m_lightsButton->hide();
        m_line6->hide();
        m_formSettingButton->move(kLightsButtonX, kPageButtonY);
        break;
    default:
        m_lightsButton->show();
        m_line6->show();
        m_formSettingButton->move(kSettingsButtonX, kPageButtonY);
        break;
    }
}

void Dialog::SlotBattery(bool charging, int level, bool showPercent)
{
    m_chargeLabel->setVisible(charging);
    m_progressBar->setValue(level);
    m_valueLabel->setText(QString::number(level) + (showPercent ? QStringLiteral("%") : QString()));
    const QString fill = level <= kLowBatteryLevel ? QStringLiteral("rgb(152,43,34)") : QStringLiteral("rgb(0,255,153)");
    m_progressBar->setStyleSheet(QStringLiteral("QProgressBar{background:transparent;border:none;}"
                                                "QProgressBar::chunk{background-color:%1;}")
                                     .arg(fill));
}

void Dialog::showNoBatteryLevel()
{
    m_chargeLabel->hide();
    m_progressBar->reset();
    m_valueLabel->clear();
}

void Dialog::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape || e->key() == Qt::Key_F12)
        return;
    QWidget::keyPressEvent(e);
}

void Dialog::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange)
        retranslateForm();
    // The base still repaints on style, palette and enabled changes.
    QWidget::changeEvent(e);
}
