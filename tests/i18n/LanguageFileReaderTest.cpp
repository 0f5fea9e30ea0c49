#include "i18n/LanguageFileReader.h"

#include "support/CaseName.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

namespace vx::i18n {
namespace {

namespace fs = std::filesystem;

constexpr const char* Indicator = "LCF";

// A zlib stream of `parts`, each ended by a full flush so that the next begins a new block
// on a byte boundary; the offsets where each part's block begins are returned in `starts`.
std::string Deflate(const std::vector<std::string>& parts,
                    std::vector<std::size_t>* starts = nullptr) {
    z_stream stream{};
    EXPECT_EQ(deflateInit(&stream, Z_BEST_COMPRESSION), Z_OK);
    std::string out;
    std::vector<char> buffer(64 * 1024);
    auto run = [&](const std::string& input, int flush) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
        stream.avail_in = static_cast<uInt>(input.size());
        do {
            stream.next_out = reinterpret_cast<Bytef*>(buffer.data());
            stream.avail_out = static_cast<uInt>(buffer.size());
            deflate(&stream, flush);
            out.append(buffer.data(), buffer.size() - stream.avail_out);
        } while (stream.avail_out == 0);
    };
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (starts != nullptr) {
            starts->push_back(out.size());
        }
        run(parts[i], i + 1 == parts.size() ? Z_FINISH : Z_FULL_FLUSH);
    }
    deflateEnd(&stream);
    return out;
}

// Text that compresses but not to nothing: numbered lines.
std::string Lines(int count, const std::string& word) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += word + std::to_string(i) + "=value " + std::to_string(i * 7919) + "\r\n";
    }
    return text;
}

std::string Inflated(const std::string& stream, std::size_t limit = MaxLanguageText) {
    std::istringstream input(stream);
    return InflateText(input, limit);
}

TEST(InflateText, WholeStreamsOfEverySize) {
    for (const std::size_t size : {0UL, 1UL, 4095UL, 4096UL, 8192UL, 100'000UL}) {
        SCOPED_TRACE(size);
        const std::string text = Lines(20'000, "k").substr(0, size);
        EXPECT_EQ(Inflated(Deflate({text})), text);
    }
}

// Everything one inflate of the whole stream into one buffer gives before it ends or fails.
std::string OneInflate(const std::string& stream) {
    z_stream zs{};
    EXPECT_EQ(inflateInit(&zs), Z_OK);
    std::string out(1024 * 1024, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
    zs.avail_in = static_cast<uInt>(stream.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    while (inflate(&zs, Z_NO_FLUSH) == Z_OK) {
    }
    out.resize(out.size() - zs.avail_out);
    inflateEnd(&zs);
    return out;
}

TEST(InflateText, CutAnywhereGivesWhatOneInflateGives) {
    // Long matches: zlib often holds output that did not fit the chunk when the input ends.
    const std::string text = Lines(300, "k") + std::string(10'000, 'x') + Lines(300, "j");
    const std::string stream = Deflate({text});
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        SCOPED_TRACE(cut);
        const std::string part = stream.substr(0, cut);
        const std::string ours = Inflated(part);
        const std::string reference = OneInflate(part);
        ASSERT_EQ(ours.size(), reference.size());
        ASSERT_TRUE(ours == reference);
    }
}

TEST(InflateText, CutShortGivesTheTextBeforeTheCut) {
    const std::string first = Lines(600, "first");
    std::vector<std::size_t> starts;
    const std::string stream = Deflate({first, Lines(600, "second")}, &starts);
    // Cut inside the second block: the first block's text comes out whole, then what the
    // part of the second block that arrived gives.
    const std::string text =
        Inflated(stream.substr(0, starts[1] + (stream.size() - starts[1]) / 2));
    ASSERT_GE(text.size(), first.size());
    EXPECT_EQ(text.substr(0, first.size()), first);
    EXPECT_LT(text.size(), first.size() + Lines(600, "second").size());
    EXPECT_EQ(Inflated(stream.substr(0, 1)), "");
}

TEST(InflateText, CorruptBlockGivesTheTextBeforeIt) {
    const std::string first = Lines(600, "first");
    std::vector<std::size_t> starts;
    std::string stream = Deflate({first, Lines(600, "second")}, &starts);
    // A final block of the reserved type 3 is an error at its first bits.
    stream[starts[1]] = '\x07';
    EXPECT_EQ(Inflated(stream), first);
    EXPECT_EQ(Inflated("not a zlib stream at all"), "");
}

TEST(InflateText, StopsAtTheLimit) {
    const std::string text = Lines(2'000, "k");
    EXPECT_EQ(Inflated(Deflate({text}), 5'000), text.substr(0, 5'000));
    EXPECT_EQ(Inflated(Deflate({text}), 8'192), text.substr(0, 8'192));
}

class LanguageFileReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        FDir = fs::temp_directory_path() /
               ("vx-lngreader-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(FDir);
    }
    void TearDown() override { fs::remove_all(FDir); }

    fs::path Write(const std::string& name, const std::string& bytes) const {
        fs::path path = FDir / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    fs::path FDir;
};

struct TFormCase {
    std::string Name;
    std::string Bytes;
    std::string Text;
};

class LanguageFileFormsTest : public LanguageFileReaderTest,
                              public ::testing::WithParamInterface<TFormCase> {};

TEST_P(LanguageFileFormsTest, PlainOrCompressedByTheFirstFourBytes) {
    EXPECT_EQ(ReadLanguageFileText(Write("file.lng", GetParam().Bytes), Indicator),
              GetParam().Text);
}

const std::string Sample = "[Main]\r\nLanguageName=Deutsch\r\n";

INSTANTIATE_TEST_SUITE_P(Rows, LanguageFileFormsTest,
                         ::testing::ValuesIn(std::vector<TFormCase>{
                             {"plain", Sample, Sample},
                             {"empty", "", ""},
                             {"compressed", "LCF1" + Deflate({Sample}), Sample},
                             {"indicator_alone_is_plain", "LCF1", "LCF1"},
                             {"other_version_is_plain", "LCF2" + Sample, "LCF2" + Sample},
                             {"indicator_compared_with_case", "lcf1" + Sample, "lcf1" + Sample},
                             {"short_plain_file", "LC", "LC"},
                             {"compressed_garbage_gives_nothing", "LCF1garbage", ""},
                         }),
                         test::CaseName{});

TEST_F(LanguageFileReaderTest, AnotherIndicatorIsHonoured) {
    const fs::path path = Write("file.lng", "ZIP1" + Deflate({Sample}));
    EXPECT_EQ(ReadLanguageFileText(path, "ZIP"), Sample);
    EXPECT_EQ(ReadLanguageFileText(path, Indicator).substr(0, 4), "ZIP1");
}

TEST_F(LanguageFileReaderTest, ABombStopsAtTheCap) {
    // 1 GiB of zeros in about a megabyte: a flushed block of 1 MiB of zeros stands alone, so
    // the block repeated after the stream's header inflates to 1 MiB each time.
    std::vector<std::size_t> starts;
    const std::string first = Deflate({std::string(1024 * 1024, '\0'), ""}, &starts);
    const std::string block = first.substr(2, starts[1] - 2); // without the stream's header
    std::string stream = "LCF1" + first.substr(0, 2);
    for (int i = 0; i < 1024; ++i) {
        stream += block;
    }
    const fs::path path = Write("bomb.lng", stream);
    std::ifstream input(path, std::ios::binary);
    input.seekg(4);
    const std::string text = InflateText(input);
    EXPECT_EQ(text.size(), MaxLanguageText);
    // The rest of the stream was never read.
    EXPECT_LT(static_cast<std::size_t>(input.tellg()), stream.size() / 2);
    EXPECT_EQ(ReadLanguageFileText(path, Indicator).size(), MaxLanguageText);
}

TEST_F(LanguageFileReaderTest, APlainFileIsReadUpToTheCap) {
    const fs::path path = FDir / "huge.lng";
    { std::ofstream(path, std::ios::binary) << "[Main]"; }
    fs::resize_file(path, MaxLanguageText + 4096); // sparse: no time spent writing it
    const std::string text = ReadLanguageFileText(path, Indicator);
    EXPECT_EQ(text.size(), MaxLanguageText);
    EXPECT_EQ(text.substr(0, 6), "[Main]");
}

TEST_F(LanguageFileReaderTest, WhatCannotBeReadIsAnError) {
    EXPECT_THROW(ReadLanguageFileText(FDir / "missing.lng", Indicator), ELanguageFileError);
    EXPECT_THROW(ReadLanguageFileText(FDir, Indicator), ELanguageFileError);
    // A FIFO would block the reader until a writer came.
    const fs::path fifo = FDir / "fifo.lng";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THROW(ReadLanguageFileText(fifo, Indicator), ELanguageFileError);
}

} // namespace
} // namespace vx::i18n
