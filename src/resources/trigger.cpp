#include "resources/trigger.h"

#include "platform/hash.h"
#include "script/code_unit.h"

namespace bw {

namespace {

constexpr uint32_t kTriggerBuckets = 128;
// Code unit names are cut here, as the compiler's name buffer always was.
constexpr size_t kMaxUnitName = 255;

Hash<std::unique_ptr<CTrigger>>& Triggers()
{
    static Hash<std::unique_ptr<CTrigger>> triggers(kTriggerBuckets);
    return triggers;
}

void SetText(std::string& field, const char* text)
{
    field = text != nullptr ? text : "";
}

}  // namespace

CTrigger::CTrigger(int32_t triggerIndex) : index(triggerIndex) {}

CTrigger::~CTrigger() = default;

void CTrigger::SetName(const char* text)
{
    SetText(m_name, text);
}

void CTrigger::SetCondition(const char* text)
{
    SetText(m_condition, text);
}

void CTrigger::SetConstantName(const char* text)
{
    SetText(m_constantName, text);
}

bool CTrigger::Compile()
{
    m_conditionCode = std::make_unique<CCode>(m_condition.c_str(), false);
    std::string unitName = "Trigger." + m_name;
    if (unitName.size() > kMaxUnitName) {
        unitName.resize(kMaxUnitName);
    }
    return m_conditionCode->Compile(unitName.c_str());
}

void Trigger_Insert(std::unique_ptr<CTrigger> trigger)
{
    const auto key = static_cast<uint32_t>(trigger->index);
    Triggers().Insert(key, std::move(trigger));
}

int32_t Trigger_Count()
{
    return Triggers().Count();
}

bool Trigger_Exists(int32_t id)
{
    return Trigger_Get(id) != nullptr;
}

CTrigger* Trigger_Get(int32_t id)
{
    std::unique_ptr<CTrigger>* found = Triggers().Find(static_cast<uint32_t>(id));
    return found != nullptr ? found->get() : nullptr;
}

const char* Trigger_GetName(int32_t id)
{
    const CTrigger* trigger = Trigger_Get(id);
    return trigger != nullptr ? trigger->Name().c_str() : "";
}

int32_t Trigger_Find(const char* constantName)
{
    for (const auto& node : Triggers()) {
        if (node.value->ConstantName() == constantName) {
            return node.value->index;
        }
    }
    return -1;
}

void Trigger_ClearTable()
{
    Triggers().Clear();
}

}  // namespace bw
