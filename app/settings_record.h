// The control panel's stored settings, with their defaults.
#pragma once

#include <cstdint>

namespace vortan {

struct SettingsRecord {
    std::int32_t m_colors64 = 0;
    std::int32_t m_colors32 = 1;
    std::int32_t m_withoutOrientation = 0;
    std::int32_t m_withOrientation = 1;
    std::int32_t m_animationOn = 0;
    float m_timeDelay = 0.0f;
    float m_diskDiameter = 2.0f;
    std::int32_t m_reserved = 0;
    float m_colortableShift = 1.0f;
    float m_colortableCount = 7.0f;
    std::int32_t m_diskScaleDimming = 0;
    std::int32_t m_intensityDimming = 1;
};

}  // namespace vortan
