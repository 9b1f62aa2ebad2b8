#include "trace/field_input.h"

#include "field/field_file.h"
#include "trace/trace_cache.h"
#include "trace/trace_output.h"
#include "trace/tracer.h"

namespace vortan::trace {

bool TraceFieldFile(const std::string& fieldPath, const std::string& outPath, std::string& error,
                    std::vector<std::string>* notes) {
    const field::FieldResult read = field::ReadFieldFile(fieldPath, {});
    if (!read.ok) {
        error = read.error;
        return false;
    }
    const TraceResult traced = TraceField(read.field, {});
    if (!traced.ok) {
        error = traced.error;
        return false;
    }
    if (notes) notes->insert(notes->end(), traced.notes.begin(), traced.notes.end());
    return WriteTraceResult(traced, outPath, error);
}

StreamlineInput ResolveStreamlineInput(const std::string& path, const std::string& cacheFolder) {
    StreamlineInput input;
    if (field::DetectFieldFormat(path) == field::FieldFormat::kUnknown) {
        input.ok = true;
        input.path = path;
        return input;
    }
    input.field = true;
    const CacheLookup lookup = CachedStreamlineFile(
        path,
        [&input](const std::string& fieldPath, const std::string& outPath, std::string& error) {
            return TraceFieldFile(fieldPath, outPath, error, &input.notes);
        },
        cacheFolder);
    input.ok = lookup.ok;
    input.traced = lookup.traced;
    input.path = lookup.path;
    input.error = lookup.error;
    return input;
}

}  // namespace vortan::trace
