#include "library/ds_builtins.h"

#include <gtest/gtest.h>

#include <string>

#include "library/ds_map.h"
#include "unit/library/library_test_support.h"

namespace bw {
namespace {

using test::CallBuiltin;
using test::LastError;
using test::ScriptValue;

constexpr char kMissing[] = "Data structure with index does not exist.";

class DSBuiltinsTest : public test::LibraryTest {
protected:
    bool Reported() const { return LastError().find(kMissing) != std::string::npos; }
};

TEST_F(DSBuiltinsTest, MissingIdsAreReportedExceptListAndMapDestroyOfAnEmptiedSlot)
{
    const ScriptValue list = CallBuiltin("ds_list_create", {});
    CallBuiltin("ds_list_destroy", {list});
    CallBuiltin("ds_list_destroy", {list});
    const ScriptValue map = CallBuiltin("ds_map_create", {});
    CallBuiltin("ds_map_destroy", {map});
    CallBuiltin("ds_map_destroy", {map});
    EXPECT_FALSE(Reported());

    const ScriptValue stack = CallBuiltin("ds_stack_create", {});
    CallBuiltin("ds_stack_destroy", {stack});
    CallBuiltin("ds_stack_destroy", {stack});
    EXPECT_TRUE(Reported());
    Code_Error_ResetState();
    CallBuiltin("ds_list_destroy", {5.0});  // outside the pool
    EXPECT_TRUE(Reported());
}

TEST_F(DSBuiltinsTest, EmptyContainersReturnZeroWithoutReport)
{
    const ScriptValue stack = CallBuiltin("ds_stack_create", {});
    EXPECT_EQ(CallBuiltin("ds_stack_pop", {stack}).Real(), 0.0);
    const ScriptValue queue = CallBuiltin("ds_queue_create", {});
    EXPECT_EQ(CallBuiltin("ds_queue_dequeue", {queue}).Real(), 0.0);
    const ScriptValue priority = CallBuiltin("ds_priority_create", {});
    EXPECT_EQ(CallBuiltin("ds_priority_delete_max", {priority}).Real(), 0.0);
    EXPECT_FALSE(Reported());
}

TEST_F(DSBuiltinsTest, IdsAndPositionsRoundToEvenExceptFindIndexTruncates)
{
    for (int i = 0; i < 3; ++i) CallBuiltin("ds_list_create", {});
    for (double v : {10.0, 11.0, 12.0, 13.0}) CallBuiltin("ds_list_add", {2.0, v});
    EXPECT_EQ(CallBuiltin("ds_list_find_value", {2.0, 1.5}).Real(), 12.0);
    EXPECT_EQ(CallBuiltin("ds_list_find_value", {2.0, 2.5}).Real(), 12.0);
    EXPECT_EQ(CallBuiltin("ds_list_find_index", {2.4, 13.0}).Real(), 3.0);
    EXPECT_EQ(CallBuiltin("ds_list_find_index", {2.6, 13.0}).Real(), 3.0);
    EXPECT_FALSE(Reported());
    CallBuiltin("ds_list_size", {2.6});  // rounds to 3: no such list
    EXPECT_TRUE(Reported());
}

TEST_F(DSBuiltinsTest, MapAddReportsWhetherItAdded)
{
    const ScriptValue map = CallBuiltin("ds_map_create", {});
    EXPECT_EQ(CallBuiltin("ds_map_add", {map, "k", 1.0}).Real(), 1.0);
    EXPECT_EQ(CallBuiltin("ds_map_add", {map, "k", 2.0}).Real(), 0.0);
    EXPECT_EQ(CallBuiltin("ds_map_find_value", {map, "k"}).Real(), 1.0);
    EXPECT_EQ(CallBuiltin("ds_map_replace", {map, "n", 3.0}).Real(), 0.0);
    EXPECT_EQ(CallBuiltin("ds_map_replace", {map, "n", 4.0}).Real(), 1.0);
    EXPECT_EQ(CallBuiltin("ds_map_write", {map}).Text(), "1:6B:3FF0,1:6E:4010");
}

TEST_F(DSBuiltinsTest, NestedIdsComeOutAsPlainReals)
{
    const ScriptValue map = CallBuiltin("json_decode", {R"({"list":[1,2]})"});
    const ScriptValue list = CallBuiltin("ds_map_find_value", {map, "list"});
    EXPECT_EQ(list.Get().kind, kValueReal);
    EXPECT_EQ(CallBuiltin("ds_list_size", {list}).Real(), 2.0);
    // Putting the plain id elsewhere gives no ownership: clearing that map keeps the list.
    const ScriptValue other = CallBuiltin("ds_map_create", {});
    CallBuiltin("ds_map_add", {other, "x", list});
    CallBuiltin("ds_map_clear", {other});
    EXPECT_EQ(CallBuiltin("ds_list_size", {list}).Real(), 2.0);
    CallBuiltin("ds_map_destroy", {map});
    EXPECT_EQ(DS_ListPool().Get(static_cast<int32_t>(list.Real())), nullptr);
}

TEST_F(DSBuiltinsTest, MapCreateWithOneArgumentTakesTheBucketCount)
{
    const ScriptValue result = CallBuiltin("ds_map_create", {16.9});
    EXPECT_EQ(DS_MapPool().Get(static_cast<int32_t>(result.Real()))->m_mask, 15u);
}

TEST_F(DSBuiltinsTest, GridSortNeedsThreeRealsAndOtherwiseStaysSilent)
{
    int32_t id = -1;
    ASSERT_TRUE(Code_Function_Find("ds_grid_sort", &id));
    ScriptValue args[3] = {7.0, "0", 1.0};
    ScriptValue result;
    Code_Function_CallBuiltin(id, &result.Get(), nullptr, nullptr, 2, &args[0].Get());
    Code_Function_CallBuiltin(id, &result.Get(), nullptr, nullptr, 1, &args[0].Get());
    CallBuiltin("ds_grid_sort", {7.0, "0", 1.0});
    EXPECT_FALSE(Reported());
    CallBuiltin("ds_grid_sort", {7.0, 0.0, 1.0});
    EXPECT_TRUE(Reported());
}

TEST_F(DSBuiltinsTest, GridBuiltinsWorkOnCellsRegionsAndDisks)
{
    const ScriptValue grid = CallBuiltin("ds_grid_create", {3.0, 3.0});
    CallBuiltin("ds_grid_set_region", {grid, 0.0, 0.0, 2.0, 2.0, 1.0});
    CallBuiltin("ds_grid_add_disk", {grid, 1.0, 1.0, 0.5, 4.0});
    CallBuiltin("ds_grid_multiply", {grid, 2.0, 2.0, 3.0});
    EXPECT_EQ(CallBuiltin("ds_grid_get", {grid, 1.0, 1.0}).Real(), 5.0);
    EXPECT_EQ(CallBuiltin("ds_grid_get_sum", {grid, 0.0, 0.0, 2.0, 2.0}).Real(), 15.0);
    EXPECT_EQ(CallBuiltin("ds_grid_get_disk_max", {grid, 2.0, 2.0, 0.0}).Real(), 3.0);
    EXPECT_EQ(CallBuiltin("ds_grid_value_x", {grid, 0.0, 0.0, 2.0, 2.0, 3.0}).Real(), 2.0);
    EXPECT_EQ(CallBuiltin("ds_grid_value_disk_exists", {grid, 0.0, 0.0, 1.0, 3.0}).Real(), 0.0);
    EXPECT_EQ(CallBuiltin("ds_grid_create", {-1.0, 3.0}).Real(), -1.0);
    const ScriptValue copy = CallBuiltin("ds_grid_create", {1.0, 1.0});
    CallBuiltin("ds_grid_copy", {copy, grid});
    EXPECT_EQ(CallBuiltin("ds_grid_write", {copy}).Text(), CallBuiltin("ds_grid_write", {grid}).Text());
}

TEST_F(DSBuiltinsTest, ReadBuiltinsIgnoreTextsOfAnotherKind)
{
    const ScriptValue list = CallBuiltin("ds_list_create", {});
    CallBuiltin("ds_list_add", {list, 5.0});
    const ScriptValue stack = CallBuiltin("ds_stack_create", {});
    CallBuiltin("ds_stack_push", {stack, 1.0});
    CallBuiltin("ds_list_read", {list, CallBuiltin("ds_stack_write", {stack})});
    CallBuiltin("ds_list_read", {list, 0.0});
    EXPECT_EQ(CallBuiltin("ds_list_size", {list}).Real(), 1.0);
    EXPECT_FALSE(Reported());
}

}  // namespace
}  // namespace bw
