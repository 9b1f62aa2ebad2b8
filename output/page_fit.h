// Placing the printed picture on a page: as wide as the page, its aspect
// ratio kept, shrunk to the page height when it would run off the page.
#pragma once

namespace vortan {

// A rectangle on the page, in device pixels from the top-left of the page area.
struct PageRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PageRect&, const PageRect&) = default;
};

// Target of a picture of pictureWidth x pictureHeight on a page of
// pageWidth x pageHeight. The picture fills the page width and starts at the
// top; when that is taller than the page it is scaled to the page height
// instead and centred across. Sides are rounded to whole pixels, at least 1.
// An empty picture or page gives an empty rectangle.
PageRect FitPictureToPage(int pictureWidth, int pictureHeight, int pageWidth, int pageHeight);

}  // namespace vortan
