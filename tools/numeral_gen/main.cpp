// numeral_gen OUTDIR [TABLE]             draws the 33 numeral and colon pictures into OUTDIR
// numeral_gen --svg DIGIT OUTFILE [TABLE]  writes the application icon showing DIGIT
// numeral_gen --ico DIGIT OUTFILE [TABLE]  the same icon for Windows
#include "numeral_gen.h"

#include <filesystem>
#include <fstream>
#include <iostream>

#ifndef NUMERAL_TABLE_DEFAULT
#define NUMERAL_TABLE_DEFAULT "assets/numerals.txt"
#endif

namespace {

using namespace numeral_gen;

struct SizeStyle {
    Style style;
    int first_number; // numerals are written as first_number + digit
    const char* dot_name;
};

// Large, medium and small: the clock opens them by these names. The small size is thickened
// so that blade tips and thin strokes stay at least about 1.5 px wide.
const SizeStyle kSizes[] = {
    {{4, 0.0, 0.9}, 0, "circle.gif"},
    {{2, 0.12, 0.45}, 20, "circle2.gif"},
    {{1, 0.3, 0.0}, 40, "circle4.gif"},
};

int usage() {
    std::cerr << "usage: numeral_gen OUTDIR [TABLE]\n"
                 "       numeral_gen --svg|--ico DIGIT OUTFILE [TABLE]\n";
    return 2;
}

int fail(const std::string& message) {
    std::cerr << "numeral_gen: " << message << '\n';
    return 1;
}

int write_pictures(const std::string& out_dir, const OutlineTable& table) {
    std::error_code ec;
    std::filesystem::create_directories(out_dir, ec);
    if (ec) {
        return fail(out_dir + ": " + ec.message());
    }
    const std::vector<Rgb> palette = gold_palette();
    std::string error;
    for (const SizeStyle& size : kSizes) {
        for (int digit = 0; digit < 10; ++digit) {
            const IndexedImage image =
                render_glyph(table.digits[digit], kDigitBoxW, kDigitBoxH, size.style);
            const std::string path =
                out_dir + "/" + std::to_string(size.first_number + digit) + ".gif";
            if (!write_gif(path, image, palette, error)) {
                return fail(error);
            }
        }
        const IndexedImage dot = render_glyph(table.dot, kDotBoxW, kDotBoxH, size.style);
        if (!write_gif(out_dir + "/" + size.dot_name, dot, palette, error)) {
            return fail(error);
        }
    }
    return 0;
}

int write_icon(bool ico, const std::string& digit_arg, const std::string& out_file,
               const OutlineTable& table) {
    if (digit_arg.size() != 1 || digit_arg[0] < '0' || digit_arg[0] > '9') {
        return fail("the icon's DIGIT must be 0..9, not '" + digit_arg + "'");
    }
    const Glyph& glyph = table.digits[digit_arg[0] - '0'];
    std::ofstream out(out_file, std::ios::binary);
    out << (ico ? ico_icon(glyph) : svg_icon(glyph));
    out.close();
    if (!out) {
        return fail(out_file + ": cannot write the icon");
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const bool icon = mode == "--svg" || mode == "--ico";
    const int table_arg = icon ? 4 : 2;
    if (argc < table_arg || argc > table_arg + 1) {
        return usage();
    }
    const std::string table_path = argc > table_arg ? argv[table_arg] : NUMERAL_TABLE_DEFAULT;

    OutlineTable table;
    std::string error;
    if (!load_outline_table(table_path, table, error)) {
        return fail(error);
    }
    return icon ? write_icon(mode == "--ico", argv[2], argv[3], table)
                : write_pictures(argv[1], table);
}
