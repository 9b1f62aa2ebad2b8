#include "output/formats/export_messages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "tests/formats/format_test_support.h"
#include "tests/test_support.h"

namespace vortan::test {
namespace {

struct FailureCase {
    const char* name;
    const char* file;  // in a fresh folder
    // Makes the file fail on its way to path; returns false once it did.
    std::function<bool(AtomicFile& file, const std::string& path)> attempt;
    const char* verb;  // the message is verb + path + ": " + reason
    const char* reason;
};

TEST(ExportMessages, EachFailedStepNamesTheFileAndTheReason) {
    const FailureCase cases[] = {
        {"no folder to create in", "missing/out.gif",
         [](AtomicFile& f, const std::string& p) { return f.Open(p); }, "Unable to create ",
         "No such file or directory"},
        {"the disk refuses the data", "out.gif",
         [](AtomicFile& f, const std::string& p) {
             if (!f.Open(p)) return true;
             FileSizeLimit limit(16);
             return f.Write(std::string(100000, 'y')) && f.Commit();
         },
         "Unable to write ", "File too large"},
        {"a folder took the target's place", "out.png",
         [](AtomicFile& f, const std::string& p) {
             if (!f.Open(p)) return true;
             std::filesystem::create_directory(p);
             return f.Commit();
         },
         "Unable to write ", "Is a directory"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.file(c.file);
        AtomicFile file;
        ASSERT_FALSE(c.attempt(file, path));
        EXPECT_EQ(FileFailureText(path, file), c.verb + path + ": " + c.reason);
    }
}

}  // namespace
}  // namespace vortan::test
