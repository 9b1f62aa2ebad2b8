// Feeds arbitrary bytes to the reader of the newer record layout: the
// expression reader, the layout test and the structural parser, in 2-D and
// 3-D. Whatever the input, it must end with an account, never a crash, and
// the same account and knots whichever way number lists are read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "view/mathematica_expr.h"
#include "view/modern_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    static auto state = std::make_unique<vortan::VortanFrameState>();

    vortan::mexpr::Expression e;
    if (e.Parse(text) == vortan::mexpr::ParseStatus::Ok && e.NodeCount() == 0) std::abort();

    (void)vortan::IsModernRecord(text);
    // Number lists read in one pass and through the general grammar must
    // give the same record: the same account and the same knots.
    static auto general = std::make_unique<vortan::VortanFrameState>();
    for (float dimension : {2.0f, 3.0f}) {
        vortan::StreamlineHeader header;
        header.dimension = dimension;
        header.tMax = 10.0f;
        *general = *state;  // both readings start from the same store
        vortan::SkipReason reason = vortan::SkipReason::None;
        const bool parsed = vortan::ParseModernRecord(text, header, *state, &reason);
        if (parsed != (reason == vortan::SkipReason::None)) std::abort();
        if (state->m_knotCount < 0 || state->m_knotCount > 1000) std::abort();
        vortan::SkipReason generalReason = vortan::SkipReason::None;
        const bool generalParsed = vortan::ParseModernRecord(text, header, *general, &generalReason,
                                                             vortan::mexpr::ListReading::General);
        if (generalParsed != parsed || generalReason != reason ||
            general->m_knotCount != state->m_knotCount ||
            std::memcmp(general->m_knots.data(), state->m_knots.data(),
                        sizeof(vortan::Knot) * state->m_knots.size()) != 0) {
            std::abort();
        }
    }
    return 0;
}
