#include "page/animation_page.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "output/formats/export_messages.h"
#include "output/formats/png_encoder.h"
#include "page/page_template.h"
#include "palette/palette_animation.h"
#include "platform/atomic_file.h"
#include "platform/base64.h"

namespace vortan::page {

namespace {

// Palette entries and the colour of cleared pixels, one row per tick.
constexpr int kRowColours = kPaletteSize + 1;

// The palettes after 0 .. period ticks, RGB, kRowColours a row. The state is
// copied, so the caller's palette and tables stay as they are.
std::vector<std::uint8_t> PaletteRows(const VortanFrameState& state, int period) {
    auto probe = std::make_unique<VortanFrameState>(state);
    probe->m_palette.SetAnimateListener(nullptr);
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(period + 1) * kRowColours * 3);
    std::uint8_t* out = rows.data();
    for (int tick = 0; tick <= period; ++tick) {
        const PaletteEntries& palette = probe->m_palette.Entries();
        const PaletteEntry& cleared = palette[NearestPaletteEntry(palette, 0, 0, 0)];
        for (int i = 0; i <= kPaletteSize; ++i) {
            const PaletteEntry& e = i < kPaletteSize ? palette[i] : cleared;
            *out++ = e.peRed;
            *out++ = e.peGreen;
            *out++ = e.peBlue;
        }
        if (tick < period) AnimationTick(*probe);
    }
    return rows;
}

std::string DataUrl(const std::vector<std::uint8_t>& png) {
    return "data:image/png;base64," + EncodeBase64(png.data(), png.size());
}

std::string Plural(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string EscapeHtml(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

int PageTickInterval(const VortanFrameState& state) {
    return std::max(state.m_timeDelay, 10);
}

std::string DescribeAnimation(const VortanFrameState& state, int width, int rows) {
    std::string text = std::to_string(width) + " \u00d7 " + std::to_string(rows) + " pixels";
    if (state.m_withOrientation) {
        text += ", " + Plural(state.m_colortableCount, "colour table", "colour tables") + " of " +
                Plural(state.m_entriesPerTable, "entry", "entries");
    }
    if (state.m_withoutOrientation) {
        text +=
            std::string(", without orientation (") + (state.m_colors32 ? "32" : "64") + " colours)";
    }
    text += ", shift " + std::to_string(state.m_colortableShift);
    text += state.m_intensityDimming ? ", intensity dimming" : "";
    text += ", " + std::to_string(PageTickInterval(state)) + " ms a tick, period " +
            Plural(AnimationPeriod(state), "tick", "ticks");
    return text;
}

bool BuildAnimationPage(const IndexedCanvas& canvas, const VortanFrameState& state,
                        const PageOptions& options, std::string& html, std::string& error) {
    const int width = canvas.Width();
    const int rows = options.pictureHeight < 0 ? canvas.Height()
                                               : std::min(options.pictureHeight, canvas.Height());
    if (width < 1 || rows < 1) {
        error = "the picture is empty";
        return false;
    }
    const int period = AnimationPeriod(state);
    if (period < 1 || period > kMaxPagePeriod) {
        error = "the animation's period of " + std::to_string(period) +
                " ticks is longer than a page carries (" + std::to_string(kMaxPagePeriod) + ")";
        return false;
    }

    // The index picture: gray is the palette index, alpha 0 marks cleared pixels.
    PngPicture8 indices;
    indices.width = width;
    indices.height = rows;
    indices.colour = PngColour::kGrayAlpha;
    indices.fillRow = [&](int y, std::uint8_t* out) {
        const CanvasPixel* row = canvas.Row(y);
        for (int x = 0; x < width; ++x) {
            const bool cleared = row[x] == kClearedPixel;
            out[2 * x] = cleared ? 0 : static_cast<std::uint8_t>(row[x] & 0xFF);
            out[2 * x + 1] = cleared ? 0 : 255;
        }
    };
    const std::vector<std::uint8_t> indexPng = EncodePngToMemory(indices, error);
    if (indexPng.empty()) return false;

    const std::vector<std::uint8_t> paletteRows = PaletteRows(state, period);
    PngPicture8 palettes;
    palettes.width = kRowColours;
    palettes.height = period + 1;
    palettes.colour = PngColour::kRgb;
    palettes.fillRow = [&](int y, std::uint8_t* out) {
        std::copy_n(paletteRows.data() + static_cast<std::size_t>(y) * kRowColours * 3,
                    kRowColours * 3, out);
    };
    const std::vector<std::uint8_t> palettePng = EncodePngToMemory(palettes, error);
    if (palettePng.empty()) return false;

    const std::string name = EscapeHtml(options.name);
    const std::string info = EscapeHtml(DescribeAnimation(state, width, rows));
    html.clear();
    html.reserve(indexPng.size() * 4 / 3 + palettePng.size() * 4 / 3 + 12000);
    html += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    // Nothing may be fetched: pictures only from data URLs, script and
    // style only from the page itself.
    html +=
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
        "img-src data:; style-src 'unsafe-inline'; script-src 'unsafe-inline'\">\n";
    html += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    html += "<meta name=\"generator\" content=\"Vortan\">\n";
    html += "<title>" + name + " \u2013 Vortan</title>\n<style>" + kPageStyle + "</style>\n";
    html += "</head>\n<body>\n";
    html += "<main id=\"vortan\" data-width=\"" + std::to_string(width) + "\" data-height=\"" +
            std::to_string(rows) + "\" data-period=\"" + std::to_string(period) +
            "\" data-interval=\"" + std::to_string(PageTickInterval(state)) + "\">\n";
    html +=
        "<div id=\"bar\">\n"
        "<button id=\"back\" type=\"button\" title=\"Step back (\u2190)\">\u25c0 Step</button>\n"
        "<button id=\"play\" type=\"button\" title=\"Play or pause (space)\">Play</button>\n"
        "<button id=\"forward\" type=\"button\" title=\"Step forward (\u2192)\">Step "
        "\u25b6</button>\n"
        "<label title=\"Speed (\u2191 \u2193)\">Speed <select id=\"speed\">"
        "<option>\u215b\u00d7</option><option>\u00bc\u00d7</option><option>\u00bd\u00d7</option>"
        "<option>1\u00d7</option><option>2\u00d7</option><option>4\u00d7</option>"
        "<option>8\u00d7</option></select></label>\n"
        "<span id=\"tick\"></span>\n";
    html += "<span id=\"info\"><b>" + name + "</b>: " + info + "</span>\n</div>\n";
    html += "<div id=\"stage\"><canvas id=\"view\" width=\"" + std::to_string(width) +
            "\" height=\"" + std::to_string(rows) + "\"></canvas></div>\n";
    html += "<noscript><p>The animation needs JavaScript.</p></noscript>\n";
    html += "</main>\n";
    html += "<img id=\"indices\" hidden alt=\"\" src=\"" + DataUrl(indexPng) + "\">\n";
    html += "<img id=\"palettes\" hidden alt=\"\" src=\"" + DataUrl(palettePng) + "\">\n";
    html += "<pre id=\"test-out\" hidden></pre>\n";
    html += "<script>" + std::string(kPageScript) + "</script>\n</body>\n</html>\n";
    return true;
}

bool WriteAnimationPage(const std::string& path, const IndexedCanvas& canvas,
                        const VortanFrameState& state, const PageOptions& options,
                        IMessageSink& sink) {
    auto fail = [&](const std::string& text) {
        sink.MessageBox(text, "Error", MB_OK | MB_ICONEXCLAMATION);
        return false;
    };
    std::string html, error;
    if (!BuildAnimationPage(canvas, state, options, html, error)) {
        return fail(UnableToWriteText(path, error));
    }
    AtomicFile file;
    if (!file.Open(path) || !file.Write(html) || !file.Commit()) {
        return fail(FileFailureText(path, file));
    }
    return true;
}

}  // namespace vortan::page
