#include "ui/sensor/SensorEffect.h"

#include "app/Globals.h"
#include "device/DeviceWriters.h"
#include "ui/common/StyleHelper.h"
#include "ui/sensor/MyConmboBox.h"
#include "ui/sensor/SensorLook.h"

#include <QLabel>
#include <QMetaObject>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>

namespace {
constexpr int kBrightnessCodes[10] = {16, 30, 60, 90, 128, 150, 180, 210, 230, 255};

QSpinBox* makeNumber(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    box->setReadOnly(true);
    box->setButtonSymbols(QAbstractSpinBox::NoButtons);
    box->setAlignment(Qt::AlignCenter);
    box->setRange(1, 10);
    box->setFocusPolicy(Qt::NoFocus);
    return box;
}

QSlider* makeSlider(QWidget* parent, const char* name, const QRect& geometry, int maximum)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QLatin1String(name));
    slider->setGeometry(geometry);
    slider->setRange(1, maximum);
    slider->setPageStep(1);
    slider->setSingleStep(1);
    slider->setFocusPolicy(Qt::NoFocus);
    return slider;
}

QFrame* makeLine(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QLatin1String(name));
    line->setGeometry(geometry);
    line->setFrameShape(QFrame::HLine);
    line->setStyleSheet(QStringLiteral("background:rgb(44,50,61);border:none;"));
    return line;
}
}

SensorEffect::SensorEffect(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("SensorEffect"));
    resize(520, 110);

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("label"));
    m_label->setGeometry(0, 0, 240, 21);

    m_model = new MyConmboBox(this);
    m_model->setObjectName(QStringLiteral("Model"));
    m_model->setGeometry(0, 40, 130, 30);
    m_model->setFocusPolicy(Qt::NoFocus);
    m_model->addItems({QStringLiteral("Off"), QStringLiteral("Steady"), QStringLiteral("Breathing")});

    m_speedLabel = new QLabel(this);
    m_speedLabel->setObjectName(QStringLiteral("label_14"));
    m_speedLabel->setAlignment(Qt::AlignCenter);
    // Wide enough for the longest translation, up to the sliders.
    m_speedLabel->setGeometry(150, 32, 116, 22);
    m_lightLabel = new QLabel(this);
    m_lightLabel->setObjectName(QStringLiteral("label_15"));
    m_lightLabel->setAlignment(Qt::AlignCenter);
    m_lightLabel->setGeometry(150, 72, 116, 22);

    m_speed = makeSlider(this, "SpeedH", QRect(270, 34, 180, 18), 5);
    m_light = makeSlider(this, "LightH", QRect(270, 74, 180, 18), 10);
    m_speedLine = makeLine(this, "line", QRect(270, 42, 180, 2));
    m_lightLine = makeLine(this, "line_2", QRect(270, 82, 180, 2));
    m_speedNumber = makeNumber(this, "SpeedSpinBox", QRect(462, 32, 40, 22));
    m_lightNumber = makeNumber(this, "LightSpinBox", QRect(462, 72, 40, 22));

    QMetaObject::connectSlotsByName(this);

    m_pictureFolder = StyleHelper::pictureFolder(QStringLiteral("Picture/Sensor"));
    for (QWidget* w : {static_cast<QWidget*>(m_label), static_cast<QWidget*>(m_speedLabel),
                       static_cast<QWidget*>(m_lightLabel), static_cast<QWidget*>(m_speedNumber),
                       static_cast<QWidget*>(m_lightNumber)})
        SensorLook::styleLabel(w);
    SensorLook::styleComboBox(m_model, m_pictureFolder);
    const QString sliderSheet = SensorLook::sliderSheet(m_pictureFolder);
    m_speed->setStyleSheet(sliderSheet);
    m_light->setStyleSheet(sliderSheet);

    m_speedNumber->setValue(m_speed->value());
    m_lightNumber->setValue(m_light->value());
    showMode(m_model->currentIndex());
}

SensorEffect::~SensorEffect() = default;

int SensorEffect::brightnessCode(int level)
{
    return level >= 1 && level <= 10 ? kBrightnessCodes[level - 1] : 0;
}

int SensorEffect::brightnessLevel(int code)
{
    for (int i = 0; i < 10; ++i) {
        if (kBrightnessCodes[i] == code)
            return i + 1;
    }
    return code;
}

bool SensorEffect::mayWrite() const
{
    return !m_showing && g_UiReady && !g_SensorPageFilling;
}

void SensorEffect::showMode(int mode)
{
    const bool steady = mode == 1;
    const bool breathing = mode == 2;
    m_speed->setVisible(breathing);
    m_speedNumber->setVisible(breathing);
    m_speedLine->setVisible(!breathing);
    m_light->setVisible(steady);
    m_lightNumber->setVisible(steady);
    m_lightLine->setVisible(!steady);
}

void SensorEffect::setMode(int m)
{
    // The chooser's own signal stays live so that its slot shows the rows.
    const QScopedValueRollback<bool> showing(m_showing, true);
    m_model->setCurrentIndex(m);
    const QSignalBlocker blockSpeed(m_speed);
    const QSignalBlocker blockLight(m_light);
    showMode(m);
}

void SensorEffect::setSpeed(int level)
{
    const QScopedValueRollback<bool> showing(m_showing, true);
    m_speed->setValue(level);
}

void SensorEffect::setBrightness(int level)
{
    const QScopedValueRollback<bool> showing(m_showing, true);
    m_light->setValue(level);
}

void SensorEffect::setEnabled(bool on)
{
    m_speed->setEnabled(on);
    m_light->setEnabled(on);
}

void SensorEffect::setItemText(int i, const QString& text)
{
    if (i >= 0 && i < m_model->count())
        m_model->setItemText(i, text);
}

void SensorEffect::setText(const QString& text)
{
    m_label->setText(text);
}

void SensorEffect::setSpeedText(const QString& text)
{
    m_speedLabel->setText(text);
}

void SensorEffect::setBrightnessText(const QString& text)
{
    m_lightLabel->setText(text);
}

void SensorEffect::on_Model_currentIndexChanged(int index)
{
    // -1: the chooser was set to an entry it does not have.
    if (index < 0 || index > 2)
        return;
    showMode(index);
    if (mayWrite())
        WriteSensorLightModeToDevice(index);
}

void SensorEffect::on_SpeedH_valueChanged(int value)
{
    m_speedNumber->setValue(value);
    if (mayWrite())
        WriteSensorLightSpeedToDevice(quint8(value));
}

void SensorEffect::on_SpeedH_sliderMoved(int value)
{
    m_speedNumber->setValue(value);
}

void SensorEffect::on_LightH_valueChanged(int value)
{
    m_lightNumber->setValue(value);
    const int code = brightnessCode(value);
    if (code != 0 && mayWrite())
        WriteSensorLightBrightnessToDevice(quint8(code));
}

void SensorEffect::on_LightH_sliderMoved(int value)
{
    m_lightNumber->setValue(value);
}
