#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace vortan::test {
namespace {

using Step = AtomicFile::Step;

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// A text of n bytes that differ from their neighbours, so that a lost,
// doubled or reordered piece shows.
std::string Pattern(std::size_t n, char seed) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(seed + i * 7 + i / 251);
    return s;
}

struct SaveCase {
    const char* name;
    std::optional<std::string> previous;  // the target's contents before, if it exists
    mode_t previousMode;                  // its permissions
    mode_t umask;
    std::vector<std::string> chunks;  // written one Write each
    bool commit;
    mode_t wantMode;  // of the target afterwards (when it exists)
};

TEST(AtomicFile, SavesReplaceOnlyOnCommit) {
    const std::string big1 = Pattern(70000, 'a'), big2 = Pattern(65535, 'b'),
                      big3 = Pattern(200000, 'c');
    const SaveCase cases[] = {
        {"commit replaces", "old contents", 0644, 022, {"new"}, true, 0644},
        {"commit creates with the umask's permissions",
         std::nullopt,
         0,
         022,
         {"a", "b"},
         true,
         0644},
        {"a strict umask applies to a new file", std::nullopt, 0, 077, {"x"}, true, 0600},
        {"a replaced file keeps 0640", "old", 0640, 022, {"new"}, true, 0640},
        {"a replaced file keeps 0755", "old", 0755, 077, {"new"}, true, 0755},
        {"a replaced file keeps 0600 under a loose umask", "old", 0600, 0, {"new"}, true, 0600},
        {"empty contents replace", "old", 0644, 022, {}, true, 0644},
        {"chunks around the buffer size arrive whole and in order",
         "old",
         0644,
         022,
         {"1", big1, big2, "0123456789", big3, std::string(1, '\0')},
         true,
         0644},
        {"abandon leaves the previous file", "old", 0640, 022, {"half"}, false, 0640},
        {"abandon of a new file leaves nothing", std::nullopt, 0, 022, {"half"}, false, 0},
    };
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string target = dir.file("t.dat");
        if (c.previous) {
            WriteTextFile(target, *c.previous);
            ASSERT_EQ(::chmod(target.c_str(), c.previousMode), 0);
        }
        const mode_t savedMask = ::umask(c.umask);
        std::string expected;
        {
            AtomicFile file;
            ASSERT_TRUE(file.Open(target)) << file.ErrorText();
            for (const auto& chunk : c.chunks) {
                ASSERT_TRUE(file.Write(chunk.data(), chunk.size()));
                expected += chunk;
            }
            // Until the commit the target is untouched and the new data is in
            // one hidden temporary file beside it.
            const auto during = Names(dir.path());
            ASSERT_EQ(during.size(), c.previous ? 2u : 1u);
            const std::string temp = during[0] == "t.dat" ? during[1] : during[0];
            EXPECT_EQ(temp.rfind(".t.dat.", 0), 0u) << temp;
            EXPECT_EQ(temp.substr(temp.size() - 4), ".tmp") << temp;
            if (c.previous) {
                EXPECT_EQ(ReadWholeFile(target), *c.previous);
            }
            if (c.commit) {
                ASSERT_TRUE(file.Commit()) << file.ErrorText();
                EXPECT_EQ(file.FailedStep(), Step::kNone);
                EXPECT_FALSE(file.IsOpen());
            } else {
                file.Abandon();
            }
        }
        ::umask(savedMask);
        const bool exists = c.commit || c.previous.has_value();
        EXPECT_EQ(Names(dir.path()),
                  exists ? std::vector<std::string>{"t.dat"} : std::vector<std::string>{});
        if (exists) {
            EXPECT_EQ(ReadWholeFile(target), c.commit ? expected : *c.previous);
            EXPECT_EQ(ModeOf(target), c.wantMode);
        }
    }
}

TEST(AtomicFile, TheDestructorAbandons) {
    TempDir dir;
    const std::string target = dir.file("t.dat");
    WriteTextFile(target, "old");
    {
        AtomicFile file;
        ASSERT_TRUE(file.Open(target));
        ASSERT_TRUE(file.Write(Pattern(100000, 'x')));
    }
    EXPECT_EQ(ReadWholeFile(target), "old");
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"t.dat"});
}

struct CreateCase {
    const char* name;
    std::function<std::string(const TempDir&)> target;  // prepares the folder
    int error;
};

TEST(AtomicFile, TargetsThatCannotBeCreatedFailAtOpen) {
    const CreateCase cases[] = {
        {"missing folder", [](const TempDir& d) { return d.file("no/such/folder/x"); }, ENOENT},
        {"a folder",
         [](const TempDir& d) {
             std::filesystem::create_directory(d.file("sub"));
             WriteTextFile(d.file("sub/keep"), "k");
             return d.file("sub");
         },
         EISDIR},
        {"a folder named with a slash", [](const TempDir& d) { return d.path() + "/"; }, EISDIR},
        {"a missing folder named with a slash", [](const TempDir& d) { return d.file("none/"); },
         ENOENT},
        {"below a regular file",
         [](const TempDir& d) {
             WriteTextFile(d.file("plain"), "p");
             return d.file("plain/x");
         },
         ENOTDIR},
        {"no name", [](const TempDir&) { return std::string(); }, ENOENT},
    };
    for (const CreateCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string target = c.target(dir);
        const auto before = Names(dir.path());
        AtomicFile file;
        EXPECT_FALSE(file.Open(target));
        EXPECT_EQ(file.FailedStep(), Step::kCreate);
        EXPECT_EQ(file.Error(), c.error) << file.ErrorText();
        EXPECT_EQ(file.ErrorText(), std::strerror(c.error));
        EXPECT_FALSE(file.IsOpen());
        // Nothing is written anywhere afterwards either.
        EXPECT_FALSE(file.Write("x"));
        EXPECT_FALSE(file.Commit());
        EXPECT_EQ(file.FailedStep(), Step::kCreate);
        EXPECT_EQ(Names(dir.path()), before);
        if (std::filesystem::exists(dir.file("sub/keep"))) {
            EXPECT_EQ(ReadWholeFile(dir.file("sub/keep")), "k");
        }
    }
}

TEST(AtomicFile, UseWithoutOpenFailsAtCreate) {
    AtomicFile unopened;
    EXPECT_FALSE(unopened.Write("x"));
    EXPECT_EQ(unopened.FailedStep(), Step::kCreate);
    EXPECT_EQ(unopened.Error(), EBADF);

    TempDir dir;
    AtomicFile committed;
    ASSERT_TRUE(committed.Open(dir.file("a")));
    ASSERT_TRUE(committed.Commit());
    EXPECT_FALSE(committed.Commit());
    EXPECT_EQ(committed.FailedStep(), Step::kCreate);
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"a"});
}

TEST(AtomicFile, AFolderTakingTheTargetsPlaceFailsAtRename) {
    TempDir dir;
    const std::string target = dir.file("t.dat");
    AtomicFile file;
    ASSERT_TRUE(file.Open(target));
    ASSERT_TRUE(file.Write("data"));
    std::filesystem::create_directory(target);
    WriteTextFile(target + "/inside", "i");
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(file.FailedStep(), Step::kRename);
    EXPECT_TRUE(file.Error() == EISDIR || file.Error() == ENOTEMPTY) << file.ErrorText();
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"t.dat"});
    EXPECT_EQ(ReadWholeFile(target + "/inside"), "i");
}

struct FullDiskCase {
    const char* name;
    rlim_t limit;
    std::size_t bytes;
    const char* report;  // Write's and Commit's results, the failed step, the reason
};

TEST(AtomicFile, AWriteFailingHalfWayKeepsThePreviousFile) {
    const FullDiskCase cases[] = {
        {"buffered data fails at commit", 100, 5000, "write 1 commit 0 step 2 File too large"},
        {"a large write fails at once", 100000, 300000, "write 0 commit 0 step 2 File too large"},
    };
    for (const FullDiskCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string target = dir.file("t.dat");
        WriteTextFile(target, "previous");
        const std::string report = InChildWithFileLimit(c.limit, [&] {
            AtomicFile file;
            if (!file.Open(target)) return "open failed: " + file.ErrorText();
            const bool wrote = file.Write(Pattern(c.bytes, 'q'));
            const bool committed = file.Commit();
            return "write " + std::to_string(wrote) + " commit " + std::to_string(committed) +
                   " step " + std::to_string(static_cast<int>(file.FailedStep())) + " " +
                   file.ErrorText();
        });
        EXPECT_EQ(report, c.report);
        EXPECT_EQ(ReadWholeFile(target), "previous");
        EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"t.dat"});
    }
}

TEST(AtomicFile, RelativeNamesWriteBelowTheWorkingFolder) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("sub"));
    const auto saved = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    bool ok = true;
    std::string error;
    for (const std::string name : {"plain.txt", "sub/inner.txt", "./dot.txt"}) {
        AtomicFile file;
        ok = ok && file.Open(name) && file.Write(name) && file.Commit();
        if (!ok) error = name + ": " + file.ErrorText();
    }
    std::filesystem::current_path(saved);
    ASSERT_TRUE(ok) << error;
    EXPECT_EQ(ReadWholeFile(dir.file("plain.txt")), "plain.txt");
    EXPECT_EQ(ReadWholeFile(dir.file("sub/inner.txt")), "sub/inner.txt");
    EXPECT_EQ(ReadWholeFile(dir.file("dot.txt")), "./dot.txt");
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"dot.txt", "plain.txt", "sub"}));
    EXPECT_EQ(Names(dir.file("sub")), std::vector<std::string>{"inner.txt"});
}

TEST(AtomicFile, ANameAtTheLengthLimitStillSaves) {
    TempDir dir;
    // 255 bytes, the usual limit of one name; the multi-byte letters check
    // that the temporary name is not cut inside one.
    std::string name(251, 'n');
    name += "\xC3\xA9\xC3\xA9";
    const std::string target = dir.file(name);
    AtomicFile file;
    ASSERT_TRUE(file.Open(target)) << file.ErrorText();
    ASSERT_TRUE(file.Write("long"));
    ASSERT_TRUE(file.Commit()) << file.ErrorText();
    EXPECT_EQ(ReadWholeFile(target), "long");
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{name});
}

TEST(AtomicFile, OpeningAgainAbandonsTheFirstFile) {
    TempDir dir;
    AtomicFile file;
    ASSERT_TRUE(file.Open(dir.file("first")));
    ASSERT_TRUE(file.Write("1"));
    ASSERT_TRUE(file.Open(dir.file("second")));
    ASSERT_TRUE(file.Write("2"));
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"second"});
    EXPECT_EQ(ReadWholeFile(dir.file("second")), "2");
}

TEST(AtomicFile, TwoSavesOfOneTargetUseTheirOwnFiles) {
    TempDir dir;
    const std::string target = dir.file("t.dat");
    AtomicFile a, b;
    ASSERT_TRUE(a.Open(target));
    ASSERT_TRUE(b.Open(target));
    ASSERT_TRUE(a.Write("from a"));
    ASSERT_TRUE(b.Write("from b"));
    EXPECT_EQ(Names(dir.path()).size(), 2u);
    ASSERT_TRUE(a.Commit());
    EXPECT_EQ(ReadWholeFile(target), "from a");
    ASSERT_TRUE(b.Commit());
    EXPECT_EQ(ReadWholeFile(target), "from b");
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"t.dat"});
}

}  // namespace
}  // namespace vortan::test
