// The window as the output commands see it; after Close() each call counts as a use of it gone.
#pragma once

#include <QObject>
#include <memory>
#include <string>
#include <vector>

#include "output/qt/output_window.h"
#include "palette/color_tables.h"
#include "palette/palette_animation.h"
#include "tests/qt/fake_ui_service.h"
#include "tests/qt/frame_test_support.h"
#include "view/drawing_pass.h"

namespace vortan::test {

class FakeOutputWindow : public qt::IOutputWindow {
  public:
    explicit FakeOutputWindow(FakeUiService& ui) : m_ui(ui) {}

    // Draws the record's input file as the window's first screen pass does,
    // on a client area of the record's picture size plus the status strip.
    void Draw(const AnimationParameters& params) {
        ApplyAnimationParameters(params, record);
        record.m_animationOn = 0;  // only the test moves the palette
        record.m_axisX = record.m_axisY = 1;
        BuildWindowPalette(record);
        client = QSize(record.m_imageWidth, record.m_imageHeight + kStatusBarHeight);
        canvas.Resize(client.width(), client.height());
        QuietHost host;
        RunDrawingPass(record, canvas, host, PassKind::Screen);
    }
    void Tick(int ticks = 1) {
        while (ticks-- > 0) AnimationTick(record);
    }
    void Close() { m_lifetime.reset(); }

    QObject* LifetimeObject() override { return Used(m_lifetime).get(); }
    IUiService& Ui() override { return Used(m_ui); }
    const VortanFrameState& DrawingRecord() const override { return Used(record); }
    const IndexedCanvas& Canvas() const override { return Used(canvas); }
    const PaletteEntries& PaletteColours() const override {
        return Used(record.m_palette.Entries());
    }
    QSize ClientSize() const override { return Used(client); }
    QImage GrabStatusBar() override { return Used(strip); }
    void SetStatusText(const QString& text, bool) override {
        Used(statusTexts).push_back(text.toStdString());
    }
    const std::string& BitmapPath() const override { return Used(bitmapPath); }
    const std::string& BitmapTitle() const override { return Used(bitmapTitle); }
    void RememberBitmap(const std::string& path, const std::string& title) override {
        Used(bitmapPath) = path;
        bitmapTitle = title;
    }

    VortanFrameState record;
    IndexedCanvas canvas;
    QSize client;
    QImage strip;
    std::vector<std::string> statusTexts;
    std::string bitmapPath;
    std::string bitmapTitle;
    mutable int callsAfterClose = 0;

  private:
    struct QuietHost : IFrameHost {
        int MessageBox(const std::string&, const std::string&, unsigned) override { return IDOK; }
        void SetStatusText(const std::string&, bool) override {}
        bool SetTimer(unsigned, std::uint32_t) override { return false; }
        void KillTimer(unsigned) override {}
    };
    template <class T>
    T& Used(T& value) const {
        callsAfterClose += !m_lifetime;
        return value;
    }

    FakeUiService& m_ui;
    std::unique_ptr<QObject> m_lifetime = std::make_unique<QObject>();
};

// Output commands on fake windows, each drawn from a file of its own.
class FakeWindowFixture : public ::testing::Test {
  protected:
    // A w x h picture of text (by default three streamlines), drawn with a still palette.
    FakeOutputWindow& Drawn(int w = 120, int h = 90, std::string text = "") {
        const std::string path = m_dir.file("picture" + std::to_string(m_windows.size()) + ".math");
        WriteTextFile(path, text.empty() ? FrameInputText(float(w), float(h), 2) : text);
        AnimationParameters p = FrameParams(path, 2, false);
        p.m_imageWidth = w;
        p.m_imageHeight = h;
        m_windows.push_back(std::make_unique<FakeOutputWindow>(m_ui));
        m_windows.back()->Draw(p);
        return *m_windows.back();
    }

    TempDir m_dir;
    FakeUiService m_ui;
    std::vector<std::unique_ptr<FakeOutputWindow>> m_windows;
};

}  // namespace vortan::test
