#include "trace/trace_output.h"

#include "view/streamline_writer.h"

namespace vortan::trace {

bool WriteTraceResult(const TraceResult& result, const std::string& path, std::string& error) {
    StreamlineWriter writer;
    if (!writer.Open(path, result.header)) {
        error = writer.Error();
        return false;
    }
    for (const auto& line : result.streamlines) {
        if (!writer.Write(line)) {
            error = writer.Error();
            writer.Abandon();
            return false;
        }
    }
    if (!writer.Commit()) {
        error = writer.Error();
        return false;
    }
    return true;
}

}  // namespace vortan::trace
