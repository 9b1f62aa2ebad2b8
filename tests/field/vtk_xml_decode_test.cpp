// The block layouts of binary VTK XML data.
#include "field/vtk_xml_decode.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace vortan::field {
namespace {

// The values as header words of width bytes in the byte order given.
std::string Words(std::initializer_list<unsigned long long> values, std::size_t width,
                  bool big = false) {
    std::string out;
    for (const unsigned long long value : values)
        for (std::size_t i = 0; i < width; ++i)
            out += static_cast<char>((value >> (8 * (big ? width - 1 - i : i))) & 0xFF);
    return out;
}

std::string Deflate(const std::string& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size,
             reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()));
    out.resize(size);
    return out;
}

// Single blocks of each header width, byte order and compression are read from
// the fixtures; here three blocks, the last one short.
TEST(VtkXmlDecode, UnpacksSeveralBlocksInEachHeaderWidthAndByteOrder) {
    const std::string payload = "0123456789abcdefghij";  // 20 bytes, blocks of 8
    for (std::size_t width : {4u, 8u}) {
        for (bool big : {false, true}) {
            std::string out, error;
            const std::string b0 = Deflate(payload.substr(0, 8)),
                              b1 = Deflate(payload.substr(8, 8)), b2 = Deflate(payload.substr(16));
            const std::string packed =
                Words({3, 8, 4, b0.size(), b1.size(), b2.size()}, width, big) + b0 + b1 + b2;
            const BlockLayout zlib{width, big, true};
            ASSERT_TRUE(UnpackArray(packed, zlib, 20, &out, &error)) << error;
            EXPECT_EQ(out, payload);
            // A damaged block, a header asking for more bytes, a cut payload.
            std::string damaged = packed;
            damaged[damaged.size() - 3] ^= 0x55;
            EXPECT_FALSE(UnpackArray(damaged, zlib, 20, &out, &error));
            EXPECT_FALSE(UnpackArray(packed, zlib, 21, &out, &error));
            EXPECT_EQ(error, "the compressed blocks do not hold the 21 bytes expected");
            EXPECT_FALSE(UnpackArray(packed.substr(0, packed.size() - 1), zlib, 20, &out, &error));
            EXPECT_EQ(error, "the compressed data ends early");
        }
    }
}

TEST(VtkXmlDecode, HeadersThatCannotBeTrue) {
    const BlockLayout zlib{4, false, true};
    std::string out, error;
    // 2^31 blocks announced in a 20-byte array.
    EXPECT_FALSE(UnpackArray(Words({1u << 31}, 4) + std::string(16, '\0'), zlib, 8, &out, &error));
    EXPECT_EQ(error, "the header names 2147483648 blocks, more than the data holds");
    // A block size of zero, a last block bigger than the others.
    EXPECT_FALSE(UnpackArray(Words({1, 0, 0, 1}, 4) + "x", zlib, 8, &out, &error));
    EXPECT_FALSE(UnpackArray(Words({2, 4, 6, 1, 1}, 4) + "xy", zlib, 10, &out, &error));
    // A compressed size past the end, one that would wrap a 64-bit sum.
    const BlockLayout wide{8, false, true};
    EXPECT_FALSE(UnpackArray(Words({2, 4, 0, ~0ull, 2}, 8) + "xy", wide, 8, &out, &error));
    EXPECT_EQ(error, "the compressed data ends early");
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(UnpackArray("ab", BlockLayout{}, 0, &out, &error));
    EXPECT_EQ(error, "the data ends inside its header");
}

}  // namespace
}  // namespace vortan::field
