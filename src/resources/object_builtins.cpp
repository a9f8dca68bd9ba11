// The object_* built-ins: queries and setters of the object records, the
// parent chain, and adding and deleting objects.
#include "platform/console.h"
#include "resources/resource_builtins.h"
#include "resources/resource_builtins_args.h"
#include "script/error_report.h"
#include "world/object.h"
#include "world/object_lists.h"

namespace bw {
namespace {

bool HasFlag(const CObject& object, uint32_t flag)
{
    return (object.flags & flag) != 0;
}

void SetFlag(CObject& object, uint32_t flag, bool on)
{
    object.flags = on ? (object.flags | flag) : (object.flags & ~flag);
}

BW_RESOURCE_QUERY(ObjectGetSprite, CObject, Object_Find, r->sprite)
BW_RESOURCE_QUERY(ObjectGetSolid, CObject, Object_Find, HasFlag(*r, kObjectFlagSolid))
BW_RESOURCE_QUERY(ObjectGetVisible, CObject, Object_Find, HasFlag(*r, kObjectFlagVisible))
BW_RESOURCE_QUERY(ObjectGetDepth, CObject, Object_Find, r->depth)
BW_RESOURCE_QUERY(ObjectGetPersistent, CObject, Object_Find, HasFlag(*r, kObjectFlagPersistent))
BW_RESOURCE_QUERY(ObjectGetMask, CObject, Object_Find, r->mask)
BW_RESOURCE_QUERY(ObjectGetParent, CObject, Object_Find, r->parent)

#define BW_OBJECT_EDIT(name, statement)                          \
    BW_BUILTIN(name)                                             \
    {                                                            \
        if (CObject* object = Object_Find(Arg_Int(args[0]))) {   \
            statement;                                           \
        }                                                        \
    }

BW_OBJECT_EDIT(ObjectSetSprite, object->sprite = Arg_Int(args[1]))
BW_OBJECT_EDIT(ObjectSetSolid, SetFlag(*object, kObjectFlagSolid, Arg_Above(args[1])))
BW_OBJECT_EDIT(ObjectSetVisible, SetFlag(*object, kObjectFlagVisible, Arg_Above(args[1])))
BW_OBJECT_EDIT(ObjectSetDepth, object->depth = Arg_Int(args[1]))
BW_OBJECT_EDIT(ObjectSetPersistent, SetFlag(*object, kObjectFlagPersistent, Arg_Above(args[1])))
BW_OBJECT_EDIT(ObjectSetMask, object->mask = Arg_Int(args[1]))

BW_BUILTIN(ObjectExists)
{
    Result_SetBool(result, Object_Exists(Arg_Int(args[0])));
}

BW_BUILTIN(ObjectGetName)
{
    Result_SetString(result, Object_Name(Arg_Int(args[0])));
}

// 1 when par is on obj's parent chain, 0 when the chain ends first, -1
// when obj does not exist.
BW_BUILTIN(ObjectIsAncestor)
{
    const CObject* object = Object_Find(Arg_Int(args[0]));
    Result_SetReal(result, object == nullptr ? -1.0 : object->IsChildOf(Arg_Int(args[1])) ? 1.0 : 0.0);
}

BW_BUILTIN(ObjectAdd)
{
    Result_SetReal(result, Object_Add());
}

BW_BUILTIN(ObjectDelete)
{
    if (!Object_Delete(Arg_Int(args[0]))) {
        Code_Error_Runtime("Trying to delete non-existing object.", false);
    }
}

BW_BUILTIN(ObjectEventDeprecated)
{
    Console().Printf("object_event_add :: deprecated function\n");
}

// The event keeps its code: clearing only rebuilds the event lists, and
// only when the object itself has the event.
BW_BUILTIN(ObjectEventClear)
{
    const CObject* object = Object_Find(Arg_Int(args[0]));
    if (object != nullptr && object->GetEvent(Arg_Int(args[1]), Arg_Int(args[2])) != nullptr) {
        Object_BuildEventLists();
    }
}

// A parent that is the object itself or one of its descendants would make
// the chain a loop; it is refused.
BW_BUILTIN(ObjectSetParent)
{
    const int32_t index = Arg_Int(args[0]);
    CObject* object = Object_Find(index);
    if (object == nullptr) {
        return;
    }
    const int32_t parent = Arg_Int(args[1]);
    if (parent >= 0) {
        const CObject* parentObject = Object_Find(parent);
        if (parentObject == nullptr) {
            Code_Error_Runtime("Setting a non-existing parent.", false);
            return;
        }
        if (parent == index || parentObject->IsChildOf(index)) {
            Code_Error_Runtime("Creating a cycle in the parent relation.", false);
            return;
        }
    }
    object->SetParent(parent < 0 ? -1 : parent);
    Object_BuildEventLists();
}

const BuiltinRegistration kObjects[] = {
    {"object_exists", &ObjectExists, 1},
    {"object_get_name", &ObjectGetName, 1},
    {"object_name", &ObjectGetName, 1},
    {"object_get_sprite", &ObjectGetSprite, 1},
    {"object_get_solid", &ObjectGetSolid, 1},
    {"object_get_visible", &ObjectGetVisible, 1},
    {"object_get_depth", &ObjectGetDepth, 1},
    {"object_get_persistent", &ObjectGetPersistent, 1},
    {"object_get_mask", &ObjectGetMask, 1},
    {"object_get_parent", &ObjectGetParent, 1},
    {"object_is_ancestor", &ObjectIsAncestor, 2},
    {"object_set_sprite", &ObjectSetSprite, 2},
    {"object_set_solid", &ObjectSetSolid, 2},
    {"object_set_visible", &ObjectSetVisible, 2},
    {"object_set_depth", &ObjectSetDepth, 2},
    {"object_set_persistent", &ObjectSetPersistent, 2},
    {"object_set_mask", &ObjectSetMask, 2},
    {"object_add", &ObjectAdd, 0},
    {"object_delete", &ObjectDelete, 1},
    {"object_event_add", &ObjectEventDeprecated, 4},
    {"object_event_clear", &ObjectEventClear, 3},
    {"object_set_parent", &ObjectSetParent, 2},
};

}  // namespace

std::span<const BuiltinRegistration> ResourceBuiltins_Objects()
{
    return kObjects;
}

}  // namespace bw
