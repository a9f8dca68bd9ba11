#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "resources/trigger.h"
#include "script/code_unit.h"
#include "script/error_report.h"

namespace bw::test {
namespace {

std::unique_ptr<CTrigger> MakeTrigger(int32_t index, const char* name, const char* constant)
{
    auto trigger = std::make_unique<CTrigger>(index);
    trigger->SetName(name);
    trigger->SetConstantName(constant);
    return trigger;
}

class TriggerTableTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        Trigger_ClearTable();
        Code_Error_ResetState();
    }
};

TEST_F(TriggerTableTest, FindGoesByConstantNameInTableOrder)
{
    EXPECT_EQ(Trigger_Find("trg_shared"), -1);
    EXPECT_EQ(Trigger_Get(0), nullptr);
    // 129 and 1 share bucket 1, where 129 was entered first; bucket 2 comes
    // after it.
    Trigger_Insert(MakeTrigger(2, "second", "trg_shared"));
    Trigger_Insert(MakeTrigger(129, "later", "trg_shared"));
    Trigger_Insert(MakeTrigger(1, "first", "trg_shared"));
    Trigger_Insert(MakeTrigger(5, "other", "trg_other"));
    EXPECT_EQ(Trigger_Count(), 4);
    EXPECT_EQ(Trigger_Find("trg_shared"), 129);
    EXPECT_EQ(Trigger_Find("trg_other"), 5);
    EXPECT_EQ(Trigger_Find("second"), -1);  // names are not constants
    EXPECT_STREQ(Trigger_GetName(1), "first");
    EXPECT_STREQ(Trigger_GetName(3), "");
}

TEST_F(TriggerTableTest, ClearDeletesTriggersWithTheirCode)
{
    auto trigger = MakeTrigger(0, "trg", "trg_c");
    trigger->SetCondition("return 1;");
    ASSERT_TRUE(trigger->Compile());
    ASSERT_NE(trigger->ConditionCode(), nullptr);
    Trigger_Insert(std::move(trigger));
    Trigger_ClearTable();
    EXPECT_EQ(Trigger_Count(), 0);
    EXPECT_FALSE(Trigger_Exists(0));
}

TEST_F(TriggerTableTest, ConditionCompilesUnderTheTriggersName)
{
    CTrigger trigger(3);
    EXPECT_EQ(trigger.moment, 1);
    trigger.SetName("trg_door");
    trigger.SetCondition("return x > 1;");
    ASSERT_TRUE(trigger.Compile());
    EXPECT_EQ(trigger.ConditionCode()->name, "Trigger.trg_door");
    trigger.SetCondition("return x >;");
    EXPECT_FALSE(trigger.Compile());
    trigger.SetCondition(nullptr);
    EXPECT_EQ(trigger.Condition(), "");
}

}  // namespace
}  // namespace bw::test
