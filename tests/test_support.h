// Helpers shared by the in-process tests: stdout capture, scratch folders and a dummy window.
#pragma once

#include <SDL/SDL.h>
#include <ios>
#include <set>
#include <string>
#include <time.h>

// Captures what the code under test prints on standard output.
void begin_capture(void);
std::string end_capture(void);
// What run() printed on standard output.
template <typename Run> std::string printed_by(Run run) {
    begin_capture();
    run();
    return end_capture();
}

// The bytes of a text file of these lines as the C runtime writes it: CR LF line ends on Windows.
std::string text_file(std::string lines);

// Counts the lines of text that equal line exactly (without its newline).
int count_lines(const std::string& text, const std::string& line);

// A fresh temporary folder, made the working directory; leave_scratch_dir removes it and goes
// back to the runtime folder (the tests' usual working directory).
std::string enter_scratch_dir(void);
void leave_scratch_dir(void);
void write_file(const std::string& path, const std::string& content);
// The bytes of a file, or with std::ios::in its text (CR LF read as "\n" on Windows).
std::string read_file(const std::string& path, std::ios::openmode mode = std::ios::binary);
// The names in a folder, without "." and "..".
std::set<std::string> folder_entries(const std::string& path);

// Starts SDL with the dummy driver at the clock's defaults and opens giX x giY, with an empty
// event queue.
void open_dummy_window(void);
// Takes every pending event. Opening a window may queue events of its own (the compat runtime
// queues focus changes), and each would take the pass a test means for the event it pushes.
void drain_events(void);
// The code a release of the key with this PC scancode carries on the SDL runtime and video
// driver in use (the X keycode where the clock reads X keycodes), and the line it reports.
int runtime_key_code(int pcScancode);
std::string key_report(int pcScancode);
// Queue a release of that key with the code the runtime would deliver, or a resize of the window
// by hand; each returns what SDL_PushEvent returns.
int push_key_release(int pcScancode);
int push_resize(int width, int height);
// A reading of the clock at that time of day, on the first of the month.
struct tm clock_reading(int hour, int minute, int second);

// Opens the fonts and pictures of the working folder; load_runtime_resources does so once per
// test binary.
void load_fonts_and_pictures(void);
void load_runtime_resources(void);

// The colour of a pixel of a 32-bit surface, as 0xRRGGBB.
Uint32 rgb_at(SDL_Surface* surface, int x, int y);
// A solid-colour picture of the given size.
SDL_Surface* solid_picture(int width, int height, Uint32 rgb);
