#include "app/start_validation.h"

#include "platform/numeric.h"

namespace vortan {

namespace {
constexpr const char* kInfoCaption = "Info";
// An empty caption stands for the application's name.
constexpr const char* kAppCaption = "";
}  // namespace

bool ValidateStartSettings(const SettingsRecord& r, IMessageSink& sink) {
    bool ok = true;
    auto fail = [&](const char* text, const char* caption) {
        sink.MessageBox(text, caption, MB_OK);
        ok = false;
    };
    if (!IsWholeNumber(r.m_timeDelay) || r.m_timeDelay < 0.0f) {
        fail("Timer must be an Integer and greater or equal than 0", kInfoCaption);
    }
    if (!IsWholeNumber(r.m_diskDiameter)) {
        fail("Disk-diameter must be an Integer", kInfoCaption);
    }
    if (!IsWholeNumber(r.m_colortableCount)) {
        fail("Colortables must be an Integer", kAppCaption);
    }
    if (r.m_colortableCount < 1.0f) {
        fail("Colortables must be greater or equal than 1!", kAppCaption);
    } else if (r.m_colortableCount > 7.0f) {
        fail("Colortables must be smaller or equal than 7!", kAppCaption);
    }
    if (!IsWholeNumber(r.m_colortableShift) || r.m_colortableShift < 1.0f) {
        fail("Colortable - Step must be greater than 0 and an Integer!", kInfoCaption);
    }
    return ok;
}

AnimationParameters MakeAnimationParameters(const SettingsRecord& r, float imageWidth,
                                            float imageHeight, float dimension,
                                            const std::string& inputPath) {
    AnimationParameters p;
    p.m_animationOn = r.m_animationOn;
    p.m_dimension = TruncToInt32(dimension);
    p.m_intensityDimming = r.m_intensityDimming;
    p.m_diskScaleDimming = r.m_diskScaleDimming;
    p.m_imageWidth = TruncToInt32(imageWidth);
    p.m_imageHeight = TruncToInt32(imageHeight);
    p.m_timeDelay = TruncToInt32(r.m_timeDelay);
    p.m_diskDiameter = TruncToInt32(r.m_diskDiameter);
    p.m_colortableCount = TruncToInt32(r.m_colortableCount);
    p.m_withOrientation = r.m_withOrientation;
    p.m_withoutOrientation = r.m_withoutOrientation;
    p.m_colors32 = r.m_colors32;
    p.m_colors64 = r.m_colors64;
    p.m_colortableShift = TruncToInt32(r.m_colortableShift);
    p.m_inputPath = inputPath;
    return p;
}

}  // namespace vortan
