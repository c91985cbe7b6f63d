// Runs the numeral picture generator into a temporary folder and checks what the clock relies
// on: every picture is there, loads with a transparent colour, has the size the layout expects,
// and the ten numerals of a size can be told apart.
#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "test_support.h"

namespace fs = std::filesystem;

namespace {

struct Size {
    int g;
    int first_number;
    const char* dot_name;
};
const Size kSizes[] = {{4, 0, "circle.gif"}, {2, 20, "circle2.gif"}, {1, 40, "circle4.gif"}};

using SurfacePtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

// The red level of each pixel of an 8-bit picture, row by row, 0 where transparent. Red goes
// from about 60 (background) to 255 (gold), so it tells how much of a pixel is covered.
std::vector<int> red_levels(SDL_Surface* surface) {
    std::vector<int> levels;
    const auto* pixels = static_cast<const Uint8*>(surface->pixels);
    for (int y = 0; y < surface->h; ++y) {
        for (int x = 0; x < surface->w; ++x) {
            const Uint8 index = pixels[y * surface->pitch + x];
            levels.push_back(
                index == surface->format->colorkey ? 0 : surface->format->palette->colors[index].r);
        }
    }
    return levels;
}

struct RunResult {
    int exit_code; // -1 when the generator did not exit normally (a crash)
    std::string messages;
};

// Runs the generator with these arguments, each quoted, and its messages kept beside them.
RunResult run_generator(const std::vector<std::string>& args, const fs::path& scratch) {
    const fs::path err = scratch / "stderr.txt";
    std::string command = std::string("'") + NUMERAL_GEN_PATH + "'";
    for (const std::string& arg : args) {
        command += " '" + arg + "'";
    }
    command += " 2>'" + err.string() + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(err)};
}

class NumeralGenTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        scratch_ = enter_scratch_dir();
        generated_ = run_generator({(scratch_ / "graphics").string()}, scratch_);
    }
    static void TearDownTestSuite() {
        leave_scratch_dir();
    }
    // A generated picture, or null when it is missing or not an 8-bit picture with a
    // transparent colour of that size.
    static SurfacePtr load_picture(const std::string& name, int width, int height) {
        SurfacePtr picture(IMG_Load((scratch_ / "graphics" / name).c_str()), &SDL_FreeSurface);
        EXPECT_TRUE(picture) << name << ": " << IMG_GetError();
        if (picture && !(picture->format->BytesPerPixel == 1 && picture->flags & SDL_SRCCOLORKEY &&
                         picture->w == width && picture->h == height)) {
            ADD_FAILURE() << name << " is " << picture->w << "x" << picture->h;
            picture.reset();
        }
        return picture;
    }
    static fs::path scratch_;
    static RunResult generated_;
};
fs::path NumeralGenTest::scratch_;
RunResult NumeralGenTest::generated_;

// Every picture is there, transparent and at the layout's size; the numerals can be told apart.
TEST_F(NumeralGenTest, PicturesOfASizeAreDistinctNumeralsAndAColonMark) {
    ASSERT_EQ(generated_.exit_code, 0) << generated_.messages;
    for (const Size& size : kSizes) {
        std::vector<std::vector<int>> numerals;
        for (int digit = 0; digit < 10; ++digit) {
            SurfacePtr picture = load_picture(std::to_string(size.first_number + digit) + ".gif",
                                              10 * size.g, 14 * size.g);
            ASSERT_TRUE(picture);
            const std::vector<int> red = red_levels(picture.get());
            numerals.push_back(red);
            const int w = picture->w;
            // No pixel of the outermost columns is more than half covered, so neighbouring
            // digits never merge.
            int strong_edge = 0;
            for (int y = 0; y < picture->h; ++y) {
                strong_edge += (red[y * w] >= 150) + (red[y * w + w - 1] >= 150);
            }
            EXPECT_EQ(strong_edge, 0) << "numeral " << digit << " at G=" << size.g;
            // Strokes are thick enough to give solid gold pixels, not only faint edges: at the
            // small size this fails for several numerals when thin strokes are not thickened.
            const auto solid =
                std::count_if(red.begin(), red.end(), [](int r) { return r >= 200; });
            EXPECT_GE(solid * 6, static_cast<long>(red.size()))
                << "numeral " << digit << " at G=" << size.g;
        }
        // Any two numerals differ in at least a tenth of their pixels, even at the small size.
        for (int a = 0; a < 10; ++a) {
            for (int b = a + 1; b < 10; ++b) {
                int differ = 0;
                for (std::size_t i = 0; i < numerals[a].size(); ++i) {
                    differ += (numerals[a][i] > 0) != (numerals[b][i] > 0);
                }
                EXPECT_GE(differ * 10, static_cast<int>(numerals[a].size()))
                    << "numerals " << a << " and " << b << " at G=" << size.g;
            }
        }
        // The colon's mark sits low and centred, so that its two draws form a colon.
        SurfacePtr dot = load_picture(size.dot_name, 8 * size.g, 10 * size.g);
        ASSERT_TRUE(dot);
        const std::vector<int> red = red_levels(dot.get());
        double sum_x = 0;
        int count = 0, top = dot->h;
        for (int i = 0; i < static_cast<int>(red.size()); ++i) {
            if (red[i] > 0) {
                sum_x += i % dot->w + 0.5;
                ++count;
                top = std::min(top, i / dot->w);
            }
        }
        ASSERT_GT(count, 0) << size.dot_name;
        // Drawn at 5G vertical pitch, the mark must start below 5G or the two would merge.
        EXPECT_GE(top, 5 * size.g + 1) << size.dot_name;
        EXPECT_NEAR(sum_x / count, 4.0 * size.g, 0.5 * size.g) << size.dot_name;
    }
}

TEST_F(NumeralGenTest, WritesTheIconAsSvg) {
    const fs::path icon = scratch_ / "icon.svg";
    const RunResult result = run_generator({"--svg", "4", icon.string()}, scratch_);
    ASSERT_EQ(result.exit_code, 0) << result.messages;
    const std::string text = read_file(icon);
    EXPECT_NE(text.find("<svg"), std::string::npos);
    EXPECT_NE(text.find("<path d=\"M"), std::string::npos);
    EXPECT_NE(run_generator({"--svg", "x", icon.string()}, scratch_).exit_code, 0);
}

// The Windows icon: a directory of five 32-bit DIB images that Windows can read, each showing
// the gold numeral on the plate, upright, with transparent corners.
TEST_F(NumeralGenTest, WritesTheWindowsIconAsFive32BitImages) {
    const fs::path icon = scratch_ / "icon.ico";
    const RunResult result = run_generator({"--ico", "4", icon.string()}, scratch_);
    ASSERT_EQ(result.exit_code, 0) << result.messages;
    const std::string data = read_file(icon);
    auto u16 = [&](std::size_t at) {
        return at + 2 <= data.size() ? static_cast<unsigned char>(data[at]) |
                                           static_cast<unsigned char>(data[at + 1]) << 8
                                     : -1;
    };
    auto u32 = [&](std::size_t at) { return u16(at) | static_cast<long>(u16(at + 2)) << 16; };
    ASSERT_EQ(u16(0), 0);
    ASSERT_EQ(u16(2), 1); // an icon
    ASSERT_EQ(u16(4), 5);
    ASSERT_GE(data.size(), 6u + 5 * 16);
    std::vector<int> sizes;
    for (std::size_t entry = 6; entry < 6 + 5 * 16; entry += 16) {
        const int size =
            static_cast<unsigned char>(data[entry]) ? static_cast<unsigned char>(data[entry]) : 256;
        sizes.push_back(size);
        const long bytes = u32(entry + 8);
        const long offset = u32(entry + 12);
        const long mask_row = (size + 31) / 32 * 4;
        EXPECT_EQ(u16(entry + 6), 32) << size;
        ASSERT_EQ(bytes, 40 + size * size * 4L + mask_row * size) << size;
        ASSERT_TRUE(offset >= 6 + 5 * 16 && offset + bytes <= static_cast<long>(data.size()))
            << size;
        EXPECT_EQ(u32(offset), 40);
        EXPECT_EQ(u32(offset + 4), size);
        EXPECT_EQ(u32(offset + 8), 2 * size); // colour and mask planes
        EXPECT_EQ(u16(offset + 14), 32);
        // Rows are stored bottom-up; pixel (x, y) counted from the top left.
        auto pixel = [&](int x, int y) {
            return reinterpret_cast<const unsigned char*>(data.data()) + offset + 40 +
                   ((size - 1 - y) * size + x) * 4;
        };
        const unsigned char* centre = pixel(size / 2, size / 2); // where the blades cross
        EXPECT_EQ(centre[3], 255) << size;
        EXPECT_TRUE(centre[2] >= 200 && centre[1] >= 120 && centre[0] + 80 <= centre[2])
            << size << ": centre BGR " << +centre[0] << ',' << +centre[1] << ',' << +centre[2];
        EXPECT_EQ(pixel(0, 0)[3], 0) << size;
        const unsigned char mask_top_left =
            data[offset + 40 + size * size * 4 + (size - 1) * mask_row];
        EXPECT_TRUE(mask_top_left & 0x80) << size;
        // The plate is lighter at the top than at the bottom: the picture is not upside down.
        const int top_red = pixel(size / 2, size / 16 + 1)[2];
        EXPECT_GT(top_red, pixel(size / 2, size - 2 - size / 16)[2]) << size;
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 24, 32, 48, 256}));
}

TEST_F(NumeralGenTest, RejectsAMalformedTableWithAMessageNamingTheLine) {
    const std::string good = read_file(std::string(CHRONWICK_SOURCE_DIR) + "/assets/numerals.txt");
    ASSERT_FALSE(good.empty());

    struct Case {
        std::string table;
        std::string message; // expected in the error output
    };
    const Case cases[] = {
        {"glyph 0\n  10,10 20,abc 30,30\n", "bad.txt:2: expected a point"},
        {"glyph 0\n  10,10 20,20\n", "bad.txt:2: a polygon needs at least 3 points"},
        {"glyph 0\n  10,10 20,20 500,30\n", "bad.txt:2: point 500,30 lies outside"},
        {"glyph 0\n  10,10 20,20 nan,30\n", "bad.txt:2: expected a point"},
        {"  10,10 20,20 30,30\n", "bad.txt:1: polygon before the first 'glyph' line"},
        {"glyph 12\n", "bad.txt:1: unknown glyph '12'"},
        {"glyph 0\n  10,10 20,20 30,30\n", "glyph 1 is missing"},
        {good + "glyph 5\n", "glyph 5 is defined twice"},
        {"glyph 0\n  cut 10,10 20,20 30,30\n", "glyph 0 has no filled polygon"},
    };
    const fs::path bad = scratch_ / "bad.txt";
    for (const Case& c : cases) {
        write_file(bad, c.table);
        const RunResult result =
            run_generator({(scratch_ / "out").string(), bad.string()}, scratch_);
        EXPECT_EQ(result.exit_code, 1) << c.table; // an error, not a crash
        EXPECT_NE(result.messages.find(c.message), std::string::npos) << "got: " << result.messages;
    }

    const RunResult missing =
        run_generator({(scratch_ / "out").string(), (scratch_ / "none.txt").string()}, scratch_);
    EXPECT_EQ(missing.exit_code, 1);
    EXPECT_NE(missing.messages.find("none.txt"), std::string::npos);
}

} // namespace
