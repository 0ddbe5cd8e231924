// A macro exchange file: the reader refuses or accepts any bytes without
// reading past them, and what it accepts is a macro the page can keep.
#include "FuzzSupport.h"

#include "ui/macro/MacroExchangeFile.h"
#include "ui/macro/MacroFile.h"
#include "ui/macro/MacroFolder.h"

namespace {

bool lookup(const QString& name, MacroRow* row)
{
    if (name == QLatin1String("A") || name.isEmpty()) {
        *row = MacroRow::key(name.isEmpty() ? QStringLiteral("0x00") : QStringLiteral("0x04"), 1, false);
        return true;
    }
    if (name == QLatin1String("LShift")) {
        *row = MacroRow::key(QStringLiteral("0x02"), 0, false);
        return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MacroExchangeFile::Contents contents;
    if (MacroExchangeFile::parse(FuzzSupport::bytes(data, size), lookup, &contents) != MacroExchangeFile::Status::Ok)
        return 0;
    if (!MacroFolder::isSafeName(contents.name) || contents.name.toUtf8().size() > MacroExchangeFile::kMaxNameBytes)
        FuzzSupport::fail("accepted an unusable name");
    if (MacroFolder::filePath(FuzzSupport::homeDir(), contents.name).isEmpty())
        FuzzSupport::fail("accepted name has no path in the folder");
    if (!MacroFile::isValidRepeatCode(contents.repeatCode))
        FuzzSupport::fail("accepted a bad repeat value");
    if (contents.items.size() > MacroExchangeFile::kMaxItems)
        FuzzSupport::fail("more items than the bound");
    int keys = 0;
    for (const MacroExchangeFile::Item& item : contents.items) {
        if (item.row.isDelay()) {
            quint32 ms = 0;
            if (!MacroFile::parseDelayText(item.text, &ms) || ms != item.row.delayMs)
                FuzzSupport::fail("pause text and value differ");
        } else {
            ++keys;
            MacroRow known;
            if (!lookup(item.text, &known) || known.code != item.row.code || known.kind != item.row.kind)
                FuzzSupport::fail("key row that is not the named key");
        }
    }
    if (keys > MacroFile::kMaxKeyEvents)
        FuzzSupport::fail("more key events than the limit");
    return 0;
}
