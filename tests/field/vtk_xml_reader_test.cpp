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

std::string UInt32Le(unsigned value) {
    std::string out;
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

std::string Points(const std::string& arrays) {
    return Image("<PointData>" + arrays + "</PointData>");
}

// An image whose one point array v is two-component Float32 with the given
// attributes and text, and what follows the ImageData element.
std::string Float32V(const std::string& attributes, const std::string& text = "",
                     const std::string& after = "") {
    return Image("<PointData><DataArray type=\"Float32\" Name=\"v\" NumberOfComponents=\"2\" " +
                     attributes + ">" + text + "</DataArray></PointData>",
                 "", "", after);
}

const std::string kFour2 = "1 1 1 1 1 1 1 1";
const std::string kFour3 = "2 2 2 2 2 2 2 2 2 2 2 2";

TEST(VtkXml, ChoosesTheNamedThenTheActiveThenTheFirstArray) {
    const std::string arrays =
        Array("p", 1, "0 0 0 0") + Array("flat", 2, kFour2) + Array("steep", 3, kFour3);
    const std::tuple<std::string, std::string, double> cases[] = {
        {"", "", 1}, {"Vectors=\"steep\"", "", 2}, {"Vectors=\"steep\"", "flat", 1}};
    for (const auto& [pointDataAttributes, vectors, u] : cases) {
        const FieldResult r =
            ReadVtkXml(Image("<PointData " + pointDataAttributes + ">" + arrays + "</PointData>"),
                       "f.vti", vectors);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.field.u, std::vector<double>(4, u)) << pointDataAttributes;
    }
    const FieldResult r = ReadVtkXml(Points(arrays), "f.vti", "p");
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
        const FieldResult r = ReadVtkXml(Points(Array("v", 2, text)), "f.vti", "");
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
        EncodeBase64(UInt32Le(1) + UInt32Le(402653184) + UInt32Le(0) + UInt32Le(10)) +
        EncodeBase64(std::string(10, 'x'));
    const std::string bombDoc =
        "<VTKFile type=\"ImageData\" compressor=\"vtkZLibDataCompressor\">"
        "<ImageData WholeExtent=\"0 4095 0 4095 0 0\"><Piece Extent=\"0 4095 0 4095 0 0\">"
        "<PointData><DataArray type=\"Float64\" Name=\"v\" NumberOfComponents=\"3\" "
        "format=\"binary\">" +
        bomb + "</DataArray></PointData></Piece></ImageData></VTKFile>";
    const std::pair<std::string, const char*> cases[] = {
        {"<VTKFile type=\"StructuredGrid\"></VTKFile>",
         "a curvilinear grid (StructuredGrid) cannot be traced; image or rectilinear data can"},
        {"<VTKFile type=\"UnstructuredGrid\"></VTKFile>",
         "unstructured data (UnstructuredGrid) cannot be traced"},
        {"<VTKFile type=\"PImageData\"></VTKFile>",
         "a parallel index file (PImageData); open one of its pieces"},
        {"<Other/>", "the root element is Other, not VTKFile"},
        {"<VTKFile type=\"ImageData\"><ImageData", "not well-formed XML"},
        {"<VTKFile type=\"ImageData\"></VTKFile>", "no ImageData element"},
        {Image(good, "compressor=\"vtkLZ4DataCompressor\""),
         "the compressor vtkLZ4DataCompressor is not supported"},
        {Image(good, "header_type=\"UInt16\""), "header_type must be UInt32 or UInt64"},
        {Image(good, "", "Direction=\"0 1 0 1 0 0 0 0 1\""),
         "the image is rotated (Direction not along the axes) and cannot be traced"},
        {Points(Array("p", 1, "1 2 3 4")),
         "no vector components: no point array of two or three components; found: p (1 component)"},
        {Points(Array("v", 2, "1 2 3")), "array 'v' holds 3 values of 8"},
        {Points(Array("v", 2, "1 2 3 4 5 6 7 z")), "'z' in array 'v' is not a number"},
        {Points("<DataArray type=\"String\" Name=\"v\" NumberOfComponents=\"2\"/>"),
         "array 'v' has type 'String', not a number type"},
        {Float32V("format=\"appended\" offset=\"0\""),
         "array 'v' is appended but there is no AppendedData"},
        {Float32V("format=\"appended\" offset=\"99\"", "",
                  "<AppendedData encoding=\"raw\">_abc</AppendedData>"),
         "array 'v' starts past the end of the appended data"},
        {Float32V("format=\"appended\" offset=\"0\"", "",
                  "<AppendedData encoding=\"raw\">_" + UInt32Le(32) + "short"),
         "array 'v': the data ends after"},
        {Float32V("format=\"appended\" offset=\"0\"", "", "<AppendedData encoding=\"gzip\">_"),
         "AppendedData encoding must be raw or base64"},
        {Float32V("format=\"binary\"", EncodeBase64(UInt32Le(31) + std::string(31, 'a'))),
         "array 'v': the header gives 31 bytes for 32 expected"},
        {Float32V("format=\"binary\"", EncodeBase64(UInt32Le(32)) + "!"),
         "array 'v': a character that is not base64 at offset 8"},
        {Points("<DataArray type=\"Float32\" Name=\"v\" NumberOfComponents=\"x\"/>"),
         "array 'v' has a bad NumberOfComponents"},
        {bombDoc, "array 'v': the compressed sizes are impossibly small"},
        {"<VTKFile type=\"ImageData\"><ImageData WholeExtent=\"0 99999 0 99999 0 99\">",
         "the grid of 100000 x 100000 x 100 nodes is larger than the limit"},
        {"<VTKFile type=\"ImageData\"><ImageData WholeExtent=\"0 9 5 4 0 0\">", "an empty extent"},
        {test::ReadWholeFile(test::Fixture("two_pieces.vtr")),
         "the data comes in 2 pieces; only single-piece files are read"},
        {"<VTKFile type=\"RectilinearGrid\"><RectilinearGrid WholeExtent=\"0 1 0 1 0 0\"><Piece>" +
             good + "<Coordinates>" + Array("x", 1, "0 1") +
             "</Coordinates></Piece></RectilinearGrid></VTKFile>",
         "the Coordinates element must hold three arrays, not 1"},
    };
    for (const auto& [doc, error] : cases) {
        const FieldResult r = ReadVtkXml(doc, "f.vti", "");
        EXPECT_FALSE(r.ok) << doc;
        const std::string want = "f.vti: " + std::string(error);
        EXPECT_EQ(r.error.substr(0, want.size()), want);
    }
}

}  // namespace
}  // namespace vortan::field
