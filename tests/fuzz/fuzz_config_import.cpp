// Configuration import files: the reader on any file content. A file is taken
// only when its image fits the model; then the image is exactly the file's
// third block, and it writes back to a file that reads the same. A refused
// file leaves the image untouched.
#include "FuzzSupport.h"

#include "device/FlashDataMap.h"
#include "ui/buttons/ConfigurationFile.h"

#include <cstring>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = FuzzSupport::bytes(data, size);
    const ConfigurationFile::Model model{QStringLiteral("3950"), 6, 51, 8};

    FlashDataMap image;
    std::memset(&image, 0xA5, sizeof image);
    FlashDataMap untouched;
    std::memset(&untouched, 0xA5, sizeof untouched);

    const ConfigurationFile::Result result = ConfigurationFile::decode(input, model, &image);
    const QString path = FuzzSupport::homeDir() + "/import.bin";
    FuzzSupport::writeFile(path, input);
    FlashDataMap fromFile;
    std::memset(&fromFile, 0xA5, sizeof fromFile);
    if (ConfigurationFile::read(path, model, &fromFile) != result)
        FuzzSupport::fail("the file and its bytes read differently");
    if (std::memcmp(&image, &fromFile, sizeof image) != 0)
        FuzzSupport::fail("the file and its bytes give different images");

    if (result != ConfigurationFile::Accepted) {
        if (result != ConfigurationFile::NotAConfiguration && result != ConfigurationFile::DoesNotFit)
            FuzzSupport::fail("an unknown result");
        if (std::memcmp(&image, &untouched, sizeof image) != 0)
            FuzzSupport::fail("a refused file changed the image");
        return 0;
    }
    if (image.dpiStageCount < 1 || image.dpiStageCount > model.maxStages
        || image.activeDpiStage >= image.dpiStageCount)
        FuzzSupport::fail("an image with stages the model lacks was taken");
    if (input.indexOf(QByteArray(reinterpret_cast<const char*>(&image), sizeof image)) < 0)
        FuzzSupport::fail("the image holds bytes the file did not supply");

    FlashDataMap again;
    std::memset(&again, 0, sizeof again);
    const QByteArray written = ConfigurationFile::encode(image, model);
    if (written.size() != ConfigurationFile::kFileSize
        || ConfigurationFile::decode(written, model, &again) != ConfigurationFile::Accepted
        || std::memcmp(&again, &image, sizeof image) != 0)
        FuzzSupport::fail("an accepted image does not survive an export");
    return 0;
}
