#include "PathsReport.h"

namespace vx::vxpaths {

void PrintPlaceholders(const config::TPlaceholderList& list, std::ostream& out) {
    for (const auto& [name, value] : list.Lines()) {
        out << name << '=' << value << '\n';
    }
}

void PrintIndex(const config::TPlaceholderIndex& index, std::ostream& out) {
    out << "[index]\n";
    for (const auto& [name, values] : index.Entries()) {
        out << name << '\n';
        for (const std::string& value : values) {
            out << "  " << value << '\n';
        }
    }
}

bool PrintSet(const config::TPlaceholderIndex& index, const std::string& name, std::ostream& out) {
    const config::TPlaceholderSet* values = index.Find(name);
    if (values == nullptr) {
        return false;
    }
    for (const std::string& value : *values) {
        out << value << '\n';
    }
    return true;
}

} // namespace vx::vxpaths
