// Firmware image files: the header reader and the check made before an image
// reaches the device library, on any file content. Neither reads past the
// file; a file the check accepts has a header the reader takes.
#include "FuzzSupport.h"

#include "device/FirmwareImageSearch.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A copy of exactly the input's length, so a read past it is seen.
    const QByteArray input = FuzzSupport::bytes(data, size);
    const FirmwareImageHeader header = FirmwareImageHeader::parse(input);
    if (header.valid != (input.size() >= FirmwareImageHeader::kSize))
        FuzzSupport::fail("the header is taken from a file of the wrong size");
    // Each byte of the field gives at most one character; bytes that are no
    // valid text grow when encoded again, so count characters, not bytes.
    if (header.modelName.size() > 64)
        FuzzSupport::fail("the model name runs past its field");
    QString reason;
    const bool sendable = FirmwareImageHeader::checkImage(input, &reason);
    if (sendable && !header.valid)
        FuzzSupport::fail("an image without a header was accepted");
    if (!sendable && reason.isEmpty())
        FuzzSupport::fail("a refused image gives no reason");
    (void)FirmwareImageSearch::versionText(header.version);
    return 0;
}
