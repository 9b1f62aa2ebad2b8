// Reading by content: every format and encoding of the fixtures reads to the
// same field, detection ignores names, and damaged files give errors.
#include "field/field_file.h"

#include <gtest/gtest.h>

#include <cmath>

#include "field_test_support.h"

namespace vortan::field {
namespace {

using test::Fixture;
using test::ReadBytes;
using test::TempFile;

struct GyreCase {
    const char* file;
    FieldFormat format;
    std::size_t nx, ny;
    double tolerance;  // ASCII VTK keeps six digits, Float32 about seven
};

const GyreCase kGyreCases[] = {
    {"gyre_points_ascii.vtk", FieldFormat::kVtkLegacy, 9, 5, 1e-6},
    {"gyre_points_binary.vtk", FieldFormat::kVtkLegacy, 9, 5, 1e-15},
    {"gyre_rect_ascii.vtk", FieldFormat::kVtkLegacy, 9, 5, 1e-6},
    {"gyre_rect_binary.vtk", FieldFormat::kVtkLegacy, 9, 5, 1e-15},
    {"gyre_field2_ascii.vtk", FieldFormat::kVtkLegacy, 9, 5, 1e-6},
    {"gyre_field2_binary.vtk", FieldFormat::kVtkLegacy, 9, 5, 1e-7},
    {"gyre_uneven.vtk", FieldFormat::kVtkLegacy, 7, 4, 1e-7},
    {"gyre_ascii.vti", FieldFormat::kVtkXml, 9, 5, 1e-6},
    {"gyre_inline_u32_le.vti", FieldFormat::kVtkXml, 9, 5, 1e-7},
    {"gyre_inline_zlib_u64_le_f64.vti", FieldFormat::kVtkXml, 9, 5, 1e-15},
    {"gyre_inline_u64_be_f64.vti", FieldFormat::kVtkXml, 9, 5, 1e-15},
    {"gyre_raw_u64_be_f64.vti", FieldFormat::kVtkXml, 9, 5, 1e-15},
    {"gyre_raw_zlib_u32_be.vti", FieldFormat::kVtkXml, 9, 5, 1e-7},
    {"gyre_raw_zlib_u64_le.vti", FieldFormat::kVtkXml, 9, 5, 1e-7},
    {"gyre_b64_zlib_u64_le.vti", FieldFormat::kVtkXml, 9, 5, 1e-7},
    {"gyre_b64_u32_be_f64.vti", FieldFormat::kVtkXml, 9, 5, 1e-15},
    {"gyre_b64_zlib_u32_be_f64.vti", FieldFormat::kVtkXml, 9, 5, 1e-15},
    {"gyre_2comp_inline.vti", FieldFormat::kVtkXml, 9, 5, 1e-7},
    {"gyre_rect_ascii.vtr", FieldFormat::kVtkXml, 9, 5, 1e-6},
    {"gyre_rect_raw_zlib_u64.vtr", FieldFormat::kVtkXml, 9, 5, 1e-15},
    {"gyre_rect_b64_be.vtr", FieldFormat::kVtkXml, 9, 5, 1e-7},
    {"gyre_uneven.vtr", FieldFormat::kVtkXml, 7, 4, 1e-7},
    {"gyre_classic.nc", FieldFormat::kNetCdf, 9, 5, 1e-15},
    {"gyre_64bit.nc", FieldFormat::kNetCdf, 9, 5, 1e-15},
    {"gyre_cdf5.nc", FieldFormat::kNetCdf, 9, 5, 1e-15},
    {"gyre_nc4.nc", FieldFormat::kNetCdf, 9, 5, 1e-15},
    {"gyre_nc4classic.nc", FieldFormat::kNetCdf, 9, 5, 1e-15},
    {"gyre_common.nc", FieldFormat::kNetCdf, 9, 5, 1e-7},
};

TEST(FieldFile, EveryFormatAndEncodingReadsTheSameGyre) {
    for (const GyreCase& c : kGyreCases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(DetectFieldFormat(Fixture(c.file)), c.format);
        const FieldResult r = ReadFieldFile(Fixture(c.file), {});
        ASSERT_TRUE(r.ok) << r.error;
        const VectorField& f = r.field;
        EXPECT_EQ(f.dimension, 2);
        ASSERT_EQ(f.Nx(), c.nx);
        ASSERT_EQ(f.Ny(), c.ny);
        EXPECT_EQ(f.z, std::vector<double>{0.0});
        EXPECT_TRUE(f.w.empty());
        EXPECT_EQ(std::vector<double>({f.x.front(), f.x.back(), f.y.front(), f.y.back()}),
                  std::vector<double>({0, 2, 0, 1}));
        EXPECT_EQ(test::GyreMismatches(f, c.tolerance), 0);
        EXPECT_NE(f.description.find(c.file), std::string::npos) << f.description;
    }
}

TEST(FieldFile, ThreeDimensionalRotationReadsAlikeFromEachFormat) {
    for (const char* file : {"rotation3d.vti", "rotation3d.vtk", "rotation3d.nc"}) {
        SCOPED_TRACE(file);
        const FieldResult r = ReadFieldFile(Fixture(file), {});
        ASSERT_TRUE(r.ok) << r.error;
        const VectorField& f = r.field;
        EXPECT_EQ(f.dimension, 3);
        EXPECT_EQ(f.x, (std::vector<double>{-1.0, -0.5, 0.0, 0.5}));
        EXPECT_EQ(f.y, (std::vector<double>{-1.0, 0.0, 1.0}));
        EXPECT_EQ(f.z, (std::vector<double>{0.0, 0.5, 1.0}));
        int bad = 0;
        for (std::size_t k = 0; k < 3; ++k)
            for (std::size_t j = 0; j < 3; ++j)
                for (std::size_t i = 0; i < 4; ++i) {
                    const std::size_t n = f.Index(i, j, k);
                    bad += f.u[n] != -f.y[j] || f.v[n] != f.x[i] || f.w[n] != f.z[k];
                }
        EXPECT_EQ(bad, 0);
    }
}

TEST(FieldFile, DetectsByContentNotByName) {
    const struct {
        std::string bytes;
        FieldFormat format;
    } cases[] = {
        {std::string("CDF\x01", 4), FieldFormat::kNetCdf},
        {std::string("CDF\x02", 4), FieldFormat::kNetCdf},
        {std::string("CDF\x05", 4), FieldFormat::kNetCdf},
        {std::string("CDF\x03", 4), FieldFormat::kUnknown},
        {std::string("\x89HDF\r\n\x1a\n", 8), FieldFormat::kNetCdf},
        {std::string(512, ' ') + std::string("\x89HDF\r\n\x1a\n", 8), FieldFormat::kNetCdf},
        {std::string(100, ' ') + std::string("\x89HDF\r\n\x1a\n", 8), FieldFormat::kUnknown},
        {"# vtk DataFile Version 3.0\n", FieldFormat::kVtkLegacy},
        {"# vtk datafile", FieldFormat::kUnknown},
        {"<VTKFile type=\"ImageData\">", FieldFormat::kVtkXml},
        {"\xEF\xBB\xBF  \n<?xml version=\"1.0\"?>\n<!-- made -->\n<VTKFile>", FieldFormat::kVtkXml},
        {"<VTKFileX>", FieldFormat::kUnknown},
        {"<?xml version=\"1.0\"?><html>", FieldFormat::kUnknown},
        {"<?xml never closed", FieldFormat::kUnknown},
        {"", FieldFormat::kUnknown},
        {"2 3 1 0 1\n", FieldFormat::kUnknown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 20));
        EXPECT_EQ(DetectFieldFormatBytes(c.bytes), c.format);
        // A misleading name changes nothing.
        TempFile file(c.bytes, ".vti");
        EXPECT_EQ(DetectFieldFormat(file.path()), c.format);
    }
    EXPECT_EQ(DetectFieldFormat(Fixture("no_such_file.nc")), FieldFormat::kUnknown);
}

TEST(FieldFile, MessagesForFilesThatAreNotFields) {
    TempFile text("x y u v\n1 2 3 4\n", ".nc");
    const struct {
        std::string path;
        std::string expected;
    } cases[] = {
        {text.path(), text.path() + ": not a vector field file"},
        {Fixture("no_such_file.vtk"), Fixture("no_such_file.vtk") + ": cannot be opened"},
        {std::string(VORTAN_SOURCE_DIR), std::string(VORTAN_SOURCE_DIR) + ": "},
    };
    for (const auto& c : cases) {
        const FieldResult r = ReadFieldFile(c.path, {});
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error.substr(0, c.expected.size()), c.expected) << r.error;
        EXPECT_TRUE(r.field.u.empty());
    }
}

// Every fixture, cut short or with bytes overwritten, reads either to a
// consistent field or to an error naming the file.
TEST(FieldFile, DamagedFixturesGiveErrorsNotCrashes) {
    // NetCDF files are read in a child process each time: three of them suffice.
    std::vector<std::string> files;
    for (const GyreCase& c : kGyreCases) {
        if (c.format != FieldFormat::kNetCdf) files.push_back(c.file);
    }
    for (const char* f : {"rotation3d.vti", "rotation3d.vtk", "line.vti", "gyre_classic.nc",
                          "gyre_nc4.nc", "gyre_packed.nc"})
        files.push_back(f);
    int errors = 0, reads = 0;
    for (const std::string& name : files) {
        const std::string bytes = ReadBytes(Fixture(name));
        ASSERT_FALSE(bytes.empty()) << name;
        std::vector<std::string> damaged;
        for (std::size_t cut : {std::size_t{0}, std::size_t{5}, bytes.size() / 3, bytes.size() / 2,
                                bytes.size() * 9 / 10, bytes.size() - 1})
            damaged.push_back(bytes.substr(0, cut));
        for (std::size_t k = 1; k < 24; ++k) {
            std::string copy = bytes;
            const std::size_t at = copy.size() * k / 24;
            for (std::size_t i = at; i < std::min(copy.size(), at + 4); ++i)
                copy[i] = static_cast<char>(copy[i] ^ 0x5A);
            damaged.push_back(copy);
        }
        for (const std::string& d : damaged) {
            TempFile file(d);
            const FieldResult r = ReadFieldFile(file.path(), {});
            ++reads;
            if (r.ok) {
                const VectorField& f = r.field;
                EXPECT_EQ(f.u.size(), f.Nodes()) << name;
                EXPECT_EQ(f.v.size(), f.Nodes()) << name;
            } else {
                ++errors;
                EXPECT_EQ(r.error.substr(0, file.path().size() + 2), file.path() + ": ")
                    << name << ": " << r.error;
            }
        }
    }
    // Most damage is noticed; flipped bytes inside data may pass unnoticed.
    EXPECT_GT(errors, reads / 3);
}

}  // namespace
}  // namespace vortan::field
