// A world whose objects come from an OBJT image, with event code compiled
// from text. Event code reports through two built-ins: note(...) records
// its arguments with the running event's globals, and perform_again()
// performs the running event once more on self.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "object_test_image.h"
#include "platform/console.h"
#include "script/code_chunks.h"
#include "script/code_unit.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/world_access.h"
#include "world/event.h"
#include "world/object.h"
#include "world/object_lists.h"
#include "world/object_loader.h"
#include "world/script_access.h"
#include "world_fixture.h"

namespace bw::test {

struct Note {
    int32_t self = 0;        // instance id
    int32_t object = 0;      // event globals while the code ran
    int32_t type = 0;
    int32_t number = 0;
    std::vector<double> args;
};

inline std::vector<Note>& Notes()
{
    static std::vector<Note> notes;
    return notes;
}

inline std::string& ConsoleLines()
{
    static std::string lines;
    return lines;
}

class ObjectWorldTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        CODE_Clear();
        World_RegisterScriptAccess();
        RegisterBuiltin("note", &NoteBuiltin, kBuiltinArgCountAny);
        RegisterBuiltin("perform_again", &PerformAgainBuiltin, 0);
        Code_Error_ResetState();
        Code_Error_SetShowErrors(false);
        Notes().clear();
        ConsoleLines().clear();
        Console_SetDebugListener([](const char* line) { ConsoleLines() += line; });
        Event_Current() = CurrentEvent{};
    }

    void TearDown() override
    {
        Console_SetDebugListener(nullptr);
        ObjectLists_Free();
        Code_Error_ResetState();
        Code_Error_SetShowErrors(true);
        WorldTest::TearDown();
        Code_WorldAccess() = WorldAccess{};
    }

    // Loads the objects (the image stays alive with the test) and prepares
    // them; false when either fails.
    bool Load(const std::vector<ObjectSpec>& objects, uint32_t format = 13)
    {
        image = std::make_unique<ObjtImage>(objects, format);
        return LoadImage(format) && Object_Prepare();
    }
    bool LoadImage(uint32_t format = 13)
    {
        return Object_LoadChunk(image->View(), image->chunkOffset, image->chunkLength, format);
    }

    std::unique_ptr<ObjtImage> image;

private:
    static void RegisterBuiltin(const char* name, BuiltinFunctionProc fn, int32_t argc)
    {
        int32_t id = -1;
        if (!Code_Function_Find(name, &id)) {
            Code_Function_Register(name, fn, argc);
        }
    }

    static void NoteBuiltin(Value*, CInstance* self, CInstance*, int32_t argc, Value* args)
    {
        const CurrentEvent& current = Event_Current();
        Note note{self != nullptr ? self->i_id : 0, current.object, current.type, current.number, {}};
        for (int32_t i = 0; i < argc; ++i) {
            note.args.push_back(args[i].real);
        }
        Notes().push_back(note);
    }

    static void PerformAgainBuiltin(Value*, CInstance* self, CInstance* other, int32_t, Value*)
    {
        Event_Perform(self, other, Event_Current().type, Event_Current().number);
    }
};

}  // namespace bw::test
