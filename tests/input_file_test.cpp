#include "platform/input_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "tests/test_support.h"

namespace vortan::test {
namespace {

// A missing file and a folder: tests/cli/convert.sh and render.sh.
TEST(InputFileProblem, NamesWhatThePathIs) {
    TempDir dir;
    WriteTextFile(dir.file("plain.csv"), "a,0,0,0\n");
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink("plain.csv", dir.file("link"));
    std::filesystem::create_symlink("gone.csv", dir.file("dangling"));
    const int s = BindSocket(dir.file("sock"));
    const std::pair<std::string, std::string> cases[] = {
        {dir.file("plain.csv"), ""},
        {dir.file("link"), ""},
        {dir.file("dangling"), "No such file or directory"},
        {dir.file("plain.csv/x"), "Not a directory"},
        {dir.file("fifo"), "a FIFO, not a regular file"},
        {dir.file("sock"), "a socket, not a regular file"},
        {"/dev/null", "a device, not a regular file"},
        {"", "No such file or directory"}};
    for (const auto& [path, problem] : cases) EXPECT_EQ(InputFileProblem(path), problem) << path;
    ::close(s);
}

// Permission bits bind a user other than root: as root a child gives up its privileges first.
TEST(InputFileProblem, AFileThatMayNotBeReadSaysSo) {
    TempDir dir;
    WriteTextFile(dir.file("secret.csv"), "a,0,0,0\n");
    ::chmod(dir.file("secret.csv").c_str(), 0200);
    ::chmod(dir.path().c_str(), 0755);
    const bool root = ::geteuid() == 0;
    const ChildResult child = RunInChild([&](int) -> std::string {
        if (root && (::setgid(54321) != 0 || ::setuid(54321) != 0)) {
            return std::string("skip: cannot drop privileges: ") + std::strerror(errno);
        }
        return InputFileProblem(dir.file("secret.csv"));
    });
    if (child.output.starts_with("skip: ")) GTEST_SKIP() << child.output.substr(6);
    EXPECT_EQ(child.output, "Permission denied");
}

}  // namespace
}  // namespace vortan::test
