#include "decisions/KeyValueLines.h"

#include <algorithm>
#include <cctype>

namespace vx::decisions {

namespace {

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

// The line with that name, or null; lines without "=" have no name.
const std::string* FindLine(const TStrings& lines, std::string_view name) {
    for (const auto& line : lines) {
        const auto equals = line.find('=');
        if (equals != std::string::npos &&
            SameName(std::string_view(line).substr(0, equals), name)) {
            return &line;
        }
    }
    return nullptr;
}

} // namespace

bool HasKey(const TStrings& lines, std::string_view name) {
    return FindLine(lines, name) != nullptr;
}

std::string ValueOf(const TStrings& lines, std::string_view name) {
    const std::string* line = FindLine(lines, name);
    return line == nullptr ? std::string() : line->substr(line->find('=') + 1);
}

std::string LinesAsText(const TStrings& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

} // namespace vx::decisions
