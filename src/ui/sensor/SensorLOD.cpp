#include "ui/sensor/SensorLOD.h"

#include "app/Globals.h"
#include "device/DeviceWriters.h"
#include "ui/common/StyleHelper.h"
#include "ui/sensor/MyConmboBox.h"
#include "ui/sensor/SensorLook.h"

#include <QLabel>
#include <QMetaObject>
#include <QScopedValueRollback>

namespace {
const QString kLowEntry = QStringLiteral("0.7mm");
}

SensorLOD::SensorLOD(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("SensorLOD"));
    // The title may be wider than the chooser (long translations).
    resize(230, 56);

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("label"));
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_label->setGeometry(0, 0, 230, 21);

    m_lod = new MyConmboBox(this);
    m_lod->setObjectName(QStringLiteral("LOD"));
    m_lod->setGeometry(0, 25, 130, 30);
    m_lod->setMaximumSize(130, 30);
    m_lod->setFocusPolicy(Qt::NoFocus);
    m_lod->addItem(QStringLiteral("1mm"));
    m_lod->addItem(QStringLiteral("2mm"));
    m_lod->setEnabled(false);

    QMetaObject::connectSlotsByName(this);

    m_pictureFolder = StyleHelper::pictureFolder(QStringLiteral("Picture/Sensor"));
    SensorLook::styleLabel(m_label);
    SensorLook::styleComboBox(m_lod, m_pictureFolder);
}

SensorLOD::~SensorLOD() = default;

void SensorLOD::AddLowLodItem()
{
    const QScopedValueRollback<bool> showing(m_showing, true);
    if (m_lod->count() == 2)
        m_lod->insertItem(0, kLowEntry);
}

void SensorLOD::RemoveLowLodItem()
{
    const QScopedValueRollback<bool> showing(m_showing, true);
    if (m_lod->count() == 3)
        m_lod->removeItem(0);
}

void SensorLOD::setIndex(int v)
{
    const QScopedValueRollback<bool> showing(m_showing, true);
    if (m_lod->count() == 3) {
        static const int entryOfValue[3] = {1, 2, 0};
        if (v >= 0 && v <= 2)
            m_lod->setCurrentIndex(entryOfValue[v]);
        return;
    }
    // A code the two-entry chooser lacks selects nothing (index -1), which the
    // slot never writes.
    m_lod->setCurrentIndex(v);
}

void SensorLOD::setEnabled(bool on)
{
    m_lod->setEnabled(on);
}

void SensorLOD::setText(const QString& text)
{
    m_label->setText(text);
}

void SensorLOD::setToolTip(const QString& text)
{
    m_label->setToolTip(text);
}

int SensorLOD::codeForIndex(int index) const
{
    if (index < 0 || index >= m_lod->count())
        return 0;
    if (m_lod->count() == 3) {
        static const int codeOfEntry[3] = {3, 1, 2};
        return codeOfEntry[index];
    }
    return index + 1;
}

void SensorLOD::on_LOD_currentIndexChanged(int index)
{
    if (m_showing || !g_UiReady || g_SensorPageFilling)
        return;
    const int code = codeForIndex(index);
    if (code != 0)
        WriteLodToDevice(quint8(code));
}
