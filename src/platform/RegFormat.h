#pragma once

#include "platform/Exception.h"
#include "platform/RegHive.h"

#include <string>
#include <string_view>

// Regedit's export format: "Windows Registry Editor Version 5.00" (UTF-16LE with BOM, or
// UTF-8) and "REGEDIT4", with sections "[ROOT\path]", "[-ROOT\path]" deletions, values
// "name"= / @= as "text", dword:, hex:, hex(N): with "\" line continuations, "name"=-
// deletions, and ";" comment lines.
namespace vx::win {

class ERegParse : public Exception {
public:
    ERegParse(int line, const std::string& message) : Exception(message), FLine(line) {}
    int Line() const { return FLine; }

private:
    int FLine;
};

// Parses a hive file's bytes. Every section must lie below `rootPath` (for example
// "HKEY_LOCAL_MACHINE" or "HKEY_USERS\.DEFAULT"); the hive's root stands for that key.
// Throws ERegParse with the line number of the first fault.
TRegHive ParseRegFile(std::string_view bytes, std::string_view rootPath);

// The hive as file bytes in its own style.
std::string FormatRegFile(const TRegHive& hive, std::string_view rootPath);

// `key` and everything below it as an export: every key gets a section of its own.
std::string FormatRegExport(const TRegKey& key, std::string_view keyPath,
                            const TRegFileStyle& style = {});

} // namespace vx::win
