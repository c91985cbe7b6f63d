#include "settings/settings_file.h"

#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/clock_state.h"

const char* const kSettingsFile = "config.cwk";

static const char kOpenFailed[] = "fopen failed on config\n";

int settings_value(const char* line) {
    long long value = strtoll(line, NULL, 10);
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return (int)value;
}

static int usable_side(int side, int fallback) {
    return side >= 1 && side <= kLargestWindowSide ? side : fallback;
}

void read_settings(void) {
    FILE* file = fopen(kSettingsFile, "r");
    // A folder opens for reading but has no lines: it is as unreadable as a missing file.
    struct stat info;
    if (file != NULL && (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode))) {
        fclose(file);
        file = NULL;
    }
    if (file == NULL) {
        fputs(kOpenFailed, stdout);
        return;
    }
    int* const targets[4] = {&giFont, &giGraphics, &giX, &giY};
    // Each read takes at most 254 characters, so the rest of an overlong line is the next value.
    char line[255];
    for (int i = 0; i < 4 && fgets(line, sizeof line, file) != NULL; ++i) {
        *targets[i] = settings_value(line);
    }
    fclose(file);
    giX = usable_side(giX, kDefaultWidth);
    giY = usable_side(giY, kDefaultHeight);
}

// Where the settings really live: the target of a link, so that saving replaces the file the
// link points to and keeps the link.
static void settings_target(char* path, size_t size) {
    ssize_t length = readlink(kSettingsFile, path, size - 1);
    if (length <= 0) {
        snprintf(path, size, "%s", kSettingsFile);
        return;
    }
    path[length] = '\0';
}

// Makes the rename itself durable. Best effort: the new settings are already in place, and some
// file systems cannot flush a folder.
static void flush_folder_of(const char* path) {
    char folder[4096] = ".";
    const char* slash = strrchr(path, '/');
    if (slash != NULL) {
        snprintf(folder, sizeof folder, "%.*s", (int)(slash == path ? 1 : slash - path), path);
    }
    const int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// Writes the four lines to a new file of a unique name beside the target. mkstemp creates it
// exclusively, so a link or file already at that name is never followed or overwritten; the
// content reaches the disk before the rename, so a crash leaves the old settings or the new ones.
static bool write_and_replace(const char* target, int width, int height) {
    char temporary[4096 + 8];
    snprintf(temporary, sizeof temporary, "%s.XXXXXX", target);
    const int fd = mkostemp(temporary, O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    // mkstemp makes the file private; give it the mode fopen would, as the umask allows.
    const mode_t umask_bits = umask(0);
    umask(umask_bits);
    FILE* file = fdopen(fd, "w");
    bool saved = file != NULL && fchmod(fd, 0666 & ~umask_bits) == 0 &&
                 fprintf(file, "%d\n%d\n%d\n%d\n", giFont, giGraphics, width, height) > 0 &&
                 fflush(file) == 0 && fsync(fd) == 0;
    if (file != NULL) {
        saved = fclose(file) == 0 && saved;
    } else {
        close(fd);
    }
    saved = saved && rename(temporary, target) == 0;
    if (!saved) {
        unlink(temporary);
        return false;
    }
    flush_folder_of(target);
    return true;
}

void save_settings_with_size(int width, int height) {
    char target[4096];
    settings_target(target, sizeof target);
    if (!write_and_replace(target, width, height)) {
        fputs(kOpenFailed, stdout);
    }
}

void save_settings(void) {
    save_settings_with_size(giX, giY);
}
