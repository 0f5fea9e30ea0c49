#include "config/HiveManager.h"

#include "platform/EventLog.h"

#include <array>
#include <cstdint>
#include <memory>

namespace vx::config {

namespace {

constexpr const char* HiveManagerLog = "Application";
constexpr const char* HiveManagerSource = "QEL HiveManager";
constexpr std::int32_t HiveManagerTypes = 7;
constexpr std::int32_t HiveManagerCategories = 2;

std::array<std::unique_ptr<TSortedNameList>, 2> HiveLists;
std::unique_ptr<TRegHiveManager> TheHiveManager;

} // namespace

void CreateHiveManager() {
    for (auto& list : HiveLists) {
        if (!list) {
            list = std::make_unique<TSortedNameList>();
        }
    }
    // Without administrator rights the registration is refused; the manager is made anyway.
    win::RegisterEventLogSource(HiveManagerLog, HiveManagerSource, "", HiveManagerTypes,
                                HiveManagerCategories);
    if (!TheHiveManager) {
        TheHiveManager = std::make_unique<TRegHiveManager>();
    }
}

void FreeHiveManager() {
    for (auto& list : HiveLists) {
        list.reset();
    }
    TheHiveManager.reset();
}

TRegHiveManager* HiveManager() {
    return TheHiveManager.get();
}

TSortedNameList* HiveManagerList(std::size_t index) {
    return index < HiveLists.size() ? HiveLists[index].get() : nullptr;
}

} // namespace vx::config
