// Anti-aliased drawing of a glyph into palette indices: each pixel is sampled on an 8x8 grid;
// the share of samples inside gives the coverage, their mean tone the shade of gold.
#include "numeral_gen.h"

#include <algorithm>
#include <cmath>

namespace numeral_gen {

namespace {

constexpr int kSamples = 8; // per pixel side
// Palette layout: index 0 transparent, then fully covered pixels in many shades (a smooth
// gradient), then edge pixels in fewer shades times the partial coverage levels.
constexpr int kSolidTones = 64;
constexpr int kEdgeTones = 12;
constexpr int kCoverLevels = 16; // edge pixels cover 1..15 sixteenths
constexpr int kFirstSolid = 1;
constexpr int kFirstEdge = kFirstSolid + kSolidTones; // 65 + 12 * 15 = 245 entries in use

// The GIF has no partial transparency, so edges are blended against the clock's background.
constexpr Rgb kBackground = {60, 35, 12};
constexpr Rgb kToneDark = {196, 124, 22};
constexpr Rgb kToneMid = {240, 176, 48};
constexpr Rgb kToneBright = {255, 226, 128};

bool inside_polygon(const Polygon& polygon, double x, double y) {
    bool inside = false;
    const std::vector<Point>& p = polygon.points;
    for (std::size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
        if ((p[i].y > y) != (p[j].y > y) &&
            x < p[j].x + (y - p[j].y) * (p[i].x - p[j].x) / (p[i].y - p[j].y)) {
            inside = !inside;
        }
    }
    return inside;
}

double distance_to_outline(const Polygon& polygon, double x, double y) {
    double best = 1e30;
    const std::vector<Point>& p = polygon.points;
    for (std::size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
        const double ex = p[i].x - p[j].x;
        const double ey = p[i].y - p[j].y;
        const double len2 = ex * ex + ey * ey;
        double t = len2 > 0 ? ((x - p[j].x) * ex + (y - p[j].y) * ey) / len2 : 0.0;
        t = std::clamp(t, 0.0, 1.0);
        best = std::min(best, std::hypot(x - p[j].x - t * ex, y - p[j].y - t * ey));
    }
    return best;
}

Rgb tone_colour(double tone) {
    return tone < 0.5 ? mix(kToneDark, kToneMid, tone * 2)
                      : mix(kToneMid, kToneBright, tone * 2 - 1);
}

} // namespace

Rgb mix(Rgb a, Rgb b, double t) {
    auto channel = [t](int from, int to) {
        return static_cast<std::uint8_t>(std::lround(from + (to - from) * t));
    };
    return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

bool glyph_contains(const Glyph& glyph, double x, double y, double grow) {
    bool filled = false;
    for (const Polygon& polygon : glyph.polygons) {
        if (!polygon.cut && !filled) {
            filled = inside_polygon(polygon, x, y) ||
                     (grow > 0 && distance_to_outline(polygon, x, y) < grow);
        }
    }
    if (!filled) {
        return false;
    }
    for (const Polygon& polygon : glyph.polygons) {
        if (polygon.cut && inside_polygon(polygon, x, y) &&
            distance_to_outline(polygon, x, y) >= grow) {
            return false;
        }
    }
    return true;
}

IndexedImage render_glyph(const Glyph& glyph, double box_w, double box_h, const Style& style) {
    IndexedImage image;
    image.width = static_cast<int>(std::lround(box_w / kUnitsPerG * style.g));
    image.height = static_cast<int>(std::lround(box_h / kUnitsPerG * style.g));
    image.pixels.assign(static_cast<std::size_t>(image.width) * image.height, kTransparentIndex);

    // Sample grid over the whole canvas, kept so the rim can look at neighbouring samples.
    const int grid_w = image.width * kSamples;
    const int grid_h = image.height * kSamples;
    const double units_per_sample = kUnitsPerG / style.g / kSamples;
    const double grow = style.grow * kUnitsPerG / style.g;
    std::vector<char> grid(static_cast<std::size_t>(grid_w) * grid_h);
    for (int sy = 0; sy < grid_h; ++sy) {
        for (int sx = 0; sx < grid_w; ++sx) {
            grid[static_cast<std::size_t>(sy) * grid_w + sx] = glyph_contains(
                glyph, (sx + 0.5) * units_per_sample, (sy + 0.5) * units_per_sample, grow);
        }
    }
    auto filled = [&](int sx, int sy) {
        return sx >= 0 && sy >= 0 && sx < grid_w && sy < grid_h &&
               grid[static_cast<std::size_t>(sy) * grid_w + sx];
    };

    // A sample is on the rim when an empty sample lies within the rim radius.
    const int rim = static_cast<int>(std::lround(style.rim * kSamples));
    std::vector<std::pair<int, int>> disc;
    for (int dy = -rim; dy <= rim; ++dy) {
        for (int dx = -rim; dx <= rim; ++dx) {
            if ((dx || dy) && dx * dx + dy * dy <= rim * rim) {
                disc.emplace_back(dx, dy);
            }
        }
    }

    for (int py = 0; py < image.height; ++py) {
        for (int px = 0; px < image.width; ++px) {
            int count = 0;
            double tone_sum = 0.0;
            for (int sy = py * kSamples; sy < (py + 1) * kSamples; ++sy) {
                // Gold is a little lighter at the top of the canvas than at the bottom.
                const double tone = 0.68 - 0.36 * sy / grid_h;
                for (int sx = px * kSamples; sx < (px + 1) * kSamples; ++sx) {
                    if (!filled(sx, sy)) {
                        continue;
                    }
                    bool on_rim = false;
                    for (std::size_t k = 0; k < disc.size() && !on_rim; ++k) {
                        on_rim = !filled(sx + disc[k].first, sy + disc[k].second);
                    }
                    ++count;
                    tone_sum += on_rim ? tone + 0.4 : tone;
                }
            }
            const int cover = static_cast<int>(
                std::lround(static_cast<double>(count) * kCoverLevels / (kSamples * kSamples)));
            if (cover == 0) {
                continue;
            }
            const double tone = std::clamp(tone_sum / count, 0.0, 1.0);
            const int index =
                cover == kCoverLevels
                    ? kFirstSolid + static_cast<int>(std::lround(tone * (kSolidTones - 1)))
                    : kFirstEdge +
                          static_cast<int>(std::lround(tone * (kEdgeTones - 1))) *
                              (kCoverLevels - 1) +
                          cover - 1;
            image.pixels[static_cast<std::size_t>(py) * image.width + px] =
                static_cast<std::uint8_t>(index);
        }
    }
    return image;
}

std::vector<Rgb> gold_palette() {
    std::vector<Rgb> palette(256, kBackground);
    for (int shade = 0; shade < kSolidTones; ++shade) {
        palette[kFirstSolid + shade] = tone_colour(static_cast<double>(shade) / (kSolidTones - 1));
    }
    for (int shade = 0; shade < kEdgeTones; ++shade) {
        const Rgb gold = tone_colour(static_cast<double>(shade) / (kEdgeTones - 1));
        for (int cover = 1; cover < kCoverLevels; ++cover) {
            palette[kFirstEdge + shade * (kCoverLevels - 1) + cover - 1] =
                mix(kBackground, gold, static_cast<double>(cover) / kCoverLevels);
        }
    }
    return palette;
}

} // namespace numeral_gen
