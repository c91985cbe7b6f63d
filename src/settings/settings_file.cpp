#include "settings/settings_file.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include "app/clock_state.h"
#include "settings/replace_file.h"

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

void save_settings_with_size(int width, int height) {
    char text[4 * 12 + 1];
    snprintf(text, sizeof text, "%d\n%d\n%d\n%d\n", giFont, giGraphics, width, height);
    if (!replace_file_with_text(kSettingsFile, text)) {
        fputs(kOpenFailed, stdout);
    }
}
