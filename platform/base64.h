// Base64 (RFC 4648 alphabet): bytes to padded text, and text to bytes.
//
// Decoding: blanks and line ends are passed
// over anywhere; '=' padding closes a group of two or three characters, and
// a final group may also come unpadded. Decoding writes straight into the
// caller's buffer: four characters give three bytes per step while the text
// is clean, and a character-by-character path takes over only where a blank,
// a line end or a '=' appears.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vortan {

struct Base64Options {
    // A padded group may be followed by more groups (VTK writes an array's
    // header and its data as two separately padded blocks). Otherwise the
    // first padding ends the data and only blanks may follow it.
    bool paddedGroups = false;
    // A backslash right before a line end is passed over too (notebooks
    // break long strings that way).
    bool continuations = false;
};

enum class Base64Error {
    None,
    BadCharacter,      // a character that is neither base64, blank nor padding
    BadPadding,        // '=' where no group can end, or a group padded short
    BadLength,         // the text ends one character into a group
    DataAfterPadding,  // data after the padding that ended the text
};

struct Base64Result {
    Base64Error error = Base64Error::None;
    std::size_t size = 0;      // bytes written
    std::size_t position = 0;  // offset in the text where an error was found
    explicit operator bool() const { return error == Base64Error::None; }
};

// Bytes that text of length n can decode to at most: the room the caller's
// buffer needs.
constexpr std::size_t Base64DecodedBound(std::size_t n) {
    return n / 4 * 3 + 2;
}

// Decodes text into out, which has room for Base64DecodedBound(text.size())
// bytes. On error, out holds the bytes decoded before it.
Base64Result DecodeBase64(std::string_view text, unsigned char* out,
                          const Base64Options& options = {});

// The same into a string, resized to the bytes decoded.
Base64Result DecodeBase64(std::string_view text, std::string& out,
                          const Base64Options& options = {});

// What went wrong, for messages: "a character that is not base64 at offset 12".
std::string Base64ErrorText(const Base64Result& result);

// Bytes to base64 text, padded, on one line (as data URLs and VTK want it).
std::string EncodeBase64(const unsigned char* data, std::size_t size);
inline std::string EncodeBase64(std::string_view bytes) {
    return EncodeBase64(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

}  // namespace vortan
