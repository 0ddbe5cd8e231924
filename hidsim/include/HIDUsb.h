#pragma once

// The device library: discovery, report traffic, configuration-image parsing and
// firmware transfer for the mice and receivers. Here it is served by simulated
// devices (see HidSimControl.h for the controls tests and tools use).
//
// Calling rules
// - Every function may be called from any thread and returns without waiting for
//   a callback. Callbacks (reports, device change, firmware progress) run on the
//   library's own threads, never inside the caller's call and never while the
//   library holds its lock, so a callback may call back into the library.
// - Paths are NUL-terminated Latin-1 texts. Every path and path array the library
//   returns stays valid for the life of the process. A path the library does not
//   know (including the placeholder "a" and null) is offline and answers nothing:
//   out-buffers are left untouched.
// - Transfers cost time: one 64-byte report per report interval of the connection
//   (cable and 1K receiver 1 ms, 2K 500 us, 4K 250 us, 8K 125 us); a direct query
//   costs one interval; a whole 6912-byte read costs 108. HIDSIM_TIME_SCALE (else
//   DESKLINK_TIME_SCALE, else 1) scales every library duration, 0 makes them
//   immediate; the order of requests is kept at every scale.
//
// Identifiers
// - Vendor id "3A7C"; product ids: mouse on its cable "0A01"/"0A02", receivers
//   "1A01" (1K), "2A01" (2K), "4A01" (4K), "8A01" (8K). Id texts compare without
//   regard to case.
// - Connection-type byte: 0 = 1K receiver, 4 = 2K, 1 = 4K, 5 = 8K, 2 = mouse on its cable.
// - A receiver path is online while its paired mouse is switched on and not on its
//   cable; a cable path is online while plugged. A device in boot-loader mode is
//   not listed by the searches and is offline; only UsbUpgradeC_FindBootDevices
//   counts it.
//
// Reports (onData)
// - header: 5 bytes, headerLength 5:
//     [0] 0xA5 frame mark, [1] report type, [2] sequence number (wraps),
//     [3] flash address high byte, [4] flash address low byte (0 for non-flash reports).
// - data: the data buffer always holds at least 64 bytes (zero beyond dataLength),
//   so the parsers below never read past it; dataLength is the real length.
// - Report types and data:
//     4  battery (answer to UsbServer_ReadBatteryLevel), 4 bytes:
//        [0] flags (bit 0 charging, bit 1 full), [1] level 0..100 %, [2..3] millivolts LE.
//     6  pairing status (answer to UsbServer_ReadDonglePairStatus), 1 byte:
//        0 idle, 1 pairing, 2 failed, 3 paired.
//     8  flash read, address in header bytes 3..4:
//        address 0x0000, 6912 bytes: UsbServer_ReadAllFlashData (the whole flash, below);
//        address 0x0000, 1 byte:    UsbServer_ReadReportRate (report-rate code);
//        address 0x0004, 1 byte:    UsbServer_ReadCurrentDPI (active DPI stage, 0-based);
//        address 0x004C, 8 bytes:   UsbServer_ReadDPILed (for BufferToDPILed);
//        address 0x00A0, 9 bytes:   UsbServer_ReadLedBar (for BufferToLedBar).
//     9  connected, 4 bytes: [0] connection type, [1..3] receiver address. Sent to the
//        open link when its device comes back while the link stays open (a switched-off
//        mouse behind the receiver is switched on, a pairing completes, the mouse has
//        restarted after UsbServer_SetClearSetting). Not sent by UsbServerC_Start.
//     10 status changed, 1 byte of flags (for GetDeviceStatusChanged): bit 0 active DPI
//        stage, bit 1 report rate, bit 2 full refresh wanted, bit 3 DPI light, bit 5
//        light bar, bit 6 battery. Sent when the mouse's DPI button (bit 0), rate
//        button (bit 1) or light button (bit 5) is pressed, when its battery level or
//        charging changes (bit 6) and after it switched profile (bit 2).
//     14 configuration (answer to UsbServer_ReadConfig and UsbServer_SetCurrentConfig),
//        1 byte: the current profile 0..3 (the mouse keeps 4 profiles).
//     18 version (answer to UsbServer_ReadVersion), 2 bytes: [0] major, [1] minor; the
//        same word as UsbFinderC_GetVersion.
//     21 receiver light (answer to UsbFinderC_Set4KDongleRGB on the linked receiver),
//        10 bytes: the DongleRGB buffer as the receiver now holds it.
//     23 long range off (answer to UsbFinderC_SetLongRangeMode(path, false) on the linked
//        receiver), 10 bytes: [0] 0 (off), [1..3] receiver address, rest 0.
//
// Flash of a mouse (what the 6912-byte read returns; one such image per profile)
//   0x000 report-rate code (image byte 0)     0x001 DPI stage count (image 1)
//   0x002 image byte 3 (reserved)             0x003 image byte 4 (reserved)
//   0x004 active DPI stage (image 2)          0x005..0x00E image bytes 5..14
//   0x00F layout mark 0x5A
//   0x010..0x03F DPI stage records (image 15..62)
//   0x040..0x041 image bytes 122..123 (reserved)
//   0x04C..0x053 DPI light: mode, ~mode, brightness, ~brightness, speed, ~speed, on, ~on
//                (~x = 0xFF - x)
//   0x060..0x08F button mappings (image 74..121)
//   0x0A0..0x0A8 light bar: mode, red, green, blue, speed, brightness, on, 0, sum of
//                0x0A0..0x0A7 modulo 256
//   0x100..0x43F key-event records (image 124..955), byte for byte
//   0x440..0x1AFF macro area: the non-empty macro records packed one after another,
//                ended by 0xFF. A record: button index, name-length byte, n = number of
//                name bytes kept (up to the last non-zero one), n name bytes, event-count
//                byte, e = number of events kept (up to the last non-zero one), e events.
//                An event: a flag byte (bits 0-2 kind, bit 3 direction, bits 4-5 delay
//                bytes - 1, bit 6 two code bytes) then the code and the delay, little-
//                endian, in as few bytes as the flags say; flag 0x80 = the 8 event bytes
//                follow as they are (a direction above 1 or a kind above 7).
//   Every other byte is 0. An image whose packed macros do not fit is not sent.
//
// Firmware images (UsbUpgradeC_FindBootDevices, UsbUpgrade_Start): the whole file as read:
// a 728-byte header, then the payload. Header: 0x00 "ORVXFW01", 0x08 u32 payload length,
// 0x0C u32 CRC-32 of the payload, 0x10 u32 version (major << 8 | minor), 0x14 type (210
// mouse, 211 receiver), 0x15 customer id, 0x16 model id, 0x57 model name (64 bytes,
// NUL-padded); all little-endian. A device fits an image when type, customer id, model id
// and model name ("ORX-M<model id>" for a mouse, "ORX-R1K"/"ORX-R2K"/"ORX-R4K"/"ORX-R8K"
// for a receiver) are its own.

#include "device/DongleRGB.h"
#include "device/FlashDataMap.h"

extern "C" {

// Report callback: header (5 bytes), header length, data, data length.
typedef void (*UsbDataCallback)(unsigned char* header, int headerLength, unsigned char* data,
                                unsigned int dataLength);
// Device-change callback.
typedef void (*UsbChangedCallback)();
// Firmware progress: message[0] = 7; message[1] = 1 progress with message[2] = percent
// 0..100, or 2 end with message[2] = 1 success, any other value failure.
typedef void (*UsbUpgradeCallback)(unsigned char* message);

// Identification bytes of UsbFinderC_GetDeviceInfo; all 0 = not ready / unknown.
struct UsbDeviceInfo
{
    unsigned char cid;
    unsigned char mid;
    unsigned char connectionType;
};

// ---- Discovery and direct queries -------------------------------------------------

// Paths of the listed devices with this vendor and product id text. *count holds the
// capacity on entry (at most that many paths are returned) and the number of paths
// on return (0 when none). The array and its texts stay valid; do not modify them.
char** UsbFinderC_FindHidDevicesByDefaultDeviceId(const char* vid, const char* pid, int* count);
// The same search on one interface of the device (interfaceId 1, collection 5 or 8);
// every virtual device has these interfaces, so the result equals the one above.
char** UsbFinderC_FindHidDevicesByDeviceId(const char* vid, const char* pid, int interfaceId,
                                           int collectionId, int* count);
// 12-byte record: [0..1] vendor id LE, [2..3] product id LE, [4] connection type,
// [5] interface 1, [8..9] firmware version word LE (byte 8 minor, byte 9 major) of the
// USB device itself (receiver, or mouse on its cable); other bytes 0.
bool UsbFinderC_GetUsbDeviceAttribute(const char* path, unsigned char* attribute);
// Customer id, model id and connection type. A receiver answers with the ids of the
// mouse it belongs to, also while that mouse is switched off.
UsbDeviceInfo UsbFinderC_GetDeviceInfo(const char* path);
bool UsbFinderC_GetDeviceOnLine(const char* path);
// 10-byte buffer: [0..1] vendor id LE, [2..3] product id LE, [4] connection type,
// [6] 1 online / 0 offline, [7..9] receiver address (a mouse on its cable gives the
// address of the receiver it is paired with, 0 0 0 when none). Returns the online state.
bool UsbFinderC_GetDeviceOnLineWithUsbAddress(const char* path, unsigned char* buffer);
// Mouse firmware version major * 256 + minor through this path; 0 when the mouse
// does not answer.
int UsbFinderC_GetVersion(const char* path);
// Receiver firmware version major * 256 + minor into *version; false (untouched) for
// anything but a listed receiver.
bool UsbFinderC_GetSlaveVersion(const char* path, int* version);
// Receiver light mode of a 4K receiver: Set takes byte 0 (1, 2 or 3); Get fills all
// 10 bytes ([0] mode, [1] receiver kind 4, [2..4] address, rest 0). Other paths: false,
// buffer untouched.
bool UsbFinderC_Set4KDongleRGB(const char* path, DongleRGB* rgb);
bool UsbFinderC_Get4KDongleRGBValue(const char* path, DongleRGB* rgb);
// Long-range mode of a receiver (any kind); Get writes 0 or 1, or leaves the byte
// alone when the path is no listed receiver.
bool UsbFinderC_SetLongRangeMode(const char* path, bool on);
bool UsbFinderC_GetLongRangeMode(const char* path, unsigned char* mode);
// Pairs the mouse on its cable at mousePath with the receiver of the 3-byte address.
bool UsbFinderC_SetDongleIDToMouse(const char* mousePath, const unsigned char* address);
// True when the path names a listed device that can be opened.
bool UsbFinderC_OpenDevice(const char* path);
// One raw request to an online device. request[0] = 0x01: reply [cid, mid, connection
// type]; request[0] = 0x08 with [1] address high, [2] address low, [3] length 1..64:
// reply = that many flash bytes of the current profile. Returns the reply length, or
// -1 (unknown or offline path, unknown request, reply larger than replyCapacity).
int UsbFinderC_ReadWriteDeviceData(const char* path, const unsigned char* request,
                                   int requestLength, unsigned char* reply, int replyCapacity);

// ---- Report link ------------------------------------------------------------------

// Opens the report link to the device at path (path2 is the same text) and makes
// onData its report callback; replaces the previous link, whose pending answers are
// dropped. Returns at once; true when the path is listed.
bool UsbServerC_Start(const char* path, const char* path2, UsbDataCallback onData);
// Closes the link: pending answers are dropped and no report is delivered after
// this returns (a report callback already running may finish). Returns at once.
void UsbServer_Exit();
void UsbServer_SetPCDriverStatus(bool on);
void UsbServer_SetBatteryOptimizeEnable(bool on);
// Restores the linked mouse's factory configuration (all profiles, profile 0); the
// mouse restarts and comes back with report 9.
void UsbServer_SetClearSetting();
// Requests on the linked device; each is answered by one report (above) while the
// device is online, and not at all otherwise.
void UsbServer_ReadAllFlashData();
void UsbServer_ReadConfig();
void UsbServer_ReadVersion();
void UsbServer_ReadBatteryLevel();
void UsbServer_ReadDPILed();
void UsbServer_ReadLedBar();
void UsbServer_ReadCurrentDPI();
void UsbServer_ReadReportRate();
// Switches the linked mouse to profile 0..3 (others are ignored).
void UsbServer_SetCurrentConfig(unsigned char profile);
// The linked receiver waits for a mouse of this customer id in pairing mode.
void UsbServer_EnterDonglePairOnlyCid(unsigned char cid);
void UsbServer_ReadDonglePairStatus();

// ---- Configuration image ----------------------------------------------------------

// Fills the whole image from a 6912-byte flash read (reads exactly 6912 bytes). False
// when the data is not a well-formed flash (the image is still filled as far as it
// could be read).
bool ProtocolDataParser(const unsigned char* data, FlashDataMap* image);
// Sends the whole image to the linked mouse (queued behind earlier requests; returns
// at once). False when nothing was sent: no online link, the macros do not fit, or an
// injected write failure.
bool ProtocolDataUpdate(const FlashDataMap* image);
// Converts an 8-byte DPI-light read into the 4 image bytes at out (image + 63);
// reads data[0..7], writes out[0..3] only.
void BufferToDPILed(const unsigned char* data, unsigned char* out);
// Converts a 9-byte light-bar read into the 7 image bytes at out (image + 67);
// reads data[0..6], writes out[0..6] only.
void BufferToLedBar(const unsigned char* data, unsigned char* out);
// Battery report data (reads data[0..3]) -> out[4]: [0] level, [1] 1 charging / 0 not,
// [2..3] millivolts LE.
void GetDeviceBatteryStatus(const unsigned char* data, unsigned char* out);
// Status-change report data (reads data[0]) -> out[7]: out[i] = 1 when flag bit i is
// set, else 0.
void GetDeviceStatusChanged(const unsigned char* data, unsigned char* out);

// ---- Device change ----------------------------------------------------------------

// Registers the one device-change callback (replacing any other). It is called once
// soon after registration, then once per burst of plug/unplug changes: the first
// change opens a window of intervalMs (scaled), and every change inside it is answered
// by the single call at its end. May be called from inside the callback.
void StartUsbChanged(UsbChangedCallback callback, int intervalMs);
// Unregisters it; no call starts after this returns. Returns at once.
void StopUsbChanged();

// ---- Firmware transfer ------------------------------------------------------------

// Number of devices in boot-loader mode that fit the image, into *count and returned;
// a mouse switched off is not reached, on its cable or not.
int UsbUpgradeC_FindBootDevices(const unsigned char* image, int* count);
// Starts the transfer of the image to the fitting device (one in boot-loader mode
// that is reached first, else a mouse on its cable or a listed receiver) and returns
// at once; progress and the end come through the callback. The device enters boot-loader mode for the
// transfer and leaves it with the new version on success; on failure it stays there.
// A device that goes during its own transfer (receiver or cable pulled out, mouse
// switched off; also when another process does it) fails the transfer at once: the
// callback gets a failure end and no further progress, and the device waits in its
// boot loader once it is back.
// Returns false when no transfer starts: no fitting device (the callback then gets
// a failure end), a malformed image, or a transfer already running (no callback).
bool UsbUpgrade_Start(const unsigned char* image, UsbUpgradeCallback progress, int timeoutMs);
// The 8 log lines of the last transfer (valid for the life of the process).
char** UsbUpgradeC_GetLogs();

}  // extern "C"
