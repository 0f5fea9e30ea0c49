#pragma once

#include <string>
#include <string_view>

namespace vx::i18n {

// The bytes of a compressed language file holding `text`: `compressIndicator`, "1", then the
// text as a zlib stream. Raises ELanguageFileError when zlib fails.
std::string CompressLanguageText(std::string_view text, std::string_view compressIndicator);

} // namespace vx::i18n
