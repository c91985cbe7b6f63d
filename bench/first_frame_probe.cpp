// first_frame_probe [--window-only] [--output FILE] PROGRAM [ARGUMENT...]
//
// Starts PROGRAM on the X display named by DISPLAY, which should show no other window, and
// watches the screen from outside: it reports how long after the exec a top-level window became
// viewable and how long until that window first showed the clock's background (a corner of it in
// the strips' dark red-brown range), then waits for PROGRAM to end. PROGRAM is not changed or
// instrumented in any way. Report lines on stdout:
//   pid N
//   window_ms T
//   first_frame_ms T     ("none" when PROGRAM ended or 15 s passed first)
//   first_frame_cpu_ms C (the processor time PROGRAM had used by then, from /proc)
// PROGRAM's own output goes to FILE (default /dev/null). The exit status is PROGRAM's.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
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
static int ignore_x_error(Display* display, XErrorEvent* error) {
    (void)display;
    (void)error;
    return 0;
}

// The first viewable top-level window, or 0.
static Window find_viewable_window(Display* display) {
    Window rootReturn = 0;
    Window parent = 0;
    Window* children = NULL;
    unsigned count = 0;
    Window found = 0;
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
    if (children != NULL) {
        XFree(children);
    }
    return found;
}

static int channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) {
        return 0;
    }
    while ((mask & 1) == 0) {
        mask >>= 1;
        pixel >>= 1;
    }
    return (int)(pixel & mask);
}

// True when nine in ten pixels of the window's bottom-right corner, where neither the words nor
// the numerals reach, lie in the strips' colour range (red 30-138, green 20-78, blue 0-33).
static bool shows_background(Display* display, Window window) {
    const int sampleWidth = 32;
    const int sampleHeight = 16;
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
            const int red = channel(pixel, image->red_mask);
            const int green = channel(pixel, image->green_mask);
            const int blue = channel(pixel, image->blue_mask);
            if (red >= 30 && red <= 138 && green >= 20 && green <= 78 && blue <= 33) {
                ++matching;
            }
        }
    }
    XDestroyImage(image);
    return matching * 10 >= sampleWidth * sampleHeight * 9;
}

// User plus system time of a process so far, in milliseconds; -1 when it cannot be read.
static double process_cpu_ms(pid_t pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/stat", (int)pid);
    FILE* file = fopen(path, "r");
    if (file == NULL) {
        return -1;
    }
    char line[1024];
    const bool read = fgets(line, sizeof line, file) != NULL;
    fclose(file);
    // The fields after the command name, which is in parentheses and may hold spaces.
    const char* rest = read ? strrchr(line, ')') : NULL;
    unsigned long userTicks = 0;
    unsigned long systemTicks = 0;
    if (rest == NULL || sscanf(rest + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu",
                               &userTicks, &systemTicks) != 2) {
        return -1;
    }
    return (double)(userTicks + systemTicks) * 1000.0 / (double)sysconf(_SC_CLK_TCK);
}

static int exit_status(int status) {
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    // Stopped by the benchmark script's SIGTERM: not a failure of the probe.
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM ? 0 : 1;
}

int main(int argc, char* argv[]) {
    bool windowOnly = false;
    const char* output = "/dev/null";
    int first = 1;
    while (first < argc && argv[first][0] == '-') {
        if (strcmp(argv[first], "--window-only") == 0) {
            windowOnly = true;
            first += 1;
        } else if (strcmp(argv[first], "--output") == 0 && first + 1 < argc) {
            output = argv[first + 1];
            first += 2;
        } else {
            break;
        }
    }
    if (first >= argc) {
        fprintf(stderr, "usage: first_frame_probe [--window-only] [--output FILE] PROGRAM "
                        "[ARGUMENT...]\n");
        return 2;
    }
    setvbuf(stdout, NULL, _IOLBF, 0);
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "first_frame_probe: cannot open display '%s'\n",
                getenv("DISPLAY") ? getenv("DISPLAY") : "");
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
        const int fd = open(output, O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (fd >= 0) {
            dup2(fd, STDOUT_FILENO);
            dup2(fd, STDERR_FILENO);
            close(fd);
        }
        close(ConnectionNumber(display));
        execvp(argv[first], &argv[first]);
        perror("first_frame_probe: exec");
        _exit(127);
    }
    printf("pid %d\n", (int)child);

    Window window = 0;
    int status = 0;
    bool ended = false;
    bool framed = windowOnly;
    while (!ended) {
        if (waitpid(child, &status, WNOHANG) == child) {
            ended = true;
            break;
        }
        const double now = elapsed_ms(&start);
        if (window == 0) {
            window = find_viewable_window(display);
            if (window != 0) {
                printf("window_ms %.1f\n", now);
            }
        }
        if (window != 0 && !framed && shows_background(display, window)) {
            printf("first_frame_ms %.1f\n", now);
            printf("first_frame_cpu_ms %.0f\n", process_cpu_ms(child));
            framed = true;
        }
        if ((window != 0 && framed) || now > kFrameTimeoutMs) {
            break;
        }
        usleep(1000);
    }
    if (window == 0) {
        printf("window_ms none\n");
    }
    if (!framed) {
        printf("first_frame_ms none\n");
    }
    XCloseDisplay(display);
    if (!ended) {
        waitpid(child, &status, 0);
    }
    return exit_status(status);
}
