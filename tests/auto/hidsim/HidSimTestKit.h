#pragma once

// Shared pieces of the device-library tests: a recording report callback, a
// simulator folder that never reaches the real home, firmware image files.

#include "HIDUsb.h"
#include "HidSimControl.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QVector>
#include <QtTest>

#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <vector>
#include <thread>

namespace kit {

using hidsim::HidSimControl;

// Tests started by hand (without ctest's HIDSIM_DIR) get a temporary folder.
inline void useTemporaryFolderUnlessSet()
{
    static QTemporaryDir dir;
    if (qEnvironmentVariableIsEmpty("HIDSIM_DIR"))
        qputenv("HIDSIM_DIR", dir.path().toLocal8Bit());
}

// Polls every millisecond (the library answers in microseconds at small time scales).
inline bool waitUntil(const std::function<bool()>& done, int ms = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return done();
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

struct Report
{
    QByteArray header;
    QByteArray data;
    std::thread::id thread;
    int type() const { return header.size() > 1 ? uchar(header[1]) : 0; }
    int address() const { return header.size() > 4 ? uchar(header[3]) << 8 | uchar(header[4]) : 0; }
};

// Collects every report the library delivers to onData. The library's threads
// store plain copies; Qt containers are only built on the reading thread.
class Reports
{
public:
    static void onData(unsigned char* header, int headerLength, unsigned char* data, unsigned int dataLength)
    {
        Raw r{std::string(reinterpret_cast<const char*>(header), size_t(headerLength)),
              std::string(reinterpret_cast<const char*>(data), dataLength), std::this_thread::get_id()};
        std::lock_guard<std::mutex> lock(s_mutex);
        s_reports.push_back(std::move(r));
    }
    static void clear()
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        s_reports.clear();
    }
    static QVector<Report> all()
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        QVector<Report> out;
        for (const Raw& r : s_reports)
            out.append(Report{QByteArray(r.header.data(), int(r.header.size())),
                              QByteArray(r.data.data(), int(r.data.size())), r.thread});
        return out;
    }
    static int count(int type)
    {
        int n = 0;
        for (const Report& r : all())
            n += r.type() == type ? 1 : 0;
        return n;
    }
    // Waits for the first report of the type (and address and length, when given)
    // that arrived since the last clear().
    static bool waitFor(int type, Report* out = nullptr, int address = -1, int length = -1, int ms = 5000)
    {
        return waitUntil([&] {
            for (const Report& r : all())
                if (r.type() == type && (address < 0 || r.address() == address)
                    && (length < 0 || r.data.size() == length)) {
                    if (out)
                        *out = r;
                    return true;
                }
            return false;
        }, ms);
    }

private:
    struct Raw
    {
        std::string header;
        std::string data;
        std::thread::id thread;
    };
    static inline std::mutex s_mutex;
    static inline std::vector<Raw> s_reports;
};

inline QByteArray openLink(const QString& id)
{
    const QByteArray path = HidSimControl::path(id);
    UsbServerC_Start(path.constData(), path.constData(), &Reports::onData);
    return path;
}

// The whole configuration image of the linked mouse, read over the link.
inline bool readImage(FlashDataMap* image)
{
    Reports::clear();
    UsbServer_ReadAllFlashData();
    Report r;
    if (!Reports::waitFor(8, &r, 0, 6912))
        return false;
    ProtocolDataParser(reinterpret_cast<const unsigned char*>(r.data.constData()), image);
    return true;
}

inline QByteArray bytesOf(const FlashDataMap& image)
{
    return QByteArray(reinterpret_cast<const char*>(&image), sizeof(image));
}

// A firmware image file as the update hands it to the library.
inline QByteArray firmwareImage(int type, int cid, int mid, const QByteArray& modelName, int major, int minor,
                                int payloadSize = 4096, bool corrupt = false)
{
    QByteArray payload(payloadSize, '\0');
    for (int i = 0; i < payloadSize; ++i)
        payload[i] = char((i * 31 + 7) & 0xFF);
    uint32_t crc = 0xFFFFFFFFu;
    for (char c : payload) {
        crc ^= uchar(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    crc = ~crc;
    if (corrupt)
        crc ^= 1;
    QByteArray header(728, '\0');
    std::memcpy(header.data(), "ORVXFW01", 8);
    auto put32 = [&header](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            header[at + i] = char(v >> (8 * i));
    };
    put32(0x08, uint32_t(payloadSize));
    put32(0x0C, crc);
    put32(0x10, uint32_t(major << 8 | minor));
    header[0x14] = char(type);
    header[0x15] = char(cid);
    header[0x16] = char(mid);
    std::memcpy(header.data() + 0x57, modelName.constData(), size_t(modelName.size()));
    return header + payload;
}

}  // namespace kit
