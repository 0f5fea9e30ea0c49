#include "decisions/KeyValueLines.h"

#include <algorithm>
#include <cctype>

namespace vx::decisions {

namespace {

bool SameName(std::string_view A, std::string_view B) {
    return A.size() == B.size() &&
           std::equal(A.begin(), A.end(), B.begin(), [](unsigned char X, unsigned char Y) {
               return std::tolower(X) == std::tolower(Y);
           });
}

// The line with that name, or null; lines without "=" have no name.
const std::string* FindLine(const TStrings& Lines, std::string_view Name) {
    for (const auto& Line : Lines) {
        const auto Equals = Line.find('=');
        if (Equals != std::string::npos &&
            SameName(std::string_view(Line).substr(0, Equals), Name)) {
            return &Line;
        }
    }
    return nullptr;
}

} // namespace

bool HasKey(const TStrings& Lines, std::string_view Name) {
    return FindLine(Lines, Name) != nullptr;
}

std::string ValueOf(const TStrings& Lines, std::string_view Name) {
    const std::string* Line = FindLine(Lines, Name);
    return Line == nullptr ? std::string() : Line->substr(Line->find('=') + 1);
}

std::string LinesAsText(const TStrings& Lines) {
    std::string Text;
    for (const auto& Line : Lines) {
        Text += Line;
        Text += "\r\n";
    }
    return Text;
}

} // namespace vx::decisions
