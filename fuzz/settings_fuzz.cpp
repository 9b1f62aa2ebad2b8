// Feeds arbitrary bytes to the settings reader and checks that what it stores
// is written back and read again to the same record.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/settings_file.h"

namespace {

bool SameRecord(const vortan::SettingsRecord& a, const vortan::SettingsRecord& b) {
    auto same = [](float x, float y) { return std::memcmp(&x, &y, sizeof x) == 0; };
    return a.m_colors64 == b.m_colors64 && a.m_colors32 == b.m_colors32 &&
           a.m_withoutOrientation == b.m_withoutOrientation &&
           a.m_withOrientation == b.m_withOrientation && a.m_animationOn == b.m_animationOn &&
           a.m_reserved == b.m_reserved && a.m_diskScaleDimming == b.m_diskScaleDimming &&
           a.m_intensityDimming == b.m_intensityDimming && same(a.m_timeDelay, b.m_timeDelay) &&
           same(a.m_diskDiameter, b.m_diskDiameter) &&
           same(a.m_colortableShift, b.m_colortableShift) &&
           same(a.m_colortableCount, b.m_colortableCount);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    vortan::SettingsRecord record;
    vortan::ParseSettings(text, record);
    // Every value the reader stores is finite, the saved text has twelve
    // lines, whole numbers (and the saturated extremes) survive a save and a
    // load exactly, and a second save and load changes nothing.
    const float floats[] = {record.m_diskDiameter, record.m_timeDelay, record.m_colortableCount,
                            record.m_colortableShift};
    for (float v : floats) {
        if (!std::isfinite(v)) std::abort();
    }
    const std::string saved = vortan::FormatSettings(record);
    std::size_t lines = 0;
    for (char c : saved) lines += c == '\n';
    if (lines != 12 || saved.back() != '\n') std::abort();
    vortan::SettingsRecord again;
    again.m_diskDiameter = -1.0f;
    vortan::ParseSettings(saved, again);
    const float loaded[] = {again.m_diskDiameter, again.m_timeDelay, again.m_colortableCount,
                            again.m_colortableShift};
    for (int i = 0; i < 4; ++i) {
        if (floats[i] == std::trunc(floats[i]) && std::memcmp(&floats[i], &loaded[i], 4) != 0 &&
            !(floats[i] == 0.0f && loaded[i] == 0.0f))
            std::abort();
    }
    if (again.m_reserved != record.m_reserved || again.m_colors64 != record.m_colors64 ||
        again.m_diskScaleDimming != record.m_diskScaleDimming)
        std::abort();
    vortan::SettingsRecord reparsed;
    vortan::ParseSettings(vortan::FormatSettings(again), reparsed);
    if (!SameRecord(again, reparsed)) std::abort();
    return 0;
}
