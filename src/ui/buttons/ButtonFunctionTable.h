#pragma once

#include "device/ButtonMapping.h"
#include "device/KeyEventRecord.h"

#include <QString>
#include <QtGlobal>

// What the button page's controls stand for: the six selectors and the device
// buttons behind them, the functions that fit one three-byte mapping, the
// multimedia keys, the DPI locks and the category that opens each kind of
// function. Pure data and lookups; the page acts on them.
class ButtonFunctionTable
{
public:
    // Function types of a ButtonMapping.
    enum Type {
        kNone = 0,
        kMouse = 1,
        kDpiStep = 2,
        kHorizontalScroll = 3,
        kFire = 4,
        kKeyEvents = 5,
        kMacro = 6,
        kReportRate = 7,
        kLights = 8,
        kProfile = 9,
        kDpiLock = 10,
        kVerticalScroll = 11,
    };
    // A type the page has no row for ("any other type").
    static constexpr int kUnknownType = -1;

    static constexpr int kSelectorCount = 6;
    struct Selector
    {
        const char* name;
        int deviceIndex;
        const char* scrollBarSheet;  // given to the selector list's scroll bar on selection
        const char* marker;
        // The function button that takes the selector's language text: what the
        // selector reads while it shows no device button.
        const char* caption;
    };
    // Top to bottom; every search for the selected button walks them in this order.
    static const Selector& selector(int position);
    // The selector of a device button 0..5; null for any other index.
    static const Selector* selectorOfDevice(int deviceIndex);

    // A function one click assigns as a whole mapping.
    struct Simple
    {
        const char* button;
        bool main;  // on the function list (the others stand on a sub-page)
        int type;
        int code;
        int param;
    };
    static constexpr int kSimpleCount = 20;
    static const Simple& simple(int row);

    static constexpr int kMediaCount = 18;
    struct Media
    {
        const char* button;
        quint16 usage;  // HID consumer page usage; its low byte is the function id
    };
    // In list order (the row is the index).
    static Media media(int row);
    // Row of a function id (the usage's low byte), -1 when none.
    static int mediaRowOfId(int id);

    static constexpr int kDpiLockCount = 12;
    // Button of row 0..11, which locks (row + 1) x 100 DPI.
    static const char* dpiLockButton(int row);

    // Where the function list opens for a recorded type: the sub-page of
    // stackedWidget_2, the category button (null: none) and the scroll position
    // of the list in rows. False for a type without a row.
    struct Category
    {
        const char* page;
        const char* button;
        int position;
    };
    static bool categoryOf(int type, Category* out);

    // The function button whose text labels a mapping of a one-mapping type
    // (types 0, 1, 2, 3, 4, 7, 8, 9, 11); empty for a type or code without one.
    static QString labelButton(int type, int code);

    // Whether the page offers a mapping: a one-mapping type with a function
    // button for its code, or a key-event, macro or DPI-lock mapping (their
    // records and codes are read with them).
    static bool offers(const ButtonMapping& mapping);

    // The record of a device button after a form reset (device index 0..5).
    static ButtonMapping resetDefault(int deviceIndex);
};
