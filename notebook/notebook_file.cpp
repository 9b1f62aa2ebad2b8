#include "notebook/notebook_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace vortan::notebook {
namespace {

bool HasName(const FoundSolution& s, const std::string& name) {
    return std::any_of(s.functions.begin(), s.functions.end(),
                       [&](const FoundFunction& f) { return f.name == name; });
}

std::string Number(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

std::string Where(std::size_t k, const NotebookEntry& e) {
    return "solution " + std::to_string(k + 1) + " (line " + std::to_string(e.found.line) + ")";
}

}  // namespace

bool IsNotebookPath(const std::string& path) {
    std::string lower;
    for (char c : path) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lower.ends_with(".nb") || lower.ends_with(".m") || lower.ends_with(".wl");
}

bool ScanNotebookText(const std::string& text, std::vector<NotebookEntry>& out,
                      std::string& error) {
    out.clear();
    std::vector<FoundSolution> found;
    if (!ScanSolutions(text, found, error)) return false;
    out.reserve(found.size());
    for (FoundSolution& s : found) {
        NotebookEntry& e = out.emplace_back();
        e.found = std::move(s);
        e.reason = ReadSolution(text, e.found, e.functions);
        if (e.reason != SkipReason::None) e.functions.clear();
    }
    return true;
}

bool LoadNotebook(const std::string& path, std::string& text, std::vector<NotebookEntry>& out,
                  std::string& error) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    if (!file) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    text.clear();
    char block[1 << 16];
    for (;;) {
        const std::size_t got = std::fread(block, 1, sizeof block, file.get());
        if (got == 0) break;
        if (text.size() + got > kMaxNotebookSize) {
            error = "cannot read " + path + ": larger than 1 GiB";
            return false;
        }
        text.append(block, got);
    }
    if (std::ferror(file.get())) {
        error = "cannot read " + path + ": read error";
        return false;
    }
    if (!ScanNotebookText(text, out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

std::string FormatListing(const std::vector<NotebookEntry>& entries) {
    std::string out;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const NotebookEntry& e = entries[k];
        out += std::to_string(k + 1) + "  line " + std::to_string(e.found.line) + "  " +
               NameList(e.found);
        if (e.reason == SkipReason::None) {
            const CoordinateFunction& f = e.functions.front();
            out += "  t from " + Number(f.domainStart) + " to " + Number(f.domainEnd) + "  " +
                   std::to_string(f.grid.size()) + " points  readable";
        } else {
            out += "  cannot be read: " + std::string(SkipReasonText(e.reason));
        }
        out += '\n';
    }
    if (entries.empty()) out = "no solutions (no InterpolatingFunction written out in full)\n";
    return out;
}

bool ChooseStreamlines(const std::vector<NotebookEntry>& entries, const NotebookChoice& choice,
                       std::vector<std::vector<SolutionPoint>>& out,
                       std::vector<std::string>& usedCoords, std::vector<std::string>& warnings,
                       std::string& error) {
    out.clear();
    std::vector<std::size_t> chosen;
    if (choice.solution > 0) {
        const auto k = static_cast<std::size_t>(choice.solution - 1);
        if (k >= entries.size()) {
            error = "no solution " + std::to_string(choice.solution) + " (the file holds " +
                    std::to_string(entries.size()) + ")";
            return false;
        }
        if (entries[k].reason != SkipReason::None) {
            error = Where(k, entries[k]) + " cannot be read: " + SkipReasonText(entries[k].reason);
            return false;
        }
        chosen.push_back(k);
    } else {
        for (std::size_t k = 0; k < entries.size(); ++k) {
            if (entries[k].reason == SkipReason::None) {
                chosen.push_back(k);
            } else {
                warnings.push_back(Where(k, entries[k]) +
                                   " left out: " + SkipReasonText(entries[k].reason));
            }
        }
    }
    if (chosen.empty()) {
        error = entries.empty() ? "no solutions found" : "no solution can be read";
        return false;
    }
    usedCoords = choice.coords;
    if (usedCoords.empty()) {
        auto all = [&](const char* name) {
            return std::all_of(chosen.begin(), chosen.end(),
                               [&](std::size_t k) { return HasName(entries[k].found, name); });
        };
        if (all("x") && all("y")) {
            usedCoords = {"x", "y"};
            if (all("z")) usedCoords.push_back("z");
        } else {
            const FoundSolution& first = entries[chosen[0]].found;
            for (std::size_t c = 0; c < first.functions.size() && c < 3; ++c) {
                usedCoords.push_back(first.functions[c].name);
            }
            if (usedCoords.size() < 2) {
                error = Where(chosen[0], entries[chosen[0]]) +
                        " has a single function; a streamline needs two or three";
                return false;
            }
        }
    }
    for (std::size_t k : chosen) {
        std::vector<SolutionPoint> points;
        std::string why;
        if (!SolutionPoints(entries[k].found, entries[k].functions, usedCoords, points, why)) {
            if (choice.solution > 0) {
                error = Where(k, entries[k]) + ": " + why;
                return false;
            }
            warnings.push_back(Where(k, entries[k]) + " left out: " + why);
            continue;
        }
        out.push_back(std::move(points));
    }
    if (out.empty()) {
        error = "no solution has functions named " + usedCoords[0] + ", " + usedCoords[1];
        return false;
    }
    return true;
}

}  // namespace vortan::notebook
