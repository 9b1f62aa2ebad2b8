// Decoder of Mathematica's CompressedData strings: "1:" followed by base64
// (blanks, line breaks and backslash-newlines ignored) of a zlib stream
// whose inflated bytes are "!boR" and one expression in binary form:
//
//   'f' int32 n, head, n arguments    a function application (List[...]
//                                     is a list, Rule[a, b] a rule)
//   's' int32 n, n bytes              a symbol, with its contexts
//   'S' int32 n, n bytes              a string
//   'i' int32                         a machine integer
//   'r' float64                       a machine real
//   'I' int32 n, n bytes              an integer too large for 'i', as text
//   'R' int32 n, n bytes              a real of more than machine precision,
//                                     as text (digits, ` mark, *^ exponent)
//   'e' int32 rank, rank int32 dims,  a packed array of machine reals
//       float64 elements
//   'n' int32 rank, rank int32 dims,  a packed array of machine integers
//       int32 elements
//
// Every number is little-endian. Packed arrays become nested lists of
// numbers, rank deep. A node of any other type byte is reported as
// UnknownTypeStatus(byte), not as a corrupt body. Declared counts are checked against the bytes
// left before anything is allocated.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "view/compressed_data.h"
#include "view/mathematica_expr.h"

namespace vortan::notebook {

// Nesting of the binary form beyond which it is refused.
inline constexpr int kMaxBinaryDepth = mexpr::Expression::kMaxDepth;

// Inflated bytes (not zero-filled before inflation writes them).
struct InflatedBytes {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
    std::string_view View() const { return {data.get(), size}; }
};

// Inflates a zlib stream into out; at most limit bytes (TooLarge beyond).
CompressedStatus Inflate(std::string_view zlib, std::size_t limit, InflatedBytes& out);

// Decodes the binary form ("!boR" and one expression, nothing after it)
// into new nodes of e; root is the expression's node.
CompressedStatus DecodeBinaryExpression(std::string_view bytes, mexpr::Expression& e,
                                        mexpr::Expression::Index& root);

// The whole way from the string's text to nodes; matches
// CompressedDataDecoder, so it can be installed as the engine's decoder.
CompressedStatus DecodeCompressedData(std::string_view payload, mexpr::Expression& e,
                                      mexpr::Expression::Index& root, std::size_t& budget);

// Installs DecodeCompressedData as the decoder of every record read.
void InstallCompressedDataDecoder();

}  // namespace vortan::notebook
