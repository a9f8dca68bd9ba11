// A room's list of instances (active or deactivated), linked through the
// instances' own i_next / i_prev fields. The active list runs in ascending
// depth: event passes walk it from the head, drawing from the tail.
#pragma once

#include <cstdint>
#include <map>

namespace bw {

class CInstance;

class InstanceList {
public:
    InstanceList() = default;
    InstanceList(const InstanceList&) = delete;
    InstanceList& operator=(const InstanceList&) = delete;

    // Inserts before the first instance whose sorted depth is greater than
    // the new one's depth, so instances of equal depth keep their order of
    // insertion, the new one last. The instance's sorted depth takes its
    // depth. Logarithmic in the number of distinct depths: rooms are made
    // of tens of thousands of instances, often of one depth.
    void InsertByDepth(CInstance* instance);
    // Both take the instance off any list it is on first. A list is either
    // ordered by depth (InsertByDepth only: the active list) or by arrival
    // (Append only: the deactivated list); an appended instance is not one
    // the depth order looks at.
    void Append(CInstance* instance);
    // Takes the instance out of the list; false (nothing changed) when it is
    // not linked into this list.
    bool Unlink(CInstance* instance);
    // Unlinks and then releases the instance (FreeLinks and delete): the list
    // is the instance's owner.
    bool Remove(CInstance* instance);

    CInstance* First() const { return m_first; }
    CInstance* Last() const { return m_last; }
    int32_t Count() const { return m_count; }
    bool Contains(const CInstance* instance) const;

private:
    // The instances of one sorted depth lie together in the list (apart
    // from instances of a NaN depth, which no depth is greater than: they
    // stay out of the index and only ever go to the tail).
    struct DepthRun {
        CInstance* first = nullptr;
        int32_t count = 0;
    };

    static void Detach(CInstance* instance);
    void LinkBefore(CInstance* instance, CInstance* before);
    void LeaveDepthIndex(CInstance* instance);

    CInstance* m_first = nullptr;
    CInstance* m_last = nullptr;
    int32_t m_count = 0;
    std::map<float, DepthRun> m_depthRuns;  // by sorted depth; -0 and +0 share one
};

}  // namespace bw
