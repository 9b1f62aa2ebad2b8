#include "view/qt/picture_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>

#include "view/qt/vortan_frame.h"

CPictureView::CPictureView(CVortanFrame& frame, const vortan::IndexedCanvas& canvas,
                           const vortan::LogicalPalette& palette, QWidget* parent)
    : QWidget(parent), m_frame(frame), m_canvas(canvas), m_palette(palette) {
    // Every pixel is painted from the image: nothing below needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void CPictureView::Present() {
    // A synchronous repaint consumes the flag at once, so every other paint
    // of this widget is one the system asked for.
    m_dirty = true;
    m_presentPending = true;
    repaint();
    m_presentPending = false;
}

void CPictureView::PresentPalette() {
    if (!m_dirty && m_palette.Entries() == m_shownEntries) return;
    Present();
}

void CPictureView::Convert() {
    const int w = m_canvas.Width();
    const int rows = std::min(m_canvas.Height(), height());
    if (m_image.width() != w || m_image.height() != rows)
        m_image = QImage(std::max(w, 0), std::max(rows, 0), QImage::Format_RGB32);
    // A picture too large for memory leaves a null image: shown black.
    if (w > 0 && rows > 0 && !m_image.isNull()) {
        // A QImage's rows may be padded; with RGB32 they never are, so one call fills it.
        vortan::ConvertToRgb32(m_canvas, m_palette.Entries(),
                               reinterpret_cast<std::uint32_t*>(m_image.bits()), rows);
    }
    m_shownEntries = m_palette.Entries();
    ++m_presentCount;
    m_dirty = false;
}

void CPictureView::paintEvent(QPaintEvent* event) {
    const bool exposure = !m_presentPending;
    m_presentPending = false;
    if (m_dirty) Convert();
    QPainter painter(this);
    // The image is drawn where the paint asks for it; only what lies outside
    // the image is filled black, so no pixel is written twice.
    const QRect imageRect(QPoint(0, 0), m_image.size());
    const QRect covered = event->rect() & imageRect;
    if (!covered.isEmpty()) painter.drawImage(covered.topLeft(), m_image, covered);
    for (const QRect& r : event->region().subtracted(QRegion(imageRect)))
        painter.fillRect(r, Qt::black);
    painter.end();
    if (exposure) m_frame.ExposureSeen();
}

CStatusStrip::CStatusStrip(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

void CStatusStrip::SetText(const QString& text) {
    m_text = text;
}

void CStatusStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect all = rect();
    painter.fillRect(all, palette().color(QPalette::Window));
    // One part with a sunken border across the whole strip, a grip-less bar.
    const QRect part = all.adjusted(2, 3, -2, -2);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(part.topLeft(), part.topRight());
    painter.drawLine(part.topLeft(), part.bottomLeft());
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(part.bottomLeft(), part.bottomRight());
    painter.drawLine(part.topRight(), part.bottomRight());
    painter.setPen(palette().color(QPalette::WindowText));
    // Texts carry their own leading blanks; keep every one of them.
    painter.drawText(part.adjusted(2, 0, -2, 0),
                     Qt::AlignVCenter | Qt::AlignLeft | Qt::TextDontClip, m_text);
}
