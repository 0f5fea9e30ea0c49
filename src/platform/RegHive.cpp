#include "platform/RegHive.h"

#include "platform/TextCodec.h"

#include <algorithm>
#include <utility>

namespace vx::win {

TRegKey* TRegKey::FindSubKey(std::string_view name) const {
    const auto it = FSubKeyIndex.find(FoldCase(name));
    return it == FSubKeyIndex.end() ? nullptr : it->second;
}

TRegKey& TRegKey::AddSubKey(std::string_view name) {
    auto folded = FoldCase(name);
    if (const auto it = FSubKeyIndex.find(folded); it != FSubKeyIndex.end()) {
        return *it->second;
    }
    auto& key = FSubKeys.emplace_back(std::make_unique<TRegKey>(std::string(name)));
    FSubKeyIndex.emplace(std::move(folded), key.get());
    return *key;
}

bool TRegKey::RemoveSubKey(std::string_view name) {
    const auto it = FSubKeyIndex.find(FoldCase(name));
    if (it == FSubKeyIndex.end()) {
        return false;
    }
    const TRegKey* victim = it->second;
    FSubKeyIndex.erase(it);
    std::erase_if(FSubKeys, [victim](const auto& key) { return key.get() == victim; });
    return true;
}

const TRegValue* TRegKey::FindValue(std::string_view name) const {
    const auto it = FValueIndex.find(FoldCase(name));
    return it == FValueIndex.end() ? nullptr : &FValues[it->second];
}

void TRegKey::SetValue(TRegValue value) {
    auto folded = FoldCase(value.Name);
    if (const auto it = FValueIndex.find(folded); it != FValueIndex.end()) {
        TRegValue& existing = FValues[it->second];
        existing.Type = value.Type;
        existing.Data = std::move(value.Data);
        existing.Comments.insert(existing.Comments.end(), value.Comments.begin(),
                                 value.Comments.end());
        return;
    }
    FValueIndex.emplace(std::move(folded), FValues.size());
    FValues.push_back(std::move(value));
}

bool TRegKey::RemoveValue(std::string_view name) {
    const auto it = FValueIndex.find(FoldCase(name));
    if (it == FValueIndex.end()) {
        return false;
    }
    const std::size_t at = it->second;
    FValues.erase(FValues.begin() + static_cast<std::ptrdiff_t>(at));
    FValueIndex.erase(it);
    for (auto& [folded, index] : FValueIndex) {
        if (index > at) {
            --index;
        }
    }
    return true;
}

const TRegKey* TRegKey::Walk(const std::vector<std::string>& path) const {
    const TRegKey* key = this;
    for (const auto& name : path) {
        key = key->FindSubKey(name);
        if (key == nullptr) {
            return nullptr;
        }
    }
    return key;
}

TRegKey* TRegKey::Walk(const std::vector<std::string>& path) {
    return const_cast<TRegKey*>(std::as_const(*this).Walk(path));
}

void TRegKey::Clear() {
    FSubKeys.clear();
    FSubKeyIndex.clear();
    FValues.clear();
    FValueIndex.clear();
}

std::vector<std::string> SplitKeyPath(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        if (end > start) {
            parts.emplace_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

std::string JoinKeyPath(const std::vector<std::string>& path) {
    std::string joined;
    for (const auto& part : path) {
        if (!joined.empty()) {
            joined += '\\';
        }
        joined += part;
    }
    return joined;
}

} // namespace vx::win
