#include "world/listed_pass.h"

#include "world/event.h"

namespace bw {

ListedEvent::ListedEvent(const CObject& object, int32_t type, int32_t number)
    : m_object(&object), m_index(object.index), m_type(type), m_number(number)
{
    LookUp();
}

void ListedEvent::LookUp()
{
    m_version = Object_EventsVersion();
    m_owner = m_index;
    m_event = m_object->FindEvent(m_type, m_number, &m_owner);
}

bool ListedEvent::PerformOn(CInstance* instance)
{
    if (instance->i_objindex == m_index) {
        Event_PerformFound(instance, instance, m_event, m_owner, m_type, m_number);
    } else {
        Event_Perform(instance, instance, m_type, m_number);
    }
    if (Object_EventsVersion() == m_version) {
        return true;
    }
    if (Object_Find(m_index) != m_object) {
        return false;
    }
    LookUp();
    return true;
}

}  // namespace bw
