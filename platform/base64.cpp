#include "platform/base64.h"

#include <array>
#include <cstdint>

namespace vortan {
namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Classes of the characters that are not data, below the sextets 0..63.
constexpr std::int8_t kBlank = -1;
constexpr std::int8_t kPad = -2;
constexpr std::int8_t kOther = -3;

constexpr std::array<std::int8_t, 256> MakeClassTable() {
    std::array<std::int8_t, 256> t{};
    for (auto& v : t) v = kOther;
    for (std::size_t k = 0; k < kAlphabet.size(); ++k) {
        t[static_cast<unsigned char>(kAlphabet[k])] = static_cast<std::int8_t>(k);
    }
    for (char c : {' ', '\t', '\n', '\r', '\f', '\v'}) t[static_cast<unsigned char>(c)] = kBlank;
    t['='] = kPad;
    return t;
}
constexpr std::array<std::int8_t, 256> kClass = MakeClassTable();

// The sextet of a character already shifted to its place in a group of four
// (position 0 holds the highest bits); anything that is not data has bit 31
// set, so one test of the or-ed four tells a clean group.
constexpr std::uint32_t kNotData = 0x80000000u;

constexpr std::array<std::uint32_t, 256> MakeShiftedTable(int position) {
    std::array<std::uint32_t, 256> t{};
    for (std::size_t c = 0; c < 256; ++c) {
        const std::int8_t v = kClass[c];
        t[c] = v < 0 ? kNotData
                     : static_cast<std::uint32_t>(v) << static_cast<unsigned>(18 - 6 * position);
    }
    return t;
}
constexpr std::array<std::uint32_t, 256> kShifted0 = MakeShiftedTable(0);
constexpr std::array<std::uint32_t, 256> kShifted1 = MakeShiftedTable(1);
constexpr std::array<std::uint32_t, 256> kShifted2 = MakeShiftedTable(2);
constexpr std::array<std::uint32_t, 256> kShifted3 = MakeShiftedTable(3);

// Length of a backslash line continuation at text[i] ("\\\n" or "\\\r\n"), 0 if none.
std::size_t Continuation(std::string_view text, std::size_t i) {
    if (text[i] != '\\') return 0;
    if (i + 1 < text.size() && text[i + 1] == '\n') return 2;
    if (i + 2 < text.size() && text[i + 1] == '\r' && text[i + 2] == '\n') return 3;
    return 0;
}

}  // namespace

Base64Result DecodeBase64(std::string_view text, unsigned char* out, const Base64Options& options) {
    const auto* u = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    unsigned char* o = out;
    std::uint32_t acc = 0;
    int have = 0;          // sextets of the open group in acc
    bool padOwed = false;  // a group of two was padded once and needs its second '='
    bool ended = false;    // padding ended the data (without paddedGroups)
    Base64Result result;
    auto fail = [&](Base64Error error, std::size_t at) {
        result.error = error;
        result.position = at;
        result.size = static_cast<std::size_t>(o - out);
        return result;
    };
    std::size_t i = 0;
    while (i < n) {
        // Clean groups of four while no group is open.
        if (have == 0 && !padOwed && !ended) {
            while (i + 4 <= n) {
                const std::uint32_t v = kShifted0[u[i]] | kShifted1[u[i + 1]] |
                                        kShifted2[u[i + 2]] | kShifted3[u[i + 3]];
                if (v & kNotData) break;
                o[0] = static_cast<unsigned char>(v >> 16);
                o[1] = static_cast<unsigned char>(v >> 8);
                o[2] = static_cast<unsigned char>(v);
                o += 3;
                i += 4;
            }
            if (i >= n) break;
        }
        // One character at a time.
        const std::int8_t v = kClass[u[i]];
        if (v >= 0) {
            if (ended) return fail(Base64Error::DataAfterPadding, i);
            if (padOwed) return fail(Base64Error::BadPadding, i);
            acc = (acc << 6) | static_cast<std::uint32_t>(v);
            if (++have == 4) {
                o[0] = static_cast<unsigned char>(acc >> 16);
                o[1] = static_cast<unsigned char>(acc >> 8);
                o[2] = static_cast<unsigned char>(acc);
                o += 3;
                acc = 0;
                have = 0;
            }
            ++i;
        } else if (v == kBlank) {
            ++i;
        } else if (v == kPad) {
            if (have == 2) {
                *o++ = static_cast<unsigned char>(acc >> 4);
                padOwed = true;
            } else if (have == 3) {
                *o++ = static_cast<unsigned char>(acc >> 10);
                *o++ = static_cast<unsigned char>(acc >> 2);
            } else if (padOwed) {
                padOwed = false;
            } else {
                return fail(Base64Error::BadPadding, i);
            }
            acc = 0;
            have = 0;
            ended = !options.paddedGroups;
            ++i;
        } else if (const std::size_t skip = options.continuations ? Continuation(text, i) : 0) {
            i += skip;
        } else {
            return fail(Base64Error::BadCharacter, i);
        }
    }
    if (padOwed) return fail(Base64Error::BadPadding, n);
    if (have == 1) return fail(Base64Error::BadLength, n);
    // An unpadded final group.
    if (have == 2) *o++ = static_cast<unsigned char>(acc >> 4);
    if (have == 3) {
        *o++ = static_cast<unsigned char>(acc >> 10);
        *o++ = static_cast<unsigned char>(acc >> 2);
    }
    result.size = static_cast<std::size_t>(o - out);
    return result;
}

Base64Result DecodeBase64(std::string_view text, std::string& out, const Base64Options& options) {
    out.resize(Base64DecodedBound(text.size()));
    const Base64Result r =
        DecodeBase64(text, reinterpret_cast<unsigned char*>(out.data()), options);
    out.resize(r.size);
    return r;
}

std::string EncodeBase64(const unsigned char* data, std::size_t size) {
    std::string out;
    out.reserve((size + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        const std::uint32_t v =
            std::uint32_t{data[i]} << 16 | std::uint32_t{data[i + 1]} << 8 | data[i + 2];
        out += kAlphabet[v >> 18];
        out += kAlphabet[v >> 12 & 63];
        out += kAlphabet[v >> 6 & 63];
        out += kAlphabet[v & 63];
    }
    if (i < size) {
        const bool two = i + 2 == size;
        const std::uint32_t v =
            std::uint32_t{data[i]} << 16 | (two ? std::uint32_t{data[i + 1]} << 8 : 0u);
        out += kAlphabet[v >> 18];
        out += kAlphabet[v >> 12 & 63];
        out += two ? kAlphabet[v >> 6 & 63] : '=';
        out += '=';
    }
    return out;
}

std::string Base64ErrorText(const Base64Result& result) {
    const std::string at = " at offset " + std::to_string(result.position);
    switch (result.error) {
        case Base64Error::None:
            return "no error";
        case Base64Error::BadCharacter:
            return "a character that is not base64" + at;
        case Base64Error::BadPadding:
            return "misplaced '=' padding" + at;
        case Base64Error::BadLength:
            return "base64 that ends one character into a group";
        case Base64Error::DataAfterPadding:
            return "base64 data after its final padding" + at;
    }
    return "unknown base64 error";
}

}  // namespace vortan
