// Shared data and functions of the numeral picture generator: it reads the outline table, draws
// each glyph into an indexed picture and writes it as a GIF (or the icon as SVG or .ico).
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace numeral_gen {

// Outlines are designed at 10 units per G, the clock's layout unit.
constexpr double kUnitsPerG = 10.0;
constexpr double kDigitBoxW = 100.0;
constexpr double kDigitBoxH = 140.0;
constexpr double kDotBoxW = 80.0;
constexpr double kDotBoxH = 100.0;

struct Point {
    double x = 0.0;
    double y = 0.0;
};

// A closed polygon; a cut polygon is removed from the glyph instead of added to it.
struct Polygon {
    std::vector<Point> points;
    bool cut = false;
};

struct Glyph {
    std::vector<Polygon> polygons;
};

struct OutlineTable {
    Glyph digits[10];
    Glyph dot;
};

// Parses the table from `in`; `name` is used in messages. On failure returns false and sets
// `error` to "name:line: what is wrong".
bool parse_outline_table(std::istream& in, const std::string& name, OutlineTable& table,
                         std::string& error);
bool load_outline_table(const std::string& path, OutlineTable& table, std::string& error);

// How a size is drawn. `grow` thickens thin strokes (in output pixels) so they survive small
// sizes; `rim` is the width of the brighter edge band, 0 for none.
struct Style {
    int g = 1;
    double grow = 0.0;
    double rim = 0.0;
};

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

constexpr int kTransparentIndex = 0;

struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // row-major palette indices
};

// Point-in-shape test in design units, with strokes grown by `grow` units: inside any added
// polygon (or within `grow` of it) and not deep inside a cut.
bool glyph_contains(const Glyph& glyph, double x, double y, double grow);

// Draws the glyph over a canvas of box_w x box_h design units at the style's scale.
IndexedImage render_glyph(const Glyph& glyph, double box_w, double box_h, const Style& style);

// The colour a share t (0 to 1) of the way from a to b, each channel rounded.
Rgb mix(Rgb a, Rgb b, double t);

// 256 colours: the transparent index, then gold tones blended with the background by coverage.
std::vector<Rgb> gold_palette();

bool write_gif(const std::string& path, const IndexedImage& image, const std::vector<Rgb>& palette,
               std::string& error);

// The application icon's design in its 256-unit square: the glyph in gold, shaded top to
// bottom, with a pale rim (a stroke of kIconRimWidth design units, half of it outside), on a dark
// red rounded square with a brighter border centred on its edge.
constexpr double kIconSize = 256;
constexpr double kIconPlateInset = 8, kIconPlateRadius = 44, kIconBorderWidth = 4;
constexpr double kIconGlyphScale = 1.4; // the digit box, centred on the square
constexpr double kIconGlyphLeft = kIconSize / 2 - kDigitBoxW * kIconGlyphScale / 2;
constexpr double kIconGlyphTop = kIconSize / 2 - kDigitBoxH * kIconGlyphScale / 2;
constexpr double kIconRimWidth = 2.4;
constexpr Rgb kIconPlateTop = {0x7a, 0x24, 0x14}, kIconPlateBottom = {0x3c, 0x0e, 0x06};
constexpr Rgb kIconBorder = {0xa8, 0x40, 0x1c};
constexpr Rgb kIconGoldTop = {0xff, 0xd8, 0x68}, kIconGoldBottom = {0xdc, 0x94, 0x20};
constexpr Rgb kIconRim = {0xff, 0xe8, 0xa0};

// The icon as SVG, 256x256.
std::string svg_icon(const Glyph& glyph);
// The same icon as a Windows .ico (the file's bytes) at 16, 24, 32, 48 and 256 px.
std::string ico_icon(const Glyph& glyph);

} // namespace numeral_gen
