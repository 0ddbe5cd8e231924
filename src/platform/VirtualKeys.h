#pragma once

#include <Qt>
#include <QtGlobal>

class QKeyEvent;

// Keyboard virtual-key codes (the numbering the key table and the key
// dialogs use: 0x41 'A', 0x0D Enter, 0xA0 left Shift, ...) of Qt key events.
// Under X11 the event's keysym decides, so left and right modifiers and the
// keypad are told apart; where the platform gives no keysym (offscreen,
// Wayland without one) the Qt key and its keypad modifier decide. Shifted
// symbols name the key they are typed on ("!" is the 1 key). 0 means no code.
class VirtualKeys
{
public:
    static int fromKeyEvent(const QKeyEvent* event);
    static int fromKeysym(quint32 keysym);
    static int fromQtKey(int key, Qt::KeyboardModifiers modifiers);
};
