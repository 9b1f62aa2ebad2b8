#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "tests/test_support.h"

namespace vortan::test {
namespace {

using Step = AtomicFile::Step;

// n bytes that differ from their neighbours: a lost, doubled or moved piece shows.
std::string Pattern(std::size_t n, char seed) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(seed + i * 7 + i / 251);
    return s;
}

enum End { kCommit, kAbandon, kDestroy };

TEST(AtomicFile, SavesReplaceOnlyOnCommit) {
    const std::string big = Pattern(70000, 'a');
    const struct {
        const char* name;
        const char* previous;  // the target's contents before (nullptr: none)
        mode_t previousMode, umask, wantMode;
        std::vector<std::string> writes;
        End end;
    } cases[] = {
        {"commit creates with the umask's mode", nullptr, 0, 022, 0644, {"a", "b"}, kCommit},
        {"a strict umask applies to a new file", nullptr, 0, 077, 0600, {"x"}, kCommit},
        {"a replaced file keeps 0755", "old", 0755, 077, 0755, {"new"}, kCommit},
        {"empty contents replace", "old", 0600, 0, 0600, {}, kCommit},
        {"chunks around the buffer size", "", 0644, 022, 0644, {"1", big, "0", big, ""}, kCommit},
        {"abandon leaves the previous file", "old", 0640, 022, 0640, {"half"}, kAbandon},
        {"abandon of a new file leaves nothing", nullptr, 0, 022, 0, {"half"}, kAbandon},
        {"the destructor abandons", "old", 0644, 022, 0644, {Pattern(100000, 'x')}, kDestroy},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string target = dir.file("t.dat");
        if (c.previous) WriteTextFile(target, c.previous);
        ::chmod(target.c_str(), c.previousMode);
        const mode_t savedMask = ::umask(c.umask);
        const std::string written =
            std::accumulate(c.writes.begin(), c.writes.end(), std::string());
        {
            AtomicFile file;
            ASSERT_TRUE(file.Open(target)) << file.ErrorText();
            for (const auto& w : c.writes) ASSERT_TRUE(file.Write(w));
            // Until the end the target is untouched, the data in one hidden file beside it.
            ASSERT_EQ(CountEntries(dir.path()), c.previous ? 2 : 1);
            for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
                const std::string name = e.path().filename().string();
                EXPECT_TRUE(name == "t.dat" ||
                            (name.starts_with(".t.dat.") && name.ends_with(".tmp")));
            }
            EXPECT_EQ(c.previous ? ReadWholeFile(target) : "", c.previous ? c.previous : "");
            if (c.end == kCommit) {
                EXPECT_TRUE(file.Commit() && !file.IsOpen()) << file.ErrorText();
            }
            if (c.end == kAbandon) file.Abandon();
        }
        ::umask(savedMask);
        const bool exists = c.end == kCommit || c.previous;
        EXPECT_EQ(CountEntries(dir.path()), exists ? 1 : 0);
        if (!exists) continue;
        EXPECT_EQ(ReadWholeFile(target), c.end == kCommit ? written : c.previous);
        EXPECT_EQ(static_cast<mode_t>(std::filesystem::status(target).permissions()), c.wantMode);
    }
}

TEST(AtomicFile, TargetsThatCannotBeCreatedFailAtOpen) {
    const std::pair<const char*, int> cases[] = {
        // The target below the folder (nullptr: no name); the folder holds sub/keep.
        {"no/such/folder/x", ENOENT}, {"sub", EISDIR},   {"", EISDIR}, {"none/", ENOENT},
        {"sub/keep/x", ENOTDIR},      {nullptr, ENOENT},
    };
    for (const auto& [name, error] : cases) {
        SCOPED_TRACE(name ? name : "no name");
        TempDir dir;
        std::filesystem::create_directory(dir.file("sub"));
        WriteTextFile(dir.file("sub/keep"), "k");
        AtomicFile file;
        EXPECT_FALSE(file.Open(name ? dir.file(name) : ""));
        EXPECT_EQ(file.Error(), error) << file.ErrorText();
        EXPECT_EQ(file.ErrorText(), std::strerror(error));
        EXPECT_FALSE(file.Write("x") || file.Commit() || file.IsOpen());
        EXPECT_EQ(file.FailedStep(), Step::kCreate);
        EXPECT_EQ(CountEntries(dir.path()) + CountEntries(dir.file("sub")), 2);
    }
}

// Buffered data fails at the commit, a large write at once; the disk is full.
TEST(AtomicFile, AWriteFailingHalfWayKeepsThePreviousFile) {
    const std::tuple<rlim_t, std::size_t, bool> cases[] = {{100, 5000, true},
                                                           {100000, 300000, false}};
    for (const auto& [limit, bytes, writes] : cases) {
        TempDir dir;
        const std::string target = dir.file("t.dat");
        WriteTextFile(target, "previous");
        AtomicFile file;
        ASSERT_TRUE(file.Open(target));
        {
            FileSizeLimit disk(limit);
            EXPECT_EQ(file.Write(Pattern(bytes, 'q')), writes) << bytes;
            EXPECT_FALSE(file.Commit());
        }
        EXPECT_EQ(file.FailedStep(), Step::kWrite);
        EXPECT_EQ(file.ErrorText(), "File too large");
        EXPECT_EQ(ReadWholeFile(target), "previous");
        EXPECT_EQ(CountEntries(dir.path()), 1);
    }
}

}  // namespace
}  // namespace vortan::test
