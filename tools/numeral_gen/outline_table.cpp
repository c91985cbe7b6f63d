// Reader of the outline table (assets/numerals.txt).
//
//   glyph 0              starts the entry of numeral 0 (0..9, or "dot" for the colon mark)
//   12,8 40,20 30,60     one polygon per line: x,y points, closed automatically
//   cut 20,30 ...        a polygon removed from the glyph (a hole)
//   # ...                comment, to the end of the line
#include "numeral_gen.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace numeral_gen {

namespace {

bool parse_number(const std::string& text, double& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(value);
}

bool parse_point(const std::string& word, Point& point) {
    const std::string::size_type comma = word.find(',');
    return comma != std::string::npos && parse_number(word.substr(0, comma), point.x) &&
           parse_number(word.substr(comma + 1), point.y);
}

// Index of a glyph name: 0..9 for numerals, 10 for the dot, -1 if unknown.
int glyph_slot(const std::string& name) {
    if (name.size() == 1 && name[0] >= '0' && name[0] <= '9') {
        return name[0] - '0';
    }
    return name == "dot" ? 10 : -1;
}

std::string slot_name(int slot) {
    return slot == 10 ? std::string("dot") : std::to_string(slot);
}

} // namespace

bool parse_outline_table(std::istream& in, const std::string& name, OutlineTable& table,
                         std::string& error) {
    table = OutlineTable{};
    bool seen[11] = {};
    int current = -1;
    int line_no = 0;
    std::string line;
    auto fail = [&](const std::string& what) {
        error = name + ":" + std::to_string(line_no) + ": " + what;
        return false;
    };

    while (std::getline(in, line)) {
        ++line_no;
        std::istringstream words(line.substr(0, line.find('#'))); // without its comment
        std::string word;
        if (!(words >> word)) {
            continue;
        }
        if (word == "glyph") {
            std::string glyph_name;
            if (!(words >> glyph_name)) {
                return fail("'glyph' needs a name (0..9 or dot)");
            }
            current = glyph_slot(glyph_name);
            if (current < 0) {
                return fail("unknown glyph '" + glyph_name + "' (expected 0..9 or dot)");
            }
            if (seen[current]) {
                return fail("glyph " + glyph_name + " is defined twice");
            }
            seen[current] = true;
            if (words >> word) {
                return fail("unexpected '" + word + "' after the glyph name");
            }
            continue;
        }
        if (current < 0) {
            return fail("polygon before the first 'glyph' line");
        }

        Polygon polygon;
        if (word == "cut") {
            polygon.cut = true;
            if (!(words >> word)) {
                return fail("'cut' needs points");
            }
        }
        const double box_w = current == 10 ? kDotBoxW : kDigitBoxW;
        const double box_h = current == 10 ? kDotBoxH : kDigitBoxH;
        do {
            Point point;
            if (!parse_point(word, point)) {
                return fail("expected a point x,y, got '" + word + "'");
            }
            if (point.x < 0 || point.x > box_w || point.y < 0 || point.y > box_h) {
                std::ostringstream what;
                what << "point " << word << " lies outside the " << box_w << "x" << box_h
                     << " box of glyph " << slot_name(current);
                return fail(what.str());
            }
            polygon.points.push_back(point);
        } while (words >> word);
        if (polygon.points.size() < 3) {
            return fail("a polygon needs at least 3 points");
        }
        Glyph& glyph = current == 10 ? table.dot : table.digits[current];
        glyph.polygons.push_back(polygon);
    }

    for (int slot = 0; slot <= 10; ++slot) {
        const Glyph& glyph = slot == 10 ? table.dot : table.digits[slot];
        const bool has_fill = std::any_of(glyph.polygons.begin(), glyph.polygons.end(),
                                          [](const Polygon& polygon) { return !polygon.cut; });
        if (!seen[slot] || !has_fill) {
            error = name + ": glyph " + slot_name(slot) +
                    (seen[slot] ? " has no filled polygon" : " is missing");
            return false;
        }
    }
    return true;
}

bool load_outline_table(const std::string& path, OutlineTable& table, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = path + ": cannot open the outline table";
        return false;
    }
    return parse_outline_table(in, path, table, error);
}

} // namespace numeral_gen
