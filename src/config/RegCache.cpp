#include "config/RegCache.h"

namespace vx::config {

namespace {

std::unique_ptr<TRegCache> TheRegCache;

} // namespace

TRegCache::TRegCache() : FRegistry(std::make_unique<TMyRegistry>()) {}

TRegCache::~TRegCache() {
    // The accessor first, then the entries of the owning lists, then the lists.
    FRegistry.reset();
    for (TOwningList& list : FOwningLists) {
        list.clear();
    }
}

void CreateRegCache() {
    if (!TheRegCache) {
        TheRegCache = std::make_unique<TRegCache>();
    }
}

void FreeRegCache() {
    TheRegCache.reset();
}

TRegCache* RegCache() {
    return TheRegCache.get();
}

} // namespace vx::config
