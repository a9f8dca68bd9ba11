#include "world/variable_access.h"

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/stream.h"
#include "world/builtin_variables.h"
#include "world/instance.h"
#include "world/instance_table.h"
#include "world/object.h"
#include "world/room.h"
#include "world/variable_list.h"

namespace bw {

namespace {

constexpr int32_t kFlagsAtStart = 10000;
constexpr int32_t kFlagsGrowth = 1000;

std::unique_ptr<CVariableList>& GlobalListSlot()
{
    static std::unique_ptr<CVariableList> list;
    return list;
}

std::vector<uint8_t>& Flags()
{
    static std::vector<uint8_t> flags;
    return flags;
}

uint32_t& FlagsVersion()
{
    static uint32_t version = 1;
    return version;
}

void FlagsChanged()
{
    uint32_t& version = FlagsVersion();
    version = version == UINT32_MAX ? 1 : version + 1;
}

// The live instances an object index names, in the order writes reach them.
template <typename Visit>
void ForEachLiveOfObject(int32_t objectIndex, Visit&& visit)
{
    Instance_ForEachOfObject(objectIndex,
                             [&visit](CInstance* instance) { return !Instance_IsLive(instance) || visit(instance); });
}

CInstance* FirstLiveInRoom()
{
    const CRoom* room = Room_Current();
    for (CInstance* at = room != nullptr ? room->activeInstances.First() : nullptr; at != nullptr; at = at->i_next) {
        if (Instance_IsLive(at)) {
            return at;
        }
    }
    return nullptr;
}

}  // namespace

bool Variable_GetValue(CInstance* self, int32_t id, int32_t arrayIndex, Value* out)
{
    if (id >= kVariableBuiltinIdLimit) {
        return self != nullptr && self->i_vars->GetVar(id, arrayIndex, out);
    }
    const BuiltinVariable* entry = Variable_BuiltIn_Get(id);
    return entry != nullptr && entry->getter != nullptr && entry->getter(self, arrayIndex, out);
}

bool Variable_SetValue(CInstance* self, int32_t id, int32_t arrayIndex, const Value* in)
{
    if (id >= kVariableBuiltinIdLimit) {
        if (self == nullptr) {
            return false;
        }
        self->i_vars->SetVar(id, arrayIndex, in);
        return true;
    }
    const BuiltinVariable* entry = Variable_BuiltIn_Get(id);
    if (entry == nullptr || !entry->canSet || entry->setter == nullptr) {
        return false;
    }
    return entry->setter(self, arrayIndex, in);
}

CVariableList& Variable_GlobalList()
{
    std::unique_ptr<CVariableList>& list = GlobalListSlot();
    if (list == nullptr) {
        list = std::make_unique<CVariableList>();
    }
    return *list;
}

Value* Variable_Slot(CInstance* instance, int32_t id, bool create)
{
    if (id < kVariableBuiltinIdLimit) {
        return nullptr;
    }
    CVariableList& list = instance != nullptr ? *instance->i_vars : Variable_GlobalList();
    return list.Slot(id, create);
}

bool Variable_Global_Get(int32_t id, int32_t arrayIndex, Value* out)
{
    if (id >= kVariableBuiltinIdLimit) {
        return Variable_GlobalList().GetVar(id, arrayIndex, out);
    }
    return Variable_GetValue(nullptr, id, arrayIndex, out);
}

bool Variable_Global_Set(int32_t id, int32_t arrayIndex, const Value* in)
{
    if (id >= kVariableBuiltinIdLimit) {
        Variable_GlobalList().SetVar(id, arrayIndex, in);
        return true;
    }
    return Variable_SetValue(nullptr, id, arrayIndex, in);
}

bool Variable_GetOnInstance(int32_t instanceId, int32_t id, int32_t arrayIndex, Value* out)
{
    CInstance* instance = Instance_Find(instanceId);
    return instance != nullptr && !instance->i_marked && Variable_GetValue(instance, id, arrayIndex, out);
}

bool Variable_GetOnObject(int32_t objectIndex, int32_t id, int32_t arrayIndex, Value* out)
{
    CInstance* first = nullptr;
    ForEachLiveOfObject(objectIndex, [&first](CInstance* instance) {
        first = instance;
        return false;
    });
    return first != nullptr && Variable_GetValue(first, id, arrayIndex, out);
}

bool Variable_GetOnTarget(int32_t selector, int32_t id, int32_t arrayIndex, Value* out)
{
    if (selector == kSelectorAll) {
        CInstance* first = FirstLiveInRoom();
        return first != nullptr && Variable_GetValue(first, id, arrayIndex, out);
    }
    if (selector < 0) {
        return false;
    }
    if (selector >= kInstanceIdFirst) {
        return Variable_GetOnInstance(selector, id, arrayIndex, out);
    }
    return Variable_GetOnObject(selector, id, arrayIndex, out);
}

bool Variable_SetOnTarget(int32_t selector, int32_t id, int32_t arrayIndex, const Value* in)
{
    bool result = true;
    if (selector == kSelectorAll) {
        const CRoom* room = Room_Current();
        for (CInstance* at = room != nullptr ? room->activeInstances.First() : nullptr; at != nullptr;
             at = at->i_next) {
            if (Instance_IsLive(at)) {
                result = Variable_SetValue(at, id, arrayIndex, in);
            }
        }
    } else if (selector < 0) {
        result = false;
    } else if (selector >= kInstanceIdFirst) {
        CInstance* instance = Instance_Find(selector);
        if (instance != nullptr && !instance->i_marked) {
            result = Variable_SetValue(instance, id, arrayIndex, in);
        }
    } else {
        ForEachLiveOfObject(selector, [&](CInstance* instance) {
            result = Variable_SetValue(instance, id, arrayIndex, in);
            return true;
        });
    }
    return result;
}

uint8_t Variable_IsFlagged(int32_t id)
{
    const int64_t index = static_cast<int64_t>(id) - kVariableUserIdBase;
    const std::vector<uint8_t>& flags = Flags();
    return index >= 0 && index < static_cast<int64_t>(flags.size()) ? flags[static_cast<size_t>(index)] : 0;
}

void Variable_SetFlagged(int32_t id)
{
    if (id < kVariableUserIdBase) {
        return;
    }
    const auto index = static_cast<size_t>(id - kVariableUserIdBase);
    std::vector<uint8_t>& flags = Flags();
    size_t length = flags.size();
    while (index >= length) {
        length += kFlagsGrowth;
    }
    flags.resize(length, 0);
    if (flags[index] == 0) {
        flags[index] = 1;
        FlagsChanged();
    }
    Variable_GlobalList().Ensure(id);
}

const uint32_t& Variable_FlagsVersion()
{
    return FlagsVersion();
}

int32_t Variable_FlagCount()
{
    return static_cast<int32_t>(Flags().size());
}

void Variable_Global_Init()
{
    GlobalListSlot() = std::make_unique<CVariableList>();
    Flags().assign(kFlagsAtStart, 0);
    FlagsChanged();
}

bool Variable_Global_SaveState(CStream& stream)
{
    bool written = Variable_GlobalList().SaveGame(stream) && stream.WriteInteger(Variable_FlagCount());
    for (const uint8_t flag : Flags()) {
        written = written && stream.WriteInteger(flag != 0 ? 1 : 0);
    }
    return written;
}

bool Variable_Global_LoadState(CStream& stream)
{
    if (!Variable_GlobalList().LoadGame(stream)) {
        return false;
    }
    const int64_t left = stream.GetSize() - stream.GetPosition();
    if (left < 4) {
        return false;
    }
    const int32_t count = stream.ReadInteger();
    // Each flag takes four bytes: a count the bytes cannot hold is damage,
    // not a reason to allocate.
    if (count < 0 || count > (left - 4) / 4) {
        return false;
    }
    std::vector<uint8_t>& flags = Flags();
    flags.assign(static_cast<size_t>(count), 0);
    FlagsChanged();
    for (uint8_t& flag : flags) {
        flag = stream.ReadInteger() != 0 ? 1 : 0;
    }
    return true;
}

void Variable_FreeAll()
{
    Variable_BuiltIn_Free();
    GlobalListSlot().reset();
    std::vector<uint8_t>().swap(Flags());
    FlagsChanged();
}

}  // namespace bw
