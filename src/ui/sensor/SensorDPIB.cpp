#include "ui/sensor/SensorDPIB.h"

#include "app/Globals.h"
#include "core/PostMsg.h"
#include "device/DeviceWriters.h"
#include "ui/common/StyleHelper.h"
#include "ui/sensor/DpiSnapper.h"
#include "ui/sensor/MyConmboBox.h"
#include "ui/sensor/MySlider.h"
#include "ui/sensor/Sensor.h"
#include "ui/sensor/SensorLook.h"

#include <HIDUsb.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QColor>
#include <QColorDialog>
#include <QFont>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>

#include <memory>

namespace {

struct StageRow
{
    const char* check;
    const char* text;
    const char* swatch;
    const char* slider;
    const char* value;
    int y;
    const char* initialColor;
    const char* paletteColor;
};

// The swatch names are names only: a swatch always shows its stage's colour.
const StageRow kRows[SensorDPIB::kStageCount] = {
    {"MA", "DPI1", "BlueButtonA", "horizontalSliderA", "spinBoxA", 60, "#ff0000", "#ff0000"},
    {"MB", "DPI2", "BrightRedButtonA", "horizontalSliderB", "spinBoxB", 110, "#ffff00", "#00ffff"},
    {"MC", "DPI3", "RedButtonA", "horizontalSliderC", "spinBoxC", 160, "#ffaa00", "#00ff00"},
    {"MD", "DPI4", "YellowButtonA", "horizontalSliderD", "spinBoxD", 210, "#00ff00", "#ffffff"},
    {"ME", "DPI5", "GreenButtonA", "horizontalSliderE", "spinBoxE", 260, "#aaffff", "#00ffff"},
    {"MF", "DPI6", "PurpleButtonA", "horizontalSliderF", "spinBoxF", 310, "#aa55ff", "#ff557d"},
    {"MG", "DPI7", "LightBlueButtonA", "horizontalSliderG", "spinBoxG", 360, "#9f0000", "#ff00ff"},
    {"MH", "DPI8", "LightYellowButtonA", "horizontalSliderH", "spinBoxH", 410, "#00d4d4", "#00ffff"},
};

QFont formFont(int pointSize)
{
    QFont font(QString::fromUtf8("微软雅黑"));
    font.setPointSize(pointSize);
    return font;
}

bool deviceAnswers()
{
    return UsbFinderC_GetDeviceOnLine(g_DevicePath.load());
}

void requestOfflineNotice()
{
    PostMsg::GetInstance()->PostMouseOffLineo(0);
}

// A value outside every segment of the model would be sent as a DPI the model
// does not have: it is held to the first segment's minimum and the last one's
// maximum. Without usable segments the value stays as it is.
int clampToSegments(const DpiSnapper& snapper, int value)
{
    const QVector<DpiSegment>& segments = snapper.segments();
    if (segments.isEmpty())
        return value;
    const int low = segments.first().min;
    const int high = segments.last().max;
    if (low > high)
        return value;
    return qBound(low, value, high);
}

} // namespace

SensorDPIB::SensorDPIB(QWidget* parent)
    : QFrame(parent)
{
    buildForm();
    m_picturePath = StyleHelper::pictureFolder(QStringLiteral("Picture/Sensor"));
    for (int k = 0; k < kStageCount; ++k)
        m_stageColors[k] = QLatin1String(kRows[k].initialColor);

    m_stageGroup = new QButtonGroup(this);
    m_stageGroup->setExclusive(true);

    m_colorDialog = new QColorDialog(this);
    m_colorDialog->setOption(QColorDialog::DontUseNativeDialog);
    connect(m_colorDialog, &QColorDialog::colorSelected, this, &SensorDPIB::SetColor);

    applyLook();

    for (int k = 0; k < kStageCount; ++k) {
        const Row& row = m_rows[k];
        m_stageGroup->addButton(row.check, k);
        connect(row.slider, &QSlider::valueChanged, this, [this, k](int v) { onSliderValueChanged(k, v); });
        connect(row.check, &QCheckBox::toggled, this, [this, k](bool on) { onStageToggled(k, on); });
        connect(row.swatch, &QToolButton::clicked, this, [this, k] { onSwatchClicked(k); });
    }
    connect(m_chooseEvent, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &SensorDPIB::on_ChooseEvent_currentIndexChanged);
}

SensorDPIB::~SensorDPIB() = default;

void SensorDPIB::buildForm()
{
    setObjectName(QStringLiteral("SensorDPIB"));
    resize(725, 444);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    setWindowTitle(QStringLiteral("Frame"));

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("label"));
    m_title->setGeometry(540, 10, 91, 21);
    m_title->setFont(formFont(11));
    m_title->setText(QString::fromUtf8("DPI级数"));

    m_chooseEvent = new MyConmboBox(this);
    m_chooseEvent->setObjectName(QStringLiteral("ChooseEvent"));
    m_chooseEvent->setGeometry(630, 10, 81, 21);
    m_chooseEvent->setFont(formFont(10));
    m_chooseEvent->setMinimumSize(0, 0);
    m_chooseEvent->setFocusPolicy(Qt::NoFocus);

    for (int k = 0; k < kStageCount; ++k) {
        const StageRow& rowDef = kRows[k];
        Row& row = m_rows[k];

        row.check = new QCheckBox(this);
        row.check->setObjectName(QLatin1String(rowDef.check));
        row.check->setGeometry(10, rowDef.y, 61, 20);
        row.check->setMinimumSize(20, 10);
        row.check->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Expanding);
        row.check->setFont(formFont(11));
        row.check->setFocusPolicy(Qt::NoFocus);
        row.check->setText(QLatin1String(rowDef.text));

        row.swatch = new QToolButton(this);
        row.swatch->setObjectName(QLatin1String(rowDef.swatch));
        row.swatch->setGeometry(80, rowDef.y - 3, 25, 25);
        row.swatch->setCheckable(true);
        row.swatch->setAutoRaise(false);
        row.swatch->setFocusPolicy(Qt::NoFocus);

        row.slider = new MySlider(this);
        row.slider->setObjectName(QLatin1String(rowDef.slider));
        row.slider->setGeometry(120, rowDef.y, 510, 25);
        row.slider->setFixedSize(510, 25);
        row.slider->setOrientation(Qt::Horizontal);
        row.slider->setRange(50, 10000);
        row.slider->setSingleStep(50);
        row.slider->setPageStep(50);
        row.slider->setValue(50);
        // A drag reports its value once, on release.
        row.slider->setTracking(false);
        row.slider->setFocusPolicy(Qt::NoFocus);

        row.value = new QSpinBox(this);
        row.value->setObjectName(QLatin1String(rowDef.value));
        row.value->setGeometry(643, rowDef.y, 66, 21);
        row.value->setReadOnly(true);
        row.value->setButtonSymbols(QAbstractSpinBox::NoButtons);
        row.value->setAlignment(Qt::AlignCenter);
        row.value->setWrapping(false);
        row.value->setAccelerated(false);
        row.value->setFont(formFont(10));
        row.value->setRange(50, 100000);
        row.value->setValue(50);
        row.value->setFocusPolicy(Qt::NoFocus);
    }
}

void SensorDPIB::applyLook()
{
    const QString path = m_picturePath;
    // By class: a host may rename the editor. It stands on the host's own panel.
    setStyleSheet(QStringLiteral("SensorDPIB{border:none;background:transparent;}"));
    SensorLook::styleLabel(m_title);
    SensorLook::styleComboBox(m_chooseEvent, path, 5);

    const QString sliderSheet = SensorLook::sliderSheet(path);
    const QString valueSheet =
        QStringLiteral("QSpinBox{background-color:transparent;%1border:1px solid gray;}")
            .arg(StyleHelper::colorRule(QStringLiteral("LinEditColorSecond")));
    const QString checkSheet = QStringLiteral("QCheckBox{%1}"
                                              "QCheckBox::indicator:checked{image:url(%2LODCheck.png);}"
                                              "QCheckBox::indicator:unchecked{image:url(%2LOD.png);}")
                                   .arg(StyleHelper::colorRule(QStringLiteral("LabelColor")), path);
    for (int k = 0; k < kStageCount; ++k) {
        const Row& row = m_rows[k];
        row.slider->setStyleSheet(sliderSheet);
        row.value->setStyleSheet(valueSheet);
        row.check->setStyleSheet(checkSheet);
        // Red until the host refreshes the swatches from the stage colours.
        paintSwatch(k, QStringLiteral("#ff0000"));
    }
}

void SensorDPIB::paintSwatch(int stage, const QString& color)
{
    m_rows[stage].swatch->setStyleSheet(
        QStringLiteral("QToolButton{border:0px;border-radius:3px;background-color:%1;}").arg(color));
}

// ---- Operations for a host ----

void SensorDPIB::ClearStageCountItems()
{
    const QSignalBlocker block(m_chooseEvent);
    m_chooseEvent->clear();
}

void SensorDPIB::InsertStageCountItem(int index, const QString& text)
{
    // Filling the box is not a user's choice: the first entry would otherwise
    // report index 0 and rearrange the stages on the mouse.
    const QSignalBlocker block(m_chooseEvent);
    m_chooseEvent->insertItem(index, text);
}

void SensorDPIB::SetTitleText(const QString& text)
{
    m_title->setText(text);
}

void SensorDPIB::BlockSliderSignals(bool block)
{
    for (const Row& row : m_rows)
        row.slider->blockSignals(block);
}

void SensorDPIB::SetSlidersEnabled(bool enabled)
{
    for (const Row& row : m_rows)
        row.slider->setEnabled(enabled);
}

void SensorDPIB::SetSliderMaximum(int value)
{
    for (const Row& row : m_rows)
        row.slider->setMaximum(value);
}

void SensorDPIB::SetSliderMinimum(int value)
{
    for (const Row& row : m_rows)
        row.slider->setMinimum(value);
}

void SensorDPIB::SetStageValue(int stage, const QString& text)
{
    if (!validStage(stage))
        return;
    const int value = text.toInt(nullptr, 10);
    m_showingValue = true;
    m_rows[stage].slider->setValue(value);
    m_showingValue = false;
    m_rows[stage].value->setValue(value);
}

void SensorDPIB::SetStageColor(int stage, const QString& color)
{
    if (validStage(stage))
        m_stageColors[stage] = color;
}

void SensorDPIB::SetCurrentStage(int stage)
{
    m_currentStage = stage;
}

void SensorDPIB::SetStageCount(int count)
{
    m_stageCount = count;
}

void SensorDPIB::SelectStage(int stage)
{
    if (g_UiReady && !g_SensorPageFilling && !deviceAnswers()) {
        requestOfflineNotice();
        return;
    }
    if (validStage(stage))
        m_rows[stage].check->setChecked(true);
}

void SensorDPIB::ShowStageRows(int index)
{
    if (!validStage(index))
        return;
    for (int k = 0; k < kStageCount; ++k) {
        const bool shown = k <= index;
        const Row& row = m_rows[k];
        row.check->setVisible(shown);
        row.swatch->setVisible(shown);
        row.slider->setVisible(shown);
        row.value->setVisible(shown);
    }
}

void SensorDPIB::RefreshStageSwatch(int stage)
{
    if (validStage(stage))
        paintSwatch(stage, m_stageColors[stage]);
}

void SensorDPIB::RefreshAllSwatches()
{
    for (int k = 0; k < kStageCount; ++k)
        paintSwatch(k, m_stageColors[k]);
}

void SensorDPIB::ApplySwatchPalette()
{
    for (int k = 0; k < kStageCount; ++k)
        paintSwatch(k, QLatin1String(kRows[k].paletteColor));
}

// ---- State ----

QString SensorDPIB::stageColor(int stage) const
{
    return validStage(stage) ? m_stageColors[stage] : QString();
}

QCheckBox* SensorDPIB::stageCheck(int stage) const
{
    return validStage(stage) ? m_rows[stage].check : nullptr;
}

QToolButton* SensorDPIB::swatch(int stage) const
{
    return validStage(stage) ? m_rows[stage].swatch : nullptr;
}

MySlider* SensorDPIB::slider(int stage) const
{
    return validStage(stage) ? m_rows[stage].slider : nullptr;
}

QSpinBox* SensorDPIB::valueBox(int stage) const
{
    return validStage(stage) ? m_rows[stage].value : nullptr;
}

// ---- User actions ----

void SensorDPIB::onSliderValueChanged(int stage, int value)
{
    Row& row = m_rows[stage];
    // A value the host shows; the value box follows in SetStageValue.
    if (m_showingValue)
        return;
    if (g_UiReady && !g_SensorPageFilling && !deviceAnswers()) {
        row.value->setValue(value);
        requestOfflineNotice();
        return;
    }
    const DpiSnapper snapper = DpiSnapper::fromGlobals();
    const DpiSnapper::Snapped snapped = snapper.snap(value);
    if (snapped.pageStep > 0)
        row.slider->setPageStep(snapped.pageStep);
    const int dpi = clampToSegments(snapper, snapped.value);
    row.value->setValue(dpi);
    // A page that fills the editor shows values; it never sends them back.
    if (g_ApplyingSettings || g_SensorPageFilling)
        return;
    Sensor::SetStageDpi(stage, dpi);
}

void SensorDPIB::onStageToggled(int stage, bool on)
{
    if (!on || !g_UiReady || g_SensorPageFilling || m_holdWrites)
        return;
    m_currentStage = stage;
    WriteDpiIndexToDevice(quint8(stage));
}

void SensorDPIB::onSwatchClicked(int stage)
{
    m_colorTarget = stage;
    // Opens on the stage's own colour rather than on white.
    m_colorDialog->setCurrentColor(QColor(m_stageColors[stage]));
    m_colorDialog->show();
}

void SensorDPIB::SetColor(const QColor& color)
{
    const int stage = m_colorTarget;
    if (!validStage(stage))
        return;
    const QString text = QStringLiteral("#%1%2%3")
                             .arg(color.red(), 2, 16, QLatin1Char('0'))
                             .arg(color.green(), 2, 16, QLatin1Char('0'))
                             .arg(color.blue(), 2, 16, QLatin1Char('0'))
                             .toLower();
    m_stageColors[stage] = text;
    if (g_UiReady && !g_SensorPageFilling) {
        WriteDpiColorToDevice(stage, quint8(text.midRef(1, 2).toInt(nullptr, 16)),
                              quint8(text.midRef(3, 2).toInt(nullptr, 16)),
                              quint8(text.midRef(5, 2).toInt(nullptr, 16)));
    }
    paintSwatch(stage, text);
}

void SensorDPIB::on_ChooseEvent_currentIndexChanged(int index)
{
    if (g_SensorPageFilling)
        return;
    // -1 (an emptied box) or an entry beyond the eight stage records.
    if (!validStage(index))
        return;
    // One answer for the whole change: a mouse that does not answer gets one
    // notice, not one for each write the change would have made.
    const bool online = !g_UiReady || deviceAnswers();
    if (!online)
        requestOfflineNotice();

    const int current = m_currentStage;
    m_previousStage = current;
    if (validStage(current) && current > index) {
        m_holdWrites = !online;
        exchangeStages(current, index);
        m_holdWrites = false;
    }
    ShowStageRows(index);
    if (g_UiReady && online)
        WriteDpiStageCountToDevice(quint8(index + 1));
}

void SensorDPIB::exchangeStages(int current, int index)
{
    // Moving the values between the rows only shows them.
    std::unique_ptr<QSignalBlocker> blockers[kStageCount];
    for (int k = 0; k < kStageCount; ++k)
        blockers[k] = std::make_unique<QSignalBlocker>(m_rows[k].slider);

    const QString colorA = m_stageColors[current];
    const int valueA = m_rows[current].value->value();
    const QString colorB = m_stageColors[index];
    const int valueB = m_rows[index].value->value();

    m_stageColors[current] = colorB;
    RefreshStageSwatch(current);
    m_rows[current].slider->setValue(valueB);
    m_rows[current].value->setValue(valueB);

    m_stageColors[index] = colorA;
    RefreshStageSwatch(index);
    m_rows[index].slider->setValue(valueA);
    m_rows[index].value->setValue(valueA);
    m_rows[index].check->setChecked(true);

    m_stageCount = index + 1;
    m_currentStage = index;
    if (g_UiReady && !m_holdWrites) {
        const FlashDataMap image = currentFlashData();
        // The record of `index` moves to `current` and the current one to `index`.
        WriteDpiStagesToDevice(image.dpiStages[index], image.dpiStages[current], index, current,
                               quint8(index));
    }
}
