#include "platform/CompositingManager.h"

#include <QByteArray>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

bool CompositingManager::running()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return true;
    // A connection of our own: Qt keeps its X connection to itself.
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screen);
    std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> closer(connection, xcb_disconnect);
    if (xcb_connection_has_error(connection))
        return true;  // nothing known: keep the window as it is
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
    const xcb_intern_atom_cookie_t atomCookie =
        xcb_intern_atom(connection, 0, uint16_t(name.size()), name.constData());
    std::unique_ptr<xcb_intern_atom_reply_t, void (*)(void*)> atom(
        xcb_intern_atom_reply(connection, atomCookie, nullptr), std::free);
    if (!atom)
        return true;
    const xcb_get_selection_owner_cookie_t ownerCookie = xcb_get_selection_owner(connection, atom->atom);
    std::unique_ptr<xcb_get_selection_owner_reply_t, void (*)(void*)> owner(
        xcb_get_selection_owner_reply(connection, ownerCookie, nullptr), std::free);
    return !owner || owner->owner != XCB_NONE;
}
