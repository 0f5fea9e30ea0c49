#pragma once

#include "platform/TextCodec.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace vx::config {

// The process-wide hive manager: a counter and a list of hive names. Created at start-up and
// freed at shutdown; no operation of this program uses it.
class TRegHiveManager {
public:
    std::int32_t Count() const { return FCount; }
    std::vector<std::string>& Hives() { return FHives; }

private:
    std::int32_t FCount = 0;
    std::vector<std::string> FHives;
};

// A sorted name list that ignores duplicates (names compared without regard to case).
using TSortedNameList = win::TFoldedNameSet;

// Start-up: creates the unit's two sorted name lists, then the hive manager. Shutdown frees
// them. Both are safe to call twice.
void CreateHiveManager();
void FreeHiveManager();
// The hive manager, or nullptr outside start-up and shutdown.
TRegHiveManager* HiveManager();
// The unit's two name lists (0 and 1), or nullptr outside start-up and shutdown.
TSortedNameList* HiveManagerList(std::size_t index);

} // namespace vx::config
