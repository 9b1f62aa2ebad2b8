// CompressedData["1:..."] in a record: the binary form in which Mathematica
// stores large arrays (base64 of zlib data of a binary expression). The
// engine holds no decoder of its own; a program that links one installs it
// here, and every CompressedData of a record is replaced by what it decodes
// to before the record is read. Without a decoder such records are skipped
// with the account "compressed data".
#pragma once

#include <cstddef>
#include <string_view>

#include "view/mathematica_expr.h"
#include "view/streamline_reader.h"

namespace vortan {

enum class CompressedStatus {
    Ok,
    NoDecoder,  // no decoder installed
    BadBase64,  // not "1:" followed by base64
    BadZlib,    // the base64 holds no complete zlib stream
    BadBody,    // the inflated bytes are not one binary expression
    TooLarge,   // inflates to more than the bytes still allowed
    // UnknownType + b (b = 0 to 255): the binary form holds a node whose type
    // byte b is none of the known ones (no known description names it).
    UnknownType = 0x100,
};

// The status of a node of unknown type byte type, and the byte of such a status.
constexpr CompressedStatus UnknownTypeStatus(unsigned char type) {
    return static_cast<CompressedStatus>(static_cast<int>(CompressedStatus::UnknownType) + type);
}
bool IsUnknownTypeStatus(CompressedStatus status, unsigned char* type = nullptr);

// Decodes payload (the string's text between its quotes, as written, line
// breaks and backslash-newlines included) into new nodes of e and sets
// root to the decoded expression. budget is the number of inflated bytes
// still allowed; the decoder subtracts what it inflated and refuses (before
// allocating) anything that would pass it.
using CompressedDataDecoder = CompressedStatus (*)(std::string_view payload, mexpr::Expression& e,
                                                   mexpr::Expression::Index& root,
                                                   std::size_t& budget);

// Installs the decoder used by every record read afterwards; nullptr
// removes it. Install once at start-up, before records are read.
void InstallCompressedDataDecoder(CompressedDataDecoder decoder);
CompressedDataDecoder InstalledCompressedDataDecoder();

// Replaces every CompressedData["..."] of e, including those inside decoded
// ones, by its decoded expression; stops at the first failure. budget is
// the inflated bytes allowed for all of them together.
CompressedStatus ExpandCompressedData(mexpr::Expression& e, std::size_t budget);

// The account of a record whose CompressedData could not be expanded.
SkipReason CompressedSkipReason(CompressedStatus status);

}  // namespace vortan
