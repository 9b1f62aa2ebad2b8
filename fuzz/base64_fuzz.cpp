// Feeds arbitrary text to the base64 decoder under every set of options,
// into a buffer of exactly the promised bound (AddressSanitizer catches a
// write past it). Each tolerance only widens what is accepted: text that
// decodes under fewer options decodes to the same bytes under more. The
// input's own bytes also come back from their encoding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform/base64.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t bound = vortan::Base64DecodedBound(size);
    std::unique_ptr<unsigned char[]> out[4];
    vortan::Base64Result result[4];
    for (int k = 0; k < 4; ++k) {
        out[k] = std::make_unique<unsigned char[]>(bound);
        const vortan::Base64Options options{.paddedGroups = (k & 1) != 0,
                                            .continuations = (k & 2) != 0};
        result[k] = vortan::DecodeBase64(text, out[k].get(), options);
        if (result[k].size > bound) std::abort();
        if (!result[k] && result[k].position > size) std::abort();
    }
    for (int fewer = 0; fewer < 4; ++fewer) {
        for (int more = 0; more < 4; ++more) {
            if ((fewer & more) != fewer || !result[fewer]) continue;
            if (!result[more] || result[more].size != result[fewer].size ||
                std::memcmp(out[more].get(), out[fewer].get(), result[fewer].size) != 0) {
                std::abort();
            }
        }
    }
    // Any bytes come back from their encoding.
    const std::string encoded = vortan::EncodeBase64(data, size);
    std::string decoded;
    if (!vortan::DecodeBase64(encoded, decoded) ||
        decoded != std::string_view(reinterpret_cast<const char*>(data), size)) {
        std::abort();
    }
    return 0;
}
