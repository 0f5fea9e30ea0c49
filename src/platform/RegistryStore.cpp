#include "platform/RegistryStoreImpl.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <iostream>
#include <set>

namespace vx::win {

namespace {

constexpr const char* MachineFile = "system.reg";
constexpr const char* UserFile = "user.reg";
constexpr const char* DefaultUserFile = "userdef.reg";
constexpr const char* DefaultUserName = ".DEFAULT";
const std::vector<std::string> Wow6432NodePath{"Software", "Wow6432Node"};

// Rights that change a key; asking for one on a hive that cannot be written is refused at
// open time, as Windows refuses them to a user without the right.
constexpr REGSAM WriteRights =
    KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC | WRITE_OWNER;

// Handles are unique across stores, so a handle of a replaced store is never taken for a
// key of the new one.
std::atomic<HKEY> NextHandle{0x1000};

bool IsPredefined(HKEY key) {
    return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE ||
           key == HKEY_USERS;
}

std::vector<std::string> ClassesPath(const std::vector<std::string>& path) {
    std::vector<std::string> full{"Software", "Classes"};
    full.insert(full.end(), path.begin(), path.end());
    return full;
}

std::vector<std::string> Tail(const std::vector<std::string>& path) {
    return {path.begin() + 1, path.end()};
}

} // namespace

TRegistryStore::TImpl::TImpl(std::filesystem::path prefixDir, ProblemSink sink)
    : FPrefixDir(std::move(prefixDir)), FSink(std::move(sink)),
      FMachine(FPrefixDir / MachineFile, "HKEY_LOCAL_MACHINE",
               [this](const std::string& m) { Report(m); }),
      FUser(FPrefixDir / UserFile, "HKEY_CURRENT_USER",
            [this](const std::string& m) { Report(m); }),
      FDefaultUser(FPrefixDir / DefaultUserFile, std::string("HKEY_USERS\\") + DefaultUserName,
                   [this](const std::string& m) { Report(m); }) {}

void TRegistryStore::TImpl::Report(const std::string& message) {
    FProblems.push_back(message);
    if (FSink) {
        FSink(message);
    } else {
        std::cerr << "registry: " << message << '\n';
    }
}

std::vector<std::string> TRegistryStore::TImpl::Problems() const {
    const std::lock_guard lock(FMutex);
    return FProblems;
}

void TRegistryStore::TImpl::Refresh(HKEY root) {
    if (root != HKEY_CURRENT_USER) {
        FMachine.Refresh(); // also the Wow6432Node test and the classes of HKEY_CLASSES_ROOT
    }
    if (root != HKEY_LOCAL_MACHINE) {
        FUser.Refresh();
    }
    if (root == HKEY_USERS) {
        FDefaultUser.Refresh();
    }
}

std::optional<TRegistryStore::TImpl::TOpenKey> TRegistryStore::TImpl::Resolve(HKEY key) const {
    if (IsPredefined(key)) {
        return TOpenKey{key, {}, KEY_ALL_ACCESS, false};
    }
    const auto it = FHandles.find(key);
    if (it == FHandles.end()) {
        return std::nullopt;
    }
    return it->second;
}

template <class Body>
LSTATUS TRegistryStore::TImpl::WithKey(HKEY handle, REGSAM rights, Body&& body) {
    const std::lock_guard lock(FMutex);
    const auto key = Resolve(handle);
    if (!key) {
        return ERROR_INVALID_HANDLE;
    }
    if ((key->Granted & rights) != rights) {
        return ERROR_ACCESS_DENIED;
    }
    return body(*key);
}

bool TRegistryStore::TImpl::IsUsersRoot(const TOpenKey& key) const {
    return key.Root == HKEY_USERS && key.Path.empty();
}

// The process's own view of a 64-bit machine reads HKLM\Software\X from
// HKLM\Software\Wow6432Node\X; the classes branch is shared between the views.
std::vector<std::string> TRegistryStore::TImpl::Redirect(const std::vector<std::string>& path,
                                                         bool view64) const {
    if (view64 || path.size() < 2 || !SameText(path[0], "Software") ||
        SameText(path[1], "Wow6432Node") || SameText(path[1], "Classes") ||
        FMachine.Root().Walk(Wow6432NodePath) == nullptr) {
        return path;
    }
    std::vector<std::string> redirected{path[0], "Wow6432Node"};
    redirected.insert(redirected.end(), path.begin() + 1, path.end());
    return redirected;
}

std::vector<TRegistryStore::TImpl::TLocation> TRegistryStore::TImpl::Locate(const TOpenKey& key) {
    switch (key.Root) {
    case HKEY_LOCAL_MACHINE:
        return {{&FMachine, Redirect(key.Path, key.View64)}};
    case HKEY_CURRENT_USER:
        return {{&FUser, key.Path}};
    case HKEY_CLASSES_ROOT:
        return {{&FUser, ClassesPath(key.Path)}, {&FMachine, ClassesPath(key.Path)}};
    case HKEY_USERS:
        if (!key.Path.empty() && SameText(key.Path[0], DefaultUserName)) {
            return {{&FDefaultUser, Tail(key.Path)}};
        }
        if (!key.Path.empty() && SameText(key.Path[0], TRegistryStore::CurrentUserSid)) {
            return {{&FUser, Tail(key.Path)}};
        }
        return {};
    default:
        return {};
    }
}

std::optional<TRegistryStore::TImpl::TLocation>
TRegistryStore::TImpl::WriteTarget(const TOpenKey& key) {
    auto locations = Locate(key);
    if (locations.empty()) {
        return std::nullopt;
    }
    if (key.Root != HKEY_CLASSES_ROOT) {
        return locations.front();
    }
    // The user's classes take writes to keys they already hold (or whose parent they hold);
    // everything else goes to the machine's, as on Windows.
    const auto& user = locations[0];
    auto parent = user.Path;
    parent.pop_back();
    const bool userHolds = user.Find() != nullptr ||
                           (key.Path.size() > 1 && user.Hive->Root().Walk(parent) != nullptr);
    return userHolds ? locations[0] : locations[1];
}

bool TRegistryStore::TImpl::Exists(const TOpenKey& key) {
    if (IsUsersRoot(key)) {
        return true;
    }
    const auto locations = Locate(key);
    return std::any_of(locations.begin(), locations.end(),
                       [](const TLocation& l) { return l.Find() != nullptr; });
}

std::string TRegistryStore::TImpl::RestrictionKey(HKEY root,
                                                  const std::vector<std::string>& path) const {
    return std::to_string(root) + '\\' + FoldCase(JoinKeyPath(path));
}

void TRegistryStore::TImpl::Restrict(HKEY root, const std::string& path, REGSAM allowed) {
    const std::lock_guard lock(FMutex);
    FRestrictions[RestrictionKey(root, SplitKeyPath(path))] = allowed;
}

LSTATUS TRegistryStore::TImpl::CheckAccess(const TOpenKey& key, REGSAM rights) {
    const auto it = FRestrictions.empty() ? FRestrictions.end()
                                          : FRestrictions.find(RestrictionKey(key.Root, key.Path));
    if (it != FRestrictions.end() && (rights & ~it->second) != 0) {
        return ERROR_ACCESS_DENIED;
    }
    if ((rights & WriteRights) != 0) {
        const auto target = WriteTarget(key);
        if (!target || target->Hive->ReadOnly()) {
            return ERROR_ACCESS_DENIED;
        }
    }
    return ERROR_SUCCESS;
}

LSTATUS TRegistryStore::TImpl::Open(HKEY parent, std::string_view subKey, REGSAM access,
                                    bool create, HKEY* result, bool* created) {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    return WithKey(parent, 0, [&](const TOpenKey& base) {
        return OpenBelow(base, subKey, access, create, result, created);
    });
}

LSTATUS TRegistryStore::TImpl::OpenBelow(const TOpenKey& base, std::string_view subKey,
                                         REGSAM access, bool create, HKEY* result, bool* created) {
    TOpenKey key = base;
    for (auto& part : SplitKeyPath(subKey)) {
        key.Path.push_back(std::move(part));
    }
    if ((access & KEY_WOW64_64KEY) != 0) {
        key.View64 = true;
    } else if ((access & KEY_WOW64_32KEY) != 0) {
        key.View64 = false;
    }
    key.Granted = access & ~KEY_WOW64_RES;
    Refresh(key.Root);

    bool isNew = false;
    if (!Exists(key)) {
        if (!create) {
            return ERROR_FILE_NOT_FOUND;
        }
        if ((base.Granted & KEY_CREATE_SUB_KEY) == 0) {
            return ERROR_ACCESS_DENIED;
        }
        const auto target = WriteTarget(key);
        if (!target) {
            return ERROR_ACCESS_DENIED;
        }
        const LSTATUS status = target->Hive->Modify([&](TRegKey& root) {
            TRegKey* node = &root;
            for (const auto& name : target->Path) {
                node = &node->AddSubKey(name);
            }
            node->Listed = true;
            return ERROR_SUCCESS;
        });
        if (status != ERROR_SUCCESS) {
            return status;
        }
        isNew = true;
    } else if (const LSTATUS status = CheckAccess(key, key.Granted); status != ERROR_SUCCESS) {
        return status;
    }
    if (created != nullptr) {
        *created = isNew;
    }
    *result = NextHandle.fetch_add(4);
    FHandles.emplace(*result, std::move(key));
    return ERROR_SUCCESS;
}

LSTATUS TRegistryStore::TImpl::Close(HKEY key) {
    if (IsPredefined(key)) {
        return ERROR_SUCCESS;
    }
    const std::lock_guard lock(FMutex);
    return FHandles.erase(key) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS TRegistryStore::TImpl::QueryValue(HKEY handle, std::string_view name, DWORD* type,
                                          std::uint8_t* data, DWORD* size) {
    if (data != nullptr && size == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    return WithKey(handle, KEY_QUERY_VALUE, [&](const TOpenKey& key) {
        if (!Exists(key)) {
            return ERROR_KEY_DELETED;
        }
        for (const auto& location : Locate(key)) {
            const TRegKey* node = location.Find();
            const TRegValue* value = node != nullptr ? node->FindValue(name) : nullptr;
            if (value == nullptr) {
                continue;
            }
            const auto needed = static_cast<DWORD>(value->Data.size());
            if (type != nullptr) {
                *type = value->Type;
            }
            if (data != nullptr) {
                if (*size < needed) {
                    *size = needed;
                    return ERROR_MORE_DATA;
                }
                std::copy(value->Data.begin(), value->Data.end(), data);
            }
            if (size != nullptr) {
                *size = needed;
            }
            return ERROR_SUCCESS;
        }
        return ERROR_FILE_NOT_FOUND;
    });
}

LSTATUS TRegistryStore::TImpl::SetValue(HKEY handle, std::string_view name, DWORD type,
                                        const std::uint8_t* data, DWORD size) {
    if (data == nullptr && size != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    return WithKey(handle, KEY_SET_VALUE, [&](const TOpenKey& key) {
        auto target = WriteTarget(key);
        if (key.Root == HKEY_CLASSES_ROOT) { // write where the merged key actually lives
            for (auto& location : Locate(key)) {
                if (location.Find() != nullptr) {
                    target = std::move(location);
                    break;
                }
            }
        }
        if (!target) {
            return ERROR_ACCESS_DENIED;
        }
        TRegValue value{std::string(name), type, {data, data + size}, {}};
        return target->Hive->Modify([&](TRegKey& root) {
            TRegKey* node = root.Walk(target->Path);
            if (node == nullptr) {
                return ERROR_KEY_DELETED;
            }
            node->SetValue(std::move(value));
            return ERROR_SUCCESS;
        });
    });
}

LSTATUS TRegistryStore::TImpl::DeleteValue(HKEY handle, std::string_view name) {
    return WithKey(handle, KEY_SET_VALUE, [&](const TOpenKey& key) {
        for (const auto& location : Locate(key)) {
            const TRegKey* node = location.Find();
            if (node == nullptr || node->FindValue(name) == nullptr) {
                continue;
            }
            return location.Hive->Modify([&](TRegKey& root) {
                TRegKey* fresh = root.Walk(location.Path);
                return fresh != nullptr && fresh->RemoveValue(name) ? ERROR_SUCCESS
                                                                    : ERROR_FILE_NOT_FOUND;
            });
        }
        return ERROR_FILE_NOT_FOUND;
    });
}

LSTATUS TRegistryStore::TImpl::DeleteTree(HKEY handle, std::string_view subKey) {
    return WithKey(handle, DELETE, [&](const TOpenKey& base) {
        TOpenKey key = base;
        for (auto& part : SplitKeyPath(subKey)) {
            key.Path.push_back(std::move(part));
        }
        Refresh(key.Root);
        if (!Exists(key)) {
            return ERROR_FILE_NOT_FOUND;
        }
        if (const auto it = FRestrictions.find(RestrictionKey(key.Root, key.Path));
            it != FRestrictions.end() && (it->second & DELETE) == 0) {
            return ERROR_ACCESS_DENIED;
        }
        const bool wholeKey = !subKey.empty();
        for (const auto& location : Locate(key)) {
            if (location.Find() == nullptr) {
                continue;
            }
            if (wholeKey && location.Path.empty()) {
                return ERROR_ACCESS_DENIED; // a hive's root cannot go
            }
            const LSTATUS status = location.Hive->Modify([&](TRegKey& root) {
                if (!wholeKey) {
                    if (TRegKey* node = root.Walk(location.Path)) {
                        node->Clear();
                    }
                    return ERROR_SUCCESS;
                }
                auto parentPath = location.Path;
                parentPath.pop_back();
                TRegKey* parent = root.Walk(parentPath);
                if (parent != nullptr) {
                    parent->RemoveSubKey(location.Path.back());
                }
                return ERROR_SUCCESS;
            });
            if (status != ERROR_SUCCESS) {
                return status;
            }
        }
        return ERROR_SUCCESS;
    });
}

LSTATUS TRegistryStore::TImpl::EnumKey(HKEY handle, DWORD index, std::string* name) {
    if (name == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    return WithKey(handle, KEY_ENUMERATE_SUB_KEYS, [&](const TOpenKey& key) {
        std::vector<std::string> names;
        if (IsUsersRoot(key)) {
            names = {DefaultUserName, TRegistryStore::CurrentUserSid};
        } else {
            std::set<std::string> seen;
            for (const auto& location : Locate(key)) {
                if (const TRegKey* node = location.Find()) {
                    for (const auto& sub : node->SubKeys()) {
                        if (seen.insert(FoldCase(sub->Name())).second) {
                            names.push_back(sub->Name());
                        }
                    }
                }
            }
        }
        if (index >= names.size()) {
            return ERROR_NO_MORE_ITEMS;
        }
        *name = names[index];
        return ERROR_SUCCESS;
    });
}

LSTATUS TRegistryStore::TImpl::EnumValue(HKEY handle, DWORD index, std::string* name, DWORD* type,
                                         std::vector<std::uint8_t>* data) {
    return WithKey(handle, KEY_QUERY_VALUE, [&](const TOpenKey& key) {
        std::set<std::string> seen;
        DWORD position = 0;
        for (const auto& location : Locate(key)) {
            const TRegKey* node = location.Find();
            if (node == nullptr) {
                continue;
            }
            for (const auto& value : node->Values()) {
                if (!seen.insert(FoldCase(value.Name)).second) {
                    continue;
                }
                if (position++ == index) {
                    if (name != nullptr) {
                        *name = value.Name;
                    }
                    if (type != nullptr) {
                        *type = value.Type;
                    }
                    if (data != nullptr) {
                        *data = value.Data;
                    }
                    return ERROR_SUCCESS;
                }
            }
        }
        return ERROR_NO_MORE_ITEMS;
    });
}

TRegistryStore::TRegistryStore(std::filesystem::path prefixDir, ProblemSink sink)
    : FImpl(std::make_unique<TImpl>(std::move(prefixDir), std::move(sink))) {}

TRegistryStore::~TRegistryStore() = default;

const std::filesystem::path& TRegistryStore::PrefixDir() const {
    return FImpl->PrefixDir();
}

std::vector<std::string> TRegistryStore::Problems() const {
    return FImpl->Problems();
}

void TRegistryStore::RestrictKeyAccess(HKEY root, const std::string& path, REGSAM allowed) {
    FImpl->Restrict(root, path, allowed);
}

} // namespace vx::win
