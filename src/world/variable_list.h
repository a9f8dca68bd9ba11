// CVariableList: the user variables of one instance, or of the global scope,
// in 64 buckets keyed by variable id. Ids of user variables start at 100000;
// the first user name is id 100000.
//
// Order is observable (copies, save games and dumps walk bucket 0 to 63, and
// within a bucket newest first), so the buckets never resize. The first few
// nodes live inside the list, found by a scan of their ids before the
// buckets: most instances have only a handful of variables, and reading one
// then touches the list's own memory instead of a node anywhere in the heap.
// Further nodes come from one free list shared by every list and go back to
// it when a list is cleared, so a running game stops allocating nodes once
// it has enough.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "script/value.h"

namespace bw {

class CStream;

inline constexpr int32_t kVariableUserIdBase = 100000;
inline constexpr int32_t kVariableBuiltinIdLimit = 10000;  // ids below are built-ins
// What an unset variable reads as when strict reads are on.
inline constexpr double kVariableUnsetSentinel = 12345678.9;

class CVariableList {
public:
    static constexpr int32_t kBucketCount = 64;
    static constexpr int32_t kInlineNodes = 4;

    CVariableList() = default;
    virtual ~CVariableList();
    CVariableList(const CVariableList&) = delete;
    CVariableList& operator=(const CVariableList&) = delete;

    // Reads the element at arrayIndex (-1: the whole value). An absent id
    // reads as real 0 (true), or, with strict reads on, as the sentinel
    // (false). Outside an array: false, see Value_OutOfRange.
    bool GetVar(int32_t id, int32_t arrayIndex, Value* out) const;
    // Writes the element at arrayIndex (-1: the whole value), making the
    // variable (real 0) when it is absent.
    void SetVar(int32_t id, int32_t arrayIndex, const Value* in);
    // Makes the variable (real 0) unless it exists.
    void Ensure(int32_t id);
    // The variable's value in place (made, real 0, when absent and create
    // is set; else null when absent). Valid until the list is cleared,
    // loaded or destroyed: nodes never move.
    Value* Slot(int32_t id, bool create);
    bool Exists(int32_t id) const;
    int32_t Count() const { return m_count; }

    // Frees every value; the nodes go back to the shared free list.
    void Clear();
    // A deep copy of other, taken in bucket order.
    void CopyFrom(const CVariableList& other);

    // s32 count, then per variable its name (a NUL-terminated text) and its
    // value in the stream form of Value_Write.
    bool SaveGame(CStream& stream) const;
    // Replaces the list with the variables of a SaveGame form. Names this
    // game does not know are warned about and skipped. The bytes may come
    // from a file: false on any damage (what was read by then is kept).
    bool LoadGame(CStream& stream);

    // "name(id) = value\n" per variable, in bucket order.
    void Print(std::string& out) const;
    // Every variable in bucket order, in place.
    void View(std::vector<VariableView>* out) const;

    // Counts the clears of lists that held nodes (never 0): while it stands
    // still, every slot handed out is where it was.
    static const uint32_t& SlotsVersion();

    // Nodes ever made for all lists together, and those waiting for reuse.
    static int32_t NodesAllocated();
    static int32_t NodesFree();

    struct Node {
        Node* nextInBucket = nullptr;
        Node* nextInChain = nullptr;  // also the link of the free list
        Value value;
        int32_t id = 0;
    };

private:
    Node* Find(int32_t id) const;
    Node* Add(int32_t id);
    bool IsInline(const Node* node) const;
    template <typename Visit>
    void ForEachInBucketOrder(Visit&& visit) const;

    int32_t m_count = 0;
    int32_t m_inlineUsed = 0;
    // The ids of m_inline[0 .. m_inlineUsed), kept apart so that the scan
    // reads one cache line, not one per node.
    int32_t m_inlineIds[kInlineNodes] = {};
    Node m_inline[kInlineNodes];
    Node* m_buckets[kBucketCount] = {};
    Node* m_chain = nullptr;  // every node, newest first
};

// Strict reads: a read of a variable that has no value is an error (a
// package option).
void Variable_SetStrictReads(bool strict);
bool Variable_StrictReads();

// The print form of values in variable dumps: whole reals as integers, other
// reals with six decimals, texts quoted, arrays by rows, at most 30 rows of
// at most 30 elements.
void Variable_PrintValue(std::string& out, const Value& value);

// User variable names live with the compiler, above this layer; it registers
// the two lookups at start-up. Unset: every name is unknown.
struct VariableNameLookups {
    // The name of any variable id; null when the id has none.
    const char* (*getName)(int32_t id) = nullptr;
    // The id of a user variable name, -1 when the game has none.
    int32_t (*find)(const char* name) = nullptr;
};
VariableNameLookups& Variable_NameLookups();
// The name for dumps and saves: built-ins by table, users through the
// lookup, "<unknown variable>" when neither knows it.
const char* Variable_GetName(int32_t id);

}  // namespace bw
