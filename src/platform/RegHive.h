#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The in-memory form of a registry hive: a tree of keys, each with its values, both kept in
// the order they were read or added and found by name without regard to case.
namespace vx::win {

struct TRegValue {
    std::string Name; // empty: the key's default value
    DWORD Type = REG_NONE;
    // The data as the byte-string registry calls see it: texts are UTF-8 with their NULs.
    std::vector<std::uint8_t> Data;
    std::vector<std::string> Comments; // comment lines that stood before the value
};

class TRegKey {
public:
    TRegKey() = default;
    explicit TRegKey(std::string name) : FName(std::move(name)) {}
    TRegKey(const TRegKey&) = delete;
    TRegKey& operator=(const TRegKey&) = delete;
    TRegKey(TRegKey&&) = default;
    TRegKey& operator=(TRegKey&&) = default;

    const std::string& Name() const { return FName; }

    TRegKey* FindSubKey(std::string_view name) const;
    // The existing subkey of that name, or a new last one.
    TRegKey& AddSubKey(std::string_view name);
    bool RemoveSubKey(std::string_view name);
    const std::vector<std::unique_ptr<TRegKey>>& SubKeys() const { return FSubKeys; }

    const TRegValue* FindValue(std::string_view name) const;
    // Replaces the data of an existing value in place (keeping its position and comments),
    // or appends the value.
    void SetValue(TRegValue value);
    bool RemoveValue(std::string_view name);
    const std::vector<TRegValue>& Values() const { return FValues; }

    // Follows `path` (names below this key); null when a component is missing.
    const TRegKey* Walk(const std::vector<std::string>& path) const;
    TRegKey* Walk(const std::vector<std::string>& path);

    void Clear();

    // The key stands as a section of its own in the file (a key implied only by its
    // descendants does not).
    bool Listed = false;
    std::vector<std::string> Comments; // comment lines that stood before the section

private:
    std::string FName;
    std::vector<std::unique_ptr<TRegKey>> FSubKeys;
    std::unordered_map<std::string, TRegKey*> FSubKeyIndex;
    std::vector<TRegValue> FValues;
    std::unordered_map<std::string, std::size_t> FValueIndex;
};

// How a hive file was written, so that writing it back keeps its form.
struct TRegFileStyle {
    enum class TEncoding { Utf8, Utf8Bom, Utf16Le };
    bool Regedit4 = false; // "REGEDIT4" rather than "Windows Registry Editor Version 5.00"
    TEncoding Encoding = TEncoding::Utf8;
    bool Crlf = true;
};

struct TRegHive {
    TRegKey Root;
    TRegFileStyle Style;
    std::vector<std::string> TrailingComments;
};

// Splits "A\B\\C\" into {"A", "B", "C"}: empty components are dropped.
std::vector<std::string> SplitKeyPath(std::string_view path);
std::string JoinKeyPath(const std::vector<std::string>& path);

} // namespace vx::win
