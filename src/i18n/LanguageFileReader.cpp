#include "i18n/LanguageFileReader.h"

#include <array>
#include <fstream>

#include <zlib.h>

namespace vx::i18n {
namespace {

constexpr const char* ReadErrorText = "the language file cannot be read";
// Compressed input is read in pieces of this size, so that a large file is never held whole.
constexpr std::size_t InputPieceSize = std::size_t{64} * 1024;

// Inflates a zlib stream read from `compressed` piece by piece; the zlib state is always
// ended.
class TInflater {
public:
    explicit TInflater(std::istream& compressed)
        : FCompressed(compressed), FEnded(inflateInit(&FStream) != Z_OK), FReady(!FEnded) {}
    ~TInflater() {
        if (FReady) {
            inflateEnd(&FStream);
        }
    }
    TInflater(const TInflater&) = delete;
    TInflater& operator=(const TInflater&) = delete;

    // Fills `out` as far as the stream goes; the count written. Once the stream ended, failed
    // or was cut short, Ended() tells so.
    std::size_t Read(char* out, std::size_t size) {
        FStream.next_out = reinterpret_cast<Bytef*>(out);
        FStream.avail_out = static_cast<uInt>(size);
        while (!FEnded && FStream.avail_out > 0) {
            if (FStream.avail_in == 0 && !FInputEnded) {
                FCompressed.read(FInput.data(), static_cast<std::streamsize>(FInput.size()));
                FStream.next_in = reinterpret_cast<Bytef*>(FInput.data());
                FStream.avail_in = static_cast<uInt>(FCompressed.gcount());
                FInputEnded = FStream.avail_in == 0;
            }
            // Called even when the input is used up: zlib may still hold output that did not
            // fit before. Anything but Z_OK is the end: the stream's end, an error, or no
            // progress possible without input that will not come.
            FEnded = inflate(&FStream, Z_NO_FLUSH) != Z_OK;
        }
        return size - FStream.avail_out;
    }
    bool Ended() const { return FEnded; }

private:
    std::istream& FCompressed;
    std::array<char, InputPieceSize> FInput{};
    z_stream FStream{};
    bool FInputEnded = false;
    bool FEnded;
    bool FReady;
};

} // namespace

std::string InflateText(std::istream& compressed, std::size_t limit) {
    std::string text;
    TInflater inflater(compressed);
    while (!inflater.Ended() && text.size() < limit) {
        const std::size_t want = std::min(InflateChunkSize, limit - text.size());
        const std::size_t start = text.size();
        text.resize(start + want);
        const std::size_t got = inflater.Read(text.data() + start, want);
        text.resize(start + got);
        if (got < InflateChunkSize) {
            break;
        }
    }
    return text;
}

std::string ReadLanguageText(std::istream& file, std::string_view compressIndicator) {
    std::string head(compressIndicator.size() + 1, '\0');
    file.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(file.gcount()));
    const bool compressed = head.size() == compressIndicator.size() + 1 &&
                            head.starts_with(compressIndicator) && head.back() == CompressVersion &&
                            file.peek() != std::istream::traits_type::eof();
    if (file.bad()) {
        throw ELanguageFileError(ReadErrorText);
    }
    file.clear();
    if (compressed) {
        return InflateText(file);
    }
    std::string text = head;
    std::array<char, InputPieceSize> piece{};
    while (text.size() < MaxLanguageText && file) {
        file.read(piece.data(), static_cast<std::streamsize>(
                                    std::min(piece.size(), MaxLanguageText - text.size())));
        text.append(piece.data(), static_cast<std::size_t>(file.gcount()));
    }
    if (file.bad()) {
        throw ELanguageFileError(ReadErrorText);
    }
    return text;
}

std::string ReadLanguageFileText(const std::filesystem::path& path,
                                 std::string_view compressIndicator) {
    // Only a regular file: opening a FIFO or a device would block or never end.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        throw ELanguageFileError("not a regular file: " + path.string());
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw ELanguageFileError("cannot open " + path.string());
    }
    return ReadLanguageText(file, compressIndicator);
}

} // namespace vx::i18n
