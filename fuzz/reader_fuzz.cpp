// Feeds arbitrary bytes through the whole reading path: header, records and
// the record parser in two and three dimensions.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "view/streamline_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vortan;
    static auto state = std::make_unique<VortanFrameState>();
    StreamlineFile file;
    file.OpenText(std::string(reinterpret_cast<const char*>(data), size));
    StreamlineHeader header = ReadStreamlineHeader(file);
    std::string text;
    bool tooLong = false;
    while (ReadStreamlineRecord(file, text, &tooLong)) {
        for (float dimension : {2.0f, 3.0f}) {
            header.dimension = dimension;
            SkipReason reason = SkipReason::None;
            const bool parsed = ParseStreamlineRecord(text, header, *state, &reason);
            // A parsed record leaves its knot count inside the store.
            if (parsed && (state->m_knotCount < 0 || state->m_knotCount >= kKnotCapacity))
                __builtin_trap();
        }
    }
    // Every number form on the raw bytes as well.
    const char* chars = reinterpret_cast<const char*>(data);
    std::size_t end = 0;
    for (std::size_t pos = 0; pos < size && pos < 64; ++pos) {
        ReadNumber(chars, size, pos, &end);
        if (end < pos || end > size) __builtin_trap();
    }
    return 0;
}
