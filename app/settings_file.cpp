#include "app/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <system_error>

#include "platform/atomic_file.h"

namespace vortan {

namespace {

constexpr unsigned kFileErrorType = MB_OK | MB_ICONEXCLAMATION;
constexpr const char* kErrorCaption = "Error";

// Only the first twelve values matter, so the reader looks at no more than
// this much of a file; text beyond it is ignored like text after the values.
constexpr std::size_t kMaxSettingsText = 64 * 1024;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A formatted-read cursor over the settings text: each read starts where the
// previous one stopped. Once a read fails, every later read fails too, since a
// failed read consumes nothing the next one could use.
class SettingsScanner {
  public:
    explicit SettingsScanner(std::string_view text) : m_text(text) {}

    // "%f\n": white space, a decimal number (sign, digits, point, fraction,
    // exponent; no inf, nan or hex), then any white space. A value beyond the
    // float range saturates to +-FLT_MAX (so it is written back as a number);
    // one too small to represent becomes a zero of its sign.
    bool ReadFloat(float& out) {
        if (m_failed) return false;
        SkipSpace();
        std::size_t p = m_pos;
        const bool negative = ReadSign(p);
        const std::size_t mantissa = p;
        std::size_t intDigits = 0, fracDigits = 0;
        // Decimal exponent of the first significant digit, for telling an
        // overflow from an underflow without converting.
        long long leadExponent = 0;
        bool seenNonZero = false;
        long long zerosAfterPoint = 0;
        while (p < m_text.size() && IsDigit(m_text[p])) {
            if (m_text[p] != '0' || seenNonZero) {
                seenNonZero = true;
                if (leadExponent < kExponentCap) ++leadExponent;
            }
            ++p;
            ++intDigits;
        }
        if (p < m_text.size() && m_text[p] == '.') {
            ++p;
            while (p < m_text.size() && IsDigit(m_text[p])) {
                if (!seenNonZero) {
                    if (m_text[p] != '0') {
                        seenNonZero = true;
                        leadExponent = -zerosAfterPoint;
                    } else if (zerosAfterPoint < kExponentCap) {
                        ++zerosAfterPoint;
                    }
                }
                ++p;
                ++fracDigits;
            }
        }
        if (intDigits + fracDigits == 0) return Fail();
        long long exponent = 0;
        if (p < m_text.size() && (m_text[p] == 'e' || m_text[p] == 'E')) {
            std::size_t q = p + 1;
            bool expNegative = false;
            if (q < m_text.size() && (m_text[q] == '+' || m_text[q] == '-')) {
                expNegative = m_text[q] == '-';
                ++q;
            }
            if (q >= m_text.size() || !IsDigit(m_text[q])) {
                // "1e" or "1e+" is a prefix of a number but none itself: the
                // formatted read consumes it and fails.
                return Fail();
            }
            while (q < m_text.size() && IsDigit(m_text[q])) {
                if (exponent < kExponentCap) exponent = exponent * 10 + (m_text[q] - '0');
                ++q;
            }
            if (expNegative) exponent = -exponent;
            p = q;
        }
        float value = 0.0f;
        const char* first = m_text.data() + mantissa;
        const char* last = m_text.data() + p;
        const auto result = std::from_chars(first, last, value, std::chars_format::general);
        if (result.ec == std::errc::result_out_of_range) {
            // Significant digits at 10^(lead-1); with the exponent the value's
            // magnitude is about 10^(lead - 1 + exponent).
            const long long magnitude = leadExponent - 1 + exponent;
            value = magnitude >= 0 ? FLT_MAX : 0.0f;
        } else if (result.ec != std::errc() || result.ptr != last) {
            m_pos = p;
            return Fail();
        }
        out = negative ? -value : value;
        m_pos = p;
        SkipSpace();
        return true;
    }

    // "%d\n": white space, optional sign and decimal digits, then any white
    // space. A value beyond the 32-bit range is clamped to INT32_MIN/INT32_MAX.
    bool ReadInt(std::int32_t& out) {
        if (m_failed) return false;
        SkipSpace();
        std::size_t p = m_pos;
        const bool negative = ReadSign(p);
        if (p >= m_text.size() || !IsDigit(m_text[p])) return Fail();
        // Accumulate the magnitude, saturating just above the int32 range.
        constexpr std::int64_t kLimit = std::int64_t{INT32_MAX} + 1;
        std::int64_t magnitude = 0;
        while (p < m_text.size() && IsDigit(m_text[p])) {
            magnitude = magnitude * 10 + (m_text[p] - '0');
            if (magnitude > kLimit) magnitude = kLimit;
            ++p;
        }
        std::int64_t value = negative ? -magnitude : magnitude;
        if (value > INT32_MAX) value = INT32_MAX;
        if (value < INT32_MIN) value = INT32_MIN;
        out = static_cast<std::int32_t>(value);
        m_pos = p;
        SkipSpace();
        return true;
    }

  private:
    static constexpr long long kExponentCap = 1'000'000'000LL;

    // Steps p over an optional '+' or '-'; true for '-'.
    bool ReadSign(std::size_t& p) const {
        if (p >= m_text.size() || (m_text[p] != '+' && m_text[p] != '-')) return false;
        return m_text[p++] == '-';
    }
    void SkipSpace() {
        while (m_pos < m_text.size() && IsSpace(m_text[m_pos])) ++m_pos;
    }
    bool Fail() {
        m_failed = true;
        return false;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    bool m_failed = false;
};

void Report(IMessageSink& sink, const char* form, const std::string& path) {
    std::string text = form;
    const auto at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, path);
    sink.MessageBox(text, kErrorCaption, kFileErrorType);
}

void AppendFixed6(std::string& out, float value) {
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                 std::chars_format::fixed, 6);
    out.append(buffer, r.ptr);
    out.push_back('\n');
}

void AppendInt(std::string& out, std::int32_t value) {
    char buffer[16];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, r.ptr);
    out.push_back('\n');
}

}  // namespace

std::string FormatSettings(const SettingsRecord& r) {
    // Line order of the file (not the record's field order).
    std::string out;
    AppendFixed6(out, r.m_diskDiameter);
    AppendFixed6(out, r.m_timeDelay);
    AppendFixed6(out, r.m_colortableCount);
    AppendInt(out, r.m_animationOn);
    AppendInt(out, r.m_withOrientation);
    AppendInt(out, r.m_withoutOrientation);
    AppendInt(out, r.m_colors32);
    AppendInt(out, r.m_colors64);
    AppendFixed6(out, r.m_colortableShift);
    AppendInt(out, r.m_reserved);
    AppendInt(out, r.m_intensityDimming);
    AppendInt(out, r.m_diskScaleDimming);
    return out;
}

void ParseSettings(const std::string& text, SettingsRecord& r) {
    SettingsScanner in(text);
    // Each read stores only when it converted a value; after the first failure
    // the remaining fields keep their values.
    in.ReadFloat(r.m_diskDiameter) && in.ReadFloat(r.m_timeDelay) &&
        in.ReadFloat(r.m_colortableCount) && in.ReadInt(r.m_animationOn) &&
        in.ReadInt(r.m_withOrientation) && in.ReadInt(r.m_withoutOrientation) &&
        in.ReadInt(r.m_colors32) && in.ReadInt(r.m_colors64) && in.ReadFloat(r.m_colortableShift) &&
        in.ReadInt(r.m_reserved) && in.ReadInt(r.m_intensityDimming) &&
        in.ReadInt(r.m_diskScaleDimming);
}

bool ReadSettingsFile(const std::string& path, SettingsRecord& record, IMessageSink& sink) {
    // Non-blocking open so that a FIFO or device never hangs the reader; only
    // regular files are read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        Report(sink, "Unable to open %s", path);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        Report(sink, "Unable to open %s", path);
        return false;
    }
    std::string text(kMaxSettingsText, '\0');
    std::size_t got = 0;
    bool readError = false;
    while (got < text.size()) {
        const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            readError = true;
            break;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (readError) {
        Report(sink, "Unable to read %s", path);
        return false;
    }
    text.resize(got);
    ParseSettings(text, record);
    return true;
}

bool WriteSettingsFile(const std::string& path, const SettingsRecord& record, IMessageSink& sink) {
    AtomicFile file;
    if (file.Open(path) && file.Write(FormatSettings(record)) && file.Commit()) return true;
    // Data that did not reach the disk is a write failure; a file that could
    // not be made or put in place is one of creating it.
    const AtomicFile::Step step = file.FailedStep();
    const bool writing = step == AtomicFile::Step::kWrite || step == AtomicFile::Step::kClose;
    Report(sink, writing ? "Unable to write %s" : "Unable to create %s", path);
    return false;
}

}  // namespace vortan
