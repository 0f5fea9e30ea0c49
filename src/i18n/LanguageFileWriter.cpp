#include "i18n/LanguageFileWriter.h"

#include "i18n/LanguageFileReader.h"

#include <zlib.h>

namespace vx::i18n {

std::string CompressLanguageText(std::string_view text, std::string_view compressIndicator) {
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    std::string bytes(compressIndicator);
    bytes += CompressVersion;
    const std::size_t head = bytes.size();
    bytes.resize(head + size);
    if (compress2(reinterpret_cast<Bytef*>(bytes.data() + head), &size,
                  reinterpret_cast<const Bytef*>(text.data()), static_cast<uLong>(text.size()),
                  Z_BEST_COMPRESSION) != Z_OK) {
        throw ELanguageFileError("the language text cannot be compressed");
    }
    bytes.resize(head + size);
    return bytes;
}

} // namespace vx::i18n
