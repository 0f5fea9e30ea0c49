#include "httpservice/IntegrityToken.h"
#include "httpservice/MachineKey.h"
#include "support/LoopbackPort.h"
#include "support/TestPeer.h"
#include "vxhealth/HealthOutput.h"

#include <sstream>

#include <gtest/gtest.h>

namespace vx::vxhealth {
namespace {

TEST(VxhealthOutput, JsonStringsAreEscaped) {
    const struct {
        const char* Name;
        std::string Text;
        std::string Json;
    } cases[] = {
        {"plain", "working", R"("working")"},
        {"empty", "", R"("")"},
        {"quote and backslash", R"(a "b" \c)", R"("a \"b\" \\c")"},
        {"line breaks and tab", "a\r\nb\tc", R"("a\u000d\u000ab\u0009c")"},
        {"NUL, escape and DEL", std::string("a\0b\x1b\x7f", 5), R"("a\u0000b\u001b\u007f")"},
        {"UTF-8 as it is",
         "Pr\xc3\xbc"
         "fung",
         "\"Pr\xc3\xbc"
         "fung\""},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.Name);
        EXPECT_EQ(JsonString(row.Text), row.Json);
    }
}

// A service that answers with something other than HTTP gets a Windows error text, which
// ends in CR LF: neither output may carry it.
class VxhealthPrint : public ::testing::Test {
protected:
    void SetUp() override {
        httpservice::SetMachineKey("00330-80000-00000-AA123");
        FWorking.SetReply(test::TTestPeer::Reply(200, httpservice::IntegrityToken("VXUpdSvc")));
        FTester.AddTest(FWorking.Port(), "VXUpdSvc", "Updater");
        FTester.AddTest(FGarbage.Port(), "VXFSSvc", "Scanner");
        FTester.AddTest(test::FreeLoopbackPort(), "VXMonSvc", "Monitor");
        EXPECT_FALSE(FTester.TestAll());
    }
    void TearDown() override { httpservice::ClearMachineKey(); }

    test::TTestPeer FWorking;
    test::TTestPeer FGarbage{"garbage"};
    health::TWebThreadTester FTester;
};

TEST_F(VxhealthPrint, TextHasOneLinePerServiceAndProblem) {
    std::ostringstream out;
    PrintText(FTester, out);
    EXPECT_EQ(out.str(), "Updater: working\n"
                         "Scanner: unavailable\n"
                         "Monitor: unavailable\n"
                         "Scanner: 12152: The server returned an invalid or unrecognized response\n"
                         "Monitor: Could not connect to server!\n");
}

TEST_F(VxhealthPrint, JsonHasOneObjectPerServiceAndLine) {
    std::ostringstream out;
    PrintJson(FTester, out);
    const std::string expected =
        R"({"name":"Updater","service":"VXUpdSvc","port":)" + std::to_string(FWorking.Port()) +
        R"(,"status":"working","message":""})"
        "\n"
        R"({"name":"Scanner","service":"VXFSSvc","port":)" +
        std::to_string(FGarbage.Port()) +
        R"(,"status":"unavailable","message":"12152: The server returned an invalid or unrecognized response"})"
        "\n";
    EXPECT_EQ(out.str().substr(0, expected.size()), expected);
    EXPECT_NE(out.str().find(R"("status":"unavailable","message":"Could not connect to server!"})"
                             "\n"),
              std::string::npos)
        << out.str();
}

} // namespace
} // namespace vx::vxhealth
