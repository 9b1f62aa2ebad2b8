// Reading by content: every format and encoding of the fixtures reads to the
// same field, detection ignores names, and damaged files give errors.
#include "field/field_file.h"

#include <gtest/gtest.h>

#include <tuple>

#include "field/formula_field.h"
#include "field_test_support.h"

namespace vortan::field {
namespace {

using test::Fixture;
using test::ReadWholeFile;
using vortan::test::WriteTextFile;

// Each fixture with its tolerance: ASCII VTK keeps six digits, Float32 about seven.
const std::pair<const char*, double> kGyreCases[] = {
    // clang-format off
    {"gyre_points_ascii.vtk", 1e-6}, {"gyre_points_binary.vtk", 1e-15},
    {"gyre_rect_ascii.vtk", 1e-6}, {"gyre_rect_binary.vtk", 1e-15},
    {"gyre_field2_ascii.vtk", 1e-6}, {"gyre_field2_binary.vtk", 1e-7},
    {"gyre_uneven.vtk", 1e-7}, {"gyre_ascii.vti", 1e-6},
    {"gyre_inline_u32_le.vti", 1e-7}, {"gyre_inline_zlib_u64_le_f64.vti", 1e-15},
    {"gyre_inline_u64_be_f64.vti", 1e-15}, {"gyre_raw_u64_be_f64.vti", 1e-15},
    {"gyre_raw_zlib_u32_be.vti", 1e-7}, {"gyre_raw_zlib_u64_le.vti", 1e-7},
    {"gyre_b64_zlib_u64_le.vti", 1e-7}, {"gyre_b64_u32_be_f64.vti", 1e-15},
    {"gyre_b64_zlib_u32_be_f64.vti", 1e-15}, {"gyre_2comp_inline.vti", 1e-7},
    {"gyre_rect_ascii.vtr", 1e-6}, {"gyre_rect_raw_zlib_u64.vtr", 1e-15},
    {"gyre_rect_b64_be.vtr", 1e-7}, {"gyre_uneven.vtr", 1e-7},
    {"gyre_classic.nc", 1e-15}, {"gyre_64bit.nc", 1e-15}, {"gyre_cdf5.nc", 1e-15},
    {"gyre_nc4.nc", 1e-15}, {"gyre_nc4classic.nc", 1e-15}, {"gyre_common.nc", 1e-7}};
// clang-format on

// The format a fixture's name promises; detection must find it from the content.
FieldFormat FormatOfName(const std::string& file) {
    if (file.ends_with(".nc")) return FieldFormat::kNetCdf;
    return file.ends_with(".vtk") ? FieldFormat::kVtkLegacy : FieldFormat::kVtkXml;
}

TEST(FieldFile, EveryFormatAndEncodingReadsTheSameGyre) {
    for (const auto& [file, tolerance] : kGyreCases) {
        SCOPED_TRACE(file);
        EXPECT_EQ(DetectFieldFormat(Fixture(file)), FormatOfName(file));
        const FieldResult r = ReadFieldFile(Fixture(file), {});
        ASSERT_TRUE(r.ok) << r.error;
        const VectorField& f = r.field;
        const bool uneven = std::string(file).starts_with("gyre_uneven");
        EXPECT_EQ(std::vector<std::size_t>({f.Nx(), f.Ny(), f.Nz(), f.w.size()}),
                  std::vector<std::size_t>({uneven ? 7u : 9u, uneven ? 4u : 5u, 1, 0}));
        EXPECT_EQ(std::vector<double>({f.x.front(), f.x.back(), f.y.front(), f.y.back(), f.z[0],
                                       double(f.dimension)}),
                  std::vector<double>({0, 2, 0, 1, 0, 2}));
        EXPECT_EQ(test::GyreMismatches(f, tolerance), 0);
        EXPECT_NE(f.description.find(file), std::string::npos) << f.description;
    }
}

TEST(FieldFile, ThreeDimensionalRotationReadsAlikeFromEachFormat) {
    // u = -y, v = x, w = z on the nodes the fixtures hold.
    const VectorField want =
        SampleFormula("u = -y; v = x; w = z", "-1:0.5,-1:1,0:1", "4x3X3").field;
    ASSERT_EQ(want.x, (std::vector<double>{-1.0, -0.5, 0.0, 0.5}));
    for (const char* file : {"rotation3d.vti", "rotation3d.vtk", "rotation3d.nc"}) {
        SCOPED_TRACE(file);
        const FieldResult r = ReadFieldFile(Fixture(file), {});
        ASSERT_TRUE(r.ok) << r.error;
        const VectorField& f = r.field;
        EXPECT_EQ(std::tie(f.dimension, f.x, f.y, f.z, f.u, f.v, f.w),
                  std::tie(want.dimension, want.x, want.y, want.z, want.u, want.v, want.w));
    }
}

TEST(FieldFile, DetectsByContentNotByName) {
    using enum FieldFormat;
    const std::string hdf("\x89HDF\r\n\x1a\n", 8);
    const std::pair<std::string, FieldFormat> cases[] = {
        // clang-format off
        {std::string("CDF\x01", 4), kNetCdf}, {std::string("CDF\x02", 4), kNetCdf},
        {std::string("CDF\x05", 4), kNetCdf}, {std::string("CDF\x03", 4), kUnknown},
        {hdf, kNetCdf}, {std::string(512, ' ') + hdf, kNetCdf},
        {std::string(100, ' ') + hdf, kUnknown}, {"# vtk DataFile Version 3.0\n", kVtkLegacy},
        {"# vtk datafile", kUnknown}, {"<VTKFile type=\"ImageData\">", kVtkXml},
        {"\xEF\xBB\xBF  \n<?xml version=\"1.0\"?>\n<!-- made -->\n<VTKFile>", kVtkXml},
        {"<VTKFileX>", kUnknown}, {"<?xml version=\"1.0\"?><html>", kUnknown},
        {"<?xml never closed", kUnknown}, {"", kUnknown}, {"2 3 1 0 1\n", kUnknown}};
    // clang-format on
    const vortan::test::TempDir dir;
    for (const auto& [bytes, format] : cases) {
        SCOPED_TRACE(bytes.substr(0, 20));
        EXPECT_EQ(DetectFieldFormatBytes(bytes), format);
        WriteTextFile(dir.file("f.vti"), bytes);  // a misleading name changes nothing
        EXPECT_EQ(DetectFieldFormat(dir.file("f.vti")), format);
    }
    EXPECT_EQ(DetectFieldFormat(Fixture("no_such_file.nc")), FieldFormat::kUnknown);
}

TEST(FieldFile, MessagesForFilesThatAreNotFields) {
    const vortan::test::TempDir dir;
    const std::string text = dir.file("table.nc");
    WriteTextFile(text, "x y u v\n1 2 3 4\n");
    const std::pair<std::string, std::string> cases[] = {
        {text, text + ": not a vector field file"},
        {Fixture("no_such_file.vtk"), Fixture("no_such_file.vtk") + ": cannot be opened"},
        {std::string(VORTAN_SOURCE_DIR), std::string(VORTAN_SOURCE_DIR) + ": "},
    };
    for (const auto& [path, expected] : cases) {
        const FieldResult r = ReadFieldFile(path, {});
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error.substr(0, expected.size()), expected) << r.error;
        EXPECT_TRUE(r.field.u.empty());
    }
}

// Every fixture, cut short or with bytes overwritten, reads either to a
// consistent field or to an error naming the file.
TEST(FieldFile, DamagedFixturesGiveErrorsNotCrashes) {
    // NetCDF files are read in a child process each time: three of them suffice.
    std::vector<std::string> files = {"rotation3d.vti",  "rotation3d.vtk", "line.vti",
                                      "gyre_classic.nc", "gyre_nc4.nc",    "gyre_packed.nc"};
    for (const auto& [file, tolerance] : kGyreCases)
        if (FormatOfName(file) != FieldFormat::kNetCdf) files.push_back(file);
    const vortan::test::TempDir dir;
    const std::string path = dir.file("damaged");
    int errors = 0, reads = 0;
    for (const std::string& name : files) {
        const std::string bytes = ReadWholeFile(Fixture(name));
        ASSERT_FALSE(bytes.empty()) << name;
        std::vector<std::string> damaged;
        for (std::size_t cut : {std::size_t{0}, std::size_t{5}, bytes.size() / 3, bytes.size() / 2,
                                bytes.size() * 9 / 10, bytes.size() - 1})
            damaged.push_back(bytes.substr(0, cut));
        for (std::size_t k = 1; k < 24; ++k) {
            std::string copy = bytes;
            const std::size_t at = copy.size() * k / 24;
            for (std::size_t i = at; i < std::min(copy.size(), at + 4); ++i) copy[i] ^= 0x5A;
            damaged.push_back(copy);
        }
        for (const std::string& d : damaged) {
            WriteTextFile(path, d);
            const FieldResult r = ReadFieldFile(path, {});
            ++reads;
            errors += !r.ok;
            if (r.ok) {
                EXPECT_EQ(r.field.u.size(), r.field.Nodes()) << name;
                EXPECT_EQ(r.field.v.size(), r.field.Nodes()) << name;
            } else {
                EXPECT_EQ(r.error.substr(0, path.size() + 2), path + ": ")
                    << name << ": " << r.error;
            }
        }
    }
    // Most damage is noticed; flipped bytes inside data may pass unnoticed.
    EXPECT_GT(errors, reads / 3);
}

}  // namespace
}  // namespace vortan::field
