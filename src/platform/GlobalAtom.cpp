#include "platform/GlobalAtom.h"

#include "platform/Prefix.h"
#include "platform/TextCodec.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace vx::win {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t MaxAtomName = 255;
// String atoms take the values from 0xC000 up, as on Windows.
constexpr ATOM FirstStringAtom = 0xC000;
constexpr char ReferenceSeparator = '@';
// File names stay well below NAME_MAX (255): a longer escaped name is cut and a hash of the
// whole name appended ("~" never stands in an escaped name).
constexpr std::size_t MaxFileNameStem = 180;
constexpr std::size_t KeptOfLongName = 160;

// The atoms this process knows, by folded name, and the reference files it holds for each.
struct TAtomTable {
    std::mutex Lock;
    std::map<std::string, ATOM> Values;
    std::map<ATOM, std::vector<fs::path>> References;
    unsigned NextSerial = 0;
};

TAtomTable& Table() {
    static TAtomTable table;
    return table;
}

fs::path AtomFolder() {
    const fs::path prefix = CurrentPrefixDir();
    return prefix.empty() ? fs::path() : prefix / "atoms";
}

constexpr char HexDigits[] = "0123456789ABCDEF";

// FNV-1a, 64 bits, as hexadecimal text.
std::string NameHash(std::string_view text) {
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    for (const char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ULL;
    }
    std::string out(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4) {
        out[static_cast<std::size_t>(i)] = HexDigits[hash & 0x0F];
    }
    return out;
}

// The folded name with every byte that is not a lower-case letter, a digit, "-", "_" or "."
// written as %XX, so that any name makes one file name and none holds the separator.
std::string FileNameOf(const std::string& folded) {
    std::string out;
    for (const char c : folded) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '_' || (c == '.' && !out.empty());
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += HexDigits[byte >> 4];
            out += HexDigits[byte & 0x0F];
        }
    }
    if (out.size() > MaxFileNameStem) {
        out = out.substr(0, KeptOfLongName) + '~' + NameHash(folded);
    }
    return out;
}

bool ProcessAlive(pid_t pid) {
    return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM);
}

// The process of a reference file named `<name>@<pid>-<serial>`, or 0 when the name is not one.
pid_t ReferenceOwner(std::string_view fileName, std::string_view atomFileName) {
    if (fileName.size() <= atomFileName.size() + 1 || !fileName.starts_with(atomFileName) ||
        fileName[atomFileName.size()] != ReferenceSeparator) {
        return 0;
    }
    pid_t pid = 0;
    for (const char c : fileName.substr(atomFileName.size() + 1)) {
        if (c == '-') {
            return pid;
        }
        if (c < '0' || c > '9' || pid > 100'000'000) {
            return 0;
        }
        pid = pid * 10 + (c - '0');
    }
    return 0;
}

// Whether a living process holds a reference to the atom; references of ended processes are
// removed on the way.
bool AnyLivingReference(const fs::path& folder, const std::string& atomFileName) {
    std::error_code ec;
    bool found = false;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string fileName = it->path().filename().string();
        const pid_t owner = ReferenceOwner(fileName, atomFileName);
        if (owner == 0) {
            continue;
        }
        if (ProcessAlive(owner)) {
            found = true;
        } else {
            std::error_code ignored;
            fs::remove(it->path(), ignored);
        }
    }
    return found;
}

ATOM ValueOf(TAtomTable& table, const std::string& folded) {
    const auto known = table.Values.find(folded);
    if (known != table.Values.end()) {
        return known->second;
    }
    const auto value = static_cast<ATOM>(FirstStringAtom + table.Values.size());
    if (value < FirstStringAtom) {
        return 0; // the table is full
    }
    table.Values.emplace(folded, value);
    return value;
}

bool ValidName(std::string_view name) {
    return !name.empty() && name.size() <= MaxAtomName;
}

} // namespace

ATOM GlobalAddAtomA(std::string_view name) {
    const fs::path folder = AtomFolder();
    if (folder.empty() || !ValidName(name)) {
        return 0;
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        return 0;
    }
    TAtomTable& table = Table();
    const std::lock_guard lock(table.Lock);
    const std::string folded = FoldCase(name);
    const ATOM atom = ValueOf(table, folded);
    if (atom == 0) {
        return 0;
    }
    const fs::path reference =
        folder / (FileNameOf(folded) + ReferenceSeparator + std::to_string(getpid()) + '-' +
                  std::to_string(table.NextSerial++));
    const int fd = open(reference.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        return 0;
    }
    close(fd);
    table.References[atom].push_back(reference);
    return atom;
}

ATOM GlobalFindAtomA(std::string_view name) {
    const fs::path folder = AtomFolder();
    if (folder.empty() || !ValidName(name)) {
        return 0;
    }
    const std::string folded = FoldCase(name);
    if (!AnyLivingReference(folder, FileNameOf(folded))) {
        return 0;
    }
    TAtomTable& table = Table();
    const std::lock_guard lock(table.Lock);
    return ValueOf(table, folded);
}

ATOM GlobalDeleteAtom(ATOM atom) {
    TAtomTable& table = Table();
    const std::lock_guard lock(table.Lock);
    const auto held = table.References.find(atom);
    if (held == table.References.end() || held->second.empty()) {
        return atom;
    }
    std::error_code ignored;
    fs::remove(held->second.back(), ignored);
    held->second.pop_back();
    return 0;
}

} // namespace vx::win
