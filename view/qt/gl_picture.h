// The picture of palette indices looked up in an OpenGL fragment shader: the
// indices stay on the graphics processor as an integer texture, copied again
// only when the picture changed, and each paint sends just the 257-entry
// colour table (about 1 KiB).
#pragma once

#include <QOpenGLWidget>
#include <cstdint>
#include <functional>

#include "platform/indexed_canvas.h"
#include "platform/logical_palette.h"
#include "view/gl_choice.h"

class QOpenGLShaderProgram;
class QOpenGLVertexArrayObject;

// Shows rows [0, height) of the canvas through the palette entries last set,
// pixel for pixel as ConvertToRgb32 does (cleared pixels and the area outside
// the picture black), one texel per widget pixel.
class CGlPicture : public QOpenGLWidget {
    Q_OBJECT
  public:
    CGlPicture(const vortan::IndexedCanvas& canvas, QWidget* parent);
    ~CGlPicture() override;

    // The colour table the next paint shows the picture through.
    void SetEntries(const vortan::PaletteEntries& entries);
    // Called at the start of every paint, before the colour table is sent (it
    // may set the entries), and after every paint.
    void SetPaintHooks(std::function<void()> before, std::function<void()> after);
    // Called once, outside any paint, when this context cannot run the
    // shader: the picture must then be shown another way.
    void SetFailureHandler(std::function<void()> failed);

    // Copies of the picture sent to the graphics processor so far.
    int PictureUploads() const { return m_pictureUploads; }
    // Whether the graphics processor holds the picture as it stands.
    bool PictureCurrent() const {
        return m_pictureUploaded && m_uploadedGeneration == m_canvas.Generation();
    }
    // Whether the shader and its textures are ready.
    bool Ready() const { return m_ready; }

    // Whether a width x height picture is shown through OpenGL here: asks
    // VORTAN_GL, the platform (never on offscreen or minimal), and the first
    // time it is needed a probe context (which answers "no" where no context
    // can be made at all).
    static bool Chosen(int width, int height);
    // What the probe context reported (probed once, on first call).
    static const vortan::GlContextInfo& ProbedContext();

  protected:
    void initializeGL() override;
    void paintGL() override;
    // Notices a context that could not be made (nothing is painted then).
    void paintEvent(QPaintEvent* event) override;

  private:
    bool BuildProgram();
    void UploadPicture();
    void UploadColours();
    void ReleaseGl();
    void Fail();

    const vortan::IndexedCanvas& m_canvas;
    vortan::PaletteEntries m_entries{};
    std::function<void()> m_before;
    std::function<void()> m_after;
    std::function<void()> m_failed;
    // The end of the context frees this widget's objects.
    QMetaObject::Connection m_contextEnd;
    QOpenGLShaderProgram* m_program = nullptr;
    QOpenGLVertexArrayObject* m_vao = nullptr;
    unsigned m_pictureTexture = 0;
    unsigned m_colourTexture = 0;
    // What the picture texture holds: the canvas at this generation and size.
    std::uint64_t m_uploadedGeneration = 0;
    int m_textureWidth = 0;
    int m_textureHeight = 0;
    bool m_pictureUploaded = false;
    int m_pictureUploads = 0;
    bool m_ready = false;
    bool m_failReported = false;
};
