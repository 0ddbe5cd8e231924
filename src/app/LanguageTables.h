#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// The windows' texts, one table per section of the language files. Row k of a
// table belongs to language k (0 English ... 9 Ukrainian) as long as every file
// holds every section once; a text is found by its position within its section.
using LanguageTable = QVector<QVector<QString>>;

// The sections of the language files, in the order of g_LanguageTables.
// "English" is the company-data section of Net.xml (g_NetTexts).
enum class LanguageSection : int {
    AddDelayTime,
    AddKey,
    AutoRepair,
    Buttoninterface,
    ButtonOnly,
    ContainReset,
    DeleteConfirm,
    DialogChange,
    DialogMain,
    English,
    EXEIsRun,
    FireKey,
    FormSetting,
    groupKey,
    InportFail,
    LessThree,
    Light,
    Limit,
    Macro,
    MakeMacro,
    Match,
    MaxThree,
    MouseOffLine,
    NewVer,
    Progress,
    Question,
    QuestionB,
    RePair,
    SameMacro,
    ScreenInfo,
    Sensor,
    UpDataParam,
    FileNotice,
};

constexpr int kLanguageSectionCount = 33;
// Language files 0..9; Net.xml is read after them.
constexpr int kLanguageCount = 10;
constexpr int kNetFileIndex = kLanguageCount;

// All tables, indexed by LanguageSection. Filled once by LanguageTables::load().
extern LanguageTable g_LanguageTables[kLanguageSectionCount];

// The same tables under their own names.
extern LanguageTable& g_AddDelayTimeTexts;
extern LanguageTable& g_AddKeyTexts;
extern LanguageTable& g_AutoRepairTexts;
extern LanguageTable& g_ButtoninterfaceTexts;
extern LanguageTable& g_ButtonOnlyTexts;
extern LanguageTable& g_ContainResetTexts;
extern LanguageTable& g_DeleteConfirmTexts;
extern LanguageTable& g_DialogChangeTexts;
extern LanguageTable& g_DialogMainTexts;
extern LanguageTable& g_NetTexts;
extern LanguageTable& g_EXEIsRunTexts;
extern LanguageTable& g_FireKeyTexts;
extern LanguageTable& g_FormSettingTexts;
extern LanguageTable& g_groupKeyTexts;
extern LanguageTable& g_InportFailTexts;
extern LanguageTable& g_LessThreeTexts;
extern LanguageTable& g_LightTexts;
extern LanguageTable& g_LimitTexts;
extern LanguageTable& g_MacroTexts;
extern LanguageTable& g_MakeMacroTexts;
extern LanguageTable& g_MatchTexts;
extern LanguageTable& g_MaxThreeTexts;
extern LanguageTable& g_MouseOffLineTexts;
extern LanguageTable& g_NewVerTexts;
extern LanguageTable& g_ProgressTexts;
extern LanguageTable& g_QuestionTexts;
extern LanguageTable& g_QuestionBTexts;
extern LanguageTable& g_RePairTexts;
extern LanguageTable& g_SameMacroTexts;
extern LanguageTable& g_ScreenInfoTexts;
extern LanguageTable& g_SensorTexts;
extern LanguageTable& g_UpDataParamTexts;
// A file the program needs cannot be used: the catalogue, the user's settings.
extern LanguageTable& g_FileNoticeTexts;

class QXmlStreamReader;

class LanguageTables
{
public:
    // Reads the ten language files and then Net.xml from the "Language" folder of
    // the application folder. Row k of every window table is language k's own
    // section (the first complete one in its file); where file k lacks it (file
    // missing, wrong root, malformed XML, section absent or left open) the row
    // is the English one, or, without English, the first language's that has
    // it. The company data comes from Net.xml only. A section no file holds
    // stays empty.
    static void load();

    // Empties every table (the program never reloads; tests do).
    static void clear();

    // Full path of language file 0..9, or of Net.xml for kNetFileIndex.
    static QString filePath(int fileIndex);

    // Text `position` of `section` in the current language (g_LanguageIndex).
    static QString text(LanguageSection section, int position);
    // Text `position` of `section` in `language`. Never reads outside a table:
    // a language outside 0..9 or without a row falls back to row 0 (English),
    // a position the row does not have gives an empty text. The company data
    // ("English" section) is always read from row 0.
    static QString text(LanguageSection section, int language, int position);
    // Company data: text `position` of row 0 of g_NetTexts.
    static QString netText(int position);

    // The section's table; an empty one for a value outside the enum.
    static const LanguageTable& table(LanguageSection section);
    // The section's element name ("FormSetting", "English", ...).
    static QString sectionName(LanguageSection section);
    // Element names the section accepts, in file order; the last one closes the row.
    static QStringList textNames(LanguageSection section);
    static int textCount(LanguageSection section);

private:
    struct FileRows;
    static void readFile(int fileIndex, QXmlStreamReader& reader, FileRows& rows);
    static void readLanguageSections(QXmlStreamReader& reader, FileRows& rows);
    static void readSectionTexts(QXmlStreamReader& reader, int section, FileRows& rows);
    static void skipUnknownElement(QXmlStreamReader& reader);
};
