#pragma once

#include "config/MyRegistry.h"
#include "platform/TextCodec.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vx::config {

// A value held by the registry cache.
struct TRegCacheEntry {
    win::DWORD Type = win::REG_NONE;
    std::vector<std::uint8_t> Data;
};

// The process-wide registry cache: eight case-insensitive hashed name lists, the first four
// owning the entries attached to their names, and an accessor of its own. Created at start-up
// and freed at shutdown; no operation of this program fills it.
class TRegCache {
public:
    using TOwningList = std::unordered_map<std::string, std::unique_ptr<TRegCacheEntry>,
                                           win::TFoldedHash, win::TFoldedEqual>;
    using TNameList = std::unordered_set<std::string, win::TFoldedHash, win::TFoldedEqual>;

    TRegCache();
    ~TRegCache();
    TRegCache(const TRegCache&) = delete;
    TRegCache& operator=(const TRegCache&) = delete;

    TOwningList& OwningList(std::size_t index) { return FOwningLists.at(index); }
    TNameList& NameList(std::size_t index) { return FNameLists.at(index); }
    TMyRegistry& Registry() { return *FRegistry; }

private:
    std::array<TOwningList, 4> FOwningLists;
    std::array<TNameList, 4> FNameLists;
    std::unique_ptr<TMyRegistry> FRegistry;
};

// Start-up creates the cache, shutdown frees it; both are safe to call twice.
void CreateRegCache();
void FreeRegCache();
// The cache, or nullptr outside start-up and shutdown.
TRegCache* RegCache();

} // namespace vx::config
