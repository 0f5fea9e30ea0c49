#include "platform/GlobalAtom.h"

#include "support/ChildProcess.h"
#include "support/TempPrefix.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <string>

#include <gtest/gtest.h>

namespace vx::win {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class GlobalAtomTest : public ::testing::Test {
protected:
    void SetUp() override { FPrefix.Install(); }

    // A reference to the atom "lock" as another process `pid` holds it.
    void ForeignReference(pid_t pid) const {
        fs::create_directories(FPrefix.Dir() / "atoms");
        std::ofstream(FPrefix.Dir() / "atoms" / ("lock@" + std::to_string(pid) + "-0"));
    }

    test::TTempPrefix FPrefix;
};

TEST_F(GlobalAtomTest, AddFindDeleteWithoutRegardToCase) {
    EXPECT_EQ(GlobalFindAtomA("Lock"), 0);
    const ATOM atom = GlobalAddAtomA("Lock");
    ASSERT_GE(atom, 0xC000);
    EXPECT_EQ(GlobalFindAtomA("LOCK"), atom);
    EXPECT_EQ(GlobalFindAtomA("lock"), atom);
    EXPECT_EQ(GlobalFindAtomA("Lock2"), 0);
    EXPECT_EQ(GlobalDeleteAtom(atom), 0);
    EXPECT_EQ(GlobalFindAtomA("Lock"), 0);
    EXPECT_EQ(GlobalDeleteAtom(atom), atom) << "no reference left to delete";
}

TEST_F(GlobalAtomTest, EveryAddIsAReferenceOfItsOwn) {
    const ATOM first = GlobalAddAtomA("Lock");
    EXPECT_EQ(GlobalAddAtomA("lock"), first);
    EXPECT_EQ(GlobalDeleteAtom(first), 0);
    EXPECT_EQ(GlobalFindAtomA("Lock"), first) << "one reference is still held";
    EXPECT_EQ(GlobalDeleteAtom(first), 0);
    EXPECT_EQ(GlobalFindAtomA("Lock"), 0);
}

TEST_F(GlobalAtomTest, NamesThatMakeNoFileNameAreEscaped) {
    for (const std::string name : {"../escape", "a/b", "with@sign", ".hidden", "ä %41"}) {
        SCOPED_TRACE(name);
        const ATOM atom = GlobalAddAtomA(name);
        ASSERT_NE(atom, 0);
        EXPECT_EQ(GlobalFindAtomA(name), atom);
        EXPECT_EQ(GlobalDeleteAtom(atom), 0);
        EXPECT_EQ(GlobalFindAtomA(name), 0);
    }
    EXPECT_FALSE(fs::exists(FPrefix.Dir() / "escape"));
    EXPECT_EQ(GlobalAddAtomA(""), 0);
    EXPECT_EQ(GlobalAddAtomA(std::string(256, 'a')), 0);
    EXPECT_NE(GlobalAddAtomA(std::string(255, 'a')), 0);
}

TEST_F(GlobalAtomTest, AnotherLivingProcessHoldsIt) {
    test::TChildProcess other("/bin/sleep", {"30"});
    ForeignReference(other.Pid());
    EXPECT_NE(GlobalFindAtomA("Lock"), 0);
    EXPECT_EQ(GlobalDeleteAtom(GlobalFindAtomA("Lock")), GlobalFindAtomA("Lock"))
        << "another process's reference is not ours to delete";

    other.Signal(SIGKILL);
    ASSERT_TRUE(other.Wait(10s).has_value());
    EXPECT_EQ(GlobalFindAtomA("Lock"), 0) << "an ended holder holds nothing";
    EXPECT_TRUE(fs::is_empty(FPrefix.Dir() / "atoms")) << "its reference is cleared away";
}

TEST(GlobalAtomWithoutPrefix, NothingIsAdded) {
    EXPECT_EQ(GlobalAddAtomA("Lock"), 0);
    EXPECT_EQ(GlobalFindAtomA("Lock"), 0);
}

} // namespace
} // namespace vx::win
