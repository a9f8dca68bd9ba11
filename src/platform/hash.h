// The bucket hash keyed by a 32-bit integer (instance ids, object indices,
// triggers, ds_map key hashes). A key lives in bucket key & mask, and a bucket
// keeps its nodes in insertion order. Game code sees the resulting order
// (ds_map iteration and ds_map_write, name searches that take the first
// match), so walks always go bucket 0 to the last, each bucket first to last.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <list>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

namespace bw {

template <typename V>
class Hash {
public:
    struct Node {
        uint32_t key;
        V value;
    };

private:
    using Bucket = std::list<Node>;

    template <bool IsConst>
    class BasicIterator {
        using Table = std::conditional_t<IsConst, const Hash, Hash>;
        using BucketIterator = std::conditional_t<IsConst, typename Bucket::const_iterator, typename Bucket::iterator>;

    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Node;
        using difference_type = std::ptrdiff_t;
        using pointer = std::conditional_t<IsConst, const Node*, Node*>;
        using reference = std::conditional_t<IsConst, const Node&, Node&>;

        BasicIterator() = default;
        BasicIterator(Table* table, size_t bucket) : m_table(table), m_bucket(bucket)
        {
            if (m_bucket < m_table->m_buckets.size()) {
                m_node = m_table->m_buckets[m_bucket].begin();
                SkipEmptyBuckets();
            }
        }

        reference operator*() const { return *m_node; }
        pointer operator->() const { return &*m_node; }
        BasicIterator& operator++()
        {
            ++m_node;
            SkipEmptyBuckets();
            return *this;
        }
        BasicIterator operator++(int)
        {
            BasicIterator before = *this;
            ++*this;
            return before;
        }
        // Past-the-end iterators carry no node, so only the bucket tells them.
        bool operator==(const BasicIterator& other) const
        {
            return m_bucket == other.m_bucket && (AtEnd() || m_node == other.m_node);
        }

    private:
        bool AtEnd() const { return m_table == nullptr || m_bucket >= m_table->m_buckets.size(); }
        void SkipEmptyBuckets()
        {
            while (m_node == m_table->m_buckets[m_bucket].end()) {
                if (++m_bucket == m_table->m_buckets.size()) {
                    return;
                }
                m_node = m_table->m_buckets[m_bucket].begin();
            }
        }

        Table* m_table = nullptr;
        size_t m_bucket = 0;
        BucketIterator m_node{};
    };

public:
    using iterator = BasicIterator<false>;
    using const_iterator = BasicIterator<true>;

    // The bucket count is meant to be a power of two; any other count still
    // works (key & mask never passes the last bucket), only spreads keys
    // less evenly. 0 would leave no bucket at all and counts as 1.
    explicit Hash(uint32_t bucketCount) : m_buckets(bucketCount == 0 ? 1 : bucketCount) {}

    uint32_t Mask() const { return static_cast<uint32_t>(m_buckets.size() - 1); }
    int32_t Count() const { return m_count; }

    // Duplicates are allowed; a later one stays behind the earlier.
    void Insert(uint32_t key, V value)
    {
        BucketOf(key).push_back(Node{key, std::move(value)});
        ++m_count;
    }

    // The value of the first node with the key; null when there is none. The
    // value stays where it is until its node is deleted.
    V* Find(uint32_t key)
    {
        for (Node& node : BucketOf(key)) {
            if (node.key == key) {
                return &node.value;
            }
        }
        return nullptr;
    }
    const V* Find(uint32_t key) const { return const_cast<Hash*>(this)->Find(key); }

    // Unlinks the first node with the key and hands its value back.
    std::optional<V> Delete(uint32_t key)
    {
        return DeleteFirst(key, [](const V&) { return true; });
    }

    // Unlinks the first node with both the key and the value: with duplicate
    // keys, the node of one particular value.
    bool Delete(uint32_t key, const V& value)
    {
        return DeleteFirst(key, [&value](const V& candidate) { return candidate == value; }).has_value();
    }

    void Clear() { Clear([](V&) {}); }

    // Empties the buckets from the last to the first, each from its first
    // node, handing every value to release once its node is unlinked (so
    // release sees the table without it). The buckets themselves stay.
    template <typename Release>
    void Clear(Release&& release)
    {
        for (size_t index = m_buckets.size(); index-- > 0;) {
            Bucket& bucket = m_buckets[index];
            while (!bucket.empty()) {
                V value = std::move(bucket.front().value);
                bucket.pop_front();
                --m_count;
                release(value);
            }
        }
    }

    iterator begin() { return iterator(this, 0); }
    iterator end() { return iterator(this, m_buckets.size()); }
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, m_buckets.size()); }

private:
    Bucket& BucketOf(uint32_t key) { return m_buckets[key & Mask()]; }

    template <typename Match>
    std::optional<V> DeleteFirst(uint32_t key, Match&& match)
    {
        Bucket& bucket = BucketOf(key);
        for (auto node = bucket.begin(); node != bucket.end(); ++node) {
            if (node->key == key && match(node->value)) {
                std::optional<V> value(std::move(node->value));
                bucket.erase(node);
                --m_count;
                return value;
            }
        }
        return std::nullopt;
    }

    std::vector<Bucket> m_buckets;
    int32_t m_count = 0;
};

}  // namespace bw
