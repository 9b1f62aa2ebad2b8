// Legacy VTK files in memory: choice of array, attribute sections the reader
// must skip, and the messages for what cannot be traced.
#include "field/vtk_legacy_reader.h"

#include <gtest/gtest.h>

#include <cmath>

#include "field_test_support.h"

namespace vortan::field {
namespace {

const std::string kHead = "# vtk DataFile Version 3.0\ntitle\nASCII\n";
const std::string kGrid2x2 =
    "DATASET STRUCTURED_POINTS\nDIMENSIONS 2 2 1\nORIGIN 0 0 0\nSPACING 1 1 1\n";

FieldResult Read(const std::string& body, const std::string& vectors = "") {
    return ReadVtkLegacy(kHead + body, "f.vtk", vectors);
}

TEST(VtkLegacy, ChoosesTheNamedThenTheActiveThenTheFirstArray) {
    const std::string data = kGrid2x2 +
                             "POINT_DATA 4\nSCALARS p float 1\nLOOKUP_TABLE default\n9 9 9 9\n"
                             "FIELD FieldData 2\nflat 2 4 float\n1 1 1 1 1 1 1 1\n"
                             "steep 3 4 double\n2 2 2 2 2 2 2 2 2 2 2 2\n"
                             "VECTORS my%20flow float\n3 3 3 3 3 3 3 3 3 3 3 3\n";
    const std::tuple<std::string, double, const char*> cases[] = {
        {"", 3, "my flow of f.vtk"},
        {"flat", 1, "flat of f.vtk"},
        {"my flow", 3, "my flow of f.vtk"}};
    for (const auto& [vectors, u, description] : cases) {
        const FieldResult r = Read(data, vectors);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.field.u, std::vector<double>(4, u)) << vectors;
        EXPECT_EQ(r.field.description, description);
    }
    const FieldResult r = Read(data, "p");
    EXPECT_EQ(r.error,
              "f.vtk: no point array 'p' of two or three components; found: p (1 component), "
              "flat (2 components), steep (3 components), my flow (3 components)");
}

std::string Repeat(const std::string& value, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += value + " ";
    return out + "\n";
}

TEST(VtkLegacy, SkipsCellDataMetadataAndOtherAttributes) {
    const std::string body =
        "DATASET RECTILINEAR_GRID\nDIMENSIONS 2 3 1\n"
        "X_COORDINATES 2 float\n0 5\nY_COORDINATES 3 double\n3 2 1\nZ_COORDINATES 1 float\n0\n"
        "FIELD FieldData 1\nTIME 1 1 double\n4.5\nCELL_DATA 2\nVECTORS cellflow float\n" +
        Repeat("7", 6) + "POINT_DATA 6\nCOLOR_SCALARS c 4\n" + Repeat("0", 24) +
        "NORMALS n float\n" + Repeat("1", 18) + "TEXTURE_COORDINATES t 2 float\n" +
        Repeat("0", 12) + "TENSORS s float\n" + Repeat("0", 54) + "GLOBAL_IDS ids vtkIdType\n" +
        Repeat("1", 6) + "LOOKUP_TABLE lut 2\n" + Repeat("0", 8) +
        "VECTORS v float\n0 1 0 1 2 0 2 3 0 3 4 0 4 5 0 5 6 0\n"
        "METADATA\nINFORMATION 1\nNAME L2_NORM_RANGE LOCATION vtkDataArray\nDATA 2 1 7.8\n\n";
    const FieldResult r = Read(body);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.field.x, (std::vector<double>{0, 5}));
    // y ran downwards: reversed with the data.
    EXPECT_EQ(r.field.y, (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(r.field.u, (std::vector<double>{4, 5, 2, 3, 0, 1}));
    EXPECT_EQ(r.field.v, (std::vector<double>{5, 6, 3, 4, 1, 2}));
}

TEST(VtkLegacy, NanAndInfinityInTextBecomeMasks) {
    const FieldResult r = Read(kGrid2x2 +
                               "POINT_DATA 4\nVECTORS v double\n"
                               "nan 0 0 1 inf 0 -INF 1 0 +1.5 -nan 0\n");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(std::isnan(r.field.u[0]));
    EXPECT_TRUE(std::isnan(r.field.v[1]));
    EXPECT_TRUE(std::isnan(r.field.u[2]));
    EXPECT_EQ(r.field.u[3], 1.5);
    EXPECT_TRUE(std::isnan(r.field.v[3]));
}

TEST(VtkLegacy, BinaryIsBigEndian) {
    std::string body =
        "# vtk DataFile Version 3.0\nt\nBINARY\n" + kGrid2x2 + "POINT_DATA 4\nVECTORS v int\n";
    for (int i = 0; i < 12; ++i)  // -5000, -4000, ... as 32-bit big-endian integers
        for (int shift = 24; shift >= 0; shift -= 8)
            body += static_cast<char>((static_cast<unsigned>(i * 1000 - 5000) >> shift) & 0xFF);
    body += "\n";
    const FieldResult r = ReadVtkLegacy(body, "b.vtk", "");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.field.u, (std::vector<double>{-5000, -2000, 1000, 4000}));
    EXPECT_EQ(r.field.v, (std::vector<double>{-4000, -1000, 2000, 5000}));
    // One byte short of the last value.
    const FieldResult cut = ReadVtkLegacy(body.substr(0, body.size() - 2), "b.vtk", "");
    EXPECT_EQ(cut.error, "b.vtk: the file ends inside array 'v'");
}

TEST(VtkLegacy, Messages) {
    const std::string points = "DATASET STRUCTURED_POINTS\n",
                      vectors = kGrid2x2 + "POINT_DATA 4\nVECTORS v float\n";
    const std::pair<std::string, const char*> cases[] = {
        {"DATASET STRUCTURED_GRID\nDIMENSIONS 2 2 1\nPOINTS 4 float\n",
         "a curvilinear grid (STRUCTURED_GRID) cannot be traced; image or rectilinear data can"},
        {"DATASET UNSTRUCTURED_GRID\nPOINTS 0 float\n",
         "an unstructured data set (UNSTRUCTURED_GRID) cannot be traced"},
        {"DATASET FOO\n", "a data set of kind 'FOO' cannot be traced"},
        {"DIMENSIONS 2 2 1\n", "no DATASET line"},
        {points + "POINT_DATA 4\n", "no DIMENSIONS line"},
        {kGrid2x2 + "POINT_DATA 4\nSCALARS p float\nLOOKUP_TABLE default\n1 2 3 4\n",
         "no vector components: no point array of two or three components; found: p (1 component)"},
        {kGrid2x2, "no point data"},
        {kGrid2x2 + "POINT_DATA 5\nVECTORS v float\n" + Repeat("1", 15),
         "POINT_DATA gives 5 points for 4 grid nodes"},
        {points + "DIMENSIONS 9 1 1\nPOINT_DATA 9\nVECTORS v float\n" + Repeat("1", 27),
         "a 1-D array (9 x 1 x 1 nodes) cannot be traced"},
        {points + "DIMENSIONS 100000 100000 100\n",
         "the grid of 100000 x 100000 x 100 nodes is larger than the limit"},
        {points + "DIMENSIONS 2 -2 1\n", "'-2' after DIMENSIONS is not a valid number"},
        {vectors + "1 2 3 4 5 6 7 8 9 10 11\n", "the file ends inside array 'v'"},
        {vectors + "1 2 3 4 5 x 7 8 9 10 11 12\n", "'x' in array 'v' is not a number"},
        {kGrid2x2 + "POINT_DATA 4\nVECTORS v quaternion\n", "a bad VECTORS line"},
        {kGrid2x2 + "POINT_DATA 999999999999\nVECTORS v float\n1 2 3\n",
         "the file ends inside array 'v'"},
        {kGrid2x2 + "POINT_DATA 4\nFIELD f 1\nv 99999999999 99999999999 float\n",
         "array 'v' is too large"},
        {points + "DIMENSIONS 2 2 1\nSPACING 0 1 1\nPOINT_DATA 4\n"
                  "VECTORS v float\n1 1 1 1 1 1 1 1 1 1 1 1\n",
         "a spacing of zero"},
        {"DATASET RECTILINEAR_GRID\nDIMENSIONS 2 2 1\nX_COORDINATES 3 float\n0 1 2\n"
         "POINT_DATA 4\nVECTORS v float\n1 1 1 1 1 1 1 1 1 1 1 1\n",
         "X_COORDINATES holds 3 values for 2 nodes"},
        {"WHATEVER\n", "unexpected 'WHATEVER'"},
    };
    for (const auto& [body, error] : cases) {
        const FieldResult r = Read(body);
        EXPECT_FALSE(r.ok) << body;
        const std::string want = "f.vtk: " + std::string(error);
        EXPECT_EQ(r.error.substr(0, want.size()), want);
    }
    EXPECT_EQ(ReadVtkLegacy("# vtk DataFile Version 3.0\nt\nTEXT\n", "f.vtk", "").error,
              "f.vtk: the third line must say ASCII or BINARY");
}

}  // namespace
}  // namespace vortan::field
