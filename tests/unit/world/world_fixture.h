// A small world for the tests: objects made on the spot, one current room,
// sprites from a table, the built-in table registered, and every global of
// the world reset before and after each test.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "world/builtin_variables.h"
#include "world/game_state.h"
#include "world/instance.h"
#include "world/instance_table.h"
#include "world/object.h"
#include "world/resource_lookups.h"
#include "world/room.h"
#include "world/variable_access.h"
#include "world/variable_list.h"

namespace bw::test {

inline std::map<int32_t, SpriteInfo>& FakeSprites()
{
    static std::map<int32_t, SpriteInfo> sprites;
    return sprites;
}

inline bool FakeSpriteLookup(int32_t index, SpriteInfo* info)
{
    const auto found = FakeSprites().find(index);
    if (found == FakeSprites().end()) {
        return false;
    }
    *info = found->second;
    return true;
}

class WorldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetWorld();
        Variable_Init();
        Variable_Global_Init();
        World_ResourceLookups().sprite = &FakeSpriteLookup;
        Room_SetCurrent(&room, 0);
    }

    void TearDown() override
    {
        while (room.activeInstances.First() != nullptr) {
            CInstance* instance = room.activeInstances.First();
            InstanceHash_Remove(instance->i_id, instance);
            room.activeInstances.Remove(instance);
        }
        ResetWorld();
    }

    static void ResetWorld()
    {
        Instance_FreeAll();
        Instance_ObjectChangeQueue().Clear();
        Instance_DepthChangeQueue().Clear();
        Object_FreeAll();
        Room_SetCurrent(nullptr, -1);
        NewRoomRequest = -1;
        FakeSprites().clear();
        World_ResourceLookups() = ResourceLookups{};
        GameState_Hooks() = GameStateHooks{};
        Game_Counters() = GameCounters{};
        Variable_NameLookups() = VariableNameLookups{};
        Variable_SetStrictReads(false);
        Variable_FreeAll();
    }

    CObject* AddObject(int32_t index, int32_t sprite = -1, int32_t depth = 0)
    {
        auto* object = new CObject(index);
        object->sprite = sprite;
        object->depth = depth;
        Object_Insert(object);
        return object;
    }

    // Made the way the room makes instances: in the id table and the
    // active list by depth.
    CInstance* AddInstance(int32_t objectIndex, int32_t id = 0)
    {
        auto* instance = new CInstance(0.0f, 0.0f, id != 0 ? id : nextId++, objectIndex, true);
        InstanceHash_Insert(instance->i_id, instance);
        room.activeInstances.InsertByDepth(instance);
        return instance;
    }

    static Value Real(double real)
    {
        Value value;
        Value_SetReal(value, real);
        return value;
    }

    CRoom room;
    int32_t nextId = kInstanceIdFirst;
};

}  // namespace bw::test
