#include "output/formats/export_messages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "tests/test_support.h"

namespace vortan::test {
namespace {

// Creating fails (no folder), writing (the disk refuses the data), renaming
// (a folder took the target's place).
TEST(ExportMessages, EachFailedStepNamesTheFileAndTheReason) {
    const std::tuple<int, const char*, const char*> cases[] = {
        {0, "missing/out.gif", "Unable to create %: No such file or directory"},
        {1, "out.gif", "Unable to write %: File too large"},
        {2, "out.png", "Unable to write %: Is a directory"},
    };
    for (const auto& [step, name, message] : cases) {
        TempDir dir;
        const std::string path = dir.file(name);
        AtomicFile file;
        bool ok = file.Open(path);
        if (ok && step == 1) {
            FileSizeLimit limit(16);
            ok = file.Write(std::string(100000, 'y')) && file.Commit();
        }
        if (ok && step == 2) ok = std::filesystem::create_directory(path) && file.Commit();
        ASSERT_FALSE(ok) << name;
        std::string want = message;
        EXPECT_EQ(FileFailureText(path, file), want.replace(want.find('%'), 1, path));
    }
}

}  // namespace
}  // namespace vortan::test
