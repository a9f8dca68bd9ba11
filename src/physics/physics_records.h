// Fixtures and joints are both kept for the whole game in one list each,
// found by an id counted from 1 that is never handed out twice.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace bw {

template <typename Record>
class PhysicsRecords {
public:
    // A new record with the next id.
    Record& Add()
    {
        auto record = std::make_unique<Record>();
        record->id = ++m_lastId;
        m_records.push_back(std::move(record));
        return *m_records.back();
    }

    Record* Find(int32_t id) const
    {
        const auto at = std::find_if(m_records.begin(), m_records.end(),
                                     [id](const auto& record) { return record->id == id; });
        return at != m_records.end() ? at->get() : nullptr;
    }

    // False when there is no such record.
    bool Erase(int32_t id)
    {
        return std::erase_if(m_records, [id](const auto& record) { return record->id == id; }) > 0;
    }

    const std::vector<std::unique_ptr<Record>>& All() const { return m_records; }
    std::vector<std::unique_ptr<Record>>& All() { return m_records; }

private:
    int32_t m_lastId = 0;
    std::vector<std::unique_ptr<Record>> m_records;
};

}  // namespace bw
