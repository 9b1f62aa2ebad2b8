#include "view/vortan_frame_state.h"

namespace vortan {

void ApplyAnimationParameters(const AnimationParameters& p, VortanFrameState& s) {
    s.m_animationOn = p.m_animationOn;
    s.m_dimension = p.m_dimension;
    s.m_intensityDimming = p.m_intensityDimming;
    s.m_diskScaleDimming = p.m_diskScaleDimming;
    s.m_imageWidth = p.m_imageWidth;
    s.m_imageHeight = p.m_imageHeight;
    s.m_timeDelay = p.m_timeDelay;
    s.m_diskDiameter = p.m_diskDiameter;
    s.m_colortableCount = p.m_colortableCount;
    s.m_withOrientation = p.m_withOrientation;
    s.m_withoutOrientation = p.m_withoutOrientation;
    s.m_colors32 = p.m_colors32;
    s.m_colors64 = p.m_colors64;
    s.m_colortableShift = p.m_colortableShift;
    s.m_inputPath = p.m_inputPath;
}

}  // namespace vortan
