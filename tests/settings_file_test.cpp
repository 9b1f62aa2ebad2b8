#include "app/settings_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cfloat>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/test_support.h"

namespace vortan {
namespace {

using namespace test;

std::vector<RecordedMessage> Error(const std::string& text) {
    return {{text, "Error", 48}};
}

// Differs in every field from the defaults and the values read: a field left alone shows.
const SettingsRecord kSentinel{-11,    -12, -13,    -14,    -15, -16.5f,
                               -17.5f, -18, -19.5f, -20.5f, -21, -22};

// The values in file-line order; "%.9g" shows a float's exact value and sign.
std::string Values(const SettingsRecord& r) {
    char b[512];
    std::snprintf(b, sizeof b, "%.9g %.9g %.9g %d %d %d %d %d %.9g %d %d %d",
                  double(r.m_diskDiameter), double(r.m_timeDelay), double(r.m_colortableCount),
                  r.m_animationOn, r.m_withOrientation, r.m_withoutOrientation, r.m_colors32,
                  r.m_colors64, double(r.m_colortableShift), r.m_reserved, r.m_intensityDimming,
                  r.m_diskScaleDimming);
    return b;
}

// The values read, followed by the sentinel's for the fields not read.
std::string ReadThenSentinel(const std::string& read) {
    std::istringstream got(read), rest(Values(kSentinel));
    std::string out, word;
    for (int i = 0; i < 12 && rest >> word; ++i) {
        std::string value;
        out += (i ? " " : "") + (got >> value ? value : word);
    }
    return out;
}

// The text written, and what reading it back into a sentinel gives.
TEST(SettingsFormat, WritesTwelveLinesInFixedFormAndReadsAsFormattedInput) {
    const SettingsRecord order{1, 0, 1, 0, 1, 1234567.0f, 2.5f, INT32_MIN, 0.1f, -0.125f, 1, 0};
    const SettingsRecord largest{.m_timeDelay = -FLT_MAX, .m_diskDiameter = FLT_MAX};
    const std::string max = "340282346638528859811704183484516925440.000000\n";
    const std::pair<SettingsRecord, std::string> cases[] = {
        {SettingsRecord{}, "2.000000\n0.000000\n7.000000\n0\n1\n0\n1\n0\n1.000000\n0\n1\n0\n"},
        {order,
         "2.500000\n1234567.000000\n-0.125000\n1\n0\n1\n0\n1\n0.100000\n-2147483648\n0\n1\n"},
        {largest, max + "-" + max + "7.000000\n0\n1\n0\n1\n0\n1.000000\n0\n1\n0\n"},
        {kSentinel,
         "-17.500000\n-16.500000\n-20.500000\n-15\n-14\n-13\n-12\n-11\n-19.500000\n-18\n-22\n"
         "-21\n"},
    };
    for (const auto& [record, text] : cases) {
        EXPECT_EQ(FormatSettings(record), text);
        SettingsRecord got = kSentinel;
        ParseSettings(text, got);
        EXPECT_EQ(Values(got), Values(record));
    }
    // Reading as formatted input (blanks, forms, stops, saturation): name, text, values stored.
    const std::tuple<const char*, std::string, std::string> reads[] = {
        {"CR LF, blank lines, tabs, leading blanks",
         "\r\n  4.0\r\n\r\n10.\r\n\t3e0\r\n+1\r\n0\r\n1\r\n-0\r\n1\r\n2\r\n77\r\n0\r\n1\r\n",
         "4 10 3 1 0 1 0 1 2 77 0 1"},
        {"five lines set five fields", "4\n10\n3\n1\n0\n", "4 10 3 1 0"},
        {"a letter stops the rest", "4\n10\n3\nx\n0\n1\n0\n1\n2\n77\n0\n1\n", "4 10 3"},
        {"empty text stores nothing", "", ""},
        {"exponent and fraction forms", "1.5e1 .25 -2E-1 7.", "15 0.25 -0.200000003 7"},
        {"an integer line written as a float keeps its whole part", "1 2 3 4.5 6", "1 2 3 4"},
        {"inf is no number", "inf 1 1", ""},
        {"hexadecimal stops at the x", "0x10 5 5 5", "0"},
        {"float overflow saturates", "1e39 -1e999999999999 3", "3.40282347e+38 -3.40282347e+38 3"},
        {"float underflow gives zero of its sign",
         "1e-60 -1e-60 0.000000000000000000000000000000000000000000000001", "0 -0 0"},
        {"round to nearest", "0.1 16777217 3.4028235e38", "0.100000001 16777216 3.40282347e+38"},
        {"int out of range is clamped",
         "1 1 1 2147483648 -2147483649 99999999999999999999999 -2147483648 2147483647",
         "1 1 1 2147483647 -2147483648 2147483647 -2147483648 2147483647"},
        {"a NUL byte is not white space", std::string("3\0 4", 4), "3"},
    };
    for (const auto& [name, text, read] : reads) {
        SettingsRecord got = kSentinel;
        ParseSettings(text, got);
        EXPECT_EQ(Values(got), ReadThenSentinel(read)) << name;
    }
}

// The reserved value comes back, the 4 MiB after the twelve values goes, the mode stays.
TEST(SettingsFile, LoadThenSaveKeepsTheReservedValueAndTheMode) {
    TempDir dir;
    const std::string path = dir.file("s.dat");
    const std::string text = "2.000000\n0.000000\n7.000000\n0\n1\n0\n1\n0\n1.000000\n31337\n1\n0\n";
    WriteTextFile(path, text + std::string(4 << 20, 'z'));
    ::chmod(path.c_str(), 0640);
    RecordingSink sink;
    SettingsRecord r;
    ASSERT_TRUE(ReadSettingsFile(path, r, sink));
    EXPECT_EQ(r.m_reserved, 31337);
    ASSERT_TRUE(WriteSettingsFile(path, r, sink));
    EXPECT_EQ(std::tuple(ReadWholeFile(path), std::filesystem::status(path).permissions(),
                         sink.messages.size(), CountEntries(dir.path())),
              std::tuple(text, std::filesystem::perms(0640), 0u, 1));
}

// Loads of a missing file, a folder, a missing folder, a FIFO (which must not block);
// saves to a missing folder, over a folder (left as it was), to a full disk.
TEST(SettingsFile, FailuresLeaveRecordAndFilesAndReport) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("pipe.dat").c_str(), 0600), 0);
    for (const std::string& path : {dir.file("missing.dat"), dir.path(),
                                    dir.file("no/such/folder.dat"), dir.file("pipe.dat")}) {
        RecordingSink sink;
        SettingsRecord r = kSentinel;
        EXPECT_FALSE(ReadSettingsFile(path, r, sink));
        EXPECT_EQ(Values(r), Values(kSentinel)) << path;
        EXPECT_EQ(sink.messages, Error("Unable to open " + path));
    }
    std::filesystem::create_directory(dir.file("taken"));
    WriteTextFile(dir.file("taken/inside"), "x");
    for (const std::string& path : {dir.file("none/s.dat"), dir.file("taken")}) {
        RecordingSink sink;
        EXPECT_FALSE(WriteSettingsFile(path, SettingsRecord{}, sink));
        EXPECT_EQ(sink.messages, Error("Unable to create " + path));
        EXPECT_EQ(CountEntries(dir.path()), 2);
    }
    EXPECT_EQ(ReadWholeFile(dir.file("taken/inside")), "x");
    // The disk fills up while writing: the previous file stays.
    const std::string path = dir.file("s.dat"), previous = "1\n2\n3\n0\n1\n0\n1\n0\n1\n0\n1\n0\n";
    WriteTextFile(path, previous);
    RecordingSink sink;
    EXPECT_FALSE([&] {
        FileSizeLimit limit(10);
        return WriteSettingsFile(path, SettingsRecord{}, sink);
    }());
    EXPECT_EQ(sink.messages, Error("Unable to write " + path));
    EXPECT_EQ(ReadWholeFile(path), previous);
    EXPECT_EQ(CountEntries(dir.path()), 3);
}

}  // namespace
}  // namespace vortan
