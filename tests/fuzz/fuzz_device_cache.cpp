// Device cache files: the loader on any file content. A file is taken only
// when it is one whole block; then the image is exactly the stored bytes and
// writes back unchanged, and the stage DPIs decode from it.
#include "FuzzSupport.h"

#include "device/DeviceCache.h"
#include "device/FlashDataMap.h"
#include "device/SensorDpiCodec.h"

#include <cstring>

namespace {
constexpr int kBlockSize = 4 + FlashDataMap::kSize;

bool sameImage(const FlashDataMap& image, const char* bytes)
{
    return std::memcmp(&image, bytes, sizeof image) == 0;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = FuzzSupport::bytes(data, size);
    const QString name = DeviceCacheFileName(0x33, 0x08);
    FuzzSupport::writeFile(DeviceCacheFilePath(name), input);

    FlashDataMap image;
    std::memset(&image, 0xA5, sizeof image);
    FlashDataMap untouched;
    std::memset(&untouched, 0xA5, sizeof untouched);

    const bool loaded = LoadDeviceCache(name, &image);
    const bool whole = input.size() == kBlockSize && input.startsWith(QByteArray::fromHex("000028BC"));
    if (loaded != whole)
        FuzzSupport::fail(loaded ? "a malformed file was loaded" : "a whole block was refused");
    if (!loaded) {
        if (std::memcmp(&image, &untouched, sizeof image) != 0)
            FuzzSupport::fail("a refused file changed the image");
        return 0;
    }
    if (!sameImage(image, input.constData() + 4))
        FuzzSupport::fail("the image is not the stored bytes");

    const QString copy = DeviceCacheFileName(0x33, 0x09);
    SaveDeviceCache(copy, image);
    FlashDataMap again{};
    if (!LoadDeviceCache(copy, &again) || !sameImage(again, input.constData() + 4))
        FuzzSupport::fail("the image does not survive a save");

    SensorDpiCodec::Context formula;
    formula.sensor = QStringLiteral("3395");
    for (int stage = -1; stage <= FlashDataMap::kDpiStageCount; ++stage)
        (void)SensorDpiCodec::decodeStage(image, stage, formula);
    return 0;
}
