// Asks a window to close the way a window manager does: a WM_PROTOCOLS client message carrying
// WM_DELETE_WINDOW. Usage: close_window WINDOW_ID (on $DISPLAY).
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        fprintf(stderr, "usage: close_window WINDOW_ID\n");
        return 2;
    }
    const Window window = (Window)strtoul(argv[1], NULL, 0);
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "close_window: cannot open display %s\n", XDisplayName(NULL));
        return 1;
    }
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    if (sent == 0) {
        fprintf(stderr, "close_window: sending to window %s failed\n", argv[1]);
        return 1;
    }
    return 0;
}
