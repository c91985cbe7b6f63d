// Where the window stands and what the window manager keeps for it, carried from a window the
// SDL runtime is about to replace to the one that replaces it. X11 only: other display systems
// place windows themselves.
#pragma once

// A fixed set of window-manager states (above or below others, on every desktop) and the desktop.
struct WindowPlace {
    bool known; // false where the window is not an X11 one
    int x;      // the window's inside, on the screen
    int y;
    int stateCount;
    unsigned long states[3];
    bool onDesktop; // whether desktop was set by the window manager
    long desktop;   // 0xFFFFFFFF: every desktop
};

// Reads the place of the window SDL draws in now.
WindowPlace read_window_place(void);

// Asks the window manager to give the window SDL draws in now the states and desktop of place.
void restore_window_states(const WindowPlace* place);
