#include "app/start_validation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/test_support.h"

namespace vortan {
namespace {

using test::RecordedMessage;

// The messages named by the digits of code, in that order.
std::vector<RecordedMessage> Named(int code) {
    const RecordedMessage all[] = {
        {"Timer must be an Integer and greater or equal than 0", "Info", MB_OK},       // 1
        {"Disk-diameter must be an Integer", "Info", MB_OK},                           // 2
        {"Colortables must be an Integer", "", MB_OK},                                 // 3
        {"Colortables must be greater or equal than 1!", "", MB_OK},                   // 4
        {"Colortables must be smaller or equal than 7!", "", MB_OK},                   // 5
        {"Colortable - Step must be greater than 0 and an Integer!", "Info", MB_OK}};  // 6
    std::vector<RecordedMessage> m;
    for (char c : std::to_string(code))
        if (c != '0') m.push_back(all[c - '1']);
    return m;
}

TEST(StartValidation, ChecksInOrderWithTheirTextsThenParametersHandedOn) {
    // {delay, diameter, count, shift, messages}; a diameter of 0 or below passes.
    // clang-format off
    const std::tuple<float, float, float, float, int> cases[] = {
        {0, 2, 7, 1, 0}, {0, 2, 1, 1, 0}, {5, -3, 4, 9, 0}, {-1, 2, 7, 1, 1}, {2.5f, 2, 7, 1, 1},
        {3.0e9f, 2, 7, 1, 1}, {0, 2.5f, 7, 1, 2}, {0, 3.0e9f, 7, 1, 2}, {0, 2, 0.5f, 1, 34},
        {0, 2, 0, 1, 4}, {0, 2, 8, 1, 5}, {0, 2, 3.0e9f, 1, 35}, {0, 2, 7, 0, 6},
        {0, 2, 7, 1.5f, 6}, {0, 2, 7, -2, 6}, {-1, 1.5f, 0.5f, 0, 12346},
        {NAN, NAN, NAN, NAN, 1236}, {HUGE_VALF, -HUGE_VALF, HUGE_VALF, HUGE_VALF, 12356}};
    // clang-format on
    for (bool oriented : {true, false}) {  // the count is checked without orientation too
        for (auto [delay, diameter, count, shift, named] : cases) {
            SettingsRecord r;
            std::tie(r.m_withOrientation, r.m_withoutOrientation, r.m_timeDelay, r.m_diskDiameter,
                     r.m_colortableCount, r.m_colortableShift) =
                std::tuple(oriented, !oriented, delay, diameter, count, shift);
            test::RecordingSink sink;
            EXPECT_EQ(ValidateStartSettings(r, sink), named == 0);
            EXPECT_EQ(sink.messages, Named(named))
                << delay << " " << diameter << " " << count << " " << shift;
        }
    }
    // Numbers truncated toward zero, each to its own field (flags: the settings panel's tests).
    auto numbers = [](const AnimationParameters& q) {
        return std::vector<int>({q.m_timeDelay, q.m_diskDiameter, q.m_colortableShift,
                                 q.m_colortableCount, q.m_imageWidth, q.m_imageHeight,
                                 q.m_dimension});
    };
    SettingsRecord r;
    std::tie(r.m_timeDelay, r.m_diskDiameter, r.m_colortableShift, r.m_colortableCount) =
        std::tuple(40.9f, 6.5f, 3.7f, 5.2f);
    const AnimationParameters p = MakeAnimationParameters(r, 640.9f, 480.2f, 3.0f, "/data/f.math");
    EXPECT_EQ(numbers(p), std::vector<int>({40, 6, 3, 5, 640, 480, 3}));
    EXPECT_EQ(p.m_inputPath, "/data/f.math");
    // Below zero toward zero too; out of range gives INT32_MIN.
    for (auto [in, out] :
         {std::pair{-2.9f, -2}, {-0.99f, 0}, {3.0e9f, INT32_MIN}, {NAN, INT32_MIN}}) {
        r.m_diskDiameter = r.m_timeDelay = r.m_colortableCount = r.m_colortableShift = in;
        EXPECT_EQ(numbers(MakeAnimationParameters(r, in, in, in, "")), std::vector<int>(7, out))
            << in;
    }
}

}  // namespace
}  // namespace vortan
