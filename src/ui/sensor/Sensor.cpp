#include "ui/sensor/Sensor.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "device/DeviceWriters.h"
#include "device/HeldImage.h"
#include "device/ImageFieldCodes.h"
#include "device/SensorDpiCodec.h"
#include "device/SensorDpiTables.h"
#include "ui/common/FillScope.h"
#include "ui/common/StyleHelper.h"
#include "ui/sensor/MotionSync.h"
#include "ui/sensor/MyConmboBox.h"
#include "ui/sensor/RippeControl.h"
#include "ui/sensor/SensorDPI.h"
#include "ui/sensor/SensorEffect.h"
#include "ui/sensor/SensorLOD.h"
#include "ui/sensor/SensorLook.h"
#include "ui/sensor/SensorRate.h"
#include "ui/sensor/StraightLine.h"

#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QListView>
#include <QMetaObject>
#include <QSignalBlocker>
#include <QToolButton>

namespace {


// Model ids whose mice offer motion sync, whatever their sensor's list says.
bool showsMotionSync(int modelId)
{
    switch (modelId) {
    case 8: case 9: case 16: case 17: case 18: case 22: case 23:
        return true;
    default:
        return false;
    }
}

bool isHighRate(int code)
{
    return code == FlashDataMap::kRate2000 || code == FlashDataMap::kRate4000
           || code == FlashDataMap::kRate8000;
}

// Receivers that offer the high report rates.
bool isHighRateReceiver(int connectionType)
{
    return connectionType == 1 || connectionType == 4 || connectionType == 5;
}

QString driveGroup(const DeviceAllInfo& device)
{
    return QStringLiteral("Drive") + QString::number(device.modelIndex + 1);
}

} // namespace

Sensor::Sensor(QWidget* parent)
    : QWidget(parent)
{
    buildForm();

    m_pictureFolder = StyleHelper::pictureFolder(QStringLiteral("Picture/Sensor"));
    m_dataFolder = AppPaths::dataSubdir(QStringLiteral("usersetting/SensorPage"));
    QDir().mkpath(m_dataFolder);

    PostMsg* bus = PostMsg::GetInstance();
    connect(bus, SIGNAL(SigHideModel(int)), this, SLOT(SlotHideModel(int)));

    applyLook();

    const SensorDefineTable table = SensorDpiTables::loadIntoGlobals();
    m_supportSensorModeSel = table.sensorModeSel;
    m_supportLodCal = table.lodCal;
    m_supportRipple = table.ripple;
    m_supportFixLine = table.fixLine;
    m_supportMotionSync = table.motionSync;
    m_supportMousepadCal = table.mousepadCal;

    // The device side waits on these until the page has taken the value.
    connect(bus, SIGNAL(SigUpDataLightSensor(FlashDataMap)), this,
            SLOT(SlotUpDataSenSorUISensor(FlashDataMap)), Qt::BlockingQueuedConnection);
    connect(bus, SIGNAL(SigFormReset()), this, SLOT(SlotFormReset()), Qt::BlockingQueuedConnection);
    connect(bus, SIGNAL(SigUpDataReportRate(int)), this, SLOT(SlotUpDataReportRate(int)),
            Qt::BlockingQueuedConnection);
    connect(bus, SIGNAL(SigUpDataDPI(int)), this, SLOT(SlotUpDataDPI(int)), Qt::BlockingQueuedConnection);
    connect(bus, SIGNAL(SigUpDataDPILed(FlashDataMap)), this, SLOT(SlotUpDataDPILed(FlashDataMap)),
            Qt::BlockingQueuedConnection);
    connect(bus, SIGNAL(SigUpDataSensorUIB(FlashDataMap)), this, SLOT(SlotUpDataSenSorUIB(FlashDataMap)));
    connect(bus, SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    // A change the mouse did not take: every control shows what it holds.
    connect(HeldImage::instance(), &HeldImage::show, this, [this](const FlashDataMap& image) {
        applyImage(image, false);
    });

    SlotAllLanguage(g_LanguageIndex);
}

Sensor::~Sensor() = default;

void Sensor::buildForm()
{
    setObjectName(QStringLiteral("Sensor"));
    resize(883, 630);

    m_gridLayout = new QGridLayout(this);
    m_gridLayout->setObjectName(QStringLiteral("gridLayout"));
    m_gridLayout->setContentsMargins(0, 0, 0, 0);
    m_senSorPage = new QFrame(this);
    m_senSorPage->setObjectName(QStringLiteral("SenSorPage"));
    m_gridLayout->addWidget(m_senSorPage, 0, 0);
    QWidget* page = m_senSorPage;

    auto titleMark = [page](const char* name, int x, int y) {
        auto* b = new QToolButton(page);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(x, y, 16, 10);
        b->setFocusPolicy(Qt::NoFocus);
        b->setAttribute(Qt::WA_TransparentForMouseEvents);
        return b;
    };

    // DPI stages.
    m_titleButton = titleMark("TitleButton", 40, 17);
    m_frameDpi = new SensorDPI(page);
    m_frameDpi->setObjectName(QStringLiteral("frameDpi"));
    m_frameDpi->move(63, 10);

    // Report rate.
    m_titleButton2 = titleMark("TitleButton_2", 40, 221);
    m_frameRate = new SensorRate(page);
    m_frameRate->setObjectName(QStringLiteral("frameRate"));
    m_frameRate->move(80, 214);

    // Sensor settings: mode and lift-off side by side, the performance mode
    // below them, the switches in a column of their own at the right (it
    // stays clear of the DPI light moved up by the short layout). Each column
    // leaves room for the longest translation of its title.
    m_titleButton4 = titleMark("TitleButton_4", 40, 293);
    m_label5 = new QLabel(page);
    m_label5->setObjectName(QStringLiteral("label_5"));
    m_label5->setGeometry(80, 286, 300, 24);

    m_label11 = new QLabel(page);
    m_label11->setObjectName(QStringLiteral("label_11"));
    m_label11->setGeometry(80, 320, 160, 21);
    m_modelChoose = new MyConmboBox(page);
    m_modelChoose->setObjectName(QStringLiteral("ModelChoose"));
    m_modelChoose->setGeometry(80, 345, 130, 30);
    m_modelChoose->setFocusPolicy(Qt::NoFocus);
    m_modelChoose->addItems({QStringLiteral("Corded"), QStringLiteral("HP"), QStringLiteral("LP")});

    m_frameLOD = new SensorLOD(page);
    m_frameLOD->setObjectName(QStringLiteral("frameLOD"));
    m_frameLOD->move(250, 320);

    m_performance = new QCheckBox(page);
    m_performance->setObjectName(QStringLiteral("Performance"));
    m_performance->setGeometry(80, 388, 320, 21);
    m_performance->setFocusPolicy(Qt::NoFocus);
    m_performanceOpen = new MyConmboBox(page);
    m_performanceOpen->setObjectName(QStringLiteral("PerformanceOpen"));
    m_performanceOpen->setGeometry(80, 413, 130, 30);
    m_performanceOpen->setFocusPolicy(Qt::NoFocus);
    m_performanceOpen->addItems({QStringLiteral("30 s"), QStringLiteral("1 min"), QStringLiteral("2 min"),
                                 QStringLiteral("5 min"), QStringLiteral("10 min"), QStringLiteral("15 min")});
    m_performanceOpen->setEnabled(false);

    m_frameRipple = new RippeControl(page);
    m_frameRipple->setObjectName(QStringLiteral("frame"));
    m_frameRipple->move(613, 318);
    m_frameStraightLine = new StraightLine(page);
    m_frameStraightLine->setObjectName(QStringLiteral("frame_4"));
    m_frameStraightLine->move(613, 350);
    m_frameMotionSync = new MotionSync(page);
    m_frameMotionSync->setObjectName(QStringLiteral("frame_3"));
    m_frameMotionSync->move(613, 382);

    // DPI light.
    m_titleButton3 = titleMark("TitleButton_3", 40, 463);
    m_frameEffect = new SensorEffect(page);
    m_frameEffect->setObjectName(QStringLiteral("frameEffect"));
    m_frameEffect->move(80, 456);

    QMetaObject::connectSlotsByName(this);
}

void Sensor::applyLook()
{
    const QString f = m_pictureFolder;
    m_senSorPage->setStyleSheet(QStringLiteral("QFrame#SenSorPage{border:none;background:transparent;}"));

    SensorLook::styleComboBox(m_modelChoose, f);
    SensorLook::styleComboBox(m_performanceOpen, f, 5);
    m_modeView = qobject_cast<QListView*>(m_modelChoose->view());

    SensorLook::styleLabel(m_label5);
    SensorLook::styleLabel(m_label11);
    m_label5->setStyleSheet(m_label5->styleSheet() + QStringLiteral("font-weight:bold;"));
    m_performance->setStyleSheet(
        QStringLiteral("QCheckBox{%1}"
                       "QCheckBox::indicator:checked{image:url(%2CheckBoxChecked.png);}"
                       "QCheckBox::indicator:unchecked{image:url(%2CheckBox.png);}")
            .arg(StyleHelper::colorRule(QStringLiteral("LabelColor")), f));
    const QString mark = QStringLiteral("QToolButton{border:none;border-image:url(%1Title.png);}").arg(f);
    for (QToolButton* b : {m_titleButton, m_titleButton2, m_titleButton3, m_titleButton4})
        b->setStyleSheet(mark);
}

// ---- Statics ----

int Sensor::SetStageDpi(int stage, int dpi)
{
    const SensorDpiCodec::Context codec = SensorDpiCodec::Context::fromGlobals();
    const SensorDpiCodec::StageCode code = SensorDpiCodec::encodeStage(stage, dpi, codec);
    if (!code.valid)
        return 0;
    WriteDpiValueToDevice(stage, code.code, code.code, code.flags);
    return SensorDpiCodec::decode(codec, code.code, code.flags);
}

// ---- User actions ----

void Sensor::on_Performance_toggled(bool checked)
{
    m_performanceOpen->setEnabled(checked);
}

void Sensor::on_ModelChoose_currentIndexChanged(int index)
{
    // "LP" is the mouse's own choice at high rates, never the user's.
    if (!g_UiReady || g_SensorPageFilling || index < 0 || index == LowPower || index > LowPower)
        return;
    WriteSensorModelToDevice(quint8(index));
}

void Sensor::on_LOD_currentIndexChanged(int /*index*/)
{
    // The lift-off frame writes its own choice.
}

void Sensor::on_Performance_clicked(bool checked)
{
    if (g_UiReady)
        WritePerformanceToDevice(checked ? 1 : 0);
}

void Sensor::on_PerformanceOpen_currentIndexChanged(int index)
{
    if (!g_UiReady || g_SensorPageFilling)
        return;
    const int code = ImageFieldCodes::durationCode(index);
    if (code != 0)
        WritePerformanceModeToDevice(quint8(code));
}

void Sensor::changeEvent(QEvent* event)
{
    m_performanceOpen->setEnabled(m_performance->isChecked());
    QWidget::changeEvent(event);
}

// ---- Filling from the device ----

void Sensor::SlotUpDataSenSorUISensor(FlashDataMap image)
{
    applyImage(image, true);
}

void Sensor::SlotUpDataSenSorUIB(FlashDataMap image)
{
    applyImage(image, false);
}

bool Sensor::sensorOffersModeChoice() const
{
    return SensorDpiTables::listNames(m_supportSensorModeSel, g_SensorName);
}

void Sensor::unlockSensorMode()
{
    m_modelChoose->setEnabled(true);
    m_modelChoose->setCurrentIndex(currentFlashData().sensorMode);
    if (m_modeView)
        m_modeView->setRowHidden(LowPower, true);
}

void Sensor::lockSensorModeLowPower()
{
    if (m_modeView)
        m_modeView->setRowHidden(LowPower, false);
    m_modelChoose->setCurrentIndex(LowPower);
    m_modelChoose->setEnabled(false);
}

void Sensor::applyImage(const FlashDataMap& m, bool fullRead)
{
    SensorDPI* dpi = m_frameDpi;
    ConfigSettings* config = ConfigSettings::instance();
    const DeviceAllInfo device = currentDeviceCopy();
    const QString group = driveGroup(device);

    dpi->ClearStageCounts();
    dpi->BlockSliderSignals(true);
    dpi->SetSliderEnabled(true);
    m_frameEffect->setEnabled(true);
    if (fullRead)
        g_SensorPageApplied = false;
    {
        const FillScope filling(g_SensorPageFilling);

        dpi->SetCurrentStage(m.activeDpiStage);

        const int rateIndex = SensorRate::indexOfCode(m.reportRate);
        if (rateIndex >= 0)
            m_frameRate->setIndex(rateIndex);
        if (device.direct && (m.reportRate == FlashDataMap::kRate2000 || m.reportRate == FlashDataMap::kRate4000))
            m_frameRate->setIndex(SensorRate::indexOfCode(FlashDataMap::kRate1000));

        g_SensorName = config->value(group, QStringLiteral("Sensor"));
        if (g_SensorName == QLatin1String("3950"))
            m_frameLOD->AddLowLodItem();
        else
            m_frameLOD->RemoveLowLodItem();

        if (!sensorOffersModeChoice()) {
            m_modelChoose->setEnabled(false);
        } else if (device.direct || (isHighRateReceiver(device.connectionType) && isHighRate(m.reportRate))) {
            m_modelChoose->setCurrentIndex(LowPower);
            m_modelChoose->setEnabled(false);
        } else {
            m_modelChoose->setEnabled(true);
            m_modelChoose->setCurrentIndex(m.sensorMode);
            if (m_modeView)
                m_modeView->setRowHidden(LowPower, true);
        }

        m_frameLOD->setIndex(int(m.liftOffDistance) - 1);

        m_performance->setChecked(m.performanceMode != 0);
        m_performanceOpen->setEnabled(m.performanceMode != 0);
        const int duration = ImageFieldCodes::durationEntry(m.performanceModeTime);
        if (duration >= 0)
            m_performanceOpen->setCurrentIndex(duration);

        m_frameRipple->setChecked(m.rippleControl != 0);
        m_frameStraightLine->setChecked(m.angleSnapping != 0);
        m_frameMotionSync->setChecked(m.motionSync != 0);

        showDpiLight(m);

        // The image holds eight stage records, whatever the catalogue says.
        const int stages = SensorDpiTables::usableStageCount(config->value(group, QStringLiteral("DPIMaxGrade")));
        dpi->BlockStageCountSignals(true);
        for (int i = 0; i < stages; ++i) {
            const DpiStageRecord& r = m.dpiStages[i];
            dpi->SetStageColor(i, QStringLiteral("#%1%2%3")
                                      .arg(r.red, 2, 16, QLatin1Char('0'))
                                      .arg(r.green, 2, 16, QLatin1Char('0'))
                                      .arg(r.blue, 2, 16, QLatin1Char('0')));
            dpi->InsertStageCount(i, QString::number(i + 1));
        }
        dpi->BlockStageCountSignals(false);
        dpi->ShowSelectedSwatch(m.activeDpiStage);

        showFullLayout(config->value(group, QStringLiteral("XIn1")) != QLatin1String("2"));

        const DpiRangeTable range = SensorDpiTables::parseDpiRange(config->valueList(group, QStringLiteral("DPIRange")));
        SensorDpiTables::applyDpiRange(range);
        if (range.hasSegments()) {
            m_dpiMinText = range.firstMinText();
            m_dpiMaxText = range.lastMaxText();
        } else {
            // No usable ranges: the editor's whole span, unsnapped.
            m_dpiMinText = QStringLiteral("50");
            m_dpiMaxText = QStringLiteral("32000");
        }
        dpi->SetSliderMaximum(m_dpiMaxText.toInt());
        dpi->SetSliderMinimum(m_dpiMinText.toInt());

        const SensorDpiCodec::Context codec = SensorDpiCodec::Context::fromGlobals();
        for (int i = 0; i < stages; ++i) {
            const int value = SensorDpiCodec::decodeStage(m, i, codec);
            dpi->SetStageValueText(i, QString::number(value));
            if (i == m.activeDpiStage) {
                dpi->SetSliderValue(value);
                dpi->SetSpinValue(value);
            }
        }

        dpi->ShowStages(int(m.dpiStageCount) - 1);
        dpi->SetStageCountIndex(int(m.dpiStageCount) - 1);
        dpi->MoveMarker(int(m.activeDpiStage) + 1);
        dpi->SelectStage(m.activeDpiStage);

        const int layout = ImageFieldCodes::rateLayout(device.connectionType);
        if (layout >= 0)
            m_frameRate->setModelLayout(layout);

        m_frameLOD->setEnabled(SensorDpiTables::listNames(m_supportLodCal, g_SensorName));
        m_frameRipple->setVisible(SensorDpiTables::listNames(m_supportRipple, g_SensorName));
        m_frameStraightLine->setVisible(SensorDpiTables::listNames(m_supportFixLine, g_SensorName));
        m_frameMotionSync->setVisible(SensorDpiTables::listNames(m_supportMotionSync, g_SensorName));

        dpi->BlockSliderSignals(false);
    }
    if (fullRead)
        g_SensorPageApplied = true;
    m_frameMotionSync->setVisible(showsMotionSync(g_DeviceModelId));
}

void Sensor::showDpiLight(const FlashDataMap& m)
{
    const DpiLedSettings& led = m.dpiLed;
    if (led.on == 0)
        m_frameEffect->setMode(0);
    else if (led.mode == 1 || led.mode == 2)
        m_frameEffect->setMode(led.mode);
    m_frameEffect->setSpeed(led.speed);
    m_frameEffect->setBrightness(SensorEffect::brightnessLevel(led.brightness));
}

void Sensor::showFullLayout(bool full)
{
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_titleButton4, m_label5, m_label11, m_modelChoose, m_frameLOD, m_performance,
             m_performanceOpen, m_frameRipple, m_frameStraightLine, m_frameMotionSync})
        w->setVisible(full);
    m_frameEffect->move(80, full ? 456 : 316);
    m_titleButton3->move(40, full ? 463 : 323);
}

void Sensor::SlotFormReset()
{
    const FillScope filling(g_SensorPageFilling);
    const DeviceAllInfo device = currentDeviceCopy();
    SensorDPI* dpi = m_frameDpi;

    int sliderMaximum = 12000;
    int lightMode = 2;
    if (showsMotionSync(g_DeviceModelId)) {
        sliderMaximum = 30000;
        lightMode = 0;
    } else if (g_DeviceModelId == 11 || g_DeviceModelId == 12) {
        sliderMaximum = 24000;
    }
    m_frameMotionSync->setVisible(showsMotionSync(g_DeviceModelId));
    dpi->SetSliderMaximum(sliderMaximum);
    dpi->SetSliderMinimum(50);
    dpi->ApplyModelDefaults();

    dpi->ClearStageCounts();
    dpi->BlockStageCountSignals(true);
    for (int i = 0; i < 6; ++i)
        dpi->InsertStageCount(i, QString::number(i + 1));
    dpi->BlockStageCountSignals(false);
    dpi->ShowStages(5);
    dpi->SetStageCountIndex(5);
    dpi->MoveMarker(2);
    dpi->SelectStage(1);

    m_frameLOD->setIndex(0);
    m_performance->setEnabled(true);
    m_frameMotionSync->setChecked(true);
    dpi->SetSliderValue(800);
    dpi->SetSpinValue(800);

    {
        const QSignalBlocker blockMode(m_modelChoose);
        const int layout = ImageFieldCodes::rateLayout(device.connectionType);
        if (layout >= 0) {
            m_frameRate->setModelLayout(layout);
            m_frameRate->setIndex(SensorRate::indexOfCode(FlashDataMap::kRate1000));
            m_modelChoose->setCurrentIndex(layout == 0 ? Corded : LowPower);
        }
        if (device.direct)
            m_modelChoose->setCurrentIndex(LowPower);
    }
    {
        const QSignalBlocker blockDuration(m_performanceOpen);
        m_performanceOpen->setCurrentIndex(1);
    }
    m_frameLOD->setIndex(0);
    m_frameEffect->setMode(lightMode);
    m_frameEffect->setSpeed(3);
    m_frameEffect->setBrightness(5);
    m_performance->setChecked(false);
    m_performanceOpen->setEnabled(false);
    m_frameStraightLine->setChecked(false);
    m_frameRipple->setChecked(false);
}

void Sensor::SlotUpDataReportRate(int rate)
{
    // A report of the mouse: shown, never written back.
    const FillScope filling(g_SensorPageFilling);
    const int index = SensorRate::indexOfCode(rate);
    if (index < 0)
        return;
    m_frameRate->setIndex(index);
    if (!sensorOffersModeChoice() || currentDeviceCopy().direct)
        return;
    if (isHighRate(rate))
        lockSensorModeLowPower();
    else
        unlockSensorMode();
}

void Sensor::SlotHideModel(int high)
{
    if (!sensorOffersModeChoice())
        return;
    const DeviceAllInfo device = currentDeviceCopy();
    if (high == 0 && !device.direct)
        unlockSensorMode();
    else if (high == 1 && isHighRateReceiver(device.connectionType))
        lockSensorModeLowPower();
}

void Sensor::SlotUpDataDPI(int stage)
{
    // The mouse changed its stage: show it without writing it back.
    const bool wasReady = g_UiReady.exchange(false);
    m_frameDpi->MoveMarker(stage + 1);
    if (stage >= 0 && stage < SensorDPI::kStageCount) {
        m_frameDpi->SelectStage(stage);
        m_frameDpi->SetCurrentStage(stage);
    }
    g_UiReady = wasReady;
}

void Sensor::SlotUpDataDPILed(FlashDataMap image)
{
    const FillScope filling(g_SensorPageFilling);
    showDpiLight(image);
}

// ---- Language ----

void Sensor::SlotAllLanguage(int language)
{
    auto t = [language](int position) {
        return LanguageTables::text(LanguageSection::Sensor, language, position);
    };
    m_frameDpi->SetTitle(t(0));
    m_frameRate->setText(t(1));
    m_label5->setText(t(2));
    m_label11->setText(t(3));
    m_frameLOD->setText(t(4));
    m_performance->setText(t(5));
    m_frameRipple->setText(t(6));
    m_frameStraightLine->setText(t(7));
    m_frameMotionSync->setText(t(8));
    for (int i = 0; i < 6; ++i)
        m_performanceOpen->setItemText(i, t(9 + i));
    m_frameEffect->setText(t(15));
    for (int i = 0; i < 3; ++i)
        m_frameEffect->setItemText(i, t(16 + i));
    m_frameEffect->setSpeedText(t(19));
    m_frameEffect->setBrightnessText(t(20));
    m_label11->setToolTip(t(21));
    m_frameLOD->setToolTip(t(22));
    m_performance->setToolTip(t(23));
    m_frameMotionSync->setToolTip(t(24));
    m_frameStraightLine->setToolTip(t(25));
    m_frameRipple->setToolTip(t(26));
}
