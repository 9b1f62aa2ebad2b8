// The twelve-line settings file (.dat): reader and writer.
#pragma once

#include <string>

#include "app/settings_record.h"
#include "platform/message_sink.h"

namespace vortan {

// Writes the twelve lines to a temporary file beside path and renames it over
// path only when all was written and closed. Reports "Unable to create %s"
// (or a message of the same form when writing or closing fails) with caption
// "Error", type MB_OK | MB_ICONEXCLAMATION, and returns false; the previous
// file then survives.
bool WriteSettingsFile(const std::string& path, const SettingsRecord& record, IMessageSink& sink);

// Reads the twelve values in file-line order; a value that cannot be read
// stores nothing and stops the rest. "Unable to open %s" when the file cannot
// be opened (record unchanged, false).
bool ReadSettingsFile(const std::string& path, SettingsRecord& record, IMessageSink& sink);

// The file's text for a record (the twelve lines, LF line ends).
std::string FormatSettings(const SettingsRecord& record);
// Reads values from text into record, as ReadSettingsFile does from a file.
void ParseSettings(const std::string& text, SettingsRecord& record);

}  // namespace vortan
