#include "ui/sensor/StopCloseTime.h"

#include "app/Globals.h"
#include "core/PostMsg.h"
#include "device/DeviceWriters.h"
#include "ui/common/StyleHelper.h"
#include "ui/sensor/MyConmboBox.h"
#include "ui/sensor/SensorLook.h"

#include <QMetaObject>
#include <QSignalBlocker>

namespace {
constexpr int kCodes[StopCloseTime::kEntryCount] = {1, 3, 6, 30, 60, 90, 120, 150, 180, 210, 240};
const char* const kDefaultTexts[StopCloseTime::kEntryCount] = {
    "10s", "30s", "1min", "5min", "10min", "15min", "20min", "25min", "30min", "35min", "40min"};
}

int StopCloseTime::codeForEntry(int entry)
{
    return entry >= 0 && entry < kEntryCount ? kCodes[entry] : 0;
}

StopCloseTime::StopCloseTime(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("StopCloseTime"));
    resize(130, 30);

    m_box = new MyConmboBox(this);
    m_box->setObjectName(QStringLiteral("StopClose"));
    m_box->setGeometry(0, 0, 130, 30);
    m_box->setFocusPolicy(Qt::NoFocus);
    m_box->setMaxVisibleItems(15);
    for (const char* text : kDefaultTexts)
        m_box->addItem(QLatin1String(text));

    QMetaObject::connectSlotsByName(this);

    // The default list view: the sheet colours its rows.
    m_pictureFolder = StyleHelper::pictureFolder(QStringLiteral("Picture/Light"));
    m_box->setStyleSheet(SensorLook::comboBoxSheet(m_pictureFolder));
}

StopCloseTime::~StopCloseTime() = default;

void StopCloseTime::setIndex(int entry)
{
    const QSignalBlocker block(m_box);
    m_box->setCurrentIndex(entry);
}

void StopCloseTime::setItemText(int entry, const QString& text)
{
    if (entry >= 0 && entry < m_box->count())
        m_box->setItemText(entry, text);
}

void StopCloseTime::on_StopClose_activated(int entry)
{
    if (!g_UiReady)
        return;
    const int code = codeForEntry(entry);
    // The same time stands on the lighting and the settings page: the other
    // one follows once the mouse has taken it.
    if (code != 0 && !g_ButtonPageFilling && WriteSleepTimeToDevice(quint8(code)))
        PostMsg::GetInstance()->PostLightToFrom(code * 10);
}
