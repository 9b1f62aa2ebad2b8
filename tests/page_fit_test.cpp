#include "output/page_fit.h"

#include <gtest/gtest.h>

#include <climits>

namespace vortan {
namespace {

TEST(FitPictureToPage, Placements) {
    struct Case {
        int w, h, pageW, pageH;
        PageRect want;
    };
    const Case cases[] = {
        // Portrait page: full width, aspect ratio kept, at the top.
        {640, 510, 2400, 3300, {0, 0, 2400, 1913}},  // 510 * 2400 / 640 = 1912.5 -> 1913
        {120, 120, 2400, 3300, {0, 0, 2400, 2400}},
        {100, 300, 2400, 3300, {650, 0, 1100, 3300}},  // too tall at full width
        // Landscape page: the width would run off the page height, so the height rules.
        {640, 510, 3300, 2400, {144, 0, 3012, 2400}},  // 640 * 2400 / 510 = 3011.8 -> 3012
        {400, 100, 3300, 2400, {0, 0, 3300, 825}},
        {120, 120, 3300, 2400, {450, 0, 2400, 2400}},
        // Exact fit.
        {300, 200, 600, 400, {0, 0, 600, 400}},
        // Tiny pages and pictures never collapse to nothing.
        {640, 480, 1, 1, {0, 0, 1, 1}},
        {1000, 1, 3, 100, {0, 0, 3, 1}},
        {1, 1000, 100, 3, {49, 0, 1, 3}},
        {1, 1, 5000, 5000, {0, 0, 5000, 5000}},
        // Huge sides stay exact (64-bit products).
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX, {0, 0, INT_MAX, INT_MAX}},
        {INT_MAX, 1, 1000, 1000, {0, 0, 1000, 1}},
        // Empty pictures or pages.
        {0, 480, 2400, 3300, {}},
        {640, -1, 2400, 3300, {}},
        {640, 480, 0, 3300, {}},
        {640, 480, 2400, INT_MIN, {}},
    };
    for (const Case& c : cases) {
        const PageRect r = FitPictureToPage(c.w, c.h, c.pageW, c.pageH);
        EXPECT_EQ(r, c.want) << c.w << "x" << c.h << " on " << c.pageW << "x" << c.pageH << ": got "
                             << r.x << "," << r.y << " " << r.width << "x" << r.height;
    }
}

TEST(FitPictureToPage, StaysOnThePageAndKeepsTheAspectRatio) {
    for (int pageW : {1, 7, 595, 2400, 3300}) {
        for (int pageH : {1, 9, 842, 2400, 3300}) {
            for (int w : {1, 3, 120, 641}) {
                for (int h : {1, 5, 90, 510}) {
                    const PageRect r = FitPictureToPage(w, h, pageW, pageH);
                    ASSERT_GE(r.x, 0);
                    ASSERT_EQ(r.y, 0);
                    ASSERT_LE(r.x + r.width, pageW);
                    ASSERT_LE(r.height, pageH);
                    ASSERT_TRUE(r.width == pageW || r.height == pageH);
                    // Rounding moves each side by at most half a pixel of the true ratio.
                    const double ratio = double(w) / h;
                    if (r.width > 20 && r.height > 20) {
                        ASSERT_NEAR(double(r.width) / r.height, ratio, ratio * 0.1)
                            << w << "x" << h << " on " << pageW << "x" << pageH;
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace vortan
