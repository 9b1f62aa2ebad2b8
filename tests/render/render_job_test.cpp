#include "render/render_job.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "tests/test_support.h"

namespace vortan::render {
namespace {

// Records what a render says, in order, and each stage's progress.
struct FakeConsole : RenderConsole {
    void Line(const std::string& text) override { said.push_back("line " + text); }
    void Message(const std::string& text) override { said.push_back("message " + text); }
    void Progress(const char* stage, int percent) override {
        if (percents.empty() || stage != stages.back()) stages.push_back(stage);
        percents.push_back(percent);
    }
    std::vector<std::string> said;
    std::vector<std::string> stages;
    std::vector<int> percents;
};

TEST(RenderJob, OutputFormatsByExtensionAndOptionsRefusedBeforeAnythingIsRead) {
    // path, the extension found ("" for none)
    const std::pair<const char*, const char*> cases[] = {
        {"a.bmp", "bmp"}, {"A.BMP", "bmp"},      {"dir.png/x.Png", "png"},
        {"x.gif", "gif"}, {"page.HTML", "html"}, {"x.txt", ""},
        {"bmp", ""},      {"dir.bmp/x", ""},     {"x.bmp.tmp", ""},
        {"", ""}};
    for (const auto& [path, extension] : cases) {
        const OutputFormat* format = FindOutputFormat(path);
        EXPECT_EQ(format ? std::string(format->extension) : "", extension) << path;
    }
    // Refused before anything is read: output, frames (-1: two loops of a video instead), the
    // reason ("" when accepted)
    const std::tuple<const char*, int, std::string> options[] = {
        {"x.bmp", 0, ""},
        {"x.gif", 5, ""},
        {"x.png", -1, "--loops, --fps and --crf apply to .mp4 and .webm output only"},
        {"", 0, "empty output file name"},
        {"x.jpg", 0, "unknown output type 'x.jpg' (use .bmp, .png, .gif, .html, .mp4 or .webm)"},
        {"x.bmp", 5, "--frames applies to .gif output only"},
        {"x.html", 5, "--frames applies to .gif output only"}};
    for (const auto& [output, frames, why] : options) {
        RenderOptions o;
        o.input = "in.math";
        o.output = output;
        o.frames = std::max(frames, 0);
        o.loops = frames < 0 ? 2 : 0;
        EXPECT_EQ(CheckRenderOptions(o), why) << output;
        if (why.empty()) continue;
        FakeConsole console;
        EXPECT_EQ(RunRender(o, console), kExitUsage) << output;
        EXPECT_EQ(console.said, std::vector<std::string>{"line " + why}) << output;
    }
}

// A streamline file drawn in the input's place gives the same picture; the input only names it.
TEST(RenderJob, DrawsTheExampleWithProgressAndAStreamlineFileInPlaceOfTheInput) {
    test::TempDir dir;
    test::WriteTextFile(dir.file("empty.math"), "640.\n480.\n2.\n1.\n100.\n0.\n1.\n0.\n1.\n");
    RenderOptions direct;
    direct.input = test::SourcePath("examples/double-gyre.math");
    direct.output = dir.file("direct.bmp");
    FakeConsole console;
    ASSERT_EQ(RunRender(direct, console), kExitWritten);
    EXPECT_TRUE(console.said.empty());
    EXPECT_EQ(test::ReadWholeFile(direct.output).substr(0, 2), "BM");  // bytes: cli/render.sh
    EXPECT_EQ(console.stages, std::vector<std::string>{"drawing"});
    const std::vector<int>& p = console.percents;
    EXPECT_TRUE(p.size() >= 3 && p.front() == 0 && p.back() == 100 && std::ranges::is_sorted(p))
        << testing::PrintToString(p);
    RenderOptions o = direct;
    o.input = "flow.nc";
    o.streamlines = direct.input;
    o.output = dir.file("instead.bmp");
    ASSERT_EQ(RunRender(o, console), kExitWritten);
    EXPECT_TRUE(console.said.empty());
    EXPECT_EQ(test::ReadWholeFile(o.output), test::ReadWholeFile(direct.output));
    o.streamlines = dir.file("empty.math");
    ASSERT_EQ(RunRender(o, console), kExitWritten);
    EXPECT_EQ(console.said, std::vector<std::string>{
                                "line flow.nc: no streamline was drawn; the picture is black"});
}

TEST(RenderJob, UnreadableInputsAndSettingsAreSaidAndNothingIsWritten) {
    test::TempDir dir;
    test::WriteTextFile(dir.file("short.math"), "640.\n480.\n2.\n");
    const std::string missing = dir.file("none.math"), out = dir.file("x.bmp");
    // input, settings, exit status, what is said (missing and folder inputs and settings:
    // tests/cli/render.sh)
    const std::tuple<std::string, std::string, int, std::string> cases[] = {
        {dir.file("short.math"), "", kExitFile,
         "line cannot read " + dir.file("short.math") +
             ": its header holds 3 numbers, a 2-D file needs 9 (width, height, dimension, "
             "parameter end, progress step, x and y ranges)"},
        {missing, dir.file("none.dat"), kExitUsage,
         "line cannot read settings file " + dir.file("none.dat") + ": No such file or directory"}};
    for (const auto& [input, settings, status, said] : cases) {
        RenderOptions o;
        o.input = input;
        o.settings = settings;
        o.output = out;
        FakeConsole console;
        EXPECT_EQ(RunRender(o, console), status) << input;
        EXPECT_EQ(console.said, std::vector<std::string>{said}) << input;
        EXPECT_EQ(test::CountEntries(dir.path()), 1) << input;  // only short.math
    }
}

}  // namespace
}  // namespace vortan::render
