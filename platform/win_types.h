// Small stand-ins for the Windows platform types and constants the engine uses.
#pragma once

#include <cstdint>

namespace vortan {

// One logical-palette entry: red, green, blue, flags (the layout of PALETTEENTRY).
struct PaletteEntry {
    std::uint8_t peRed = 0;
    std::uint8_t peGreen = 0;
    std::uint8_t peBlue = 0;
    std::uint8_t peFlags = 0;
    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

// Palette entry flag that makes an entry animatable.
inline constexpr std::uint8_t PC_RESERVED = 0x01;

// A colour value that names palette entry i.
constexpr std::uint32_t PALETTEINDEX(std::uint32_t i) {
    return 0x01000000u + i;
}

// Message-box types (a combination of button and icon bits).
inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_OKCANCEL = 0x1;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONSTOP = 0x10;

// Message-box results.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

}  // namespace vortan
