// The tables of particle types and systems: the id is the index, and a
// destroyed record stays in place, not in use, for the next create to take.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace bw {

template <typename Record>
class ParticleTable {
public:
    // Null for an id out of range or not in use.
    Record* Get(int32_t id) const
    {
        if (id < 0 || id >= Length() || !m_records[static_cast<size_t>(id)]->inUse) {
            return nullptr;
        }
        return m_records[static_cast<size_t>(id)].get();
    }

    // The lowest id not in use, holding a new record; the table grows by
    // one when every id is in use.
    int32_t Create()
    {
        for (size_t id = 0; id < m_records.size(); ++id) {
            if (!m_records[id]->inUse) {
                *m_records[id] = Record{};
                return static_cast<int32_t>(id);
            }
        }
        m_records.push_back(std::make_unique<Record>());
        return Length() - 1;
    }

    // Runs edit on the record when the id is in use.
    template <typename Change>
    void Edit(int32_t id, Change change) const
    {
        if (Record* record = Get(id)) {
            change(*record);
        }
    }

    int32_t Length() const { return static_cast<int32_t>(m_records.size()); }
    void Clear() { m_records.clear(); }

private:
    std::vector<std::unique_ptr<Record>> m_records;
};

}  // namespace bw
