#include "app/LanguageTables.h"

#include "app/Globals.h"
#include "core/AppPaths.h"

#include <QFile>
#include <QXmlStreamReader>

#include <iterator>

LanguageTable g_LanguageTables[kLanguageSectionCount];

LanguageTable& g_AddDelayTimeTexts = g_LanguageTables[int(LanguageSection::AddDelayTime)];
LanguageTable& g_AddKeyTexts = g_LanguageTables[int(LanguageSection::AddKey)];
LanguageTable& g_AutoRepairTexts = g_LanguageTables[int(LanguageSection::AutoRepair)];
LanguageTable& g_ButtoninterfaceTexts = g_LanguageTables[int(LanguageSection::Buttoninterface)];
LanguageTable& g_ButtonOnlyTexts = g_LanguageTables[int(LanguageSection::ButtonOnly)];
LanguageTable& g_ContainResetTexts = g_LanguageTables[int(LanguageSection::ContainReset)];
LanguageTable& g_DeleteConfirmTexts = g_LanguageTables[int(LanguageSection::DeleteConfirm)];
LanguageTable& g_DialogChangeTexts = g_LanguageTables[int(LanguageSection::DialogChange)];
LanguageTable& g_DialogMainTexts = g_LanguageTables[int(LanguageSection::DialogMain)];
LanguageTable& g_NetTexts = g_LanguageTables[int(LanguageSection::English)];
LanguageTable& g_EXEIsRunTexts = g_LanguageTables[int(LanguageSection::EXEIsRun)];
LanguageTable& g_FireKeyTexts = g_LanguageTables[int(LanguageSection::FireKey)];
LanguageTable& g_FormSettingTexts = g_LanguageTables[int(LanguageSection::FormSetting)];
LanguageTable& g_groupKeyTexts = g_LanguageTables[int(LanguageSection::groupKey)];
LanguageTable& g_InportFailTexts = g_LanguageTables[int(LanguageSection::InportFail)];
LanguageTable& g_LessThreeTexts = g_LanguageTables[int(LanguageSection::LessThree)];
LanguageTable& g_LightTexts = g_LanguageTables[int(LanguageSection::Light)];
LanguageTable& g_LimitTexts = g_LanguageTables[int(LanguageSection::Limit)];
LanguageTable& g_MacroTexts = g_LanguageTables[int(LanguageSection::Macro)];
LanguageTable& g_MakeMacroTexts = g_LanguageTables[int(LanguageSection::MakeMacro)];
LanguageTable& g_MatchTexts = g_LanguageTables[int(LanguageSection::Match)];
LanguageTable& g_MaxThreeTexts = g_LanguageTables[int(LanguageSection::MaxThree)];
LanguageTable& g_MouseOffLineTexts = g_LanguageTables[int(LanguageSection::MouseOffLine)];
LanguageTable& g_NewVerTexts = g_LanguageTables[int(LanguageSection::NewVer)];
LanguageTable& g_ProgressTexts = g_LanguageTables[int(LanguageSection::Progress)];
LanguageTable& g_QuestionTexts = g_LanguageTables[int(LanguageSection::Question)];
LanguageTable& g_QuestionBTexts = g_LanguageTables[int(LanguageSection::QuestionB)];
LanguageTable& g_RePairTexts = g_LanguageTables[int(LanguageSection::RePair)];
LanguageTable& g_SameMacroTexts = g_LanguageTables[int(LanguageSection::SameMacro)];
LanguageTable& g_ScreenInfoTexts = g_LanguageTables[int(LanguageSection::ScreenInfo)];
LanguageTable& g_SensorTexts = g_LanguageTables[int(LanguageSection::Sensor)];
LanguageTable& g_UpDataParamTexts = g_LanguageTables[int(LanguageSection::UpDataParam)];
LanguageTable& g_FileNoticeTexts = g_LanguageTables[int(LanguageSection::FileNotice)];

namespace {

// Accepted text elements of each section, in file order; the last one closes the row.
const char* const kAddDelayTimeNames[] = {"label"};
const char* const kAddKeyNames[] = {"label"};
const char* const kAutoRepairNames[] = {"ToolText", "Cancel", "NoDevice", "SameDevice", "NewHong_2", "NoRecieve", "NoUSB", "Error", "FileError", "Error2", "MultiMouse", "MultiDongle", "ReadyUpdate"};
const char* const kButtoninterfaceNames[] = {"label_2", "Reset", "ImportData", "OutputData", "FireKey", "RightKey", "BackKey", "StartPause", "TopMusic", "BackMusic", "DPI_2", "DPI_3", "DPI_6", "DPI_8", "DPI_5", "DPI_13", "DPI_11", "DPI_10", "DPI_9", "DPI_7", "DPI_12", "DPI_4", "Player", "StartPause_2", "BackMusic_2", "TopMusic_2", "Mute", "VolumeUp", "VolumeDown", "VolumeDown_4", "VolumeDown_5", "VolumeDown_6", "VolumeDown_3", "VolumeDown_9", "VolumeDown_7", "VolumeDown_10", "VolumeDown_12", "VolumeDown_13", "VolumeDown_11", "VolumeUp_4", "VolumeUp_5", "VolumeUp_6", "VolumeUp_7", "checkBox", "VolumeUp_2", "VolumeDown_2", "VolumeUp_8", "VolumeUp_14", "VolumeDown_14", "Macro_", "Config", "S1", "VolumeDown_8"};
const char* const kButtonOnlyNames[] = {"label"};
const char* const kContainResetNames[] = {"label"};
const char* const kDeleteConfirmNames[] = {"label"};
const char* const kDialogChangeNames[] = {"label_2", "label_3", "OfflineTips1", "OfflineTips2", "RepairDevice", "label", "NewHong", "NoApear", "MouseIsNewTips"};
const char* const kDialogMainNames[] = {"MainForm", "Exit"};
const char* const kEnglishNames[] = {"CompanyName", "CompanyNameCn", "CompanyWebcn", "CompanyWeben"};
const char* const kEXEIsRunNames[] = {"label", "label_2", "NewHong", "PleaseStop"};
const char* const kFireKeyNames[] = {"label", "label_2", "label_3"};
const char* const kFormSettingNames[] = {"label", "label_2", "label_3", "label_4", "label_6", "label_8", "pushButton_2", "Receive", "Mouse", "label_9", "label_10", "pushButton", "label_11", "textEdit", "WiredMode", "NoDevice", "NewLabel", "SameDevice", "VerNew", "label_14", "textEdit_2", "textEdit_3", "textEdit_4", "NoRecieve", "NoUSB", "Error", "MultiMouse", "MultiDongle", "StopCloseTime", "StopCloseTime1", "StopCloseTime2", "StopCloseTime3", "StopCloseTime4", "StopCloseTime5", "StopCloseTime6", "StopCloseTime7", "StopCloseTime8", "StopCloseTime9", "StopCloseTime10", "label_12", "label_13", "RecieveInfo", "ScreenInfo", "LihghtMode"};
const char* const kGroupKeyNames[] = {"label"};
const char* const kInportFailNames[] = {"label", "label_1", "ExportFail"};
const char* const kLessThreeNames[] = {"label"};
const char* const kLightNames[] = {"label", "LightMod", "LightMod1", "LightMod2", "LightMod3", "LightMod4", "LightMod5", "LightMod6", "label_2", "label_3", "label_4", "label_5", "StopCloseTime", "StopCloseTime1", "StopCloseTime2", "StopCloseTime3", "StopCloseTime4", "StopCloseTime5", "StopCloseTime6", "StopCloseTime7", "StopCloseTime8", "StopCloseTime9", "StopCloseTime10", "label_6", "label_8", "label_13", "label_11", "label_10", "label_12"};
const char* const kLimitNames[] = {"label"};
const char* const kMacroNames[] = {"label", "label_2", "NewHong", "DeleteHong", "Amend", "DeleteKey", "StartRecord", "StopRecord", "AutoInsertDelay", "DefaultDelay", "ReUntilLoose", "ReUntilClick", "ReUntil", "ReNumber", "label_3", "ChooseEvent1", "ChooseEvent2", "ChooseEvent3", "Save", "MacroReal", "Key1", "Key2", "Key3", "Key4", "Key5", "ImportFail", "FileNotChanged"};
const char* const kMakeMacroNames[] = {"label"};
const char* const kMatchNames[] = {"label", "textEdit", "MatchButton", "Matching", "MatchFail", "MatchSuccess"};
const char* const kMaxThreeNames[] = {"label"};
const char* const kMouseOffLineNames[] = {"label", "Timeout"};
const char* const kNewVerNames[] = {"label", "NoApear"};
const char* const kProgressNames[] = {"UpdateNotMove", "UpDateSuccess", "UpDateFail"};
const char* const kQuestionNames[] = {"label", "label_2", "NewHong", "NewHong_2"};
const char* const kQuestionBNames[] = {"label"};
const char* const kRePairNames[] = {"label"};
const char* const kSameMacroNames[] = {"label"};
const char* const kScreenInfoNames[] = {"label", "label_2", "label_3", "Input", "Output", "Light", "LightMod", "LightMod1", "LightMod2", "LightMod3", "LightMod4", "LightMod5", "LightMod6", "Bri", "Speed", "ColorPre", "LightColor", "SetColor", "R", "G", "B"};
const char* const kSensorNames[] = {"label_2", "label_3", "label_5", "label_11", "label_12", "Performance", "label", "label_6", "label_7", "PerformanceOpen", "PerformanceOpen1", "PerformanceOpen2", "PerformanceOpen3", "PerformanceOpen4", "PerformanceOpen5", "label_4", "Model", "Model1", "Model2", "label_14", "label_15", "ModeSelectDes", "LODDes", "FullPerformanceDes", "MotionSyncDes", "FixLineDes", "RippleDes"};
const char* const kUpDataParamNames[] = {"label", "label_1"};
const char* const kFileNoticeNames[] = {"Catalogue", "Settings"};

struct SectionInfo
{
    const char* element;
    const char* const* texts;
    int count;
};

// Same order as LanguageSection.
const SectionInfo kSections[] = {
    {"AddDelayTime", kAddDelayTimeNames, int(std::size(kAddDelayTimeNames))},
    {"AddKey", kAddKeyNames, int(std::size(kAddKeyNames))},
    {"AutoRepair", kAutoRepairNames, int(std::size(kAutoRepairNames))},
    {"Buttoninterface", kButtoninterfaceNames, int(std::size(kButtoninterfaceNames))},
    {"ButtonOnly", kButtonOnlyNames, int(std::size(kButtonOnlyNames))},
    {"ContainReset", kContainResetNames, int(std::size(kContainResetNames))},
    {"DeleteConfirm", kDeleteConfirmNames, int(std::size(kDeleteConfirmNames))},
    {"DialogChange", kDialogChangeNames, int(std::size(kDialogChangeNames))},
    {"DialogMain", kDialogMainNames, int(std::size(kDialogMainNames))},
    {"English", kEnglishNames, int(std::size(kEnglishNames))},
    {"EXEIsRun", kEXEIsRunNames, int(std::size(kEXEIsRunNames))},
    {"FireKey", kFireKeyNames, int(std::size(kFireKeyNames))},
    {"FormSetting", kFormSettingNames, int(std::size(kFormSettingNames))},
    {"groupKey", kGroupKeyNames, int(std::size(kGroupKeyNames))},
    {"InportFail", kInportFailNames, int(std::size(kInportFailNames))},
    {"LessThree", kLessThreeNames, int(std::size(kLessThreeNames))},
    {"Light", kLightNames, int(std::size(kLightNames))},
    {"Limit", kLimitNames, int(std::size(kLimitNames))},
    {"Macro", kMacroNames, int(std::size(kMacroNames))},
    {"MakeMacro", kMakeMacroNames, int(std::size(kMakeMacroNames))},
    {"Match", kMatchNames, int(std::size(kMatchNames))},
    {"MaxThree", kMaxThreeNames, int(std::size(kMaxThreeNames))},
    {"MouseOffLine", kMouseOffLineNames, int(std::size(kMouseOffLineNames))},
    {"NewVer", kNewVerNames, int(std::size(kNewVerNames))},
    {"Progress", kProgressNames, int(std::size(kProgressNames))},
    {"Question", kQuestionNames, int(std::size(kQuestionNames))},
    {"QuestionB", kQuestionBNames, int(std::size(kQuestionBNames))},
    {"RePair", kRePairNames, int(std::size(kRePairNames))},
    {"SameMacro", kSameMacroNames, int(std::size(kSameMacroNames))},
    {"ScreenInfo", kScreenInfoNames, int(std::size(kScreenInfoNames))},
    {"Sensor", kSensorNames, int(std::size(kSensorNames))},
    {"UpDataParam", kUpDataParamNames, int(std::size(kUpDataParamNames))},
    {"FileNotice", kFileNoticeNames, int(std::size(kFileNoticeNames))},
};
static_assert(std::size(kSections) == kLanguageSectionCount, "one entry per section");

// File names after "/Language/"; index 8 carries the Chinese name of the language.
const char* const kFileNames[] = {
    "0-English.xml", "1-Deutsch.xml", "2-Fran.xml", "3-Esp.xml", "4-Italiano.xml",
    "5-Nederlands.xml", "6-Polski.xml", "7-Romanesc.xml",
    "8-\xE7\xB9\x81\xE4\xBD\x93\xE4\xB8\xAD\xE6\x96\x87.xml", "9-UKL.xml", "Net.xml",
};
static_assert(std::size(kFileNames) == kLanguageCount + 1, "ten languages and Net.xml");

int sectionIndex(const QStringRef& name)
{
    for (int i = 0; i < kLanguageSectionCount; ++i) {
        if (name == QLatin1String(kSections[i].element))
            return i;
    }
    return -1;
}

int textIndex(const SectionInfo& info, const QStringRef& name)
{
    for (int i = 0; i < info.count; ++i) {
        if (name == QLatin1String(info.texts[i]))
            return i;
    }
    return -1;
}

} // namespace

// The rows one file gave: the first complete row of each section.
struct LanguageTables::FileRows
{
    QVector<QString> row[kLanguageSectionCount];
    bool complete[kLanguageSectionCount] = {};
};

void LanguageTables::load()
{
    FileRows files[kNetFileIndex + 1];
    for (int file = 0; file <= kNetFileIndex; ++file) {
        QFile in(filePath(file));
        if (!in.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        QXmlStreamReader reader(&in);
        readFile(file, reader, files[file]);
        in.close();
    }

    // One row per language whatever a file lacks, so that no language ever
    // shows another's texts.
    for (int s = 0; s < kLanguageSectionCount; ++s) {
        if (s == int(LanguageSection::English)) {
            if (files[kNetFileIndex].complete[s])
                g_LanguageTables[s].append(files[kNetFileIndex].row[s]);
            continue;
        }
        int fallback = -1;
        for (int k = 0; k < kLanguageCount && fallback < 0; ++k) {
            if (files[k].complete[s])
                fallback = k;
        }
        if (fallback < 0)
            continue;
        for (int k = 0; k < kLanguageCount; ++k)
            g_LanguageTables[s].append(files[files[k].complete[s] ? k : fallback].row[s]);
    }
}

void LanguageTables::readFile(int fileIndex, QXmlStreamReader& reader, FileRows& rows)
{
    const QLatin1String root(fileIndex == kNetFileIndex ? "Profile" : "Total");
    reader.readNext();
    while (!reader.atEnd()) {
        if (reader.isStartElement()) {
            if (reader.name() == root)
                readLanguageSections(reader, rows);
            else
                reader.raiseError(QStringLiteral("Not a labels file"));
        } else {
            reader.readNext();
        }
    }
}

void LanguageTables::readLanguageSections(QXmlStreamReader& reader, FileRows& rows)
{
    reader.readNext();
    while (!reader.atEnd()) {
        if (reader.isEndElement()) {
            reader.readNext();
            return;
        }
        if (reader.isStartElement()) {
            const int section = sectionIndex(reader.name());
            if (section >= 0)
                readSectionTexts(reader, section, rows);
            else
                skipUnknownElement(reader);
        } else {
            reader.readNext();
        }
    }
}

void LanguageTables::readSectionTexts(QXmlStreamReader& reader, int section, FileRows& rows)
{
    const SectionInfo& info = kSections[section];
    const QLatin1String closing(info.texts[info.count - 1]);
    QVector<QString> row;
    reader.readNext();
    while (!reader.atEnd()) {
        if (reader.isEndElement()) {
            reader.readNext();
            return;
        }
        if (reader.isStartElement()) {
            if (textIndex(info, reader.name()) < 0) {
                skipUnknownElement(reader);
                continue;
            }
            const bool closes = reader.name() == closing;
            const QString text = reader.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
            // A text cut short by an error is not a text: the row stays incomplete.
            if (reader.hasError())
                return;
            row.append(text);
            // A section given again in the same file changes nothing.
            if (closes && !rows.complete[section]) {
                rows.row[section] = row;
                rows.complete[section] = true;
            }
            if (reader.isEndElement())
                reader.readNext();
        } else {
            reader.readNext();
        }
    }
}

void LanguageTables::skipUnknownElement(QXmlStreamReader& reader)
{
    // Iterative, so that deep nesting cannot exhaust the stack.
    int depth = 1;
    reader.readNext();
    while (!reader.atEnd()) {
        if (reader.isEndElement()) {
            reader.readNext();
            if (--depth == 0)
                return;
        } else {
            if (reader.isStartElement())
                ++depth;
            reader.readNext();
        }
    }
}

void LanguageTables::clear()
{
    for (LanguageTable& table : g_LanguageTables)
        table.clear();
}

QString LanguageTables::filePath(int fileIndex)
{
    if (fileIndex < 0 || fileIndex > kNetFileIndex)
        return QString();
    return AppPaths::appSubdir(QStringLiteral("Language")) + '/'
        + QString::fromUtf8(kFileNames[fileIndex]);
}

QString LanguageTables::text(LanguageSection section, int position)
{
    return text(section, g_LanguageIndex, position);
}

QString LanguageTables::text(LanguageSection section, int language, int position)
{
    const int s = int(section);
    if (s < 0 || s >= kLanguageSectionCount)
        return QString();
    const LanguageTable& rows = g_LanguageTables[s];
    if (section == LanguageSection::English || language < 0 || language >= kLanguageCount
        || language >= rows.size())
        language = 0;
    if (rows.isEmpty())
        return QString();
    const QVector<QString>& row = rows.at(language);
    if (position < 0 || position >= row.size())
        return QString();
    return row.at(position);
}

QString LanguageTables::netText(int position)
{
    return text(LanguageSection::English, 0, position);
}

const LanguageTable& LanguageTables::table(LanguageSection section)
{
    static const LanguageTable none;
    const int s = int(section);
    return s < 0 || s >= kLanguageSectionCount ? none : g_LanguageTables[s];
}

QString LanguageTables::sectionName(LanguageSection section)
{
    const int s = int(section);
    if (s < 0 || s >= kLanguageSectionCount)
        return QString();
    return QLatin1String(kSections[s].element);
}

QStringList LanguageTables::textNames(LanguageSection section)
{
    QStringList names;
    const int s = int(section);
    if (s < 0 || s >= kLanguageSectionCount)
        return names;
    for (int i = 0; i < kSections[s].count; ++i)
        names << QLatin1String(kSections[s].texts[i]);
    return names;
}

int LanguageTables::textCount(LanguageSection section)
{
    const int s = int(section);
    return s < 0 || s >= kLanguageSectionCount ? 0 : kSections[s].count;
}
