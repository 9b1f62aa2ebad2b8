// The program's resources as data: dialog templates, menu, accelerators,
// strings, icon and version. Positions and sizes are in dialog units.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace vortan::res {

enum class ControlKind {
    Edit,
    PushButton,
    DefaultPushButton,
    AutoCheckBox,
    AutoRadioButton,
    Static,
    GroupBox,
    Icon,
};

// Style bits that matter on this platform.
inline constexpr std::uint32_t kTabStop = 0x1;
inline constexpr std::uint32_t kGroup = 0x2;
inline constexpr std::uint32_t kBorder = 0x4;
inline constexpr std::uint32_t kHScroll = 0x8;
inline constexpr std::uint32_t kDisabled = 0x10;

struct ControlTemplate {
    int id;  // -1 for controls without an id of their own
    ControlKind kind;
    std::string_view text;
    int x, y, width, height;
    std::uint32_t style;
};

struct DialogTemplate {
    int id;
    std::string_view title;
    int width, height;
    std::string_view fontName;
    int fontPoints;
    std::span<const ControlTemplate> controls;
};

const DialogTemplate& Dialog(int id);  // 100, 102, 138 or 139

struct MenuItem {
    std::string_view popup;  // "&File", "&Options"
    std::string_view text;   // empty for a separator
    int command;             // 0 for a separator
};
std::span<const MenuItem> Menu134();

// Accelerator flags.
inline constexpr std::uint8_t FVIRTKEY = 0x01;
inline constexpr std::uint8_t FNOINVERT = 0x02;
inline constexpr std::uint8_t FCONTROL = 0x08;

struct Accelerator {
    std::uint8_t flags;
    std::uint16_t key;  // virtual-key code ('A', 'P', VK_F1 = 0x70, ...)
    int command;
};
std::span<const Accelerator> Accelerators135();

std::string_view String(int id);  // 101: "&About vortan..."

struct VersionInfo {
    std::uint16_t fileVersion[4];
    std::uint16_t productVersion[4];
    std::string_view fileDescription;
    std::string_view internalName;
    std::string_view originalFilename;
    std::string_view productName;
};
const VersionInfo& Version();

// Icon 128: 16-colour images, one palette index (0..15) per pixel, rows top first.
struct IconImage {
    int size;                              // 32 or 16
    std::span<const std::uint8_t> pixels;  // size * size indices
};
std::span<const IconImage> Icon128();
// The standard 16-colour palette as 0xRRGGBB.
std::span<const std::uint32_t> IconPalette();

// Command and control ids used across the program.
inline constexpr int ID_APP_ABOUT_SYS = 16;
inline constexpr int ID_FILE_SAVE = 57603;
inline constexpr int ID_FILE_SAVE_AS = 57604;
inline constexpr int ID_FILE_PRINT = 57607;
inline constexpr int ID_HELP_FINDER = 57667;
inline constexpr int ID_HELP = 57670;
inline constexpr int ID_EXIT = 32778;
inline constexpr int ID_ANIMATION = 32779;
inline constexpr int ID_SAVE_BITMAP = 32780;
inline constexpr int ID_SAVE_BITMAP_AS = 32781;
inline constexpr int ID_SETTINGS = 32782;
inline constexpr int IDC_STATUSBAR = 1035;

}  // namespace vortan::res
