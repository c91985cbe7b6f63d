#include "app/frame_loop.h"

#include <SDL/SDL_ttf.h>

#include "app/caption.h"
#include "app/clock_state.h"
#include "app/key_commands.h"
#include "app/window_sizing.h"
#include "klingon/klingon_time.h"
#include "render/background.h"
#include "render/font_table.h"
#include "render/legend.h"
#include "render/numeral_row.h"
#include "settings/settings_file.h"

bool start_clock(void) {
    giX = kDefaultWidth;
    giY = kDefaultHeight;
    read_settings();
    // Sound may be missing; the clock needs none of it, so the result is not looked at.
    SDL_Init(SDL_INIT_EVERYTHING);
    TTF_Init();
    // Release what the clock never uses: the timer thread alone woke the process every
    // millisecond. SDL_Delay and SDL_GetTicks need no timer subsystem.
    SDL_QuitSubSystem(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_CDROM | SDL_INIT_JOYSTICK);
    if (!open_window()) {
        return false;
    }
    const time_t now = time(NULL);
    const struct tm* today = localtime(&now);
    SDL_WM_SetCaption(caption_for_date(today->tm_mday, today->tm_mon), NULL);
    return true;
}

void load_resources(void) {
    open_font_table();
    load_pictures();
    generate_strips();
}

// Which code set key events carry depends on the SDL 1.2 runtime loaded and its video driver.
static int runtime_key_codes_are_x11(void) {
    char driver[16] = "";
    SDL_VideoDriverName(driver, sizeof driver);
    return key_codes_are_x11(SDL_Linked_Version()->patch, driver);
}

static void take_one_event(void) {
    SDL_Event event;
    if (!SDL_PollEvent(&event)) {
        return;
    }
    switch (event.type) {
    case SDL_QUIT:
        giRun = 0;
        break;
    case SDL_VIDEORESIZE:
        resize_event(event.resize.w, event.resize.h);
        break;
    case SDL_KEYUP:
        key_command(event.key.keysym.scancode, runtime_key_codes_are_x11());
        break;
    default:
        break;
    }
}

void run_frame_stages(const struct tm* forcedTime) {
    take_one_event();
    wrap_font_index();

    const time_t now = time(NULL);
    const struct tm* clock = forcedTime ? forcedTime : localtime(&now);
    const int hour = clock->tm_hour;
    const int minute = clock->tm_min;
    const int second = clock->tm_sec;
    char timeText[kTimeTextSize];
    timeText[0] = '\0';
    fConvTime(hour, minute, second, giSecs, timeText);

    paint_background();
    apply_pending_resize();
    if (giKlingon == 1) {
        draw_text_line(timeText);
        draw_clock_row(timeText, hour, minute, second);
    } else {
        draw_legend();
    }
    SDL_UpdateRect(screen, 0, 0, giX, giY);
}

void run_frame_pass(void) {
    run_frame_stages(NULL);
    SDL_Delay(50);
}
