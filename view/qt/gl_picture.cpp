#include "view/qt/gl_picture.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLShaderProgram>
#include <QOpenGLVertexArrayObject>
#include <QSurfaceFormat>
#include <bit>
#include <cstdlib>
#include <vector>

#include "platform/palette_lookup.h"

namespace {

// The colour table: the 256 palette entries, then black for every index
// above them (cleared pixels).
constexpr int kColourEntries = vortan::kPaletteSize + 1;
// GL_FRAMEBUFFER_SRGB (desktop OpenGL only; headers for OpenGL ES lack it).
constexpr GLenum kFramebufferSrgb = 0x8DB9;

// Forgets errors left by earlier calls, so the next check sees only ours
// (bounded: a lost context may report an error at every call).
void ClearErrors(QOpenGLFunctions& gl) {
    for (int i = 0; i < 16 && gl.glGetError() != GL_NO_ERROR; ++i) {
    }
}

// The colour table is the processor look-up's own: 0xFFRRGGBB words sent
// as bytes, so a texel's channels hold the word's bytes in memory order.
constexpr const char* kColourBytes = std::endian::native == std::endian::little
                                         ? "#define COLOUR_BYTES bgra\n"
                                         : "#define COLOUR_BYTES gbar\n";

// One triangle that covers the whole viewport; no vertex data is needed.
constexpr const char* kVertexBody = R"(
void main() {
    gl_Position = vec4(gl_VertexID == 1 ? 3.0 : -1.0, gl_VertexID == 2 ? 3.0 : -1.0, 0.0, 1.0);
}
)";

// Each framebuffer pixel maps to one picture texel (widget pixels are
// u_scale framebuffer pixels wide, rows counted from the top); indices
// above the palette and texels outside the picture take the black entry.
constexpr const char* kFragmentBody = R"(
uniform usampler2D u_picture;
uniform sampler2D u_colours;
uniform float u_top;
uniform float u_scale;
out vec4 o_colour;
void main() {
    ivec2 size = textureSize(u_picture, 0);
    ivec2 p = ivec2(floor(vec2(gl_FragCoord.x, u_top - gl_FragCoord.y) / u_scale));
    uint index = 256u;
    if (p.x < size.x && p.y < size.y) index = min(texelFetch(u_picture, p, 0).r, 256u);
    o_colour = texelFetch(u_colours, ivec2(int(index), 0), 0).COLOUR_BYTES;
}
)";

// The shading-language header for the current context: GLSL ES 3.00, 1.50
// for OpenGL 3.2 and later (core or compatibility), 1.30 for 3.0 and 3.1.
QByteArray ShaderHeader(const QOpenGLContext& context) {
    if (context.isOpenGLES())
        return "#version 300 es\nprecision highp float;\nprecision highp int;\n"
               "precision highp usampler2D;\nprecision highp sampler2D;\n";
    const QSurfaceFormat format = context.format();
    if (format.version() >= qMakePair(3, 2)) return "#version 150\n";
    return "#version 130\n";
}

}  // namespace

CGlPicture::CGlPicture(const vortan::IndexedCanvas& canvas, QWidget* parent)
    : QOpenGLWidget(parent), m_canvas(canvas) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CGlPicture::~CGlPicture() {
    // The base class destroys the context after this destructor: its signal
    // must not reach this object then.
    QObject::disconnect(m_contextEnd);
    // Free what lives in the context while it still exists.
    if (context() != nullptr) {
        makeCurrent();
        ReleaseGl();
        doneCurrent();
    }
}

void CGlPicture::SetEntries(const vortan::PaletteEntries& entries) {
    m_entries = entries;
}

void CGlPicture::SetPaintHooks(std::function<void()> before, std::function<void()> after) {
    m_before = std::move(before);
    m_after = std::move(after);
}

void CGlPicture::SetFailureHandler(std::function<void()> failed) {
    m_failed = std::move(failed);
}

void CGlPicture::initializeGL() {
    // A context made anew (the widget moved to another window) starts over.
    ReleaseGl();
    QObject::disconnect(m_contextEnd);
    m_contextEnd = connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] {
        makeCurrent();
        ReleaseGl();
        doneCurrent();
    });
    if (!vortan::RunsPictureShader(context()->format().majorVersion()) || !BuildProgram()) {
        Fail();
        return;
    }
    QOpenGLExtraFunctions* gl = context()->extraFunctions();
    ClearErrors(*gl);
    GLuint textures[2] = {0, 0};
    gl->glGenTextures(2, textures);
    m_pictureTexture = textures[0];
    m_colourTexture = textures[1];
    // Both tables are read texel by texel: nearest, one level, clamped. An
    // integer texture is incomplete (reads as zero) with any other filter.
    for (GLuint texture : textures) {
        gl->glBindTexture(GL_TEXTURE_2D, texture);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    }
    gl->glBindTexture(GL_TEXTURE_2D, m_colourTexture);
    gl->glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kColourEntries, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     nullptr);
    gl->glBindTexture(GL_TEXTURE_2D, 0);
    if (gl->glGetError() != GL_NO_ERROR) {
        Fail();
        return;
    }
    m_ready = true;
}

bool CGlPicture::BuildProgram() {
    const QByteArray header = ShaderHeader(*context());
    m_program = new QOpenGLShaderProgram;
    if (!m_program->addShaderFromSourceCode(QOpenGLShader::Vertex, header + kVertexBody) ||
        !m_program->addShaderFromSourceCode(QOpenGLShader::Fragment,
                                            header + kColourBytes + kFragmentBody) ||
        !m_program->link())
        return false;
    // Core profiles draw nothing without a vertex array object bound.
    m_vao = new QOpenGLVertexArrayObject;
    return m_vao->create();
}

void CGlPicture::UploadPicture() {
    QOpenGLExtraFunctions* gl = context()->extraFunctions();
    const int width = m_canvas.Width();
    const int height = m_canvas.Height();
    // An empty picture is one cleared texel: everything shows black.
    static const vortan::CanvasPixel kCleared = vortan::kClearedPixel;
    const bool empty = width <= 0 || height <= 0;
    const int w = empty ? 1 : width;
    const int h = empty ? 1 : height;
    const void* pixels = empty ? &kCleared : static_cast<const void*>(m_canvas.Pixels().data());
    gl->glBindTexture(GL_TEXTURE_2D, m_pictureTexture);
    // Rows of 16-bit texels are packed: an odd width leaves rows 2-byte aligned only.
    gl->glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    if (w != m_textureWidth || h != m_textureHeight) {
        gl->glTexImage2D(GL_TEXTURE_2D, 0, GL_R16UI, w, h, 0, GL_RED_INTEGER, GL_UNSIGNED_SHORT,
                         pixels);
        m_textureWidth = w;
        m_textureHeight = h;
    } else {
        gl->glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_RED_INTEGER, GL_UNSIGNED_SHORT,
                            pixels);
    }
    gl->glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    m_uploadedGeneration = m_canvas.Generation();
    m_pictureUploaded = true;
    ++m_pictureUploads;
}

void CGlPicture::UploadColours() {
    const vortan::ColourLut lut = vortan::MakeColourLut(m_entries);
    QOpenGLExtraFunctions* gl = context()->extraFunctions();
    gl->glBindTexture(GL_TEXTURE_2D, m_colourTexture);
    gl->glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl->glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kColourEntries, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                        lut.data());
}

void CGlPicture::paintGL() {
    QOpenGLExtraFunctions* gl = context()->extraFunctions();
    if (!m_ready) {
        gl->glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        gl->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    if (m_before) m_before();
    ClearErrors(*gl);
    // Every change of the pixels or the size moves the generation on.
    if (!m_pictureUploaded || m_canvas.Generation() != m_uploadedGeneration) UploadPicture();
    UploadColours();
    if (gl->glGetError() != GL_NO_ERROR) {
        // Most likely no memory for the picture on the graphics processor.
        m_pictureUploaded = false;
        gl->glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        gl->glClear(GL_COLOR_BUFFER_BIT);
        Fail();
        if (m_after) m_after();
        return;
    }
    // Colours go out exactly as the table holds them.
    gl->glDisable(GL_BLEND);
    gl->glDisable(GL_DITHER);
    gl->glDisable(GL_DEPTH_TEST);
    gl->glDisable(GL_SCISSOR_TEST);
    gl->glDisable(GL_STENCIL_TEST);
    if (!context()->isOpenGLES()) gl->glDisable(kFramebufferSrgb);
    GLint viewport[4] = {0, 0, 0, 0};
    gl->glGetIntegerv(GL_VIEWPORT, viewport);
    m_program->bind();
    m_program->setUniformValue("u_picture", 0);
    m_program->setUniformValue("u_colours", 1);
    m_program->setUniformValue("u_top", static_cast<GLfloat>(viewport[3]));
    m_program->setUniformValue("u_scale", static_cast<GLfloat>(devicePixelRatioF()));
    gl->glActiveTexture(GL_TEXTURE0);
    gl->glBindTexture(GL_TEXTURE_2D, m_pictureTexture);
    gl->glActiveTexture(GL_TEXTURE1);
    gl->glBindTexture(GL_TEXTURE_2D, m_colourTexture);
    m_vao->bind();
    gl->glDrawArrays(GL_TRIANGLES, 0, 3);
    m_vao->release();
    gl->glBindTexture(GL_TEXTURE_2D, 0);
    gl->glActiveTexture(GL_TEXTURE0);
    gl->glBindTexture(GL_TEXTURE_2D, 0);
    m_program->release();
    if (m_after) m_after();
}

void CGlPicture::paintEvent(QPaintEvent* event) {
    QOpenGLWidget::paintEvent(event);
    if (context() == nullptr || !context()->isValid()) Fail();
}

void CGlPicture::ReleaseGl() {
    m_ready = false;
    m_pictureUploaded = false;
    m_textureWidth = 0;
    m_textureHeight = 0;
    delete m_vao;  // destroys its object in the current context
    m_vao = nullptr;
    delete m_program;
    m_program = nullptr;
    if (m_pictureTexture != 0 || m_colourTexture != 0) {
        const GLuint textures[2] = {m_pictureTexture, m_colourTexture};
        if (QOpenGLContext* current = QOpenGLContext::currentContext())
            current->extraFunctions()->glDeleteTextures(2, textures);
        m_pictureTexture = 0;
        m_colourTexture = 0;
    }
}

void CGlPicture::Fail() {
    m_ready = false;
    if (m_failReported) return;
    m_failReported = true;
    // Reported from the event loop: the handler may delete this widget.
    QMetaObject::invokeMethod(
        this,
        [this] {
            // A copy: the handler may replace the one stored here.
            const std::function<void()> failed = m_failed;
            if (failed) failed();
        },
        Qt::QueuedConnection);
}

const vortan::GlContextInfo& CGlPicture::ProbedContext() {
    static const vortan::GlContextInfo info = [] {
        vortan::GlContextInfo probed;
        if (QGuiApplication::instance() == nullptr) return probed;
        QOpenGLContext context;
        context.setFormat(QSurfaceFormat::defaultFormat());
        if (!context.create()) return probed;
        QOffscreenSurface surface;
        surface.setFormat(context.format());
        surface.create();
        if (!surface.isValid() || !context.makeCurrent(&surface)) return probed;
        QOpenGLFunctions* gl = context.functions();
        const auto* renderer = reinterpret_cast<const char*>(gl->glGetString(GL_RENDERER));
        GLint maxTexture = 0;
        gl->glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
        probed.created = true;
        probed.major = context.format().majorVersion();
        probed.renderer = renderer != nullptr ? renderer : "";
        probed.maxTextureSize = maxTexture;
        context.doneCurrent();
        return probed;
    }();
    return info;
}

bool CGlPicture::Chosen(int width, int height) {
    const vortan::GlRequest request = vortan::ParseGlRequest(std::getenv("VORTAN_GL"));
    if (request == vortan::GlRequest::Never) return false;
    // Platforms that show no window to anyone (headless runs and tests) keep
    // the plain path; their GL, where any, composes no widgets.
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return false;
    return vortan::UseGlPicture(request, ProbedContext(), width, height);
}
