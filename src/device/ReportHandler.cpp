#include "device/ReportHandler.h"

#include "app/Globals.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "device/AnnotatedMutexLocker.h"
#include "device/CurrentDevice.h"
#include "device/DeviceCache.h"
#include "device/UpdateRecords.h"
#include "device/Worker.h"
#include "device/WorkingImage.h"

#include <HIDUsb.h>


#include <algorithm>
#include <cstddef>
#include <cstring>
#include <deque>
#include <vector>

std::atomic<bool> g_ReceiverSettingsApplied{false};
std::atomic<bool> g_ConnectCleanupPending{false};

namespace {
enum ReportType : int {
    kBattery = 4,
    kFlashRead = 8,
    kConnected = 9,
    kStatusChanged = 10,
    kConfiguration = 14,
    kVersion = 18,
    kReceiverLight = 21,
    kLongRangeOff = 23,
};

constexpr unsigned int kFullReadLength = 6912;
constexpr unsigned int kBatteryLength = 4;  // what GetDeviceBatteryStatus reads
constexpr quint8 kNoLongRangeAnswer = 0x73;  // 's', left alone when nobody answers

uint8_t* imageBytes(FlashDataMap& image)
{
    return reinterpret_cast<uint8_t*>(&image);
}

QString driveGroup(int modelIndex)
{
    return QStringLiteral("Drive%1").arg(modelIndex + 1);
}

// Item i of a Config.ini list as a decimal integer; false when it is missing or
// not a number (a short "Adveanced" list means "no setting").
bool listItem(const QStringList& list, int i, int* value)
{
    if (i < 0 || i >= list.size())
        return false;
    bool ok = false;
    *value = list.at(i).trimmed().toInt(&ok);
    return ok;
}

// The reads whose answers patch the working image, in the order they were asked
// for (the link answers in that order), each with what the image held then in
// the part its answer patches. When that part has changed by the time the
// answer comes, a newer change (one the user sent, say) went to the mouse after
// the read: the answer tells of the older state and would put it back, on the
// pages and, with the next send, in the mouse.
enum class ImagePart { Whole, ReportRate, DpiStage, DpiLed, LedBar };

struct AskedRead
{
    ImagePart part;
    std::vector<uint8_t> held;
    bool changedAtMouse;  // asked because the mouse reported a change of its own
};

std::deque<AskedRead> s_askedReads;  // guarded by g_FlashDataMutex

// A send of the image went out while a change made at the mouse was still being
// read: it carried the older value and put it back in the mouse. Once every such
// read is answered, the image, now holding the mouse's values, goes once more.
bool s_sentBeforeAnswers = false;  // guarded by g_FlashDataMutex

// The profile the mouse reported last (configuration report) since the link
// was started, -1 before that. A full read is of that profile: a switch served
// before the read was reported before it, one served after it is reported after
// it. Without one, the image takes the first profile reported after its read.
int s_reportedProfile = -1;  // guarded by g_FlashDataMutex

// The caller holds g_FlashDataMutex.
std::vector<uint8_t> imagePart(ImagePart part)
{
    const uint8_t* image = imageBytes(g_FlashData);
    auto bytes = [image](std::size_t offset, std::size_t size) {
        return std::vector<uint8_t>(image + offset, image + offset + size);
    };
    switch (part) {
    case ImagePart::Whole: return bytes(0, sizeof(FlashDataMap));
    case ImagePart::ReportRate: return bytes(offsetof(FlashDataMap, reportRate), 1);
    case ImagePart::DpiStage: return bytes(offsetof(FlashDataMap, activeDpiStage), 1);
    case ImagePart::DpiLed: return bytes(offsetof(FlashDataMap, dpiLed), sizeof(DpiLedSettings));
    case ImagePart::LedBar: return bytes(offsetof(FlashDataMap, ledBar), sizeof(LedBarSettings));
    }
    return {};
}

// Asks for a read and notes it. The caller holds g_FlashDataMutex, so that no
// send of the image can come between the note and the request.
void askForLocked(ImagePart part, void (*read)(), bool changedAtMouse = false)
{
    s_askedReads.push_back({part, imagePart(part), changedAtMouse});
    read();
}

void askFor(ImagePart part, void (*read)(), bool changedAtMouse = false)
{
    AnnotatedMutexLocker lock(g_FlashDataMutex);
    askForLocked(part, read, changedAtMouse);
}

bool readingChangeAtMouseLocked()
{
    return std::any_of(s_askedReads.begin(), s_askedReads.end(),
                       [](const AskedRead& r) { return r.changedAtMouse; });
}

// The second send of an image that went out before the mouse's own change was
// read (see s_sentBeforeAnswers), once nothing of that change is outstanding.
// Not when the image is no longer the one of the mouse's profile. The caller
// holds g_FlashDataMutex.
void resendOnceSettledLocked()
{
    if (!s_sentBeforeAnswers || readingChangeAtMouseLocked())
        return;
    s_sentBeforeAnswers = false;
    if (WorkingImage::isCurrentLocked())
        ProtocolDataUpdate(&g_FlashData);
}

// Takes the oldest noted read of the part (older reads of other parts went
// unanswered: the device went away or the link was restarted). False when the
// part has changed since it was asked for. An answer to a read not noted here
// is taken as it comes. The caller holds g_FlashDataMutex.
bool answerIsCurrentLocked(ImagePart part)
{
    const auto asked = std::find_if(s_askedReads.begin(), s_askedReads.end(),
                                    [part](const AskedRead& r) { return r.part == part; });
    if (asked == s_askedReads.end())
        return true;
    const bool current = asked->held == imagePart(part);
    s_askedReads.erase(s_askedReads.begin(), asked + 1);
    return current;
}

// Patches one byte with a read answer. It is not sent back: the mouse holds it
// already, and a whole image sent now could carry values older than the mouse's
// (a second press made meanwhile) or reach another profile (switched at the
// mouse during the transfer). False when the answer is older than a change sent
// since (nothing changes then).
bool patchByte(ImagePart part, int offset, uint8_t value)
{
    AnnotatedMutexLocker lock(g_FlashDataMutex);
    const bool current = answerIsCurrentLocked(part);
    if (current)
        imageBytes(g_FlashData)[offset] = value;
    resendOnceSettledLocked();
    return current;
}

// Converts a light answer into its block of the working image (not sent back:
// the mouse reported it) and gives a copy for the pages. False when the answer
// is older than a change sent since.
bool applyLightAnswer(ImagePart part, void (*convert)(const unsigned char*, unsigned char*),
                      std::size_t offset, const unsigned char* data, FlashDataMap* copy)
{
    AnnotatedMutexLocker lock(g_FlashDataMutex);
    const bool current = answerIsCurrentLocked(part);
    if (current) {
        convert(data, imageBytes(g_FlashData) + offset);
        *copy = g_FlashData;
    }
    resendOnceSettledLocked();
    return current;
}

void handleBattery(const unsigned char* data, unsigned int length)
{
    if (length < kBatteryLength)
        return;
    GetDeviceBatteryStatus(data, g_BatteryBuffer);
    PostMsg::GetInstance()->PostBattery(g_BatteryBuffer[1] > 0, g_BatteryBuffer[0], g_ShowBatteryValue == 1);
}

void handleConnected()
{
    UsbServer_SetBatteryOptimizeEnable(true);
    const DeviceAllInfo current = CurrentDevice::copy();
    const QByteArray path = current.path.toLatin1();
    const QStringList advanced =
        ConfigSettings::instance()->valueList(driveGroup(current.modelIndex), QStringLiteral("Adveanced"));
    PostMsg* bus = PostMsg::GetInstance();

    int lightMode = 0;
    if (listItem(advanced, 1, &lightMode) && lightMode >= 1 && !current.direct && current.connectionType == 1) {
        g_DongleRGB->mode = uint8_t(lightMode);
        UsbFinderC_Set4KDongleRGB(path.constData(), g_DongleRGB);
        if (g_DongleRGB->mode != 0)
            bus->PostRGBValue(g_DongleRGB);
    }
    int longRange = -1;
    if (listItem(advanced, 0, &longRange) && (longRange == 0 || longRange == 1)) {
        UsbFinderC_SetLongRangeMode(path.constData(), longRange == 1);
        bus->PostLongRangeMode(longRange == 1);
    }
    // Set before asking, so the answer cannot overtake them.
    g_ConnectCleanupPending = true;
    g_ReceiverSettingsApplied = true;
    RequestFullRead();
}

// Buttons the catalogue lets hold a stored function: "KeyParam" + k lists whose
// first item is "0x05", as indexes k - 1.
QList<int> macroKeyIndexes(int modelIndex)
{
    QList<int> indexes;
    ConfigSettings* config = ConfigSettings::instance();
    for (int k = 1; k <= 6; ++k) {
        const QStringList params = config->valueList(driveGroup(modelIndex), QStringLiteral("KeyParam%1").arg(k));
        if (!params.isEmpty() && params.first().trimmed() == QLatin1String("0x05"))
            indexes.append(k - 1);
    }
    return indexes;
}

void handleFullRead(const unsigned char* data)
{
    const DeviceAllInfo current = CurrentDevice::copy();
    {
        AnnotatedMutexLocker lock(g_FlashDataMutex);
        // Read before a change that went to the mouse since: ask again, or the
        // change would be undone here and, by the send below, in the mouse.
        if (!answerIsCurrentLocked(ImagePart::Whole)) {
            askForLocked(ImagePart::Whole, UsbServer_ReadAllFlashData);
            return;
        }
        // Parse into a copy: a malformed flash must neither reach the working
        // image nor be written back to the mouse.
        FlashDataMap parsed = g_FlashData;
        if (!ProtocolDataParser(data, &parsed))
            return;
        g_FlashData = parsed;
        WorkingImage::setCurrentLocked(true);
        WorkingImage::setProfileLocked(s_reportedProfile);
        s_sentBeforeAnswers = false;  // the mouse holds what was just read
        g_FlashDataFile = DeviceCacheFileName(current.cid, current.mid);
    }

    askFor(ImagePart::DpiLed, UsbServer_ReadDPILed);
    UsbServer_ReadBatteryLevel();
    UsbServer_ReadVersion();
    UsbServer_ReadConfig();

    PostMsg* bus = PostMsg::GetInstance();
    const QByteArray path = current.path.toLatin1();
    if (!g_ReceiverSettingsApplied) {
        if (!current.direct && current.connectionType == 1) {
            UsbFinderC_Get4KDongleRGBValue(path.constData(), g_DongleRGB);
            if (g_DongleRGB->mode != 0)
                bus->PostRGBValue(g_DongleRGB);
        }
        quint8 longRange = kNoLongRangeAnswer;
        UsbFinderC_GetLongRangeMode(path.constData(), &longRange);
        // Off is reported too: the page may still show another receiver's mode.
        if (longRange != kNoLongRangeAnswer)
            bus->PostLongRangeMode(longRange != 0);
    }
    g_ReceiverSettingsApplied = false;

    const bool cleanup = g_ConnectCleanupPending.exchange(false);
    const QList<int> keep = cleanup ? macroKeyIndexes(current.modelIndex) : QList<int>();

    FlashDataMap copy;
    {
        AnnotatedMutexLocker lock(g_FlashDataMutex);
        const FlashDataMap read = g_FlashData;
        if (cleanup) {
            // Stale records go; a listed button and a button whose function is
            // in its records (key events or a macro) keep them, so nothing the
            // user bound vanishes when the mouse reconnects.
            for (int i = 0; i < FlashDataMap::kButtonCount; ++i) {
                if (keep.contains(i) || g_FlashData.buttons[i].usesButtonRecords())
                    continue;
                std::memset(&g_FlashData.keyEvents[i], 0, sizeof(KeyEventRecord));
                std::memset(&g_FlashData.macros[i], 0, sizeof(MacroRecord));
            }
        }
        // Only what the clean-up removed goes back: the mouse holds the rest
        // already, and the image sent back whole could carry a value older than
        // a press made since, or reach another profile switched to meanwhile.
        if (std::memcmp(&g_FlashData, &read, sizeof read) != 0)
            ProtocolDataUpdate(&g_FlashData);
        copy = g_FlashData;
    }

    g_SensorPageApplied = false;
    g_ButtonPageApplied = false;

    bus->PostUpDataLightUIButton(copy);
    bus->PostUpDataLightLight(copy);
    bus->PostUpDataLightSensor(copy);
    bus->PostForm();

    g_FullReadDone = true;
    // The run request is left alone: only a pass ends it. This answer may come
    // from a read asked before the device was opened again, and clearing the
    // request would cancel the pass just started for it (the device then never
    // reads its configuration).
}

void handleFlashRead(int address, const unsigned char* data, unsigned int length)
{
    PostMsg* bus = PostMsg::GetInstance();
    if (address == 0 && length == kFullReadLength) {
        handleFullRead(data);
    } else if (address == 0 && length == 1) {
        if (patchByte(ImagePart::ReportRate, offsetof(FlashDataMap, reportRate), data[0]))
            bus->PostUpDataReportRate(data[0]);
    } else if (address == 4 && length == 1) {
        if (patchByte(ImagePart::DpiStage, offsetof(FlashDataMap, activeDpiStage), data[0]))
            bus->PostUpDataDPI(data[0]);
    } else if (address == 0x4C && length == 8) {
        FlashDataMap copy;
        if (applyLightAnswer(ImagePart::DpiLed, BufferToDPILed, offsetof(FlashDataMap, dpiLed), data, &copy))
            bus->PostUpDataDPILed(copy);
    } else if (address == 0xA0 && length == 9) {
        FlashDataMap copy;
        if (applyLightAnswer(ImagePart::LedBar, BufferToLedBar, offsetof(FlashDataMap, ledBar), data, &copy))
            bus->PostUpDataLightLight(copy);
    }
}

// The mouse's current profile. Another one than the working image was read
// from (switched at the mouse, or asked for by the button page): the image no
// longer says what the mouse holds, and a write built on it would put the
// other profile's settings into this one. It is sent no more until the device
// thread's next pass has read this profile; that pass is asked for here even
// within the window in which the mouse's own refresh requests are dropped.
void handleProfile(int profile)
{
    AnnotatedMutexLocker lock(g_FlashDataMutex);
    s_reportedProfile = profile;
    if (!WorkingImage::isCurrentLocked())
        return;
    if (WorkingImage::profileLocked() < 0)
        WorkingImage::setProfileLocked(profile);
    if (profile == WorkingImage::profileLocked())
        return;
    WorkingImage::setCurrentLocked(false);
    s_sentBeforeAnswers = false;
    g_RefreshPending = true;
    g_StatusRefreshRequested = true;
}

void handleVersion()
{
    const QByteArray path = CurrentDevice::copy().path.toLatin1();
    const int word = UsbFinderC_GetVersion(path.constData());
    // 0: the mouse did not answer; keep the version known so far.
    if (word == 0)
        return;
    const QString text = DeviceAllInfo::versionText(word >> 8, word & 0xFF);
    int modelIndex = 0;
    {
        AnnotatedMutexLocker lock(g_CurrentDeviceMutex);
        g_CurrentDevice.firmwareVersion = text;
        modelIndex = g_CurrentDevice.modelIndex;
    }
    PostMsg::GetInstance()->PostSetver(0);
    // Queued behind the update's own writes of the value, never beside them.
    UpdateRecords::writeMouseVersion(driveGroup(modelIndex), text);
}
}

void OnHidReport(unsigned char* header, int headerLength, unsigned char* data, unsigned int dataLength)
{
    // Header bytes the header does not reach count as 0.
    auto headerByte = [&](int i) -> int { return header && i < headerLength ? header[i] : 0; };
    const int type = headerByte(1);
    const int address = (headerByte(3) << 8) | headerByte(4);
    if (!data)
        dataLength = 0;
    PostMsg* bus = PostMsg::GetInstance();

    switch (type) {
    case kBattery:
        handleBattery(data, dataLength);
        break;
    case kFlashRead:
        handleFlashRead(address, data, dataLength);
        break;
    case kConnected:
        handleConnected();
        break;
    case kStatusChanged:
        if (dataLength < 1)
            break;
        GetDeviceStatusChanged(data, g_StatusChangedFlags);
        RereadChangedStatus();
        break;
    case kConfiguration:
        if (dataLength == 1) {
            handleProfile(data[0]);
            bus->PostUpDataConfigUI(4, data[0], true);
        } else {
            bus->PostUpDataConfigUI(0, 0, false);
        }
        break;
    case kVersion:
        handleVersion();
        break;
    case kReceiverLight:
        bus->PostRGBValue(g_DongleRGB);
        break;
    case kLongRangeOff:
        if (dataLength == 10)
            bus->PostLongRangeMode(false);
        break;
    default:
        break;
    }
}

void RereadChangedStatus()
{
    const quint8* flags = g_StatusChangedFlags;
    if (flags[0])
        askFor(ImagePart::DpiStage, UsbServer_ReadCurrentDPI, true);
    if (flags[1])
        askFor(ImagePart::ReportRate, UsbServer_ReadReportRate, true);
    if (flags[6])
        UsbServer_ReadBatteryLevel();
    if (flags[5])
        askFor(ImagePart::LedBar, UsbServer_ReadLedBar, true);
    if (flags[3])
        askFor(ImagePart::DpiLed, UsbServer_ReadDPILed, true);
    // Within 3000 ms of the last refresh a further request is dropped.
    if (flags[2] && TakeStatusRefreshSlot()) {
        g_RefreshPending = true;
        g_StatusRefreshRequested = true;
    }
}

void RequestFullRead()
{
    askFor(ImagePart::Whole, UsbServer_ReadAllFlashData);
}

void ForgetRequestedReads()
{
    AnnotatedMutexLocker lock(g_FlashDataMutex);
    s_askedReads.clear();
    s_sentBeforeAnswers = false;
    s_reportedProfile = -1;
}

void NoteImageSentLocked()
{
    if (readingChangeAtMouseLocked())
        s_sentBeforeAnswers = true;
}
