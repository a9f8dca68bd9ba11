// A room's list of instances (active or deactivated), linked through the
// instances' own i_next / i_prev fields. The active list runs in ascending
// depth: event passes walk it from the head, drawing from the tail.
#pragma once

#include <cstdint>

namespace bw {

class CInstance;

class InstanceList {
public:
    // Inserts before the first instance whose sorted depth is greater than
    // the new one's depth, so instances of equal depth keep their order of
    // insertion, the new one last. The instance's sorted depth takes its depth.
    void InsertByDepth(CInstance* instance);
    // Both take the instance off any list it is on first.
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
    static void Detach(CInstance* instance);
    void LinkBefore(CInstance* instance, CInstance* before);

    CInstance* m_first = nullptr;
    CInstance* m_last = nullptr;
    int32_t m_count = 0;
};

}  // namespace bw
