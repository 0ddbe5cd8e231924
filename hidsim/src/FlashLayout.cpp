#include "FlashLayout.h"

#include "ModelCatalogue.h"

#include <cstring>
#include <vector>

namespace {

constexpr int kLayoutMarkAddress = 0x00F;
constexpr unsigned char kLayoutMark = 0x5A;
constexpr int kStagesAddress = 0x010;
constexpr int kReserved122Address = 0x040;
constexpr int kButtonsAddress = 0x060;
constexpr int kKeyEventsAddress = 0x100;
constexpr int kMacroAreaAddress = 0x440;
constexpr unsigned char kMacroAreaEnd = 0xFF;
constexpr unsigned char kRawEvent = 0x80;

// Single image bytes of the configuration block and where the flash keeps them.
struct ByteSlot
{
    int flash;
    int image;
};
constexpr ByteSlot kSingleBytes[] = {
    {0x000, 0}, {0x001, 1}, {0x002, 3}, {0x003, 4}, {0x004, 2},  {0x005, 5},  {0x006, 6}, {0x007, 7},
    {0x008, 8}, {0x009, 9}, {0x00A, 10}, {0x00B, 11}, {0x00C, 12}, {0x00D, 13}, {0x00E, 14},
};

const unsigned char* bytesOf(const FlashDataMap& image)
{
    return reinterpret_cast<const unsigned char*>(&image);
}
unsigned char* bytesOf(FlashDataMap& image)
{
    return reinterpret_cast<unsigned char*>(&image);
}

// Check byte of the light bar: the sum of the bytes before it, modulo 256.
unsigned char ledBarSum(const unsigned char* bar)
{
    unsigned sum = 0;
    for (int i = 0; i < FlashLayout::kLedBarLength - 1; ++i)
        sum += bar[i];
    return (unsigned char)(sum & 0xFF);
}

bool allZero(const unsigned char* p, int n)
{
    for (int i = 0; i < n; ++i)
        if (p[i])
            return false;
    return true;
}

int keptLength(const unsigned char* p, int n, int unit)
{
    int kept = n / unit;
    while (kept > 0 && allZero(p + (kept - 1) * unit, unit))
        --kept;
    return kept;
}

void packEvent(const MacroEvent& e, QByteArray& out)
{
    if (e.direction > 1 || e.kind > 7) {
        out.append(char(kRawEvent));
        out.append(reinterpret_cast<const char*>(&e), sizeof(MacroEvent));
        return;
    }
    const uint16_t code = e.code();
    const uint32_t delay = e.delay();
    const int codeBytes = code > 0xFF ? 2 : 1;
    const int delayBytes = delay <= 0xFF ? 1 : delay <= 0xFFFF ? 2 : delay <= 0xFFFFFF ? 3 : 4;
    const unsigned char flags = (unsigned char)(e.kind | (e.direction << 3) | ((delayBytes - 1) << 4)
                                                | (codeBytes == 2 ? 0x40 : 0));
    out.append(char(flags));
    for (int i = 0; i < codeBytes; ++i)
        out.append(char(code >> (8 * i)));
    for (int i = 0; i < delayBytes; ++i)
        out.append(char(delay >> (8 * i)));
}

void packMacro(int button, const MacroRecord& m, QByteArray& out)
{
    const int nameBytes = keptLength(m.name, MacroRecord::kMaxNameBytes, 1);
    const int events = keptLength(reinterpret_cast<const unsigned char*>(m.events),
                                  int(sizeof(m.events)), int(sizeof(MacroEvent)));
    out.append(char(button));
    out.append(char(m.nameLength));
    out.append(char(nameBytes));
    out.append(reinterpret_cast<const char*>(m.name), nameBytes);
    out.append(char(m.eventCount));
    out.append(char(events));
    for (int i = 0; i < events; ++i)
        packEvent(m.events[i], out);
}

// Reads the packed macro area; false on any inconsistency (what was read stays).
bool unpackMacros(const unsigned char* p, int length, FlashDataMap* image)
{
    int pos = 0;
    auto have = [&](int n) { return pos + n <= length; };
    while (have(1)) {
        const int button = p[pos++];
        if (button == kMacroAreaEnd)
            return true;
        if (button >= FlashDataMap::kButtonCount || !have(2))
            return false;
        MacroRecord& m = image->macros[button];
        std::memset(&m, 0, sizeof(m));
        m.nameLength = p[pos++];
        const int nameBytes = p[pos++];
        if (nameBytes > MacroRecord::kMaxNameBytes || !have(nameBytes + 2))
            return false;
        std::memcpy(m.name, p + pos, size_t(nameBytes));
        pos += nameBytes;
        m.eventCount = p[pos++];
        const int events = p[pos++];
        if (events > MacroRecord::kMaxEvents)
            return false;
        for (int i = 0; i < events; ++i) {
            if (!have(1))
                return false;
            const unsigned char flags = p[pos++];
            MacroEvent& e = m.events[i];
            if (flags == kRawEvent) {
                if (!have(int(sizeof(MacroEvent))))
                    return false;
                std::memcpy(&e, p + pos, sizeof(MacroEvent));
                pos += int(sizeof(MacroEvent));
                continue;
            }
            if (flags & 0x80)
                return false;
            const int codeBytes = (flags & 0x40) ? 2 : 1;
            const int delayBytes = ((flags >> 4) & 3) + 1;
            if (!have(codeBytes + delayBytes))
                return false;
            e.kind = flags & 7;
            e.direction = (flags >> 3) & 1;
            uint16_t code = 0;
            for (int b = 0; b < codeBytes; ++b)
                code = uint16_t(code | (p[pos++] << (8 * b)));
            uint32_t delay = 0;
            for (int b = 0; b < delayBytes; ++b)
                delay |= uint32_t(p[pos++]) << (8 * b);
            e.setCode(code);
            e.setDelay(delay);
        }
    }
    return false;  // no end mark
}

}  // namespace

bool FlashLayout::pack(const FlashDataMap& image, QByteArray* flash)
{
    const unsigned char* img = bytesOf(image);
    std::vector<unsigned char> out(kFlashSize, 0);
    unsigned char* f = out.data();

    for (const ByteSlot& s : kSingleBytes)
        f[s.flash] = img[s.image];
    f[kLayoutMarkAddress] = kLayoutMark;
    std::memcpy(f + kStagesAddress, &image.dpiStages, sizeof(image.dpiStages));
    std::memcpy(f + kReserved122Address, image.reserved122, sizeof(image.reserved122));

    const unsigned char led[4] = {image.dpiLed.mode, image.dpiLed.brightness, image.dpiLed.speed,
                                  image.dpiLed.on};
    for (int i = 0; i < 4; ++i) {
        f[kDpiLedAddress + 2 * i] = led[i];
        f[kDpiLedAddress + 2 * i + 1] = (unsigned char)(0xFF - led[i]);
    }

    std::memcpy(f + kButtonsAddress, image.buttons, sizeof(image.buttons));

    std::memcpy(f + kLedBarAddress, &image.ledBar, sizeof(image.ledBar));
    f[kLedBarAddress + kLedBarLength - 1] = ledBarSum(f + kLedBarAddress);

    std::memcpy(f + kKeyEventsAddress, image.keyEvents, sizeof(image.keyEvents));

    QByteArray macros;
    for (int i = 0; i < FlashDataMap::kButtonCount; ++i) {
        const MacroRecord& m = image.macros[i];
        if (!allZero(reinterpret_cast<const unsigned char*>(&m), int(sizeof(m))))
            packMacro(i, m, macros);
    }
    macros.append(char(kMacroAreaEnd));
    if (macros.size() > kFlashSize - kMacroAreaAddress)
        return false;
    std::memcpy(f + kMacroAreaAddress, macros.constData(), size_t(macros.size()));

    *flash = QByteArray(reinterpret_cast<const char*>(out.data()), kFlashSize);
    return true;
}

bool FlashLayout::unpack(const unsigned char* f, FlashDataMap* image)
{
    std::memset(image, 0, sizeof(FlashDataMap));
    unsigned char* img = bytesOf(*image);
    bool ok = f[kLayoutMarkAddress] == kLayoutMark;

    for (const ByteSlot& s : kSingleBytes)
        img[s.image] = f[s.flash];
    std::memcpy(&image->dpiStages, f + kStagesAddress, sizeof(image->dpiStages));
    std::memcpy(image->reserved122, f + kReserved122Address, sizeof(image->reserved122));

    for (int i = 0; i < 4; ++i)
        ok = ok && f[kDpiLedAddress + 2 * i] + f[kDpiLedAddress + 2 * i + 1] == 0xFF;
    dpiLedToImage(f + kDpiLedAddress, reinterpret_cast<unsigned char*>(&image->dpiLed));

    std::memcpy(image->buttons, f + kButtonsAddress, sizeof(image->buttons));

    ok = ok && f[kLedBarAddress + kLedBarLength - 1] == ledBarSum(f + kLedBarAddress);
    ledBarToImage(f + kLedBarAddress, reinterpret_cast<unsigned char*>(&image->ledBar));

    std::memcpy(image->keyEvents, f + kKeyEventsAddress, sizeof(image->keyEvents));

    return unpackMacros(f + kMacroAreaAddress, kFlashSize - kMacroAreaAddress, image) && ok;
}

void FlashLayout::dpiLedToImage(const unsigned char* data, unsigned char* out)
{
    for (int i = 0; i < 4; ++i)
        out[i] = data[2 * i];
}

void FlashLayout::ledBarToImage(const unsigned char* data, unsigned char* out)
{
    std::memcpy(out, data, sizeof(LedBarSettings));
}

void FlashLayout::nextLightBarMode(unsigned char* flash)
{
    unsigned char* bar = flash + kLedBarAddress;
    LedBarSettings led;
    std::memcpy(&led, bar, sizeof led);
    if (led.on == 0) {
        led.on = 1;
        led.mode = 1;
    } else if (led.mode >= 1 && led.mode < 5) {
        ++led.mode;
    } else {
        led.on = 0;
    }
    std::memcpy(bar, &led, sizeof led);
    bar[kLedBarLength - 1] = ledBarSum(bar);
}

FlashDataMap FlashLayout::factoryImage(int mid)
{
    FlashDataMap img{};
    img.reportRate = FlashDataMap::kRate1000;
    img.dpiStageCount = 4;
    img.activeDpiStage = 1;
    img.liftOffDistance = 1;
    img.debounceTime = 1;
    img.idleLightOffTime = 6;
    img.performanceModeTime = 30;
    // 400, 800, 1600, 3200, 6400, 12800, 1000, 2000 DPI as (code + 1) x 50.
    const uint8_t codes[8] = {7, 15, 31, 63, 127, 255, 19, 39};
    const uint8_t colours[8][3] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},     {255, 255, 0},
                                   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}, {255, 128, 0}};
    for (int i = 0; i < 8; ++i) {
        DpiStageRecord& s = img.dpiStages[i];
        s.xCode = s.yCode = codes[i];
        s.red = colours[i][0];
        s.green = colours[i][1];
        s.blue = colours[i][2];
    }
    img.dpiLed = DpiLedSettings{1, 3, 2, 1};
    img.ledBar = LedBarSettings{1, 0, 128, 255, 3, 4, 1};
    const ButtonMapping defaults[6] = {{1, 1, 0}, {1, 2, 0}, {1, 4, 0}, {1, 8, 0}, {1, 16, 0}, {2, 1, 0}};
    for (int i = 0; i < 6; ++i)
        img.buttons[i] = defaults[i];
    ModelCatalogue::applyFactoryButtons(mid, &img);
    return img;
}

QByteArray FlashLayout::factoryFlash(int mid)
{
    QByteArray flash;
    pack(factoryImage(mid), &flash);
    return flash;
}

QByteArray FlashLayout::rateCycle(int receiverKind)
{
    QByteArray rates;
    rates.append(char(FlashDataMap::kRate125));
    rates.append(char(FlashDataMap::kRate250));
    rates.append(char(FlashDataMap::kRate500));
    rates.append(char(FlashDataMap::kRate1000));
    if (receiverKind >= 2)
        rates.append(char(FlashDataMap::kRate2000));
    if (receiverKind >= 4)
        rates.append(char(FlashDataMap::kRate4000));
    if (receiverKind >= 8)
        rates.append(char(FlashDataMap::kRate8000));
    return rates;
}
