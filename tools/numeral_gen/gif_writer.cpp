// Writes an indexed picture as a single-frame GIF whose index 0 is marked transparent.
#include "numeral_gen.h"

#include <gif_lib.h>

namespace numeral_gen {

bool write_gif(const std::string& path, const IndexedImage& image, const std::vector<Rgb>& palette,
               std::string& error) {
    int gif_error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &gif_error);
    if (!gif) {
        error = path + ": " + GifErrorString(gif_error);
        return false;
    }

    GifColorType colours[256] = {};
    for (std::size_t i = 0; i < palette.size() && i < 256; ++i) {
        colours[i] = {palette[i].r, palette[i].g, palette[i].b};
    }
    ColorMapObject* map = GifMakeMapObject(256, colours);

    GraphicsControlBlock control = {};
    control.DisposalMode = DISPOSAL_UNSPECIFIED;
    control.DelayTime = 0;
    control.TransparentColor = kTransparentIndex;
    GifByteType extension[4];
    const std::size_t extension_len = EGifGCBToExtension(&control, extension);

    bool ok = map && EGifPutScreenDesc(gif, image.width, image.height, 8, 0, map) == GIF_OK &&
              EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(extension_len),
                               extension) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, image.width, image.height, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < image.height; ++y) {
        // giflib takes a non-const row pointer but does not modify it.
        GifPixelType* row = const_cast<GifPixelType*>(&image.pixels[y * image.width]);
        ok = EGifPutLine(gif, row, image.width) == GIF_OK;
    }
    if (!ok) {
        error = path + ": " + GifErrorString(gif->Error);
    }
    GifFreeMapObject(map);
    if (EGifCloseFile(gif, &gif_error) != GIF_OK && ok) {
        error = path + ": " + GifErrorString(gif_error);
        ok = false;
    }
    return ok;
}

} // namespace numeral_gen
