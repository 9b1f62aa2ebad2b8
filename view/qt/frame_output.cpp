// The animation window as the output commands see it, and the commands that
// hand it to them.
#include "output/qt/window_output.h"
#include "view/qt/vortan_frame.h"

void CVortanFrame::OnFilePrint() {
    vortan::qt::FilePrint(*this);
}

void CVortanFrame::OnSaveBitmap() {
    vortan::qt::SaveBitmap(*this);
}

void CVortanFrame::OnSaveBitmapAs() {
    vortan::qt::SaveBitmapAs(*this);
}

QObject* CVortanFrame::LifetimeObject() {
    return this;
}

const vortan::VortanFrameState& CVortanFrame::DrawingRecord() const {
    return *this;
}

const vortan::PaletteEntries& CVortanFrame::PaletteColours() const {
    return m_palette.Entries();
}

const std::string& CVortanFrame::BitmapPath() const {
    return m_bitmapPath;
}

const std::string& CVortanFrame::BitmapTitle() const {
    return m_bitmapTitle;
}

void CVortanFrame::RememberBitmap(const std::string& path, const std::string& title) {
    m_bitmapPath = path;
    m_bitmapTitle = title;
}
