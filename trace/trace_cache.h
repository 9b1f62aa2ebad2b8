// The cache of traced field files: a field file opened where a streamline
// file is expected is traced once into a streamline file kept in the user's
// cache folder ($XDG_CACHE_HOME/vortan, else ~/.cache/vortan), named after
// the field file's path, size and modification time, and read from there
// until the field file changes.
#pragma once

#include <functional>
#include <string>

namespace vortan::trace {

// The cache folder from the environment; empty when neither XDG_CACHE_HOME
// (absolute) nor HOME is set.
std::string TraceCacheFolder();

// Writes the streamline file traced from fieldPath at outPath; false with a
// sentence in error.
using FieldTracer = std::function<bool(const std::string& fieldPath, const std::string& outPath,
                                       std::string& error)>;

struct CacheLookup {
    bool ok = false;
    bool traced = false;  // true: tracer ran (a miss); false: the cached file served
    std::string path;     // the streamline file to read
    std::string error;    // a sentence naming the file, when !ok
};

// The streamline file for fieldPath in folder (TraceCacheFolder() when
// empty), tracing it with tracer when there is none for the file as it is
// now. Older entries for the same path are removed once a new one exists.
CacheLookup CachedStreamlineFile(const std::string& fieldPath, const FieldTracer& tracer,
                                 const std::string& folder = {});

}  // namespace vortan::trace
