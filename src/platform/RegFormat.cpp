#include "platform/RegFormat.h"

#include "platform/TextCodec.h"

#include <array>
#include <cstdio>
#include <optional>

namespace vx::win {

namespace {

constexpr std::string_view Version5Header = "Windows Registry Editor Version 5.00";
constexpr std::string_view Regedit4Header = "REGEDIT4";
constexpr std::size_t HexLineWidth = 80;

struct TRootAlias {
    std::string_view Short;
    std::string_view Long;
};
constexpr std::array<TRootAlias, 5> RootAliases{{
    {"HKLM", "HKEY_LOCAL_MACHINE"},
    {"HKCU", "HKEY_CURRENT_USER"},
    {"HKCR", "HKEY_CLASSES_ROOT"},
    {"HKU", "HKEY_USERS"},
    {"HKCC", "HKEY_CURRENT_CONFIG"},
}};

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::optional<DWORD> ParseHexNumber(std::string_view text) {
    if (text.empty() || text.size() > 8) {
        return std::nullopt;
    }
    DWORD value = 0;
    for (char c : text) {
        const int d = HexDigit(c);
        if (d < 0) {
            return std::nullopt;
        }
        value = (value << 4) | static_cast<DWORD>(d);
    }
    return value;
}

// The file's text as UTF-8, whatever its encoding, with the style noted. Bytes that are not
// UTF-8 were written to a UTF-16 file as lone surrogates (KeepBytes) and come back as bytes.
std::string DecodeFile(std::string_view bytes, TRegFileStyle& style) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    if (bytes.size() >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        style.Encoding = TRegFileStyle::TEncoding::Utf16Le;
        return Utf16LeToUtf8(data + 2, bytes.size() - 2, TInvalidText::KeepBytes);
    }
    if (bytes.size() >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
        style.Encoding = TRegFileStyle::TEncoding::Utf8Bom;
        return std::string(bytes.substr(3));
    }
    style.Encoding = TRegFileStyle::TEncoding::Utf8;
    return std::string(bytes);
}

// Reads a quoted string starting at text[pos] == '"'; `pos` ends after the closing quote.
std::optional<std::string> ReadQuoted(std::string_view text, std::size_t& pos) {
    std::string out;
    for (std::size_t i = pos + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            pos = i + 1;
            return out;
        }
        if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) {
            out += text[++i];
        } else {
            out += c;
        }
    }
    return std::nullopt;
}

class TParser {
public:
    TParser(std::string_view rootPath) : FRoot(SplitKeyPath(rootPath)) {}

    TRegHive Parse(std::string_view bytes) {
        TRegHive hive;
        const std::string text = DecodeFile(bytes, hive.Style);
        FText = text;
        FHive = &hive;
        if (Trim(FText).empty()) {
            return hive;
        }
        ReadHeader();
        std::string_view line;
        while (NextLine(line)) {
            ParseLine(line);
        }
        hive.TrailingComments = std::move(FComments);
        return hive;
    }

private:
    [[noreturn]] void Fail(const std::string& message) const { throw ERegParse(FLine, message); }

    bool NextLine(std::string_view& line) {
        if (FPos >= FText.size()) {
            return false;
        }
        const std::size_t end = std::min(FText.find('\n', FPos), FText.size());
        line = FText.substr(FPos, end - FPos);
        FPos = end + 1;
        ++FLine;
        return true;
    }

    void ReadHeader() {
        std::string_view line;
        while (NextLine(line) && Trim(line).empty()) {
        }
        if (!line.empty() && line.back() == '\r') {
            FHive->Style.Crlf = true;
        } else {
            FHive->Style.Crlf = false;
        }
        const auto header = Trim(line);
        if (header == Version5Header) {
            FHive->Style.Regedit4 = false;
        } else if (header == Regedit4Header) {
            FHive->Style.Regedit4 = true;
        } else {
            Fail("not a registry file: the first line must be \"" + std::string(Version5Header) +
                 "\" or \"" + std::string(Regedit4Header) + "\"");
        }
    }

    void ParseLine(std::string_view raw) {
        const auto line = Trim(raw);
        if (line.empty()) {
            return;
        }
        if (line.front() == ';') {
            FComments.emplace_back(line);
            return;
        }
        if (line.front() == '[') {
            ParseSection(line);
            return;
        }
        if (line.front() == '"' || line.front() == '@') {
            ParseValue(line);
            return;
        }
        Fail("unrecognised line");
    }

    void ParseSection(std::string_view line) {
        if (line.back() != ']') {
            Fail("a key line must end with ']'");
        }
        std::string_view path = line.substr(1, line.size() - 2);
        const bool remove = !path.empty() && path.front() == '-';
        if (remove) {
            path.remove_prefix(1);
        }
        auto parts = SplitKeyPath(path);
        if (!parts.empty()) {
            for (const auto& alias : RootAliases) {
                if (SameText(parts.front(), alias.Short)) {
                    parts.front() = alias.Long;
                }
            }
        }
        if (parts.size() < FRoot.size() ||
            !std::equal(FRoot.begin(), FRoot.end(), parts.begin(), SameText)) {
            Fail("key \"" + std::string(path) + "\" is not below " + JoinKeyPath(FRoot));
        }
        parts.erase(parts.begin(), parts.begin() + static_cast<std::ptrdiff_t>(FRoot.size()));
        if (remove) {
            RemoveKey(parts);
            FKey = nullptr;
            FComments.clear();
            return;
        }
        TRegKey* key = &FHive->Root;
        for (const auto& name : parts) {
            key = &key->AddSubKey(name);
        }
        key->Listed = true;
        key->Comments.insert(key->Comments.end(), FComments.begin(), FComments.end());
        FComments.clear();
        FKey = key;
        FInSection = true;
    }

    void RemoveKey(const std::vector<std::string>& parts) {
        if (parts.empty()) {
            FHive->Root.Clear();
            return;
        }
        auto parentPath = parts;
        parentPath.pop_back();
        if (TRegKey* parent = FHive->Root.Walk(parentPath)) {
            parent->RemoveSubKey(parts.back());
        }
    }

    void ParseValue(std::string_view line) {
        if (!FInSection) {
            Fail("a value must follow a key line");
        }
        std::size_t pos = 0;
        TRegValue value;
        if (line.front() == '@') {
            pos = 1;
        } else {
            auto name = ReadQuoted(line, pos);
            if (!name) {
                Fail("unterminated value name");
            }
            value.Name = std::move(*name);
        }
        auto rest = Trim(line.substr(pos));
        if (rest.empty() || rest.front() != '=') {
            Fail("expected '=' after the value name");
        }
        rest = Trim(rest.substr(1));
        if (rest == "-") {
            if (FKey != nullptr) {
                FKey->RemoveValue(value.Name);
            }
            FComments.clear();
            return;
        }
        ParseData(rest, value);
        if (FKey != nullptr) { // values of a deleted key are skipped, as regedit does
            value.Comments = std::move(FComments);
            FKey->SetValue(std::move(value));
        }
        FComments.clear();
    }

    void ParseData(std::string_view data, TRegValue& value) {
        if (data.empty()) {
            Fail("missing value data after '='");
        }
        if (data.front() == '"') {
            std::size_t pos = 0;
            auto text = ReadQuoted(data, pos);
            if (!text || !Trim(data.substr(pos)).empty()) {
                Fail("malformed string data");
            }
            value.Type = REG_SZ;
            value.Data.assign(text->begin(), text->end());
            value.Data.push_back(0);
            return;
        }
        if (data.starts_with("dword:")) {
            const auto number = ParseHexNumber(Trim(data.substr(6)));
            if (!number) {
                Fail("malformed dword data");
            }
            value.Type = REG_DWORD;
            for (int shift = 0; shift < 32; shift += 8) {
                value.Data.push_back(static_cast<std::uint8_t>(*number >> shift));
            }
            return;
        }
        if (data.starts_with("hex:")) {
            value.Type = REG_BINARY;
            ParseHexBytes(data.substr(4), value.Data);
            return;
        }
        if (data.starts_with("hex(")) {
            const std::size_t close = data.find("):");
            const auto type = close == std::string_view::npos
                                  ? std::nullopt
                                  : ParseHexNumber(data.substr(4, close - 4));
            if (!type) {
                Fail("malformed hex(type) data");
            }
            value.Type = *type;
            ParseHexBytes(data.substr(close + 2), value.Data);
            if (!FHive->Style.Regedit4 && IsStringType(value.Type)) {
                const auto utf8 =
                    Utf16LeToUtf8(value.Data.data(), value.Data.size(), TInvalidText::KeepBytes);
                value.Data.assign(utf8.begin(), utf8.end());
            }
            return;
        }
        Fail("unrecognised value data");
    }

    // Comma-separated byte pairs; a trailing '\' continues the list on the next line.
    void ParseHexBytes(std::string_view list, std::vector<std::uint8_t>& out) {
        for (;;) {
            list = Trim(list);
            bool more = false;
            if (!list.empty() && list.back() == '\\') {
                more = true;
                list = Trim(list.substr(0, list.size() - 1));
            }
            std::size_t start = 0;
            while (start < list.size()) {
                const std::size_t comma = std::min(list.find(',', start), list.size());
                const auto item = Trim(list.substr(start, comma - start));
                const bool last = comma == list.size();
                if (item.empty() && last) {
                    break; // a list ending in ',' before the continuation
                }
                if (item.size() != 2 || HexDigit(item[0]) < 0 || HexDigit(item[1]) < 0) {
                    Fail("malformed hex byte \"" + std::string(item) + "\"");
                }
                out.push_back(
                    static_cast<std::uint8_t>(HexDigit(item[0]) * 16 + HexDigit(item[1])));
                start = comma + 1;
            }
            if (!more) {
                return;
            }
            if (!NextLine(list)) {
                Fail("the file ends inside a continued value");
            }
        }
    }

    std::vector<std::string> FRoot;
    std::string_view FText;
    std::size_t FPos = 0;
    int FLine = 0;
    TRegHive* FHive = nullptr;
    TRegKey* FKey = nullptr;
    bool FInSection = false;
    std::vector<std::string> FComments;
};

// Writes keys, values and comments in the given style.
class TWriter {
public:
    explicit TWriter(const TRegFileStyle& style)
        : FStyle(style), FEol(style.Crlf ? "\r\n" : "\n") {}

    void Header() {
        FOut += FStyle.Regedit4 ? Regedit4Header : Version5Header;
        FOut += FEol;
    }

    void Tree(const TRegKey& key, const std::string& path, bool listAll, bool isRoot = false) {
        if (listAll || key.Listed || !key.Values().empty()) {
            FOut += FEol;
            Comments(key.Comments);
            FOut += '[' + path + ']' + FEol;
            for (const auto& value : key.Values()) {
                Value(value);
            }
        } else if (key.SubKeys().empty() && !isRoot) {
            FOut += FEol + '[' + path + ']' + FEol; // an empty leaf must stay visible
        }
        for (const auto& sub : key.SubKeys()) {
            Tree(*sub, path + '\\' + sub->Name(), listAll);
        }
    }

    void Comments(const std::vector<std::string>& comments) {
        for (const auto& line : comments) {
            FOut += line + FEol;
        }
    }

    void EndLine() { FOut += FEol; }

    std::string Bytes() {
        switch (FStyle.Encoding) {
        case TRegFileStyle::TEncoding::Utf8:
            return std::move(FOut);
        case TRegFileStyle::TEncoding::Utf8Bom:
            return "\xEF\xBB\xBF" + FOut;
        case TRegFileStyle::TEncoding::Utf16Le: {
            const auto wide = Utf8ToUtf16Le(FOut, TInvalidText::KeepBytes);
            std::string out("\xFF\xFE");
            out.append(wide.begin(), wide.end());
            return out;
        }
        }
        return FOut;
    }

private:
    static std::string Quote(std::string_view text) {
        std::string out = "\"";
        for (char c : text) {
            if (c == '\\' || c == '"') {
                out += '\\';
            }
            out += c;
        }
        return out + '"';
    }

    // A REG_SZ that reads back unchanged from "text" form: one final NUL, no line breaks.
    static bool FitsQuoted(const TRegValue& value) {
        const auto& d = value.Data;
        if (value.Type != REG_SZ || d.empty() || d.back() != 0) {
            return false;
        }
        for (std::size_t i = 0; i + 1 < d.size(); ++i) {
            if (d[i] == 0 || d[i] == '\r' || d[i] == '\n') {
                return false;
            }
        }
        return true;
    }

    void Value(const TRegValue& value) {
        Comments(value.Comments);
        std::string line = value.Name.empty() ? "@=" : Quote(value.Name) + '=';
        if (FitsQuoted(value)) {
            line += Quote(std::string_view(reinterpret_cast<const char*>(value.Data.data()),
                                           value.Data.size() - 1));
        } else if (value.Type == REG_DWORD && value.Data.size() == 4) {
            char buf[16];
            const DWORD n = value.Data[0] | (value.Data[1] << 8) | (value.Data[2] << 16) |
                            (static_cast<DWORD>(value.Data[3]) << 24);
            std::snprintf(buf, sizeof buf, "dword:%08x", n);
            line += buf;
        } else {
            HexData(value, line);
        }
        FOut += line + FEol;
    }

    void HexData(const TRegValue& value, std::string& line) {
        if (value.Type == REG_BINARY) {
            line += "hex:";
        } else {
            char buf[24];
            std::snprintf(buf, sizeof buf, "hex(%x):", value.Type);
            line += buf;
        }
        std::vector<std::uint8_t> wide;
        const std::vector<std::uint8_t>* bytes = &value.Data;
        if (!FStyle.Regedit4 && IsStringType(value.Type)) {
            // KeepBytes: a text that is not UTF-8 must read back as the very same bytes, or
            // any write to the hive would change it.
            wide = Utf8ToUtf16Le(std::string_view(reinterpret_cast<const char*>(value.Data.data()),
                                                  value.Data.size()),
                                 TInvalidText::KeepBytes);
            bytes = &wide;
        }
        static constexpr char digits[] = "0123456789abcdef";
        for (std::size_t i = 0; i < bytes->size(); ++i) {
            const std::uint8_t b = (*bytes)[i];
            line += digits[b >> 4];
            line += digits[b & 15];
            if (i + 1 < bytes->size()) {
                line += ',';
                if (line.size() >= HexLineWidth - 4) {
                    FOut += line + '\\' + FEol;
                    line = "  ";
                }
            }
        }
    }

    TRegFileStyle FStyle;
    std::string FEol;
    std::string FOut;
};

} // namespace

TRegHive ParseRegFile(std::string_view bytes, std::string_view rootPath) {
    return TParser(rootPath).Parse(bytes);
}

std::string FormatRegFile(const TRegHive& hive, std::string_view rootPath) {
    TWriter writer(hive.Style);
    writer.Header();
    writer.Tree(hive.Root, std::string(rootPath), false, true);
    writer.EndLine();
    writer.Comments(hive.TrailingComments);
    return writer.Bytes();
}

std::string FormatRegExport(const TRegKey& key, std::string_view keyPath,
                            const TRegFileStyle& style) {
    TWriter writer(style);
    writer.Header();
    writer.Tree(key, std::string(keyPath), true);
    writer.EndLine();
    return writer.Bytes();
}

} // namespace vx::win
