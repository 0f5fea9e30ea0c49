#include "i18n/LanguageFileReader.h"

#include <array>
#include <fstream>

#include <zlib.h>

namespace vx::i18n {
namespace {

constexpr const char* ReadErrorText = "the language file cannot be read";
// Compressed input is read in pieces of this size, so that a large file is never held whole.
constexpr std::size_t InputPieceSize = std::size_t{64} * 1024;

// A zlib inflate stream that is always ended.
class TInflater {
public:
    TInflater() : FReady(inflateInit(&FStream) == Z_OK) {}
    ~TInflater() {
        if (FReady) {
            inflateEnd(&FStream);
        }
    }
    TInflater(const TInflater&) = delete;
    TInflater& operator=(const TInflater&) = delete;

    bool Ready() const { return FReady; }
    z_stream& Stream() { return FStream; }

private:
    z_stream FStream{};
    bool FReady;
};

// Fills `out` from the stream as far as it goes; the count written. `ended` is set when the
// stream ended, reported an error or ran out of input.
std::size_t InflateChunk(TInflater& inflater, std::istream& compressed,
                         std::array<char, InputPieceSize>& input, char* out, std::size_t size,
                         bool& ended) {
    z_stream& stream = inflater.Stream();
    stream.next_out = reinterpret_cast<Bytef*>(out);
    stream.avail_out = static_cast<uInt>(size);
    while (stream.avail_out > 0) {
        if (stream.avail_in == 0) {
            compressed.read(input.data(), static_cast<std::streamsize>(input.size()));
            const auto got = static_cast<uInt>(compressed.gcount());
            if (got == 0) {
                ended = true; // cut short
                break;
            }
            stream.next_in = reinterpret_cast<Bytef*>(input.data());
            stream.avail_in = got;
        }
        if (inflate(&stream, Z_NO_FLUSH) != Z_OK) {
            ended = true; // the end of the stream, or an error
            break;
        }
    }
    return size - stream.avail_out;
}

} // namespace

std::string InflateText(std::istream& compressed, std::size_t limit) {
    std::string text;
    TInflater inflater;
    if (!inflater.Ready()) {
        return text;
    }
    std::array<char, InputPieceSize> input{};
    bool ended = false;
    while (!ended && text.size() < limit) {
        const std::size_t want = std::min(InflateChunkSize, limit - text.size());
        const std::size_t start = text.size();
        text.resize(start + want);
        const std::size_t got =
            InflateChunk(inflater, compressed, input, text.data() + start, want, ended);
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
