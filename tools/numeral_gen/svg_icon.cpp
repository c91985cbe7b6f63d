// The application icon: one numeral from the outline table, gold on a dark red rounded square.
#include "numeral_gen.h"

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

} // namespace

std::string svg_icon(const Glyph& glyph) {
    // The 100x140 design box scaled by 1.4 and centred on the 256x256 square.
    const double scale = 1.4;
    const double left = 128 - kDigitBoxW * scale / 2;
    const double top = 128 - kDigitBoxH * scale / 2;
    const std::string path = glyph_path(glyph);

    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
           "viewBox=\"0 0 256 256\">\n"
        << "  <defs>\n"
        << "    <linearGradient id=\"plate\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">\n"
        << "      <stop offset=\"0\" stop-color=\"#7a2414\"/>\n"
        << "      <stop offset=\"1\" stop-color=\"#3c0e06\"/>\n"
        << "    </linearGradient>\n"
        << "    <linearGradient id=\"gold\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">\n"
        << "      <stop offset=\"0\" stop-color=\"#ffd868\"/>\n"
        << "      <stop offset=\"1\" stop-color=\"#dc9420\"/>\n"
        << "    </linearGradient>\n"
        << "  </defs>\n"
        << "  <rect x=\"8\" y=\"8\" width=\"240\" height=\"240\" rx=\"44\" fill=\"url(#plate)\" "
           "stroke=\"#a8401c\" stroke-width=\"4\"/>\n"
        << "  <g transform=\"translate(" << left << ' ' << top << ") scale(" << scale
        << ")\">\n"
        // Stroked in pale gold, then filled over: the outer half of the stroke is a bright edge.
        << "    <path d=\"" << path
        << "\" fill=\"#ffe8a0\" stroke=\"#ffe8a0\" stroke-width=\"2.4\" "
           "stroke-linejoin=\"round\"/>\n"
        << "    <path d=\"" << path << "\" fill=\"url(#gold)\"/>\n"
        << "  </g>\n</svg>\n";
    return out.str();
}

} // namespace numeral_gen
