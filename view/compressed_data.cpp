#include "view/compressed_data.h"

#include <atomic>

namespace vortan {
namespace {

std::atomic<CompressedDataDecoder> g_decoder{nullptr};

}  // namespace

void InstallCompressedDataDecoder(CompressedDataDecoder decoder) {
    g_decoder.store(decoder, std::memory_order_release);
}

CompressedDataDecoder InstalledCompressedDataDecoder() {
    return g_decoder.load(std::memory_order_acquire);
}

CompressedStatus ExpandCompressedData(mexpr::Expression& e, std::size_t budget) {
    using mexpr::NodeKind;
    using Index = mexpr::Expression::Index;
    const CompressedDataDecoder decoder = InstalledCompressedDataDecoder();
    // Nodes are visited in store order; decoded nodes are appended to the
    // store and so are visited too, after the ones that were there.
    for (std::size_t k = 0; k < e.NodeCount(); ++k) {
        const auto i = static_cast<Index>(k);
        // A decoded CompressedData may itself be one: decode again in place
        // (every decoding uses up budget, so this ends).
        while (e.Kind(i) == NodeKind::Apply && e.Size(i) == 2 &&
               e.IsSymbol(e.Child(i, 0), "CompressedData") &&
               e.Kind(e.Child(i, 1)) == NodeKind::String) {
            if (!decoder) return CompressedStatus::NoDecoder;
            Index root = 0;
            const CompressedStatus s = decoder(e.Text(e.Child(i, 1)), e, root, budget);
            if (s != CompressedStatus::Ok) return s;
            e.Replace(i, root);
        }
    }
    return CompressedStatus::Ok;
}

bool IsUnknownTypeStatus(CompressedStatus status, unsigned char* type) {
    const int offset = static_cast<int>(status) - static_cast<int>(CompressedStatus::UnknownType);
    if (offset < 0 || offset > 0xFF) return false;
    if (type) *type = static_cast<unsigned char>(offset);
    return true;
}

SkipReason CompressedSkipReason(CompressedStatus status) {
    if (unsigned char type = 0; IsUnknownTypeStatus(status, &type)) {
        return UnknownCompressedTypeReason(type);
    }
    switch (status) {
        case CompressedStatus::Ok:
            return SkipReason::None;
        case CompressedStatus::NoDecoder:
            return SkipReason::CompressedData;
        case CompressedStatus::BadBase64:
            return SkipReason::BadBase64;
        case CompressedStatus::BadZlib:
            return SkipReason::BadZlib;
        case CompressedStatus::BadBody:
            return SkipReason::BadCompressedBody;
        case CompressedStatus::TooLarge:
            return SkipReason::CompressedTooLarge;
        case CompressedStatus::UnknownType:
            break;  // taken above
    }
    return SkipReason::Malformed;
}

}  // namespace vortan
