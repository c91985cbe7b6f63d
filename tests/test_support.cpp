#include "test_support.h"

#include <SDL/SDL_ttf.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#endif

#include "app/clock_state.h"
#include "app/key_commands.h"
#include "app/window_sizing.h"
#include "render/font_table.h"
#include "render/numeral_row.h"

// A new path in the temporary folder, made by make (which fails when the name is taken).
template <typename Make> static std::filesystem::path new_temporary(const char* stem, Make make) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    for (int attempt = 0;; ++attempt) {
        std::filesystem::path path =
            folder / (stem + std::to_string(getpid()) + "-" + std::to_string(attempt));
        if (make(path)) {
            return path;
        }
    }
}

static int gSavedStdout = -1;
static std::filesystem::path gCapturePath;

void begin_capture(void) {
    fflush(stdout);
    FILE* file = NULL;
    gCapturePath = new_temporary("chronwick-capture-", [&](const std::filesystem::path& path) {
        return (file = fopen(path.string().c_str(), "wx")) != NULL;
    });
    gSavedStdout = dup(fileno(stdout));
    dup2(fileno(file), fileno(stdout));
    fclose(file);
}

// Read as text, so that what the C runtime wrote with CR LF line ends reads as "\n".
std::string end_capture(void) {
    fflush(stdout);
    dup2(gSavedStdout, fileno(stdout));
    close(gSavedStdout);
    const std::string text = read_file(gCapturePath.string(), std::ios::in);
    std::filesystem::remove(gCapturePath);
    return text;
}

std::string text_file(std::string lines) {
#ifdef _WIN32
    for (size_t at = 0; (at = lines.find('\n', at)) != std::string::npos; at += 2) {
        lines.insert(at, 1, '\r');
    }
#endif
    return lines;
}

int count_lines(const std::string& text, const std::string& line) {
    std::istringstream in(text);
    std::string current;
    int count = 0;
    while (std::getline(in, current)) {
        count += current == line;
    }
    return count;
}

static std::string gScratchDir;

std::string enter_scratch_dir(void) {
    gScratchDir = new_temporary("chronwick-test-", [](const std::filesystem::path& path) {
                      return std::filesystem::create_directory(path);
                  }).string();
    std::filesystem::current_path(gScratchDir);
    return gScratchDir;
}

void leave_scratch_dir(void) {
    std::filesystem::current_path(CHRONWICK_RUNTIME_DIR);
    if (!gScratchDir.empty()) {
        std::filesystem::remove_all(gScratchDir);
    }
    gScratchDir.clear();
}

void write_file(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::string read_file(const std::string& path, std::ios::openmode mode) {
    std::ifstream in(path, mode);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::set<std::string> folder_entries(const std::string& path) {
    std::set<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

void open_dummy_window(void) {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        SDL_Init(SDL_INIT_VIDEO);
        TTF_Init();
    }
    open_window();
    drain_events();
}

void drain_events(void) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
}

int runtime_key_code(int pcScancode) {
    char driver[16] = "";
    SDL_VideoDriverName(driver, sizeof driver);
    return key_codes_are_x11(SDL_Linked_Version()->patch, driver) ? pcScancode + 8 : pcScancode;
}

std::string key_report(int pcScancode) {
    return "Key pressed " + std::to_string(runtime_key_code(pcScancode)) + " \n";
}

int push_key_release(int pcScancode) {
    SDL_Event event = {};
    event.type = SDL_KEYUP;
    event.key.type = SDL_KEYUP;
    event.key.state = SDL_RELEASED;
    event.key.keysym.scancode = (Uint8)runtime_key_code(pcScancode);
    return SDL_PushEvent(&event);
}

int push_resize(int width, int height) {
    SDL_Event event = {};
    event.type = SDL_VIDEORESIZE;
    event.resize.w = width;
    event.resize.h = height;
    return SDL_PushEvent(&event);
}

struct tm clock_reading(int hour, int minute, int second) {
    struct tm time = {};
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    time.tm_mday = 1;
    return time;
}

void load_fonts_and_pictures(void) {
    open_font_table();
    load_pictures();
}

void load_runtime_resources(void) {
    [[maybe_unused]] static const std::string once = printed_by(load_fonts_and_pictures);
}

Uint32 rgb_at(SDL_Surface* surface, int x, int y) {
    Uint32 pixel = ((Uint32*)surface->pixels)[y * (surface->pitch / 4) + x];
    Uint8 r, g, b;
    SDL_GetRGB(pixel, surface->format, &r, &g, &b);
    return (Uint32)r << 16 | (Uint32)g << 8 | b;
}

SDL_Surface* solid_picture(int width, int height, Uint32 rgb) {
    SDL_Surface* picture =
        SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_FillRect(picture, NULL,
                 SDL_MapRGB(picture->format, rgb >> 16, rgb >> 8 & 0xFF, rgb & 0xFF));
    return picture;
}
