#include "i18n/LanguageText.h"

#include "platform/TextCodec.h"

#include <algorithm>
#include <array>

namespace vx::i18n {
namespace {

constexpr const char* MessagesSection = "Messages";
constexpr const char* BiDiModeKey = "BiDiMode";
constexpr const char* FontNameKey = "FontName";
constexpr const char* FontSizeKey = "FontSize";
constexpr const char* FontCharsetKey = "FontCharset";
constexpr const char* FontUtf8Key = "FontUTF8";
constexpr const char* DefaultBiDiMode = "LR";
constexpr const char* DefaultFontName = "MS Sans Serif";
constexpr std::int32_t DefaultFontSize = 8;
constexpr std::int32_t DefaultFontCharset = 0;
constexpr std::string_view LineBreakEscape = "%0D%0A";
constexpr std::string_view LineBreak = "\r\n";
constexpr std::string_view PercentEscape = "%%";
constexpr std::string_view Percent = "%";
constexpr std::string_view UnconvertedMark = "---";

// The words of the reading directions, in the order of TBiDiMode.
constexpr std::array<std::string_view, 4> BiDiModeWords{"LR", "RL", "RLNA", "RLRO"};

} // namespace

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    std::string out;
    std::size_t start = 0;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, start)) {
        out.append(text, start, at - start);
        out.append(to);
        start = at + from.size();
    }
    if (start == 0) {
        return;
    }
    out.append(text, start);
    text = std::move(out);
}

void UnescapeText(std::string& text) {
    // One pass leaves no "%0D%0A": the line break it writes holds no "%".
    ReplaceAll(text, LineBreakEscape, LineBreak);
    ReplaceAll(text, PercentEscape, Percent);
}

TBiDiMode ReadBiDiMode(const TLanguageFile& ini) {
    const std::string word = ini.ReadString(MainSection, BiDiModeKey, DefaultBiDiMode);
    const auto found =
        std::find_if(BiDiModeWords.begin(), BiDiModeWords.end(),
                     [&word](std::string_view known) { return win::SameText(known, word); });
    return found == BiDiModeWords.end()
               ? TBiDiMode::bdLeftToRight
               : static_cast<TBiDiMode>(std::distance(BiDiModeWords.begin(), found));
}

TFontSettings ReadFontSettings(const TLanguageFile& ini) {
    TFontSettings font;
    font.Name = ini.ReadString(MainSection, FontNameKey, DefaultFontName);
    font.Size = ini.ReadInteger(MainSection, FontSizeKey, DefaultFontSize);
    // A character-set number is one byte; a larger one keeps its low byte, as it would in the
    // 8-bit field it is written to.
    font.Charset =
        static_cast<std::uint8_t>(ini.ReadInteger(MainSection, FontCharsetKey, DefaultFontCharset));
    font.BiDiMode = ReadBiDiMode(ini);
    return font;
}

void WriteFontSettings(TLanguageFile& ini, const TFontSettings& font, bool utf8) {
    ini.WriteString(MainSection, FontNameKey, font.Name);
    ini.WriteString(MainSection, FontSizeKey, std::to_string(font.Size));
    ini.WriteString(MainSection, FontCharsetKey, std::to_string(font.Charset));
    ini.WriteString(MainSection, FontUtf8Key, utf8 ? "1" : "0");
    ini.WriteString(MainSection, BiDiModeKey,
                    BiDiModeWords.at(static_cast<std::size_t>(font.BiDiMode)));
}

std::vector<std::string> LoadMessages(const TLanguageFile& ini) {
    const bool utf8 = ini.ReadBool(MainSection, FontUtf8Key, false);
    std::vector<std::string> messages = ini.ReadSectionValues(MessagesSection);
    for (std::string& line : messages) {
        UnescapeText(line);
        if (utf8 && !win::IsValidUtf8(line)) {
            line.insert(0, UnconvertedMark);
        }
    }
    return messages;
}

std::vector<std::uint8_t> HexTextToBytes(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve((text.size() + 1) / 2);
    auto digit = [](char c) { return std::max(win::HexDigit(c), 0); };
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(digit(text[i]) * 16 + digit(text[i + 1])));
    }
    if (text.size() % 2 != 0) {
        bytes.push_back(0);
    }
    return bytes;
}

} // namespace vx::i18n
