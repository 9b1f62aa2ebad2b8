// A reader run in a child process: its field comes back whole, and its crash
// becomes a message.
#include "field/isolated_read.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>

namespace vortan::field {
namespace {

TEST(IsolatedRead, TheChildsFieldComesBackWhole) {
    FieldResult sent;
    sent.ok = true;
    sent.field.dimension = 3;
    sent.field.description = "u, v, w of deep.nc";
    sent.field.x = {0, 1}, sent.field.y = {0, 2}, sent.field.z = {-1, 1};
    // Large enough to need many pipe buffers.
    sent.field.u.assign(300000, 1.25), sent.field.v.assign(300000, std::nan(""));
    sent.field.w.assign(300000, -7.0);
    const FieldResult got = ReadIsolated("deep.nc", "NetCDF", [&] { return sent; });
    ASSERT_TRUE(got.ok) << got.error;
    EXPECT_EQ(got.field.dimension, 3);
    EXPECT_EQ(got.field.description, sent.field.description);
    EXPECT_EQ(got.field.z, sent.field.z);
    EXPECT_EQ(got.field.u, sent.field.u);
    EXPECT_EQ(got.field.w, sent.field.w);
    ASSERT_EQ(got.field.v.size(), 300000u);
    EXPECT_TRUE(std::isnan(got.field.v.back()));

    FieldResult failed;
    failed.error = "deep.nc: no velocity components";
    const FieldResult back = ReadIsolated("deep.nc", "NetCDF", [&] { return failed; });
    EXPECT_FALSE(back.ok);
    EXPECT_EQ(back.error, failed.error);
}

// A crash, an exit, and a read that hangs: the child's own alarm brought
// forward to one second, then a wait for ever, as a library stuck in a loop.
TEST(IsolatedRead, ACrashExitOrHangInTheChildIsAMessage) {
    const std::pair<FieldResult (*)(), const char*> cases[] = {
        {[]() -> FieldResult { std::abort(); }, "it crashed with Aborted"},
        {[]() -> FieldResult { _exit(3); }, "it ended unexpectedly"},
        {[]() -> FieldResult {
             alarm(1);
             for (;;) pause();
         },
         "it did not finish within 120 s"}};
    for (const auto& [body, why] : cases) {
        const FieldResult r = ReadIsolated("bad.nc", "NetCDF", body);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error, std::string("bad.nc: the NetCDF library could not read this file (") +
                               why + "); the file is probably damaged");
    }
}

}  // namespace
}  // namespace vortan::field
