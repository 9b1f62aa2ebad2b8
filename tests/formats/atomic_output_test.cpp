#include "output/formats/atomic_output.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/formats/format_test_support.h"
#include "tests/test_support.h"

namespace vortan::test {
namespace {

void Put(AtomicOutputFile& file, const std::string& text) {
    ASSERT_EQ(std::fwrite(text.data(), 1, text.size(), file.File()), text.size());
}

TEST(AtomicOutputFile, TargetChangesOnlyOnCommit) {
    TempDir dir;
    const std::string path = dir.file("t.dat");
    WriteTextFile(path, "old");
    AtomicOutputFile file;
    std::string error;
    ASSERT_TRUE(file.Open(path, error)) << error;
    Put(file, "new contents");
    EXPECT_EQ(ReadWholeFile(path), "old");
    EXPECT_EQ(FolderNames(dir.path()).size(), 2u);  // the target and the temporary file
    ASSERT_TRUE(file.Commit(error)) << error;
    EXPECT_EQ(ReadWholeFile(path), "new contents");
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"t.dat"});
}

TEST(AtomicOutputFile, AbandonedWriteLeavesNothing) {
    TempDir dir;
    const std::string path = dir.file("t.dat");
    WriteTextFile(path, "old");
    {
        AtomicOutputFile file;
        std::string error;
        ASSERT_TRUE(file.Open(path, error));
        Put(file, "half");
    }
    EXPECT_EQ(ReadWholeFile(path), "old");
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"t.dat"});
}

TEST(AtomicOutputFile, KeepsThePermissionsOfTheReplacedFile) {
    TempDir dir;
    const std::string path = dir.file("t.dat");
    WriteTextFile(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    AtomicOutputFile file;
    std::string error;
    ASSERT_TRUE(file.Open(path, error));
    Put(file, "x");
    ASSERT_TRUE(file.Commit(error));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A new file gets the usual permissions, not the temporary file's 0600.
    const mode_t mask = ::umask(022);
    AtomicOutputFile fresh;
    ASSERT_TRUE(fresh.Open(dir.file("fresh.dat"), error));
    ASSERT_TRUE(fresh.Commit(error));
    ::umask(mask);
    ASSERT_EQ(::stat(dir.file("fresh.dat").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
}

TEST(AtomicOutputFile, FailuresGiveReasons) {
    TempDir dir;
    std::string error;
    AtomicOutputFile a;
    EXPECT_FALSE(a.Open(dir.file("no/such/folder/x"), error));
    EXPECT_EQ(error, "No such file or directory");
    AtomicOutputFile b;
    EXPECT_FALSE(b.Open("", error));
    EXPECT_EQ(error, "no file name");
    AtomicOutputFile c;
    EXPECT_FALSE(c.Commit(error));
    EXPECT_EQ(error, "the file is not open");

    // A write refused by the disk shows at commit; the target is untouched.
    const std::string path = dir.file("t.dat");
    WriteTextFile(path, "old");
    AtomicOutputFile d;
    ASSERT_TRUE(d.Open(path, error));
    {
        FileSizeLimit limit(16);
        std::fwrite(std::string(100000, 'y').data(), 1, 100000, d.File());
        EXPECT_FALSE(d.Commit(error));
    }
    EXPECT_EQ(error, "File too large");
    EXPECT_EQ(ReadWholeFile(path), "old");
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"t.dat"});
}

TEST(AtomicOutputFile, RelativeNameWritesInTheWorkingFolder) {
    TempDir dir;
    const auto saved = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    AtomicOutputFile file;
    std::string error;
    const bool opened = file.Open("plain.txt", error);
    if (opened) Put(file, "here");
    const bool committed = opened && file.Commit(error);
    std::filesystem::current_path(saved);
    ASSERT_TRUE(committed) << error;
    EXPECT_EQ(ReadWholeFile(dir.file("plain.txt")), "here");
}

}  // namespace
}  // namespace vortan::test
