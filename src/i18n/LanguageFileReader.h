#pragma once

#include "platform/Exception.h"

#include <cstddef>
#include <filesystem>
#include <istream>
#include <string>
#include <string_view>

// Reading a language file's text from its bytes: plain, or compressed (an indicator of three
// bytes and "1", then a zlib stream).
namespace vx::i18n {

class ELanguageFileError : public vx::Exception {
public:
    using vx::Exception::Exception;
};

// The most text a language file gives, plain or inflated: a compressed bomb stops here.
inline constexpr std::size_t MaxLanguageText = std::size_t{64} * 1024 * 1024;
// The byte after the indicator that marks the compressed form.
inline constexpr char CompressVersion = '1';
// Inflating goes by chunks of this size and ends at the first chunk that comes back shorter.
inline constexpr std::size_t InflateChunkSize = 4096;

// Inflates the zlib stream that `compressed` holds from its current position: chunk by chunk
// until a chunk comes back short, the stream ends or reports an error (corrupt or cut short),
// or `limit` bytes came out. Everything inflated up to that point is the result.
std::string InflateText(std::istream& compressed, std::size_t limit = MaxLanguageText);

// The text of a language file whose bytes `file` gives from its start: compressed when there
// are more than four bytes and they begin with `compressIndicator` followed by "1", plain
// otherwise; at most MaxLanguageText bytes of it. Raises ELanguageFileError on a read error.
std::string ReadLanguageText(std::istream& file, std::string_view compressIndicator);

// The text of the language file at `path` (ReadLanguageText): compressed when the file is longer
// than four bytes and begins with `compressIndicator` followed by "1", plain otherwise; at most
// MaxLanguageText bytes of it. Raises ELanguageFileError when the file cannot be read or is not
// a regular file.
std::string ReadLanguageFileText(const std::filesystem::path& path,
                                 std::string_view compressIndicator);

} // namespace vx::i18n
