#include "app/settings_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace vortan {
namespace {

using test::CountEntries;
using test::InChildWithFileLimit;
using test::ReadWholeFile;
using test::RecordedMessage;
using test::RecordingSink;
using test::TempDir;
using test::WriteTextFile;

// A record whose every field differs from the defaults and from the values the
// cases below read, so that a field left alone is visible.
SettingsRecord Sentinel() {
    SettingsRecord r;
    r.m_colors64 = -11;
    r.m_colors32 = -12;
    r.m_withoutOrientation = -13;
    r.m_withOrientation = -14;
    r.m_animationOn = -15;
    r.m_timeDelay = -16.5f;
    r.m_diskDiameter = -17.5f;
    r.m_reserved = -18;
    r.m_colortableShift = -19.5f;
    r.m_colortableCount = -20.5f;
    r.m_diskScaleDimming = -21;
    r.m_intensityDimming = -22;
    return r;
}

// The record's values in file-line order, as text, for readable failures.
std::vector<std::string> Lines(const SettingsRecord& r) {
    auto f = [](float v) {
        char b[64];
        std::snprintf(b, sizeof b, "%.9g", static_cast<double>(v));
        return std::string(b);
    };
    auto i = [](std::int32_t v) { return std::to_string(v); };
    return {f(r.m_diskDiameter), f(r.m_timeDelay),        f(r.m_colortableCount),
            i(r.m_animationOn),  i(r.m_withOrientation),  i(r.m_withoutOrientation),
            i(r.m_colors32),     i(r.m_colors64),         f(r.m_colortableShift),
            i(r.m_reserved),     i(r.m_intensityDimming), i(r.m_diskScaleDimming)};
}

bool SameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void ExpectSameRecord(const SettingsRecord& want, const SettingsRecord& got) {
    EXPECT_EQ(Lines(want), Lines(got));
    EXPECT_TRUE(SameBits(want.m_diskDiameter, got.m_diskDiameter));
    EXPECT_TRUE(SameBits(want.m_timeDelay, got.m_timeDelay));
    EXPECT_TRUE(SameBits(want.m_colortableCount, got.m_colortableCount));
    EXPECT_TRUE(SameBits(want.m_colortableShift, got.m_colortableShift));
}

TEST(SettingsFormat, DefaultsGiveTheTwelveLines) {
    EXPECT_EQ(FormatSettings(SettingsRecord{}),
              "2.000000\n0.000000\n7.000000\n0\n1\n0\n1\n0\n1.000000\n0\n1\n0\n");
}

TEST(SettingsFormat, LineOrderAndNumberForms) {
    SettingsRecord r;
    r.m_diskDiameter = 2.5f;
    r.m_timeDelay = 1234567.0f;
    r.m_colortableCount = -0.125f;
    r.m_animationOn = 1;
    r.m_withOrientation = 0;
    r.m_withoutOrientation = 1;
    r.m_colors32 = 0;
    r.m_colors64 = 1;
    r.m_colortableShift = 0.1f;  // widened to double: 0.100000001490116...
    r.m_reserved = -2147483647 - 1;
    r.m_intensityDimming = 0;
    r.m_diskScaleDimming = 1;
    EXPECT_EQ(FormatSettings(r),
              "2.500000\n1234567.000000\n-0.125000\n1\n0\n1\n0\n1\n0.100000\n-2147483648\n0\n1\n");
}

TEST(SettingsFormat, LargestFloatIsWrittenInFullFixedForm) {
    SettingsRecord r;
    r.m_diskDiameter = FLT_MAX;
    const std::string text = FormatSettings(r);
    EXPECT_EQ(text.substr(0, text.find('\n')), "340282346638528859811704183484516925440.000000");
}

TEST(SettingsFormat, RoundTripsThroughTheReader) {
    std::vector<SettingsRecord> records(4);
    records[1] = Sentinel();
    records[2].m_diskDiameter = 3.0e7f;
    records[2].m_timeDelay = 16.0f;
    records[2].m_reserved = 123456;
    records[2].m_colortableCount = 3.0f;
    records[3].m_diskDiameter = FLT_MAX;
    records[3].m_timeDelay = -FLT_MAX;
    records[3].m_reserved = INT32_MIN;
    records[3].m_colors64 = INT32_MAX;
    records[3].m_colortableShift = 2.5f;
    for (const auto& want : records) {
        SettingsRecord got = Sentinel();
        got.m_colortableShift = 999.0f;
        ParseSettings(FormatSettings(want), got);
        ExpectSameRecord(want, got);
    }
}

// Parsing starts from Sentinel(); each case lists the fields it changes.
struct ParseCase {
    const char* name;
    std::string text;
    void (*expect)(SettingsRecord&);
};

TEST(SettingsParse, FormattedReadSemantics) {
    auto all = [](SettingsRecord& r) {
        r.m_diskDiameter = 4.0f;
        r.m_timeDelay = 10.0f;
        r.m_colortableCount = 3.0f;
        r.m_animationOn = 1;
        r.m_withOrientation = 0;
        r.m_withoutOrientation = 1;
        r.m_colors32 = 0;
        r.m_colors64 = 1;
        r.m_colortableShift = 2.0f;
        r.m_reserved = 77;
        r.m_intensityDimming = 0;
        r.m_diskScaleDimming = 1;
    };
    static void (*const kAll)(SettingsRecord&) = all;
    const std::vector<ParseCase> cases = {
        {"twelve lines", "4.000000\n10.000000\n3.000000\n1\n0\n1\n0\n1\n2.000000\n77\n0\n1\n",
         [](SettingsRecord& r) { kAll(r); }},
        {"single spaces on one line", "4 10 3 1 0 1 0 1 2 77 0 1",
         [](SettingsRecord& r) { kAll(r); }},
        {"CR LF, blank lines, tabs, leading blanks",
         "\r\n  4.0\r\n\r\n10.\r\n\t3e0\r\n+1\r\n0\r\n1\r\n-0\r\n1\r\n2\r\n77\r\n0\r\n1\r\n",
         [](SettingsRecord& r) { kAll(r); }},
        {"text after the twelfth value is ignored", "4 10 3 1 0 1 0 1 2 77 0 1 junk 5 6\n",
         [](SettingsRecord& r) { kAll(r); }},
        {"five lines set five fields", "4\n10\n3\n1\n0\n",
         [](SettingsRecord& r) {
             r.m_diskDiameter = 4.0f;
             r.m_timeDelay = 10.0f;
             r.m_colortableCount = 3.0f;
             r.m_animationOn = 1;
             r.m_withOrientation = 0;
         }},
        {"a letter on line four stops the rest", "4\n10\n3\nx\n0\n1\n0\n1\n2\n77\n0\n1\n",
         [](SettingsRecord& r) {
             r.m_diskDiameter = 4.0f;
             r.m_timeDelay = 10.0f;
             r.m_colortableCount = 3.0f;
         }},
        {"empty text stores nothing", "", [](SettingsRecord&) {}},
        {"only blanks store nothing", " \n\r\n\t ", [](SettingsRecord&) {}},
        {"non-integer diameter loads as is", "2.5\n",
         [](SettingsRecord& r) { r.m_diskDiameter = 2.5f; }},
        {"exponent and fraction forms", "1.5e1 .25 -2E-1 7.",
         [](SettingsRecord& r) {
             r.m_diskDiameter = 15.0f;
             r.m_timeDelay = 0.25f;
             r.m_colortableCount = -0.2f;
             r.m_animationOn = 7;  // "%d" takes the 7, "." stops line five
         }},
        {"an integer line written as a float keeps its whole part", "1 2 3 4.5 6",
         [](SettingsRecord& r) {
             r.m_diskDiameter = 1.0f;
             r.m_timeDelay = 2.0f;
             r.m_colortableCount = 3.0f;
             r.m_animationOn = 4;
         }},
        {"a flag other than 0 or 1 is stored as read", "1 1 1 5 -3",
         [](SettingsRecord& r) {
             r.m_diskDiameter = r.m_timeDelay = r.m_colortableCount = 1.0f;
             r.m_animationOn = 5;
             r.m_withOrientation = -3;
         }},
        {"inf is no number", "inf 1 1", [](SettingsRecord&) {}},
        {"nan is no number", "2 nan 1", [](SettingsRecord& r) { r.m_diskDiameter = 2.0f; }},
        {"hexadecimal stops at the x", "0x10 5 5 5",
         [](SettingsRecord& r) { r.m_diskDiameter = 0.0f; }},
        {"exponent without digits fails", "2 1e 3",
         [](SettingsRecord& r) { r.m_diskDiameter = 2.0f; }},
        {"exponent sign without digits fails", "2 1e+ 3",
         [](SettingsRecord& r) { r.m_diskDiameter = 2.0f; }},
        {"a lone sign fails", "2 3 4 - 1",
         [](SettingsRecord& r) {
             r.m_diskDiameter = 2.0f;
             r.m_timeDelay = 3.0f;
             r.m_colortableCount = 4.0f;
         }},
        {"a lone point fails", ". 1", [](SettingsRecord&) {}},
        {"Mathematica exponent stops at the star", "2.5*^-7 1",
         [](SettingsRecord& r) { r.m_diskDiameter = 2.5f; }},
        {"float overflow saturates", "1e39 -1e999999999999 3",
         [](SettingsRecord& r) {
             r.m_diskDiameter = FLT_MAX;
             r.m_timeDelay = -FLT_MAX;
             r.m_colortableCount = 3.0f;
         }},
        {"float overflow from many digits", std::string(60, '9') + " 1",
         [](SettingsRecord& r) {
             r.m_diskDiameter = FLT_MAX;
             r.m_timeDelay = 1.0f;
         }},
        {"float underflow gives zero", "1e-60 0.000000000000000000000000000000000000000000000001 3",
         [](SettingsRecord& r) {
             r.m_diskDiameter = 0.0f;
             r.m_timeDelay = 0.0f;
             r.m_colortableCount = 3.0f;
         }},
        {"int out of range is clamped",
         "1 1 1 2147483648 -2147483649 99999999999999999999999 -2147483648 2147483647",
         [](SettingsRecord& r) {
             r.m_diskDiameter = r.m_timeDelay = r.m_colortableCount = 1.0f;
             r.m_animationOn = INT32_MAX;
             r.m_withOrientation = INT32_MIN;
             r.m_withoutOrientation = INT32_MAX;
             r.m_colors32 = INT32_MIN;
             r.m_colors64 = INT32_MAX;
         }},
        {"a NUL byte is not white space", std::string("3\0 4", 4),
         [](SettingsRecord& r) { r.m_diskDiameter = 3.0f; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsRecord want = Sentinel();
        c.expect(want);
        SettingsRecord got = Sentinel();
        ParseSettings(c.text, got);
        ExpectSameRecord(want, got);
    }
}

TEST(SettingsParse, NegativeUnderflowKeepsItsSign) {
    SettingsRecord r;
    ParseSettings("-1e-60", r);
    EXPECT_EQ(r.m_diskDiameter, 0.0f);
    EXPECT_TRUE(std::signbit(r.m_diskDiameter));
}

TEST(SettingsParse, DecimalIsRoundedToNearestFloat) {
    SettingsRecord r;
    ParseSettings("0.1 16777217 3.4028235e38", r);
    EXPECT_TRUE(SameBits(r.m_diskDiameter, 0.1f));
    EXPECT_TRUE(SameBits(r.m_timeDelay, 16777216.0f));
    EXPECT_TRUE(SameBits(r.m_colortableCount, FLT_MAX));
}

TEST(SettingsFile, SavesAndLoadsThroughAFile) {
    TempDir dir;
    const std::string path = dir.file("s.dat");
    RecordingSink sink;
    SettingsRecord saved = Sentinel();
    saved.m_reserved = 4242;
    ASSERT_TRUE(WriteSettingsFile(path, saved, sink));
    EXPECT_EQ(ReadWholeFile(path), FormatSettings(saved));
    SettingsRecord loaded;
    ASSERT_TRUE(ReadSettingsFile(path, loaded, sink));
    ExpectSameRecord(saved, loaded);
    EXPECT_TRUE(sink.messages.empty());
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(CountEntries(dir.path()), 1);
}

TEST(SettingsFile, LoadThenSaveReproducesTheReservedLine) {
    TempDir dir;
    const std::string in = dir.file("in.dat"), out = dir.file("out.dat");
    const std::string text = "2.000000\n0.000000\n7.000000\n0\n1\n0\n1\n0\n1.000000\n31337\n1\n0\n";
    WriteTextFile(in, text);
    RecordingSink sink;
    SettingsRecord r;
    ASSERT_TRUE(ReadSettingsFile(in, r, sink));
    EXPECT_EQ(r.m_reserved, 31337);
    ASSERT_TRUE(WriteSettingsFile(out, r, sink));
    EXPECT_EQ(ReadWholeFile(out), text);
}

TEST(SettingsFile, SaveReplacesAnExistingFileAndKeepsItsMode) {
    TempDir dir;
    const std::string path = dir.file("s.dat");
    WriteTextFile(path, "old contents that are longer than the new ones ......................\n");
    ::chmod(path.c_str(), 0640);
    RecordingSink sink;
    ASSERT_TRUE(WriteSettingsFile(path, SettingsRecord{}, sink));
    EXPECT_EQ(ReadWholeFile(path), FormatSettings(SettingsRecord{}));
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms(0640));
}

TEST(SettingsFile, LoadFailuresLeaveTheRecordAndReport) {
    TempDir dir;
    const std::vector<std::string> paths = {dir.file("missing.dat"), dir.path(),
                                            dir.file("no/such/folder.dat")};
    for (const auto& path : paths) {
        SCOPED_TRACE(path);
        RecordingSink sink;
        SettingsRecord r = Sentinel();
        EXPECT_FALSE(ReadSettingsFile(path, r, sink));
        ExpectSameRecord(Sentinel(), r);
        EXPECT_EQ(sink.messages,
                  (std::vector<RecordedMessage>{{"Unable to open " + path, "Error", 48}}));
    }
}

TEST(SettingsFile, LoadDoesNotBlockOnAFifo) {
    TempDir dir;
    const std::string path = dir.file("pipe.dat");
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    RecordingSink sink;
    SettingsRecord r = Sentinel();
    EXPECT_FALSE(ReadSettingsFile(path, r, sink));
    ExpectSameRecord(Sentinel(), r);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Unable to open " + path);
}

TEST(SettingsFile, LoadOfAHugeFileReadsTheFirstValues) {
    TempDir dir;
    const std::string path = dir.file("big.dat");
    std::string text = "5 6 7 1 1 0 1 0 3 9 1 0\n";
    text += std::string(4 * 1024 * 1024, 'z');
    WriteTextFile(path, text);
    RecordingSink sink;
    SettingsRecord r;
    ASSERT_TRUE(ReadSettingsFile(path, r, sink));
    EXPECT_EQ(r.m_diskDiameter, 5.0f);
    EXPECT_EQ(r.m_colortableShift, 3.0f);
    EXPECT_EQ(r.m_diskScaleDimming, 0);
    EXPECT_EQ(r.m_reserved, 9);
}

TEST(SettingsFile, SaveToAMissingFolderReportsCreate) {
    TempDir dir;
    const std::string path = dir.file("none/s.dat");
    RecordingSink sink;
    EXPECT_FALSE(WriteSettingsFile(path, SettingsRecord{}, sink));
    EXPECT_EQ(sink.messages,
              (std::vector<RecordedMessage>{{"Unable to create " + path, "Error", 48}}));
    EXPECT_FALSE(std::filesystem::exists(dir.file("none")));
}

TEST(SettingsFile, SaveOverAFolderFailsAndLeavesNoTemporary) {
    TempDir dir;
    const std::string path = dir.file("taken");
    std::filesystem::create_directory(path);
    WriteTextFile(path + "/inside", "x");
    RecordingSink sink;
    EXPECT_FALSE(WriteSettingsFile(path, SettingsRecord{}, sink));
    EXPECT_EQ(sink.messages,
              (std::vector<RecordedMessage>{{"Unable to create " + path, "Error", 48}}));
    EXPECT_EQ(CountEntries(dir.path()), 1);
    EXPECT_EQ(ReadWholeFile(path + "/inside"), "x");
}

// A disk that fills up while writing: the child process may write only a few
// bytes (RLIMIT_FSIZE), so the write fails part-way.
TEST(SettingsFile, FailedWriteKeepsThePreviousFile) {
    TempDir dir;
    const std::string path = dir.file("s.dat");
    const std::string previous = "1\n2\n3\n0\n1\n0\n1\n0\n1\n0\n1\n0\n";
    WriteTextFile(path, previous);
    const std::string report = InChildWithFileLimit(10, [&] {
        RecordingSink sink;
        std::string text = WriteSettingsFile(path, SettingsRecord{}, sink) ? "true" : "false";
        for (const auto& m : sink.messages)
            text += "|" + m.text + "|" + m.caption + "|" + std::to_string(m.type);
        return text;
    });
    EXPECT_EQ(report, "false|Unable to write " + path + "|Error|48");
    EXPECT_EQ(ReadWholeFile(path), previous);
    EXPECT_EQ(CountEntries(dir.path()), 1);
}

}  // namespace
}  // namespace vortan
