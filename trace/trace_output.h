// Writing a trace as a streamline file, through the one streamline writer.
#pragma once

#include <string>

#include "trace/tracer.h"

namespace vortan::trace {

// Writes result's header and streamlines to path (replacing a file there
// only once all is written). False with a sentence naming the file.
bool WriteTraceResult(const TraceResult& result, const std::string& path, std::string& error);

}  // namespace vortan::trace
