#include "PathsReport.h"

#include <array>
#include <cstdio>

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

void PrintTweaks(const TTweaks& tweaks, std::ostream& out) {
    out << "[tweaks]\n"
        << "TempFolderCleanDelay=" << tweaks.TempFolderCleanDelay << '\n'
        << "TempFolderCleanMinimum=" << tweaks.TempFolderCleanMinimum << '\n'
        << "FloppyVolumeInformation=" << static_cast<int>(tweaks.FloppyVolumeInformation) << '\n';
}

namespace {

const char* DriveTypeName(win::UINT type) {
    static constexpr std::array<const char*, 7> names{"unknown", "no root", "removable", "fixed",
                                                      "remote",  "cdrom",   "ramdisk"};
    return type < names.size() ? names[type] : "unknown";
}

} // namespace

void PrintDrives(const std::vector<housekeeping::TVolumeInformation>& drives, std::ostream& out) {
    out << "[drives]\n";
    for (const housekeeping::TVolumeInformation& drive : drives) {
        out << drive.Letter << ": " << DriveTypeName(drive.DriveType);
        if (drive.VolumeRead && !drive.VolumeName.empty()) {
            out << " \"" << drive.VolumeName << '"';
        }
        if (drive.VolumeRead && drive.SerialNumber != 0) {
            std::array<char, 10> serial{};
            std::snprintf(serial.data(), serial.size(), "%04X-%04X", drive.SerialNumber >> 16U,
                          drive.SerialNumber & 0xFFFFU);
            out << ' ' << serial.data();
        }
        out << '\n';
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
