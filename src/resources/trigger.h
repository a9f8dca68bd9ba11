// Triggers: named conditions in BWL, each with the name of a constant that
// game code uses for it. No package chunk carries triggers yet; the record,
// its compilation and the table keyed by trigger id are here for the package
// format that will.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace bw {

class CCode;

class CTrigger {
public:
    explicit CTrigger(int32_t triggerIndex);
    virtual ~CTrigger();
    CTrigger(const CTrigger&) = delete;
    CTrigger& operator=(const CTrigger&) = delete;

    // A null text clears the field.
    void SetName(const char* text);
    void SetCondition(const char* text);
    void SetConstantName(const char* text);

    // Compiles the condition under "Trigger.<name>"; false (message pending)
    // when it does not compile.
    bool Compile();

    const std::string& Name() const { return m_name; }
    const std::string& Condition() const { return m_condition; }
    const std::string& ConstantName() const { return m_constantName; }
    // Null until compiled.
    CCode* ConditionCode() const { return m_conditionCode.get(); }

    int32_t moment = 1;  // kept from the trigger's record; nothing reads it
    const int32_t index;

private:
    std::string m_name;
    std::string m_condition;
    std::string m_constantName;
    std::unique_ptr<CCode> m_conditionCode;
};

// Enters a trigger under its index; a trigger already there with that index
// stays first in line for lookups.
void Trigger_Insert(std::unique_ptr<CTrigger> trigger);
int32_t Trigger_Count();
bool Trigger_Exists(int32_t id);
// Null when there is none.
CTrigger* Trigger_Get(int32_t id);
// The name of trigger id; empty when there is none.
const char* Trigger_GetName(int32_t id);
// The id of the first trigger, in table order, whose constant name equals
// constantName byte for byte; -1 when none.
int32_t Trigger_Find(const char* constantName);
// Deletes every trigger, with its condition code.
void Trigger_ClearTable();

}  // namespace bw
