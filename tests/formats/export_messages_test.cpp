#include "output/formats/export_messages.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/test_support.h"

namespace vortan::test {
namespace {

// A folder that took the target's place makes the last step, the rename, fail.
TEST(ExportMessages, AFailedRenameNamesTheFileAndTheReason) {
    TempDir dir;
    const std::string path = dir.file("out.png");
    AtomicFile file;
    ASSERT_TRUE(file.Open(path));
    ASSERT_TRUE(std::filesystem::create_directory(path));
    ASSERT_FALSE(file.Commit());
    EXPECT_EQ(FileFailureText(path, file), "Unable to write " + path + ": Is a directory");
}

}  // namespace
}  // namespace vortan::test
