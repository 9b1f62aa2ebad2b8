// Reading a streamline file: the header of eleven numbers, then one record
// of text per streamline, and the parser that fills the knot store.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "view/vortan_frame_state.h"

namespace vortan {

struct StreamlineHeader {
    float imageWidth = 0.0f;
    float imageHeight = 0.0f;
    float dimension = 0.0f;
    float tMax = 0.0f;
    float progressStep = 0.0f;
    float xMin = 0.0f;
    float xMax = 0.0f;
    float yMin = 0.0f;
    float yMax = 0.0f;
    float zMin = 0.0f;
    float zMax = 0.0f;
    // How many of the eleven numbers were actually read (0..11).
    int numbersRead = 0;
};

// Largest picture side in pixels: the picture's width and height (header
// numbers 1 and 2) must lie within 1..kMaxPictureSide to be drawn.
inline constexpr int kMaxPictureSide = 16384;
// A header picture size the program can draw: each side finite, 1 to kMaxPictureSide.
bool IsDrawablePictureSize(float width, float height);

// Why a record did not reach the knot store.
enum class SkipReason {
    None,                // parsed
    TooShort,            // 200 characters or fewer
    TooLong,             // longer than the record limit, skipped whole
    Malformed,           // the scans ran off the record (no marker, unbalanced braces)
    OutputForm,          // InterpolatingFunction[..., <>]: printed without its data
    CompressedData,      // CompressedData[...] and no decoder in this program
    NonNumeric,          // numbers beyond the single-precision range
    BadOffsets,          // packed-array offsets that do not fit the values
    BadBase64,           // CompressedData whose text is not "1:" and base64
    BadZlib,             // CompressedData whose base64 holds no complete zlib stream
    BadCompressedBody,   // CompressedData whose inflated bytes are not an expression
    CompressedTooLarge,  // CompressedData inflating beyond the record limit
    ComplexValues,       // complex values
    SymbolicValues,      // values that are symbols or formulas, not numbers
    SeveralVariables,    // a function of more than one variable
    BadSpline,           // B-spline values whose knots do not fit their control points
    // CompressedUnknownType + b (b = 0 to 255): CompressedData holding a node
    // of type byte b, which this program does not know; one account per byte.
    CompressedUnknownType = 0x100,
};
const char* SkipReasonText(SkipReason reason);

// The account of CompressedData holding a node of the unknown type byte type.
constexpr SkipReason UnknownCompressedTypeReason(unsigned char type) {
    return static_cast<SkipReason>(static_cast<int>(SkipReason::CompressedUnknownType) + type);
}

// A streamline file opened for reading. Line ends reach the reader as one
// '\n' whether the file uses CR LF or LF (text mode).
class StreamlineFile {
  public:
    StreamlineFile() = default;
    ~StreamlineFile();
    StreamlineFile(const StreamlineFile&) = delete;
    StreamlineFile& operator=(const StreamlineFile&) = delete;

    bool Open(const std::string& path);
    // Reads from text already in memory (tests, fuzzing).
    void OpenText(std::string text);
    void Close();
    bool IsOpen() const { return m_file != nullptr || m_memory; }

    // Next character, or EOF; Peek does not consume it.
    int Get();
    int Peek();
    // The character offset places ahead of the next one (PeekAt(0) == Peek()),
    // or EOF; for short look-ahead only (offset well below the read block).
    int PeekAt(std::size_t offset);
    // Appends the characters up to and including the next line end, but at
    // most maxChars of them, to out; returns how many (0 at end of file).
    std::size_t ReadChunk(std::string& out, std::size_t maxChars);
    // The line (from 1) of the next character: line ends consumed so far + 1.
    long long LineNumber() const { return m_lineEnds + 1; }

    // The characters read but not yet consumed; valid until the next read.
    std::string_view Buffered() const { return {m_buffer.data() + m_pos, m_end - m_pos}; }
    // Reads on after them (they move to the front of the block); false when
    // nothing could be added: the end of the file, or a full block.
    bool ReadMore() { return Fill(); }
    // Consumes the first count buffered characters, which hold lineEnds line ends.
    void Consume(std::size_t count, long long lineEnds) {
        m_pos += count;
        m_lineEnds += lineEnds;
    }

  private:
    bool Fill();

    std::FILE* m_file = nullptr;
    bool m_memory = false;
    std::string m_buffer;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    bool m_eof = false;
    bool m_pendingCr = false;
    long long m_lineEnds = 0;
};

// Reads the eleven header numbers ("%f\n" each); stops at the first text
// that cannot start a number, leaving it for the records.
StreamlineHeader ReadStreamlineHeader(StreamlineFile& file);

// Longest record kept in memory; a longer one is skipped whole.
inline constexpr std::size_t kMaxRecordLength = 16u * 1024u * 1024u;

// Reads the next record into text; false when the file holds no further
// record. A record too long to keep comes back as an empty text with
// *tooLong set (when given).
bool ReadStreamlineRecord(StreamlineFile& file, std::string& text, bool* tooLong = nullptr);
// The same without copying the record where it can: record is then the
// record's text in the file's read block, valid until the file is read
// again; a record that spans more than a block, continues a line or meets the
// end of the file is put together in scratch, and record shows that.
bool ReadStreamlineRecordView(StreamlineFile& file, std::string& scratch, std::string_view& record,
                              bool* tooLong = nullptr);

// Parses one record into the knot store of state (m_knots, m_knotCount).
// Returns true when the store now holds this streamline.
bool ParseStreamlineRecord(std::string_view text, const StreamlineHeader& header,
                           VortanFrameState& state, SkipReason* reason = nullptr);

// Reads a decimal number at text[pos] as the runtime's atof does (blanks
// skipped, sign, digits, point, fraction, e/E exponent; no inf, nan or hex),
// and Mathematica's notation as meant: precision marks (`, `16, `15.9) are
// passed over and a *^ exponent applies. Text that starts no number gives 0.
// *end (when given) receives the position after the number (pos when none).
double ReadNumber(const char* text, std::size_t length, std::size_t pos,
                  std::size_t* end = nullptr);

// What is wrong with a picture size IsDrawablePictureSize refuses: "picture
// size 20000 x 20000 is out of range: each side must be 1 to 16384" (sizes
// as %g writes them).
std::string PictureSizeRangeText(float width, float height);

}  // namespace vortan
