#include "trace/trace_cache.h"

#include <gtest/gtest.h>
#include <utime.h>

#include <string>
#include <vector>

#include "tests/test_support.h"

namespace vortan::trace {
namespace {

using vortan::test::CountEntries;
using vortan::test::ReadWholeFile;
using vortan::test::WriteTextFile;

// A tracer that writes "traced <n>: <field text>", or fails when asked to.
struct FakeTracer {
    int calls = 0;
    bool fail = false;
    FieldTracer Function() {
        return [this](const std::string& field, const std::string& out, std::string& error) {
            ++calls;
            if (fail) error = field + ": no velocity components";
            if (!fail)
                WriteTextFile(out, "traced " + std::to_string(calls) + ": " + ReadWholeFile(field));
            return !fail;
        };
    }
};

void Write(const std::string& path, const std::string& text, time_t modified) {
    WriteTextFile(path, text);
    const utimbuf times{modified, modified};
    ASSERT_EQ(utime(path.c_str(), &times), 0);
}

TEST(TraceCache, TracesOnceAndAgainWhenTheFileChanges) {
    vortan::test::TempDir dir;
    const std::string cache = dir.file("cache"), field = dir.file("wind.vtk");
    FakeTracer tracer;
    // Field text and time, whether the lookup traces, what it serves; one entry.
    const std::tuple<const char*, time_t, bool, const char*> steps[] = {
        {"field A", 1000000, true, "traced 1: field A"},
        {"field A", 1000000, false, "traced 1: field A"},
        {"field B", 2000000, true, "traced 2: field B"}};  // same size, touched
    for (const auto& [text, modified, traced, served] : steps) {
        Write(field, text, modified);
        const CacheLookup got = CachedStreamlineFile(field, tracer.Function(), cache);
        EXPECT_EQ(got.traced, traced) << served << got.error;
        EXPECT_EQ(ReadWholeFile(got.path), served);
        EXPECT_EQ(CountEntries(cache), 1) << served;
    }
    // Another file has an entry of its own; another spelling of the same path does not.
    Write(dir.file("ocean.nc"), "field A", 1000000);
    EXPECT_TRUE(CachedStreamlineFile(dir.file("ocean.nc"), tracer.Function(), cache).traced);
    EXPECT_EQ(CountEntries(cache), 2);
    const CacheLookup again =
        CachedStreamlineFile(dir.path() + "/./wind.vtk", tracer.Function(), cache);
    EXPECT_FALSE(again.traced);
    EXPECT_EQ(ReadWholeFile(again.path), "traced 2: field B");
}

TEST(TraceCache, FailuresLeaveNoEntry) {
    vortan::test::TempDir dir;
    const std::string cache = dir.file("cache");
    FakeTracer tracer;
    tracer.fail = true;
    WriteTextFile(dir.file("empty.nc"), "x");
    const CacheLookup untraceable =
        CachedStreamlineFile(dir.file("empty.nc"), tracer.Function(), cache);
    EXPECT_EQ(untraceable.error, dir.file("empty.nc") + ": no velocity components");
    const CacheLookup missing = CachedStreamlineFile(dir.file("none.nc"), tracer.Function(), cache);
    EXPECT_EQ(missing.error.rfind(dir.file("none.nc") + ": ", 0), 0u) << missing.error;
    EXPECT_FALSE(untraceable.ok || missing.ok);
    EXPECT_EQ(CountEntries(cache), 0);
    EXPECT_EQ(tracer.calls, 1);
    // A cache folder that cannot be made: a file stands in its way.
    WriteTextFile(dir.file("blocked"), "");
    tracer.fail = false;
    const std::string folder = dir.file("blocked") + "/vortan";
    const CacheLookup blocked =
        CachedStreamlineFile(dir.file("empty.nc"), tracer.Function(), folder);
    EXPECT_EQ(blocked.error.rfind("cannot create the cache folder " + folder + ": ", 0), 0u)
        << blocked.error;
}

}  // namespace
}  // namespace vortan::trace
