#pragma once

#include "device/DeviceAllInfo.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

struct UsbDeviceInfo;

// Finding the supported devices and matching them against the model catalogue
// (Config.ini groups "Drive" + N, N = 1 .. "DeviceTotal"). This is the device
// half of the device list page: its device-change handler calls ScanDeviceList(),
// its device buttons call RefreshDevice() and RequeryDevice(). The device
// thread's own search lives in Worker and shares the helpers below.
//
// Everything here runs on the GUI thread (device-change calls are relayed there
// by DeviceChangeRelay); the lists are not locked.
class DeviceDiscovery
{
public:
    // What Config.ini group "Option" says about the search.
    struct SearchConfig
    {
        QString vid;
        int interfaceId = 0;
        int deviceId = 0;
        QStringList usbPids, wirelessPids, wireless2Pids, wireless4Pids, wireless8Pids;
        // "USB_PID", "Wireless_PID", "Wireless2_PID", "Wireless4_PID", "Wireless8_PID" in order.
        QVector<QString> searchPids() const;
    };
    static SearchConfig ReadSearchConfig();

    // The list page's scan: empties g_DeviceList and g_DeviceListB, stores the
    // product-id lists, g_SearchVid and g_SearchPidList, then FindDevices().
    static void ScanDeviceList();

    // The list page's search: every found device that IdentifyDevice() accepts is
    // appended to g_DeviceList and g_DeviceListB.
    static void FindDevices(QString vid, QVector<QString> pids, int interfaceId, int deviceId);

    // Identifies and classifies one found device; true = list it. A device whose
    // identifiers cannot be read, or that matches no group, is listed as a model
    // outside the catalogue (modelIndex = "DeviceTotal") while "DeviceTotal" >= 1.
    static bool IdentifyDevice(DeviceAllInfo& rec);

    // Re-reads the online state and receiver address of entry i of g_DeviceList and
    // stores the result in both lists. True when an address byte is non-zero;
    // false also for an index outside the list.
    static bool RefreshDevice(int i);

    // As RefreshDevice(), but the entry is identified again first (fresh identifiers
    // and catalogue index). False for an index outside the list. The widget half of
    // restyling the device button belongs to the list page.
    static bool RequeryDevice(int i);

    // ---- Shared with the device thread's search ----

    // Asks for the identifiers at most 10 times while cid and mid are both 0.
    // True when they arrived before the tenth call; *last holds the last answer.
    static bool QueryIdentifiers(const QByteArray& path, UsbDeviceInfo* last);
    // Catalogue index (N - 1) of the first group whose "MID" matches mid while
    // "Option"/"CID" matches cid; -1 when none does.
    static int CatalogueIndex(quint8 cid, quint8 mid);
    // "Option"/"DeviceTotal" (0 when absent or negative, at most 256).
    static int DeviceTotal();
    // Whether Config.ini describes any model at all: "DeviceTotal" a number
    // 1..256 and a group with a model id for each of its models. Without that
    // no device can be told apart from another.
    static bool CatalogueUsable();
    // Receiver (or cable mouse) firmware text from the USB attribute record.
    static QString UsbVersionText(const QByteArray& path);
    // Online flag and the three address bytes from the online-with-address query.
    static void ReadOnlineAndAddress(const QByteArray& path, quint8* buffer, DeviceAllInfo& rec);

    // Tests replace the identification query to script answers; null restores the
    // device library's.
    using DeviceInfoQuery = UsbDeviceInfo (*)(const char* path);
    static void SetDeviceInfoQueryForTests(DeviceInfoQuery query);

private:
    static bool RefreshEntry(int i, bool identify);
};
