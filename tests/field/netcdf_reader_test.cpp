// NetCDF: component choice, extra dimensions, masks and packing, axis
// order, and the messages that list what the file holds.
#include "field/netcdf_reader.h"

#include <gtest/gtest.h>

#include <cmath>

#include "field_test_support.h"

namespace vortan::field {
namespace {

using test::Fixture;

ReadOptions Options(std::string u, std::string v, std::size_t time = 0, std::size_t level = 0) {
    ReadOptions o;
    o.u = std::move(u);
    o.v = std::move(v);
    o.time = time;
    o.level = level;
    return o;
}

TEST(NetCdf, TimeIndexPicksTheStep) {
    for (std::size_t time : {0u, 1u}) {
        const FieldResult r = ReadNetCdfFile(Fixture("gyre_classic.nc"), Options("", "", time));
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(test::GyreMismatches(r.field, 1e-15, time == 0 ? 1.0 : 2.0), 0);
        EXPECT_EQ(r.field.description, "uo, vo of gyre_classic.nc");
    }
    EXPECT_EQ(ReadNetCdfFile(Fixture("gyre_classic.nc"), Options("", "", 2)).error,
              Fixture("gyre_classic.nc") +
                  ": time index 2 is out of range; dimension 'time' has 2 entries");
}

TEST(NetCdf, PackedValuesFillsMissingValuesAndASouthwardLatitude) {
    const FieldResult r = ReadNetCdfFile(Fixture("gyre_packed.nc"), Options("", "", 0, 1));
    ASSERT_TRUE(r.ok) << r.error;
    const VectorField& f = r.field;
    EXPECT_EQ(f.description, "eastward, northward of gyre_packed.nc");
    // Latitude ran north to south: the first stored row is now the last.
    EXPECT_EQ(f.y, (std::vector<double>{0, 0.25, 0.5, 0.75, 1}));
    EXPECT_TRUE(std::isnan(f.u[f.Index(0, 4)]));  // _FillValue
    EXPECT_TRUE(std::isnan(f.v[f.Index(1, 3)]));  // missing_value
    EXPECT_EQ(test::GyreMismatches(f, 1e-4), 2);  // packed in steps of 1/16384; the two masks
    // Level 0 holds zeros packed with the offset: every value is 0 * scale + 0.5.
    EXPECT_EQ(ReadNetCdfFile(Fixture("gyre_packed.nc"), {}).field.u, std::vector<double>(45, 0.5));
    EXPECT_EQ(ReadNetCdfFile(Fixture("gyre_packed.nc"), Options("", "", 0, 2)).error,
              Fixture("gyre_packed.nc") +
                  ": level index 2 is out of range; dimension 'depth' has 2 entries");
}

TEST(NetCdf, ValuesOutsideTheValidRangeAreMaskedBeforeUnpacking) {
    // u: packed by 1/16384, valid_range -16384 to 16000 in packed units;
    // v: floats, valid_min -0.6, valid_max 0.8.
    const FieldResult r = ReadNetCdfFile(Fixture("gyre_valid.nc"), {});
    ASSERT_TRUE(r.ok) << r.error;
    const VectorField& f = r.field;
    int maskedU = 0, maskedV = 0, wrong = 0;
    for (std::size_t j = 0; j < f.Ny(); ++j)
        for (std::size_t i = 0; i < f.Nx(); ++i) {
            const std::size_t n = f.Index(i, j);
            const double u = test::GyreU(f.x[i], f.y[j]), v = test::GyreV(f.x[i], f.y[j]);
            const bool outU = u > 16000.0 / 16384.0, outV = v < -0.6 || v > 0.8;
            maskedU += outU;
            maskedV += outV;
            wrong += std::isnan(f.u[n]) != outU || std::isnan(f.v[n]) != outV;
            if (!outU) wrong += std::abs(f.u[n] - u) > 1e-4;
            if (!outV) wrong += std::abs(f.v[n] - v) > 1e-6;
        }
    EXPECT_EQ(maskedU, 2);  // +1 is out; -1, on the bound, is in
    EXPECT_EQ(maskedV, 7);
    EXPECT_EQ(wrong, 0);
}

TEST(NetCdf, ComponentsByNameAndWhatTheFileHolds) {
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"gyre_classic.nc", "uo", "", "give both u and v components by name, or neither"},
        {"gyre_classic.nc", "speed", "vo",
         "no variable named 'speed'; variables present: time(time), y(y), x(x), uo(time, y, x), "
         "vo(time, y, x), temp(time, y, x)"},
        {"gyre_classic.nc", "uo", "x",
         "the components lie on different grids: uo(time, y, x) and x(x)"},
        {"no_velocity.nc", "", "",
         "no velocity components (by standard_name or common names such as u, v); variables "
         "present: temp(lat, lon), salt(lat, lon)"},
        {"groups.nc", "", "",
         "no velocity components (by standard_name or common names such as u, v); variables "
         "present: y(y), x(x); in subgroups, which are not searched: /forecast/uo(y, x), "
         "/forecast/vo(y, x), /forecast/surface/speed(y, x)"},
        {"groups.nc", "uo", "vo",
         "no variable named 'uo'; variables present: y(y), x(x); in subgroups, which are not "
         "searched: /forecast/uo(y, x), /forecast/vo(y, x), /forecast/surface/speed(y, x)"},
        {"curvilinear.nc", "", "",
         "a curvilinear grid cannot be traced: the coordinates lon(j, i), lat(j, i) are 2-D; a "
         "grid with 1-D coordinate variables can be"},
        {"line.nc", "", "",
         "'u(time, station)' has one spatial dimension; a 1-D array cannot be traced"},
    };
    for (const auto& [file, u, v, error] : cases) {
        const FieldResult r = ReadNetCdfFile(Fixture(file), Options(u, v));
        EXPECT_FALSE(r.ok) << file;
        EXPECT_EQ(r.error, Fixture(file) + ": " + error);
    }
    // Names, even swapped, are taken as given (default names: every NetCDF fixture).
    const FieldResult swapped = ReadNetCdfFile(Fixture("gyre_classic.nc"), Options("vo", "uo"));
    ASSERT_TRUE(swapped.ok);
    EXPECT_DOUBLE_EQ(swapped.field.u[12], test::GyreV(swapped.field.x[3], swapped.field.y[1]));
}

TEST(NetCdf, FromMemoryAndDamaged) {
    const std::string bytes = test::ReadWholeFile(Fixture("gyre_64bit.nc"));
    const FieldResult r = ReadNetCdfMemory(bytes, "mem.nc", {});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(test::GyreMismatches(r.field, 1e-15), 0);
    EXPECT_EQ(ReadNetCdfMemory("CDF\x01garbage", "mem.nc", {}).error,
              "mem.nc: a damaged NetCDF header (the header is cut short)");
    const FieldResult bad =
        ReadNetCdfMemory(std::string("\x89HDF\r\n\x1a\n", 8) + "garbage", "mem.nc", {});
    EXPECT_EQ(bad.error.rfind("mem.nc: cannot be read as NetCDF (", 0), 0u) << bad.error;
}

}  // namespace
}  // namespace vortan::field
