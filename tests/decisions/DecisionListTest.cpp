#include "decisions/DecisionList.h"

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

namespace vx::decisions {
namespace {

TStrings Fields(const std::string& item) {
    return {"module=m", "information=i", "item=" + item};
}

TEST(DecisionList, IdentifiersCountUpAndPositionsFollowRemovals) {
    TDecisionList list;
    const auto first = list.Add(Fields("a"));
    const auto second = list.Add(Fields("b"));
    EXPECT_EQ(first->DecisionID, 0u);
    EXPECT_EQ(second->DecisionID, 1u);
    EXPECT_EQ(second->Index(), 1);

    list.Delete(0);
    EXPECT_EQ(list.Count(), 1);
    TStrings lines;
    second->GetKeyValueLines(lines);
    EXPECT_EQ(lines.front(), "id=1");
    EXPECT_EQ(lines.back(), "index=0");
    // The removed decision is still readable by whoever holds it, but is no longer listed.
    EXPECT_EQ(first->Index(), -1);
    EXPECT_EQ(first->Item, "a");
    // Identifiers are never reused.
    EXPECT_EQ(list.Add()->DecisionID, 2u);
}

// Field text of Fields(item): "m", "i" and the item.
std::size_t FieldBytes(const std::string& item) {
    return 2 + item.size();
}

TEST(DecisionList, AnAddBeyondALimitIsRefusedAndRemovalsMakeRoom) {
    struct TCase {
        const char* Name;
        TDecisionLimits Limits;
    } const cases[] = {
        {"count", {3, 1000}},
        {"text", {1000, 3 * FieldBytes("abc")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TDecisionList list;
        list.SetLimits(c.Limits);
        for (int i = 0; i < 3; ++i) {
            ASSERT_NE(list.Add(Fields("abc")), nullptr);
        }
        EXPECT_EQ(list.TextBytes(), 3 * FieldBytes("abc"));
        EXPECT_EQ(list.Add(Fields("abc")), nullptr);
        EXPECT_EQ(list.Count(), 3);
        EXPECT_EQ(list.Items(2)->DecisionID, 2u); // a refused add takes no identifier

        list.Remove(*list.Items(0));
        EXPECT_EQ(list.TextBytes(), 2 * FieldBytes("abc"));
        const auto added = list.Add(Fields("abc"));
        ASSERT_NE(added, nullptr);
        EXPECT_EQ(added->DecisionID, 3u);
        list.Delete(0);
        list.Delete(0);
        list.Delete(0);
        EXPECT_EQ(list.TextBytes(), 0u);
    }
}

TEST(DecisionList, AnEmptyDecisionBeyondTheCountRaises) {
    TDecisionList list;
    list.SetLimits({1, 1000});
    list.Add();
    EXPECT_THROW(list.Add(), EDecisionListError);
    EXPECT_EQ(list.Count(), 1);
}

TEST(DecisionList, TheTextsAreTheLinesMadeOncePerChange) {
    TDecisionList list;
    EXPECT_EQ(*list.StatusText(), "");
    list.Add(Fields("a"));
    list.Add(Fields("b"));
    const auto status = list.StatusText();
    const auto listed = list.ListText();
    TStrings lines;
    list.GetStatusLines(lines);
    EXPECT_EQ(*status, LinesAsText(lines));
    lines.clear();
    list.GetListLines(lines);
    EXPECT_EQ(*listed, LinesAsText(lines));
    // Shared until the list changes...
    EXPECT_EQ(list.StatusText(), status);
    EXPECT_EQ(list.ListText(), listed);
    // ...and made anew after any change, while a text handed out earlier stays as it was.
    const std::string before(listed->begin(), listed->end()); // a copy, to compare later
    list.Delete(0);
    EXPECT_NE(list.ListText(), listed);
    EXPECT_EQ(list.ListText()->find("[0]\r\nid=1\r\n"), 0u);
    EXPECT_EQ(*listed, before);
    EXPECT_NE(list.StatusText(), status);
}

TEST(DecisionList, PositionsOutsideTheListRaise) {
    TDecisionList list;
    list.Add();
    for (int index : {-1, 1, 100}) {
        EXPECT_THROW(list.Items(index), EDecisionListError);
        EXPECT_THROW(list.Delete(index), EDecisionListError);
        EXPECT_THROW(list.ApplyVerdict(index, true), EDecisionListError);
    }
    try {
        list.Items(3);
    } catch (const EDecisionListError& error) {
        EXPECT_EQ(error.Message(), "List index out of bounds (3)");
    }
    EXPECT_EQ(list.Count(), 1);
}

TEST(DecisionList, StatusAndListForms) {
    TDecisionList list;
    TStrings empty;
    list.GetStatusLines(empty);
    list.GetListLines(empty);
    EXPECT_TRUE(empty.empty());

    list.Add(Fields("a"));
    list.Add(Fields("b"));
    TStrings status;
    list.GetStatusLines(status);
    ASSERT_EQ(status.size(), 24u);
    EXPECT_EQ(status[0], "ID: 0");
    EXPECT_EQ(status[11], "");
    EXPECT_EQ(status[12], "ID: 1");
    EXPECT_EQ(status[23], "");

    TStrings listed;
    list.GetListLines(listed);
    ASSERT_EQ(listed.size(), 28u);
    EXPECT_EQ(listed[0], "[0]");
    EXPECT_EQ(listed[1], "id=0");
    EXPECT_EQ(listed[12], "index=0");
    EXPECT_EQ(listed[13], "");
    EXPECT_EQ(listed[14], "[1]");
    EXPECT_EQ(listed[15], "id=1");
    EXPECT_EQ(listed[26], "index=1");
    EXPECT_EQ(LinesAsText({"[0]", "id=0", ""}), "[0]\r\nid=0\r\n\r\n");
}

TEST(DecisionList, RemovalIsByIdentity) {
    TDecisionList list;
    const auto a = list.Add(Fields("a"));
    const auto b = list.Add(Fields("b"));
    EXPECT_TRUE(list.Remove(*a));
    EXPECT_FALSE(list.Remove(*a));
    EXPECT_EQ(list.Items(0), b);
    TDecisionList other;
    EXPECT_FALSE(other.Remove(*b));
    EXPECT_EQ(list.Count(), 1);
}

TEST(DecisionList, DecisionOutlivingItsListForgetsIt) {
    std::shared_ptr<TDecision> kept;
    {
        TDecisionList list;
        kept = list.Add(Fields("a"));
    }
    EXPECT_EQ(kept->OwnerList(), nullptr);
    EXPECT_EQ(kept->Index(), -1);
    TStrings lines;
    kept->GetKeyValueLines(lines);
    EXPECT_EQ(lines.back(), "index=-1");
}

// The user-interface side reads and removes while request threads add.
TEST(DecisionList, ConcurrentAddReadAndRemove) {
    TDecisionList list;
    constexpr int adds = 2000;
    std::atomic<bool> done{false};
    std::thread adder([&] {
        for (int i = 0; i < adds; ++i) {
            list.Add(Fields(std::to_string(i)));
        }
        done = true;
    });
    std::thread lister([&] {
        while (!done) {
            TStrings lines;
            list.GetListLines(lines);
            ASSERT_EQ(lines.size() % 14, 0u);
        }
    });
    int removed = 0;
    while (!done || list.Count() > 0) {
        if (list.Count() == 0) {
            continue;
        }
        const auto front = list.Items(0);
        TStrings display;
        front->GetDisplayLines(display);
        EXPECT_EQ(display[1], "Item: " + std::to_string(front->DecisionID));
        EXPECT_TRUE(list.Remove(*front));
        ++removed;
    }
    adder.join();
    lister.join();
    EXPECT_EQ(removed, adds);
}

} // namespace
} // namespace vx::decisions
