// The command-line conventions every vortan tool shares, on top of CLI11:
// -h/--help and --version, a usage error printed in one form with exit
// status 2, and an option that takes one value refused when given twice.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace vortan::cli {

inline constexpr int kExitUsage = 2;

// Adds --version (printing "NAME VERSION") to app and makes every option
// added afterwards refuse a second occurrence. Call before adding options.
void Prepare(CLI::App& app);

// Parses the arguments. Returns -1 when the tool should go on; otherwise the
// exit status: 0 after --help or --version (printed on standard output), 2
// after a usage error (printed on standard error as UsageError prints it).
int Parse(CLI::App& app, int argc, const char* const* argv);

// Prints a usage error found after parsing, in the form every tool uses:
//   NAME: MESSAGE
//   Try 'NAME --help'.
// and returns 2.
int UsageError(const CLI::App& app, const std::string& message);

// A whole number in decimal digits only (no sign, blanks or base prefix)
// from min to max.
bool ParseWholeNumber(const std::string& text, unsigned long long min, unsigned long long max,
                      unsigned long long& value);

// A picture size "WxH" (or "WXH"), each side a whole number from 1 to maxSide.
bool ParsePictureSize(const std::string& text, int maxSide, int& width, int& height);

// A finite decimal number, as from_chars reads it with an optional leading
// '+' (no inf, nan or hexadecimal).
bool ParseDecimal(const std::string& text, double& value);

// A check for CLI11 options held as text: gives message when parse refuses
// the text. Numbers are parsed here rather than by CLI11, which would take
// "-1" as a huge unsigned value, "010" as octal and "nan" as a number.
template <class Parse>
CLI::Validator TextCheck(Parse parse, std::string message) {
    return CLI::Validator(
        [parse, message](std::string& text) { return parse(text) ? std::string() : message; }, "");
}

}  // namespace vortan::cli
