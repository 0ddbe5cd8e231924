#pragma once

#include "device/FlashDataMap.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>

struct DongleRGB;

// Stands in for the pages: receives the bus signals the device side emits, the
// device-to-page ones through blocking queued connections as the pages connect
// them, the others automatically. Records each signal with its arguments, the
// image it carried (as bytes) and whether it ran on the GUI thread.
//
// Never emit the blocking signals from the GUI thread while a recorder exists:
// that deadlocks, exactly as with the real pages.
class DeviceLinkPageRecorder : public QObject
{
    Q_OBJECT

public:
    struct Event
    {
        QString name;         // signal name without "Sig", e.g. "UpDataReportRate"
        QVariantList args;    // int, bool and QString arguments; DongleRGB* gives its mode byte
        QByteArray image;     // the FlashDataMap bytes for image signals
        bool onGuiThread = false;
    };

    explicit DeviceLinkPageRecorder(QObject* parent = nullptr);
    ~DeviceLinkPageRecorder() override;

    QList<Event> events() const { return m_events; }
    QStringList names() const;
    int count(const QString& name) const;
    // The last event of that name; an empty event when there is none.
    Event last(const QString& name) const;
    void clear() { m_events.clear(); }

    // Runs inside every recorded slot after the event is stored (GUI thread), e.g.
    // to block like a slow page or to act like one.
    std::function<void(const Event&)> onEvent;

    static FlashDataMap toImage(const QByteArray& bytes);

private slots:
    void UpDataConfigUI(int kind, int value, bool valid);
    void UpDataLightUIButton(FlashDataMap image);
    void UpDataLightLight(FlashDataMap image);
    void UpDataLightSensor(FlashDataMap image);
    void UpDataReportRate(int rate);
    void UpDataDPI(int stage);
    void UpDataDPILed(FlashDataMap image);
    void Battery(bool charging, int level, bool showValue);
    void RGBValue(DongleRGB* buffer);
    void LongRangeMode(bool on);
    void Form();
    void FormReset();
    void UpDataParam(int refresh);
    void MouseOffLineo(int kind);
    void ChangeMainDialog(int page);
    void CloseOffOnline();
    void Setver(int kind);
    void LabelTextB(QString receiverVersion, QString flag);
    void CheckUpdate();

private:
    void record(const QString& name, const QVariantList& args, const FlashDataMap* image = nullptr);

    QList<Event> m_events;
};
