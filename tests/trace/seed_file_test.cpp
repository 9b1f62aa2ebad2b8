#include "trace/seed_file.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/test_support.h"

namespace vortan::trace {
namespace {

std::string Points(const std::vector<SeedPoint>& seeds) {
    std::string s;
    for (const SeedPoint& p : seeds) {
        s += std::to_string(p.x) + "," + std::to_string(p.y) + "," + std::to_string(p.z) + ";";
    }
    return s;
}

TEST(SeedFile, ParsesPointsOrSaysWhereItCannot) {
    struct Case {
        const char* text;
        int dimension;
        const char* points;  // as Points() prints them, or nullptr
        const char* error;   // when points is nullptr
    };
    const Case cases[] = {
        {"0.5 0.25\n1 2\n", 2, "0.500000,0.250000,0.000000;1.000000,2.000000,0.000000;", ""},
        {"# x y\n\n  1,2\r\n3;\t4\n+5 -6e-1", 2,
         "1.000000,2.000000,0.000000;3.000000,4.000000,0.000000;5.000000,-0.600000,0.000000;", ""},
        {"1 2 3\n", 3, "1.000000,2.000000,3.000000;", ""},
        {"1 2 3\n", 2, nullptr, "seeds.txt:1: expected 2 numbers (x y), found more"},
        {"1 2\n4 5\n", 3, nullptr, "seeds.txt:1: expected 3 numbers (x y z), found 2"},
        {"1 2\n\n1 x\n", 2, nullptr, "seeds.txt:3: 'x' is not a number"},
        {"1 nan\n", 2, nullptr, "seeds.txt:1: 'nan' is not a number"},
        {"1 1e999\n", 2, nullptr, "seeds.txt:1: '1e999' is not a number"},
        {"1 2x\n", 2, nullptr, "seeds.txt:1: '2x' is not a number"},
        {"# nothing\n\n", 2, nullptr, "seeds.txt: no seed points"},
        {"", 2, nullptr, "seeds.txt: no seed points"},
    };
    for (const Case& c : cases) {
        std::vector<SeedPoint> seeds = {{9, 9, 9}};
        std::string error;
        const bool ok = ParseSeeds(c.text, "seeds.txt", c.dimension, seeds, error);
        EXPECT_EQ(ok, c.points != nullptr) << c.text;
        if (c.points) {
            EXPECT_EQ(Points(seeds), c.points) << c.text;
        } else {
            EXPECT_EQ(error, c.error) << c.text;
            EXPECT_TRUE(seeds.empty());
        }
    }
    std::vector<SeedPoint> seeds;
    std::string error;
    EXPECT_FALSE(
        ParseSeeds("1 2\n" + std::string(kMaxSeedLine + 1, ' ') + "\n", "s", 2, seeds, error));
    EXPECT_EQ(error, "s:2: line longer than 4096 characters");
}

TEST(SeedFile, ReadsAFile) {
    vortan::test::TempDir dir;
    vortan::test::WriteTextFile(dir.file("seeds.txt"), "0.1 0.2\n");
    std::vector<SeedPoint> seeds;
    std::string error;
    ASSERT_TRUE(ReadSeedFile(dir.file("seeds.txt"), 2, seeds, error)) << error;
    EXPECT_EQ(Points(seeds), "0.100000,0.200000,0.000000;");
    EXPECT_FALSE(ReadSeedFile(dir.file("none.txt"), 2, seeds, error));
    EXPECT_EQ(error, "cannot open " + dir.file("none.txt") + ": No such file or directory");
}

}  // namespace
}  // namespace vortan::trace
