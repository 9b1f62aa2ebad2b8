#include "output/page_fit.h"

#include <algorithm>
#include <cstdint>

namespace vortan {

namespace {

// num * mul / div rounded to the nearest integer (halves up), all positive;
// 64-bit so that no product of two int sides can overflow.
std::int64_t ScaleRounded(std::int64_t num, std::int64_t mul, std::int64_t div) {
    return (num * mul + div / 2) / div;
}

}  // namespace

PageRect FitPictureToPage(int pictureWidth, int pictureHeight, int pageWidth, int pageHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || pageWidth <= 0 || pageHeight <= 0) return {};
    const std::int64_t heightAtPageWidth = ScaleRounded(pictureHeight, pageWidth, pictureWidth);
    if (heightAtPageWidth <= pageHeight) {
        return {0, 0, pageWidth, static_cast<int>(std::max<std::int64_t>(heightAtPageWidth, 1))};
    }
    const std::int64_t widthAtPageHeight = ScaleRounded(pictureWidth, pageHeight, pictureHeight);
    const int width = static_cast<int>(std::clamp<std::int64_t>(widthAtPageHeight, 1, pageWidth));
    return {(pageWidth - width) / 2, 0, width, pageHeight};
}

}  // namespace vortan
