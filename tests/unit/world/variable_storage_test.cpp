#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "platform/stream.h"
#include "world_fixture.h"

namespace bw::test {
namespace {

// A user-variable name table of the game under test: "v0", "v1", ... for
// ids 100000, 100001, ...
const char* TestGetName(int32_t id)
{
    static std::map<int32_t, std::string> names;
    if (id < kVariableUserIdBase || id >= kVariableUserIdBase + 1000) {
        return nullptr;
    }
    std::string& name = names[id];
    name = "v" + std::to_string(id - kVariableUserIdBase);
    return name.c_str();
}

int32_t TestFind(const char* name)
{
    if (name[0] != 'v' || name[1] == '\0') {
        return -1;
    }
    char* end = nullptr;
    const long index = std::strtol(name + 1, &end, 10);
    return *end == '\0' && index >= 0 && index < 1000 ? kVariableUserIdBase + static_cast<int32_t>(index) : -1;
}

class VariableStorageTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        Variable_NameLookups().getName = &TestGetName;
        Variable_NameLookups().find = &TestFind;
    }

    static double Read(const CVariableList& list, int32_t id, int32_t index = -1)
    {
        Value out;
        EXPECT_TRUE(list.GetVar(id, index, &out));
        return out.real;
    }
};

TEST_F(VariableStorageTest, IdsSharingABucketAreBothFoundNewestFirst)
{
    CVariableList list;
    const Value one = Real(1.0);
    const Value two = Real(2.0);
    list.SetVar(100000, -1, &one);
    list.SetVar(100064, -1, &two);
    EXPECT_EQ(Read(list, 100000), 1.0);
    EXPECT_EQ(Read(list, 100064), 2.0);
    std::string printed;
    list.Print(printed);
    EXPECT_EQ(printed, "v64(100064) = 2\nv0(100000) = 1\n");
}

TEST_F(VariableStorageTest, UnsetVariableReadsZeroOrTheSentinelWhenStrict)
{
    CVariableList list;
    Value out;
    EXPECT_TRUE(list.GetVar(100003, -1, &out));
    EXPECT_EQ(out.real, 0.0);
    Variable_SetStrictReads(true);
    EXPECT_FALSE(list.GetVar(100003, -1, &out));
    EXPECT_EQ(out.real, 12345678.9);
}

TEST_F(VariableStorageTest, ClearedNodesAreReusedBeforeAnyIsAllocated)
{
    // The first variables live inside the list; the ones past them take
    // shared nodes.
    CVariableList list;
    const Value one = Real(1.0);
    const int32_t beyondInline = CVariableList::kInlineNodes + 2;
    for (int32_t id = 100000; id < 100000 + beyondInline; ++id) {
        list.SetVar(id, -1, &one);
    }
    list.Clear();
    const int32_t allocated = CVariableList::NodesAllocated();
    const int32_t freeBefore = CVariableList::NodesFree();
    for (int32_t id = 200000; id < 200000 + beyondInline; ++id) {
        list.SetVar(id, -1, &one);
    }
    EXPECT_EQ(CVariableList::NodesAllocated(), allocated);
    EXPECT_EQ(CVariableList::NodesFree(), freeBefore - 2);
    EXPECT_FALSE(list.Exists(100000));
    EXPECT_TRUE(list.Exists(200000 + beyondInline - 1));
}

TEST_F(VariableStorageTest, ArrayElementsAreReadAndWrittenByIndex)
{
    CVariableList list;
    const Value five = Real(5.0);
    list.SetVar(100000, 32000 * 2 + 3, &five);
    EXPECT_EQ(Read(list, 100000, 32000 * 2 + 3), 5.0);
    Value out;
    EXPECT_FALSE(list.GetVar(100000, 32000 * 9, &out)) << "row past the array";
    EXPECT_TRUE(Value_OutOfRange().failed);
    EXPECT_EQ(Read(list, 100000, 32000 * 2 + 3), 5.0);
    EXPECT_FALSE(Value_OutOfRange().failed) << "each access starts with a clear flag";
}

TEST_F(VariableStorageTest, CopyIsDeepAndInBucketOrder)
{
    CVariableList source;
    Value text;
    Value_SetString(text, "abc");
    source.SetVar(100001, -1, &text);
    Value_Free(text);
    CVariableList copy;
    copy.CopyFrom(source);
    const Value one = Real(1.0);
    source.SetVar(100001, -1, &one);
    std::string printed;
    copy.Print(printed);
    EXPECT_EQ(printed, "v1(100001) = \"abc\"\n");
}

TEST_F(VariableStorageTest, GlobalvarFlagsGrowByThousandsAndMakeTheGlobal)
{
    EXPECT_EQ(Variable_FlagCount(), 10000);
    EXPECT_EQ(Variable_IsFlagged(100000 + 10000), 0);
    Variable_SetFlagged(100000 + 10000);
    EXPECT_EQ(Variable_FlagCount(), 11000);
    EXPECT_EQ(Variable_IsFlagged(100000 + 10000), 1);
    EXPECT_TRUE(Variable_GlobalList().Exists(110000));
    Variable_SetFlagged(5);
    EXPECT_EQ(Variable_FlagCount(), 11000) << "built-ins are never flagged";
    EXPECT_EQ(Variable_IsFlagged(-5), 0);
    EXPECT_EQ(Variable_IsFlagged(2147483647), 0);
}

TEST_F(VariableStorageTest, SlotsAreTheStoredValueInPlaceAndOnlyUserVariablesHaveThem)
{
    AddObject(0);
    CInstance* instance = AddInstance(0);
    EXPECT_EQ(Variable_Slot(instance, 100007, false), nullptr) << "a read makes nothing";
    EXPECT_FALSE(instance->i_vars->Exists(100007));
    Value* slot = Variable_Slot(instance, 100007, true);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(Value_Kind(*slot), kValueReal);
    EXPECT_EQ(slot->real, 0.0);
    slot->real = 4.0;
    EXPECT_EQ(Read(*instance->i_vars, 100007), 4.0);

    // Variables made later, in the same bucket too, leave the slot where it is.
    for (int32_t id = 100000; id < 100000 + 3 * CVariableList::kBucketCount; ++id) {
        instance->i_vars->Ensure(id);
    }
    EXPECT_EQ(Variable_Slot(instance, 100007, false), slot);

    Value* global = Variable_Slot(nullptr, 100007, true);
    ASSERT_NE(global, nullptr);
    EXPECT_NE(global, slot);
    EXPECT_EQ(global, Variable_Slot(nullptr, 100007, false));
    EXPECT_TRUE(Variable_GlobalList().Exists(100007));

    EXPECT_EQ(Variable_Slot(instance, 5, true), nullptr) << "built-ins keep their getters";
    EXPECT_EQ(Variable_Slot(nullptr, 5, true), nullptr);
}

TEST_F(VariableStorageTest, FlagsVersionMovesWhenADeclarationChangesAFlag)
{
    uint32_t version = Variable_FlagsVersion();
    Variable_SetFlagged(100003);
    EXPECT_NE(Variable_FlagsVersion(), version);
    version = Variable_FlagsVersion();
    Variable_SetFlagged(100003);
    Variable_SetFlagged(7);
    EXPECT_EQ(Variable_FlagsVersion(), version) << "nothing changed";

    CStream saved;
    ASSERT_TRUE(Variable_Global_SaveState(saved));
    Variable_Global_Init();
    EXPECT_NE(Variable_FlagsVersion(), version);
    version = Variable_FlagsVersion();
    saved.Seek(0);
    ASSERT_TRUE(Variable_Global_LoadState(saved));
    EXPECT_NE(Variable_FlagsVersion(), version);
    EXPECT_NE(Variable_FlagsVersion(), 0u);
}

TEST_F(VariableStorageTest, DestroyedTargetIsNeitherReadNorWritten)
{
    AddObject(0);
    CInstance* target = AddInstance(0);
    const Value one = Real(1.0);
    EXPECT_TRUE(Variable_SetOnTarget(target->i_id, 100000, -1, &one));
    target->i_marked = 1;
    const Value two = Real(2.0);
    EXPECT_TRUE(Variable_SetOnTarget(target->i_id, 100000, -1, &two)) << "writing a destroyed id succeeds";
    Value out;
    EXPECT_FALSE(Variable_GetOnTarget(target->i_id, 100000, -1, &out));
    EXPECT_EQ(Read(*target->i_vars, 100000), 1.0) << "and changes nothing";
    EXPECT_TRUE(Variable_SetOnTarget(999999, 100000, -1, &two)) << "an absent id too";
}

TEST_F(VariableStorageTest, ObjectTargetsReachLiveInstancesAndThoseChangingIntoIt)
{
    AddObject(0);
    AddObject(1);
    CInstance* a = AddInstance(0);
    CInstance* b = AddInstance(0);
    CInstance* changing = AddInstance(1);
    b->i_deactivated = 1;
    changing->ChangeObject(0);
    const Value seven = Real(7.0);
    EXPECT_TRUE(Variable_SetOnTarget(0, 100000, -1, &seven));
    EXPECT_EQ(Read(*a->i_vars, 100000), 7.0);
    EXPECT_FALSE(b->i_vars->Exists(100000));
    EXPECT_EQ(Read(*changing->i_vars, 100000), 7.0);
    Value out;
    EXPECT_TRUE(Variable_GetOnTarget(kSelectorAll, 100000, -1, &out));
    EXPECT_EQ(out.real, 7.0);
    EXPECT_FALSE(Variable_GetOnTarget(-4, 100000, -1, &out));
    EXPECT_FALSE(Variable_SetOnTarget(-1, 100000, -1, &seven));
}

TEST_F(VariableStorageTest, GlobalScopeKeepsItsOwnValues)
{
    const Value three = Real(3.0);
    EXPECT_TRUE(Variable_Global_Set(100004, -1, &three));
    Value out;
    EXPECT_TRUE(Variable_Global_Get(100004, -1, &out));
    EXPECT_EQ(out.real, 3.0);
    EXPECT_FALSE(Variable_GetValue(nullptr, 100004, -1, &out)) << "no self, no instance variable";
}

TEST_F(VariableStorageTest, ArrayPrintFormStopsAfterThirtyRows)
{
    Value array;
    const Value one = Real(1.0);
    for (int32_t row = 0; row < 31; ++row) {
        Value_ArraySet(array, one, row * 32000);
    }
    std::string printed;
    Variable_PrintValue(printed, array);
    std::string expected = "{ ";
    for (int32_t row = 0; row < 30; ++row) {
        expected += "{ 1},  ";
    }
    expected += " ...  }";
    EXPECT_EQ(printed, expected);

    Value wide;
    for (int32_t column = 0; column < 32; ++column) {
        Value_ArraySet(wide, Real(column + 0.5), column);
    }
    printed.clear();
    Variable_PrintValue(printed, wide);
    EXPECT_EQ(printed.rfind("{ { 0.500000 ,1.500000 ,", 0), 0u);
    EXPECT_NE(printed.find(" ,29.500000 ... },   }"), std::string::npos) << printed;
    Value_Free(array);
    Value_Free(wide);
}

TEST_F(VariableStorageTest, SaveAndLoadRoundTripAList)
{
    CVariableList saved;
    Value text;
    Value_SetString(text, "hello");
    saved.SetVar(100000, -1, &text);
    Value_Free(text);
    const Value half = Real(0.5);
    saved.SetVar(100064, 32001, &half);
    saved.SetVar(100002, -1, &half);
    CStream stream;
    ASSERT_TRUE(saved.SaveGame(stream));

    stream.Seek(0);
    CVariableList loaded;
    const Value stale = Real(9.0);
    loaded.SetVar(100500, -1, &stale);
    ASSERT_TRUE(loaded.LoadGame(stream));
    EXPECT_EQ(stream.GetPosition(), stream.GetSize());
    EXPECT_EQ(loaded.Count(), 3);
    EXPECT_FALSE(loaded.Exists(100500)) << "loading replaces the list";
    Value out;
    ASSERT_TRUE(loaded.GetVar(100000, -1, &out));
    EXPECT_STREQ(Value_String(out), "hello");
    Value_Free(out);
    EXPECT_EQ(Read(loaded, 100064, 32001), 0.5);
    EXPECT_EQ(Read(loaded, 100002), 0.5);
}

TEST_F(VariableStorageTest, GlobalStateRoundTripsWithItsFlags)
{
    Variable_SetFlagged(100007);
    const Value four = Real(4.0);
    Variable_Global_Set(100007, -1, &four);
    CStream stream;
    ASSERT_TRUE(Variable_Global_SaveState(stream));
    Variable_Global_Init();
    stream.Seek(0);
    ASSERT_TRUE(Variable_Global_LoadState(stream));
    EXPECT_EQ(Variable_IsFlagged(100007), 1);
    EXPECT_EQ(Variable_IsFlagged(100006), 0);
    EXPECT_EQ(Read(Variable_GlobalList(), 100007), 4.0);
}

// Builds the bytes of a saved list by hand.
struct SaveBytes {
    CStream stream;
    SaveBytes& Count(int32_t count)
    {
        stream.WriteInteger(count);
        return *this;
    }
    SaveBytes& Name(const char* name)
    {
        stream.WriteBuffer(name, static_cast<int64_t>(std::strlen(name)) + 1);
        return *this;
    }
    SaveBytes& Real(double real)
    {
        stream.WriteInteger(kValueReal);
        stream.WriteReal(real);
        stream.WriteBuffer("\x04", 2);
        return *this;
    }
    CStream& Rewound()
    {
        stream.Seek(0);
        return stream;
    }
};

TEST_F(VariableStorageTest, LoadRefusesCountsAndTextsTheBytesCannotHold)
{
    struct Case {
        const char* what;
        SaveBytes bytes;
    };
    Case cases[4];
    cases[0].what = "no count";
    cases[1].what = "count beyond the bytes";
    cases[1].bytes.Count(2000000000).Name("v1").Real(1.0);
    cases[2].what = "negative count";
    cases[2].bytes.Count(-1);
    cases[3].what = "name without its end";
    cases[3].bytes.Count(1).stream.WriteBuffer("v1v1v1", 6);
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        CVariableList list;
        EXPECT_FALSE(list.LoadGame(c.bytes.Rewound()));
        EXPECT_EQ(list.Count(), 0);
    }
}

TEST_F(VariableStorageTest, LoadDropsUnknownNamesAndStopsAtDamagedValues)
{
    SaveBytes unknown;
    unknown.Count(2).Name("nobody").Real(3.0).Name("v2").Real(4.0);
    CVariableList list;
    EXPECT_TRUE(list.LoadGame(unknown.Rewound()));
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(Read(list, 100002), 4.0);

    SaveBytes damaged;
    damaged.Count(2).Name("v1").Real(1.0).Name("v2");
    damaged.stream.WriteInteger(kValueArray);
    damaged.stream.WriteInteger(100000);
    EXPECT_FALSE(list.LoadGame(damaged.Rewound()));
    EXPECT_EQ(Read(list, 100001), 1.0) << "what was read before the damage stays";
    EXPECT_FALSE(list.Exists(100002));
}

TEST_F(VariableStorageTest, GlobalLoadRefusesAFlagCountTheBytesCannotHold)
{
    CStream stream;
    CVariableList empty;
    empty.SaveGame(stream);
    stream.WriteInteger(1 << 30);
    stream.WriteInteger(1);
    stream.Seek(0);
    EXPECT_FALSE(Variable_Global_LoadState(stream));
}

}  // namespace
}  // namespace bw::test
