// The animation window's state record: every field of CVortanFrame, in
// declaration order, as a plain structure that the engine works on without
// any window. The Qt window class derives from it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/logical_palette.h"

namespace vortan {

// One point of a streamline: parameter value and coordinates.
struct Knot {
    float t = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// Knots 0 to 1000: the whole capacity for one streamline.
inline constexpr int kKnotCapacity = 1001;
// Every streamline is sampled at this many points.
inline constexpr int kSamplesPerStreamline = 64;
// Largest colour-table length (one table over 224 entries).
inline constexpr int kMaxTableEntries = 224;
inline constexpr int kMaxColorTables = 7;

// The fields of the Settings dialog (CAnimationDlg) that outlive its openings.
struct AnimationDlgState {
    float m_shift = 1.0f;
    float m_delay = 0.0f;
};

// The fields of the axis dialog (CAxesDlg).
struct AxesDlgState {
    std::int32_t m_axisZ = 0;
    std::int32_t m_axisY = 0;
    std::int32_t m_axisX = 0;
};

// The status bar's single part, as the engine sees it.
struct StatusBarState {
    std::string text;
};

// Per-table palette copies: for table t, first its output array, then its rotating array.
struct ColorTableCopies {
    std::array<PaletteEntry, kMaxTableEntries> m_outputEntries{};
    std::array<PaletteEntry, kMaxTableEntries> m_rotatingEntries{};
};

struct VortanFrameState {
    AnimationDlgState m_animationDlg;
    std::int32_t m_dimension = 0;
    std::int32_t m_axisZ = 0;
    std::int32_t m_axisY = 0;
    std::int32_t m_axisX = 0;
    AxesDlgState m_axesDlg;
    std::int32_t m_diskScaleDimming = 0;
    std::int32_t m_intensityDimming = 0;
    std::string m_inputPath;
    std::int32_t m_colortableShift = 0;
    std::int32_t m_colors64 = 0;
    std::int32_t m_colors32 = 0;
    std::int32_t m_withoutOrientation = 0;
    std::int32_t m_withOrientation = 0;
    std::int32_t m_animationOn = 0;
    std::int32_t m_dimLength = 0;
    float m_dimStep = 0.0f;
    std::int32_t m_imageHeight = 0;
    std::int32_t m_imageWidth = 0;
    std::int32_t m_colortableCount = 0;
    std::int32_t m_diskDiameter = 0;
    std::int32_t m_timeDelay = 0;
    std::int32_t m_knotCount = 0;
    std::int32_t m_sampleCount = 0;
    std::array<Knot, kKnotCapacity> m_knots{};
    float m_tMax = 0.0f;
    StatusBarState m_statusBar;
    std::int32_t m_timerRunning = 0;
    std::string m_bitmapPath;
    std::string m_bitmapTitle;
    LogicalPalette m_palette;
    std::array<ColorTableCopies, kMaxColorTables> m_colorTables{};
    std::int32_t m_entriesPerTable = 0;
};

// The fifteen window fields the control panel fills before the window is
// created; floats of the panel arrive truncated toward zero.
struct AnimationParameters {
    std::int32_t m_animationOn = 0;
    std::int32_t m_dimension = 0;
    std::int32_t m_intensityDimming = 0;
    std::int32_t m_diskScaleDimming = 0;
    std::int32_t m_imageWidth = 0;
    std::int32_t m_imageHeight = 0;
    std::int32_t m_timeDelay = 0;
    std::int32_t m_diskDiameter = 0;
    std::int32_t m_colortableCount = 0;
    std::int32_t m_withOrientation = 0;
    std::int32_t m_withoutOrientation = 0;
    std::int32_t m_colors32 = 0;
    std::int32_t m_colors64 = 0;
    std::int32_t m_colortableShift = 0;
    std::string m_inputPath;
};

// Copies the parameters into the record (before the window is created).
void ApplyAnimationParameters(const AnimationParameters& params, VortanFrameState& state);

}  // namespace vortan
