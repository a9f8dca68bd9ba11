#include "world/instance_list.h"

#include <cmath>

#include "world/instance.h"

namespace bw {

// Same order as walking from the head to the first instance whose sorted
// depth is greater: the runs of the index are the list's depths in order,
// so that instance is the first of the next deeper run.
void InstanceList::InsertByDepth(CInstance* instance)
{
    Detach(instance);
    const float depth = instance->i_depth;
    instance->i_sorteddepth = depth;
    if (std::isnan(depth)) {
        LinkBefore(instance, nullptr);
        return;
    }
    const auto deeper = m_depthRuns.upper_bound(depth);
    LinkBefore(instance, deeper != m_depthRuns.end() ? deeper->second.first : nullptr);
    DepthRun& run = m_depthRuns.try_emplace(deeper, depth)->second;
    if (run.count++ == 0) {
        run.first = instance;
    }
    instance->i_depthindexed = true;
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

// Called while the instance is still linked: a run that loses its first
// instance starts at the next one of its depth, which follows it in the
// list (only instances outside the index can lie between).
void InstanceList::LeaveDepthIndex(CInstance* instance)
{
    if (!instance->i_depthindexed) {
        return;
    }
    instance->i_depthindexed = false;
    const auto run = m_depthRuns.find(instance->i_sorteddepth);
    if (--run->second.count == 0) {
        m_depthRuns.erase(run);
        return;
    }
    if (run->second.first == instance) {
        CInstance* next = instance->i_next;
        while (!next->i_depthindexed || next->i_sorteddepth != instance->i_sorteddepth) {
            next = next->i_next;
        }
        run->second.first = next;
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
    LeaveDepthIndex(instance);
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
