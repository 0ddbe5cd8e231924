// A macro text file: the reader takes any bytes, keeps only well-formed rows
// within the event limit, and what it read is written and read back unchanged.
#include "FuzzSupport.h"

#include "ui/macro/MacroFile.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = FuzzSupport::bytes(data, size);
    const MacroFile::Contents contents = MacroFile::parse(input);
    if (contents.repeatCode != -1 && !MacroFile::isValidRepeatCode(contents.repeatCode))
        FuzzSupport::fail("repeat value outside the valid codes");
    if (contents.repeatCode == -1 && !contents.rows.isEmpty())
        FuzzSupport::fail("rows without a first line");
    int keys = 0;
    for (const MacroRow& row : contents.rows) {
        if (row.isDelay())
            continue;
        ++keys;
        if (!MacroFile::isCodeText(row.code) || (row.kind != 0 && row.kind != 1 && row.kind != 4))
            FuzzSupport::fail("key row with a bad code or kind");
    }
    if (keys > MacroFile::kMaxKeyEvents)
        FuzzSupport::fail("more key rows than the event limit");

    if (contents.repeatCode != -1) {
        const QByteArray written = MacroFile::serialize(contents.repeatCode, contents.rows);
        const MacroFile::Contents again = MacroFile::parse(written);
        if (again.repeatCode != contents.repeatCode || again.rows != contents.rows)
            FuzzSupport::fail("written rows read back differently");
    }
    return 0;
}
