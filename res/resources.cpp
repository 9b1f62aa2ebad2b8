// The program's resources as data tables: dialog templates, menu, accelerators,
// strings, version and the application icon.
#include "res/resources.h"

#include <array>
#include <stdexcept>

namespace vortan::res {
namespace {

using K = ControlKind;

constexpr std::uint32_t kEditStyle = kBorder | kHScroll | kTabStop;

// About box.
constexpr ControlTemplate kAbout[] = {
    {-1, K::Icon, "128", 11, 17, 20, 20, 0},
    {-1, K::Static, "vortan Version 1.0", 40, 10, 119, 8, kGroup},
    {1, K::DefaultPushButton, "OK", 178, 7, 32, 14, kGroup | kTabStop},
};

// Control panel. The statics carry the group style, so 1027..1030 form one
// radio group and 1042/1043 another.
constexpr ControlTemplate kPanel[] = {
    {1015, K::Edit, "", 77, 18, 50, 12, kEditStyle},
    {1009, K::Edit, "", 77, 34, 50, 12, kEditStyle},
    {1022, K::AutoCheckBox, "Animation", 13, 49, 60, 12, kTabStop},
    {1, K::DefaultPushButton, "Quit", 240, 225, 58, 13, kTabStop},
    {-1, K::GroupBox, "Settings", 7, 7, 153, 56, 0},
    {1007, K::DefaultPushButton, "OK", 173, 225, 58, 13, kTabStop},
    {-1, K::Static, "Time Delay: (ms):", 13, 35, 60, 11, kGroup},
    {-1, K::Static, "Disk-diameter", 13, 22, 48, 8, kGroup},
    {1031, K::PushButton, "Save Settings", 183, 20, 68, 13, kTabStop},
    {1032, K::PushButton, "Load Settings", 183, 38, 68, 13, kTabStop},
    {57667, K::PushButton, "Help Topics", 7, 225, 58, 13, kTabStop},
    {1027, K::AutoRadioButton, "With Orientation", 42, 83, 70, 10, 0},
    {1028, K::AutoRadioButton, "Without Orientation", 42, 95, 76, 12, 0},
    {1018, K::Edit, "", 81, 126, 51, 14, kEditStyle},
    {1029, K::AutoRadioButton, "32 Colors", 190, 138, 56, 8, 0},
    {1030, K::AutoRadioButton, "64 Colors", 190, 151, 56, 9, 0},
    {1034, K::Edit, "", 82, 200, 51, 14, kEditStyle},
    {-1, K::GroupBox, "", 7, 66, 291, 43, 0},
    {-1, K::GroupBox, "Advanced Settings", 7, 186, 291, 34, 0},
    {-1, K::Static, "# Colortables [1..7]:", 13, 128, 64, 12, kGroup},
    {-1, K::GroupBox, "With Orientation", 7, 113, 143, 71, 0},
    {-1, K::GroupBox, "Without Orientation", 157, 113, 143, 71, 0},
    {-1, K::Static, "Colortables:", 13, 74, 54, 8, kGroup},
    {-1, K::Static, "Colortable - Shift:", 16, 202, 58, 12, kGroup},
    {-1, K::Static, "Colortable - Entries:", 166, 126, 62, 11, kGroup},
    {-1, K::Static, "Streamlet Dimming:", 13, 144, 66, 10, kGroup},
    {1042, K::AutoRadioButton, "Intensity", 42, 153, 57, 14, 0},
    {1043, K::AutoRadioButton, "Disk - Scale", 42, 169, 66, 11, 0},
};

// Axis dialog.
constexpr ControlTemplate kAxes[] = {
    {1, K::DefaultPushButton, "OK", 129, 38, 50, 14, kTabStop},
    {2, K::PushButton, "Cancel", 129, 56, 50, 14, kTabStop},
    {1044, K::AutoCheckBox, "X", 36, 27, 21, 10, kTabStop},
    {1045, K::AutoCheckBox, "Y", 36, 40, 21, 10, kTabStop},
    {1046, K::AutoCheckBox, "Z", 36, 53, 21, 10, kTabStop},
    {-1, K::Static, "Select two axes:", 7, 13, 105, 12, kGroup},
};

// Animation settings dialog.
constexpr ControlTemplate kAnimation[] = {
    {1, K::DefaultPushButton, "OK", 63, 60, 50, 14, kTabStop},
    {2, K::PushButton, "Cancel", 129, 60, 50, 14, kTabStop},
    {1047, K::Edit, "", 79, 13, 50, 13, kEditStyle},
    {-1, K::Static, "Time Delay: (ms):", 7, 14, 54, 12, kGroup},
    {-1, K::Static, "Colortable - Shift:", 7, 33, 69, 12, kGroup},
    {1048, K::Edit, "", 79, 32, 50, 13, kEditStyle},
};

constexpr std::string_view kFont = "MS Sans Serif";

const DialogTemplate kDialogs[] = {
    {100, "About vortan", 217, 55, kFont, 8, kAbout},
    {102, "Vortan", 311, 247, kFont, 8, kPanel},
    {138, "Vortan", 186, 77, kFont, 8, kAxes},
    {139, "Vortan", 186, 82, kFont, 8, kAnimation},
};

constexpr MenuItem kMenu134[] = {
    {"&File", "&Print\tCrtl+P", ID_FILE_PRINT},
    {"&File", "", 0},
    {"&File", "E&xit", ID_EXIT},
    {"&Options", "&Animation\tF2", ID_ANIMATION},
    {"&Options", "&Settings\tF3", ID_SETTINGS},
};

constexpr std::uint8_t kVirt = FVIRTKEY | FNOINVERT;
constexpr Accelerator kAccel135[] = {
    {kVirt | FCONTROL, 'A', ID_FILE_SAVE_AS},
    {kVirt | FCONTROL, 'P', ID_FILE_PRINT},
    {kVirt | FCONTROL, 'S', ID_FILE_SAVE},
    {kVirt, 0x70, ID_HELP_FINDER},
    {kVirt, 0x71, ID_ANIMATION},
    {kVirt, 0x72, ID_SETTINGS},
    {kVirt | FCONTROL, 'X', ID_EXIT},
};

constexpr VersionInfo kVersion = {
    {1, 0, 0, 1}, {1, 0, 0, 1}, "vortan MFC Application",
    "vortan",     "vortan.EXE", "vortan Application",
};

constexpr std::uint32_t kPalette16[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

// The icon, drawn as one hexadecimal palette index per pixel: a swirl of
// coloured streamlets on a dark blue field.
constexpr const char* kIcon32Rows[32] = {
    "00000000000000000000000000000000", "04444444444444444444444444444440",
    "04444444444444444449944444444440", "0444444444444444DD99999994444440",
    "0444444444444DDDDD99999994444440", "0444444444444DDDDDD9999994444440",
    "04444444444DDDDD4444449994444440", "04444444444DDDD44444444444444440",
    "0444444444ADDD444444444444444440", "0444444444AA44444444444444444440",
    "044444444AAA44444444444444444440", "044444444AAA44444AAADD4444444440",
    "044444444AA44444AAAADDDD44444440", "0DDD44444AAA444BA444DDDD44444440",
    "0DDDD44444AB444B444444DDDD444440", "0DDDD44444BBB44B4444444DDD444440",
    "0DDDD444444BBBEEFF44444499944440", "04DDDD444444BBE44FE4444499944440",
    "04DDDD444444444444E4444499944440", "04DDDAA4444444444EE4444499944440",
    "0444AAAA444444444EE4444499944440", "0444AAAAA4444444BBE4444499944440",
    "04444AAAAAAABBBBBB44444999944440", "0444444AAAAABBBB44444444F9944440",
    "044444444AAABB44444444FFFF444440", "0444444444444444444444FFFF444440",
    "044444444444444444444FFFFF444440", "04444444444444444444FFFF44444440",
    "04444444444444444444FFFF44444440", "044444444444444444444FFF44444440",
    "04444444444444444444444444444440", "00000000000000000000000000000000"};
constexpr const char* kIcon16Rows[16] = {
    "0000000000000000", "04444444D9994440", "044444DDD9999440", "04444DDD44444440",
    "04444A4444444440", "04444A444A444440", "04444A44AADD4440", "0D444B4B444DD440",
    "0DD44BBEFF449440", "0DD444444E449940", "04AA4444E4449440", "044AAABBB4449940",
    "044444B4444FF440", "0444444444FFF440", "0444444444FF4440", "0000000000000000"};

constexpr std::uint8_t HexValue(char c) {
    return static_cast<std::uint8_t>(c >= 'A' ? c - 'A' + 10 : c - '0');
}

template <int N>
constexpr std::array<std::uint8_t, N * N> DecodeIcon(const char* const (&rows)[N]) {
    std::array<std::uint8_t, N * N> pixels{};
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) pixels[y * N + x] = HexValue(rows[y][x]);
    return pixels;
}

constexpr auto kIcon32 = DecodeIcon(kIcon32Rows);
constexpr auto kIcon16 = DecodeIcon(kIcon16Rows);

const IconImage kIcon128[] = {
    {32, kIcon32},
    {16, kIcon16},
};

}  // namespace

const DialogTemplate& Dialog(int id) {
    for (const auto& d : kDialogs)
        if (d.id == id) return d;
    throw std::out_of_range("no dialog template with this id");
}

std::span<const MenuItem> Menu134() {
    return kMenu134;
}

std::span<const Accelerator> Accelerators135() {
    return kAccel135;
}

std::string_view String(int id) {
    return id == 101 ? "&About vortan..." : "";
}

const VersionInfo& Version() {
    return kVersion;
}

std::span<const IconImage> Icon128() {
    return kIcon128;
}

std::span<const std::uint32_t> IconPalette() {
    return kPalette16;
}

}  // namespace vortan::res
