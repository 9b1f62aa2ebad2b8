// Feeds arbitrary bytes to the notebook scanner and reads every solution it
// finds (CompressedData decoded). Whatever the input, the scan must end with
// spans inside the text and every solution with an account.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "notebook/compressed_decoder.h"
#include "notebook/notebook_scanner.h"
#include "notebook/solution_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool installed = [] {
        vortan::notebook::InstallCompressedDataDecoder();
        return true;
    }();
    (void)installed;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<vortan::notebook::FoundSolution> found;
    std::string error;
    if (!vortan::notebook::ScanSolutions(text, found, error)) return 0;
    for (const auto& s : found) {
        if (s.functions.empty() || s.line == 0) std::abort();
        for (const auto& f : s.functions) {
            if (f.begin >= f.end || f.end > size) std::abort();
        }
        std::vector<vortan::CoordinateFunction> functions;
        const vortan::SkipReason r = vortan::notebook::ReadSolution(text, s, functions);
        if (r == vortan::SkipReason::None) {
            for (const auto& f : functions) {
                if (f.grid.empty() || f.grid.size() != f.values.size()) std::abort();
            }
            std::vector<vortan::notebook::SolutionPoint> points;
            (void)vortan::notebook::SolutionPoints(s, functions, {"x", "y"}, points, error);
        }
    }
    return 0;
}
