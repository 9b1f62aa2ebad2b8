// The page in headless Chromium (its #test= hook) against vortan-render's PNGs; needs Chromium.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/settings_file.h"
#include "tests/formats/format_test_support.h"
#include "tests/page/page_test_support.h"
#include "tests/test_support.h"

namespace vortan::test {
namespace {

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string ChromiumPath() {
    const char* given = std::getenv("VORTAN_CHROMIUM");
    const std::string path = given && *given ? given : "/usr/bin/chromium";
    return ::access(path.c_str(), X_OK) == 0 ? path : "";
}

// Runs vortan-render with args; true when it exits 0.
bool Render(const std::vector<std::string>& args, const TempDir& dir) {
    std::string command = Quoted(std::string(VORTAN_BINARY_DIR) + "/vortan-render") + " --quiet";
    for (const std::string& a : args) command += " " + Quoted(a);
    command += " 2>" + Quoted(dir.file("render.err"));
    const int status = std::system(command.c_str());
    if (status != 0) ADD_FAILURE() << command << "\n" << ReadWholeFile(dir.file("render.err"));
    return status == 0;
}

// The document as the page left it, loaded in a fresh profile (within two minutes).
std::string Browse(const std::string& url, const TempDir& dir, const std::string& extra = "") {
    const std::string profile = dir.file("profile");
    const std::string command =
        "timeout 120 " + Quoted(ChromiumPath()) +
        " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run"
        " --disable-background-networking --disable-component-update --disable-sync"
        " --disable-default-apps --no-pings --host-resolver-rules='MAP * ~NOTFOUND'"
        " --window-size=800,600 --virtual-time-budget=3000 --user-data-dir=" +
        Quoted(profile) + " " + extra + " --dump-dom " + Quoted(url) + " >" +
        Quoted(dir.file("dom.html")) + " 2>" + Quoted(dir.file("browser.err"));
    const int status = std::system(command.c_str());
    EXPECT_EQ(status, 0) << command << "\n" << ReadWholeFile(dir.file("browser.err"));
    std::filesystem::remove_all(profile);
    return ReadWholeFile(dir.file("dom.html"));
}

struct Snap {
    int tick, playing;
    std::string speed;
    std::vector<std::uint8_t> rgba;
};

std::vector<Snap> Snaps(const std::string& dom) {
    std::vector<Snap> snaps;
    std::istringstream lines(dom);
    for (std::string line; std::getline(lines, line);) {
        const auto at = line.find("tick=");
        if (at == std::string::npos || line.find(" rgba=") == std::string::npos) continue;
        std::map<std::string, std::string> f;  // key=value fields
        std::istringstream fields(line.substr(at));
        for (std::string field; fields >> field;)
            f[field.substr(0, field.find('='))] = field.substr(field.find('=') + 1);
        snaps.push_back(
            {std::stoi(f["tick"]), std::stoi(f["playing"]), f["speed"], DecodeBase64(f["rgba"])});
    }
    return snaps;
}

// Compares the canvas with the PNG vortan-render writes after the same ticks.
void ExpectSameAsPng(const Snap& snap, std::vector<std::string> args, const TempDir& dir) {
    const std::string png = dir.file("tick.png");
    args.insert(args.end(), {"--ticks", std::to_string(snap.tick), "-o", png});
    ASSERT_TRUE(Render(args, dir));
    const PngPicture picture = ReadPng(png);
    ASSERT_TRUE(picture.ok);
    std::vector<std::uint8_t> want;  // opaque RGBA
    for (const png_byte i : picture.indices) {
        const png_color& c = picture.palette[i];
        want.insert(want.end(), {c.red, c.green, c.blue, 255});
    }
    EXPECT_TRUE(snap.rgba == want) << "tick " << snap.tick;
}

std::string WriteSettings(const TempDir& dir, const std::string& name, const SettingsRecord& s) {
    WriteTextFile(dir.file(name), FormatSettings(s));
    return dir.file(name);
}

// A picture of odd size with one streamline of the double gyre.
std::string OddInput(const TempDir& dir) {
    std::ifstream gyre(SourcePath("examples/double-gyre.math"));
    std::string line;
    for (int i = 0; i < 12; ++i) std::getline(gyre, line);
    WriteTextFile(dir.file("odd.math"),
                  "33\n17\n2.\n1.6\n1.\n0.\n2.\n0.\n1.\n0.\n0.\n" + line + "\n");
    return dir.file("odd.math");
}

class PageInBrowser : public ::testing::Test {
  protected:
    void SetUp() override {
        if (ChromiumPath().empty()) {
            GTEST_SKIP() << "Chromium is not installed (/usr/bin/chromium or $VORTAN_CHROMIUM); "
                            "the browser tests did not run";
        }
    }
};

TEST_F(PageInBrowser, FramesEqualTheEnginesPictures) {
    TempDir dir;
    const SettingsRecord without32{.m_withoutOrientation = 1,
                                   .m_withOrientation = 0,
                                   .m_timeDelay = 40,
                                   .m_colortableShift = 3};
    const SettingsRecord oneTable{
        .m_colortableShift = 5, .m_colortableCount = 1, .m_intensityDimming = 0};
    // what; vortan-render's arguments; the page's actions; the ticks of its snapshots, in order
    using Case = std::tuple<const char*, std::vector<std::string>, std::string, std::vector<int>>;
    const Case cases[] = {
        {"double gyre, seven tables, dimming, period 32",
         {SourcePath("examples/double-gyre.math")},
         "snap,right,snap,right*4,snap,left,snap,right*28,snap,right,snap,left*2,snap",
         {0, 1, 5, 4, 32, 1, 32}},
        {"lorenz along x and z, without orientation, shift 3, period 256",
         {SourcePath("examples/lorenz.math"), "--axes", "xz", "-s",
          WriteSettings(dir, "without.dat", without32)},
         "snap,right*7,snap,left*8,snap,right*2,snap",
         {0, 7, 256, 2}},
        {"odd 33 x 17 picture, one table, shift 5, no dimming",
         {OddInput(dir), "-s", WriteSettings(dir, "one.dat", oneTable)},
         "snap,right*3,snap",
         {0, 3}},
    };
    for (const auto& [name, renderArgs, actions, ticks] : cases) {
        SCOPED_TRACE(name);
        std::vector<std::string> args = renderArgs;
        args.insert(args.end(), {"-o", dir.file("page.html")});
        ASSERT_TRUE(Render(args, dir));
        const std::vector<Snap> snaps =
            Snaps(Browse("file://" + dir.file("page.html") + "#test=" + actions, dir));
        ASSERT_EQ(snaps.size(), ticks.size());
        for (std::size_t i = 0; i < snaps.size(); ++i) {  // paused at each
            EXPECT_EQ(std::pair(snaps[i].tick, snaps[i].playing), std::pair(ticks[i], 0)) << i;
            ExpectSameAsPng(snaps[i], renderArgs, dir);
        }
    }
}

// Requests with the file:// site's isolation key (the browser's own have other keys).
int PageRequests(const std::string& netLog) {
    int requests = 0;
    std::istringstream lines(netLog);
    for (std::string line; std::getline(lines, line);)
        requests += line.find("\"network_isolation_key\":\"file://") != std::string::npos &&
                    line.find("\"url\":\"") != std::string::npos;
    return requests;
}

// Keys and buttons play, pause, step, change speed; no network request (a probe page makes one).
TEST_F(PageInBrowser, KeysAndButtonsAndNoNetworkRequest) {
    TempDir dir;
    ASSERT_TRUE(
        Render({SourcePath("examples/double-gyre.math"), "-o", dir.file("page.html")}, dir));
    WriteTextFile(dir.file("probe.html"),
                  "<!DOCTYPE html><img src=\"http://127.0.0.1:9/probe.png\" alt=\"\">");
    const std::string actions =
        "#test=snap,space,snap,up*2,snap,down*9,snap,play,snap,forward,snap,space,back,snap,up,"
        "back,snap";
    for (const auto& [page, fetches] : {std::pair("page.html", false), {"probe.html", true}}) {
        SCOPED_TRACE(page);
        const std::string log = dir.file(std::string(page) + ".netlog");
        const std::string dom = Browse("file://" + dir.file(page) + (fetches ? "" : actions), dir,
                                       "--log-net-log=" + Quoted(log));
        const std::string text = ReadWholeFile(log);
        ASSERT_NE(text.find("\"events\""), std::string::npos) << "no network log written";
        EXPECT_EQ(PageRequests(text) > 0, fetches);
        if (fetches) continue;
        std::string seen;  // tick, playing, speed of each snapshot
        for (const Snap& s : Snaps(dom))
            seen += std::to_string(s.tick) + " " + std::to_string(s.playing) + " " + s.speed + "|";
        EXPECT_EQ(seen, "0 0 1|0 1 1|0 1 4|0 1 0.125|0 0 0.125|1 0 0.125|0 0 0.125|32 0 0.25|");
    }
}

TEST(PageSize, DoubleGyrePageIsSmall) {
    TempDir dir;
    const std::string gyre = SourcePath("examples/double-gyre.math");
    ASSERT_TRUE(Render({gyre, "-o", dir.file("page.html")}, dir));
    ASSERT_TRUE(Render({gyre, "-o", dir.file("flow.gif")}, dir));
    const std::size_t page = ReadWholeFile(dir.file("page.html")).size();
    const std::size_t gif = ReadWholeFile(dir.file("flow.gif")).size();
    EXPECT_LT(page, 300u * 1024u);
    EXPECT_LT(page * 10, gif) << "page " << page << " bytes, GIF " << gif << " bytes";
}

}  // namespace
}  // namespace vortan::test
