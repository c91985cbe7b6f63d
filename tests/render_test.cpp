#include <gtest/gtest.h>

#include <SDL/SDL_ttf.h>
#include <stdlib.h>
#include <vector>

#include "app/clock_state.h"
#include "render/background.h"
#include "render/blit.h"
#include "render/draw_random.h"
#include "render/font_table.h"
#include "render/legend.h"
#include "render/numeral_row.h"
#include "test_support.h"

// Every numeral picture a colour of its own (style s, digit d -> 0x0s0d01 scaled), every dot
// another, so a pixel tells which picture was drawn there.
static Uint32 digit_colour(int style, int digit) {
    return 0x400000 | (Uint32)(style * 40 + 20) << 8 | (Uint32)(digit * 20 + 10);
}
static const Uint32 kDotColour = 0xF0F0F0;

// Test pictures stand in for the loaded ones while a test runs.
class SwappedPictures : public ::testing::Test {
  protected:
    void swap_in(SDL_Surface** slot, SDL_Surface* picture) {
        swapped_.push_back({slot, *slot});
        *slot = picture;
    }
    void TearDown() override {
        for (const auto& [slot, loaded] : swapped_) {
            SDL_FreeSurface(*slot);
            *slot = loaded;
        }
    }
    std::vector<std::pair<SDL_Surface**, SDL_Surface*>> swapped_;
};

class Pictures : public SwappedPictures {
  protected:
    void SetUp() override {
        reset_clock_state();
        giX = 600;
        giY = 300;
        open_dummy_window();
        load_runtime_resources();
        for (int i = 0; i < 30; ++i) {
            swap_in(&numberImages[i], solid_picture(4, 4, digit_colour(i / 10, i % 10)));
        }
        for (SDL_Surface*& dot : dotImages) {
            swap_in(&dot, solid_picture(2, 2, kDotColour));
        }
    }
};

static int text_height(const char* text) {
    int w = 0, h = 0;
    measure_text(text, &w, &h);
    return h;
}

TEST_F(Pictures, RowPositionsForEveryLayout) {
    const char* text = "wa'maH";
    const int h = text_height(text);
    ASSERT_GT(h, 0);
    const struct {
        int layout, style;
        int x[6];
        int digitY;
        int dotX[2];
        int dotY[2];
    } rows[] = {
        {1, 0, {0, 40, 160, 208, 320, 368}, h + 10, {104, 264}, {h - 6, h + 14}},
        {2, 1, {0, 20, 80, 104, 160, 184}, h + 8, {52, 132}, {h, h + 10}},
        {3, 2, {0, 10, 40, 52, 80, 92}, h + 5, {26, 66}, {h + 1, h + 6}},
    };
    const int digits[6] = {2, 3, 4, 5, 5, 9}; // 23:45:59
    for (const auto& row : rows) {
        SCOPED_TRACE(row.layout);
        SDL_FillRect(screen, NULL, 0);
        giGraphics = row.layout;
        draw_clock_row(text, 23, 45, 59);
        EXPECT_EQ(giKSize, row.style);
        for (int i = 0; i < 6; ++i) { // the picture's top left corner, and nothing just above
            EXPECT_EQ(rgb_at(screen, row.x[i], row.digitY), digit_colour(row.style, digits[i]))
                << "digit " << i;
            EXPECT_NE(rgb_at(screen, row.x[i], row.digitY - 1), digit_colour(row.style, digits[i]))
                << "digit " << i;
        }
        for (int dx : row.dotX) {
            for (int dy : row.dotY) {
                EXPECT_EQ(rgb_at(screen, dx, dy), kDotColour) << dx << "," << dy;
            }
        }
    }
}

TEST_F(Pictures, LayoutWithoutARowKeepsTheLastScaleAndStyle) {
    const char* text = "wa'";
    const int h = text_height(text);
    giGraphics = 5; // nothing applied yet: scale 3, large pictures, no offset
    draw_clock_row(text, 7, 8, 9);
    EXPECT_EQ(rgb_at(screen, 0 + 1, h + 30 + 1), digit_colour(0, 0));
    EXPECT_EQ(rgb_at(screen, 30 + 1, h + 30 + 1), digit_colour(0, 7));
    EXPECT_EQ(rgb_at(screen, 276 + 1, h + 30 + 1), digit_colour(0, 9));

    giGraphics = 3;
    draw_clock_row(text, 7, 8, 9);
    SDL_FillRect(screen, NULL, 0);
    giGraphics = 6; // keeps layout 3's scale 1 and small pictures
    draw_clock_row(text, 7, 8, 9);
    EXPECT_EQ(giGM, 1);
    EXPECT_EQ(rgb_at(screen, 92 + 1, h + 10 + 1), digit_colour(2, 9));
}

TEST_F(Pictures, LegendShowsTheTenNumeralsOfTheLastStyleWithLabels) {
    giKSize = 2;
    giKlingon = -1;
    SDL_FillRect(screen, NULL, 0);
    draw_legend();
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(rgb_at(screen, 50 * i + 1, 1), digit_colour(2, i)) << i;
        // The label stands in the 30 x 40 pixels right of (50i + 20, 60). Its cream, blended
        // into what lies below even where a light face covers a pixel only in part, is greener
        // than any strip pixel (at most 78).
        int bright = 0;
        for (int x = 50 * i + 20; x < 50 * i + 50; ++x) {
            for (int y = 60; y < 100; ++y) {
                bright += (rgb_at(screen, x, y) >> 8 & 0xFF) > 100;
            }
        }
        EXPECT_GT(bright, 3) << "label " << i;
    }
}

// Compares the draws with rand() in a fresh process, where neither has been used yet: the
// same values as a never-seeded rand(), through a whole generation's draws and beyond.
[[maybe_unused]] static void compare_unseeded_draws(void) {
    for (int i = 0; i < 20 * 780000 + 1000; ++i) {
        if (draw_random() != rand()) {
            fprintf(stderr, "draw %d differs\n", i);
            exit(1);
        }
    }
    exit(0);
}

// Where the draws are rand() itself (outside glibc) they take the values from the same state, so
// each sequence is read whole before the other.
TEST(Background, DrawsFollowTheCLibrarySequence) {
#ifdef __GLIBC__
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(compare_unseeded_draws(), testing::ExitedWithCode(0), "");
#endif
    const unsigned seeds[] = {0, 1, 7, 4242, 0xFFFFFFFFu};
    for (unsigned seed : seeds) {
        std::vector<int> draws(5000);
        seed_draws(seed);
        draw_random_block(draws.data(), 4000);
        for (int i = 4000; i < 5000; ++i) {
            draws[i] = draw_random();
        }
        srand(seed);
        for (int i = 0; i < 5000; ++i) {
            ASSERT_EQ(draws[i], rand()) << "seed " << seed << " draw " << i;
        }
    }
}

TEST(Background, StripGradientAndGrainFollowTheSeed) {
    SDL_Surface* strip = create_strip_surface();
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->w, 1300);
    EXPECT_EQ(strip->h, 200);
    EXPECT_TRUE(strip->flags & SDL_SRCALPHA);
    seed_draws(3);
    fill_strip(strip);

    // Every pixel: the gradient of its column and row plus a grain of 0-9 a channel from three
    // draws, red, green, blue, column by column. Top left is red 30-39, green 20-29, blue 0-9;
    // bottom right red 129-138, green 69-78, blue 24-33.
    srand(3);
    int wrong = 0;
    for (int x = 0; x < 1300; ++x) {
        for (int y = 0; y < 200; ++y) {
            const unsigned red = rand() % 10 + (x + y) / 15 + 30;
            const unsigned green = rand() % 10 + (x + y) / 30 + 20;
            const unsigned blue = rand() % 10 + (x + y) / 60;
            const Uint32 expected = red << 24 | green << 16 | blue << 8 | 255;
            const Uint32 actual = ((Uint32*)strip->pixels)[y * (strip->pitch / 4) + x];
            if (actual != expected && ++wrong <= 3) {
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << actual
                              << " instead of " << expected;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    SDL_FreeSurface(strip);
}

class Tiles : public SwappedPictures {
  protected:
    void SetUp() override {
        reset_clock_state();
        open_dummy_window();
        for (int i = 0; i < kStripCount; ++i) {
            swap_in(&backgroundStrips[i], solid_picture(1300, 200, 0x102030 + i));
        }
    }
};

// One of the 20 strips, chosen by a draw, is tiled down wherever the window reaches past the
// tiles above: five tiles at most, so nothing is painted from 1000 px down.
TEST_F(Tiles, TileThresholdsFollowTheWindowHeight) {
    giX = 100;
    giY = 1250;
    open_dummy_window();
    const struct {
        int height, tiles;
    } cases[] = {{100, 1}, {150, 1}, {151, 2}, {351, 3}, {551, 4}, {751, 5}, {1000, 5}, {1250, 5}};
    unsigned seed = 0;
    for (const auto& c : cases) {
        SDL_FillRect(screen, NULL, 0);
        giY = c.height;
        seed_draws(++seed);
        paint_background();
        srand(seed);
        const Uint32 chosen = 0x102030 + rand() % 20;
        for (int tile = 0; tile < 6; ++tile) {
            EXPECT_EQ(rgb_at(screen, 5, tile * 200 + 5), tile < c.tiles ? chosen : 0u)
                << "height " << c.height << " tile " << tile;
        }
    }
}

// The strips are kept in the window's format; the picture equals the per-pixel blend of the
// generated strip within one level a channel.
TEST(Background, PreparedStripsDrawTheBlendedPicture) {
    reset_clock_state();
    giX = 1300;
    giY = 200;
    open_dummy_window();
    seed_draws(5);
    generate_strips();
    // Generation took three draws a pixel for 20 strips of 1300 x 200, and no more.
    const int next = draw_random();
    srand(5);
    for (int i = 0; i < 20 * 1300 * 200 * 3; ++i) {
        rand();
    }
    EXPECT_EQ(next, rand());
    seed_draws(5);
    SDL_Surface* blended = create_strip_surface();
    fill_strip(blended);

    SDL_FillRect(screen, NULL, 0);
    apply_surface(0, 0, blended, screen);
    std::vector<Uint32> reference(1300 * 200);
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 1300; ++x) {
            reference[y * 1300 + x] = rgb_at(screen, x, y);
        }
    }
    apply_surface(0, 0, backgroundStrips[0], screen);
    EXPECT_FALSE(backgroundStrips[0]->flags & SDL_SRCALPHA);
    int worst = 0;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 1300; ++x) {
            const Uint32 a = reference[y * 1300 + x], b = rgb_at(screen, x, y);
            for (int shift = 0; shift <= 16; shift += 8) {
                worst = std::max(worst, abs((int)(a >> shift & 0xFF) - (int)(b >> shift & 0xFF)));
            }
        }
    }
    EXPECT_LE(worst, 1);
    SDL_FreeSurface(blended);
}
