#pragma once

// Whether the window system blends translucent windows with what lies below.
// On X11 that takes a compositing manager; without one the transparent parts
// of a window show black.
class CompositingManager
{
public:
    // True on window systems that always composite (Wayland) or never show a
    // window (offscreen); on X11 true only while a compositing manager holds
    // the screen's "_NET_WM_CM_S<n>" selection. Asks the X server each time:
    // a compositor may start or stop while the program runs.
    static bool running();
};
