#include "platform/VirtualKeys.h"

#include <QKeyEvent>

namespace {

// Printable characters (ASCII and the Latin-1 letters of German keyboards),
// upper-case letters only: X keysyms and Qt keys share these values.
int fromCharacter(int c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ')
        return c;
    switch (c) {
    case '!': return '1';
    case '@': return '2';
    case '#': return '3';
    case '$': return '4';
    case '%': return '5';
    case '^': return '6';
    case '&': return '7';
    case '*': return '8';
    case '(': return '9';
    case ')': return '0';
    case '-': case '_': return 0xBD;
    case '=': case '+': return 0xBB;
    case '[': case '{': return 0xDB;
    case ']': case '}': return 0xDD;
    case '\\': case '|': return 0xDC;
    case ';': case ':': return 0xBA;
    case '\'': case '"': return 0xDE;
    case '`': case '~': return 0xC0;
    case ',': case '<': return 0xBC;
    case '.': case '>': return 0xBE;
    case '/': case '?': return 0xBF;
    // German letters sit where these keys are on the other layouts.
    case 0xDC: return 0xBA;  // Ü
    case 0xD6: return 0xC0;  // Ö
    case 0xC4: return 0xDE;  // Ä
    case 0xDF: return 0xDB;  // ß
    default: return 0;
    }
}

struct NamedKey
{
    int virtualKey;
    quint32 keysym;  // 0: not from a keysym
    int qtKey;       // 0: not from a Qt key
};

// Keys outside the printable range. Keypad rows come first so that a keypad
// keysym is not taken for its main-keyboard twin.
const NamedKey kNamedKeys[] = {
    {0x60, 0xFFB0, 0}, {0x61, 0xFFB1, 0}, {0x62, 0xFFB2, 0}, {0x63, 0xFFB3, 0}, {0x64, 0xFFB4, 0},
    {0x65, 0xFFB5, 0}, {0x66, 0xFFB6, 0}, {0x67, 0xFFB7, 0}, {0x68, 0xFFB8, 0}, {0x69, 0xFFB9, 0},
    {0x6A, 0xFFAA, 0}, {0x6B, 0xFFAB, 0}, {0x6E, 0xFFAC, 0}, {0x6D, 0xFFAD, 0}, {0x6E, 0xFFAE, 0},
    {0x6F, 0xFFAF, 0}, {0x0D, 0xFF8D, 0},
    // Keypad keys with Num Lock off behave as the keys they show.
    {0x24, 0xFF95, 0}, {0x25, 0xFF96, 0}, {0x26, 0xFF97, 0}, {0x27, 0xFF98, 0}, {0x28, 0xFF99, 0},
    {0x21, 0xFF9A, 0}, {0x22, 0xFF9B, 0}, {0x23, 0xFF9C, 0}, {0x0C, 0xFF9D, 0}, {0x2D, 0xFF9E, 0},
    {0x2E, 0xFF9F, 0},
    {0x08, 0xFF08, Qt::Key_Backspace}, {0x09, 0xFF09, Qt::Key_Tab}, {0x09, 0xFE20, Qt::Key_Backtab},
    {0x0C, 0xFF0B, Qt::Key_Clear}, {0x0D, 0xFF0D, Qt::Key_Return}, {0x0D, 0, Qt::Key_Enter},
    {0x13, 0xFF13, Qt::Key_Pause}, {0x91, 0xFF14, Qt::Key_ScrollLock}, {0x2C, 0xFF15, Qt::Key_SysReq},
    {0x1B, 0xFF1B, Qt::Key_Escape}, {0x2E, 0xFFFF, Qt::Key_Delete},
    {0x24, 0xFF50, Qt::Key_Home}, {0x25, 0xFF51, Qt::Key_Left}, {0x26, 0xFF52, Qt::Key_Up},
    {0x27, 0xFF53, Qt::Key_Right}, {0x28, 0xFF54, Qt::Key_Down}, {0x21, 0xFF55, Qt::Key_PageUp},
    {0x22, 0xFF56, Qt::Key_PageDown}, {0x23, 0xFF57, Qt::Key_End}, {0x2C, 0xFF61, Qt::Key_Print},
    {0x2D, 0xFF63, Qt::Key_Insert}, {0x5D, 0xFF67, Qt::Key_Menu}, {0x13, 0xFF6B, 0},
    {0x90, 0xFF7F, Qt::Key_NumLock}, {0x14, 0xFFE5, Qt::Key_CapsLock},
    {0xA0, 0xFFE1, Qt::Key_Shift}, {0xA1, 0xFFE2, 0}, {0xA2, 0xFFE3, Qt::Key_Control},
    {0xA3, 0xFFE4, 0}, {0xA4, 0xFFE9, Qt::Key_Alt}, {0xA5, 0xFFEA, Qt::Key_AltGr},
    {0xA4, 0xFFE7, 0}, {0xA5, 0xFFE8, 0}, {0xA5, 0xFE03, 0},
    {0x5B, 0xFFEB, Qt::Key_Meta}, {0x5B, 0, Qt::Key_Super_L}, {0x5C, 0xFFEC, Qt::Key_Super_R},
    // German dead keys: circumflex and acute.
    {0xDC, 0xFE52, Qt::Key_Dead_Circumflex}, {0xDD, 0xFE51, Qt::Key_Dead_Acute},
};

constexpr quint32 kKeysymF1 = 0xFFBE;
constexpr int kFunctionKeys = 24;  // F1 .. F24 = 0x70 .. 0x87

} // namespace

int VirtualKeys::fromKeysym(quint32 keysym)
{
    if (keysym >= 'a' && keysym <= 'z')
        return int(keysym) - 0x20;
    // Latin-1 lower-case letters (ä, ö, ü) fold to their capitals.
    if (keysym == 0xE4 || keysym == 0xF6 || keysym == 0xFC)
        return fromCharacter(int(keysym) - 0x20);
    if (keysym >= 0x20 && keysym <= 0xFF)
        return fromCharacter(int(keysym));
    if (keysym >= kKeysymF1 && keysym < kKeysymF1 + kFunctionKeys)
        return 0x70 + int(keysym - kKeysymF1);
    for (const NamedKey& k : kNamedKeys) {
        if (k.keysym == keysym)
            return k.virtualKey;
    }
    return 0;
}

int VirtualKeys::fromQtKey(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::KeypadModifier) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9)
            return 0x60 + (key - Qt::Key_0);
        switch (key) {
        case Qt::Key_Asterisk: return 0x6A;
        case Qt::Key_Plus: return 0x6B;
        case Qt::Key_Minus: return 0x6D;
        case Qt::Key_Period:
        case Qt::Key_Comma: return 0x6E;
        case Qt::Key_Slash: return 0x6F;
        default: break;
        }
    }
    if (key >= 0x20 && key <= 0xFF)
        return fromCharacter(key);
    if (key >= Qt::Key_F1 && key < Qt::Key_F1 + kFunctionKeys)
        return 0x70 + (key - Qt::Key_F1);
    for (const NamedKey& k : kNamedKeys) {
        if (k.qtKey != 0 && k.qtKey == key)
            return k.virtualKey;
    }
    return 0;
}

int VirtualKeys::fromKeyEvent(const QKeyEvent* event)
{
    if (event->nativeVirtualKey() != 0) {
        if (const int vk = fromKeysym(event->nativeVirtualKey()))
            return vk;
    }
    return fromQtKey(event->key(), event->modifiers());
}
