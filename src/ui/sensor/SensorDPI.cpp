#include "ui/sensor/SensorDPI.h"

#include "app/Globals.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "device/DeviceWriters.h"
#include "device/HeldImage.h"
#include "ui/common/StyleHelper.h"
#include "ui/sensor/DpiSnapper.h"
#include "ui/sensor/MyConmboBox.h"
#include "ui/sensor/MySlider.h"
#include "ui/sensor/Sensor.h"
#include "ui/sensor/SensorLook.h"

#include <HIDUsb.h>

#include <QButtonGroup>
#include <QColor>
#include <QColorDialog>
#include <QLabel>
#include <QMetaObject>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>

namespace {

struct StageWidgets
{
    const char* button;
    int buttonX;
    const char* swatch;
    int swatchX;
    QPoint marker;
};

const StageWidgets kStages[SensorDPI::kStageCount] = {
    {"BlueButton", 15, "BlueButtonA", 17, QPoint(27, 154)},
    {"BrightRedButton", 106, "BrightRedButtonA", 108, QPoint(118, 154)},
    {"RedButton", 197, "RedButtonA", 199, QPoint(209, 154)},
    {"YellowButton", 288, "YellowButtonA", 290, QPoint(300, 154)},
    {"GreenButton", 379, "GreenButtonA", 381, QPoint(391, 154)},
    {"PurpleButton", 470, "PurpleButtonA", 472, QPoint(483, 154)},
    {"LightBlueButton", 561, "LightBlueButtonA", 563, QPoint(573, 154)},
    {"LightYellowButton", 652, "LightYellowButtonA", 654, QPoint(664, 154)},
};

const char* const kPlaceholderTexts[SensorDPI::kStageCount] = {"100", "200", "200", "100",
                                                              "100", "200", "100", "200"};
const char* const kDefaultColours[SensorDPI::kStageCount] = {
    "255,255,0", "0,0,255", "255,0,255", "0,255,0", "255,0,0", "0,255,255", "159,0,0", "0,212,252"};

constexpr int kChooseEventX = 115;
constexpr int kTitleGap = 8;
constexpr int kStageY = 99;
constexpr int kSwatchY = 141;
constexpr QSize kStageSize(54, 56);
constexpr QSize kStageSelectedSize(68, 70);
constexpr QSize kSwatchSize(50, 12);
constexpr QSize kSwatchSelectedSize(66, 14);

// A marker dropped right of this x (by stage-count index 0..6) lies beyond the
// last shown stage.
constexpr int kDropLimits[7] = {69, 160, 251, 342, 433, 524, 612};
constexpr int kDropMinX = 15;
constexpr int kDropMaxX = 706;

// Horizontal drop distance -> stage step and the marker's snap distance.
struct DropWindow
{
    int from;
    int to;
    int step;
    int shift;
};
const DropWindow kDropWindows[] = {
    {78, 129, 1, 91},     {-102, -51, -1, -91},  {168, 214, 2, 182},  {-192, -144, -2, -182},
    {264, 317, 3, 273},   {-284, -236, -3, -273}, {361, 389, 4, 364},  {-369, -327, -4, -364},
    {443, 495, 5, 455},   {-465, -411, -5, -455}, {538, 591, 6, 546},  {-556, -504, -6, -546},
    {623, 669, 7, 637},   {-646, -599, -7, -637},
};

bool deviceAnswers()
{
    return UsbFinderC_GetDeviceOnLine(g_DevicePath.load());
}

void requestOfflineNotice()
{
    PostMsg::GetInstance()->PostMouseOffLineo(0);
    HeldImage::refused();
}

QString optionColour(const QString& key)
{
    QString text;
    return ConfigSettings::instance()->colourText(key, &text) ? text : QString();
}

} // namespace

SensorDPI::SensorDPI(QWidget* parent)
    : QFrame(parent)
{
    buildForm();
    QMetaObject::connectSlotsByName(this);

    m_pictureFolder = StyleHelper::pictureFolder(QStringLiteral("Picture/Sensor"));
    m_buttonColour = optionColour(QStringLiteral("ButtonColor"));
    for (int k = 0; k < kStageCount; ++k) {
        m_markerPositions[k] = kStages[k].marker;
        m_colours[k] = QLatin1String(kDefaultColours[k]);
    }
    applyLook();

    m_stageGroup = new QButtonGroup(this);
    m_swatchGroup = new QButtonGroup(this);
    m_stageGroup->setExclusive(true);
    m_swatchGroup->setExclusive(true);
    for (int k = 0; k < kStageCount; ++k) {
        m_stageGroup->addButton(m_stages[k], k);
        m_swatchGroup->addButton(m_swatches[k], k);
        connect(m_stages[k], &QToolButton::toggled, this, [this, k](bool on) { onStageToggled(k, on); });
        connect(m_stages[k], &QToolButton::clicked, this, [this, k] { onStageClicked(k); });
        connect(m_swatches[k], &QToolButton::toggled, this, [this, k](bool on) { onSwatchToggled(k, on); });
        connect(m_swatches[k], &QToolButton::clicked, this, [this, k] { onSwatchClicked(k); });
    }

    m_colorDialog = new QColorDialog(this);
    m_colorDialog->setOption(QColorDialog::DontUseNativeDialog);
    connect(m_colorDialog, &QColorDialog::colorSelected, this, &SensorDPI::SetColor);

    for (int k = 0; k < kStageCount; ++k) {
        m_savedStageRects[k] = m_stages[k]->geometry();
        m_savedSwatchRects[k] = m_swatches[k]->geometry();
    }
    m_dragArea = QRect(0, 0, 728, 194);
}

SensorDPI::~SensorDPI() = default;

void SensorDPI::buildForm()
{
    setObjectName(QStringLiteral("SensorDPI"));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    resize(728, 194);

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("label"));
    m_title->setGeometry(17, 0, 101, 21);

    m_chooseEvent = new MyConmboBox(this);
    m_chooseEvent->setObjectName(QStringLiteral("ChooseEvent"));
    m_chooseEvent->setGeometry(kChooseEventX, 1, 81, 21);

    m_slider = new MySlider(this);
    m_slider->setObjectName(QStringLiteral("horizontalSliderC"));
    m_slider->setOrientation(Qt::Horizontal);
    m_slider->setGeometry(18, 56, 561, 25);
    m_slider->setRange(50, 32000);
    m_slider->setSingleStep(50);
    m_slider->setPageStep(50);
    m_slider->setValue(50);
    m_slider->setTracking(false);

    m_spin = new QSpinBox(this);
    m_spin->setObjectName(QStringLiteral("spinBoxA"));
    m_spin->setGeometry(618, 56, 66, 20);
    m_spin->setReadOnly(true);
    m_spin->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_spin->setWrapping(false);
    m_spin->setAlignment(Qt::AlignCenter);
    m_spin->setRange(50, 100000);

    for (int k = 0; k < kStageCount; ++k) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(kStages[k].button));
        b->setCheckable(true);
        b->setGeometry(QRect(QPoint(kStages[k].buttonX, kStageY), kStageSize));
        b->setText(QLatin1String(kPlaceholderTexts[k]));
        m_stages[k] = b;

        auto* s = new QToolButton(this);
        s->setObjectName(QLatin1String(kStages[k].swatch));
        s->setCheckable(true);
        s->setGeometry(QRect(QPoint(kStages[k].swatchX, kSwatchY), kSwatchSize));
        m_swatches[k] = s;
    }

    m_marker = new QLabel(this);
    m_marker->setObjectName(QStringLiteral("label_8"));
    m_marker->setGeometry(103, 154, 30, 30);
    m_marker->setAttribute(Qt::WA_Hover);

    m_reduce = new QToolButton(this);
    m_reduce->setObjectName(QStringLiteral("ReduceLevelA"));
    m_reduce->setGeometry(598, 64, 14, 4);
    m_add = new QToolButton(this);
    m_add->setObjectName(QStringLiteral("AddLevelA"));
    m_add->setGeometry(691, 59, 14, 14);

    // Worked with the mouse only.
    for (QWidget* w : findChildren<QWidget*>())
        w->setFocusPolicy(Qt::NoFocus);
    setFocusPolicy(Qt::NoFocus);
}

void SensorDPI::applyLook()
{
    const QString f = m_pictureFolder;
    // By class: the page renames the editor.
    setStyleSheet(QStringLiteral("SensorDPI{border:none;background:transparent;}"));
    SensorLook::styleLabel(m_title);
    SensorLook::styleComboBox(m_chooseEvent, f, 5);
    m_slider->setStyleSheet(SensorLook::sliderSheet(f));
    const QString spinColour = optionColour(QStringLiteral("LinEditColorSecond"));
    m_spin->setStyleSheet(QStringLiteral("QSpinBox{border:1px solid rgb(44,50,61);background:rgb(31,35,43);%1}")
                              .arg(spinColour.isEmpty() ? QString()
                                                        : QStringLiteral("color:rgb(%1);").arg(spinColour)));
    m_marker->setStyleSheet(QStringLiteral("QLabel{border:none;border-image:url(%1Level.png);}"
                                           "QLabel:hover{border-image:url(%1LevelHover.png);}")
                                .arg(f));
    m_reduce->setStyleSheet(StyleHelper::toolButtonImages(f, QStringLiteral("Reduce.png"), QString(), QString()));
    m_add->setStyleSheet(StyleHelper::toolButtonImages(f, QStringLiteral("Add.png"), QString(), QString()));
    for (int k = 0; k < kStageCount; ++k) {
        styleStageButton(k, false);
        styleSwatch(k, false);
    }
}

void SensorDPI::styleStageButton(int stage, bool selected)
{
    const QString colour = m_buttonColour.isEmpty() ? QString()
                                                    : QStringLiteral("color:rgb(%1);").arg(m_buttonColour);
    m_stages[stage]->setStyleSheet(QStringLiteral("QToolButton{border:none;%1border-image:url(%2%3);}")
                                       .arg(colour, m_pictureFolder,
                                            selected ? QStringLiteral("MaxA.png") : QStringLiteral("MinA.png")));
}

void SensorDPI::styleSwatch(int stage, bool selected)
{
    m_swatches[stage]->setStyleSheet(
        QStringLiteral("QToolButton{border:none;background-color:rgb(%1);border-image:url(%2%3);}")
            .arg(m_colours[stage], m_pictureFolder,
                 selected ? QStringLiteral("MaxB.png") : QStringLiteral("MinB.png")));
}

// ---- Operations of the sensor page ----

void SensorDPI::BlockStageCountSignals(bool block)
{
    m_chooseEvent->blockSignals(block);
}

void SensorDPI::BlockSliderSignals(bool block)
{
    m_slider->blockSignals(block);
}

void SensorDPI::ClearStageCounts()
{
    const QSignalBlocker block(m_chooseEvent);
    m_chooseEvent->clear();
}

void SensorDPI::InsertStageCount(int index, const QString& text)
{
    m_chooseEvent->insertItem(index, text);
}

void SensorDPI::SetStageCountIndex(int index)
{
    m_chooseEvent->setCurrentIndex(index);
}

void SensorDPI::SetSliderEnabled(bool on)
{
    m_slider->setEnabled(on);
}

void SensorDPI::SetSliderMinimum(int value)
{
    m_slider->setMinimum(value);
}

void SensorDPI::SetSliderMaximum(int value)
{
    m_slider->setMaximum(value);
}

void SensorDPI::SetSliderValue(int value)
{
    m_slider->setValue(value);
}

void SensorDPI::SetSpinValue(int value)
{
    m_spin->setValue(value);
}

void SensorDPI::SetCurrentStage(int stage)
{
    m_currentStage = stage;
}

void SensorDPI::SetStageValueText(int stage, const QString& text)
{
    if (validStage(stage))
        m_stages[stage]->setText(text);
}

void SensorDPI::SetStageColor(int stage, const QString& colour)
{
    if (!validStage(stage))
        return;
    const QColor c(colour);
    if (!c.isValid())
        return;
    m_colours[stage] = QStringLiteral("%1,%2,%3").arg(c.red()).arg(c.green()).arg(c.blue());
}

void SensorDPI::ShowSelectedSwatch(int stage)
{
    for (int k = 0; k < kStageCount; ++k) {
        if (k == stage) {
            styleSwatch(k, true);
        } else {
            m_swatches[k]->setGeometry(m_savedSwatchRects[k]);
            styleSwatch(k, false);
        }
    }
}

void SensorDPI::ShowStages(int lastIndex)
{
    if (!validStage(lastIndex))
        return;
    for (int k = 0; k < kStageCount; ++k) {
        m_stages[k]->setVisible(k <= lastIndex);
        m_swatches[k]->setVisible(k <= lastIndex);
    }
}

void SensorDPI::MoveMarker(int stageNumber)
{
    if (stageNumber >= 1 && stageNumber <= kStageCount)
        m_marker->move(m_markerPositions[stageNumber - 1]);
}

void SensorDPI::SelectStage(int stage)
{
    if (!validStage(stage))
        return;
    m_stages[stage]->setChecked(true);
    onSwatchToggled(stage, true);
}

void SensorDPI::SetTitle(const QString& text)
{
    m_title->setText(text);
    // The stage count follows a title longer than its place (some languages).
    const int end = m_title->x() + m_title->fontMetrics().horizontalAdvance(text) + kTitleGap;
    const int x = qMax(kChooseEventX, end);
    m_title->resize(x - m_title->x(), m_title->height());
    m_chooseEvent->move(x, m_chooseEvent->y());
}

void SensorDPI::ApplyModelDefaults()
{
    const QString group = QStringLiteral("Drive") + QString::number(currentDeviceCopy().modelIndex + 1);
    ConfigSettings* config = ConfigSettings::instance();

    const QStringList colours = config->valueList(group, QStringLiteral("DPIColor"));
    for (int i = 0; i < colours.size() && i <= 21; i += 3) {
        if (i + 2 >= colours.size())
            break;
        m_colours[i / 3] = colours.at(i) + QLatin1Char(',') + colours.at(i + 1) + QLatin1Char(',')
                           + colours.at(i + 2);
    }

    const QStringList grades = config->valueList(group, QStringLiteral("DPIGrade"));
    if (grades.size() < kStageCount)
        return;
    for (int k = 0; k < kStageCount; ++k) {
        m_swatches[k]->setGeometry(m_savedSwatchRects[k]);
        styleSwatch(k, false);
        m_stages[k]->setText(grades.at(k));
    }
}

// ---- State ----

int SensorDPI::checkedStage() const
{
    for (int k = 0; k < kStageCount; ++k) {
        if (m_stages[k]->isChecked())
            return k;
    }
    return -1;
}

QString SensorDPI::stageText(int stage) const
{
    return validStage(stage) ? m_stages[stage]->text() : QString();
}

QString SensorDPI::stageColour(int stage) const
{
    return validStage(stage) ? m_colours[stage] : QString();
}

QPoint SensorDPI::markerPosition(int stage) const
{
    return validStage(stage) ? m_markerPositions[stage] : QPoint();
}

QToolButton* SensorDPI::stageButton(int stage) const
{
    return validStage(stage) ? m_stages[stage] : nullptr;
}

QToolButton* SensorDPI::swatch(int stage) const
{
    return validStage(stage) ? m_swatches[stage] : nullptr;
}

// ---- Stage buttons and swatches ----

void SensorDPI::onStageToggled(int stage, bool checked)
{
    QToolButton* b = m_stages[stage];
    if (!checked) {
        b->setGeometry(m_savedStageRects[stage]);
        styleStageButton(stage, false);
        return;
    }
    b->setGeometry(QRect(m_savedStageRects[stage].topLeft() - QPoint(7, 7), kStageSelectedSize));
    styleStageButton(stage, true);
    // Not raised: the enlarged button would cover its colour bar, which stays
    // above it (and clickable) like every other stage's.
    m_swatches[stage]->setChecked(true);
    if (g_UiReady && !g_SensorPageFilling && !m_holdWrites) {
        m_currentStage = stage;
        MoveMarker(stage + 1);
        WriteDpiIndexToDevice(quint8(stage));
    }
}

void SensorDPI::onStageClicked(int stage)
{
    showStageOnSlider(stage);
}

void SensorDPI::onSwatchToggled(int stage, bool checked)
{
    QToolButton* s = m_swatches[stage];
    const QRect saved = m_savedSwatchRects[stage];
    if (!checked) {
        s->setGeometry(saved);
        styleSwatch(stage, false);
        return;
    }
    s->setGeometry(saved.x() - 8, saved.y() + 6, kSwatchSelectedSize.width(), kSwatchSelectedSize.height());
    styleSwatch(stage, true);
    m_stages[stage]->setChecked(true);
    showStageOnSlider(stage);
}

void SensorDPI::onSwatchClicked(int stage)
{
    const QStringList rgb = m_colours[stage].split(QLatin1Char(','));
    if (rgb.size() == 3)
        m_colorDialog->setCurrentColor(QColor(rgb.at(0).toInt(), rgb.at(1).toInt(), rgb.at(2).toInt()));
    m_colorDialog->show();
}

void SensorDPI::showStageOnSlider(int stage)
{
    bool ok = false;
    const int value = m_stages[stage]->text().toInt(&ok, 10);
    if (!ok)
        return;
    m_showingStage = true;
    m_slider->setValue(value);
    m_showingStage = false;
}

void SensorDPI::SetColor(const QColor& colour)
{
    const int k = m_swatchGroup->checkedId();
    if (!validStage(k))
        return;
    m_colours[k] = QStringLiteral("%1,%2,%3").arg(colour.red()).arg(colour.green()).arg(colour.blue());
    if (g_UiReady && !g_SensorPageFilling)
        WriteDpiColorToDevice(k, quint8(colour.red()), quint8(colour.green()), quint8(colour.blue()));
    styleSwatch(k, m_swatches[k]->isChecked());
}

// ---- Slider and step buttons ----

void SensorDPI::on_horizontalSliderC_valueChanged(int value)
{
    if (m_showingStage) {
        // The selected stage's own value, shown: nothing to write, and the
        // stage keeps its text even where the slider had to clamp it.
        const int stage = checkedStage();
        bool ok = false;
        const int stored = validStage(stage) ? m_stages[stage]->text().toInt(&ok, 10) : 0;
        const int shown = ok ? stored : value;
        const DpiSnapper::Snapped snapped = DpiSnapper::fromGlobals().snap(shown);
        if (snapped.pageStep > 0)
            m_slider->setPageStep(snapped.pageStep);
        m_spin->setValue(shown);
        return;
    }
    if (g_UiReady && !g_SensorPageFilling && !deviceAnswers()) {
        m_spin->setValue(value);
        requestOfflineNotice();
        return;
    }
    const DpiSnapper::Snapped snapped = DpiSnapper::fromGlobals().snap(value);
    if (snapped.pageStep > 0)
        m_slider->setPageStep(snapped.pageStep);
    const int v = snapped.value;
    const int stage = checkedStage();
    if (g_ApplyingSettings || g_SensorPageFilling || stage < 0) {
        if (stage >= 0)
            m_stages[stage]->setText(QString::number(v));
        m_spin->setValue(v);
        return;
    }
    // The stage shows what the mouse got: a value the sensor has no code for
    // is refused and the stage's own value comes back.
    const int written = Sensor::SetStageDpi(stage, v);
    if (written <= 0) {
        showStageOnSlider(stage);
        m_spin->setValue(m_stages[stage]->text().toInt());
        return;
    }
    m_stages[stage]->setText(QString::number(written));
    m_spin->setValue(written);
}

void SensorDPI::on_horizontalSliderC_sliderMoved(int value)
{
    m_spin->setValue(DpiSnapper::fromGlobals().snap(value).value);
}

void SensorDPI::on_ReduceLevelA_clicked()
{
    if (g_UiReady && !deviceAnswers()) {
        requestOfflineNotice();
        return;
    }
    m_slider->setValue(DpiSnapper::fromGlobals().stepDown(m_spin->value()));
}

void SensorDPI::on_AddLevelA_clicked()
{
    if (g_UiReady && !deviceAnswers()) {
        requestOfflineNotice();
        return;
    }
    m_slider->setValue(DpiSnapper::fromGlobals().stepUp(m_spin->value()));
}

// ---- Stage count ----

void SensorDPI::on_ChooseEvent_currentIndexChanged(int index)
{
    // -1 (or a count beyond eight): the page set a count the box does not have.
    if (!validStage(index))
        return;
    const bool filling = g_SensorPageFilling;
    // One answer for the whole change: a refused device gets one notice, not
    // one per write the change would have made.
    const bool online = !g_UiReady || filling || deviceAnswers();
    if (g_UiReady && !filling && !online)
        requestOfflineNotice();

    if (!filling) {
        const int previous = m_currentStage;
        if (validStage(previous) && previous > index) {
            m_holdWrites = !online;
            exchangeStages(previous, index);
            m_holdWrites = false;
        }
        ShowStages(index);
    }
    if (g_UiReady && online && !filling)
        WriteDpiStageCountToDevice(quint8(index + 1));
}

void SensorDPI::exchangeStages(int previous, int index)
{
    std::swap(m_colours[previous], m_colours[index]);
    const QString previousText = m_stages[previous]->text();
    m_stages[previous]->setText(m_stages[index]->text());
    m_stages[index]->setText(previousText);
    styleSwatch(previous, m_swatches[previous]->isChecked());
    styleSwatch(index, m_swatches[index]->isChecked());
    MoveMarker(index + 1);
    m_stages[index]->setChecked(true);
    m_currentStage = index;
    if (!g_UiReady || m_holdWrites)
        return;
    const FlashDataMap image = currentFlashData();
    // Record `index` moves to `previous` and the selected record to `index`.
    WriteDpiStagesToDevice(image.dpiStages[index], image.dpiStages[previous], index, previous,
                           quint8(index));
}

// ---- The marker ----

void SensorDPI::mousePressEvent(QMouseEvent* event)
{
    if (event->buttons() != Qt::NoButton && m_marker->geometry().contains(event->pos())) {
        m_dragging = true;
        m_dragOffset = event->pos() - m_marker->pos();
        return;
    }
    QFrame::mousePressEvent(event);
}

void SensorDPI::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() == Qt::NoButton || !m_dragging) {
        QFrame::mouseMoveEvent(event);
        return;
    }
    if (m_dragArea.contains(event->pos()))
        m_marker->move(event->pos() - m_dragOffset);
    else
        dropMarker(event->pos());
}

void SensorDPI::mouseReleaseEvent(QMouseEvent* event)
{
    // Only a press on the marker starts a drop.
    if (!m_dragging) {
        QFrame::mouseReleaseEvent(event);
        return;
    }
    dropMarker(event->pos());
}

void SensorDPI::dropMarker(const QPoint& at)
{
    m_dragging = false;
    const bool stageKnown = validStage(m_currentStage);
    const QPoint home = stageKnown ? m_markerPositions[m_currentStage] : QPoint(0, 0);

    if (!m_marker->geometry().contains(at) || at.x() < kDropMinX || at.x() > kDropMaxX) {
        m_marker->move(home);
        return;
    }
    const int countIndex = m_chooseEvent->currentIndex();
    if (countIndex >= 0 && countIndex <= 6 && at.x() > kDropLimits[countIndex]) {
        m_marker->move(home);
        if (g_UiReady && stageKnown)
            WriteDpiIndexToDevice(quint8(m_currentStage));
        return;
    }
    const int d = at.x() - home.x();
    for (const DropWindow& w : kDropWindows) {
        if (d < w.from || d > w.to)
            continue;
        const int target = m_currentStage + w.step;
        if (!stageKnown || !validStage(target)) {
            m_marker->move(home);
            return;
        }
        m_marker->move(home + QPoint(w.shift, 0));
        m_currentStage = target;
        if (SelectStageFromMarker(target) && g_UiReady)
            WriteDpiIndexToDevice(quint8(target));
        return;
    }
    m_marker->move(home);
}

bool SensorDPI::SelectStageFromMarker(int stage)
{
    if (g_UiReady && !g_SensorPageFilling && !deviceAnswers()) {
        requestOfflineNotice();
        return false;
    }
    if (validStage(stage))
        m_stages[stage]->setChecked(true);
    return true;
}
