#include "trace/seed_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/test_support.h"

namespace vortan::trace {
namespace {

TEST(SeedFile, ParsesPointsOrSaysWhereItCannot) {
    // text, dimension, the points as "x y z;" or the error
    const std::tuple<std::string, int, const char*> cases[] = {
        {"# x y\n\n  1,2\r\n3;\t4\n+5 -6e-1", 2, "1 2 0;3 4 0;5 -0.6 0;"},
        {"1 2 3\n", 3, "1 2 3;"},
        {"1 2 3\n", 2, "seeds.txt:1: expected 2 numbers (x y), found more"},
        {"1 2\n4 5\n", 3, "seeds.txt:1: expected 3 numbers (x y z), found 2"},
        {"1 2\n\n1 x\n", 2, "seeds.txt:3: 'x' is not a number"},
        {"1 nan\n", 2, "seeds.txt:1: 'nan' is not a number"},
        {"1 2x\n", 2, "seeds.txt:1: '2x' is not a number"},
        {"# nothing\n\n", 2, "seeds.txt: no seed points"},
        {"1 2\n" + std::string(kMaxSeedLine + 1, ' ') + "\n", 2,
         "seeds.txt:2: line longer than 4096 characters"}};
    for (const auto& [text, dimension, want] : cases) {
        std::vector<SeedPoint> seeds = {{9, 9, 9}};
        std::string error, points;
        if (ParseSeeds(text, "seeds.txt", dimension, seeds, error)) {
            std::ostringstream out;
            for (const SeedPoint& p : seeds) out << p.x << ' ' << p.y << ' ' << p.z << ';';
            points = out.str();
        }
        EXPECT_EQ(error.empty() ? points : error, want) << text.substr(0, 20);
    }
    std::vector<SeedPoint> seeds;
    std::string error;
    vortan::test::TempDir dir;
    EXPECT_FALSE(ReadSeedFile(dir.file("none.txt"), 2, seeds, error));
    EXPECT_EQ(error, "cannot open " + dir.file("none.txt") + ": No such file or directory");
}

}  // namespace
}  // namespace vortan::trace
