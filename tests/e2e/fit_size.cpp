// Prints "WxH", the size the clock fits its window to in the clock view for a font index, a layout
// and the seconds shown (1) or not (0), worked out by the clock's own sizing from the font file,
// so the end-to-end tests know what size a fitted window must have. Run in a folder with Fonts/.
// Usage: fit_size FONT LAYOUT SECONDS
#include <SDL/SDL_ttf.h>
#include <stdio.h>
#include <stdlib.h>

#include "app/clock_state.h"
#include "app/window_sizing.h"
#include "render/font_table.h"

// A console helper: it keeps its own main, which SDL 1.2 on Windows would hand to SDLmain.
#undef main

int main(int argc, char* argv[]) {
    if (argc != 4) {
        fprintf(stderr, "usage: fit_size FONT LAYOUT SECONDS\n");
        return 2;
    }
    giFont = atoi(argv[1]);
    giGraphics = atoi(argv[2]);
    giSecs = atoi(argv[3]) ? 1 : -1;
    if (TTF_Init() != 0 || giFont < 0 || giFont >= kFontCount) {
        fprintf(stderr, "fit_size: no font %s: %s\n", argv[1], TTF_GetError());
        return 1;
    }
    fontTable[giFont] =
        TTF_OpenFont(font_file(giFont / kFontSteps), font_point_size(giFont % kFontSteps));
    if (fontTable[giFont] == NULL) {
        fprintf(stderr, "fit_size: cannot open %s: %s\n", font_file(giFont / kFontSteps),
                TTF_GetError());
        return 1;
    }
    int width = 0, height = 0;
    clock_view_fit(&width, &height);
    printf("%dx%d\n", width, height);
    return 0;
}
