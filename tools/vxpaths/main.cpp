// vxpaths: the path placeholders of the prefix's machine, built as the tray's start-up builds
// them, with the tweaks and the drives start-up reads, printed for people and scripts.
#include "PathsReport.h"
#include "config/PathPlaceholders.h"
#include "housekeeping/TempFolderCleaner.h"
#include "housekeeping/Tweaks.h"
#include "housekeeping/VolumeScan.h"
#include "platform/Exception.h"
#include "platform/Machine.h"
#include "platform/Registry.h"

#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace vx::win;

constexpr const char* Usage =
    "usage: vxpaths          every placeholder line, then [index] with each name's values,\n"
    "                        [tweaks] and [drives] as the tray's start-up reads them\n"
    "       vxpaths NAME     the values of NAME (\"<$SYSDIR>\"), one a line\n"
    "The machine is the prefix named by VXTRAY_PREFIX (or the default one).\n";

// The tray's tweaks are read under its own name.
constexpr const char* TrayProgram = "VXTray";

int Run(const std::vector<std::string>& args) {
    if (args.size() > 1 || (args.size() == 1 && (args[0] == "-h" || args[0] == "--help"))) {
        (args.size() > 1 ? std::cerr : std::cout) << Usage;
        return args.size() > 1 ? 2 : 0;
    }
    std::vector<std::string> problems;
    OpenExistingMachine([&problems](const std::string& message) { problems.push_back(message); });
    vx::housekeeping::SetTweakProgramName(TrayProgram);
    vx::config::CreatePathPlaceholders();
    vx::housekeeping::CreateTempFolderCleaner();
    vx::housekeeping::CreateVolumeList();
    for (const std::string& problem : problems) {
        std::cerr << "vxpaths: " << problem << "\n";
    }
    int code = problems.empty() ? 0 : 1;
    if (args.empty()) {
        vx::vxpaths::PrintPlaceholders(vx::config::PathPlaceholders(), std::cout);
        std::cout << '\n';
        vx::vxpaths::PrintIndex(vx::config::PathPlaceholderIndex(), std::cout);
        const vx::housekeeping::TTempFolderCleaner& cleaner =
            *vx::housekeeping::TempFolderCleaner();
        std::cout << '\n';
        vx::vxpaths::PrintTweaks(
            {cleaner.Delay, cleaner.Minimum, vx::housekeeping::FirstScannedDrive()}, std::cout);
        std::cout << '\n';
        vx::vxpaths::PrintDrives(*vx::housekeeping::VolumeList(), std::cout);
    } else if (!vx::vxpaths::PrintSet(vx::config::PathPlaceholderIndex(), args[0], std::cout)) {
        std::cerr << "vxpaths: no placeholder " << args[0] << "\n";
        code = 1;
    }
    vx::housekeeping::FreeVolumeList();
    vx::housekeeping::FreeTempFolderCleaner();
    vx::config::FreePathPlaceholders();
    InstallRegistryStore(nullptr);
    return code;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const vx::Exception& error) {
        std::cerr << "vxpaths: " << error.Message() << "\n";
        return 1;
    }
}
