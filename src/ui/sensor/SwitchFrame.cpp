#include "ui/sensor/SwitchFrame.h"

#include "app/Globals.h"
#include "device/DeviceWriters.h"
#include "device/FlashDataMap.h"
#include "ui/common/StyleHelper.h"
#include "ui/sensor/SensorLook.h"

#include <QLabel>
#include <QToolButton>

#include <cstddef>

namespace {
const SwitchFrame::Row kRows[] = {
    {SwitchFrame::Ripple, "RippeControl", int(offsetof(FlashDataMap, rippleControl)),
     &WriteRippleControlToDevice},
    {SwitchFrame::AngleSnapping, "StraightLine", int(offsetof(FlashDataMap, angleSnapping)),
     &WriteStraightLineToDevice},
    {SwitchFrame::MotionSyncSwitch, "MotionSync", int(offsetof(FlashDataMap, motionSync)),
     &WriteMotionSyncToDevice},
};

constexpr int kSwitchWidth = 36;
constexpr int kSwitchHeight = 18;
// Room for the longest translated title, a single word of about 215 px.
constexpr int kFrameWidth = 270;
constexpr int kFrameHeight = 24;
}

const SwitchFrame::Row& SwitchFrame::row(Kind kind)
{
    for (const Row& r : kRows) {
        if (r.kind == kind)
            return r;
    }
    return kRows[0];
}

SwitchFrame::SwitchFrame(Kind kind, QWidget* parent)
    : QFrame(parent)
    , m_row(row(kind))
{
    setObjectName(QString::fromLatin1(m_row.className));
    resize(kFrameWidth, kFrameHeight);

    m_switch = new QToolButton(this);
    m_switch->setObjectName(QString::fromLatin1(m_row.className) + QStringLiteral("_2"));
    m_switch->setCheckable(true);
    m_switch->setAutoRaise(false);
    m_switch->setFocusPolicy(Qt::NoFocus);
    m_switch->setGeometry(0, (kFrameHeight - kSwitchHeight) / 2, kSwitchWidth, kSwitchHeight);

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("label"));
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label->setGeometry(kSwitchWidth + 10, 2, kFrameWidth - kSwitchWidth - 10, kFrameHeight - 2);

    connect(m_switch, &QToolButton::clicked, this, &SwitchFrame::onSwitchClicked);

    m_pictureFolder = StyleHelper::pictureFolder(QStringLiteral("Picture/Sensor"));
    m_switch->setStyleSheet(
        QStringLiteral("QToolButton{border:none;background:transparent;image:url(%1Close.png);}"
                       "QToolButton:checked{image:url(%1Open.png);}")
            .arg(m_pictureFolder));
    SensorLook::styleLabel(m_label);
}

SwitchFrame::~SwitchFrame() = default;

void SwitchFrame::setChecked(bool on)
{
    // setChecked emits toggled, not clicked: nothing reaches the writer.
    m_switch->setChecked(on);
}

bool SwitchFrame::isChecked() const
{
    return m_switch->isChecked();
}

void SwitchFrame::setText(const QString& text)
{
    m_label->setText(text);
}

void SwitchFrame::setToolTip(const QString& text)
{
    m_label->setToolTip(text);
}

void SwitchFrame::onSwitchClicked(bool checked)
{
    if (!g_UiReady)
        return;
    m_row.writer(checked ? 1 : 0);
}
