#pragma once

#include "i18n/LanguageFile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What a language file's texts mean beyond the INI layout: the escapes, the reading direction,
// the font settings, the messages and the flag pictures' hexadecimal text.
namespace vx::i18n {

// The section of a language file that describes the language itself.
inline constexpr const char* MainSection = "Main";
// Its keys that describe the language: its own name, its usage hint and its help file.
inline constexpr const char* LanguageNameKey = "LanguageName";
inline constexpr const char* UseKey = "Use";
inline constexpr const char* HelpFileKey = "HelpFile";

// The reading direction of a language, numbered as the file format and the windows know it.
enum class TBiDiMode : std::uint8_t {
    bdLeftToRight = 0,
    bdRightToLeft = 1,
    bdRightToLeftNoAlign = 2,
    bdRightToLeftReadingOnly = 3,
};

// The font settings of a loaded language, recorded when a form is translated.
struct TFontSettings {
    std::uint8_t Charset = 0;
    std::string Name;
    std::int32_t Size = 0;
    TBiDiMode BiDiMode = TBiDiMode::bdLeftToRight;

    bool operator==(const TFontSettings&) const = default;
};

// Every occurrence of `from`, from the left and without overlaps, replaced by `to`.
void ReplaceAll(std::string& text, std::string_view from, std::string_view to);

// Decodes the two escapes: every "%0D%0A" (in these capitals only) becomes CR LF, then every
// "%%" becomes "%". The line breaks go first, so "%%0D%0A" is "%" and CR LF.
void UnescapeText(std::string& text);

// "BiDiMode" of section "Main" without regard to case: "LR", "RL", "RLNA" or "RLRO"; anything
// else, and a missing key, is left to right.
TBiDiMode ReadBiDiMode(const TLanguageFile& ini);

// The font of section "Main" ("FontName", "FontSize", "FontCharset") with its defaults
// ("MS Sans Serif", 8, 0) and the reading direction.
TFontSettings ReadFontSettings(const TLanguageFile& ini);

// The save side of ReadFontSettings: writes "FontName", "FontSize", "FontCharset" and
// "BiDiMode" (as its word) into section "Main", and "FontUTF8" as `utf8`.
void WriteFontSettings(TLanguageFile& ini, const TFontSettings& font, bool utf8);

// The lines of section "Messages" as held ("name=value"), each with its escapes decoded. With
// "FontUTF8" set in "Main" the lines are UTF-8 text; since UTF-8 is this system's code page
// they stay as they are, but a line that is not valid UTF-8 becomes "---" followed by the line.
std::vector<std::string> LoadMessages(const TLanguageFile& ini);

// The bytes of a flag picture's hexadecimal text: two characters a byte, high digit first;
// a character that is not a hexadecimal digit counts as 0, and a character left over at the
// end gives a byte 0.
std::vector<std::uint8_t> HexTextToBytes(std::string_view text);

} // namespace vx::i18n
