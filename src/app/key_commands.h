// Key releases to commands, and keeping the font index in range.
#pragma once

enum KeyCommand {
    kNoCommand,
    kQuit,
    kSmallerSize,
    kLargerSize,
    kToggleSeconds,
    kNextFamily,
    kNextLayout,
    kToggleView,
    kSaveSettings,
};

// The command of a physical key, from the code its release event carries: the PC set-1
// scancode, or on X11 the X keycode (the Linux key code + 8).
KeyCommand command_for_pc_scancode(int scancode);
KeyCommand command_for_x11_keycode(int keycode);

// Runs one command on the clock state.
void run_command(KeyCommand command);

// Reports a released key and runs its command; x11Codes says which code set the event carries.
void key_command(int scancode, int x11Codes);

// Brings giFont back into 0-53, once a pass.
void wrap_font_index(void);
