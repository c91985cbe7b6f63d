// Fuzzes the settings reader: each input is the content of config.cwk.
//
// What must hold for any content: no crash or undefined behaviour, a window side in
// 1..kLargestWindowSide, and the values read back unchanged after a save. For a file whose
// lines are plain small decimals the values are exactly atoi's, and a missing line keeps its
// default.
#include <dirent.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app/clock_state.h"
#include "fuzz_check.h"
#include "settings/settings_file.h"

static std::string gWorkDir;

static void remove_work_dir(void) {
    if (gWorkDir.empty()) {
        return;
    }
    unlink((gWorkDir + "/config.cwk").c_str());
    rmdir(gWorkDir.c_str());
}

// The reader opens config.cwk in the working directory, so every run works in a private folder.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/chronwick-settings-XXXXXX";
    std::vector<char> path(pattern.begin(), pattern.end());
    path.push_back('\0');
    if (mkdtemp(path.data()) == NULL || chdir(path.data()) != 0) {
        perror("settings_fuzz: cannot set up a private working folder");
        abort();
    }
    gWorkDir = path.data();
    atexit(remove_work_dir);
    return 0;
}

// A save leaves no file of its own beside config.cwk.
static bool only_the_settings_file_is_left(void) {
    DIR* folder = opendir(".");
    CHECK(folder != NULL);
    int others = 0;
    while (const dirent* entry = readdir(folder)) {
        const char* name = entry->d_name;
        others +=
            strcmp(name, ".") != 0 && strcmp(name, "..") != 0 && strcmp(name, "config.cwk") != 0;
    }
    closedir(folder);
    return others == 0;
}

static void write_settings_file(const uint8_t* data, size_t size) {
    FILE* file = fopen("config.cwk", "wb");
    CHECK(file != NULL);
    CHECK(size == 0 || fwrite(data, 1, size, file) == size);
    CHECK(fclose(file) == 0);
}

// "-?[0-9]{1,9}": a number atoi reads without any doubt about range or trailing text.
static bool plain_small_decimal(const std::string& line) {
    size_t start = !line.empty() && line[0] == '-' ? 1 : 0;
    size_t digits = line.size() - start;
    if (digits < 1 || digits > 9) {
        return false;
    }
    for (size_t i = start; i < line.size(); ++i) {
        if (line[i] < '0' || line[i] > '9') {
            return false;
        }
    }
    return true;
}

// The lines of a file made only of plain small decimals (at most the four that are read, and
// nothing after them but further lines); false for any other content.
static bool plain_lines(const uint8_t* data, size_t size, std::vector<std::string>* lines) {
    std::string text(reinterpret_cast<const char*>(data), size);
    size_t position = 0;
    while (position < text.size() && lines->size() < 4) {
        size_t end = text.find('\n', position);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(position, end - position);
        if (!plain_small_decimal(line)) {
            return false;
        }
        lines->push_back(line);
        position = end + 1;
    }
    return true;
}

static int side_or_default(int value, int fallback) {
    return value >= 1 && value <= kLargestWindowSide ? value : fallback;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    write_settings_file(data, size);
    reset_clock_state();
    read_settings();

    CHECK(giX >= 1 && giX <= kLargestWindowSide);
    CHECK(giY >= 1 && giY <= kLargestWindowSide);

    std::vector<std::string> lines;
    if (plain_lines(data, size, &lines)) {
        int expected[4] = {12, 1, kDefaultWidth, kDefaultHeight};
        for (size_t i = 0; i < lines.size(); ++i) {
            expected[i] = atoi(lines[i].c_str());
        }
        CHECK(giFont == expected[0]);
        CHECK(giGraphics == expected[1]);
        CHECK(giX == side_or_default(expected[2], kDefaultWidth));
        CHECK(giY == side_or_default(expected[3], kDefaultHeight));
    }

    // Whatever was read, saving it and reading again gives the same settings.
    const int font = giFont, layout = giGraphics, width = giX, height = giY;
    save_settings_with_size(giX, giY);
    CHECK(only_the_settings_file_is_left());
    reset_clock_state();
    read_settings();
    CHECK(giFont == font && giGraphics == layout && giX == width && giY == height);
    return 0;
}
