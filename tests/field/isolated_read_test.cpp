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

TEST(IsolatedRead, ACrashOrExitInTheChildIsAMessage) {
    const FieldResult crashed =
        ReadIsolated("bad.nc", "NetCDF", []() -> FieldResult { std::abort(); });
    EXPECT_FALSE(crashed.ok);
    EXPECT_EQ(crashed.error,
              "bad.nc: the NetCDF library could not read this file (it crashed with Aborted); "
              "the file is probably damaged");
    const FieldResult exited = ReadIsolated("bad.nc", "NetCDF", []() -> FieldResult { _exit(3); });
    EXPECT_EQ(exited.error,
              "bad.nc: the NetCDF library could not read this file (it ended unexpectedly); the "
              "file is probably damaged");
}

TEST(IsolatedRead, AReadThatHangsIsEndedByItsAlarm) {
    // The child's own alarm is brought forward to one second, then the read
    // waits for ever, as a library stuck in a loop would.
    const FieldResult hung = ReadIsolated("slow.nc", "NetCDF", []() -> FieldResult {
        alarm(1);
        for (;;) pause();
    });
    EXPECT_FALSE(hung.ok);
    EXPECT_EQ(hung.error,
              "slow.nc: the NetCDF library could not read this file (it did not finish within "
              "120 s); the file is probably damaged");
}

}  // namespace
}  // namespace vortan::field
