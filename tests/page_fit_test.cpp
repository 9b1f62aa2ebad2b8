#include "output/page_fit.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

namespace vortan {
namespace {

TEST(FitPictureToPage, Placements) {
    // Full width at the top while the height fits, else full height centred across; tiny
    // pages and pictures never collapse to nothing; huge sides stay exact; empty gives {}.
    // clang-format off
    const std::tuple<int, int, int, int, PageRect> cases[] = {
        {640, 510, 2400, 3300, {0, 0, 2400, 1913}},  // 1912.5 rounds up
        {120, 120, 2400, 3300, {0, 0, 2400, 2400}},   {100, 300, 2400, 3300, {650, 0, 1100, 3300}},
        {640, 510, 3300, 2400, {144, 0, 3012, 2400}}, {400, 100, 3300, 2400, {0, 0, 3300, 825}},
        {120, 120, 3300, 2400, {450, 0, 2400, 2400}}, {300, 200, 600, 400, {0, 0, 600, 400}},
        {640, 480, 1, 1, {0, 0, 1, 1}},  {1000, 1, 3, 100, {0, 0, 3, 1}},  {1, 1000, 100, 3, {49, 0, 1, 3}},
        {1, 1, 5000, 5000, {0, 0, 5000, 5000}}, {INT_MAX, INT_MAX, INT_MAX, INT_MAX, {0, 0, INT_MAX, INT_MAX}},
        {INT_MAX, 1, 1000, 1000, {0, 0, 1000, 1}},
        {0, 480, 2400, 3300, {}}, {640, -1, 2400, 3300, {}}, {640, 480, 0, 3300, {}}, {640, 480, 2400, INT_MIN, {}}};
    // clang-format on
    for (const auto& [w, h, pageW, pageH, want] : cases) {
        const PageRect r = FitPictureToPage(w, h, pageW, pageH);
        EXPECT_EQ(r, want) << w << "x" << h << " on " << pageW << "x" << pageH << ": got " << r.x
                           << "," << r.y << " " << r.width << "x" << r.height;
    }
}

}  // namespace
}  // namespace vortan
