#include "tests/test_support.h"

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vortan::test {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    auto base = std::filesystem::temp_directory_path() / "vortan-tests";
    std::filesystem::create_directories(base);
    for (;;) {
        auto p = base / (std::to_string(::getpid()) + "-" + std::to_string(counter++));
        if (std::filesystem::create_directory(p)) {
            m_path = p.string();
            break;
        }
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

void WriteTextFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    if (!out) throw std::runtime_error("cannot write " + path);
    out << text;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string SourcePath(const std::string& relative) {
    return std::string(VORTAN_SOURCE_DIR) + "/" + relative;
}

}  // namespace vortan::test
