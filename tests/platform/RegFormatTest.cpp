#include "platform/RegFormat.h"

#include "RegTextCases.h"
#include "support/CaseName.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vx::win {
namespace {

const std::string V5 = "Windows Registry Editor Version 5.00\r\n\r\n";

std::vector<std::uint8_t> Bytes(std::string_view s) {
    return {s.begin(), s.end()};
}
std::vector<std::uint8_t> Text(std::string_view s) {
    auto b = Bytes(s);
    b.push_back(0);
    return b;
}

const TRegValue& ValueOf(const TRegHive& hive, const std::string& key, const std::string& name) {
    const TRegKey* node = hive.Root.Walk(SplitKeyPath(key));
    EXPECT_NE(node, nullptr) << key;
    static const TRegValue missing{};
    const TRegValue* value = node ? node->FindValue(name) : nullptr;
    EXPECT_NE(value, nullptr) << key << " " << name;
    return value ? *value : missing;
}

struct TValueCase {
    const char* Name;
    std::string Body; // lines after the header
    std::string ValueName;
    DWORD Type;
    std::vector<std::uint8_t> Data;
};

class RegValueParse : public testing::TestWithParam<TValueCase> {};

TEST_P(RegValueParse, ReadsDataAsTheByteStringCallsSeeIt) {
    const auto& c = GetParam();
    const auto hive =
        ParseRegFile(V5 + "[HKEY_LOCAL_MACHINE\\Soft]\r\n" + c.Body, "HKEY_LOCAL_MACHINE");
    const auto& value = ValueOf(hive, "Soft", c.ValueName);
    EXPECT_EQ(value.Type, c.Type);
    EXPECT_EQ(value.Data, c.Data);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RegValueParse,
    testing::Values(
        TValueCase{"text", "\"a\"=\"hello\"\r\n", "a", REG_SZ, Text("hello")},
        TValueCase{"escapes", R"("a"="C:\\x \"q\"")", "a", REG_SZ, Text(R"(C:\x "q")")},
        TValueCase{"default", "@=\"d\"\r\n", "", REG_SZ, Text("d")},
        TValueCase{"escaped name", R"("a\"b\\c"="v")", "a\"b\\c", REG_SZ, Text("v")},
        TValueCase{"dword", "\"n\"=dword:fffffffe\r\n", "n", REG_DWORD, {0xfe, 0xff, 0xff, 0xff}},
        TValueCase{"short dword", "\"n\"=dword:7\r\n", "n", REG_DWORD, {7, 0, 0, 0}},
        TValueCase{"binary", "\"b\"=hex:01,ab,FF\r\n", "b", REG_BINARY, {1, 0xab, 0xff}},
        TValueCase{"empty binary", "\"b\"=hex:\r\n", "b", REG_BINARY, {}},
        TValueCase{"expand sz is UTF-16", "\"e\"=hex(2):25,00,41,00,25,00,00,00\r\n", "e",
                   REG_EXPAND_SZ, Text("%A%")},
        TValueCase{"multi sz", "\"m\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n", "m", REG_MULTI_SZ,
                   Bytes(std::string("a\0b\0\0", 5))},
        TValueCase{"qword",
                   "\"q\"=hex(b):01,00,00,00,00,00,00,00\r\n",
                   "q",
                   REG_QWORD,
                   {1, 0, 0, 0, 0, 0, 0, 0}},
        TValueCase{"unusual type", "\"x\"=hex(100):01\r\n", "x", 0x100, {1}},
        TValueCase{"continued",
                   "\"b\"=hex:01,02,\\\r\n  03,\\\r\n  04\r\n",
                   "b",
                   REG_BINARY,
                   {1, 2, 3, 4}},
        TValueCase{"non-ASCII text", "\"u\"=\"gr\xC3\xBC\xC3\x9F\"\r\n", "u", REG_SZ,
                   Text("gr\xC3\xBC\xC3\x9F")},
        TValueCase{"later line wins", "\"a\"=\"1\"\r\n\"A\"=\"2\"\r\n", "a", REG_SZ, Text("2")}),
    vx::test::CaseName{});

TEST(RegFormat, Regedit4KeepsStringTypesAsBytes) {
    const auto hive = ParseRegFile("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\S]\r\n"
                                   "\"e\"=hex(2):25,41,25,00\r\n",
                                   "HKEY_LOCAL_MACHINE");
    EXPECT_EQ(ValueOf(hive, "S", "e").Data, Text("%A%"));
    EXPECT_TRUE(hive.Style.Regedit4);
}

TEST(RegFormat, ReadsUtf16LittleEndianWithBom) {
    const std::string text = V5 + "[HKEY_CURRENT_USER\\K]\r\n\"v\"=\"\xE2\x82\xAC\"\r\n\r\n";
    std::string file("\xFF\xFE");
    for (std::size_t i = 0; i < text.size();) { // the text is ASCII but for one euro sign
        if (text.compare(i, 3, "\xE2\x82\xAC") == 0) {
            file += "\xAC\x20";
            i += 3;
        } else {
            file += text[i++];
            file += '\0';
        }
    }
    const auto hive = ParseRegFile(file, "HKEY_CURRENT_USER");
    EXPECT_EQ(ValueOf(hive, "K", "v").Data, Text("\xE2\x82\xAC"));
    EXPECT_EQ(hive.Style.Encoding, TRegFileStyle::TEncoding::Utf16Le);
    // Written back in the same encoding, byte for byte.
    EXPECT_EQ(FormatRegFile(hive, "HKEY_CURRENT_USER"), file);
}

TEST(RegFormat, KeysAndValuesAreFoundWithoutRegardToCase) {
    const auto hive =
        ParseRegFile(V5 + "[HKEY_LOCAL_MACHINE\\Software\\Maker]\r\n\"Name\"=\"v\"\r\n"
                          "[hkey_local_machine\\SOFTWARE\\maker\\Sub]\r\n",
                     "HKEY_LOCAL_MACHINE");
    EXPECT_EQ(ValueOf(hive, "software\\MAKER", "NAME").Data, Text("v"));
    ASSERT_NE(hive.Root.Walk({"SOFTWARE", "Maker", "sub"}), nullptr);
    EXPECT_EQ(hive.Root.Walk({"Software"})->SubKeys().size(), 1u);
}

TEST(RegFormat, DeletionsRemoveKeysAndValues) {
    const auto hive =
        ParseRegFile(V5 + "[HKEY_LOCAL_MACHINE\\A\\B]\r\n\"x\"=\"1\"\r\n\"y\"=\"2\"\r\n"
                          "[HKEY_LOCAL_MACHINE\\A\\C]\r\n"
                          "[-HKEY_LOCAL_MACHINE\\A\\C]\r\n"
                          "\"ignored\"=\"value of a deleted key\"\r\n"
                          "[HKEY_LOCAL_MACHINE\\A\\B]\r\n\"x\"=-\r\n",
                     "HKEY_LOCAL_MACHINE");
    const TRegKey* b = hive.Root.Walk({"A", "B"});
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->FindValue("x"), nullptr);
    EXPECT_NE(b->FindValue("y"), nullptr);
    EXPECT_EQ(hive.Root.Walk({"A", "C"}), nullptr);
}

struct TErrorCase {
    const char* Name;
    std::string File;
    int Line;
};

class RegParseError : public testing::TestWithParam<TErrorCase> {};

TEST_P(RegParseError, NamesTheLineOfTheFault) {
    const auto& c = GetParam();
    try {
        ParseRegFile(c.File, "HKEY_LOCAL_MACHINE");
        FAIL() << "parsed: " << c.Name;
    } catch (const ERegParse& e) {
        EXPECT_EQ(e.Line(), c.Line) << c.Name << ": " << e.what();
        EXPECT_FALSE(std::string(e.what()).empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RegParseError,
    testing::Values(
        TErrorCase{"no header", "[HKEY_LOCAL_MACHINE\\A]\r\n", 1},
        TErrorCase{"wrong header", "Windows Registry Editor Version 9\r\n", 1},
        TErrorCase{"unclosed key", V5 + "[HKEY_LOCAL_MACHINE\\A\r\n", 3},
        TErrorCase{"value before key", V5 + "\"a\"=\"b\"\r\n", 3},
        TErrorCase{"other root", V5 + "[HKEY_CURRENT_USER\\A]\r\n", 3},
        TErrorCase{"bad dword", V5 + "[HKEY_LOCAL_MACHINE\\A]\r\n\"a\"=dword:xyz\r\n", 4},
        TErrorCase{"long dword", V5 + "[HKEY_LOCAL_MACHINE\\A]\r\n\"a\"=dword:123456789\r\n", 4},
        TErrorCase{"bad hex byte", V5 + "[HKEY_LOCAL_MACHINE\\A]\r\n\"a\"=hex:01,2\r\n", 4},
        TErrorCase{"truncated continuation", V5 + "[HKEY_LOCAL_MACHINE\\A]\r\n\"a\"=hex:01,\\\r\n",
                   4},
        TErrorCase{"unterminated text", V5 + "[HKEY_LOCAL_MACHINE\\A]\r\n\"a\"=\"abc\r\n", 4},
        TErrorCase{"unterminated name", V5 + "[HKEY_LOCAL_MACHINE\\A]\r\n\"a=\"abc\"\r\n", 4},
        TErrorCase{"junk after text", V5 + "[HKEY_LOCAL_MACHINE\\A]\r\n\"a\"=\"abc\" x\r\n", 4},
        TErrorCase{"no equals", V5 + "[HKEY_LOCAL_MACHINE\\A]\r\n\"a\" \"b\"\r\n", 4},
        TErrorCase{"stray line", V5 + "[HKEY_LOCAL_MACHINE\\A]\r\nhello\r\n", 4},
        TErrorCase{"binary garbage", std::string("\x01\x02\x03\x00\xff", 5), 1},
        TErrorCase{"no data", V5 + "[HKEY_LOCAL_MACHINE\\A]\r\n\"b\"=\r\n", 4},
        TErrorCase{"no default data", V5 + "[HKEY_LOCAL_MACHINE\\A]\r\n@= \t\r\n", 4},
        TErrorCase{"no data at the end of the file", V5 + "[HKEY_LOCAL_MACHINE\\A]\r\n\"b\"=", 4},
        TErrorCase{"no name and no data", V5 + "[HKEY_LOCAL_MACHINE\\A]\r\n@\r\n", 4},
        TErrorCase{"lone bracket", V5 + "[\r\n", 3}),
    vx::test::CaseName{});

struct TStyleCase {
    const char* Name;
    TRegFileStyle Style;
};

const TStyleCase FileStyles[] = {
    {"version 5, UTF-8", {false, TRegFileStyle::TEncoding::Utf8, true}},
    {"version 5, UTF-8 with BOM, LF", {false, TRegFileStyle::TEncoding::Utf8Bom, false}},
    {"version 5, UTF-16", {false, TRegFileStyle::TEncoding::Utf16Le, true}},
    {"REGEDIT4", {true, TRegFileStyle::TEncoding::Utf8, true}},
    {"REGEDIT4, UTF-16", {true, TRegFileStyle::TEncoding::Utf16Le, true}},
};

class RegTextRoundTrip : public testing::TestWithParam<test::TRegTextCase> {};

// Whatever bytes a text value holds, writing the hive and reading it back gives them again
// with their type, in every style of file: otherwise a write to any other value of the hive
// would change this one.
TEST_P(RegTextRoundTrip, ReadsBackTheSameBytesAndType) {
    const auto data = Bytes(GetParam().Data);
    for (const DWORD type : {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ}) {
        for (const auto& style : FileStyles) {
            SCOPED_TRACE(std::string(style.Name) + ", type " + std::to_string(type));
            TRegHive hive;
            hive.Style = style.Style;
            hive.Root.AddSubKey("K").SetValue({"v", type, data, {}});
            const auto written = FormatRegFile(hive, "HKEY_LOCAL_MACHINE");
            const auto again = ParseRegFile(written, "HKEY_LOCAL_MACHINE");
            const auto& value = ValueOf(again, "K", "v");
            EXPECT_EQ(value.Type, type);
            EXPECT_EQ(value.Data, data);
            EXPECT_EQ(FormatRegFile(again, "HKEY_LOCAL_MACHINE"), written);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, RegTextRoundTrip, testing::ValuesIn(test::AwkwardRegTexts()),
                         vx::test::CaseName{});

TEST(RegFormat, TextThatIsNotUtf8KeepsItsBytesInUtf16Form) {
    // A hand-edited line with a NUL and a byte that is not UTF-8 in its quoted data.
    const std::string file =
        V5 + "[HKEY_LOCAL_MACHINE\\A]\r\n\"a\"=\"x\x80" + std::string(1, '\0') + "y\"\r\n";
    const auto written =
        FormatRegFile(ParseRegFile(file, "HKEY_LOCAL_MACHINE"), "HKEY_LOCAL_MACHINE");
    // The byte that is not UTF-8 travels as the lone surrogate U+DC80, the rest as UTF-16.
    EXPECT_NE(written.find("\"a\"=hex(1):78,00,80,dc,00,00,79,00,00,00\r\n"), std::string::npos)
        << written;
}

TEST(RegFormat, AnEmptyFileIsAnEmptyHive) {
    const auto hive = ParseRegFile("", "HKEY_LOCAL_MACHINE");
    EXPECT_TRUE(hive.Root.SubKeys().empty());
}

TEST(RegFormat, WritingBackKeepsOrderCommentsAndData) {
    const std::string file = V5 + "; machine settings\r\n"
                                  "[HKEY_LOCAL_MACHINE\\Zeta]\r\n"
                                  "\"b\"=\"2\"\r\n"
                                  "; the first one\r\n"
                                  "\"a\"=dword:00000001\r\n"
                                  "\r\n"
                                  "[HKEY_LOCAL_MACHINE\\Alpha\\Deep]\r\n"
                                  "@=hex(7):61,00,00,00,00,00\r\n"
                                  "\"line\"=hex(1):61,00,0a,00,00,00\r\n"
                                  "\r\n"
                                  "; end\r\n";
    const auto hive = ParseRegFile(file, "HKEY_LOCAL_MACHINE");
    const auto written = FormatRegFile(hive, "HKEY_LOCAL_MACHINE");
    EXPECT_EQ(written, file);
}

TEST(RegFormat, LongBinaryValuesWrapAndReadBack) {
    TRegHive hive;
    TRegValue value{"blob", REG_BINARY, std::vector<std::uint8_t>(300, 0xab), {}};
    hive.Root.AddSubKey("K").SetValue(value);
    const auto written = FormatRegFile(hive, "HKEY_LOCAL_MACHINE");
    for (std::size_t start = 0, end; start < written.size(); start = end + 2) {
        end = written.find("\r\n", start);
        EXPECT_LE(end - start, 80u);
    }
    const auto again = ParseRegFile(written, "HKEY_LOCAL_MACHINE");
    EXPECT_EQ(ValueOf(again, "K", "blob").Data, value.Data);
}

TEST(RegFormat, ExportListsEveryKeyOfTheSubtree) {
    TRegKey key("Top");
    key.AddSubKey("Mid").AddSubKey("Leaf");
    const auto text = FormatRegExport(key, "HKEY_CURRENT_USER\\Top");
    EXPECT_EQ(text, V5 + "[HKEY_CURRENT_USER\\Top]\r\n\r\n[HKEY_CURRENT_USER\\Top\\Mid]\r\n"
                         "\r\n[HKEY_CURRENT_USER\\Top\\Mid\\Leaf]\r\n\r\n");
}

} // namespace
} // namespace vx::win
