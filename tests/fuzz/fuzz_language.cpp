// Language files: the loader and the bounded text accessor on whatever the
// files hold. The input is both the first language file and Net.xml, so the
// "Total" and the "Profile" root are each read in full by one of them.
#include "FuzzSupport.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"

#include <QDir>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::init(argc, argv);
    // Languages that give no section of their own.
    for (int i = 1; i < kLanguageCount; ++i)
        FuzzSupport::writeFile(LanguageTables::filePath(i), "<Total/>");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = FuzzSupport::bytes(data, size);
    FuzzSupport::writeFile(LanguageTables::filePath(0), input);
    FuzzSupport::writeFile(LanguageTables::filePath(kNetFileIndex), input);

    LanguageTables::clear();
    LanguageTables::load();

    for (int s = -1; s <= kLanguageSectionCount; ++s) {
        const auto section = LanguageSection(s);
        const LanguageTable& table = LanguageTables::table(section);
        // One row per language, or none; the company data has at most one.
        const int rows = section == LanguageSection::English ? 1 : kLanguageCount;
        if (!table.isEmpty() && table.size() != rows)
            FuzzSupport::fail("a table with a row count other than one per language");
        const int count = LanguageTables::textCount(section);
        for (int language : {-1, 0, 1, 2, kLanguageCount - 1, kLanguageCount}) {
            g_LanguageIndex = language;
            for (int position : {-1, 0, 1, count - 1, count, count + 1}) {
                (void)LanguageTables::text(section, language, position);
                (void)LanguageTables::text(section, position);
            }
        }
    }
    for (int position = -1; position <= 5; ++position)
        (void)LanguageTables::netText(position);
    g_LanguageIndex = 0;
    return 0;
}
