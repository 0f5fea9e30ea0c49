#include "decisions/DecisionList.h"

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

namespace vx::decisions {
namespace {

TStrings Fields(const std::string& Item) {
    return {"module=m", "information=i", "item=" + Item};
}

TEST(DecisionList, IdentifiersCountUpAndPositionsFollowRemovals) {
    TDecisionList List;
    const auto First = List.Add(Fields("a"));
    const auto Second = List.Add(Fields("b"));
    EXPECT_EQ(First->DecisionID, 0u);
    EXPECT_EQ(Second->DecisionID, 1u);
    EXPECT_EQ(Second->Index(), 1);

    List.Delete(0);
    EXPECT_EQ(List.Count(), 1);
    TStrings Lines;
    Second->GetKeyValueLines(Lines);
    EXPECT_EQ(Lines.front(), "id=1");
    EXPECT_EQ(Lines.back(), "index=0");
    // The removed decision is still readable by whoever holds it, but is no longer listed.
    EXPECT_EQ(First->Index(), -1);
    EXPECT_EQ(First->Item, "a");
    // Identifiers are never reused.
    EXPECT_EQ(List.Add()->DecisionID, 2u);
}

TEST(DecisionList, PositionsOutsideTheListRaise) {
    TDecisionList List;
    List.Add();
    for (int Index : {-1, 1, 100}) {
        EXPECT_THROW(List.Items(Index), EDecisionListError);
        EXPECT_THROW(List.Delete(Index), EDecisionListError);
        EXPECT_THROW(List.ApplyVerdict(Index, true), EDecisionListError);
    }
    try {
        List.Items(3);
    } catch (const EDecisionListError& Error) {
        EXPECT_EQ(Error.Message(), "List index out of bounds (3)");
    }
    EXPECT_EQ(List.Count(), 1);
}

TEST(DecisionList, StatusAndListForms) {
    TDecisionList List;
    TStrings Empty;
    List.GetStatusLines(Empty);
    List.GetListLines(Empty);
    EXPECT_TRUE(Empty.empty());

    List.Add(Fields("a"));
    List.Add(Fields("b"));
    TStrings Status;
    List.GetStatusLines(Status);
    ASSERT_EQ(Status.size(), 24u);
    EXPECT_EQ(Status[0], "ID: 0");
    EXPECT_EQ(Status[11], "");
    EXPECT_EQ(Status[12], "ID: 1");
    EXPECT_EQ(Status[23], "");

    TStrings Listed;
    List.GetListLines(Listed);
    ASSERT_EQ(Listed.size(), 28u);
    EXPECT_EQ(Listed[0], "[0]");
    EXPECT_EQ(Listed[1], "id=0");
    EXPECT_EQ(Listed[12], "index=0");
    EXPECT_EQ(Listed[13], "");
    EXPECT_EQ(Listed[14], "[1]");
    EXPECT_EQ(Listed[15], "id=1");
    EXPECT_EQ(Listed[26], "index=1");
    EXPECT_EQ(LinesAsText({"[0]", "id=0", ""}), "[0]\r\nid=0\r\n\r\n");
}

TEST(DecisionList, RemovalIsByIdentity) {
    TDecisionList List;
    const auto A = List.Add(Fields("a"));
    const auto B = List.Add(Fields("b"));
    EXPECT_TRUE(List.Remove(*A));
    EXPECT_FALSE(List.Remove(*A));
    EXPECT_EQ(List.Items(0), B);
    TDecisionList Other;
    EXPECT_FALSE(Other.Remove(*B));
    EXPECT_EQ(List.Count(), 1);
}

TEST(DecisionList, DecisionOutlivingItsListForgetsIt) {
    std::shared_ptr<TDecision> Kept;
    {
        TDecisionList List;
        Kept = List.Add(Fields("a"));
    }
    EXPECT_EQ(Kept->OwnerList(), nullptr);
    EXPECT_EQ(Kept->Index(), -1);
    TStrings Lines;
    Kept->GetKeyValueLines(Lines);
    EXPECT_EQ(Lines.back(), "index=-1");
}

// The user-interface side reads and removes while request threads add.
TEST(DecisionList, ConcurrentAddReadAndRemove) {
    TDecisionList List;
    constexpr int Adds = 2000;
    std::atomic<bool> Done{false};
    std::thread Adder([&] {
        for (int I = 0; I < Adds; ++I) {
            List.Add(Fields(std::to_string(I)));
        }
        Done = true;
    });
    std::thread Lister([&] {
        while (!Done) {
            TStrings Lines;
            List.GetListLines(Lines);
            ASSERT_EQ(Lines.size() % 14, 0u);
        }
    });
    int Removed = 0;
    while (!Done || List.Count() > 0) {
        if (List.Count() == 0) {
            continue;
        }
        const auto Front = List.Items(0);
        TStrings Display;
        Front->GetDisplayLines(Display);
        EXPECT_EQ(Display[1], "Item: " + std::to_string(Front->DecisionID));
        EXPECT_TRUE(List.Remove(*Front));
        ++Removed;
    }
    Adder.join();
    Lister.join();
    EXPECT_EQ(Removed, Adds);
}

} // namespace
} // namespace vx::decisions
