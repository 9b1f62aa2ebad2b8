#include "app/start_validation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "tests/test_support.h"

namespace vortan {
namespace {

using test::RecordedMessage;
using test::RecordingSink;

const RecordedMessage kTimer{"Timer must be an Integer and greater or equal than 0", "Info", MB_OK};
const RecordedMessage kDiameter{"Disk-diameter must be an Integer", "Info", MB_OK};
const RecordedMessage kCountWhole{"Colortables must be an Integer", "", MB_OK};
const RecordedMessage kCountLow{"Colortables must be greater or equal than 1!", "", MB_OK};
const RecordedMessage kCountHigh{"Colortables must be smaller or equal than 7!", "", MB_OK};
const RecordedMessage kShift{"Colortable - Step must be greater than 0 and an Integer!", "Info",
                             MB_OK};

struct ValidationCase {
    const char* name;
    float delay, diameter, count, shift;
    std::vector<RecordedMessage> messages;
};

TEST(StartValidation, ChecksInOrderWithTheirTexts) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<ValidationCase> cases = {
        {"defaults", 0, 2, 7, 1, {}},
        {"delay 0, count 1, shift 1", 0, 2, 1, 1, {}},
        {"diameter 0 and negative pass", 5, -3, 4, 9, {}},
        {"delay -1", -1, 2, 7, 1, {kTimer}},
        {"delay 2.5", 2.5f, 2, 7, 1, {kTimer}},
        {"delay 3000000000", 3.0e9f, 2, 7, 1, {kTimer}},
        {"diameter 2.5", 0, 2.5f, 7, 1, {kDiameter}},
        {"diameter 3000000000", 0, 3.0e9f, 7, 1, {kDiameter}},
        {"count 0.5 gives two messages", 0, 2, 0.5f, 1, {kCountWhole, kCountLow}},
        {"count 0", 0, 2, 0, 1, {kCountLow}},
        {"count 8", 0, 2, 8, 1, {kCountHigh}},
        {"count 7.5", 0, 2, 7.5f, 1, {kCountWhole, kCountHigh}},
        {"count 3000000000", 0, 2, 3.0e9f, 1, {kCountWhole, kCountHigh}},
        {"shift 0", 0, 2, 7, 0, {kShift}},
        {"shift 1.5", 0, 2, 7, 1.5f, {kShift}},
        {"shift -2", 0, 2, 7, -2, {kShift}},
        {"every field wrong: five messages in order",
         -1,
         1.5f,
         0.5f,
         0,
         {kTimer, kDiameter, kCountWhole, kCountLow, kShift}},
        {"not-a-number fails each whole-number check",
         nan,
         nan,
         nan,
         nan,
         {kTimer, kDiameter, kCountWhole, kShift}},
        {"infinities", inf, -inf, inf, inf, {kTimer, kDiameter, kCountWhole, kCountHigh, kShift}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsRecord r;
        r.m_timeDelay = c.delay;
        r.m_diskDiameter = c.diameter;
        r.m_colortableCount = c.count;
        r.m_colortableShift = c.shift;
        RecordingSink sink;
        EXPECT_EQ(ValidateStartSettings(r, sink), c.messages.empty());
        EXPECT_EQ(sink.messages, c.messages);
    }
}

TEST(StartValidation, CountIsCheckedWithoutOrientationToo) {
    SettingsRecord r;
    r.m_withOrientation = 0;
    r.m_withoutOrientation = 1;
    r.m_colortableCount = 9.0f;
    RecordingSink sink;
    EXPECT_FALSE(ValidateStartSettings(r, sink));
    EXPECT_EQ(sink.messages, std::vector<RecordedMessage>{kCountHigh});
}

TEST(AnimationParameters, FloatsTruncatedFlagsCopied) {
    SettingsRecord r;
    r.m_colors64 = 1;
    r.m_colors32 = 0;
    r.m_withoutOrientation = 1;
    r.m_withOrientation = 0;
    r.m_animationOn = 1;
    r.m_timeDelay = 40.0f;
    r.m_diskDiameter = 6.0f;
    r.m_colortableShift = 3.0f;
    r.m_colortableCount = 5.0f;
    r.m_diskScaleDimming = 1;
    r.m_intensityDimming = 0;
    const AnimationParameters p = MakeAnimationParameters(r, 640.9f, 480.2f, 3.0f, "/data/f.math");
    EXPECT_EQ(p.m_animationOn, 1);
    EXPECT_EQ(p.m_dimension, 3);
    EXPECT_EQ(p.m_intensityDimming, 0);
    EXPECT_EQ(p.m_diskScaleDimming, 1);
    EXPECT_EQ(p.m_imageWidth, 640);
    EXPECT_EQ(p.m_imageHeight, 480);
    EXPECT_EQ(p.m_timeDelay, 40);
    EXPECT_EQ(p.m_diskDiameter, 6);
    EXPECT_EQ(p.m_colortableCount, 5);
    EXPECT_EQ(p.m_withOrientation, 0);
    EXPECT_EQ(p.m_withoutOrientation, 1);
    EXPECT_EQ(p.m_colors32, 0);
    EXPECT_EQ(p.m_colors64, 1);
    EXPECT_EQ(p.m_colortableShift, 3);
    EXPECT_EQ(p.m_inputPath, "/data/f.math");
}

TEST(AnimationParameters, TruncationTowardZeroAndOutOfRange) {
    struct Case {
        float in;
        std::int32_t out;
    };
    const std::vector<Case> cases = {{2.9f, 2},
                                     {-2.9f, -2},
                                     {0.99f, 0},
                                     {-0.5f, 0},
                                     {3.0e9f, INT32_MIN},
                                     {-3.0e9f, INT32_MIN},
                                     {std::numeric_limits<float>::quiet_NaN(), INT32_MIN}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        SettingsRecord r;
        r.m_diskDiameter = c.in;
        r.m_timeDelay = c.in;
        const AnimationParameters p = MakeAnimationParameters(r, c.in, c.in, c.in, "");
        EXPECT_EQ(p.m_diskDiameter, c.out);
        EXPECT_EQ(p.m_timeDelay, c.out);
        EXPECT_EQ(p.m_imageWidth, c.out);
        EXPECT_EQ(p.m_dimension, c.out);
    }
}

TEST(PictureSize, DrawableRange) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float w, h;
        bool ok;
    };
    const std::vector<Case> cases = {
        {640, 480, true},   {1, 1, true},       {16384, 16384, true},  {0.99f, 480, false},
        {640, 0, false},    {-640, 480, false}, {16384.5f, 10, false}, {10, 16385, false},
        {inf, 480, false},  {640, -inf, false}, {nan, 480, false},     {640, nan, false},
        {1.5f, 2.5f, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
        EXPECT_EQ(IsDrawablePictureSize(c.w, c.h), c.ok);
    }
}

}  // namespace
}  // namespace vortan
