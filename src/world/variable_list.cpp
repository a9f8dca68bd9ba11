#include "world/variable_list.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/console.h"
#include "platform/stream.h"
#include "platform/strings.h"
#include "world/builtin_variables.h"

namespace bw {

namespace {

constexpr int32_t kPrintLimit = 30;
// The least a saved variable takes: an empty name's NUL and a kind word.
constexpr int64_t kSavedVariableMinBytes = 1 + 4;

bool g_strictReads = false;

struct NodePool {
    CVariableList::Node* free = nullptr;
    int32_t allocated = 0;
    int32_t freeCount = 0;
};

NodePool& Pool()
{
    static NodePool pool;
    return pool;
}

uint32_t g_slotsVersion = 1;

}  // namespace

CVariableList::~CVariableList()
{
    Clear();
}

CVariableList::Node* CVariableList::Find(int32_t id) const
{
    for (int32_t at = 0; at < m_inlineUsed; ++at) {
        if (m_inlineIds[at] == id) {
            return const_cast<Node*>(&m_inline[at]);
        }
    }
    for (Node* node = m_buckets[static_cast<uint32_t>(id) % kBucketCount]; node != nullptr; node = node->nextInBucket) {
        if (node->id == id) {
            return node;
        }
    }
    return nullptr;
}

CVariableList::Node* CVariableList::Add(int32_t id)
{
    Node* node = nullptr;
    NodePool& pool = Pool();
    if (m_inlineUsed < kInlineNodes) {
        m_inlineIds[m_inlineUsed] = id;
        node = &m_inline[m_inlineUsed++];
    } else if (pool.free != nullptr) {
        node = pool.free;
        pool.free = node->nextInChain;
        --pool.freeCount;
    } else {
        node = new Node();
        ++pool.allocated;
    }
    Value_SetReal(node->value, 0.0);
    node->id = id;
    Node*& bucket = m_buckets[static_cast<uint32_t>(id) % kBucketCount];
    node->nextInBucket = bucket;
    bucket = node;
    node->nextInChain = m_chain;
    m_chain = node;
    ++m_count;
    return node;
}

bool CVariableList::GetVar(int32_t id, int32_t arrayIndex, Value* out) const
{
    Value_OutOfRange().failed = false;
    const Node* node = Find(id);
    if (node != nullptr) {
        return Value_ArrayGet(*out, node->value, arrayIndex);
    }
    Value_SetReal(*out, g_strictReads ? kVariableUnsetSentinel : 0.0);
    return !g_strictReads;
}

void CVariableList::SetVar(int32_t id, int32_t arrayIndex, const Value* in)
{
    Value_OutOfRange().failed = false;
    Node* node = Find(id);
    if (node == nullptr) {
        node = Add(id);
    }
    Value_ArraySet(node->value, *in, arrayIndex);
}

void CVariableList::Ensure(int32_t id)
{
    if (Find(id) == nullptr) {
        Add(id);
    }
}

Value* CVariableList::Slot(int32_t id, bool create)
{
    Node* node = Find(id);
    if (node == nullptr) {
        if (!create) {
            return nullptr;
        }
        node = Add(id);
    }
    return &node->value;
}

bool CVariableList::Exists(int32_t id) const
{
    return Find(id) != nullptr;
}

const uint32_t& CVariableList::SlotsVersion()
{
    return g_slotsVersion;
}

void CVariableList::Clear()
{
    if (m_chain != nullptr) {
        g_slotsVersion = g_slotsVersion == UINT32_MAX ? 1 : g_slotsVersion + 1;
    }
    NodePool& pool = Pool();
    while (m_chain != nullptr) {
        Node* node = m_chain;
        m_chain = node->nextInChain;
        Value_Free(node->value);
        Value_SetReal(node->value, 0.0);
        node->nextInBucket = nullptr;
        if (IsInline(node)) {
            node->nextInChain = nullptr;
        } else {
            node->nextInChain = pool.free;
            pool.free = node;
            ++pool.freeCount;
        }
    }
    std::memset(m_buckets, 0, sizeof m_buckets);
    m_count = 0;
    m_inlineUsed = 0;
}

bool CVariableList::IsInline(const Node* node) const
{
    return node >= m_inline && node < m_inline + kInlineNodes;
}

template <typename Visit>
void CVariableList::ForEachInBucketOrder(Visit&& visit) const
{
    for (const Node* head : m_buckets) {
        for (const Node* node = head; node != nullptr; node = node->nextInBucket) {
            visit(*node);
        }
    }
}

void CVariableList::CopyFrom(const CVariableList& other)
{
    if (&other == this) {
        return;
    }
    Clear();
    other.ForEachInBucketOrder([this](const Node& node) { Value_Copy(Add(node.id)->value, node.value); });
}

bool CVariableList::SaveGame(CStream& stream) const
{
    bool written = stream.WriteInteger(m_count);
    ForEachInBucketOrder([&stream, &written](const Node& node) {
        const char* name = Variable_GetName(node.id);
        written = written && stream.WriteBuffer(name, static_cast<int64_t>(std::strlen(name)) + 1)
                  && Value_Write(node.value, stream);
    });
    return written;
}

namespace {

// A NUL-terminated text at the stream's position, as a view into the
// stream's block; false (position unchanged) when no NUL comes before the end.
bool ReadText(CStream& stream, const char** text)
{
    const int64_t position = stream.GetPosition();
    const auto* start = reinterpret_cast<const char*>(stream.GetData()) + position;
    const int64_t left = stream.GetSize() - position;
    if (left <= 0 || std::memchr(start, 0, static_cast<size_t>(left)) == nullptr) {
        return false;
    }
    *text = start;
    stream.Seek(position + static_cast<int64_t>(std::strlen(start)) + 1);
    return true;
}

}  // namespace

bool CVariableList::LoadGame(CStream& stream)
{
    Clear();
    if (stream.GetSize() - stream.GetPosition() < 4) {
        return false;
    }
    const int32_t count = stream.ReadInteger();
    if (count < 0 || count > (stream.GetSize() - stream.GetPosition()) / kSavedVariableMinBytes) {
        return false;
    }
    Value value;
    bool intact = true;
    for (int32_t entry = 0; entry < count && intact; ++entry) {
        const char* name = nullptr;
        if (!ReadText(stream, &name)) {
            intact = false;
            break;
        }
        // The name points into the stream's block: used before the next read.
        const VariableNameLookups& lookups = Variable_NameLookups();
        const int32_t id = lookups.find != nullptr ? lookups.find(name) : -1;
        if (id < 0) {
            Console().Printf("WARNING: Load game failed to find variable \"%s\"\n", name);
        }
        intact = Value_Read(value, stream);
        if (intact && id >= 0) {
            // A damaged save may name a variable twice: the last value wins.
            Node* node = Find(id);
            Value_Copy((node != nullptr ? node : Add(id))->value, value);
        }
    }
    Value_Free(value);
    return intact;
}

void Variable_PrintValue(std::string& out, const Value& value)
{
    switch (Value_Kind(value)) {
    case kValueReal: {
        // A whole real lists every digit of its integer, however large (a
        // 64-bit integer would wrap past 2^63); -0 lists as 0.
        const double real = value.real;
        const bool whole = std::isfinite(real) && real == std::nearbyint(real);
        out += whole ? String_FromWholeReal(real)
                     : String_FromReal(real, std::chars_format::fixed, 6);
        break;
    }
    case kValueString:
        out += '"';
        out += Value_String(value) != nullptr ? Value_String(value) : "";
        out += '"';
        break;
    case kValueArray: {
        out += "{ ";
        const ValueArrayRow* rows = Value_Rows(value);
        const int32_t rowCount = rows != nullptr ? value.rowCount : 0;
        for (int32_t row = 0; row < rowCount && row < kPrintLimit; ++row) {
            out += "{ ";
            for (int32_t column = 0; column < rows[row].length && column < kPrintLimit; ++column) {
                if (column > 0) {
                    out += " ,";
                }
                Variable_PrintValue(out, rows[row].elements[column]);
            }
            if (rows[row].length > kPrintLimit) {
                out += " ... ";
            }
            out += "},  ";
        }
        if (rowCount > kPrintLimit) {
            out += " ... ";
        }
        out += " }";
        break;
    }
    default:
        break;
    }
}

void CVariableList::Print(std::string& out) const
{
    char head[128];
    ForEachInBucketOrder([&out, &head](const Node& node) {
        std::snprintf(head, sizeof head, "(%d) = ", node.id);
        out += Variable_GetName(node.id);
        out += head;
        Variable_PrintValue(out, node.value);
        out += '\n';
    });
}

void CVariableList::View(std::vector<VariableView>* out) const
{
    ForEachInBucketOrder([out](const Node& node) { out->push_back({node.id, &node.value}); });
}

int32_t CVariableList::NodesAllocated()
{
    return Pool().allocated;
}

int32_t CVariableList::NodesFree()
{
    return Pool().freeCount;
}

void Variable_SetStrictReads(bool strict)
{
    g_strictReads = strict;
}

bool Variable_StrictReads()
{
    return g_strictReads;
}

VariableNameLookups& Variable_NameLookups()
{
    static VariableNameLookups lookups;
    return lookups;
}

const char* Variable_GetName(int32_t id)
{
    if (id >= 0 && id < kVariableBuiltinIdLimit) {
        return Variable_BuiltIn_Name(id);
    }
    const VariableNameLookups& lookups = Variable_NameLookups();
    const char* name = lookups.getName != nullptr ? lookups.getName(id) : nullptr;
    return name != nullptr ? name : "<unknown variable>";
}

}  // namespace bw
