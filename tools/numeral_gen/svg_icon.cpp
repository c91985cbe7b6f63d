// The application icon as SVG: its design (numeral_gen.h) with one numeral of the outline table.
#include "numeral_gen.h"

#include <cstdio>
#include <sstream>

namespace numeral_gen {

namespace {

double signed_area(const Polygon& polygon) {
    double area = 0.0;
    const std::vector<Point>& p = polygon.points;
    for (std::size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
        area += p[j].x * p[i].y - p[i].x * p[j].y;
    }
    return area / 2;
}

// The glyph as one path under the non-zero rule: filled polygons wind one way and cuts the
// other, so overlapping blades stay filled and holes stay open without needing a mask.
std::string glyph_path(const Glyph& glyph) {
    std::ostringstream out;
    for (const Polygon& polygon : glyph.polygons) {
        const bool reverse = (signed_area(polygon) > 0) != polygon.cut;
        const std::size_t n = polygon.points.size();
        for (std::size_t k = 0; k < n; ++k) {
            const Point& point = polygon.points[reverse ? n - 1 - k : k];
            out << (k ? " L" : (out.tellp() > 0 ? " M" : "M")) << point.x << ',' << point.y;
        }
        out << " Z";
    }
    return out.str();
}

std::string hex(Rgb colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.r, colour.g, colour.b);
    return text;
}

} // namespace

std::string svg_icon(const Glyph& glyph) {
    const double plate = kIconSize - 2 * kIconPlateInset;
    const std::string path = glyph_path(glyph);

    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kIconSize << "\" height=\""
        << kIconSize << "\" viewBox=\"0 0 " << kIconSize << ' ' << kIconSize << "\">\n"
        << "  <defs>\n"
        << "    <linearGradient id=\"plate\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">\n"
        << "      <stop offset=\"0\" stop-color=\"" << hex(kIconPlateTop) << "\"/>\n"
        << "      <stop offset=\"1\" stop-color=\"" << hex(kIconPlateBottom) << "\"/>\n"
        << "    </linearGradient>\n"
        << "    <linearGradient id=\"gold\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">\n"
        << "      <stop offset=\"0\" stop-color=\"" << hex(kIconGoldTop) << "\"/>\n"
        << "      <stop offset=\"1\" stop-color=\"" << hex(kIconGoldBottom) << "\"/>\n"
        << "    </linearGradient>\n"
        << "  </defs>\n"
        << "  <rect x=\"" << kIconPlateInset << "\" y=\"" << kIconPlateInset << "\" width=\""
        << plate << "\" height=\"" << plate << "\" rx=\"" << kIconPlateRadius
        << "\" fill=\"url(#plate)\" stroke=\"" << hex(kIconBorder) << "\" stroke-width=\""
        << kIconBorderWidth << "\"/>\n"
        << "  <g transform=\"translate(" << kIconGlyphLeft << ' ' << kIconGlyphTop << ") scale("
        << kIconGlyphScale
        << ")\">\n"
        // Stroked in the rim's colour, then filled over: the outer half of the stroke is the rim.
        << "    <path d=\"" << path << "\" fill=\"" << hex(kIconRim) << "\" stroke=\""
        << hex(kIconRim) << "\" stroke-width=\"" << kIconRimWidth
        << "\" stroke-linejoin=\"round\"/>\n"
        << "    <path d=\"" << path << "\" fill=\"url(#gold)\"/>\n"
        << "  </g>\n</svg>\n";
    return out.str();
}

} // namespace numeral_gen
