#include "view/qt/picture_view.h"

#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>

#include "platform/palette_lookup.h"
#include "view/qt/gl_picture.h"
#include "view/qt/vortan_frame.h"

CPictureView::CPictureView(CVortanFrame& frame, const vortan::IndexedCanvas& canvas,
                           const vortan::LogicalPalette& palette, QWidget* parent)
    : QWidget(parent), m_frame(frame), m_canvas(canvas), m_palette(palette) {
    // Every pixel is painted from the image: nothing below needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    if (CGlPicture::Chosen(canvas.Width(), canvas.Height())) {
        m_gl = new CGlPicture(canvas, this);
        m_gl->setGeometry(rect());
        m_gl->SetPaintHooks(
            [this] {
                // Presents are shown by the next paint the compositor allows;
                // any other paint is an exposure.
                m_glExposure = !m_glPresentPending;
                m_glPresentPending = false;
                if (m_dirty) TakePresent();
                m_gl->SetEntries(m_shownEntries);
            },
            [this] {
                if (m_glExposure) m_frame.ExposureSeen();
            });
        m_gl->SetFailureHandler([this] {
            DropGl();
            update();
        });
    }
}

void CPictureView::Present() {
    // A synchronous repaint consumes the flag at once, so every other paint
    // of this widget is one the system asked for.
    m_dirty = true;
    if (m_gl) {
        // A widget drawn through OpenGL is painted when the window's
        // compositor is ready for a frame, not at once: the present counts
        // now, and presents before that paint show as one frame, the last.
        // A hidden one, like a hidden widget's repaint, leaves the present
        // to its next paint.
        if (!m_gl->isVisible()) return;
        TakePresent();
        m_glPresentPending = true;
        m_gl->update();
        return;
    }
    m_presentPending = true;
    repaint();
    m_presentPending = false;
}

void CPictureView::DropGl() {
    if (!m_gl) return;
    m_gl->SetPaintHooks({}, {});
    m_gl->SetFailureHandler({});
    m_gl->hide();
    m_gl->deleteLater();
    m_gl = nullptr;
}

void CPictureView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_gl) m_gl->setGeometry(rect());
}

void CPictureView::PresentPalette() {
    if (!m_dirty && m_palette.Entries() == m_shownEntries) return;
    Present();
}

QRect CPictureView::PictureRect() const {
    return QRect(0, 0, std::max(m_canvas.Width(), 0),
                 std::max(std::min(m_canvas.Height(), height()), 0));
}

const QImage& CPictureView::Image() const {
    if (!m_imageCurrent) ConvertImage();
    return m_image;
}

void CPictureView::ConvertImage() const {
    const QRect picture = PictureRect();
    if (m_image.size() != picture.size()) m_image = QImage(picture.size(), QImage::Format_RGB32);
    // A picture too large for memory leaves a null image: shown black.
    if (!picture.isEmpty() && !m_image.isNull()) {
        // A QImage's rows may be padded; with RGB32 they never are, so one call fills it.
        vortan::ConvertToRgb32(m_canvas, m_shownEntries,
                               reinterpret_cast<std::uint32_t*>(m_image.bits()), picture.height());
    }
    m_imageCurrent = true;
}

QImage* StraightTarget(QPainter& painter, QPoint* shift) {
    QPaintEngine* engine = painter.paintEngine();
    if (engine == nullptr || engine->type() != QPaintEngine::Raster) return nullptr;
    QPaintDevice* device = engine->paintDevice();
    if (device == nullptr || device->devType() != QInternal::Image) return nullptr;
    auto* target = static_cast<QImage*>(device);
    // Opaque 0xFFRRGGBB pixels read the same in all three formats.
    const QImage::Format format = target->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
        format != QImage::Format_ARGB32_Premultiplied)
        return nullptr;
    // Painter pixels must be target pixels: a whole-pixel shift, no scaling.
    const QTransform toDevice = painter.deviceTransform();
    *shift = QPoint(qRound(toDevice.dx()), qRound(toDevice.dy()));
    if (toDevice.type() > QTransform::TxTranslate || shift->x() != toDevice.dx() ||
        shift->y() != toDevice.dy())
        return nullptr;
    return target;
}

bool CPictureView::PaintStraight(QPainter& painter, const QRegion& region) const {
    QPoint shift;
    QImage* target = StraightTarget(painter, &shift);
    if (target == nullptr) return false;
    // Only where the painter may draw: this widget's part of the target.
    QRegion area = region.translated(shift) & target->rect();
    const QRegion clip = painter.paintEngine()->systemClip();
    if (!clip.isEmpty()) area &= clip;
    const vortan::ColourLut lut = vortan::MakeColourLut(m_shownEntries);
    // RGB32 and ARGB32 rows are whole 4-byte pixels, so the stride is in pixels.
    const auto stride = static_cast<std::size_t>(target->bytesPerLine()) / sizeof(std::uint32_t);
    for (const QRect& r : area) {
        auto* to = reinterpret_cast<std::uint32_t*>(target->scanLine(r.top())) + r.left();
        vortan::ConvertRectToRgb32(m_canvas, lut, r.left() - shift.x(), r.top() - shift.y(),
                                   r.width(), r.height(), to, stride);
    }
    return true;
}

void CPictureView::TakePresent() {
    // From now on the screen shows the picture as it stands through the
    // palette as it stands.
    m_shownEntries = m_palette.Entries();
    m_imageCurrent = false;
    ++m_presentCount;
    m_dirty = false;
}

void CPictureView::paintEvent(QPaintEvent* event) {
    // The GL child covers the whole view and paints the picture itself; a
    // paint of the view under it is one the system asked for (a present
    // repaints only the child), so it is an exposure as well.
    if (m_gl) {
        m_frame.ExposureSeen();
        return;
    }
    const bool exposure = !m_presentPending;
    m_presentPending = false;
    if (m_dirty) TakePresent();
    QPainter painter(this);
    // The picture is converted where the paint asks for it, straight into
    // the window's backing store when possible; only what lies outside the
    // picture is filled black, so no pixel is written twice.
    const QRect picture = PictureRect();
    const QRegion covered = event->region() & picture;
    if (!covered.isEmpty() && !PaintStraight(painter, covered)) {
        const QImage& image = Image();
        for (const QRect& r : covered) painter.drawImage(r.topLeft(), image, r);
    }
    for (const QRect& r : event->region().subtracted(QRegion(picture)))
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
