// A reader run in a child process: its field comes back whole, and its crash
// becomes a message.
#include "field/isolated_read.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <tuple>

namespace vortan::field {
namespace {

// Fields and errors of the NetCDF fixtures come back through the child; this
// one is large enough to need many pipe buffers.
TEST(IsolatedRead, ALargeFieldComesBackWhole) {
    FieldResult sent;
    sent.ok = true;
    VectorField& f = sent.field;
    f.dimension = 3;
    f.description = "u, v, w of deep.nc";
    f.x = {0, 1};
    f.y = {0, 2};
    f.z = {-1, 1};
    f.u.assign(300000, 1.25);
    f.v.assign(300000, std::nan(""));
    f.w.assign(300000, -7.0);
    const FieldResult got = ReadIsolated("deep.nc", "NetCDF", [&] { return sent; });
    ASSERT_TRUE(got.ok) << got.error;
    EXPECT_EQ(
        std::tie(got.field.dimension, got.field.description, got.field.z, got.field.u, got.field.w),
        std::tie(f.dimension, f.description, f.z, f.u, f.w));
    ASSERT_EQ(got.field.v.size(), 300000u);
    EXPECT_TRUE(std::isnan(got.field.v.back()));
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
