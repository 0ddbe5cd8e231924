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
    // Files 1..9 must exist for the loader to go on to Net.xml.
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
        // Rows come only from the two fuzzed files.
        if (table.size() > 2 * int(size))
            FuzzSupport::fail("more rows than the input can describe");
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
