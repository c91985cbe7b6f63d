// first_frame_probe [--window-only] PROGRAM [ARGUMENT...]
//
// Starts PROGRAM on the X display named by DISPLAY, which should show no other window and be
// 24-bit TrueColor (as the benchmark's Xvfb is), and watches the screen from outside: how long
// after the exec a top-level window became viewable and, unless --window-only, how long until
// that window first showed the clock's background (a corner of it in the strips' dark red-brown
// range). Then it ends PROGRAM with SIGTERM, as a desktop would, and prints on stdout:
//   window_ms T
//   first_frame_ms T     (not with --window-only)
//   first_frame_cpu_ms C (the processor time PROGRAM had used by then)
// T and C are "none" when PROGRAM ended, or 15 s passed, first. PROGRAM is not changed or
// instrumented in any way; its own output goes to stderr, to keep stdout to the report. Exits 0
// when everything asked for was seen, 1 when not, 2 when the probe could not run.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static const double kFrameTimeoutMs = 15000.0;

static double elapsed_ms(const struct timespec* start) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)(now.tv_sec - start->tv_sec) * 1e3 +
           (double)(now.tv_nsec - start->tv_nsec) / 1e6;
}

// Windows can go away between listing and reading them; such errors just mean "not yet".
static int ignore_x_error(Display*, XErrorEvent*) {
    return 0;
}

// The first viewable top-level window, or 0.
static Window find_viewable_window(Display* display) {
    Window rootReturn = 0, parent = 0, found = 0;
    Window* children = NULL;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &rootReturn, &parent, &children, &count)) {
        return 0;
    }
    for (unsigned i = 0; i < count && found == 0; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable && attributes.c_class == InputOutput &&
            attributes.width > 40 && attributes.height > 24) {
            found = children[i];
        }
    }
    XFree(children);
    return found;
}

// True when nine in ten pixels of the window's bottom-right corner, where neither the words nor
// the numerals reach, lie in the strips' colour range (red 30-138, green 20-78, blue 0-33).
// Pixels are 0xRRGGBB, as main checked.
static bool shows_background(Display* display, Window window) {
    const int sampleWidth = 32, sampleHeight = 16;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.width < sampleWidth + 8 ||
        attributes.height < sampleHeight + 8) {
        return false;
    }
    XImage* image = XGetImage(display, window, attributes.width - sampleWidth - 8,
                              attributes.height - sampleHeight - 8, sampleWidth, sampleHeight,
                              AllPlanes, ZPixmap);
    if (image == NULL) {
        return false;
    }
    int matching = 0;
    for (int y = 0; y < sampleHeight; ++y) {
        for (int x = 0; x < sampleWidth; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            const unsigned long red = (pixel >> 16) & 0xff;
            const unsigned long green = (pixel >> 8) & 0xff;
            const unsigned long blue = pixel & 0xff;
            if (red >= 30 && red <= 138 && green >= 20 && green <= 78 && blue <= 33) {
                ++matching;
            }
        }
    }
    XDestroyImage(image);
    return matching * 10 >= sampleWidth * sampleHeight * 9;
}

// User plus system time of a running process so far, in milliseconds; -1 when it cannot be read.
static double process_cpu_ms(pid_t pid) {
    clockid_t clock;
    struct timespec used;
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &used) != 0) {
        return -1;
    }
    return (double)used.tv_sec * 1e3 + (double)used.tv_nsec / 1e6;
}

static void report(const char* name, double ms, int decimals) {
    if (ms < 0) {
        printf("%s none\n", name);
    } else {
        printf("%s %.*f\n", name, decimals, ms);
    }
}

int main(int argc, char* argv[]) {
    const bool windowOnly = argc > 1 && strcmp(argv[1], "--window-only") == 0;
    const int first = windowOnly ? 2 : 1;
    if (first >= argc) {
        fprintf(stderr, "usage: first_frame_probe [--window-only] PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "first_frame_probe: cannot open the display\n");
        return 2;
    }
    const Visual* visual = DefaultVisual(display, DefaultScreen(display));
    if (visual->red_mask != 0xff0000 || visual->green_mask != 0xff00 || visual->blue_mask != 0xff) {
        fprintf(stderr, "first_frame_probe: the display is not 24-bit TrueColor\n");
        return 2;
    }
    XSetErrorHandler(ignore_x_error);

    struct timespec start;
    clock_gettime(CLOCK_MONOTONIC, &start);
    const pid_t child = fork();
    if (child < 0) {
        perror("first_frame_probe: fork");
        return 2;
    }
    if (child == 0) {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        close(ConnectionNumber(display));
        execvp(argv[first], &argv[first]);
        perror("first_frame_probe: exec");
        _exit(127);
    }

    Window window = 0;
    double windowMs = -1, frameMs = -1, frameCpuMs = -1;
    bool ended = false;
    while (!(ended = waitpid(child, NULL, WNOHANG) == child)) {
        const double now = elapsed_ms(&start);
        if (window == 0 && (window = find_viewable_window(display)) != 0) {
            windowMs = now;
        }
        if (window != 0 && !windowOnly && shows_background(display, window)) {
            frameMs = now;
            frameCpuMs = process_cpu_ms(child);
        }
        if ((window != 0 && (windowOnly || frameMs >= 0)) || now > kFrameTimeoutMs) {
            break;
        }
        usleep(1000);
    }
    XCloseDisplay(display);
    if (!ended) {
        kill(child, SIGTERM);
        waitpid(child, NULL, 0);
    }
    report("window_ms", windowMs, 1);
    if (!windowOnly) {
        report("first_frame_ms", frameMs, 1);
        report("first_frame_cpu_ms", frameCpuMs, 0);
    }
    return windowMs >= 0 && (windowOnly || frameMs >= 0) ? 0 : 1;
}
