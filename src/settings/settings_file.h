// The settings file "config.cwk": font index, layout, width and height, one decimal per line.
#pragma once

// The name of the settings file, in the working directory.
extern const char* const kSettingsFile;

// The largest window side the video mode accepts (X rejects 16384 and above).
const int kLargestWindowSide = 16383;

// Converts a line as atoi does (leading space, optional sign, digits up to the first other
// character; none gives 0), but clamps numbers beyond the int range instead of overflowing.
int settings_value(const char* line);

// Reads giFont, giGraphics, giX and giY from the settings file. A missing file prints
// "fopen failed on config" and keeps the defaults, as does every missing line. A window side
// that no window can have (below 1 or above kLargestWindowSide) keeps its default too.
void read_settings(void);

// Writes giFont, giGraphics, and width x height for the window size. The new content goes to a
// newly created file of a unique name beside the settings file (or beside the file a link named
// config.cwk points to), is flushed to disk and then renamed over it, so a failed save or a crash
// leaves the old file whole, and no link planted beside it can redirect the write. Any failure
// prints "fopen failed on config".
void save_settings_with_size(int width, int height);
