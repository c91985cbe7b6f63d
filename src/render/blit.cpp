#include "render/blit.h"

void apply_surface(int x, int y, SDL_Surface* source, SDL_Surface* destination) {
    if (source == NULL || destination == NULL) {
        return;
    }
    SDL_Rect offset;
    offset.x = (Sint16)x;
    offset.y = (Sint16)y;
    SDL_BlitSurface(source, NULL, destination, &offset);
}
