#include "res/resources.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace vortan::res {
namespace {

const ControlTemplate* Find(const DialogTemplate& d, int id) {
    for (const auto& c : d.controls)
        if (c.id == id) return &c;
    return nullptr;
}

// Radio groups as the dialog manager sees them: a group starts at a control
// with kGroup; the radio buttons between two such controls are one group.
std::vector<std::vector<int>> RadioGroups(const DialogTemplate& d) {
    std::vector<std::vector<int>> groups(1);
    for (const auto& c : d.controls) {
        if ((c.style & kGroup) && !groups.back().empty()) groups.emplace_back();
        if (c.kind == ControlKind::AutoRadioButton) groups.back().push_back(c.id);
    }
    if (groups.back().empty()) groups.pop_back();
    return groups;
}

struct DialogCase {
    int id;
    const char* title;
    int width, height, controls;
};

TEST(Resources, DialogHeaders) {
    const DialogCase cases[] = {
        {100, "About vortan", 217, 55, 3},
        {102, "Vortan", 311, 247, 28},
        {138, "Vortan", 186, 77, 6},
        {139, "Vortan", 186, 82, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const DialogTemplate& d = Dialog(c.id);
        EXPECT_EQ(d.id, c.id);
        EXPECT_EQ(d.title, c.title);
        EXPECT_EQ(d.width, c.width);
        EXPECT_EQ(d.height, c.height);
        EXPECT_EQ(d.fontName, "MS Sans Serif");
        EXPECT_EQ(d.fontPoints, 8);
        EXPECT_EQ(int(d.controls.size()), c.controls);
    }
    EXPECT_THROW(Dialog(101), std::out_of_range);
}

struct ControlCase {
    int dialog, id;
    ControlKind kind;
    const char* text;
    int x, y, w, h;
};

TEST(Resources, ControlsWithIds) {
    using K = ControlKind;
    const ControlCase cases[] = {
        {102, 1015, K::Edit, "", 77, 18, 50, 12},
        {102, 1009, K::Edit, "", 77, 34, 50, 12},
        {102, 1022, K::AutoCheckBox, "Animation", 13, 49, 60, 12},
        {102, 1, K::DefaultPushButton, "Quit", 240, 225, 58, 13},
        {102, 1007, K::DefaultPushButton, "OK", 173, 225, 58, 13},
        {102, 1031, K::PushButton, "Save Settings", 183, 20, 68, 13},
        {102, 1032, K::PushButton, "Load Settings", 183, 38, 68, 13},
        {102, 57667, K::PushButton, "Help Topics", 7, 225, 58, 13},
        {102, 1027, K::AutoRadioButton, "With Orientation", 42, 83, 70, 10},
        {102, 1028, K::AutoRadioButton, "Without Orientation", 42, 95, 76, 12},
        {102, 1018, K::Edit, "", 81, 126, 51, 14},
        {102, 1029, K::AutoRadioButton, "32 Colors", 190, 138, 56, 8},
        {102, 1030, K::AutoRadioButton, "64 Colors", 190, 151, 56, 9},
        {102, 1034, K::Edit, "", 82, 200, 51, 14},
        {102, 1042, K::AutoRadioButton, "Intensity", 42, 153, 57, 14},
        {102, 1043, K::AutoRadioButton, "Disk - Scale", 42, 169, 66, 11},
        {100, 1, K::DefaultPushButton, "OK", 178, 7, 32, 14},
        {138, 1, K::DefaultPushButton, "OK", 129, 38, 50, 14},
        {138, 2, K::PushButton, "Cancel", 129, 56, 50, 14},
        {138, 1044, K::AutoCheckBox, "X", 36, 27, 21, 10},
        {138, 1045, K::AutoCheckBox, "Y", 36, 40, 21, 10},
        {138, 1046, K::AutoCheckBox, "Z", 36, 53, 21, 10},
        {139, 1, K::DefaultPushButton, "OK", 63, 60, 50, 14},
        {139, 2, K::PushButton, "Cancel", 129, 60, 50, 14},
        {139, 1047, K::Edit, "", 79, 13, 50, 13},
        {139, 1048, K::Edit, "", 79, 32, 50, 13},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.dialog) + "/" + std::to_string(c.id));
        const ControlTemplate* t = Find(Dialog(c.dialog), c.id);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->kind, c.kind);
        EXPECT_EQ(t->text, c.text);
        EXPECT_EQ(t->x, c.x);
        EXPECT_EQ(t->y, c.y);
        EXPECT_EQ(t->width, c.w);
        EXPECT_EQ(t->height, c.h);
        if (c.kind == K::Edit) {
            EXPECT_EQ(t->style & (kBorder | kHScroll | kTabStop), kBorder | kHScroll | kTabStop);
        }
        if (c.kind == K::AutoRadioButton) {
            EXPECT_EQ(t->style & (kGroup | kTabStop), 0u);
        }
    }
}

TEST(Resources, PanelTabOrderAndLabels) {
    const int order[] = {1015, 1009, 1022, 1,    1007, 1031, 1032, 57667,
                         1027, 1028, 1018, 1029, 1030, 1034, 1042, 1043};
    std::vector<int> ids;
    std::vector<std::string> statics;
    for (const auto& c : Dialog(102).controls) {
        if (c.id != -1) ids.push_back(c.id);
        if (c.kind == ControlKind::Static) {
            statics.emplace_back(c.text);
            EXPECT_NE(c.style & kGroup, 0u) << c.text;
        }
    }
    EXPECT_EQ(ids, std::vector<int>(std::begin(order), std::end(order)));
    const std::vector<std::string> labels = {
        "Time Delay: (ms):",   "Disk-diameter",         "# Colortables [1..7]:", "Colortables:",
        "Colortable - Shift:", "Colortable - Entries:", "Streamlet Dimming:"};
    EXPECT_EQ(statics, labels);
}

TEST(Resources, RadioGroupsOfThePanel) {
    const std::vector<std::vector<int>> expected = {{1027, 1028, 1029, 1030}, {1042, 1043}};
    EXPECT_EQ(RadioGroups(Dialog(102)), expected);
}

TEST(Resources, IdsAreUniqueWithinEachDialog) {
    for (int id : {100, 102, 138, 139}) {
        std::set<int> seen;
        for (const auto& c : Dialog(id).controls)
            if (c.id != -1) {
                EXPECT_TRUE(seen.insert(c.id).second) << id << ": " << c.id;
            }
    }
}

TEST(Resources, AboutBoxContents) {
    const DialogTemplate& d = Dialog(100);
    ASSERT_EQ(d.controls.size(), 3u);
    EXPECT_EQ(d.controls[0].kind, ControlKind::Icon);
    EXPECT_EQ(d.controls[0].x, 11);
    EXPECT_EQ(d.controls[0].y, 17);
    EXPECT_EQ(d.controls[1].kind, ControlKind::Static);
    EXPECT_EQ(d.controls[1].text, "vortan Version 1.0");
    EXPECT_EQ(d.controls[1].x, 40);
    EXPECT_EQ(d.controls[1].width, 119);
}

TEST(Resources, Menu134) {
    const auto menu = Menu134();
    ASSERT_EQ(menu.size(), 5u);
    const MenuItem expected[] = {
        {"&File", "&Print\tCrtl+P", 57607},
        {"&File", "", 0},
        {"&File", "E&xit", 32778},
        {"&Options", "&Animation\tF2", 32779},
        {"&Options", "&Settings\tF3", 32782},
    };
    for (std::size_t i = 0; i < menu.size(); ++i) {
        EXPECT_EQ(menu[i].popup, expected[i].popup) << i;
        EXPECT_EQ(menu[i].text, expected[i].text) << i;
        EXPECT_EQ(menu[i].command, expected[i].command) << i;
    }
}

TEST(Resources, Accelerators135) {
    // key -> (flags, command)
    const std::map<int, std::pair<int, int>> expected = {
        {'A', {FVIRTKEY | FNOINVERT | FCONTROL, 57604}},
        {'P', {FVIRTKEY | FNOINVERT | FCONTROL, 57607}},
        {'S', {FVIRTKEY | FNOINVERT | FCONTROL, 57603}},
        {0x70, {FVIRTKEY | FNOINVERT, 57667}},
        {0x71, {FVIRTKEY | FNOINVERT, 32779}},
        {0x72, {FVIRTKEY | FNOINVERT, 32782}},
        {'X', {FVIRTKEY | FNOINVERT | FCONTROL, 32778}},
    };
    std::map<int, std::pair<int, int>> actual;
    for (const auto& a : Accelerators135()) actual[a.key] = {a.flags, a.command};
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(Accelerators135().size(), expected.size());
}

TEST(Resources, StringsAndVersion) {
    EXPECT_EQ(String(101), "&About vortan...");
    EXPECT_EQ(String(102), "");
    const VersionInfo& v = Version();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v.fileVersion[i], (i == 0 || i == 3) ? 1 : 0);
        EXPECT_EQ(v.productVersion[i], v.fileVersion[i]);
    }
    EXPECT_EQ(v.fileDescription, "vortan MFC Application");
    EXPECT_EQ(v.internalName, "vortan");
    EXPECT_EQ(v.originalFilename, "vortan.EXE");
    EXPECT_EQ(v.productName, "vortan Application");
    EXPECT_EQ(ID_APP_ABOUT_SYS & 0xF, 0);
}

TEST(Resources, IconImages) {
    const auto images = Icon128();
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].size, 32);
    EXPECT_EQ(images[1].size, 16);
    for (const auto& image : images) {
        ASSERT_EQ(image.pixels.size(), std::size_t(image.size * image.size));
        std::set<int> colours;
        for (auto p : image.pixels) {
            ASSERT_LT(p, 16);
            colours.insert(p);
        }
        // A drawing, not a blank square.
        EXPECT_GE(colours.size(), 4u) << image.size;
        // Black frame around the picture.
        EXPECT_EQ(image.pixels[0], 0);
        EXPECT_EQ(image.pixels[image.size * image.size - 1], 0);
    }
    const auto palette = IconPalette();
    ASSERT_EQ(palette.size(), 16u);
    EXPECT_EQ(palette[0], 0x000000u);
    EXPECT_EQ(palette[9], 0xFF0000u);
    EXPECT_EQ(palette[15], 0xFFFFFFu);
}

}  // namespace
}  // namespace vortan::res
