#include "app/x11_window.h"

#include <SDL/SDL.h>
#include <SDL/SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <string.h>

static const char* const kKeptStates[] = {"_NET_WM_STATE_ABOVE", "_NET_WM_STATE_BELOW",
                                          "_NET_WM_STATE_STICKY"};

// SDL's X11 connection and the window it draws in, when the video driver is X11.
static bool sdl_x11_window(Display** display, Window* window) {
    char driver[16] = "";
    if (SDL_VideoDriverName(driver, sizeof driver) == NULL || strcmp(driver, "x11") != 0) {
        return false;
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11 || info.info.x11.window == 0) {
        return false;
    }
    *display = info.info.x11.display;
    *window = info.info.x11.window;
    return true;
}

// The 32-bit items of a window property (longs, as Xlib hands them out); the caller XFrees them.
static long* read_property(Display* display, Window window, const char* name, Atom type,
                           unsigned long* count) {
    Atom actualType = None;
    int format = 0;
    unsigned long remaining = 0;
    unsigned char* data = NULL;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 64, False, type,
                           &actualType, &format, count, &remaining, &data) != Success) {
        return NULL;
    }
    if (data != NULL && (actualType != type || format != 32 || *count == 0)) {
        XFree(data);
        data = NULL;
    }
    return (long*)data;
}

WindowPlace read_window_place(void) {
    WindowPlace place = {};
    Display* display = NULL;
    Window window = 0;
    if (!sdl_x11_window(&display, &window)) {
        return place;
    }
    Window child = 0;
    place.known = XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &place.x,
                                        &place.y, &child);
    unsigned long count = 0;
    long* states = read_property(display, window, "_NET_WM_STATE", XA_ATOM, &count);
    for (const char* name : kKeptStates) {
        const Atom state = XInternAtom(display, name, False);
        for (unsigned long i = 0; states != NULL && i < count; ++i) {
            if ((Atom)states[i] == state) {
                place.states[place.stateCount++] = state;
            }
        }
    }
    if (states != NULL) {
        XFree(states);
    }
    long* desktop = read_property(display, window, "_NET_WM_DESKTOP", XA_CARDINAL, &count);
    if (desktop != NULL) {
        place.onDesktop = true;
        place.desktop = desktop[0];
        XFree(desktop);
    }
    return place;
}

// A request to the window manager about a mapped window, as the desktop hints say to send it.
static void ask_window_manager(Display* display, Window window, const char* message, long first,
                               long second, long third) {
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, message, False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = first;
    event.xclient.data.l[1] = second;
    event.xclient.data.l[2] = third;
    event.xclient.data.l[3] = 1; // from an application
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

void restore_window_states(const WindowPlace* place) {
    Display* display = NULL;
    Window window = 0;
    if (!place->known || !sdl_x11_window(&display, &window)) {
        return;
    }
    const long add = 1;
    for (int i = 0; i < place->stateCount; ++i) {
        ask_window_manager(display, window, "_NET_WM_STATE", add, (long)place->states[i], 0);
    }
    if (place->onDesktop) {
        ask_window_manager(display, window, "_NET_WM_DESKTOP", place->desktop, 1, 0);
    }
    XFlush(display);
}
