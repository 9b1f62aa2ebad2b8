// What printing and bitmap export need of the window they work for. The
// animation window implements it; the output commands know nothing else of it.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <string>

#include "platform/indexed_canvas.h"
#include "platform/logical_palette.h"
#include "platform/ui_service.h"
#include "view/vortan_frame_state.h"

class QObject;

namespace vortan::qt {

class IOutputWindow {
  public:
    // The object whose destruction ends the window. A command that opened a
    // dialog or message box checks it afterwards and stops once it is gone.
    virtual QObject* LifetimeObject() = 0;
    // Message boxes and file dialogs; the service outlives the window.
    virtual IUiService& Ui() = 0;
    // The record a print pass draws from; the pass works on a copy.
    virtual const VortanFrameState& DrawingRecord() const = 0;
    // The client area as drawn: palette indices, picture rows on top.
    virtual const IndexedCanvas& Canvas() const = 0;
    // The palette's colours now, as far as the animation has moved them.
    virtual const PaletteEntries& PaletteColours() const = 0;
    // Client width x height in pixels, the status strip included.
    virtual QSize ClientSize() const = 0;
    // The status strip as it looks on screen; null when there is none.
    virtual QImage GrabStatusBar() = 0;
    // Sets the status strip's text; repaintFirst repaints it at once.
    virtual void SetStatusText(const QString& text, bool repaintFirst) = 0;
    // The file Save Bitmap writes without asking: full path and file title,
    // both empty until a Save Bitmap As wrote a file; kept for the window's life.
    virtual const std::string& BitmapPath() const = 0;
    virtual const std::string& BitmapTitle() const = 0;
    virtual void RememberBitmap(const std::string& path, const std::string& title) = 0;

  protected:
    ~IOutputWindow() = default;
};

}  // namespace vortan::qt
