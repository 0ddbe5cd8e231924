#include "ui/buttons/ButtonFunctionTable.h"

#include "device/ConsumerFunctions.h"


namespace {

using T = ButtonFunctionTable;

// The fourth selector stands for device button 4 and the fifth for button 3.
const T::Selector kSelectors[T::kSelectorCount] = {
    {"FireKey", 0, "QScrollBar {width:10px;}", "Number1", "LeftKey_3"},
    {"RightKey", 1, "QScrollBar {width:0px;}", "Number2", "RightKey_3"},
    {"BackKey", 2, "QScrollBar {width:0px;}", "Number3", "MidKey"},
    {"StartPause", 4, "QScrollBar {width:0px;}", "Number4", "ForWardKey"},
    {"TopMusic", 3, "QScrollBar {width:0px;}", "Number5", "BackKey_2"},
    {"BackMusic", 5, "QScrollBar {width:0px;}", "Number6", "VolumeUp_8"},
};

// The object names do not describe the functions; the values decide.
const T::Simple kSimple[T::kSimpleCount] = {
    {"LeftKey_3", true, T::kMouse, 1, 0},
    {"RightKey_3", true, T::kMouse, 2, 0},
    {"MidKey", true, T::kMouse, 4, 0},
    {"BackKey_2", true, T::kMouse, 8, 0},
    {"ForWardKey", true, T::kMouse, 16, 0},
    {"DPI_2", true, T::kReportRate, 0, 0},
    {"DPI_3", true, T::kProfile, 0, 0},
    {"DPI_5", true, T::kNone, 0, 0},
    {"DPI_6", true, T::kFire, -1, -1},  // the remembered fire interval and count
    {"VolumeUp_8", false, T::kDpiStep, 1, 0},
    {"VolumeUp_9", false, T::kDpiStep, 2, 0},
    {"VolumeUp_10", false, T::kDpiStep, 3, 0},
    {"VolumeUp_2", false, T::kHorizontalScroll, 1, 0},
    {"VolumeDown_2", false, T::kHorizontalScroll, 2, 0},
    {"VolumeUp_14", false, T::kVerticalScroll, 1, 0},
    {"VolumeDown_14", false, T::kVerticalScroll, 2, 0},
    {"VolumeUp_4", false, T::kLights, 0, 0},
    {"VolumeUp_5", false, T::kLights, 1, 0},
    {"VolumeUp_6", false, T::kLights, 3, 0},
    {"VolumeUp_7", false, T::kLights, 4, 0},
};

// Names of the multimedia buttons in the order of kConsumerFunctionUsages.
const char* const kMediaButtons[T::kMediaCount] = {
    "Player",       "StartPause_2", "BackMusic_2",  "TopMusic_2",    "Mute",          "VolumeUp",
    "VolumeDown",   "VolumeDown_4", "VolumeDown_5", "VolumeDown_6",  "VolumeDown_3",  "VolumeDown_8",
    "VolumeDown_9", "VolumeDown_7", "VolumeDown_10", "VolumeDown_12", "VolumeDown_13", "VolumeDown_11",
};
static_assert(T::kMediaCount == kConsumerFunctionCount, "one button per multimedia function");

// 100 .. 1200 DPI, top to bottom.
const char* const kDpiLocks[T::kDpiLockCount] = {
    "VolumeUp_11", "VolumeUp_12", "VolumeUp_13", "VolumeUp_16", "VolumeUp_15", "VolumeUp_19",
    "VolumeUp_20", "VolumeUp_22", "VolumeUp_18", "VolumeUp_24", "VolumeUp_23", "VolumeUp_21",
};

struct CategoryRow
{
    int type;
    T::Category category;
};
// Positions are those of the list as it scrolls, not the button rows.
const CategoryRow kCategories[] = {
    {T::kNone, {"page_9", "DPI_5", 9}},
    {T::kMouse, {"page_9", nullptr, 0}},
    {T::kDpiStep, {"page_7", "DPI_7", 13}},
    {T::kHorizontalScroll, {"page_4", "DPI_11", 10}},
    {T::kFire, {"page_9", "DPI_6", 7}},
    {T::kMacro, {"page_5", "DPI_10", 15}},
    {T::kReportRate, {"page_9", "DPI_2", 5}},
    {T::kLights, {"page_6", "DPI_9", 12}},
    {T::kProfile, {"page_9", "DPI_3", 6}},
    {T::kDpiLock, {"page_8", "DPI_4", 15}},
    {T::kVerticalScroll, {"page_10", "DPI_13", 10}},
};

const ButtonMapping kResetDefaults[6] = {{1, 1, 0}, {1, 2, 0}, {1, 4, 0}, {1, 8, 0}, {1, 16, 0}, {2, 1, 0}};

} // namespace

const T::Selector& ButtonFunctionTable::selector(int position)
{
    return kSelectors[qBound(0, position, kSelectorCount - 1)];
}

const T::Selector* ButtonFunctionTable::selectorOfDevice(int deviceIndex)
{
    for (const Selector& s : kSelectors) {
        if (s.deviceIndex == deviceIndex)
            return &s;
    }
    return nullptr;
}

const T::Simple& ButtonFunctionTable::simple(int row)
{
    return kSimple[qBound(0, row, kSimpleCount - 1)];
}

ButtonFunctionTable::Media ButtonFunctionTable::media(int row)
{
    const int r = qBound(0, row, kMediaCount - 1);
    return Media{kMediaButtons[r], kConsumerFunctionUsages[r]};
}

int ButtonFunctionTable::mediaRowOfId(int id)
{
    for (int row = 0; row < kMediaCount; ++row) {
        if ((kConsumerFunctionUsages[row] & 0xFF) == id)
            return row;
    }
    return -1;
}

const char* ButtonFunctionTable::dpiLockButton(int row)
{
    return kDpiLocks[qBound(0, row, kDpiLockCount - 1)];
}

bool ButtonFunctionTable::categoryOf(int type, Category* out)
{
    for (const CategoryRow& row : kCategories) {
        if (row.type == type) {
            *out = row.category;
            return true;
        }
    }
    return false;
}

QString ButtonFunctionTable::labelButton(int type, int code)
{
    // A fire mapping carries its interval as the code.
    if (type == kFire)
        return code >= 10 && code <= 255 ? QStringLiteral("DPI_6") : QString();
    for (const Simple& s : kSimple) {
        if (s.type == type && s.code == code)
            return QString::fromLatin1(s.button);
    }
    return QString();
}

bool ButtonFunctionTable::offers(const ButtonMapping& mapping)
{
    switch (mapping.type) {
    case kKeyEvents:
    case kMacro:
    case kDpiLock:
        return true;
    default:
        return !labelButton(mapping.type, mapping.code).isEmpty();
    }
}

ButtonMapping ButtonFunctionTable::resetDefault(int deviceIndex)
{
    return kResetDefaults[qBound(0, deviceIndex, 5)];
}
