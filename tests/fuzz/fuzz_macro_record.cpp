// A macro record as a mouse, a cache or an imported file holds it, plus the
// repeat byte of its button: the reader never reads past the record, gives at
// most 70 events of keys the program knows, and what it gives is built into a
// record, read back and written to a macro file unchanged.
#include "FuzzSupport.h"

#include "device/MacroRecord.h"
#include "ui/macro/MacroFile.h"
#include "ui/macro/MacroRecordCodec.h"

#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Exactly one record on the heap, so a read past it is caught.
    auto record = std::make_unique<MacroRecord>();
    std::memset(record.get(), 0, sizeof(MacroRecord));
    std::memcpy(record.get(), data, std::min(size, sizeof(MacroRecord)));
    const int repeat = size > sizeof(MacroRecord) ? data[sizeof(MacroRecord)] : 1;

    QString name;
    QVector<MacroRow> rows;
    if (!MacroRecordCodec::read(*record, &name, &rows)) {
        if (!MacroRecordCodec::name(*record).isEmpty())
            FuzzSupport::fail("a named record was not read");
        return 0;
    }
    if (name.isEmpty() || name.contains(QChar(0)))
        FuzzSupport::fail("empty name or NUL in a name");
    int keys = 0;
    for (int i = 0; i < rows.size(); ++i) {
        const MacroRow& row = rows.at(i);
        if (row.isDelay() != (i % 2 == 1))
            FuzzSupport::fail("rows do not alternate key and pause");
        if (row.isDelay())
            continue;
        ++keys;
        if (!MacroFile::isCodeText(row.code) || (row.kind != 0 && row.kind != 1 && row.kind != 4))
            FuzzSupport::fail("key row with a bad code or kind");
    }
    if (keys > MacroRecord::kMaxEvents || keys > record->eventCount)
        FuzzSupport::fail("more events than the record holds");

    auto built = std::make_unique<MacroRecord>();
    if (MacroRecordCodec::build(name, rows, built.get()) != MacroRecordCodec::Result::Ok)
        FuzzSupport::fail("read rows do not fit a record");
    if (built->nameLength > MacroRecord::kMaxNameBytes || built->eventCount != keys)
        FuzzSupport::fail("built record out of bounds");
    // A name whose bytes were no text may not survive being cut again (a
    // replacement character is longer than the byte it stands for).
    QString again;
    QVector<MacroRow> againRows;
    if (built->nameLength > 0 && (!MacroRecordCodec::read(*built, &again, &againRows) || againRows != rows))
        FuzzSupport::fail("built record reads back differently");

    if (MacroFile::isValidRepeatCode(repeat)) {
        const MacroFile::Contents file = MacroFile::parse(MacroFile::serialize(repeat, rows));
        if (file.repeatCode != repeat || file.rows != rows || file.tooManyKeyEvents)
            FuzzSupport::fail("macro file from the record reads back differently");
    }
    return 0;
}
