// Helpers shared by the field reader tests: fixture paths, file bytes, the
// double gyre every fixture holds, and temporary files.
#pragma once

#include <string>

#include "field/vector_field.h"

namespace vortan::field::test {

std::string Fixture(const std::string& name);
std::string ReadBytes(const std::string& path);

// The double gyre: u = -sin(pi x) cos(pi y), v = cos(pi x) sin(pi y).
double GyreU(double x, double y);
double GyreV(double x, double y);

// The number of nodes whose u, v differ from scale times the gyre by more than
// tolerance (masked nodes count as different); -1 when u or v is not one
// value per node.
int GyreMismatches(const VectorField& f, double tolerance, double scale = 1.0);

// A file below the build tree holding bytes; removed by the destructor.
class TempFile {
  public:
    explicit TempFile(const std::string& bytes, const std::string& suffix = "");
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return m_path; }

  private:
    std::string m_path;
};

}  // namespace vortan::field::test
