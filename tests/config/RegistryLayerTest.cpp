#include "RegFixture.h"
#include "config/MyRegistry.h"
#include "config/RegRead.h"

#include <string>

#include <gtest/gtest.h>

namespace vx::config {
namespace {

using namespace vx::win;
using vx::test::HexUtf16;
using vx::test::TRegFixture;

const std::string CurrentVersion = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";

std::string MachineHive() {
    return "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\r\n"
           "@=\"default text\"\r\n"
           "\"Text\"=\"hello\"\r\n"
           "\"Empty\"=\"\"\r\n"
           "\"Expand\"=hex(2):" +
           HexUtf16(std::string("%SystemRoot%\\x\0", 15)) +
           "\r\n"
           "\"Multi\"=hex(7):" +
           HexUtf16(std::string("a\0b\0\0", 5)) +
           "\r\n"
           "\"MultiOneEmpty\"=hex(7):" +
           HexUtf16(std::string("\0\0", 2)) +
           "\r\n"
           "\"MultiNul\"=hex(7):" +
           HexUtf16(std::string("\0", 1)) +
           "\r\n"
           "\"MultiUnterminated\"=hex(7):" +
           HexUtf16(std::string("a\0b", 3)) +
           "\r\n"
           "\"MultiEmptyBetween\"=hex(7):" +
           HexUtf16(std::string("a\0\0b\0\0", 6)) +
           "\r\n"
           "\"MultiWithoutNul\"=hex(7):" +
           HexUtf16("ab") +
           "\r\n"
           "\"Number\"=dword:0000002a\r\n"
           "\"AllOnes\"=dword:ffffffff\r\n"
           "\"Short\"=hex(4):2a\r\n"
           "\"Qword\"=hex(b):01,00,00,00,00,00,00,00\r\n"
           "\"BigEndian\"=hex(5):00,00,00,01\r\n"
           "\"Binary\"=hex:01,02\r\n"
           "\"NoneType\"=hex(0):\r\n"
           "\r\n"
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Sub]\r\n"
           "\"Inner\"=\"inside\"\r\n"
           "\r\n"
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QueryOnly]\r\n"
           "\"Value\"=\"readable\"\r\n"
           "\r\n"
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Locked]\r\n"
           "\"Value\"=\"hidden\"\r\n";
}

class RegistryLayer : public ::testing::Test {
protected:
    TRegFixture FPrefix{MachineHive()};
};

struct TStringCase {
    const char* ValueName;
    bool Found;
    std::string Expected; // what `value` holds afterwards (starts as "keep")
};

TEST_F(RegistryLayer, RegReadStringAcceptsTextKindsOnlyAndKeepsTheOutputOtherwise) {
    const TStringCase cases[] = {
        {"Text", true, "hello"},
        {"", true, "default text"},
        {"Empty", true, ""},
        {"Expand", true, "%SystemRoot%\\x"},
        {"Multi", true, "a\r\nb\r\n"},
        {"MultiOneEmpty", true, "\r\n"},
        {"MultiNul", true, ""},
        {"MultiUnterminated", true, "a\r\nb"},
        {"MultiEmptyBetween", true, "a\r\n\r\nb\r\n"},
        {"MultiWithoutNul", true, "ab"},
        {"Number", false, "keep"},
        {"Qword", false, "keep"},
        {"Binary", false, "keep"},
        {"NoneType", false, "keep"},
        {"Missing", false, "keep"},
    };
    for (const TStringCase& c : cases) {
        for (const std::uint8_t bits : {32, 64}) {
            SCOPED_TRACE(std::string(c.ValueName) + " bits " + std::to_string(bits));
            std::string value = "keep";
            EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, CurrentVersion, c.ValueName, bits, value),
                      c.Found);
            EXPECT_EQ(value, c.Expected);
        }
    }
}

TEST_F(RegistryLayer, RegReadStringOnMissingKeyOrRootIsFalse) {
    std::string value = "keep";
    EXPECT_FALSE(RegReadString(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Nowhere", "Text", 32, value));
    EXPECT_FALSE(RegReadString(HKEY_CURRENT_USER, CurrentVersion, "Text", 32, value));
    EXPECT_EQ(value, "keep");
}

TEST_F(RegistryLayer, RegReadStringRejectsBitsOtherThan32And64) {
    std::string value = "keep";
    for (const std::uint8_t bits : {0, 16, 48, 65}) {
        try {
            RegReadString(HKEY_LOCAL_MACHINE, CurrentVersion, "Text", bits, value);
            ADD_FAILURE() << "no error for bits " << int(bits);
        } catch (const ERegistryException& e) {
            EXPECT_STREQ(e.what(), "Windows Registry only supported with 32 or 64 bits!");
        }
    }
    EXPECT_EQ(value, "keep");
}

TEST_F(RegistryLayer, AbsoluteAndRelativeKeyTextsReachTheSameKeyOnAFreshAccessor) {
    for (const char* key : {"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\",
                            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\",
                            "software\\microsoft\\windows\\currentversion"}) {
        SCOPED_TRACE(key);
        std::string value;
        EXPECT_TRUE(RegReadString(HKEY_LOCAL_MACHINE, key, "Text", 32, value));
        EXPECT_EQ(value, "hello");
    }
}

struct TIntegerCase {
    const char* ValueName;
    bool Found;
    std::int32_t Expected;
};

TEST_F(RegistryLayer, RegReadIntegerAcceptsDwordOnly) {
    const TIntegerCase cases[] = {
        {"Number", true, 42}, {"AllOnes", true, -1},   {"Short", true, 42},  {"Text", false, 7},
        {"Qword", false, 7},  {"BigEndian", false, 7}, {"Binary", false, 7}, {"Missing", false, 7},
    };
    for (const TIntegerCase& c : cases) {
        SCOPED_TRACE(c.ValueName);
        std::int32_t value = 7;
        EXPECT_EQ(RegReadInteger(HKEY_LOCAL_MACHINE, CurrentVersion, c.ValueName, value), c.Found);
        EXPECT_EQ(value, c.Expected);
    }
    std::int32_t value = 7;
    EXPECT_FALSE(RegReadInteger(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Nowhere", "Number", value));
    EXPECT_EQ(value, 7);
}

TEST_F(RegistryLayer, ValueKindFollowsTheTypeTable) {
    const struct {
        DWORD Type;
        TValueKind Kind;
    } table[] = {
        {REG_NONE, vkNone},
        {REG_SZ, vkString},
        {REG_EXPAND_SZ, vkExpandString},
        {REG_BINARY, vkBinary},
        {REG_DWORD, vkDWord},
        {REG_DWORD_BIG_ENDIAN, vkDWordBigEndian},
        {REG_LINK, vkLink},
        {REG_MULTI_SZ, vkMultiString},
        {REG_RESOURCE_LIST, vkResourceList},
        {REG_FULL_RESOURCE_DESCRIPTOR, vkFullResourceDescriptor},
        {REG_RESOURCE_REQUIREMENTS_LIST, vkResourceRequirementsList},
        {REG_QWORD, vkQWord},
        {12, vkUnknown},
        {0xffffffffu, vkUnknown},
    };
    for (const auto& row : table) {
        EXPECT_EQ(ValueKindOfType(row.Type), row.Kind) << "type " << row.Type;
    }

    TMyRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(registry.GetValueKind("Text"), vkUnknown) << "no current key";
    ASSERT_TRUE(registry.OpenKeyForReading(CurrentVersion));
    EXPECT_EQ(registry.GetValueKind("Qword"), vkQWord);
    EXPECT_EQ(registry.GetValueKind("Missing"), vkUnknown);
}

TEST_F(RegistryLayer, SetBitsChoosesTheViewAndTheAccessMask) {
    TMyRegistry registry;
    EXPECT_EQ(registry.Bits(), 32);
    EXPECT_EQ(registry.View(), 0);
    EXPECT_EQ(registry.Access(), KEY_ALL_ACCESS);
    EXPECT_EQ(registry.RootKey(), HKEY_CURRENT_USER);

    registry.SetAccess(KEY_ALL_ACCESS | KEY_WOW64_32KEY);
    registry.SetBits(64);
    EXPECT_EQ(registry.Access(), KEY_ALL_ACCESS | KEY_WOW64_64KEY);
    EXPECT_EQ(registry.View(), 2);

    registry.SetBits(32);
    EXPECT_EQ(registry.Access(), KEY_ALL_ACCESS);
    EXPECT_EQ(registry.Bits(), 32);
    EXPECT_EQ(registry.View(), 1);

    EXPECT_THROW(registry.SetBits(48), ERegistryException);
    EXPECT_EQ(registry.Bits(), 32);
    EXPECT_EQ(registry.View(), 1);
    EXPECT_EQ(registry.Access(), KEY_ALL_ACCESS);
}

TEST_F(RegistryLayer, OpenKeyForReadingFallsBackToWeakerMasks) {
    FPrefix.Store().RestrictKeyAccess(HKEY_LOCAL_MACHINE, "SOFTWARE\\QueryOnly", KEY_QUERY_VALUE);
    FPrefix.Store().RestrictKeyAccess(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", 0);

    TMyRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(registry.OpenKeyForReading("\\SOFTWARE\\QueryOnly"));
    EXPECT_EQ(registry.LastError(), ERROR_SUCCESS);
    EXPECT_EQ(registry.ReadStringValue("Value"), "readable");
    EXPECT_EQ(registry.Access(), KEY_ALL_ACCESS) << "the access mask is restored";

    std::string value;
    EXPECT_TRUE(RegReadString(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\QueryOnly", "Value", 32, value));
    EXPECT_EQ(value, "readable");

    EXPECT_FALSE(registry.OpenKeyForReading("\\SOFTWARE\\Locked"));
    EXPECT_EQ(registry.LastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(registry.CurrentPath(), "SOFTWARE\\QueryOnly") << "a failed open keeps the key";

    EXPECT_FALSE(registry.OpenKeyForReading("\\SOFTWARE\\Nowhere"));
    EXPECT_EQ(registry.LastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryLayer, CurrentPathFollowsAbsoluteAndRelativeOpens) {
    TMyRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(registry.OpenKeyForReading("SOFTWARE\\Microsoft"));
    EXPECT_EQ(registry.CurrentPath(), "SOFTWARE\\Microsoft");
    ASSERT_TRUE(registry.OpenKeyForReading("Windows\\CurrentVersion"));
    EXPECT_EQ(registry.CurrentPath(), "SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
    ASSERT_TRUE(registry.OpenKeyForReading("Sub"));
    EXPECT_EQ(registry.ReadStringValue("Inner"), "inside");
    ASSERT_TRUE(registry.OpenKeyForReading("\\SOFTWARE"));
    EXPECT_EQ(registry.CurrentPath(), "SOFTWARE");
    EXPECT_FALSE(registry.OpenKeyForReading("Sub")) << "relative to SOFTWARE now";
}

TEST_F(RegistryLayer, KeyExistsInViewLeavesTheCurrentKeyAlone) {
    TMyRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(registry.OpenKeyForReading(CurrentVersion));
    EXPECT_TRUE(registry.KeyExistsInView("Sub"));
    EXPECT_FALSE(registry.KeyExistsInView("Nowhere"));
    EXPECT_TRUE(registry.KeyExistsInView("\\SOFTWARE\\QueryOnly"));
    EXPECT_EQ(registry.CurrentPath(), "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\");
    EXPECT_EQ(registry.ReadStringValue("Text"), "hello");
}

TEST_F(RegistryLayer, StringReadsOfTheWrongKind) {
    TMyRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(registry.OpenKeyForReading(CurrentVersion));
    try {
        registry.ReadMultiStringValue("Text");
        ADD_FAILURE() << "no error";
    } catch (const ERegistryException& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'Text'");
    }
    try {
        registry.ReadInteger("Text");
        ADD_FAILURE() << "no error";
    } catch (const ERegistryException& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'Text'");
    }
    EXPECT_EQ(registry.ReadStringValue("Missing"), "");
    EXPECT_EQ(registry.ReadMultiStringValue("Missing"), "");
    EXPECT_EQ(registry.GetDataSize("Missing"), -1);
    EXPECT_EQ(registry.GetDataSize("Number"), 4);
}

TEST(RegistryLayerWithoutStore, ReadsFailQuietly) {
    std::string text = "keep";
    std::int32_t number = 3;
    EXPECT_FALSE(RegReadString(HKEY_LOCAL_MACHINE, CurrentVersion, "Text", 32, text));
    EXPECT_FALSE(RegReadInteger(HKEY_LOCAL_MACHINE, CurrentVersion, "Number", number));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, CurrentVersion, 0));
    EXPECT_EQ(text, "keep");
    EXPECT_EQ(number, 3);
}

// A 64-bit machine: the process's own view reads HKLM\Software\X from Wow6432Node.
class RegistryViews : public ::testing::Test {
protected:
    TRegFixture FPrefix{"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\r\n"
                        "\"Where\"=\"native\"\r\n"
                        "\r\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\NativeOnly]\r\n"
                        "\r\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Vendor]\r\n"
                        "\"Where\"=\"redirected\"\r\n"
                        "\"Count\"=dword:00000020\r\n"};
};

TEST_F(RegistryViews, BitsChooseBetweenTheRedirectedAndTheNativeBranch) {
    std::string value;
    ASSERT_TRUE(RegReadString(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Vendor", "Where", 32, value));
    EXPECT_EQ(value, "redirected");
    ASSERT_TRUE(RegReadString(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Vendor", "Where", 64, value));
    EXPECT_EQ(value, "native");

    std::int32_t count = 0;
    EXPECT_TRUE(RegReadInteger(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Vendor", "Count", count))
        << "RegReadInteger reads the process's own view";
    EXPECT_EQ(count, 32);
}

TEST_F(RegistryViews, RegKeyExistsHonoursTheSelector) {
    const struct {
        const char* Key;
        std::uint8_t Selector;
        bool Exists;
    } cases[] = {
        {"\\SOFTWARE\\NativeOnly", 0, false}, {"\\SOFTWARE\\NativeOnly", 1, true},
        {"\\SOFTWARE\\NativeOnly", 7, false}, {"\\SOFTWARE\\Wow6432Node\\", 0, true},
        {"\\SOFTWARE\\Vendor", 0, true},      {"\\SOFTWARE\\Vendor", 1, true},
        {"\\SOFTWARE\\Missing", 1, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RegKeyExists(HKEY_LOCAL_MACHINE, c.Key, c.Selector), c.Exists)
            << c.Key << " selector " << int(c.Selector);
    }
}

} // namespace
} // namespace vx::config
