// The test world with game code: objects get events from code text, and the
// record(text) built-in notes who ran what, so a test reads the order in
// which events were performed. Instances made by the room take ids from
// 200001 up, apart from the fixture's own from 100000. ShapesWorldTest adds
// sprites whose boxes and pixel masks the collision tests meet.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "script/code_unit.h"
#include "script/constants.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/world_access.h"
#include "unit/world/script_state.h"
#include "unit/world/world_fixture.h"
#include "world/event.h"
#include "world/resource_lookups.h"
#include "world/room.h"
#include "world/script_access.h"

namespace bw::test {

inline constexpr int32_t kRoomMadeIdBase = 200000;

inline std::string& Recorded()
{
    static std::string text;
    return text;
}

// record(values...): "<self id>:<values joined by ','>;" for each call.
inline void RecordBuiltin(Value*, CInstance* self, CInstance*, int32_t argc, Value* args)
{
    std::string& out = Recorded();
    out += std::to_string(self != nullptr ? self->i_id : 0) + ":";
    for (int32_t i = 0; i < argc; ++i) {
        if (i > 0) {
            out += ',';
        }
        Value_ToString(out, args[i]);
    }
    out += ';';
}

// The built-in called as game code running for self and other calls it:
// result preset to real 0. The arguments stay the caller's; the result's
// payload becomes the caller's.
inline void CallAs(const char* name, CInstance* self, CInstance* other, std::vector<Value> args, Value* result)
{
    int32_t id = -1;
    ASSERT_TRUE(Code_Function_Find(name, &id)) << name;
    Code_Function_CallBuiltin(id, result, self, other, static_cast<int32_t>(args.size()), args.data());
}

class EventWorldTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        World_RegisterScriptAccess();
        Code_Constant_Free();
        Code_Constant_Init();
        Code_Error_ResetState();
        Code_Error_SetShowErrors(false);
        int32_t id = -1;
        if (!Code_Function_Find("record", &id)) {
            Code_Function_Register("record", &RecordBuiltin, kBuiltinArgCountAny);
        }
        Recorded().clear();
        Instance_SetLastId(kRoomMadeIdBase);
        Event_Current() = CurrentEvent{};
    }

    void TearDown() override
    {
        // Deactivated instances reach their objects when freed: they go
        // before the objects do.
        room.DeleteInactiveInstances();
        ScriptState_Reset();
        Event_Current() = CurrentEvent{};
        WorldTest::TearDown();
        Code_WorldAccess() = WorldAccess{};
    }

    // The object's event (type, number) runs the code text.
    void SetEvent(CObject* object, int32_t type, int32_t number, const char* text)
    {
        auto unit = std::make_unique<CCode>(text, false);
        ASSERT_TRUE(unit->Compile("Test.event")) << Code_Error_PendingMessage();
        auto event = std::make_unique<CEvent>();
        event->code = unit.get();
        event->text = "";
        object->SetEvent(type, number, std::move(event));
        m_units.push_back(std::move(unit));
    }

    // A child object: its parent link resolved as the loader does.
    CObject* AddChild(int32_t index, int32_t parent)
    {
        CObject* child = AddObject(index);
        child->SetParent(parent);
        return child;
    }

    static std::string LastError()
    {
        const char* text = Code_Error_LastText();
        return text != nullptr ? text : "";
    }

private:
    std::vector<std::unique_ptr<CCode>> m_units;  // events refer to them
};

// Sprites for shape tests, all with the origin at the top-left corner: a
// 16 x 16 block and a 16 x 64 post whose boxes decide, and a 16 x 16 ring
// whose pixel masks are asked for precise tests and hold nothing solid, so
// that a precise test never meets it while its box does.
inline constexpr int32_t kBlockSprite = 0;
inline constexpr int32_t kPostSprite = 1;
inline constexpr int32_t kHollowSprite = 2;

inline SpriteInfo BoxSprite(int32_t width, int32_t height, bool precise)
{
    SpriteInfo sprite;
    sprite.frameCount = 1;
    sprite.width = width;
    sprite.height = height;
    sprite.bboxRight = width - 1;
    sprite.bboxBottom = height - 1;
    sprite.precise = precise;
    return sprite;
}

class ShapesWorldTest : public EventWorldTest {
protected:
    void SetUp() override
    {
        EventWorldTest::SetUp();
        FakeSprites()[kBlockSprite] = BoxSprite(16, 16, false);
        FakeSprites()[kPostSprite] = BoxSprite(16, 64, false);
        FakeSprites()[kHollowSprite] = BoxSprite(16, 16, true);
        SpriteCollisionTests& pixels = World_ResourceLookups().spriteCollision;
        pixels.sprite = [](int32_t, const SpritePlacement&, int32_t, const SpritePlacement&) { return false; };
        pixels.point = [](int32_t, const SpritePlacement&, int32_t, int32_t) { return false; };
        pixels.rectangle = [](int32_t, const SpritePlacement&, int32_t, int32_t, int32_t, int32_t) { return false; };
        pixels.ellipse = [](int32_t, const SpritePlacement&, int32_t, int32_t, int32_t, int32_t) { return false; };
        pixels.line = [](int32_t, const SpritePlacement&, int32_t, int32_t, int32_t, int32_t) { return false; };
    }

    // An instance of the object at (x, y).
    CInstance* At(int32_t object, float x, float y)
    {
        CInstance* instance = AddInstance(object);
        instance->SetPosition(x, y);
        return instance;
    }
};

}  // namespace bw::test
