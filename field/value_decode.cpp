#include "field/value_decode.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace vortan::field {
namespace {

template <typename T>
T Load(const unsigned char* p, bool bigEndian) {
    unsigned char b[sizeof(T)];
    if (bigEndian) {
        for (std::size_t i = 0; i < sizeof(T); ++i) b[i] = p[sizeof(T) - 1 - i];
    } else {
        std::memcpy(b, p, sizeof(T));
    }
    T value;
    std::memcpy(&value, b, sizeof(T));
    return value;
}

template <typename T>
void DecodeAs(const unsigned char* bytes, std::size_t count, bool bigEndian, double* out) {
    for (std::size_t i = 0; i < count; ++i)
        out[i] = static_cast<double>(Load<T>(bytes + i * sizeof(T), bigEndian));
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::size_t ValueSize(ValueType type) {
    switch (type) {
        case ValueType::kInt8:
        case ValueType::kUInt8:
            return 1;
        case ValueType::kInt16:
        case ValueType::kUInt16:
            return 2;
        case ValueType::kInt32:
        case ValueType::kUInt32:
        case ValueType::kFloat32:
            return 4;
        case ValueType::kInt64:
        case ValueType::kUInt64:
        case ValueType::kFloat64:
            return 8;
    }
    return 1;
}

void DecodeValues(const unsigned char* bytes, std::size_t count, ValueType type, bool bigEndian,
                  double* out) {
    switch (type) {
        case ValueType::kInt8:
            return DecodeAs<std::int8_t>(bytes, count, bigEndian, out);
        case ValueType::kUInt8:
            return DecodeAs<std::uint8_t>(bytes, count, bigEndian, out);
        case ValueType::kInt16:
            return DecodeAs<std::int16_t>(bytes, count, bigEndian, out);
        case ValueType::kUInt16:
            return DecodeAs<std::uint16_t>(bytes, count, bigEndian, out);
        case ValueType::kInt32:
            return DecodeAs<std::int32_t>(bytes, count, bigEndian, out);
        case ValueType::kUInt32:
            return DecodeAs<std::uint32_t>(bytes, count, bigEndian, out);
        case ValueType::kInt64:
            return DecodeAs<std::int64_t>(bytes, count, bigEndian, out);
        case ValueType::kUInt64:
            return DecodeAs<std::uint64_t>(bytes, count, bigEndian, out);
        case ValueType::kFloat32:
            return DecodeAs<float>(bytes, count, bigEndian, out);
        case ValueType::kFloat64:
            return DecodeAs<double>(bytes, count, bigEndian, out);
    }
}

unsigned long long DecodeUnsigned(const unsigned char* bytes, std::size_t width, bool bigEndian) {
    if (width == 8) return Load<std::uint64_t>(bytes, bigEndian);
    return Load<std::uint32_t>(bytes, bigEndian);
}

bool ParseNumber(std::string_view token, double* value) {
    if (token.empty()) return false;
    bool negative = false;
    if (token[0] == '+' || token[0] == '-') {
        negative = token[0] == '-';
        token.remove_prefix(1);
        // A second sign ("+-1") is not a number.
        if (token.empty() || token[0] == '+' || token[0] == '-') return false;
    }
    double parsed = 0.0;
    const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), parsed);
    // Out of range still reads as a number: it becomes an infinity or zero.
    if (end != token.data() + token.size()) return false;
    if (ec == std::errc::result_out_of_range) {
        bool big = false;
        for (char c : token) {
            if (c == 'e' || c == 'E') break;
            if (c >= '1' && c <= '9') big = true;
        }
        const std::size_t e = token.find_first_of("eE");
        if (e != std::string_view::npos && e + 1 < token.size() && token[e + 1] == '-') big = false;
        parsed = big ? HUGE_VAL : 0.0;
    } else if (ec != std::errc()) {
        return false;
    }
    *value = negative ? -parsed : parsed;
    return true;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

}  // namespace vortan::field
