#include "housekeeping/VolumeScan.h"

#include "housekeeping/Tweaks.h"

#include <memory>
#include <utility>

namespace vx::housekeeping {

namespace {

constexpr const char* FirstDriveValue = "FloppyVolumeInformation";
constexpr int LastDrive = 25; // Z

std::unique_ptr<std::vector<TVolumeInformation>> TheVolumeList;
std::uint8_t TheFirstScannedDrive = DefaultFirstScannedDrive;

} // namespace

std::vector<TVolumeInformation> ScanVolumes(std::uint8_t firstDrive) {
    std::vector<TVolumeInformation> volumes;
    const win::DWORD present = win::GetLogicalDrives();
    for (int index = firstDrive; index <= LastDrive; ++index) {
        if ((present & (win::DWORD{1} << index)) == 0) {
            continue;
        }
        TVolumeInformation volume;
        volume.Letter = static_cast<char>('A' + index);
        const std::string root = std::string(1, volume.Letter) + ":\\";
        volume.DriveType = win::GetDriveTypeA(root);
        volume.VolumeRead =
            win::GetVolumeInformationA(root, volume.VolumeName, volume.SerialNumber);
        volumes.push_back(std::move(volume));
    }
    return volumes;
}

void CreateVolumeList() {
    TheFirstScannedDrive = DefaultFirstScannedDrive;
    ReadTweakByte(FirstDriveValue, TheFirstScannedDrive);
    TheVolumeList =
        std::make_unique<std::vector<TVolumeInformation>>(ScanVolumes(TheFirstScannedDrive));
}

void FreeVolumeList() {
    TheVolumeList.reset();
}

std::uint8_t FirstScannedDrive() {
    return TheFirstScannedDrive;
}

const std::vector<TVolumeInformation>* VolumeList() {
    return TheVolumeList.get();
}

} // namespace vx::housekeeping
