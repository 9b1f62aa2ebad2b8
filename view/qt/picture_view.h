// The animation window's client area: the picture of palette indices shown
// through the current palette, and the one-part status strip under it.
#pragma once

#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QString>
#include <QWidget>
#include <cstdint>

#include "platform/indexed_canvas.h"
#include "platform/logical_palette.h"

class CVortanFrame;
class CGlPicture;

// The image a painter on the raster engine draws into, when it holds opaque
// 32-bit pixels (RGB32 or ARGB32) and the painter's pixels are its pixels
// moved by whole pixels (*shift); nullptr otherwise.
QImage* StraightTarget(QPainter& painter, QPoint* shift);

// Shows rows [0, height) of the canvas through the palette. A paint that no
// Present asked for is an exposure, reported to the frame (which then runs a
// drawing pass); a present only converts the canvas again. Where OpenGL runs
// on a graphics processor (see CGlPicture::Chosen), a child CGlPicture
// covering the view does the conversion; the bookkeeping stays here.
class CPictureView : public QWidget {
    Q_OBJECT
  public:
    CPictureView(CVortanFrame& frame, const vortan::IndexedCanvas& canvas,
                 const vortan::LogicalPalette& palette, QWidget* parent);

    // The canvas was drawn into: converts it through the palette again and
    // repaints at once.
    void Present();
    // The palette was animated: converts and repaints at once, as palette
    // animation changes the screen at once, but only when its entries differ
    // from those last shown; otherwise costs nothing.
    void PresentPalette();
    // The picture through the palette entries presented last (width x
    // picture rows, RGB32): what the window shows.
    const QImage& Image() const;
    // Conversions of the picture made so far (each one repaint).
    int PresentCount() const { return m_presentCount; }
    // The OpenGL look-up showing the picture, or nullptr on the CPU path.
    CGlPicture* GlPicture() const { return m_gl; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Rows of the picture the widget shows.
    QRect PictureRect() const;
    // Converts the picture through the shown entries into m_image.
    void ConvertImage() const;
    // Converts the part of the picture in region straight into the raster
    // image the painter draws on, when it is a plain 32-bit image at whole
    // pixel offsets; false (nothing written) otherwise.
    bool PaintStraight(QPainter& painter, const QRegion& region) const;
    // A present reaches the screen: counts it and takes the palette as it stands.
    void TakePresent();
    // Shows the picture on the CPU path from now on (the GL context failed).
    void DropGl();

    CVortanFrame& m_frame;
    const vortan::IndexedCanvas& m_canvas;
    const vortan::LogicalPalette& m_palette;
    // The picture through m_shownEntries, made when asked for or when a
    // paint cannot write straight into its target.
    mutable QImage m_image;
    mutable bool m_imageCurrent = false;
    // The palette entries the screen shows the picture through.
    vortan::PaletteEntries m_shownEntries{};
    int m_presentCount = 0;
    bool m_presentPending = false;
    bool m_dirty = true;
    CGlPicture* m_gl = nullptr;
    // A present waits for the GL child's next paint; whether the GL paint
    // under way is an exposure.
    bool m_glPresentPending = false;
    bool m_glExposure = false;
};

// A status bar of a single part: its text on a sunken panel.
class CStatusStrip : public QWidget {
    Q_OBJECT
  public:
    explicit CStatusStrip(QWidget* parent);

    void SetText(const QString& text);
    QString Text() const { return m_text; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString m_text;
};
