#include "DeviceLinkPageRecorder.h"

#include "core/PostMsg.h"
#include "device/DongleRGB.h"

#include <QCoreApplication>
#include <QThread>

#include <cstring>

namespace {
// The signals the device thread and the report callback send to the pages, with
// the connection kind the pages use.
struct Wiring
{
    const char* signal;
    const char* slot;
    bool blocking;
};

const Wiring kWiring[] = {
    {SIGNAL(SigUpDataConfigUI(int,int,bool)), SLOT(UpDataConfigUI(int,int,bool)), true},
    {SIGNAL(SigUpDataLightUIButton(FlashDataMap)), SLOT(UpDataLightUIButton(FlashDataMap)), true},
    {SIGNAL(SigUpDataLightLight(FlashDataMap)), SLOT(UpDataLightLight(FlashDataMap)), true},
    {SIGNAL(SigUpDataLightSensor(FlashDataMap)), SLOT(UpDataLightSensor(FlashDataMap)), true},
    {SIGNAL(SigUpDataReportRate(int)), SLOT(UpDataReportRate(int)), true},
    {SIGNAL(SigUpDataDPI(int)), SLOT(UpDataDPI(int)), true},
    {SIGNAL(SigUpDataDPILed(FlashDataMap)), SLOT(UpDataDPILed(FlashDataMap)), true},
    {SIGNAL(SigBattery(bool,int,bool)), SLOT(Battery(bool,int,bool)), true},
    {SIGNAL(SigRGBValue(DongleRGB*)), SLOT(RGBValue(DongleRGB*)), true},
    {SIGNAL(SigLongRangeMode(bool)), SLOT(LongRangeMode(bool)), true},
    {SIGNAL(SigForm()), SLOT(Form()), true},
    {SIGNAL(SigFormReset()), SLOT(FormReset()), true},
    {SIGNAL(SigUpDataParam(int)), SLOT(UpDataParam(int)), false},
    {SIGNAL(SigMouseOffLineo(int)), SLOT(MouseOffLineo(int)), false},
    {SIGNAL(SigChangeMainDialog(int)), SLOT(ChangeMainDialog(int)), false},
    {SIGNAL(SigCloseOffOnline()), SLOT(CloseOffOnline()), false},
    {SIGNAL(SigSetver(int)), SLOT(Setver(int)), false},
    {SIGNAL(SigLabelTextB(QString,QString)), SLOT(LabelTextB(QString,QString)), false},
    {SIGNAL(SigCheckUpdate()), SLOT(CheckUpdate()), false},
};
}

DeviceLinkPageRecorder::DeviceLinkPageRecorder(QObject* parent)
    : QObject(parent)
{
    PostMsg* bus = PostMsg::GetInstance();
    for (const Wiring& w : kWiring)
        connect(bus, w.signal, this, w.slot, w.blocking ? Qt::BlockingQueuedConnection : Qt::AutoConnection);
}

DeviceLinkPageRecorder::~DeviceLinkPageRecorder() = default;

QStringList DeviceLinkPageRecorder::names() const
{
    QStringList list;
    for (const Event& e : m_events)
        list.append(e.name);
    return list;
}

int DeviceLinkPageRecorder::count(const QString& name) const
{
    int n = 0;
    for (const Event& e : m_events)
        n += e.name == name ? 1 : 0;
    return n;
}

DeviceLinkPageRecorder::Event DeviceLinkPageRecorder::last(const QString& name) const
{
    for (int i = m_events.size() - 1; i >= 0; --i) {
        if (m_events.at(i).name == name)
            return m_events.at(i);
    }
    return Event();
}

FlashDataMap DeviceLinkPageRecorder::toImage(const QByteArray& bytes)
{
    FlashDataMap image{};
    std::memcpy(&image, bytes.constData(), qMin<size_t>(sizeof image, size_t(bytes.size())));
    return image;
}

void DeviceLinkPageRecorder::record(const QString& name, const QVariantList& args, const FlashDataMap* image)
{
    Event e;
    e.name = name;
    e.args = args;
    if (image)
        e.image = QByteArray(reinterpret_cast<const char*>(image), sizeof *image);
    e.onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
    m_events.append(e);
    if (onEvent)
        onEvent(e);
}

void DeviceLinkPageRecorder::UpDataConfigUI(int kind, int value, bool valid)
{
    record("UpDataConfigUI", {kind, value, valid});
}
void DeviceLinkPageRecorder::UpDataLightUIButton(FlashDataMap image) { record("UpDataLightUIButton", {}, &image); }
void DeviceLinkPageRecorder::UpDataLightLight(FlashDataMap image) { record("UpDataLightLight", {}, &image); }
void DeviceLinkPageRecorder::UpDataLightSensor(FlashDataMap image) { record("UpDataLightSensor", {}, &image); }
void DeviceLinkPageRecorder::UpDataReportRate(int rate) { record("UpDataReportRate", {rate}); }
void DeviceLinkPageRecorder::UpDataDPI(int stage) { record("UpDataDPI", {stage}); }
void DeviceLinkPageRecorder::UpDataDPILed(FlashDataMap image) { record("UpDataDPILed", {}, &image); }
void DeviceLinkPageRecorder::Battery(bool charging, int level, bool showValue)
{
    record("Battery", {charging, level, showValue});
}
void DeviceLinkPageRecorder::RGBValue(DongleRGB* buffer) { record("RGBValue", {buffer ? int(buffer->mode) : -1}); }
void DeviceLinkPageRecorder::LongRangeMode(bool on) { record("LongRangeMode", {on}); }
void DeviceLinkPageRecorder::Form() { record("Form", {}); }
void DeviceLinkPageRecorder::FormReset() { record("FormReset", {}); }
void DeviceLinkPageRecorder::UpDataParam(int refresh) { record("UpDataParam", {refresh}); }
void DeviceLinkPageRecorder::MouseOffLineo(int kind) { record("MouseOffLineo", {kind}); }
void DeviceLinkPageRecorder::ChangeMainDialog(int page) { record("ChangeMainDialog", {page}); }
void DeviceLinkPageRecorder::CloseOffOnline() { record("CloseOffOnline", {}); }
void DeviceLinkPageRecorder::Setver(int kind) { record("Setver", {kind}); }
void DeviceLinkPageRecorder::LabelTextB(QString receiverVersion, QString flag)
{
    record("LabelTextB", {receiverVersion, flag});
}
void DeviceLinkPageRecorder::CheckUpdate() { record("CheckUpdate", {}); }
