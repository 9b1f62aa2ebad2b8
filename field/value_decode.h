// Numbers as the VTK formats store them: binary values of the usual widths in
// either byte order, and ASCII numbers (with nan and inf).
#pragma once

#include <cstddef>
#include <string_view>

namespace vortan::field {

enum class ValueType {
    kInt8,
    kUInt8,
    kInt16,
    kUInt16,
    kInt32,
    kUInt32,
    kInt64,
    kUInt64,
    kFloat32,
    kFloat64
};

std::size_t ValueSize(ValueType type);

// Converts count values of type stored at bytes (count * ValueSize(type)
// bytes) to doubles in out.
void DecodeValues(const unsigned char* bytes, std::size_t count, ValueType type, bool bigEndian,
                  double* out);

// One unsigned integer of 4 or 8 bytes (the XML block headers).
unsigned long long DecodeUnsigned(const unsigned char* bytes, std::size_t width, bool bigEndian);

// A whole token as a number: an optional sign, decimal or exponent form, or
// nan / inf / infinity in any case. False for anything else.
bool ParseNumber(std::string_view token, double* value);

bool EqualsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace vortan::field
