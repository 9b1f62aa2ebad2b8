// Temporary files of saves in flight are removed when a signal ends the
// process; the signal still ends it.
#include "platform/temp_cleanup.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "tests/test_support.h"

namespace vortan::test {
namespace {

// A child saving into dir/t.dat: it says "ready" once its temporary file
// holds a megabyte, writes four more, then waits up to waitSeconds with the
// file still open before abandoning it.
ChildResult KillMidWrite(const TempDir& dir, int signal, bool relative, bool ignore,
                         unsigned waitSeconds = 60) {
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
            for (unsigned left = waitSeconds; left > 0;) left = ::sleep(left);
            return "never signalled";
        },
        [&](int pid) { ::kill(pid, signal); });
}

TEST(TempCleanup, ASignalRemovesTheTemporaryFileAndStillEndsTheProcess) {
    // {signal, the target named relative to the folder of the time}
    for (auto [signal, relative] :
         {std::pair{SIGINT, false}, {SIGTERM, false}, {SIGHUP, false}, {SIGTERM, true}}) {
        SCOPED_TRACE(testing::Message() << "signal " << signal << (relative ? ", relative" : ""));
        TempDir dir;
        WriteTextFile(dir.file("t.dat"), "previous");
        const ChildResult child = KillMidWrite(dir, signal, relative, false);
        EXPECT_EQ(child.output, "");
        EXPECT_EQ(child.signal, signal);
        EXPECT_EQ(CountEntries(dir.path()), 1);
        EXPECT_EQ(ReadWholeFile(dir.file("t.dat")), "previous");
    }
}

// Only SIGKILL may leave a temporary file; it cannot be caught. An ignored
// SIGHUP (nohup) stays ignored: the save runs on and cleans up after itself.
TEST(TempCleanup, SignalsTheHandlerDoesNotOwnBehaveAsBefore) {
    TempDir killed;
    const ChildResult a = KillMidWrite(killed, SIGKILL, false, false);
    EXPECT_EQ(a.signal, SIGKILL);
    EXPECT_EQ(CountEntries(killed.path()), 1);  // just the temporary file

    TempDir ignored;
    const ChildResult b = KillMidWrite(ignored, SIGHUP, false, true, 1);
    EXPECT_EQ(b.signal, 0);
    EXPECT_EQ(b.output, "never signalled");
    EXPECT_EQ(CountEntries(ignored.path()), 0);
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
