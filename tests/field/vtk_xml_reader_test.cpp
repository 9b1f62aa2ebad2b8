// XML VTK documents in memory: choice of array, image orientation, and the
// messages for what cannot be read or traced.
#include "field/vtk_xml_reader.h"

#include <gtest/gtest.h>

#include "field_test_support.h"
#include "platform/base64.h"

namespace vortan::field {
namespace {

std::string Image(const std::string& pointData, const std::string& rootAttributes = "",
                  const std::string& imageAttributes = "", const std::string& after = "") {
    return "<?xml version=\"1.0\"?>\n<VTKFile type=\"ImageData\" version=\"1.0\" " +
           rootAttributes + ">\n<ImageData WholeExtent=\"0 1 0 1 0 0\" Origin=\"0 0 0\" " +
           "Spacing=\"1 1 1\" " + imageAttributes + ">\n<Piece Extent=\"0 1 0 1 0 0\">\n" +
           pointData + "\n</Piece>\n</ImageData>\n" + after + "</VTKFile>\n";
}

std::string Array(const std::string& name, int components, const std::string& values,
                  const std::string& extra = "") {
    return "<DataArray type=\"Float64\" Name=\"" + name + "\" NumberOfComponents=\"" +
           std::to_string(components) + "\" format=\"ascii\" " + extra + ">" + values +
           "</DataArray>\n";
}

std::string Base64(const std::string& bytes) {
    return EncodeBase64(bytes);
}

std::string UInt32Le(unsigned value) {
    std::string out;
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

const std::string kFour2 = "1 1 1 1 1 1 1 1";
const std::string kFour3 = "2 2 2 2 2 2 2 2 2 2 2 2";

TEST(VtkXml, ChoosesTheNamedThenTheActiveThenTheFirstArray) {
    const std::string arrays =
        Array("p", 1, "0 0 0 0") + Array("flat", 2, kFour2) + Array("steep", 3, kFour3);
    const struct {
        std::string pointDataAttributes;
        std::string vectors;
        double u;
    } cases[] = {{"", "", 1}, {"Vectors=\"steep\"", "", 2}, {"Vectors=\"steep\"", "flat", 1}};
    for (const auto& c : cases) {
        const std::string doc =
            Image("<PointData " + c.pointDataAttributes + ">" + arrays + "</PointData>");
        const FieldResult r = ReadVtkXml(doc, "f.vti", c.vectors);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.field.u, std::vector<double>(4, c.u)) << c.pointDataAttributes;
    }
    const FieldResult r = ReadVtkXml(Image("<PointData>" + arrays + "</PointData>"), "f.vti", "p");
    EXPECT_EQ(r.error,
              "f.vti: no point array 'p' of two or three components; found: p (1 component), "
              "flat (2 components), steep (3 components)");
}

TEST(VtkXml, TextOfElementsNestedInAnArrayIsNotData) {
    // Information keys, and arrays nested in an array (found by fuzzing: they
    // moved the array collecting its text).
    std::string nested = "<PointData>";
    for (int i = 0; i < 9; ++i) nested += Array("p" + std::to_string(i), 3, "9 9 9");
    const std::string texts[] = {
        "\n<InformationKey name=\"L2_NORM_RANGE\" location=\"vtkDataArray\" length=\"2\">"
        "<Value index=\"0\">9</Value><Value index=\"1\">9</Value></InformationKey>\n1 2 3 4 5 6 7 "
        "8\n",
        "1 2 3 4 " + nested + "</PointData> 5 6 7 8"};
    for (const std::string& text : texts) {
        const FieldResult r =
            ReadVtkXml(Image("<PointData>" + Array("v", 2, text) + "</PointData>"), "f.vti", "");
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.field.u, (std::vector<double>{1, 3, 5, 7}));
    }
}

TEST(VtkXml, FlippedDirectionReversesTheAxis) {
    const std::string doc = Image("<PointData>" + Array("v", 2, "1 0 2 0 3 0 4 0") + "</PointData>",
                                  "", "Direction=\"-1 0 0 0 1 0 0 0 1\"");
    const FieldResult r = ReadVtkXml(doc, "f.vti", "");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.field.x, (std::vector<double>{-1, 0}));
    EXPECT_EQ(r.field.u, (std::vector<double>{2, 1, 4, 3}));
}

TEST(VtkXml, Messages) {
    const std::string good = "<PointData>" + Array("v", 2, kFour2) + "</PointData>";
    // One block claiming 3 x 2^24 doubles from ten compressed bytes.
    const std::string bomb =
        Base64(UInt32Le(1) + UInt32Le(402653184) + UInt32Le(0) + UInt32Le(10)) +
        Base64(std::string(10, 'x'));
    const std::string bombDoc =
        "<VTKFile type=\"ImageData\" compressor=\"vtkZLibDataCompressor\">"
        "<ImageData WholeExtent=\"0 4095 0 4095 0 0\"><Piece Extent=\"0 4095 0 4095 0 0\">"
        "<PointData><DataArray type=\"Float64\" Name=\"v\" NumberOfComponents=\"3\" "
        "format=\"binary\">" +
        bomb + "</DataArray></PointData></Piece></ImageData></VTKFile>";
    const struct {
        std::string doc;
        const char* error;
    } cases[] = {
        {"<VTKFile type=\"StructuredGrid\"></VTKFile>",
         "f.vti: a curvilinear grid (StructuredGrid) cannot be traced; image or rectilinear data "
         "can"},
        {"<VTKFile type=\"UnstructuredGrid\"></VTKFile>",
         "f.vti: unstructured data (UnstructuredGrid) cannot be traced"},
        {"<VTKFile type=\"PImageData\"></VTKFile>",
         "f.vti: a parallel index file (PImageData); open one of its pieces"},
        {"<Other/>", "f.vti: the root element is Other, not VTKFile"},
        {"<VTKFile type=\"ImageData\"><ImageData", "f.vti: not well-formed XML"},
        {"<VTKFile type=\"ImageData\"></VTKFile>", "f.vti: no ImageData element"},
        {Image(good, "compressor=\"vtkLZ4DataCompressor\""),
         "f.vti: the compressor vtkLZ4DataCompressor is not supported"},
        {Image(good, "header_type=\"UInt16\""), "f.vti: header_type must be UInt32 or UInt64"},
        {Image(good, "", "Direction=\"0 1 0 1 0 0 0 0 1\""),
         "f.vti: the image is rotated (Direction not along the axes) and cannot be traced"},
        {Image("<PointData>" + Array("p", 1, "1 2 3 4") + "</PointData>"),
         "f.vti: no vector components: no point array of two or three components; found: p (1 "
         "component)"},
        {Image("<PointData>" + Array("v", 2, "1 2 3") + "</PointData>"),
         "f.vti: array 'v' holds 3 values of 8"},
        {Image("<PointData>" + Array("v", 2, "1 2 3 4 5 6 7 z") + "</PointData>"),
         "f.vti: 'z' in array 'v' is not a number"},
        {Image("<PointData><DataArray type=\"String\" Name=\"v\" NumberOfComponents=\"2\"/>"
               "</PointData>"),
         "f.vti: array 'v' has type 'String', not a number type"},
        {Image("<PointData><DataArray type=\"Float32\" Name=\"v\" NumberOfComponents=\"2\" "
               "format=\"appended\" offset=\"0\"/></PointData>"),
         "f.vti: array 'v' is appended but there is no AppendedData"},
        {Image("<PointData><DataArray type=\"Float32\" Name=\"v\" NumberOfComponents=\"2\" "
               "format=\"appended\" offset=\"99\"/></PointData>",
               "", "", "<AppendedData encoding=\"raw\">_abc</AppendedData>"),
         "f.vti: array 'v' starts past the end of the appended data"},
        {Image("<PointData><DataArray type=\"Float32\" Name=\"v\" NumberOfComponents=\"2\" "
               "format=\"appended\" offset=\"0\"/></PointData>",
               "", "", "<AppendedData encoding=\"raw\">_" + UInt32Le(32) + "short"),
         "f.vti: array 'v': the data ends after"},
        {Image("<PointData><DataArray type=\"Float32\" Name=\"v\" NumberOfComponents=\"2\" "
               "format=\"appended\" offset=\"0\"/></PointData>",
               "", "", "<AppendedData encoding=\"gzip\">_"),
         "f.vti: AppendedData encoding must be raw or base64"},
        {Image("<PointData><DataArray type=\"Float32\" Name=\"v\" NumberOfComponents=\"2\" "
               "format=\"binary\">" +
               Base64(UInt32Le(31) + std::string(31, 'a')) + "</DataArray></PointData>"),
         "f.vti: array 'v': the header gives 31 bytes for 32 expected"},
        {Image("<PointData><DataArray type=\"Float32\" Name=\"v\" NumberOfComponents=\"2\" "
               "format=\"binary\">" +
               Base64(UInt32Le(32)) + "!" + "</DataArray></PointData>"),
         "f.vti: array 'v': a character that is not base64 at offset 8"},
        {Image("<PointData><DataArray type=\"Float32\" Name=\"v\" NumberOfComponents=\"x\"/>"
               "</PointData>"),
         "f.vti: array 'v' has a bad NumberOfComponents"},
        {bombDoc, "f.vti: array 'v': the compressed sizes are impossibly small"},
        {"<VTKFile type=\"ImageData\"><ImageData WholeExtent=\"0 99999 0 99999 0 99\">",
         "f.vti: the grid of 100000 x 100000 x 100 nodes is larger than the limit"},
        {"<VTKFile type=\"ImageData\"><ImageData WholeExtent=\"0 9 5 4 0 0\">",
         "f.vti: an empty extent"},
        {"<VTKFile type=\"ImageData\"><ImageData WholeExtent=\"0 1 0 1 0 0\"><Piece/><Piece/>"
         "</ImageData></VTKFile>",
         "f.vti: the data comes in 2 pieces; only single-piece files are read"},
        {"<VTKFile type=\"RectilinearGrid\"><RectilinearGrid WholeExtent=\"0 1 0 1 0 0\"><Piece>" +
             good + "<Coordinates>" + Array("x", 1, "0 1") +
             "</Coordinates></Piece>"
             "</RectilinearGrid></VTKFile>",
         "f.vti: the Coordinates element must hold three arrays, not 1"},
    };
    for (const auto& c : cases) {
        const FieldResult r = ReadVtkXml(c.doc, "f.vti", "");
        EXPECT_FALSE(r.ok) << c.doc;
        EXPECT_EQ(r.error.substr(0, std::string(c.error).size()), c.error) << r.error;
    }
}

TEST(VtkXml, FixturesThatCannotBeTraced) {
    const struct {
        const char* file;
        const char* error;
    } cases[] = {
        {"line.vti", "a 1-D array (9 x 1 x 1 nodes) cannot be traced"},
        {"two_pieces.vtr", "the data comes in 2 pieces; only single-piece files are read"},
    };
    for (const auto& c : cases) {
        const std::string path = test::Fixture(c.file);
        const FieldResult r = ReadVtkXml(test::ReadBytes(path), path, "");
        EXPECT_EQ(r.error.substr(0, path.size() + 2 + std::string(c.error).size()),
                  path + ": " + c.error);
    }
}

}  // namespace
}  // namespace vortan::field
