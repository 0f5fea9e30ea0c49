#pragma once

#include "platform/TextCodec.h"
#include "platform/WinTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The table that maps each path placeholder ("<$WINDIR>", "<$APPDATA>", ...) to the folders it
// stands for on this machine, built at start-up in a 64-bit and a 32-bit pass over the registry
// and the shell folders; every distinct value a name received is kept.
namespace vx::config {

// Ordered "name=value" lines; a name may occur more than once. Names compare without regard to
// ASCII case.
class TPlaceholderList {
public:
    using TLine = std::pair<std::string, std::string>;

    // The value of the first line named `name`, or empty.
    std::string Read(const std::string& name) const;
    // Replaces the first line named `name`, or appends one; an empty value removes that line.
    void Set(const std::string& name, const std::string& value);
    // Always adds a line.
    void Append(const std::string& name, const std::string& value);
    const std::vector<TLine>& Lines() const { return FLines; }
    void Clear() { FLines.clear(); }

private:
    std::vector<TLine> FLines;
};

// A placeholder's values: sorted, without regard to case, each text once.
using TPlaceholderSet = win::TFoldedNameSet;

// One entry per name (without regard to case), in the order names were first added, each with
// its set of values.
class TPlaceholderIndex {
public:
    // The entry of `name`, appended (with an empty set) when missing.
    TPlaceholderSet& Entry(const std::string& name);
    // The set of `name`, or null.
    const TPlaceholderSet* Find(const std::string& name) const;
    const std::vector<std::pair<std::string, TPlaceholderSet>>& Entries() const { return FEntries; }
    void Clear() { FEntries.clear(); }

private:
    std::vector<std::pair<std::string, TPlaceholderSet>> FEntries;
};

// A row of the shell-folder table: the shell's folder identifier (-1: not resolved through the
// shell) and the placeholder's NAME.
struct TPathSolveConfig {
    std::int32_t CSIDL;
    const char* Name;
};
// A row of the registry table.
struct TPathRegistryUpdaterRecord {
    const char* Placeholder;
    win::HKEY RootKey;
    const char* Key;
    const char* ValueName;
    bool Only32;
    bool FromRoot;
    bool Overwrite;
    const char* Suffix;
    const char* Cut;
};
// A row of the copy table: Target takes Source's value when empty.
struct TTemplateCopyRecord {
    const char* Target;
    const char* Source;
};

const std::vector<TPathSolveConfig>& PathSolveConfigs();
const std::vector<TPathRegistryUpdaterRecord>& PathRegistryUpdaters();
const std::vector<TTemplateCopyRecord>& TemplateCopies();

// Doubled backslashes made single until none is left, then one trailing backslash dropped.
std::string NormalizePath(std::string path);

// Sets `placeholder` from a registry value read in the view `bits`, unless it has a value
// already and `overwrite` is off. A missing value leaves it as it was; `cut`, when it occurs,
// ends the value (and a backslash before it goes).
void UpdatePlaceholderFromRegistry(TPlaceholderList& list, const std::string& placeholder,
                                   win::HKEY rootKey, const std::string& key,
                                   const std::string& valueName, std::uint8_t bits, bool overwrite,
                                   const std::string& suffix, const std::string& cut);
// Gives `target` the normalized value of `source` when it has none.
void CopyPlaceholderIfEmpty(TPlaceholderList& list, const std::string& target,
                            const std::string& source);
// Adds to the index's "<$FIXEDDRIVES>" the fixed drives among C to W ("C:").
void AddFixedDrives(TPlaceholderIndex& index);
// One build pass over the registry in the view `bits` (32 or 64) with the key prefix `prefix`
// (empty in this system). Registry errors outside the shell-folder rows reach the caller.
void BuildPathPlaceholders(TPlaceholderList& list, TPlaceholderIndex& index,
                           const std::string& prefix, std::uint8_t bits);
// Adds every line of `list` to `index`; "<$SYSDIR>" also with "\SysWOW64" for "\system32".
void MergePathPlaceholders(const TPlaceholderList& list, TPlaceholderIndex& index);

// The process-wide tables. Creating builds them (64-bit pass, merge, 32-bit pass, merge);
// creating again keeps the first. Freeing empties them.
void CreatePathPlaceholders();
void FreePathPlaceholders();
const TPlaceholderList& PathPlaceholders();
const TPlaceholderIndex& PathPlaceholderIndex();

} // namespace vx::config
