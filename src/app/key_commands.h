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

// Whether key events carry X keycodes, from the SDL 1.2 runtime's patch level and its video
// driver name: on the x11 driver, and on Linux with the compat runtime over SDL 2 (patch level
// 50 and up; classic SDL 1.2 is 1.2.15) under every driver, Wayland included.
int key_codes_are_x11(int runtimePatchLevel, const char* videoDriver);

// Runs one command on the clock state.
void run_command(KeyCommand command);

// Reports a released key and runs its command; x11Codes says which code set the event carries.
void key_command(int scancode, int x11Codes);

// Brings giFont back into 0-53, once a pass.
void wrap_font_index(void);
