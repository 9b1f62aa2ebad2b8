#include "res/resources.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace vortan::res {
namespace {

using Texts = std::vector<std::string>;

// "title width x height, controls", then in tab order "id kind text" of the controls with an
// id, labels and icon: E edit, P/D (default) push button, C check, R radio, S label, I icon.
TEST(Resources, DialogTemplatesMenuAcceleratorsStringsAndVersion) {
    const std::tuple<int, const char*, const char*> cases[] = {
        {100, "About vortan 217x55, 3", "-1 I 128|-1 S vortan Version 1.0|1 D OK|"},
        {102, "Vortan 311x247, 28",
         "1015 E |1009 E |1022 C Animation|1 D Quit|1007 D OK|-1 S Time Delay: (ms):|"
         "-1 S Disk-diameter|1031 P Save Settings|1032 P Load Settings|57667 P Help Topics|"
         "1027 R With Orientation|1028 R Without Orientation|1018 E |1029 R 32 Colors|"
         "1030 R 64 Colors|1034 E |-1 S # Colortables [1..7]:|-1 S Colortables:|"
         "-1 S Colortable - Shift:|-1 S Colortable - Entries:|-1 S Streamlet Dimming:|"
         "1042 R Intensity|1043 R Disk - Scale|"},
        {138, "Vortan 186x77, 6",
         "1 D OK|2 P Cancel|1044 C X|1045 C Y|1046 C Z|-1 S Select two axes:|"},
        {139, "Vortan 186x82, 6",
         "1 D OK|2 P Cancel|1047 E |-1 S Time Delay: (ms):|-1 S Colortable - Shift:|1048 E |"},
    };
    for (const auto& [id, header, controls] : cases) {
        const DialogTemplate& d = Dialog(id);
        EXPECT_EQ(std::string(d.title) + " " + std::to_string(d.width) + "x" +
                      std::to_string(d.height) + ", " + std::to_string(d.controls.size()),
                  header);
        EXPECT_EQ(std::tuple(d.id, std::string(d.fontName), d.fontPoints),
                  std::tuple(id, "MS Sans Serif", 8));
        std::string got;
        for (const auto& c : d.controls)
            if (c.id != -1 || c.kind == ControlKind::Static || c.kind == ControlKind::Icon)
                got += std::to_string(c.id) + " " + "EPDCRSGI"[int(c.kind)] + " " +
                       std::string(c.text) + "|";
        EXPECT_EQ(got, controls) << id;
    }
    EXPECT_THROW(Dialog(101), std::out_of_range);
    // The menu, the accelerators, the strings and the version.
    Texts menu;
    for (const auto& m : Menu134())
        menu.push_back(std::string(m.popup) + "|" + std::string(m.text) + "|" +
                       std::to_string(m.command));
    EXPECT_EQ(menu, (Texts{"&File|&Print\tCrtl+P|57607", "&File||0", "&File|E&xit|32778",
                           "&Options|&Animation\tF2|32779", "&Options|&Settings\tF3|32782"}));
    const int ctrl = FVIRTKEY | FNOINVERT | FCONTROL, plain = FVIRTKEY | FNOINVERT;
    std::multimap<int, std::pair<int, int>> keys;  // key -> (flags, command)
    for (const auto& a : Accelerators135()) keys.emplace(a.key, std::pair(a.flags, a.command));
    // clang-format off
    EXPECT_EQ(keys, (std::multimap<int, std::pair<int, int>>{{'A', {ctrl, 57604}},
        {'P', {ctrl, 57607}}, {'S', {ctrl, 57603}}, {'X', {ctrl, 32778}}, {0x70, {plain, 57667}},
        {0x71, {plain, 32779}}, {0x72, {plain, 32782}}}));
    // clang-format on
    EXPECT_EQ(std::string(String(101)) + "|" + std::string(String(102)), "&About vortan...|");
    EXPECT_EQ(ID_APP_ABOUT_SYS & 0xF, 0);  // a system menu command
    const VersionInfo& v = Version();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(v.fileVersion[i] * 10 + v.productVersion[i], i % 3 ? 0 : 11);
    EXPECT_EQ((std::vector<std::string_view>{v.fileDescription, v.internalName, v.originalFilename,
                                             v.productName}),
              (std::vector<std::string_view>{"vortan MFC Application", "vortan", "vortan.EXE",
                                             "vortan Application"}));
}

}  // namespace
}  // namespace vortan::res
