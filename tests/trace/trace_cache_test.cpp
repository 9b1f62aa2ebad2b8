#include "trace/trace_cache.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace vortan::trace {
namespace {

using vortan::test::CountEntries;
using vortan::test::ReadWholeFile;
using vortan::test::TempDir;
using vortan::test::WriteTextFile;

// A tracer that writes "traced <n>: <field text>" and records its calls.
struct FakeTracer {
    std::vector<std::string> calls;
    bool fail = false;
    FieldTracer Function() {
        return [this](const std::string& field, const std::string& out, std::string& error) {
            calls.push_back(field);
            if (fail) {
                error = field + ": no velocity components";
                return false;
            }
            WriteTextFile(out,
                          "traced " + std::to_string(calls.size()) + ": " + ReadWholeFile(field));
            return true;
        };
    }
};

void SetModified(const std::string& path, time_t when) {
    const utimbuf times{when, when};
    ASSERT_EQ(utime(path.c_str(), &times), 0);
}

TEST(TraceCache, TracesOnceAndAgainWhenTheFileChanges) {
    TempDir dir;
    const std::string cache = dir.file("cache");
    const std::string field = dir.file("wind.vtk");
    WriteTextFile(field, "field A");
    SetModified(field, 1000000);
    FakeTracer tracer;

    // Each step: what is done to the field file first, then whether the
    // lookup must trace and what the served file holds.
    struct Step {
        const char* name;
        void (*change)(const std::string& field);
        bool traced;
        const char* served;
    };
    const Step steps[] = {
        {"first look: miss", [](const std::string&) {}, true, "traced 1: field A"},
        {"unchanged: hit", [](const std::string&) {}, false, "traced 1: field A"},
        {"new content and size",
         [](const std::string& f) {
             WriteTextFile(f, "field BB");
             SetModified(f, 1000000);
         },
         true, "traced 2: field BB"},
        {"same size, touched", [](const std::string& f) { SetModified(f, 2000000); }, true,
         "traced 3: field BB"},
        {"unchanged again: hit", [](const std::string&) {}, false, "traced 3: field BB"},
    };
    for (const Step& s : steps) {
        s.change(field);
        const CacheLookup got = CachedStreamlineFile(field, tracer.Function(), cache);
        ASSERT_TRUE(got.ok) << s.name << ": " << got.error;
        EXPECT_EQ(got.traced, s.traced) << s.name;
        EXPECT_EQ(got.path.rfind(cache + "/", 0), 0u) << got.path;
        EXPECT_EQ(ReadWholeFile(got.path), s.served) << s.name;
        // One entry per field file: the older ones are gone.
        EXPECT_EQ(CountEntries(cache), 1) << s.name;
    }
    EXPECT_EQ(tracer.calls.size(), 3u);

    // Another file (and the same file by another spelling of its path) has
    // an entry of its own.
    const std::string other = dir.file("ocean.nc");
    WriteTextFile(other, "field A");
    SetModified(other, 1000000);
    const CacheLookup second = CachedStreamlineFile(other, tracer.Function(), cache);
    ASSERT_TRUE(second.ok) << second.error;
    EXPECT_TRUE(second.traced);
    EXPECT_EQ(CountEntries(cache), 2);
    const CacheLookup again =
        CachedStreamlineFile(dir.path() + "/./wind.vtk", tracer.Function(), cache);
    EXPECT_FALSE(again.traced);
    EXPECT_EQ(ReadWholeFile(again.path), "traced 3: field BB");
}

TEST(TraceCache, FailuresLeaveNoEntry) {
    TempDir dir;
    const std::string cache = dir.file("cache");
    FakeTracer tracer;
    tracer.fail = true;
    WriteTextFile(dir.file("empty.nc"), "x");
    const CacheLookup untraceable =
        CachedStreamlineFile(dir.file("empty.nc"), tracer.Function(), cache);
    EXPECT_FALSE(untraceable.ok);
    EXPECT_EQ(untraceable.error, dir.file("empty.nc") + ": no velocity components");
    EXPECT_EQ(CountEntries(cache), 0);

    const CacheLookup missing = CachedStreamlineFile(dir.file("none.nc"), tracer.Function(), cache);
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error.rfind(dir.file("none.nc") + ": ", 0), 0u) << missing.error;
    EXPECT_EQ(tracer.calls.size(), 1u);

    // A cache folder that cannot be made: a file stands in its way.
    WriteTextFile(dir.file("blocked"), "");
    tracer.fail = false;
    const CacheLookup blocked = CachedStreamlineFile(dir.file("empty.nc"), tracer.Function(),
                                                     dir.file("blocked") + "/vortan");
    EXPECT_FALSE(blocked.ok);
    EXPECT_EQ(blocked.error.rfind(
                  "cannot create the cache folder " + dir.file("blocked") + "/vortan: ", 0),
              0u)
        << blocked.error;
}

TEST(TraceCache, FolderFromTheEnvironment) {
    struct Case {
        const char* xdg;  // nullptr: unset
        const char* home;
        const char* folder;
    };
    const Case cases[] = {
        {"/x/cache", "/home/a", "/x/cache/vortan"},
        {nullptr, "/home/a", "/home/a/.cache/vortan"},
        {"relative/cache", "/home/a", "/home/a/.cache/vortan"},
        {"", "/home/a", "/home/a/.cache/vortan"},
        {nullptr, nullptr, ""},
    };
    const char* savedXdg = std::getenv("XDG_CACHE_HOME");
    const char* savedHome = std::getenv("HOME");
    const std::string xdg = savedXdg ? savedXdg : "", home = savedHome ? savedHome : "";
    for (const Case& c : cases) {
        c.xdg ? setenv("XDG_CACHE_HOME", c.xdg, 1) : unsetenv("XDG_CACHE_HOME");
        c.home ? setenv("HOME", c.home, 1) : unsetenv("HOME");
        EXPECT_EQ(TraceCacheFolder(), c.folder) << (c.xdg ? c.xdg : "(unset)");
    }
    savedXdg ? setenv("XDG_CACHE_HOME", xdg.c_str(), 1) : unsetenv("XDG_CACHE_HOME");
    savedHome ? setenv("HOME", home.c_str(), 1) : unsetenv("HOME");
}

}  // namespace
}  // namespace vortan::trace
