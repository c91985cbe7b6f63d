#include "app/key_commands.h"

#include <limits.h>
#include <stdio.h>
#include <string.h>

#include "app/clock_state.h"
#include "app/window_sizing.h"
#include "render/font_table.h"
#include "settings/settings_file.h"

KeyCommand command_for_pc_scancode(int scancode) {
    switch (scancode) {
    case 1:  // Esc
    case 16: // Q
        return kQuit;
    case 12: // -
    case 74: // keypad -
        return kSmallerSize;
    case 13: // =
    case 78: // keypad +
        return kLargerSize;
    case 31: // S
        return kToggleSeconds;
    case 33: // F
        return kNextFamily;
    case 34: // G
        return kNextLayout;
    case 37: // K
        return kToggleView;
    case 46: // C
        return kSaveSettings;
    default:
        return kNoCommand;
    }
}

KeyCommand command_for_x11_keycode(int keycode) {
    // For these keys the Linux key code equals the PC set-1 scancode, and X adds 8 to it.
    return keycode >= 8 ? command_for_pc_scancode(keycode - 8) : kNoCommand;
}

int key_codes_are_x11(int runtimePatchLevel, const char* videoDriver) {
#ifdef __linux__
    // The compat runtime makes up Linux key codes + 8 from SDL 2's scancodes, whatever the
    // driver; its patch levels start at 50.
    if (runtimePatchLevel >= 50) {
        return 1;
    }
#else
    (void)runtimePatchLevel;
#endif
    return strcmp(videoDriver, "x11") == 0;
}

// value + step, held at the int limits instead of overflowing. Only a hand-edited settings file
// brings a value near them (before the first wrap of the font index, or as a layout), and there
// the steps below still behave as they do for every other value out of range.
static int step_within_int(int value, int step) {
    int sum;
    if (__builtin_add_overflow(value, step, &sum)) {
        return step > 0 ? INT_MAX : INT_MIN;
    }
    return sum;
}

void run_command(KeyCommand command) {
    switch (command) {
    case kQuit:
        giRun = 0;
        break;
    case kSmallerSize:
        // Stays at the smallest size of its family instead of crossing into the one below.
        giFont = step_within_int(giFont, -1);
        giChange = 1;
        if (giFont % 6 == 5) {
            giFont += 1;
            giChange = 0;
        }
        break;
    case kLargerSize:
        giFont = step_within_int(giFont, 1);
        giChange = 1;
        if (giFont % 6 == 0) {
            giFont -= 1;
            giChange = 0;
        }
        break;
    case kToggleSeconds:
        giSecs = -giSecs;
        giChange = 1;
        break;
    case kNextFamily:
        // Past the last family the cycle continues at family 2, same size.
        giFont = step_within_int(giFont, 6);
        giChange = 1;
        if (giFont > 53) {
            giFont -= 42;
        }
        break;
    case kNextLayout:
        giChange = 1;
        giGraphics = step_within_int(giGraphics, 1);
        if (giGraphics == 4) {
            giGraphics = 1;
        }
        break;
    case kToggleView:
        giKlingon = -giKlingon;
        giChange = 1;
        break;
    case kSaveSettings: {
        int width = 0;
        int height = 0;
        window_size_to_save(&width, &height);
        save_settings_with_size(width, height);
        break;
    }
    case kNoCommand:
        break;
    }
}

void key_command(int scancode, int x11Codes) {
    printf("Key pressed %d \n", scancode);
    run_command(x11Codes ? command_for_x11_keycode(scancode) : command_for_pc_scancode(scancode));
}

void wrap_font_index(void) {
    // One step past the end comes back to the start; an index from a hand-edited file that is
    // further out still is brought into range the same way.
    if (giFont > kFontCount - 1) {
        giFont %= kFontCount;
    }
    if (giFont < 0) {
        giFont = kFontCount - 1;
    }
}
