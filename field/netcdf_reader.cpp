#include "field/netcdf_reader.h"

#include <netcdf.h>
#include <netcdf_mem.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "field/field_grid.h"
#include "field/isolated_read.h"
#include "field/netcdf_classic_header.h"

namespace vortan::field {
namespace {

struct Variable {
    int id = 0;
    std::string name;
    nc_type type = NC_NAT;
    std::vector<int> dims;
};

struct Dimension {
    std::string name;
    std::size_t length = 0;
    bool unlimited = false;
};

enum class Role { kNone, kX, kY, kZ, kTime };

bool Numeric(nc_type t) {
    return t == NC_BYTE || t == NC_SHORT || t == NC_INT || t == NC_FLOAT || t == NC_DOUBLE ||
           t == NC_UBYTE || t == NC_USHORT || t == NC_UINT || t == NC_INT64 || t == NC_UINT64;
}

bool EndsWith(std::string_view s, std::string_view end) {
    return s.size() >= end.size() && s.substr(s.size() - end.size()) == end;
}

// Which velocity component a CF standard_name names: 0 (x, eastward),
// 1 (y, northward), 2 (upward), or -1.
int ComponentOfStandardName(std::string_view name) {
    if (name.rfind("tendency_", 0) == 0 || name.rfind("magnitude_", 0) == 0 ||
        name.find("derivative") != std::string_view::npos)
        return -1;
    const bool flow = EndsWith(name, "velocity") || EndsWith(name, "wind");
    static const std::array<std::array<const char*, 3>, 3> kWords = {{
        {"eastward_", "x_velocity", "x_wind"},
        {"northward_", "y_velocity", "y_wind"},
        {"upward_", "z_velocity", "z_wind"},
    }};
    for (int c = 0; c < 3; ++c) {
        const auto& w = kWords[static_cast<std::size_t>(c)];
        if (flow && name.find(w[0]) != std::string_view::npos) return c;
        if (EndsWith(name, w[1]) || name.find(std::string(w[1]) + "_") != std::string_view::npos)
            return c;
        if (name == w[2] || EndsWith(name, std::string("_") + w[2])) return c;
    }
    return -1;
}

// The partner name: eastward becomes northward or upward, x becomes y or z.
std::string PartnerName(const std::string& name, int component) {
    static const std::array<std::array<const char*, 3>, 2> kPairs = {{
        {"eastward_", "northward_", "upward_"},
        {"x_", "y_", "z_"},
    }};
    for (const auto& p : kPairs) {
        const std::size_t at = name.find(p[0]);
        if (at != std::string::npos) {
            std::string out = name;
            out.replace(at, std::string_view(p[0]).size(), p[static_cast<std::size_t>(component)]);
            return out;
        }
    }
    return "";
}

const std::array<std::array<const char*, 3>, 18> kCommonNames = {{
    {"u", "v", "w"},
    {"U", "V", "W"},
    {"uo", "vo", "wo"},
    {"ua", "va", "wa"},
    {"uas", "vas", ""},
    {"u10", "v10", ""},
    {"uwnd", "vwnd", ""},
    {"water_u", "water_v", "water_w"},
    {"ucur", "vcur", "wcur"},
    {"UVEL", "VVEL", "WVEL"},
    {"uvel", "vvel", "wvel"},
    {"vx", "vy", "vz"},
    {"Vx", "Vy", "Vz"},
    {"velocity_x", "velocity_y", "velocity_z"},
    {"x_velocity", "y_velocity", "z_velocity"},
    {"u_velocity", "v_velocity", "w_velocity"},
    {"ugos", "vgos", ""},
    {"UGRD", "VGRD", ""},
}};

// Bounds on the subgroups named when the components are not found.
constexpr int kMaxGroupDepth = 8;
constexpr int kMaxGroupVariablesListed = 40;

class NetCdfReader {
  public:
    NetCdfReader(int ncid, const std::string& file) : m_nc(ncid), m_file(file) {}

    FieldResult Read(const ReadOptions& options) {
        if (!Inventory()) return FieldError(m_error);
        std::array<const Variable*, 3> comps{};
        if (!ChooseComponents(options, &comps)) return FieldError(m_error);
        const int dimension = comps[2] != nullptr ? 3 : 2;
        std::array<int, 3> axisDim = {-1, -1, -1};  // position in the variable's dims
        if (!ChooseAxes(*comps[0], dimension, &axisDim)) return FieldError(m_error);

        const Variable& u = *comps[0];
        std::vector<std::size_t> start(u.dims.size(), 0), count(u.dims.size(), 1);
        for (std::size_t d = 0; d < u.dims.size(); ++d) {
            const Dimension& dim = m_dims[static_cast<std::size_t>(u.dims[d])];
            const bool axis =
                std::find(axisDim.begin(), axisDim.end(), static_cast<int>(d)) != axisDim.end();
            if (axis) {
                count[d] = dim.length;
                continue;
            }
            const bool time = RoleOf(u.dims[d]) == Role::kTime;
            const std::size_t index = time ? options.time : options.level;
            if (index >= dim.length)
                return FieldError(m_file + ": " + (time ? "time" : "level") + " index " +
                                  std::to_string(index) + " is out of range; dimension '" +
                                  dim.name + "' has " + std::to_string(dim.length) +
                                  (dim.length == 1 ? " entry" : " entries"));
            start[d] = index;
        }

        RawGrid grid;
        std::array<std::size_t, 3> n = {1, 1, 1};
        for (std::size_t a = 0; a < 3; ++a) {
            if (axisDim[a] >= 0) n[a] = count[static_cast<std::size_t>(axisDim[a])];
        }
        std::size_t nodes = 0;
        if (!CheckNodeCount(n[0], n[1], n[2], m_file, &nodes, &m_error)) return FieldError(m_error);
        for (std::size_t a = 0; a < 3; ++a) {
            if (axisDim[a] < 0) {
                grid.axis[a] = {0.0};
            } else if (!ReadAxis(u, u.dims[static_cast<std::size_t>(axisDim[a])], &grid.axis[a])) {
                return FieldError(m_error);
            }
        }

        // Strides of the axes in the slab as the file stores it (last fastest).
        std::vector<std::size_t> stride(u.dims.size(), 1);
        for (std::size_t d = u.dims.size(); d-- > 1;) stride[d - 1] = stride[d] * count[d];
        std::string names;
        for (int c = 0; c < dimension; ++c) {
            const Variable& var = *comps[static_cast<std::size_t>(c)];
            std::vector<double> slab(nodes);
            const int status =
                nc_get_vara_double(m_nc, var.id, start.data(), count.data(), slab.data());
            if (status != NC_NOERR)
                return FieldError(m_file + ": variable '" + var.name + "' cannot be read (" +
                                  nc_strerror(status) + ")");
            Unpack(var, &slab);
            auto& out = grid.comp[static_cast<std::size_t>(c)];
            out.resize(nodes);
            std::array<std::size_t, 3> s = {0, 0, 0};
            for (std::size_t a = 0; a < 3; ++a) {
                if (axisDim[a] >= 0) s[a] = stride[static_cast<std::size_t>(axisDim[a])];
            }
            std::size_t node = 0;
            for (std::size_t k = 0; k < n[2]; ++k)
                for (std::size_t j = 0; j < n[1]; ++j)
                    for (std::size_t i = 0; i < n[0]; ++i)
                        out[node++] = slab[i * s[0] + j * s[1] + k * s[2]];
            names += (c == 0 ? "" : ", ") + var.name;
        }
        return BuildField(std::move(grid), m_file, names + " of " + BaseName(m_file));
    }

  private:
    bool Fail(const std::string& message) {
        if (m_error.empty()) m_error = m_file + ": " + message;
        return false;
    }

    bool Inventory() {
        int ndims = 0, nvars = 0;
        if (nc_inq_ndims(m_nc, &ndims) != NC_NOERR || nc_inq_nvars(m_nc, &nvars) != NC_NOERR)
            return Fail("the NetCDF header cannot be read");
        int unlimited[NC_MAX_DIMS];
        int nunlimited = 0;
        if (nc_inq_unlimdims(m_nc, &nunlimited, nullptr) != NC_NOERR || nunlimited < 0 ||
            nunlimited > NC_MAX_DIMS || nc_inq_unlimdims(m_nc, &nunlimited, unlimited) != NC_NOERR)
            nunlimited = 0;
        // Dimension ids of the root group run from 0 in every format.
        for (int d = 0; d < ndims; ++d) {
            char name[NC_MAX_NAME + 1] = {};
            std::size_t length = 0;
            if (nc_inq_dim(m_nc, d, name, &length) != NC_NOERR)
                return Fail("dimension " + std::to_string(d) + " cannot be read");
            m_dims.push_back(
                {name, length,
                 std::find(unlimited, unlimited + nunlimited, d) != unlimited + nunlimited});
        }
        for (int v = 0; v < nvars; ++v) {
            Variable var;
            var.id = v;
            char name[NC_MAX_NAME + 1] = {};
            int nd = 0;
            if (nc_inq_var(m_nc, v, name, &var.type, &nd, nullptr, nullptr) != NC_NOERR || nd < 0 ||
                nd > NC_MAX_VAR_DIMS)
                return Fail("variable " + std::to_string(v) + " cannot be read");
            var.name = name;
            var.dims.resize(static_cast<std::size_t>(nd));
            if (nd > 0 && nc_inq_vardimid(m_nc, v, var.dims.data()) != NC_NOERR)
                return Fail("variable '" + var.name + "' cannot be read");
            for (int d : var.dims) {
                if (d < 0 || d >= ndims) return Fail("variable '" + var.name + "' is corrupt");
            }
            m_vars.push_back(std::move(var));
        }
        return true;
    }

    std::string Described(const Variable& v) const {
        std::string s = v.name + "(";
        for (std::size_t d = 0; d < v.dims.size(); ++d)
            s += (d ? ", " : "") + m_dims[static_cast<std::size_t>(v.dims[d])].name;
        return s + ")";
    }

    std::string VariablesPresent() const {
        std::string s;
        for (const auto& v : m_vars) s += (s.empty() ? "" : ", ") + Described(v);
        if (s.empty()) s = "none";
        std::string grouped;
        int listed = 0;
        ListGroupVariables(m_nc, 0, &grouped, &listed);
        if (listed > kMaxGroupVariablesListed)
            grouped += " and " + std::to_string(listed - kMaxGroupVariablesListed) + " more";
        if (!grouped.empty()) s += "; in subgroups, which are not searched: " + grouped;
        return s;
    }

    // Adds "/group/name(dims)" for each variable of group's subgroups (to a
    // depth and a count that bound the message), counting all in listed.
    void ListGroupVariables(int group, int depth, std::string* out, int* listed) const {
        int count = 0;
        if (depth >= kMaxGroupDepth || nc_inq_grps(group, &count, nullptr) != NC_NOERR ||
            count <= 0 || count > 4096)
            return;
        std::vector<int> groups(static_cast<std::size_t>(count));
        if (nc_inq_grps(group, &count, groups.data()) != NC_NOERR) return;
        for (int g : groups) {
            std::size_t length = 0;
            std::string path;
            if (nc_inq_grpname_full(g, &length, nullptr) == NC_NOERR && length < 4096) {
                path.resize(length);
                if (nc_inq_grpname_full(g, &length, path.data()) != NC_NOERR) path.clear();
            }
            int nvars = 0;
            if (nc_inq_varids(g, &nvars, nullptr) == NC_NOERR && nvars > 0 && nvars <= 65536) {
                std::vector<int> ids(static_cast<std::size_t>(nvars));
                if (nc_inq_varids(g, &nvars, ids.data()) != NC_NOERR) nvars = 0;
                for (int i = 0; i < nvars; ++i) {
                    if (++*listed > kMaxGroupVariablesListed) continue;
                    *out += (out->empty() ? "" : ", ") + path + "/" +
                            GroupVariable(g, ids[static_cast<std::size_t>(i)]);
                }
            }
            ListGroupVariables(g, depth + 1, out, listed);
        }
    }

    // "name(dim, ...)" of a variable in any group.
    static std::string GroupVariable(int group, int id) {
        char name[NC_MAX_NAME + 1] = {};
        int nd = 0;
        if (nc_inq_var(group, id, name, nullptr, &nd, nullptr, nullptr) != NC_NOERR || nd < 0 ||
            nd > NC_MAX_VAR_DIMS)
            return "?";
        std::vector<int> dims(static_cast<std::size_t>(nd));
        if (nd > 0 && nc_inq_vardimid(group, id, dims.data()) != NC_NOERR) return name;
        std::string s = std::string(name) + "(";
        for (std::size_t d = 0; d < dims.size(); ++d) {
            char dim[NC_MAX_NAME + 1] = {};
            if (nc_inq_dimname(group, dims[d], dim) != NC_NOERR) std::strcpy(dim, "?");
            s += (d ? ", " : "") + std::string(dim);
        }
        return s + ")";
    }

    const Variable* Find(const std::string& name) const {
        for (const auto& v : m_vars) {
            if (v.name == name) return &v;
        }
        return nullptr;
    }

    std::optional<std::string> TextAttribute(int varid, const char* name) const {
        nc_type type = NC_NAT;
        std::size_t length = 0;
        if (nc_inq_att(m_nc, varid, name, &type, &length) != NC_NOERR || type != NC_CHAR ||
            length > 4096)
            return std::nullopt;
        std::string text(length, '\0');
        if (length > 0 && nc_get_att_text(m_nc, varid, name, text.data()) != NC_NOERR)
            return std::nullopt;
        while (!text.empty() && text.back() == '\0') text.pop_back();
        return text;
    }

    std::vector<double> NumberAttribute(int varid, const char* name) const {
        nc_type type = NC_NAT;
        std::size_t length = 0;
        if (nc_inq_att(m_nc, varid, name, &type, &length) != NC_NOERR || !Numeric(type) ||
            length == 0 || length > 64)
            return {};
        std::vector<double> values(length);
        if (nc_get_att_double(m_nc, varid, name, values.data()) != NC_NOERR) return {};
        return values;
    }

    bool SameGrid(const Variable& a, const Variable& b) const { return a.dims == b.dims; }

    bool ChooseComponents(const ReadOptions& options, std::array<const Variable*, 3>* comps) {
        if (!options.u.empty() || !options.v.empty() || !options.w.empty()) {
            if (options.u.empty() || options.v.empty())
                return Fail("give both u and v components by name, or neither");
            const std::array<const std::string*, 3> wanted = {&options.u, &options.v, &options.w};
            for (std::size_t c = 0; c < 3; ++c) {
                if (wanted[c]->empty()) continue;
                (*comps)[c] = Find(*wanted[c]);
                if ((*comps)[c] == nullptr)
                    return Fail("no variable named '" + *wanted[c] +
                                "'; variables present: " + VariablesPresent());
            }
        } else if (!ByStandardName(comps) && !ByCommonName(comps)) {
            return Fail(
                "no velocity components (by standard_name or common names such as u, v); "
                "variables present: " +
                VariablesPresent());
        }
        for (std::size_t c = 0; c < 3; ++c) {
            const Variable* v = (*comps)[c];
            if (v == nullptr) continue;
            if (!Numeric(v->type)) return Fail("variable '" + v->name + "' does not hold numbers");
            if (!SameGrid(*v, *(*comps)[0]))
                return Fail("the components lie on different grids: " + Described(*(*comps)[0]) +
                            " and " + Described(*v));
        }
        return true;
    }

    bool ByStandardName(std::array<const Variable*, 3>* comps) const {
        std::array<std::vector<std::pair<const Variable*, std::string>>, 3> found;
        for (const auto& v : m_vars) {
            const auto name = TextAttribute(v.id, "standard_name");
            if (!name || !Numeric(v.type)) continue;
            const int c = ComponentOfStandardName(*name);
            if (c >= 0) found[static_cast<std::size_t>(c)].push_back({&v, *name});
        }
        for (const auto& candidate : found[0]) {
            const Variable* u = candidate.first;
            const std::string& uname = candidate.second;
            auto partner = [&](int c) -> const Variable* {
                const std::string want = PartnerName(uname, c);
                for (const auto& [v, vname] : found[static_cast<std::size_t>(c)]) {
                    if (vname == want && SameGrid(*u, *v)) return v;
                }
                for (const auto& [v, vname] : found[static_cast<std::size_t>(c)]) {
                    if (SameGrid(*u, *v)) return v;
                }
                return nullptr;
            };
            const Variable* v = partner(1);
            if (v == nullptr) continue;
            *comps = {u, v, partner(2)};
            return true;
        }
        return false;
    }

    bool ByCommonName(std::array<const Variable*, 3>* comps) const {
        for (const auto& names : kCommonNames) {
            const Variable* u = Find(names[0]);
            const Variable* v = Find(names[1]);
            if (u == nullptr || v == nullptr || !SameGrid(*u, *v)) continue;
            const Variable* w = *names[2] ? Find(names[2]) : nullptr;
            if (w != nullptr && !SameGrid(*u, *w)) w = nullptr;
            *comps = {u, v, w};
            return true;
        }
        return false;
    }

    const Variable* CoordinateVariable(int dim) const {
        for (const auto& v : m_vars) {
            if (v.name == m_dims[static_cast<std::size_t>(dim)].name && v.dims.size() == 1 &&
                v.dims[0] == dim && Numeric(v.type))
                return &v;
        }
        return nullptr;
    }

    Role RoleOf(int dim) const {
        const Dimension& d = m_dims[static_cast<std::size_t>(dim)];
        const Variable* c = CoordinateVariable(dim);
        if (c != nullptr) {
            const std::string axis = TextAttribute(c->id, "axis").value_or("");
            const std::string units = TextAttribute(c->id, "units").value_or("");
            const std::string standard = TextAttribute(c->id, "standard_name").value_or("");
            if (axis == "T" || axis == "t" || units.find(" since ") != std::string::npos ||
                standard == "time")
                return Role::kTime;
            if (axis == "X" || axis == "x" || standard == "longitude" ||
                standard == "projection_x_coordinate" || units.rfind("degrees_east", 0) == 0 ||
                units == "degree_east" || units == "degree_E" || units == "degrees_E")
                return Role::kX;
            if (axis == "Y" || axis == "y" || standard == "latitude" ||
                standard == "projection_y_coordinate" || units.rfind("degrees_north", 0) == 0 ||
                units == "degree_north" || units == "degree_N" || units == "degrees_N")
                return Role::kY;
            if (axis == "Z" || axis == "z" || TextAttribute(c->id, "positive").has_value())
                return Role::kZ;
        }
        if (d.name == "time" || d.name == "Time" || d.name == "t") return Role::kTime;
        if (d.unlimited) return Role::kTime;
        return Role::kNone;
    }

    // Picks the variable's dimensions that become x, y (and z): by their
    // coordinate variables' attributes where they say, else the last ones.
    bool ChooseAxes(const Variable& u, int dimension, std::array<int, 3>* axisDim) {
        std::vector<int> spatial;  // positions in u.dims
        std::array<int, 4> byRole = {-1, -1, -1, -1};
        for (std::size_t d = 0; d < u.dims.size(); ++d) {
            const Role role = RoleOf(u.dims[d]);
            if (role == Role::kTime) continue;
            spatial.push_back(static_cast<int>(d));
            if (role != Role::kNone && byRole[static_cast<std::size_t>(role) - 1] < 0)
                byRole[static_cast<std::size_t>(role) - 1] = static_cast<int>(d);
        }
        if (spatial.size() < 2) {
            const bool mesh = TextAttribute(u.id, "mesh").has_value() ||
                              TextAttribute(u.id, "location").has_value();
            return Fail("'" + Described(u) + "' has " +
                        (spatial.empty() ? std::string("no") : std::string("one")) +
                        " spatial dimension" +
                        (mesh ? "; an unstructured mesh cannot be traced"
                              : "; a 1-D array cannot be traced"));
        }
        if (static_cast<int>(spatial.size()) < dimension)
            return Fail("'" + Described(u) + "' has two spatial dimensions but w is given");
        for (std::size_t a = 0; a < static_cast<std::size_t>(dimension); ++a) {
            int pick = byRole[a];
            if (pick < 0 || std::find(axisDim->begin(), axisDim->end(), pick) != axisDim->end()) {
                pick = -1;
                // The last spatial dimension not yet taken and not claimed by
                // another axis.
                for (auto it = spatial.rbegin(); it != spatial.rend(); ++it) {
                    const bool taken =
                        std::find(axisDim->begin(), axisDim->end(), *it) != axisDim->end() ||
                        std::find(byRole.begin(), byRole.begin() + dimension, *it) !=
                            byRole.begin() + dimension;
                    if (!taken) {
                        pick = *it;
                        break;
                    }
                }
                if (pick < 0) return Fail("the axes of '" + Described(u) + "' are ambiguous");
            }
            (*axisDim)[a] = pick;
        }
        return CheckCurvilinear(u, *axisDim);
    }

    // Axes without coordinate variables but with 2-D coordinates named by the
    // variable are a curvilinear grid.
    bool CheckCurvilinear(const Variable& u, const std::array<int, 3>& axisDim) {
        const auto coordinates = TextAttribute(u.id, "coordinates");
        if (!coordinates) return true;
        bool missing = false;
        for (int d : axisDim) {
            if (d >= 0 && CoordinateVariable(u.dims[static_cast<std::size_t>(d)]) == nullptr)
                missing = true;
        }
        if (!missing) return true;
        std::string multi;
        std::size_t at = 0;
        while (at < coordinates->size()) {
            const std::size_t end = std::min(coordinates->find(' ', at), coordinates->size());
            const Variable* c = Find(coordinates->substr(at, end - at));
            if (c != nullptr && c->dims.size() >= 2)
                multi += (multi.empty() ? "" : ", ") + Described(*c);
            at = end + 1;
        }
        if (multi.empty()) return true;
        return Fail("a curvilinear grid cannot be traced: the coordinates " + multi +
                    " are 2-D; a grid with 1-D coordinate variables can be");
    }

    bool ReadAxis(const Variable& u, int dim, std::vector<double>* axis) {
        const std::size_t n = m_dims[static_cast<std::size_t>(dim)].length;
        axis->resize(n);
        const Variable* c = CoordinateVariable(dim);
        if (c == nullptr) {
            for (std::size_t i = 0; i < n; ++i) (*axis)[i] = static_cast<double>(i);
            return true;
        }
        const int status = nc_get_var_double(m_nc, c->id, axis->data());
        if (status != NC_NOERR)
            return Fail("coordinate variable '" + c->name + "' of '" + u.name +
                        "' cannot be read (" + nc_strerror(status) + ")");
        Unpack(*c, axis);
        for (double value : *axis) {
            if (!std::isfinite(value))
                return Fail("coordinate variable '" + c->name + "' has missing values");
        }
        return true;
    }

    // Masks fill and missing values and values outside the valid range as
    // NaN, and applies scale_factor and add_offset to the rest.
    void Unpack(const Variable& var, std::vector<double>* values) const {
        std::vector<double> masked = NumberAttribute(var.id, "_FillValue");
        if (masked.empty()) {
            int noFill = 0;
            if (nc_inq_var_fill(m_nc, var.id, &noFill, nullptr) == NC_NOERR && !noFill) {
                switch (var.type) {
                    case NC_SHORT:
                        masked.push_back(NC_FILL_SHORT);
                        break;
                    case NC_INT:
                        masked.push_back(NC_FILL_INT);
                        break;
                    case NC_FLOAT:
                        masked.push_back(static_cast<double>(NC_FILL_FLOAT));
                        break;
                    case NC_DOUBLE:
                        masked.push_back(NC_FILL_DOUBLE);
                        break;
                    case NC_USHORT:
                        masked.push_back(NC_FILL_USHORT);
                        break;
                    case NC_UINT:
                        masked.push_back(NC_FILL_UINT);
                        break;
                    default:
                        break;  // bytes have no default fill; 64-bit ones are rare
                }
            }
        }
        for (double m : NumberAttribute(var.id, "missing_value")) masked.push_back(m);
        // The valid range holds stored (packed) values: valid_range, else
        // valid_min and valid_max, each bound alone.
        double low = -HUGE_VAL, high = HUGE_VAL;
        if (const std::vector<double> range = NumberAttribute(var.id, "valid_range");
            range.size() >= 2) {
            low = range[0];
            high = range[1];
        } else {
            if (const auto min = NumberAttribute(var.id, "valid_min"); !min.empty()) low = min[0];
            if (const auto max = NumberAttribute(var.id, "valid_max"); !max.empty()) high = max[0];
        }
        const std::vector<double> scale = NumberAttribute(var.id, "scale_factor");
        const std::vector<double> offset = NumberAttribute(var.id, "add_offset");
        const double s = scale.empty() ? 1.0 : scale[0];
        const double o = offset.empty() ? 0.0 : offset[0];
        const bool isFloat = var.type == NC_FLOAT;
        for (double& value : *values) {
            bool hit = value < low || value > high;
            for (double m : masked) {
                if (hit) break;
                if (value == m || (isFloat && static_cast<float>(value) == static_cast<float>(m))) {
                    hit = true;
                    break;
                }
            }
            value = hit ? std::nan("") : value * s + o;
        }
    }

    int m_nc;
    std::string m_file;
    std::string m_error;
    std::vector<Dimension> m_dims;
    std::vector<Variable> m_vars;
};

struct Closer {
    int id;
    ~Closer() { nc_close(id); }
};

}  // namespace

FieldResult ReadNetCdfFile(const std::string& path, const ReadOptions& options) {
    // A classic header is checked here first: the library can take minutes
    // over garbage counts.
    std::string head(std::size_t{16} << 20, '\0');
    unsigned long long size = 0;
    {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (f == nullptr) return FieldError(path + ": cannot be opened");
        head.resize(std::fread(head.data(), 1, head.size(), f));
        struct stat st {};
        if (fstat(fileno(f), &st) == 0) size = static_cast<unsigned long long>(st.st_size);
        std::fclose(f);
    }
    std::string problem;
    if (!CheckClassicHeader(head, size, &problem))
        return FieldError(path + ": a damaged NetCDF header (" + problem + ")");
    head.clear();
    head.shrink_to_fit();
    // HDF5 crashes on some damaged NetCDF-4 files: the reading runs in a
    // child process.
    return ReadIsolated(path, "NetCDF", [&] {
        int ncid = -1;
        const int status = nc_open(path.c_str(), NC_NOWRITE, &ncid);
        if (status != NC_NOERR)
            return FieldError(path + ": cannot be read as NetCDF (" + nc_strerror(status) + ")");
        Closer closer{ncid};
        return NetCdfReader(ncid, path).Read(options);
    });
}

FieldResult ReadNetCdfMemory(std::string_view bytes, const std::string& name,
                             const ReadOptions& options) {
    std::string problem;
    if (!CheckClassicHeader(bytes, bytes.size(), &problem))
        return FieldError(name + ": a damaged NetCDF header (" + problem + ")");
    // The library takes a writable pointer; it gets a private copy.
    std::string copy(bytes);
    int ncid = -1;
    const int status = nc_open_mem(name.c_str(), NC_NOWRITE, copy.size(), copy.data(), &ncid);
    if (status != NC_NOERR)
        return FieldError(name + ": cannot be read as NetCDF (" + nc_strerror(status) + ")");
    Closer closer{ncid};
    return NetCdfReader(ncid, name).Read(options);
}

}  // namespace vortan::field
