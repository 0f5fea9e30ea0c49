#include "HiveManager.h"

#include <array>
#include <memory>

namespace vx::config {

namespace {

std::array<std::unique_ptr<TSortedNameList>, 2> HiveLists;
std::unique_ptr<TRegHiveManager> TheHiveManager;

} // namespace

void CreateHiveManager() {
    for (auto& list : HiveLists) {
        if (!list) {
            list = std::make_unique<TSortedNameList>();
        }
    }
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
