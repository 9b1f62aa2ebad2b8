#include "trace/trace_cache.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace vortan::trace {

namespace fs = std::filesystem;

namespace {

// Changes whenever tracing with the default options would give other
// streamlines, so that files traced by an older build are not served.
constexpr const char* kCacheVersion = "trace-1";

std::uint64_t Fnv1a(const std::string& text, std::uint64_t hash = 14695981039346656037ull) {
    for (const unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string Hex(std::uint64_t v) {
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(v));
    return buf;
}

}  // namespace

std::string TraceCacheFolder() {
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    // The XDG rules ignore a relative XDG_CACHE_HOME.
    if (xdg && xdg[0] == '/') return std::string(xdg) + "/vortan";
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0') return std::string(home) + "/.cache/vortan";
    return {};
}

CacheLookup CachedStreamlineFile(const std::string& fieldPath, const FieldTracer& tracer,
                                 const std::string& folder) {
    CacheLookup result;
    std::error_code ec;
    // One entry per file, however its path is spelled.
    const fs::path field = fs::weakly_canonical(fs::absolute(fieldPath, ec), ec);
    if (ec) {
        result.error = fieldPath + ": " + ec.message();
        return result;
    }
    const auto size = fs::file_size(field, ec);
    if (ec) {
        result.error = fieldPath + ": " + ec.message();
        return result;
    }
    const auto modified = fs::last_write_time(field, ec);
    if (ec) {
        result.error = fieldPath + ": " + ec.message();
        return result;
    }
    const std::string dir = folder.empty() ? TraceCacheFolder() : folder;
    if (dir.empty()) {
        result.error = fieldPath +
                       ": no cache folder for the traced streamlines (neither XDG_CACHE_HOME nor "
                       "HOME is set)";
        return result;
    }
    fs::create_directories(dir, ec);
    if (ec) {
        result.error = "cannot create the cache folder " + dir + ": " + ec.message();
        return result;
    }

    // <path key>-<state key>.math: one entry per path, replaced when the
    // file's size or modification time changes.
    const std::string pathKey = Hex(Fnv1a(field.string()));
    const std::string state = std::string(kCacheVersion) + "|" + std::to_string(size) + "|" +
                              std::to_string(modified.time_since_epoch().count());
    const std::string name = pathKey + "-" + Hex(Fnv1a(state, Fnv1a(field.string()))) + ".math";
    result.path = (fs::path(dir) / name).string();

    if (fs::is_regular_file(result.path, ec)) {
        result.ok = true;
        return result;
    }
    std::string error;
    if (!tracer(fieldPath, result.path, error)) {
        result.error = error;
        return result;
    }
    result.traced = true;
    result.ok = true;
    // Entries for the file as it was before are of no more use.
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string other = it->path().filename().string();
        if (other != name && other.rfind(pathKey + "-", 0) == 0) {
            std::error_code ignored;
            fs::remove(it->path(), ignored);
        }
    }
    return result;
}

}  // namespace vortan::trace
