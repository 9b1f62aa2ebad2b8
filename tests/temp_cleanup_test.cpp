// Temporary files of saves in flight are removed when a signal ends the
// process; the signal still ends it.
#include "platform/temp_cleanup.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "platform/atomic_file.h"
#include "tests/test_support.h"

namespace vortan::test {
namespace {

// A child saving into dir/t.dat: it says "ready" once its temporary file
// holds a megabyte, writes four more, then waits (a minute, a second when it
// ignores the signal) with the file still open before abandoning it.
ChildResult KillMidWrite(const TempDir& dir, int signal, bool relative, bool ignore) {
    return RunInChild(
        [&](int readyFd) -> std::string {
            if (ignore) ::signal(signal, SIG_IGN);
            if (relative && ::chdir(dir.path().c_str()) != 0) return "cannot enter the folder";
            AtomicFile file;
            if (!file.Open(relative ? "t.dat" : dir.file("t.dat"))) return file.ErrorText();
            // The recorded path must not depend on the current folder.
            if (relative && ::chdir("/") != 0) return "cannot leave the folder";
            const std::string chunk(64 * 1024, 'w');
            for (int i = 0; i < 16; ++i) file.Write(chunk);
            if (::write(readyFd, "ready\n", 6) != 6) return "cannot report";
            for (int i = 0; i < 64; ++i) file.Write(chunk);
            for (unsigned left = ignore ? 1 : 60; left > 0;) left = ::sleep(left);
            return "never signalled";
        },
        [&](int pid) { ::kill(pid, signal); });
}

// Only SIGKILL, which cannot be caught, leaves the temporary file. An ignored SIGHUP (nohup) stays
// ignored: the save runs on and cleans up after itself. SIGINT and SIGHUP: tests/cli/render.sh.
TEST(TempCleanup, ASignalRemovesTheTemporaryFileAndStillEndsTheProcess) {
    // {signal, target named relative to the folder of the time, signal ignored}
    const std::tuple<int, bool, bool> cases[] = {{SIGTERM, false, false},
                                                 {SIGTERM, true, false},
                                                 {SIGKILL, false, false},
                                                 {SIGHUP, false, true}};
    for (const auto& [signal, relative, ignored] : cases) {
        SCOPED_TRACE(testing::Message() << "signal " << signal << (relative ? ", relative" : "")
                                        << (ignored ? ", ignored" : ""));
        TempDir dir;
        WriteTextFile(dir.file("t.dat"), "previous");
        const ChildResult child = KillMidWrite(dir, signal, relative, ignored);
        EXPECT_EQ(child.output, ignored ? "never signalled" : "");
        EXPECT_EQ(child.signal, ignored ? 0 : signal);
        EXPECT_EQ(CountEntries(dir.path()), signal == SIGKILL ? 2 : 1);
        EXPECT_EQ(ReadWholeFile(dir.file("t.dat")), "previous");
    }
}

TEST(TempCleanup, AFullTableOrAnOverlongPathIsRefusedNotOverrun) {
    std::vector<int> slots;
    for (int i = 0; i < 200; ++i) slots.push_back(temp_cleanup::Track("/x/" + std::to_string(i)));
    const auto taken = std::count_if(slots.begin(), slots.end(), [](int s) { return s >= 0; });
    EXPECT_GT(taken, 0);
    EXPECT_LT(taken, 200);
    EXPECT_EQ(temp_cleanup::Track("/" + std::string(100000, 'p')), -1);
    for (const int s : slots) temp_cleanup::Forget(s);
    // Forgotten slots are free again.
    const int again = temp_cleanup::Track("/x/again");
    EXPECT_GE(again, 0);
    temp_cleanup::Forget(again);
}

}  // namespace
}  // namespace vortan::test
