#include "tools/cli_support.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <system_error>

namespace vortan::cli {

void Prepare(CLI::App& app) {
    app.set_version_flag("--version", app.get_name() + " " + VORTAN_VERSION,
                         "print the version and exit");
    app.set_help_flag("-h,--help", "print this help and exit");
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    app.get_formatter()->column_width(26);
}

int Parse(CLI::App& app, int argc, const char* const* argv) {
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    } catch (const CLI::CallForVersion& version) {
        std::printf("%s\n", version.what());
        return 0;
    } catch (const CLI::ArgumentMismatch& error) {
        // Name an option that takes one value and was given twice in plain words.
        for (const CLI::Option* option : app.get_options()) {
            if (option->get_expected_max() == 1 && option->count() > 1) {
                return UsageError(app, option->get_name() + " given more than once");
            }
        }
        return UsageError(app, error.what());
    } catch (const CLI::ParseError& error) {
        // An argument no option takes is named first, before what is missing.
        if (!app.remaining().empty()) {
            return UsageError(app, CLI::ExtrasError(app.remaining()).what());
        }
        return UsageError(app, error.what());
    }
    return -1;
}

int UsageError(const CLI::App& app, const std::string& message) {
    const std::string& name = app.get_name();
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", name.c_str(), message.c_str(), name.c_str());
    return kExitUsage;
}

bool ParseWholeNumber(const std::string& text, unsigned long long min, unsigned long long max,
                      unsigned long long& value) {
    if (text.empty() || text.size() > 20) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    unsigned long long v = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), v);
    if (res.ec != std::errc() || v < min || v > max) return false;
    value = v;
    return true;
}

bool ParsePictureSize(const std::string& text, int maxSide, int& width, int& height) {
    const auto x = text.find_first_of("xX");
    const auto max = static_cast<unsigned long long>(maxSide);
    unsigned long long w = 0, h = 0;
    if (x == std::string::npos || !ParseWholeNumber(text.substr(0, x), 1, max, w) ||
        !ParseWholeNumber(text.substr(x + 1), 1, max, h)) {
        return false;
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

bool ParseDecimal(const std::string& text, double& value) {
    std::string_view s = text;
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
        if (!s.empty() && s.front() == '-') return false;
    }
    double v = 0.0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || res.ec != std::errc() || res.ptr != s.data() + s.size() || !std::isfinite(v)) {
        return false;
    }
    value = v;
    return true;
}

}  // namespace vortan::cli
