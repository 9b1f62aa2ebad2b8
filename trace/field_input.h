// Field files where streamline files are expected: a file recognised as a
// vector field by its content is traced with the default options into the
// cache (trace_cache.h), and the cached streamline file is read instead.
#pragma once

#include <string>
#include <vector>

namespace vortan::trace {

// Reads the field file at fieldPath and writes the streamline file traced
// from it with the default options at outPath; notes (such as "no
// streamlines") are added to notes when given. False with a sentence.
bool TraceFieldFile(const std::string& fieldPath, const std::string& outPath, std::string& error,
                    std::vector<std::string>* notes = nullptr);

struct StreamlineInput {
    bool ok = false;
    std::string path;     // the streamline file to read
    bool field = false;   // path was a field file, traced (now or before)
    bool traced = false;  // traced just now
    std::vector<std::string> notes;
    std::string error;
};

// path itself when it is not a field file; otherwise its cached streamline
// file in cacheFolder (the user's cache folder when empty).
StreamlineInput ResolveStreamlineInput(const std::string& path,
                                       const std::string& cacheFolder = {});

}  // namespace vortan::trace
