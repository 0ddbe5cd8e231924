#include "ui/sensor/DebounceTime.h"

#include "app/Globals.h"
#include "device/DeviceWriters.h"
#include "ui/common/StyleHelper.h"
#include "ui/sensor/MyConmboBox.h"
#include "ui/sensor/SensorLook.h"
#include "ui/settings/LessThree.h"

#include <QMetaObject>
#include <QSignalBlocker>

#include <memory>

namespace {
// The notice sits up and to the left of the frame, over the button page.
constexpr int kNoticeDx = -409;
constexpr int kNoticeDy = -202;
}

DebounceTime::DebounceTime(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("DebounceTime"));
    resize(130, 30);

    m_box = new MyConmboBox(this);
    m_box->setObjectName(QStringLiteral("Debunce"));
    m_box->setGeometry(0, 0, 130, 30);
    m_box->setFocusPolicy(Qt::NoFocus);
    for (int i = 0; i < kEntryCount; ++i)
        m_box->addItem(QString::number(i) + QStringLiteral("ms"));

    QMetaObject::connectSlotsByName(this);

    m_pictureFolder = StyleHelper::pictureFolder(QStringLiteral("Picture/Buttoninterface"));
    SensorLook::styleComboBox(m_box, m_pictureFolder, 5);
}

DebounceTime::~DebounceTime() = default;

void DebounceTime::setIndex(int i)
{
    // A device value is shown, not chosen: it is neither written back nor
    // answered with the notice.
    const QSignalBlocker block(m_box);
    m_box->setCurrentIndex(i);
}

void DebounceTime::setItemText(int i, const QString& unit)
{
    if (i >= 0 && i < m_box->count())
        m_box->setItemText(i, QString::number(i) + unit);
}

void DebounceTime::on_Debunce_currentIndexChanged(int index)
{
    if (!g_UiReady || index < 0 || index >= kEntryCount)
        return;
    WriteDebounceToDevice(quint8(index));
    if (index >= kNoticeBelow || g_ButtonPageFilling)
        return;
    auto notice = std::make_unique<LessThree>();
    StyleHelper::placeCentred(notice.get(), this, kNoticeDx, kNoticeDy);
    notice->exec();
}
