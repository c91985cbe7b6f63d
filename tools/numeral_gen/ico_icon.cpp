// The Windows application icon: the icon's design (numeral_gen.h) drawn at each size Windows
// asks for. Every entry is an uncompressed 32-bit DIB, so no PNG encoder is needed and every
// Windows version reads it.
#include "numeral_gen.h"

#include <algorithm>
#include <cmath>

namespace numeral_gen {

namespace {

constexpr int kIconSizes[] = {16, 24, 32, 48, 256};
constexpr int kSamples = 4; // per pixel side; the glyph test dominates the time at 256 px

constexpr double kPlateLeft = kIconPlateInset, kPlateRight = kIconSize - kIconPlateInset;

struct Sample {
    Rgb colour;
    bool opaque = false;
};

// Signed distance to the plate's outline: negative inside the rounded square.
double plate_distance(double x, double y) {
    const double centre = (kPlateLeft + kPlateRight) / 2;
    const double half = (kPlateRight - kPlateLeft) / 2 - kIconPlateRadius;
    const double dx = std::max(std::fabs(x - centre) - half, 0.0);
    const double dy = std::max(std::fabs(y - centre) - half, 0.0);
    const double corner = std::hypot(dx, dy);
    const double inner =
        std::min(std::max(std::fabs(x - centre), std::fabs(y - centre)) - half, 0.0);
    return corner + inner - kIconPlateRadius;
}

// The colour at a point of the 256-unit square. `grow` thickens the glyph (design units) so
// that its strokes keep about a pixel's width at the small sizes.
Sample sample_at(const Glyph& glyph, double x, double y, double grow) {
    const double gx = (x - kIconGlyphLeft) / kIconGlyphScale;
    const double gy = (y - kIconGlyphTop) / kIconGlyphScale;
    if (glyph_contains(glyph, gx, gy, grow)) {
        return {mix(kIconGoldTop, kIconGoldBottom, std::clamp(gy / kDigitBoxH, 0.0, 1.0)), true};
    }
    if (glyph_contains(glyph, gx, gy, grow + kIconRimWidth / 2)) {
        return {kIconRim, true};
    }
    const double d = plate_distance(x, y);
    if (d > kIconBorderWidth / 2) {
        return {};
    }
    if (d >= -kIconBorderWidth / 2) {
        return {kIconBorder, true};
    }
    const double t = (y - kPlateLeft) / (kPlateRight - kPlateLeft);
    return {mix(kIconPlateTop, kIconPlateBottom, t), true};
}

// Straight-alpha BGRA pixels, top row first; alpha is the share of opaque samples.
std::vector<std::uint8_t> draw_bgra(const Glyph& glyph, int size) {
    const double units_per_sample = kIconSize / size / kSamples;
    // Half a pixel of thickening at 16 px, fading out by 48 px.
    const double grow_px = std::max(0.0, 0.5 * (48 - size) / 32);
    const double grow = grow_px * kIconSize / size / kIconGlyphScale;
    std::vector<std::uint8_t> bgra(static_cast<std::size_t>(size) * size * 4);
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            double r = 0, g = 0, b = 0;
            int opaque = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const Sample s = sample_at(glyph, (px * kSamples + sx + 0.5) * units_per_sample,
                                               (py * kSamples + sy + 0.5) * units_per_sample, grow);
                    if (s.opaque) {
                        r += s.colour.r;
                        g += s.colour.g;
                        b += s.colour.b;
                        ++opaque;
                    }
                }
            }
            std::uint8_t* out = &bgra[(static_cast<std::size_t>(py) * size + px) * 4];
            if (opaque > 0) {
                out[0] = static_cast<std::uint8_t>(std::lround(b / opaque));
                out[1] = static_cast<std::uint8_t>(std::lround(g / opaque));
                out[2] = static_cast<std::uint8_t>(std::lround(r / opaque));
                out[3] = static_cast<std::uint8_t>(opaque * 255 / (kSamples * kSamples));
            }
        }
    }
    return bgra;
}

void put16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xff);
    out += static_cast<char>((value >> 8) & 0xff);
}

void put32(std::string& out, std::uint32_t value) {
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}

// One icon image: BITMAPINFOHEADER (height doubled for the colour and mask planes), the BGRA
// rows bottom-up, then the 1-bit AND mask (set = transparent), rows padded to 4 bytes.
std::string dib_entry(const std::vector<std::uint8_t>& bgra, int size) {
    const int mask_row = (size + 31) / 32 * 4;
    std::string out;
    put32(out, 40);
    put32(out, size);
    put32(out, 2 * size);
    put16(out, 1);  // planes
    put16(out, 32); // bits per pixel
    put32(out, 0);  // BI_RGB
    put32(out, size * size * 4 + mask_row * size);
    for (int k = 0; k < 4; ++k) {
        put32(out, 0); // resolution and palette fields, unused
    }
    for (int y = size - 1; y >= 0; --y) {
        out.append(reinterpret_cast<const char*>(&bgra[static_cast<std::size_t>(y) * size * 4]),
                   static_cast<std::size_t>(size) * 4);
    }
    for (int y = size - 1; y >= 0; --y) {
        std::string row(mask_row, '\0');
        for (int x = 0; x < size; ++x) {
            if (bgra[(static_cast<std::size_t>(y) * size + x) * 4 + 3] == 0) {
                row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
            }
        }
        out += row;
    }
    return out;
}

} // namespace

std::string ico_icon(const Glyph& glyph) {
    constexpr int count = sizeof kIconSizes / sizeof kIconSizes[0];
    std::string images[count];
    for (int i = 0; i < count; ++i) {
        images[i] = dib_entry(draw_bgra(glyph, kIconSizes[i]), kIconSizes[i]);
    }
    // ICONDIR, then one 16-byte ICONDIRENTRY per image; the images follow in the same order.
    std::string out;
    put16(out, 0);
    put16(out, 1); // an icon, not a cursor
    put16(out, count);
    std::uint32_t offset = 6 + 16 * count;
    for (int i = 0; i < count; ++i) {
        const int size = kIconSizes[i];
        out += std::string(2, static_cast<char>(size < 256 ? size : 0)); // 0 stands for 256
        out += std::string(2, '\0');                                     // no palette, reserved
        put16(out, 1);
        put16(out, 32);
        put32(out, static_cast<std::uint32_t>(images[i].size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const std::string& image : images) {
        out += image;
    }
    return out;
}

} // namespace numeral_gen
