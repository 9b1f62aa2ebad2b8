// The classic header walk: sound headers pass, garbage counts and cut files
// are caught before the NetCDF library sees them.
#include "field/netcdf_classic_header.h"

#include <gtest/gtest.h>

#include "field_test_support.h"

namespace vortan::field {
namespace {

// Offsets in the header of gyre_classic.nc (ncdump -k: classic): the
// dimension count follows the magic, the record count and the list tag.
constexpr std::size_t kDimensionCount = 12;

TEST(NetCdfClassicHeader, DamagedHeadersAreCaught) {
    const std::string good = test::ReadWholeFile(test::Fixture("gyre_classic.nc"));
    ASSERT_EQ(good.substr(8, 4), std::string("\0\0\0\x0A", 4));  // the dimension list tag
    auto with = [&](std::size_t at, const std::string& bytes) {
        std::string copy = good;
        copy.replace(at, bytes.size(), bytes);
        return copy;
    };
    const std::tuple<std::string, unsigned long long, const char*> cases[] = {
        {with(kDimensionCount, "\x5A\x5A\x5A\x5A"), good.size(),
         "a count of 1515870810 is larger than the file"},
        {with(8, std::string("\0\0\0\x0B", 4)), good.size(),
         "a damaged header (unexpected list tag)"},
        {good.substr(0, 30), 30, "a count of 3 is larger than the file"},
        {good.substr(0, 14), 14, "the header is cut short"},
        // Sound headers pass as each fixture is read; a part of one gets no verdict.
        {good.substr(0, 40), good.size(), ""},
        {with(kDimensionCount + 4, std::string("\x7F\0\0\0", 4)), good.size(),
         "a count of 2130706432 is larger than the file"},
        // A 300-byte name overflowed the library's name buffer (found by fuzzing).
        {with(kDimensionCount + 4, std::string("\0\0\x01\x2C", 4)), good.size(),
         "a name of 300 bytes"},
        {with(good.find("uo") + 8, std::string("\0\0\0\x09", 4)), good.size(),
         "a variable names dimension 9 of 3"},
    };
    for (const auto& [bytes, size, want] : cases) {
        std::string problem;
        EXPECT_EQ(CheckClassicHeader(bytes, size, &problem), !*want) << want;
        EXPECT_EQ(problem, want);
    }
}

}  // namespace
}  // namespace vortan::field
