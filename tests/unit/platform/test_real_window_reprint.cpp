// The real window when a text is printed again at its place: the poll does
// that with the unchanged frequency ten times a second, and the backend skips
// the reprint; the window must still look exactly as if it had drawn it,
// also after another text has covered part of it. (SDL's offscreen driver.)
#include <gtest/gtest.h>

#include <stdlib.h>

#include <SDL.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/platform_real.h"

namespace {

std::vector<long> pixels(int x0, int y0, int w, int h) {
    std::vector<long> out;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) out.push_back(platreal::canvasPixel(x, y));
    return out;
}

class RealReprintTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { setenv("SDL_VIDEODRIVER", "offscreen", 1); }
    void SetUp() override {
        ASSERT_TRUE(platWindowOpen("*** test ***", 250, 100, 950, 500));
        platTextFont("Ariel", 50, 700);
    }
    void TearDown() override { platWindowClose(); }
};

TEST_F(RealReprintTest, TheSameTextAgainLeavesTheWindowAsItWas) {
    platTextAt(285, 150, "   14.200000             ");
    const std::vector<long> once = pixels(280, 145, 660, 90);
    platTextAt(285, 150, "   14.200000             ");
    EXPECT_EQ(pixels(280, 145, 660, 90), once);
    platTextAt(285, 150, "    7.100000             ");
    EXPECT_NE(pixels(280, 145, 660, 90), once);
    platTextAt(285, 150, "   14.200000             ");
    EXPECT_EQ(pixels(280, 145, 660, 90), once);
}

TEST_F(RealReprintTest, ATextPartlyCoveredByAnotherIsDrawnAgain) {
    platTextAt(100, 100, "WWW");
    const std::vector<long> whole = pixels(95, 95, 200, 80);
    // Another text whose box runs over the first one's right part.
    platTextAt(160, 100, "  ");
    ASSERT_NE(pixels(95, 95, 200, 80), whole);
    platTextAt(100, 100, "WWW");
    EXPECT_EQ(pixels(95, 95, 200, 80), whole);
}

TEST_F(RealReprintTest, TheSameTextInAnotherFontIsDrawnInThatFont) {
    platTextAt(100, 300, "S9");
    const std::vector<long> big = pixels(95, 295, 200, 80);
    platTextFont("Ariel", 20, 20);
    platTextAt(100, 300, "S9");
    EXPECT_NE(pixels(95, 295, 200, 80), big);
}

}  // namespace
