#include "view/streamline_reader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>

#include "platform/numeric.h"
#include "view/modern_record.h"
#include "view/number_scan.h"
#include "view/text_scan.h"

namespace vortan {

namespace {

// Bytes read from the file at a time.
constexpr std::size_t kReadBlock = 256 * 1024;
// Longest piece of a record read at once (a 16384-byte line buffer).
constexpr std::size_t kChunkLength = 16383;
// Records of this many characters or fewer carry no streamline.
constexpr std::size_t kShortRecord = 200;
// Characters of a header number the scan looks at ahead in the file; beyond
// them they are taken out of the file into the number's own text.
constexpr std::size_t kHeaderLookAhead = 4096;
// The last knot index the store can hold.
constexpr std::int64_t kLastKnot = kKnotCapacity - 1;

// Removes the CR of every CR LF pair in place; returns the new size.
std::size_t FoldCrLf(char* data, std::size_t size) {
    char* out = data;
    const char* read = data;
    const char* end = data + size;
    for (;;) {
        const char* cr =
            static_cast<const char*>(std::memchr(read, '\r', static_cast<std::size_t>(end - read)));
        const char* stop = cr ? cr : end;
        const std::size_t n = static_cast<std::size_t>(stop - read);
        if (out != read && n) std::memmove(out, read, n);
        out += n;
        if (!cr) break;
        if (cr + 1 < end && cr[1] == '\n') {
            read = cr + 1;  // the LF is copied with the next run
        } else {
            *out++ = '\r';
            read = cr + 1;
        }
    }
    return static_cast<std::size_t>(out - data);
}

// Which knot a value of source index j (0 = the leading 0 or the first value)
// goes to: the index itself up to knot 1000, or, when a streamline has more
// than 1000 parameter values after its leading 0, the knots of an even
// thinning to 1001 knots: knot i takes source index round(i * n / 1000).
class KnotMap {
  public:
    explicit KnotMap(std::int64_t n) : m_n(n), m_thin(n > kLastKnot) {}
    // Call with j = 0, 1, 2, ... in order; -1 when the value is not kept.
    int Take(std::int64_t j) {
        if (!m_thin) return j <= kLastKnot ? static_cast<int>(j) : -1;
        if (m_next > kLastKnot || j != Source(m_next)) return -1;
        return static_cast<int>(m_next++);
    }

  private:
    std::int64_t Source(std::int64_t i) const {
        return (2 * i * m_n + kLastKnot) / (2 * kLastKnot);
    }
    std::int64_t m_n;
    bool m_thin;
    std::int64_t m_next = 0;
};

// A record's text with bounded access: every scan stops at its end.
struct RecordText {
    const char* s;
    std::size_t len;

    // Counts braces from depth 1 starting at i until the depth is 0; i ends
    // just past the closing brace. False when the text ends first.
    bool PassGroup(std::size_t& i) const {
        int depth = 1;
        for (; (i = FindFirstOf3(s, i, len, '{', '}', '}')) < len; ++i) {
            if (s[i] == '{') {
                ++depth;
            } else if (--depth == 0) {
                ++i;
                return true;
            }
        }
        return false;
    }

    // Moves i to the next '{' (staying on one); false when there is none.
    bool ToBrace(std::size_t& i) const {
        if (i >= len) return false;
        const void* p = std::memchr(s + i, '{', len - i);
        if (!p) return false;
        i = static_cast<std::size_t>(static_cast<const char*>(p) - s);
        return true;
    }

    double Number(std::size_t pos, std::size_t* end) const { return ReadNumber(s, len, pos, end); }
};

// Steps 6.2 to 6.4 of finding a value list: from just past the function's
// first group, pass its second group and its parameter list and stop on the
// '{' that opens the value list.
bool FindValueList(const RecordText& r, std::size_t& i) {
    i += 3;
    if (!r.PassGroup(i)) return false;
    if (!r.ToBrace(i)) return false;
    ++i;
    if (!r.PassGroup(i)) return false;
    return r.ToBrace(i);
}

// Reads the first number of every inner group of the value list that opens
// at i into the chosen coordinate of the knots. Stops at the ']' that closes
// the function (or when the list's depth returns to 0); i ends on that stop.
template <class Store>
bool ReadValueList(const RecordText& r, std::size_t& i, KnotMap map, Store store) {
    int depth = 1;
    std::int64_t k = 0;
    for (; (i = FindFirstOf3(r.s, i, r.len, '{', '}', ']')) < r.len; ++i) {
        const char c = r.s[i];
        if (c == '{') {
            if (++depth == 3) {
                std::size_t end = i + 1;
                const float v = NarrowToFloat(r.Number(i + 1, &end));
                const int knot = map.Take(k++);
                if (knot >= 0) store(knot, v);
                i = end - 1;  // a number holds no brace or bracket
            }
        } else if (c == '}') {
            if (--depth == 0) return true;
        } else if (c == ']') {
            return true;
        }
    }
    return false;
}

bool Fail(SkipReason* reason, SkipReason why) {
    if (reason) *reason = why;
    return false;
}

}  // namespace

bool IsDrawablePictureSize(float width, float height) {
    constexpr auto kLargest = static_cast<float>(kMaxPictureSide);
    auto fits = [](float v) { return std::isfinite(v) && v >= 1.0f && v <= kLargest; };
    return fits(width) && fits(height);
}

const char* SkipReasonText(SkipReason reason) {
    const int unknownType =
        static_cast<int>(reason) - static_cast<int>(SkipReason::CompressedUnknownType);
    if (unknownType >= 0 && unknownType <= 0xFF) {
        static const std::array<std::string, 256> kTexts = [] {
            std::array<std::string, 256> t;
            for (std::size_t b = 0; b < t.size(); ++b) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "0x%02x", static_cast<unsigned>(b));
                t[b] =
                    std::string("compressed data: unknown packed array or expression type ") + hex;
            }
            return t;
        }();
        return kTexts[static_cast<std::size_t>(unknownType)].c_str();
    }
    switch (reason) {
        case SkipReason::None:
            return "parsed";
        case SkipReason::TooShort:
            return "200 characters or fewer";
        case SkipReason::TooLong:
            return "longer than the record limit";
        case SkipReason::Malformed:
            return "malformed";
        case SkipReason::OutputForm:
            return "function printed without its data";
        case SkipReason::CompressedData:
            return "compressed data";
        case SkipReason::NonNumeric:
            return "numbers beyond single precision";
        case SkipReason::BadOffsets:
            return "packed-array offsets that do not fit the values";
        case SkipReason::BadBase64:
            return "compressed data: not base64";
        case SkipReason::BadZlib:
            return "compressed data: corrupt zlib stream";
        case SkipReason::BadCompressedBody:
            return "compressed data: corrupt binary expression";
        case SkipReason::CompressedTooLarge:
            return "compressed data: inflates beyond the record limit";
        case SkipReason::ComplexValues:
            return "complex values";
        case SkipReason::SymbolicValues:
            return "symbolic values (not numbers)";
        case SkipReason::SeveralVariables:
            return "a function of more than one variable";
        case SkipReason::BadSpline:
            return "B-spline knots that do not fit its control points";
        case SkipReason::CompressedUnknownType:
            break;  // taken above
    }
    return "unknown";
}

// ---------------------------------------------------------------------------
// StreamlineFile

StreamlineFile::~StreamlineFile() {
    Close();
}

bool StreamlineFile::Open(const std::string& path) {
    Close();
    // Binary mode: CR LF is folded to '\n' here, the same on every platform.
    m_file = std::fopen(path.c_str(), "rb");
    if (!m_file) return false;
    m_buffer.resize(kReadBlock);
    m_pos = m_end = 0;
    m_eof = false;
    m_pendingCr = false;
    m_lineEnds = 0;
    return true;
}

void StreamlineFile::OpenText(std::string text) {
    Close();
    m_buffer = std::move(text);
    m_end = FoldCrLf(m_buffer.data(), m_buffer.size());
    m_pos = 0;
    m_memory = true;
    m_eof = true;
    m_lineEnds = 0;
}

void StreamlineFile::Close() {
    if (m_file) std::fclose(m_file);
    m_file = nullptr;
    m_memory = false;
    std::string().swap(m_buffer);
    m_pos = m_end = 0;
    m_eof = false;
    m_pendingCr = false;
}

// Appends the next block of the file, CR LF folded, after the characters not
// yet consumed (which move to the front). False when nothing could be added.
bool StreamlineFile::Fill() {
    if (!m_file || m_eof) return false;
    if (m_pos > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_pos, m_end - m_pos);
        m_end -= m_pos;
        m_pos = 0;
    }
    while (!m_eof) {
        const std::size_t start = m_end;
        if (start + 1 >= m_buffer.size()) return false;  // look-ahead filled the block
        std::size_t raw = 0;
        if (m_pendingCr) m_buffer[start + raw++] = '\r';
        const std::size_t got =
            std::fread(m_buffer.data() + start + raw, 1, m_buffer.size() - start - raw, m_file);
        if (got == 0) m_eof = true;  // end of file or a read error: the text ends here
        raw += got;
        m_pendingCr = false;
        // A CR at the very end may be the first half of a CR LF pair.
        if (!m_eof && raw > 0 && m_buffer[start + raw - 1] == '\r') {
            m_pendingCr = true;
            --raw;
        }
        m_end = start + FoldCrLf(m_buffer.data() + start, raw);
        if (m_end > start) return true;
    }
    return false;
}

int StreamlineFile::Get() {
    if (m_pos == m_end && !Fill()) return EOF;
    const char c = m_buffer[m_pos++];
    if (c == '\n') ++m_lineEnds;
    return static_cast<unsigned char>(c);
}

int StreamlineFile::Peek() {
    return PeekAt(0);
}

int StreamlineFile::PeekAt(std::size_t offset) {
    while (m_end - m_pos <= offset) {
        if (!Fill()) return EOF;
    }
    return static_cast<unsigned char>(m_buffer[m_pos + offset]);
}

std::size_t StreamlineFile::ReadChunk(std::string& out, std::size_t maxChars) {
    std::size_t count = 0;
    while (count < maxChars) {
        if (m_pos == m_end && !Fill()) break;
        const std::size_t avail = std::min(m_end - m_pos, maxChars - count);
        const char* from = m_buffer.data() + m_pos;
        const void* nl = std::memchr(from, '\n', avail);
        const std::size_t n =
            nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - from) + 1 : avail;
        out.append(from, n);
        m_pos += n;
        count += n;
        if (nl) {
            ++m_lineEnds;
            break;
        }
    }
    return count;
}

// ---------------------------------------------------------------------------
// Header and records

double ReadNumber(const char* text, std::size_t length, std::size_t pos, std::size_t* end) {
    if (end) *end = pos;
    if (!text || pos >= length) return 0.0;
    // The plain decimal form ([-]digits[.digits][e exponent]) of nearly every
    // number in a record, converted in one call over the text in place. Other
    // forms ('+', precision marks, *^ exponents, values beyond the double
    // range) take the general scan below, which reads these the same way.
    std::size_t p = pos;
    while (p < length && IsBlankChar(static_cast<unsigned char>(text[p]))) ++p;
    const std::size_t lead = p < length && text[p] == '-' ? p + 1 : p;
    if (lead < length &&
        (IsDigitChar(static_cast<unsigned char>(text[lead])) || text[lead] == '.')) {
        double value = 0.0;
        const auto res = std::from_chars(text + p, text + length, value);
        const char* const stop = res.ptr;
        if (res.ec == std::errc() && (stop == text + length || (*stop != '`' && *stop != '*'))) {
            if (end) *end = static_cast<std::size_t>(stop - text);
            return value;
        }
    }
    const char* base = text + pos;
    const std::size_t avail = length - pos;
    const NumberScan s = ScanNumber(
        [&](std::size_t k) -> int { return k < avail ? static_cast<unsigned char>(base[k]) : -1; });
    if (!s.found) return 0.0;
    if (end) *end = pos + s.end;
    return ConvertNumber(base, s);
}

StreamlineHeader ReadStreamlineHeader(StreamlineFile& file) {
    StreamlineHeader h;
    float* const fields[] = {&h.imageWidth,   &h.imageHeight, &h.dimension, &h.tMax,
                             &h.progressStep, &h.xMin,        &h.xMax,      &h.yMin,
                             &h.yMax,         &h.zMin,        &h.zMax};
    std::string digits;
    for (float* field : fields) {
        while (IsBlankChar(file.Peek())) file.Get();
        // The file's look-ahead is short; a longer number moves into digits
        // as the scan passes, so that one of any length stays one number. The
        // scan looks at most a few characters past what it has accepted.
        digits.clear();
        bool tooLong = false;
        const NumberScan s = ScanNumber([&](std::size_t k) -> int {
            while (k >= digits.size() + kHeaderLookAhead) {
                if (digits.size() >= kMaxRecordLength) {
                    tooLong = true;
                    return -1;
                }
                const int c = file.Get();
                if (c == EOF) return -1;
                digits += static_cast<char>(c);
            }
            return k < digits.size() ? static_cast<unsigned char>(digits[k])
                                     : file.PeekAt(k - digits.size());
        });
        // A number longer than a whole record ends the header there.
        if (!s.found || tooLong) break;
        while (digits.size() < s.end) digits += static_cast<char>(file.Get());
        *field = NarrowToFloat(ConvertNumber(digits.data(), s));
        ++h.numbersRead;
        while (IsBlankChar(file.Peek())) file.Get();
    }
    return h;
}

namespace {

// Where a record ends, found chunk by chunk: after a chunk whose last six
// characters are "}}]}}" and one more, or at a line end where its braces have
// closed (depth 0, or below 0 after a stray '}', which would otherwise never
// balance again).
class RecordEnd {
  public:
    // Counts the braces of the chunk just read.
    void Count(const char* chunk, std::size_t n) {
        std::int64_t opens = 0;
        std::int64_t closes = 0;
        CountBraces(chunk, n, opens, closes);
        m_depth += opens - closes;
        m_sawBrace = m_sawBrace || opens + closes > 0;
    }
    // Whether the record read so far (its last characters in text) ends
    // here; lineEnd when its last chunk ends a line that is not continued.
    bool At(std::string_view text, bool lineEnd) const {
        const bool terminated = text.size() >= 6 && text.compare(text.size() - 6, 5, "}}]}}") == 0;
        return terminated || (lineEnd && m_sawBrace && m_depth <= 0);
    }

  private:
    std::int64_t m_depth = 0;
    bool m_sawBrace = false;
};

// Reads the next record by copying its chunks into text (joining continued
// lines, and dropping a record that outgrows the limit).
bool ReadRecordCopying(StreamlineFile& file, std::string& text, bool* tooLong) {
    text.clear();
    if (tooLong) *tooLong = false;

    bool dropping = false;  // the record outgrew the limit: read on to its end
    std::string window;     // while dropping: the last characters and the new chunk
    RecordEnd end;

    for (;;) {
        std::string& dest = dropping ? window : text;
        const std::size_t before = dest.size();
        if (file.ReadChunk(dest, kChunkLength) == 0) {
            // End of file: no record, or a partial one, which is dropped.
            text.clear();
            return false;
        }
        end.Count(dest.data() + before, dest.size() - before);
        bool lineEnd = dest.back() == '\n';
        if (lineEnd && dest.size() >= 2 && dest[dest.size() - 2] == '\\') {
            dest.resize(dest.size() - 2);  // a continued line: join it to the next
            lineEnd = false;
        }
        if (end.At(dest, lineEnd)) {
            if (dropping || text.size() > kMaxRecordLength) {
                std::string().swap(text);
                if (tooLong) *tooLong = true;
            }
            return true;
        }
        if (!dropping && text.size() > kMaxRecordLength) {
            dropping = true;
            window.assign(text, text.size() - 6, 6);
            std::string().swap(text);
        } else if (dropping && window.size() > 6) {
            window.erase(0, window.size() - 6);
        }
    }
}

// The record at the start of the file's read block, found chunk by chunk as
// ReadRecordCopying finds it, when it ends inside the block with no line
// continued and within the length limit. Nothing is consumed otherwise.
bool FindRecordInPlace(StreamlineFile& file, std::string_view& record) {
    std::size_t size = 0;
    long long lineEnds = 0;
    RecordEnd end;
    while (size <= kMaxRecordLength) {
        const std::string_view block = file.Buffered();
        // A chunk: up to and including a line end, at most kChunkLength.
        const char* from = block.data() + size;
        const std::size_t limit = std::min(block.size() - size, kChunkLength);
        const void* nl = std::memchr(from, '\n', limit);
        std::size_t n = kChunkLength;
        if (nl != nullptr) {
            n = static_cast<std::size_t>(static_cast<const char*>(nl) - from) + 1;
        } else if (limit < kChunkLength) {
            if (file.ReadMore()) continue;  // the block moved: read from its front again
            return false;
        }
        end.Count(from, n);
        size += n;
        const bool lineEnd = from[n - 1] == '\n';
        if (lineEnd) {
            if (size >= 2 && block[size - 2] == '\\') return false;  // a continued line
            ++lineEnds;
        }
        if (end.At(block.substr(0, size), lineEnd)) {
            if (size > kMaxRecordLength) return false;
            record = block.substr(0, size);
            file.Consume(size, lineEnds);
            return true;
        }
    }
    return false;
}

}  // namespace

bool ReadStreamlineRecordView(StreamlineFile& file, std::string& scratch, std::string_view& record,
                              bool* tooLong) {
    if (tooLong) *tooLong = false;
    if (FindRecordInPlace(file, record)) return true;
    const bool found = ReadRecordCopying(file, scratch, tooLong);
    record = scratch;
    return found;
}

bool ReadStreamlineRecord(StreamlineFile& file, std::string& text, bool* tooLong) {
    std::string_view record;
    if (!ReadStreamlineRecordView(file, text, record, tooLong)) return false;
    if (record.data() != text.data()) text.assign(record);
    return true;
}

bool ParseStreamlineRecord(std::string_view text, const StreamlineHeader& header,
                           VortanFrameState& state, SkipReason* reason) {
    if (reason) *reason = SkipReason::None;
    state.m_knots[0].t = 0.0f;
    // Too short to carry a streamline; the account names the kinds of text
    // (OutputForm, CompressedData) that can be told apart even so.
    if (text.size() <= kShortRecord) return Fail(reason, ShortRecordReason(text));
    if (IsModernRecord(text)) return ParseModernRecord(text, header, state, reason);

    const RecordText r{text.data(), text.size()};
    Knot* const knots = state.m_knots.data();

    // The parameter list: "{0., t1, ..., tn}" after the marker " {{0.,".
    const std::size_t marker = text.find(" {{0.,");
    if (marker == std::string_view::npos) return Fail(reason, SkipReason::Malformed);
    const std::size_t listBegin = marker + 4;  // on the point of "0."
    std::int64_t n = 0;
    std::size_t i = listBegin;
    {
        int depth = 1;
        for (;; ++i) {
            i = FindFirstOf3(r.s, i, r.len, ',', '{', '}');
            if (i >= r.len) return Fail(reason, SkipReason::Malformed);
            const char c = r.s[i];
            if (c == ',') {
                ++n;
                if (n <= kLastKnot) {
                    std::size_t end = i + 1;
                    float v = NarrowToFloat(r.Number(i + 1, &end));
                    knots[n].t = v > header.tMax ? 0.0f : v;
                    i = end - 1;  // a number holds no comma or brace
                }
            } else if (c == '{') {
                ++depth;
            } else if (c == '}' && --depth == 0) {
                break;
            }
        }
    }
    if (n > kLastKnot) {
        // Too many knots for the store: read the list again and keep an even
        // selection that includes the first and the last.
        KnotMap map(n);
        map.Take(0);
        std::int64_t j = 0;
        for (std::size_t p = listBegin; (p = FindFirstOf3(r.s, p, i, ',', ',', ',')) < i; ++p) {
            const int knot = map.Take(++j);
            if (knot < 0) continue;
            std::size_t end = p + 1;
            const float v = NarrowToFloat(r.Number(p + 1, &end));
            knots[knot].t = v > header.tMax ? 0.0f : v;
        }
    }
    state.m_knotCount = static_cast<std::int32_t>(n > kLastKnot ? kLastKnot : n);

    // x values: the first number of every inner group, up to the '[' of the
    // next function.
    i += 3;
    {
        KnotMap map(n);
        int depth = 1;
        std::int64_t k = 0;
        for (;; ++i) {
            i = FindFirstOf3(r.s, i, r.len, '[', '{', '}');
            if (i >= r.len) return Fail(reason, SkipReason::Malformed);
            const char c = r.s[i];
            if (c == '[') break;
            if (c == '{') {
                if (++depth == 3) {
                    std::size_t end = i + 1;
                    const float v = NarrowToFloat(r.Number(i + 1, &end));
                    const int knot = map.Take(k++);
                    if (knot >= 0) knots[knot].x = v;
                    i = end - 1;
                }
            } else if (c == '}' && --depth == 0) {
                break;
            }
        }
    }

    // y values: pass the second function's first group (which must open right
    // after its '['), second group and parameter list.
    i += 2;
    if (!r.PassGroup(i) || !FindValueList(r, i)) return Fail(reason, SkipReason::Malformed);
    if (!ReadValueList(r, i, KnotMap(n), [knots](int k, float v) { knots[k].y = v; }))
        return Fail(reason, SkipReason::Malformed);

    // z values, in three dimensions only.
    if (header.dimension == 3.0f) {
        i += 2;
        if (!r.ToBrace(i)) return Fail(reason, SkipReason::Malformed);
        ++i;
        if (!r.PassGroup(i) || !FindValueList(r, i)) return Fail(reason, SkipReason::Malformed);
        if (!ReadValueList(r, i, KnotMap(n), [knots](int k, float v) { knots[k].z = v; }))
            return Fail(reason, SkipReason::Malformed);
    }
    return true;
}

std::string PictureSizeRangeText(float width, float height) {
    char text[128];
    std::snprintf(text, sizeof text,
                  "picture size %g x %g is out of range: each side must be 1 to %d",
                  static_cast<double>(width), static_cast<double>(height), kMaxPictureSide);
    return text;
}

}  // namespace vortan
