#include "world/instance_list.h"

#include "world/instance.h"

namespace bw {

void InstanceList::InsertByDepth(CInstance* instance)
{
    Detach(instance);
    CInstance* before = m_first;
    while (before != nullptr && !(before->i_sorteddepth > instance->i_depth)) {
        before = before->i_next;
    }
    instance->i_sorteddepth = instance->i_depth;
    LinkBefore(instance, before);
}

void InstanceList::Append(CInstance* instance)
{
    Detach(instance);
    LinkBefore(instance, nullptr);
}

void InstanceList::LinkBefore(CInstance* instance, CInstance* before)
{
    instance->i_next = before;
    instance->i_prev = before != nullptr ? before->i_prev : m_last;
    (instance->i_prev != nullptr ? instance->i_prev->i_next : m_first) = instance;
    (before != nullptr ? before->i_prev : m_last) = instance;
    instance->i_list = this;
    ++m_count;
}

// An instance lies on at most one list: linking it again first takes it off
// the list it is on, so no list is ever left pointing at it.
void InstanceList::Detach(CInstance* instance)
{
    if (instance->i_list != nullptr) {
        instance->i_list->Unlink(instance);
    }
}

bool InstanceList::Contains(const CInstance* instance) const
{
    return instance->i_list == this;
}

bool InstanceList::Unlink(CInstance* instance)
{
    if (instance == nullptr || !Contains(instance)) {
        return false;
    }
    (instance->i_prev != nullptr ? instance->i_prev->i_next : m_first) = instance->i_next;
    (instance->i_next != nullptr ? instance->i_next->i_prev : m_last) = instance->i_prev;
    instance->i_next = nullptr;
    instance->i_prev = nullptr;
    instance->i_list = nullptr;
    --m_count;
    return true;
}

bool InstanceList::Remove(CInstance* instance)
{
    if (!Unlink(instance)) {
        return false;
    }
    instance->FreeLinks();
    delete instance;
    return true;
}

}  // namespace bw
