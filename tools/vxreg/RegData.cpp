#include "RegData.h"

#include "RegArgs.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace vx::vxreg {

using namespace vx::win;

namespace {

constexpr const char* MultiSeparator = "\\0";

struct TTypeName {
    DWORD Type;
    const char* Name;
    bool Addable;
};

const TTypeName TypeNames[] = {
    {REG_NONE, "REG_NONE", true},
    {REG_SZ, "REG_SZ", true},
    {REG_EXPAND_SZ, "REG_EXPAND_SZ", true},
    {REG_BINARY, "REG_BINARY", true},
    {REG_DWORD, "REG_DWORD", true},
    {REG_DWORD_BIG_ENDIAN, "REG_DWORD_BIG_ENDIAN", false},
    {REG_LINK, "REG_LINK", false},
    {REG_MULTI_SZ, "REG_MULTI_SZ", true},
    {REG_RESOURCE_LIST, "REG_RESOURCE_LIST", false},
    {REG_FULL_RESOURCE_DESCRIPTOR, "REG_FULL_RESOURCE_DESCRIPTOR", false},
    {REG_RESOURCE_REQUIREMENTS_LIST, "REG_RESOURCE_REQUIREMENTS_LIST", false},
    {REG_QWORD, "REG_QWORD", true},
};

std::string Text(const std::vector<std::uint8_t>& data, std::size_t begin, std::size_t end) {
    return std::string(data.begin() + static_cast<std::ptrdiff_t>(begin),
                       data.begin() + static_cast<std::ptrdiff_t>(end));
}

std::string HexBytes(const std::vector<std::uint8_t>& data) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    for (const std::uint8_t byte : data) {
        out += digits[byte >> 4];
        out += digits[byte & 15];
    }
    return out;
}

// Little-endian number of up to eight bytes.
std::uint64_t LittleEndian(const std::vector<std::uint8_t>& data) {
    std::uint64_t n = 0;
    for (std::size_t i = data.size() < 8 ? data.size() : 8; i-- > 0;) {
        n = n << 8 | data[i];
    }
    return n;
}

std::string Hex(std::uint64_t n) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(n));
    return buffer;
}

std::uint64_t ParseNumber(const std::string& text, std::uint64_t max, const char* typeName) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    const char* allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (digits.empty() || digits.find_first_not_of(allowed) != std::string::npos) {
        throw EUsage("Invalid data '" + text + "' for " + typeName +
                     ": give a decimal number or 0x followed by hex digits.");
    }
    errno = 0;
    const unsigned long long n = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
    if (errno == ERANGE || n > max) {
        throw EUsage("Invalid data '" + text + "' for " + typeName + ": the number is too large.");
    }
    return n;
}

void AppendLittleEndian(std::vector<std::uint8_t>& out, std::uint64_t n, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
    }
}

} // namespace

std::string TypeName(DWORD type) {
    for (const TTypeName& row : TypeNames) {
        if (row.Type == type) {
            return row.Name;
        }
    }
    return "REG_UNKNOWN";
}

std::optional<DWORD> ParseTypeName(const std::string& name) {
    for (const TTypeName& row : TypeNames) {
        if (row.Addable && name == row.Name) {
            return row.Type;
        }
    }
    return std::nullopt;
}

std::string FormatData(DWORD type, const std::vector<std::uint8_t>& data) {
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
        std::size_t end = 0;
        while (end < data.size() && data[end] != 0) {
            ++end;
        }
        return Text(data, 0, end);
    }
    case REG_MULTI_SZ: {
        // The strings up to the list's end (an empty string or the data's end).
        std::string out;
        std::size_t begin = 0;
        bool first = true;
        while (begin < data.size() && data[begin] != 0) {
            std::size_t end = begin;
            while (end < data.size() && data[end] != 0) {
                ++end;
            }
            if (!first) {
                out += MultiSeparator;
            }
            out += Text(data, begin, end);
            first = false;
            begin = end + 1;
        }
        return out;
    }
    case REG_DWORD:
    case REG_QWORD:
        return Hex(LittleEndian(data));
    case REG_DWORD_BIG_ENDIAN: {
        std::uint64_t n = 0;
        for (std::size_t i = 0; i < data.size() && i < 4; ++i) {
            n = n << 8 | data[i];
        }
        return Hex(n);
    }
    default:
        return HexBytes(data);
    }
}

std::vector<std::uint8_t> EncodeData(DWORD type, const std::string& text) {
    std::vector<std::uint8_t> out;
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        out.assign(text.begin(), text.end());
        out.push_back(0);
        return out;
    case REG_MULTI_SZ: {
        std::size_t begin = 0;
        while (begin < text.size()) {
            std::size_t end = text.find(MultiSeparator, begin);
            if (end == std::string::npos) {
                end = text.size();
            }
            if (end == begin) {
                throw EUsage("Invalid data for REG_MULTI_SZ: a string of the list is empty.");
            }
            out.insert(out.end(), text.begin() + static_cast<std::ptrdiff_t>(begin),
                       text.begin() + static_cast<std::ptrdiff_t>(end));
            out.push_back(0);
            begin = end == text.size() ? end : end + 2;
        }
        out.push_back(0);
        return out;
    }
    case REG_DWORD:
        AppendLittleEndian(out, text.empty() ? 0 : ParseNumber(text, 0xffffffffu, "REG_DWORD"), 4);
        return out;
    case REG_QWORD:
        AppendLittleEndian(
            out,
            text.empty()
                ? 0
                : ParseNumber(text, std::numeric_limits<std::uint64_t>::max(), "REG_QWORD"),
            8);
        return out;
    default: {
        if (text.size() % 2 != 0 ||
            text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
            throw EUsage("Invalid data '" + text + "' for " + TypeName(type) +
                         ": give an even number of hex digits.");
        }
        for (std::size_t i = 0; i < text.size(); i += 2) {
            out.push_back(static_cast<std::uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
        }
        return out;
    }
    }
}

} // namespace vx::vxreg
