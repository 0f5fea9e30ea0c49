#include "httpservice/IntegrityToken.h"
#include "httpservice/MachineKey.h"
#include "httpservice/Sha1.h"
#include "platform/RegistryStore.h"
#include "support/TempPrefix.h"

#include <gtest/gtest.h>

namespace vx::httpservice {
namespace {

TEST(Sha1Test, PublishedVectorsAndBlockBoundaries) {
    struct TCase {
        std::string Data;
        const char* Digest;
    };
    const TCase cases[] = {
        {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
        // Padding that just fits, just does not fit, and a whole block.
        {std::string(55, 'x'), "cef734ba81a024479e09eb5a75b6ddae62e6abf1"},
        {std::string(56, 'x'), "901305367c259952f4e7af8323f480d59f81335b"},
        {std::string(64, 'x'), "bb2fa3ee7afb9f54c6dfb5d021f14b1ffe40c163"},
        {std::string(119, 'x'), "4300320394f7ee239bcdce7d3b8bcee173a0cd5c"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TSha1::HexDigest(c.Data), c.Digest) << c.Data.size();
    }
}

TEST(Sha1Test, PiecewiseUpdatesGiveTheSameDigest) {
    const std::string data(200, 'q');
    TSha1 sha;
    for (std::size_t i = 0; i < data.size(); i += 7) {
        sha.Update(std::string_view(data).substr(i, 7));
    }
    EXPECT_EQ(sha.Final(), TSha1::Digest(data));
}

TEST(XorCycleTest, CyclesTheKeyOverTheData) {
    EXPECT_EQ(XorCycle(std::string("\x01\x02\x03\x04\x05", 5), std::string("\x01\x03", 2)),
              std::string("\x00\x01\x02\x07\x04", 5));
    EXPECT_EQ(XorCycle("ab", "longer key"), std::string("\x0d\x0d", 2));
    EXPECT_EQ(XorCycle("", ""), "");
    EXPECT_EQ(XorCycle("", "key"), "");
    EXPECT_THROW(XorCycle("data", ""), EIntegrityError);
}

class TokenTest : public ::testing::Test {
protected:
    void TearDown() override { ClearMachineKey(); }
};

TEST_F(TokenTest, TokenIsSha1OfTheKeyXorTheName) {
    struct TCase {
        const char* Key;
        const char* Name;
        const char* Token;
    };
    const TCase cases[] = {
        // The key longer than the name, and shorter than the name.
        {"12345-OEM-0000001-00000", "VXTray", "39076c565d29d768c7b556c26b07237761d25f06"},
        {"12345-OEM-0000001-00000", "VXUpdateServiceWithALongName",
         "aad7b5bf7dcd9f414ae12b54e804cdbfed9cf9a6"},
        {"ab", "VXTray", "f6ff22fa4e353d58304bc763eef4e98e88e4e46f"},
        {"", "VXTray", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {"", "", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
    };
    for (const auto& c : cases) {
        SetMachineKey(c.Key);
        const std::string token = IntegrityToken(c.Name);
        EXPECT_EQ(token, c.Token) << c.Key << " / " << c.Name;
        EXPECT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos);
        EXPECT_TRUE(CheckIntegrityToken(c.Name, c.Token));
    }
}

TEST_F(TokenTest, OnlyTheNamesFirstBytesUpToTheKeyLengthCount) {
    SetMachineKey("ab");
    EXPECT_EQ(IntegrityToken("VXTray"), IntegrityToken("VXScanner"));
    EXPECT_NE(IntegrityToken("VXTray"), IntegrityToken("VYTray"));
}

TEST_F(TokenTest, CheckIsAnExactByteComparison) {
    SetMachineKey("12345-OEM-0000001-00000");
    const std::string token = IntegrityToken("VXTray");
    std::string upper = token;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    EXPECT_TRUE(CheckIntegrityToken("VXTray", token));
    EXPECT_FALSE(CheckIntegrityToken("VXTray", upper));
    EXPECT_FALSE(CheckIntegrityToken("VXTray", token + "\r\n"));
    EXPECT_FALSE(CheckIntegrityToken("VXTray", token.substr(0, 39)));
    EXPECT_FALSE(CheckIntegrityToken("VXScanner", token));
    EXPECT_FALSE(CheckIntegrityToken("VXTray", ""));
}

TEST_F(TokenTest, AnEmptyNameRaisesWhileTheKeyIsSet) {
    SetMachineKey("key");
    EXPECT_THROW(IntegrityToken(""), EIntegrityError);
    EXPECT_THROW(CheckIntegrityToken("", "x"), EIntegrityError);
}

// The machine key from the prefix's registry.
class MachineKeyTest : public ::testing::Test {
protected:
    void TearDown() override { ClearMachineKey(); }

    std::string KeyFrom(const std::string& machineHive) {
        FPrefix.Hives(machineHive);
        FPrefix.Install();
        SetMachineKey("stale");
        InitMachineKey();
        return MachineKey();
    }

    static constexpr const char* Section =
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\r\n";
    vx::test::TTempPrefix FPrefix;
};

TEST_F(MachineKeyTest, ValueKindsGiveTheirText) {
    struct TCase {
        const char* Name;
        std::string Value;
        std::string Key;
    };
    const auto multi = [](const std::string& data) {
        return "\"ProductId\"=hex(7):" + vx::test::HexUtf16(data);
    };
    const TCase cases[] = {
        {"text", "\"ProductId\"=\"12345-OEM-0000001-00000\"", "12345-OEM-0000001-00000"},
        {"expandable text, not expanded",
         "\"ProductId\"=hex(2):" + vx::test::HexUtf16(std::string("%SystemRoot%\\x\0", 15)),
         "%SystemRoot%\\x"},
        {"empty text", "\"ProductId\"=\"\"", ""},
        // Multi-strings read as the registry layer reads them: every NUL but the last byte
        // becomes CR LF, and a final NUL is cut off.
        {"two strings", multi(std::string("ab\0cd\0\0", 7)), "ab\r\ncd\r\n"},
        {"an empty string between two", multi(std::string("a\0\0b\0\0", 6)), "a\r\n\r\nb\r\n"},
        {"an empty string first", multi(std::string("\0a\0\0", 4)), "\r\na\r\n"},
        {"one empty string", multi(std::string("\0\0", 2)), "\r\n"},
        {"a lone NUL", multi(std::string("\0", 1)), ""},
        {"no data", "\"ProductId\"=hex(7):", ""},
        {"no final NUL", multi(std::string("a\0b", 3)), "a\r\nb"},
        {"no NUL at all", multi("ab"), "ab"},
        {"a number", "\"ProductId\"=dword:00000005", ""},
        {"bytes", "\"ProductId\"=hex:01,02", ""},
        {"no such value", "\"Other\"=\"x\"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(KeyFrom(std::string(Section) + c.Value + "\r\n"), c.Key);
    }
}

TEST_F(MachineKeyTest, AMissingKeyOrRegistryGivesTheEmptyKey) {
    EXPECT_EQ(KeyFrom("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft]\r\n"), "");
    win::InstallRegistryStore(nullptr);
    SetMachineKey("stale");
    InitMachineKey();
    EXPECT_EQ(MachineKey(), "");
}

TEST_F(MachineKeyTest, TheOpenFallsBackToNarrowerAccessMasks) {
    FPrefix.Hives(std::string(Section) + "\"ProductId\"=\"abc\"\r\n");
    auto store = FPrefix.Install();
    // Only query-value is granted: the first two masks are refused, the third works.
    store->RestrictKeyAccess(win::HKEY_LOCAL_MACHINE,
                             "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", win::KEY_QUERY_VALUE);
    InitMachineKey();
    EXPECT_EQ(MachineKey(), "abc");

    store->RestrictKeyAccess(win::HKEY_LOCAL_MACHINE,
                             "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0);
    InitMachineKey();
    EXPECT_EQ(MachineKey(), "");
}

TEST_F(MachineKeyTest, A64BitPrefixIsReadInThe32BitView) {
    EXPECT_EQ(KeyFrom(std::string(Section) + "\"ProductId\"=\"native\"\r\n" +
                      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\"
                      "CurrentVersion]\r\n\"ProductId\"=\"redirected\"\r\n"),
              "redirected");
}

} // namespace
} // namespace vx::httpservice
