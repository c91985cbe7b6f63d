#include "render/legend.h"

#include <stdio.h>

#include "app/clock_state.h"
#include "render/background.h"
#include "render/blit.h"
#include "render/draw_random.h"
#include "render/font_table.h"
#include "render/numeral_row.h"

void draw_legend(void) {
    apply_surface(0, 0, backgroundStrips[draw_random() % kStripCount], screen);
    TTF_Font* font = current_font();
    char label[4];
    for (int i = 0; i < 10; ++i) {
        apply_surface(50 * i, 0, numberImages[giKSize * 10 + i], screen);
        snprintf(label, sizeof label, "%d", i);
        SDL_Surface* rendered = font ? TTF_RenderText_Blended(font, label, textColor) : NULL;
        if (rendered != NULL) {
            apply_surface(50 * i + 20, 60, rendered, screen);
            SDL_FreeSurface(rendered);
        }
    }
}
