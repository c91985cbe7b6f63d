// Prints "WIDTH HEIGHT" of a text as SDL_ttf measures it in a font file at a point size, so the
// end-to-end tests know what size a fitted window must have. Usage: text_size FONT POINTS TEXT
#include <SDL/SDL_ttf.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char* argv[]) {
    if (argc != 4) {
        fprintf(stderr, "usage: text_size FONT POINTS TEXT\n");
        return 2;
    }
    if (TTF_Init() != 0) {
        fprintf(stderr, "text_size: TTF_Init failed: %s\n", TTF_GetError());
        return 1;
    }
    TTF_Font* font = TTF_OpenFont(argv[1], atoi(argv[2]));
    int width = 0;
    int height = 0;
    if (font == NULL || TTF_SizeText(font, argv[3], &width, &height) != 0) {
        fprintf(stderr, "text_size: cannot measure in %s at %s pt: %s\n", argv[1], argv[2],
                TTF_GetError());
        return 1;
    }
    printf("%d %d\n", width, height);
    TTF_CloseFont(font);
    TTF_Quit();
    return 0;
}
