// AtomicFile on real targets that are not plain files in a writable folder: sockets, symbolic
// links, other owners, folders that take no new files (devices, FIFOs: tests/cli/convert.sh).
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>

#include "platform/atomic_file.h"
#include "tests/test_support.h"

namespace vortan::test {
namespace {

namespace fs = std::filesystem;
using Method = AtomicFile::Method;

// What a save saw: "committed" (" directly" or " in place" where not by a
// renamed temporary file) or "failed: " and the error text.
std::string Save(const std::string& target, const std::string& contents) {
    AtomicFile file;
    if (!(file.Open(target) && file.Write(contents) && file.Commit()))
        return "failed: " + file.ErrorText();
    const Method m = file.WriteMethod();
    return m == Method::kDirect ? "committed directly"
                                : (m == Method::kInPlace ? "committed in place" : "committed");
}

struct stat LStat(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

// A dangling link: tests/cli/convert.sh.
TEST(AtomicFileTargets, LinksStayLinksAndTheirTargetIsReplaced) {
    // {case, the text of the link in the folder (nullptr: the target's absolute path)}
    const std::pair<const char*, const char*> cases[] = {{"relative link", "data/real.dat"},
                                                         {"absolute link", nullptr},
                                                         {"link to a link", "data/hop"}};
    for (const auto& [name, link] : cases) {
        SCOPED_TRACE(name);
        TempDir dir;
        const std::string target = dir.file("data/real.dat"), text = link ? link : target;
        fs::create_directory(dir.file("data"));
        WriteTextFile(target, "old");
        ::chmod(target.c_str(), 0640);
        fs::create_symlink("real.dat", dir.file("data/hop"));
        fs::create_symlink(text, dir.file("link"));

        AtomicFile file;
        ASSERT_TRUE(file.Open(dir.file("link"))) << file.ErrorText();
        ASSERT_TRUE(file.Write("new contents"));
        // The temporary file sits beside the target, not beside the link.
        EXPECT_EQ(CountEntries(dir.file("data")), 3);
        ASSERT_TRUE(file.Commit()) << file.ErrorText();

        EXPECT_EQ(fs::read_symlink(dir.file("link")).string(), text);
        EXPECT_EQ(fs::read_symlink(dir.file("data/hop")).string(), "real.dat");
        EXPECT_EQ(ReadWholeFile(target), "new contents");
        EXPECT_EQ(CountEntries(dir.file("data")), 2);  // hop and the target
        EXPECT_EQ(static_cast<int>(fs::status(target).permissions()), 0640);
    }
}

TEST(AtomicFileTargets, SocketsAndLinkLoopsAreRefusedAndKept) {
    TempDir dir;
    const std::string sock = dir.file("sock");
    const int s = BindSocket(sock);
    fs::create_symlink("b", dir.file("a"));
    fs::create_symlink("a", dir.file("b"));
    for (auto [name, error] : {std::pair{"sock", ENXIO}, {"a", ELOOP}})
        EXPECT_EQ(Save(dir.file(name), "data"), std::string("failed: ") + std::strerror(error));
    ::close(s);
    EXPECT_TRUE(S_ISSOCK(LStat(sock).st_mode));
    EXPECT_EQ(fs::read_symlink(dir.file("a")).string(), "b");
    EXPECT_EQ(CountEntries(dir.path()), 3);
}

TEST(AtomicFileTargets, AReplacedFileKeepsItsOwnerAndMode) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
    const std::tuple<uid_t, gid_t, mode_t> cases[] = {
        {12345, 23456, 0640}, {0, 23456, 02755}, {4242, 0, 0604}};  // {owner, group, mode}
    for (const auto& [uid, gid, mode] : cases) {
        SCOPED_TRACE(uid);
        TempDir dir;
        const std::string target = dir.file("owned.dat");
        WriteTextFile(target, "old");
        ASSERT_EQ(::chown(target.c_str(), uid, gid), 0);
        ASSERT_EQ(::chmod(target.c_str(), mode), 0);
        ASSERT_EQ(Save(target, "new"), "committed");
        const struct stat st = LStat(target);
        EXPECT_EQ(std::tuple(st.st_uid, st.st_gid, st.st_mode & 07777), std::tuple(uid, gid, mode));
        EXPECT_EQ(ReadWholeFile(target), "new");
    }
}

// Permission bits bind a user other than root: as root the child gives up
// its privileges (to an unused user id) before trying.
constexpr uid_t kUnprivileged = 54321;

TEST(AtomicFileTargets, AFolderThatTakesNoNewFilesIsWrittenInPlace) {
    // {previous contents, the file's mode, what the child sees}
    const std::tuple<const char*, mode_t, const char*> cases[] = {
        {"a much longer previous text", 0666, "committed in place, contents: new text"},  // cut
        {"old", 0666, "committed in place, contents: new text"},                          // grown
        {"old", 0444, "failed: Permission denied, contents: old"}};  // may not be written: kept
    for (const auto& [previous, fileMode, want] : cases) {
        SCOPED_TRACE(testing::Message() << previous << ", mode " << std::oct << fileMode);
        TempDir dir;
        const std::string folder = dir.file("locked");
        fs::create_directory(folder);
        const std::string target = folder + "/t.dat";
        WriteTextFile(target, previous);
        ::chmod(target.c_str(), fileMode);
        const bool root = ::geteuid() == 0;
        if (root) {
            // The unprivileged user owns the file but may not add to its folder.
            ASSERT_EQ(::chown(target.c_str(), kUnprivileged, kUnprivileged), 0);
            ::chmod(dir.path().c_str(), 0755);
        }
        ::chmod(folder.c_str(), 0555);
        const ChildResult child = RunInChild([&](int) -> std::string {
            if (root && (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivileged) != 0 ||
                         ::setuid(kUnprivileged) != 0)) {
                return std::string("cannot drop privileges: ") + std::strerror(errno);
            }
            const std::string seen = Save(target, "new text");  // before the contents are read
            return seen + ", contents: " + ReadWholeFile(target);
        });
        ::chmod(folder.c_str(), 0755);
        if (child.output.starts_with("cannot drop")) GTEST_SKIP() << child.output;
        EXPECT_EQ(child.exitCode, 0);
        EXPECT_EQ(child.output, want);
        EXPECT_EQ(CountEntries(folder), 1);
    }
}

}  // namespace
}  // namespace vortan::test
