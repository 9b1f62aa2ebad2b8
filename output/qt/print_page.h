// The print pass of the animation window: the picture drawn again off screen,
// inverted (black paper background becomes white) and placed on one page.
#pragma once

#include <QImage>
#include <QRect>
#include <functional>

#include "platform/indexed_canvas.h"
#include "platform/logical_palette.h"

class QPainter;
class QPrinter;
class QWidget;

namespace vortan::qt {

class IOutputWindow;

// Status texts of the print command, in the order they are set (the pass
// itself adds its progress and "   Printing:   DONE" between 1 and 2).
inline constexpr const char* kPrintingStarted = "   Printing... ";
inline constexpr const char* kPrintingPlaced = "  Printing: DONE";
inline constexpr const char* kPrintingEnded = "   Printing: DONE";
inline constexpr const char* kPrintDocumentName = "Vortan";

// The print dialog: returns the printer to print on, or nullptr when the user
// cancelled. The printer stays the runner's and outlives the print command.
using PrintDialogRunner = std::function<QPrinter*(QWidget* parent)>;

// Replaces the print dialog (tests script it); an empty runner restores the real one.
void SetPrintDialogRunner(PrintDialogRunner runner);
// Runs the current print dialog.
QPrinter* RunCurrentPrintDialog(QWidget* parent);
// The real dialog: all pages, no page numbers, no selection, printing to a
// file offered (a PDF file preset when no printer is installed).
QPrinter* RunPrintDialog(QWidget* parent);

// The whole canvas through the palette with every colour inverted: the
// cleared black becomes white. Null when the image cannot be allocated.
QImage InvertedPicture(const IndexedCanvas& canvas, const PaletteEntries& palette);

// Draws picture into page (device pixels of painter's device): the page's
// width, aspect ratio kept, shrunk to the page height when it would run off.
void PlacePicture(QPainter& painter, const QImage& picture, const QRect& page);

// The print pass: draws the window's picture again into an off-screen canvas
// of the client size with the screen pass's rules, and places it inverted on
// the page; painter may be null (a printer that did not start): the pass and
// its status texts run all the same. Sets "  Printing: DONE" at the end.
// Stops touching the window once its lifetime object is gone.
void PrintPicture(IOutputWindow& window, QPainter* painter, const QRect& page);

}  // namespace vortan::qt
