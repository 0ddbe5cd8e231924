#include "ui/sensor/SensorRate.h"

#include "app/Globals.h"
#include "core/PostMsg.h"
#include "device/DeviceWriters.h"
#include "ui/common/StyleHelper.h"
#include "ui/sensor/SensorLook.h"

#include <QButtonGroup>
#include <QLabel>
#include <QToolButton>

namespace {
const SensorRate::Rate kRates[SensorRate::kRateCount] = {
    {"Button125HZ", "125Hz", 0},   {"Button250HZ", "250Hz", 0},   {"Button500HZ", "500Hz", 0},
    {"Button1000HZ", "1000Hz", 0}, {"Button2000HZ", "2000Hz", 1}, {"Button4000HZ", "4000Hz", 1},
    {"Button8000HZ", "8000Hz", 1},
};

constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 32;
constexpr int kButtonPitch = 100;
constexpr int kButtonTop = 28;
}

const SensorRate::Rate& SensorRate::rate(int index)
{
    return kRates[qBound(0, index, kRateCount - 1)];
}

int SensorRate::indexOfCode(int code)
{
    return ImageFieldCodes::rateIndex(code);
}

SensorRate::SensorRate(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("SensorRate"));
    resize(kButtonPitch * (kRateCount - 1) + kButtonWidth, kButtonTop + kButtonHeight);

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("label"));
    m_label->setGeometry(0, 0, 300, 21);

    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    for (int i = 0; i < kRateCount; ++i) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(kRates[i].objectName));
        b->setText(QLatin1String(kRates[i].text));
        b->setCheckable(true);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(kButtonPitch * i, kButtonTop, kButtonWidth, kButtonHeight);
        m_group->addButton(b, i);
        connect(b, &QToolButton::clicked, this, [this, i](bool checked) { onRateClicked(i, checked); });
        m_buttons[i] = b;
    }

    m_pictureFolder = StyleHelper::pictureFolder(QStringLiteral("Picture/Sensor"));
    SensorLook::styleLabel(m_label);
    const QString sheet =
        QStringLiteral("QToolButton{border:none;%2border-image:url(%1ReportRate.png);}"
                       "QToolButton:checked{border-image:url(%1ReportRateClick.png);}")
            .arg(m_pictureFolder, StyleHelper::colorRule(QStringLiteral("ButtonColor")));
    for (QToolButton* b : m_buttons)
        b->setStyleSheet(sheet);
}

SensorRate::~SensorRate() = default;

void SensorRate::setIndex(int index)
{
    if (index >= 0 && index < kRateCount)
        m_buttons[index]->setChecked(true);
}

void SensorRate::setModelLayout(int layout)
{
    // 125 Hz shows in every layout: a layout without it is none, and changes nothing.
    if (!ImageFieldCodes::rateShown(layout, 0))
        return;
    for (int i = 0; i < kRateCount; ++i)
        m_buttons[i]->setVisible(ImageFieldCodes::rateShown(layout, i));
}

void SensorRate::setText(const QString& text)
{
    m_label->setText(text);
}

QToolButton* SensorRate::button(int index) const
{
    return index >= 0 && index < kRateCount ? m_buttons[index] : nullptr;
}

int SensorRate::checkedIndex() const
{
    return m_group->checkedId();
}

void SensorRate::onRateClicked(int index, bool checked)
{
    if (!checked || !g_UiReady)
        return;
    if (WriteReportRateToDevice(ImageFieldCodes::rateCode(index)))
        PostMsg::GetInstance()->PostHideModel(kRates[index].high);
}
