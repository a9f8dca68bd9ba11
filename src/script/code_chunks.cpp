#include "script/code_chunks.h"

#include <memory>
#include <unordered_map>

#include "platform/package_image.h"
#include "platform/package_loader.h"
#include "script/code_unit.h"
#include "script/function_table.h"
#include "script/names.h"
#include "script/vm.h"

namespace bw {
namespace {

constexpr uint32_t kBindingRecordSize = 12;
constexpr uint32_t kOperandFlag = 1u << 30;
constexpr uint32_t kVariableFlagBits = 0xE0000000u;
constexpr uint32_t kVariableIdBits = 0x1FFFFFFFu;
constexpr uint32_t kTypeString = 6;

struct DebugTable {
    const uint8_t* pairs = nullptr;
    uint32_t count = 0;
};

struct CodeChunkState {
    std::vector<PackageCodeEntry> entries;
    std::vector<bool> present;
    bool chunkRead = false;
    std::unordered_map<uint32_t, uint32_t> boundWords;
    std::vector<DebugTable> debugTables;
    std::vector<const char*> debugTexts;
    std::string loadError;
    CodeEntryVerifier verifier = nullptr;
    // Pass 2 meets CODE and FUNC in file order: the verifier runs after
    // whichever of the two comes last.
    bool functionsPending = false;
    bool entriesChecked = false;
};

CodeChunkState& State()
{
    static CodeChunkState state;
    return state;
}

// Operand bytes behind an instruction word whose operand flag is set.
uint32_t OperandSize(uint32_t type)
{
    switch (type) {
        case 0:
        case 3: return 8;
        case 1:
        case 2:
        case 4:
        case 5:
        case 6: return 4;
        default: return 0;
    }
}

// A load error that names the entry and says what is wrong with its code.
bool RefuseEntry(const PackageCodeEntry& entry, const std::string& why)
{
    std::string& message = State().loadError;
    message = "Error on load\nInvalid code in ";
    message += entry.name != nullptr ? entry.name : "";
    message += ": " + why + '\n';
    return false;
}

bool CheckEntry(const PackageView& package, const PackageCodeEntry& entry)
{
    const size_t stringCount = Package().strings.size();
    const uint32_t length = static_cast<uint32_t>(entry.length);
    uint32_t position = 0;
    while (position < length) {
        uint32_t word = 0;
        package.ReadU32(uint64_t{entry.codeOffset} + position, word);  // inside: checked by the list
        const uint32_t at = position;
        position += 4;
        if ((word & kOperandFlag) == 0) {
            continue;
        }
        const uint32_t type = (word >> 16) & 15;
        const uint32_t size = OperandSize(type);
        if (size > length - position) {
            return RefuseEntry(entry, VM_BytecodeError(at, kCutOperandError));
        }
        if (type == kTypeString) {
            uint32_t index = 0;
            package.ReadU32(uint64_t{entry.codeOffset} + position, index);
            if (index >= stringCount || Package_String(index) == nullptr) {
                return RefuseEntry(entry, VM_BytecodeError(at, kStringIndexError));
            }
        }
        position += size;
    }
    return true;
}

struct BindingRecord {
    const char* name;
    int32_t occurrences;
    uint32_t first;
};

// The 12-byte records of VARI and FUNC, each read with its name.
bool ReadBindingRecords(const PackageView& package, uint32_t offset, uint32_t length,
                        std::vector<BindingRecord>& records)
{
    if (length % kBindingRecordSize != 0 || !package.Contains(offset, length)) {
        return false;
    }
    for (uint64_t at = offset; at < uint64_t{offset} + length; at += kBindingRecordSize) {
        uint32_t nameOffset = 0;
        uint32_t count = 0;
        BindingRecord record{};
        package.ReadU32(at, nameOffset);
        package.ReadU32(at + 4, count);
        package.ReadU32(at + 8, record.first);
        record.occurrences = static_cast<int32_t>(count);
        if (record.occurrences < 0 || !Wad_PatchString(package, nameOffset, &record.name) || record.name == nullptr) {
            return false;
        }
        records.push_back(record);
    }
    return true;
}

// Follows one chain: at each occurrence the reference word (the word behind
// it) gives the distance to the next one and receives its bound form. A
// word bound twice means the chain loops or crosses another; that and any
// step outside the file fail.
template <typename Bind>
bool FollowChain(const PackageView& package, const BindingRecord& record, Bind&& bind)
{
    CodeChunkState& state = State();
    int64_t occurrence = record.first;
    for (int32_t i = 0; i < record.occurrences; ++i) {
        uint32_t word = 0;
        const int64_t reference = occurrence + 4;
        if (occurrence < 0 || !package.ReadU32(static_cast<uint64_t>(reference), word)) {
            return false;
        }
        int64_t distance = 0;
        const uint32_t bound = bind(word, &distance);
        if (!state.boundWords.emplace(static_cast<uint32_t>(reference), bound).second) {
            return false;
        }
        occurrence += distance;
    }
    return true;
}

void SetLoadError(const char* format, const char* name)
{
    std::string& error = State().loadError;
    error = format;
    error += name;
    error += '\n';
}

bool VerifyEntries(const PackageView& package)
{
    CodeChunkState& state = State();
    if (state.verifier == nullptr) {
        return true;
    }
    for (size_t i = 0; i < state.entries.size(); ++i) {
        if (state.present[i] && state.entries[i].length > 0 &&
            !state.verifier(package, static_cast<int32_t>(i), state.entries[i])) {
            return false;
        }
    }
    return true;
}

void StoreU32(uint8_t* at, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) {
        *at++ = static_cast<uint8_t>(value >> shift);
    }
}

uint32_t LoadU32(const uint8_t* at)
{
    return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

// The entry's debug table as the machine's offset-to-line pairs.
std::vector<VMLinePair> DebugLines(int32_t index)
{
    const uint8_t* pairs = nullptr;
    uint32_t count = 0;
    std::vector<VMLinePair> lines;
    if (CODE_DebugInfo(index, &pairs, &count)) {
        lines.reserve(count);
        for (uint32_t i = 0; i < count; ++i, pairs += 8) {
            const auto offset = static_cast<int32_t>(LoadU32(pairs));
            const auto position = static_cast<int32_t>(LoadU32(pairs + 4));
            lines.push_back(VMLinePair{offset, position});
        }
    }
    return lines;
}

}  // namespace

bool CODE_LoadList(const PackageView& package, uint32_t offset, uint32_t length)
{
    CodeChunkState& state = State();
    std::vector<uint32_t> list;
    if (!Wad_PatchPointerList(package, ChunkInfo{0, offset, length}, list)) {
        return false;
    }
    state.chunkRead = true;
    state.entries.assign(list.size(), PackageCodeEntry{});
    state.present.assign(list.size(), false);
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i] == 0) {
            continue;
        }
        uint32_t nameOffset = 0;
        uint32_t codeLength = 0;
        PackageCodeEntry& entry = state.entries[i];
        if (!package.ReadU32(list[i], nameOffset) || !package.ReadU32(uint64_t{list[i]} + 4, codeLength) ||
            !Wad_PatchString(package, nameOffset, &entry.name)) {
            return false;
        }
        entry.codeOffset = list[i] + 8;
        entry.length = static_cast<int32_t>(codeLength);
        if (entry.length > 0 && (entry.length % 4 != 0 || !package.Contains(entry.codeOffset, codeLength))) {
            return false;
        }
        state.present[i] = true;
    }
    return true;
}

bool CODE_CheckAll(const PackageView& package, uint32_t, uint32_t)
{
    CodeChunkState& state = State();
    for (size_t i = 0; i < state.entries.size(); ++i) {
        const PackageCodeEntry& entry = state.entries[i];
        if (!state.present[i] || entry.length < 1) {
            continue;
        }
        if (!CheckEntry(package, entry)) {
            return false;
        }
    }
    state.entriesChecked = true;
    return state.functionsPending || VerifyEntries(package);
}

bool VARI_Load(const PackageView& package, uint32_t offset, uint32_t length)
{
    std::vector<BindingRecord> records;
    if (!ReadBindingRecords(package, offset, length, records)) {
        return false;
    }
    for (const BindingRecord& record : records) {
        const int32_t id = Code_Variable_Find_Or_Add(record.name);
        if (id < 0) {
            SetLoadError("Error on load\nUnable to find variable ", record.name);
            return false;
        }
        const auto bind = [id](uint32_t word, int64_t* distance) {
            // The low 29 bits are a signed distance; the top 3 are the
            // instruction's own flags and stay.
            const uint32_t raw = word & kVariableIdBits;
            *distance = (raw & 0x10000000u) != 0 ? int64_t{raw} - 0x20000000 : int64_t{raw};
            return (word & kVariableFlagBits) | (static_cast<uint32_t>(id) & kVariableIdBits);
        };
        if (!FollowChain(package, record, bind)) {
            return false;
        }
    }
    return true;
}

bool FUNC_Load(const PackageView& package, uint32_t offset, uint32_t length)
{
    std::vector<BindingRecord> records;
    if (!ReadBindingRecords(package, offset, length, records)) {
        return false;
    }
    for (const BindingRecord& record : records) {
        int32_t id = -1;
        if (!Code_Function_Find(record.name, &id) || id < 0) {
            SetLoadError("Error on load\nUnable to find function ", record.name);
            return false;
        }
        const auto bind = [id](uint32_t word, int64_t* distance) {
            *distance = int64_t{word};  // unsigned: chains only run forwards
            return static_cast<uint32_t>(id);
        };
        if (!FollowChain(package, record, bind)) {
            return false;
        }
    }
    CodeChunkState& state = State();
    state.functionsPending = false;
    return !state.entriesChecked || VerifyEntries(package);
}

bool FUNC_Announce(const PackageView&, uint32_t, uint32_t length)
{
    // Pass 2 runs no reader for an empty chunk, so only a non-empty one is
    // waited for.
    State().functionsPending = length != 0;
    return true;
}

bool DBGI_Load(const PackageView& debug, uint32_t offset, uint32_t length)
{
    std::vector<uint32_t> list;
    if (!Wad_PatchPointerList(debug, ChunkInfo{0, offset, length}, list)) {
        return false;
    }
    std::vector<DebugTable> tables(list.size());
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i] == 0) {
            continue;
        }
        DebugTable& table = tables[i];
        if (!debug.ReadU32(list[i], table.count) ||
            (table.pairs = debug.Bytes(uint64_t{list[i]} + 4, uint64_t{table.count} * 8)) == nullptr) {
            return false;
        }
    }
    State().debugTables = std::move(tables);
    return true;
}

bool DebugScripts_Load(const PackageView& debug, uint32_t offset, uint32_t length)
{
    std::vector<uint32_t> list;
    if (!Wad_PatchPointerList(debug, ChunkInfo{0, offset, length}, list)) {
        return false;
    }
    std::vector<const char*> texts(list.size(), nullptr);
    for (size_t i = 0; i < list.size(); ++i) {
        uint32_t textOffset = 0;
        if (list[i] != 0 && (!debug.ReadU32(list[i], textOffset) || !Wad_PatchString(debug, textOffset, &texts[i]))) {
            return false;
        }
    }
    State().debugTexts = std::move(texts);
    return true;
}

void CODE_SetVerifier(CodeEntryVerifier verifier)
{
    State().verifier = verifier;
}

bool CODE_VerifyEntry(const PackageView& package, int32_t index, const PackageCodeEntry& entry)
{
    const auto length = static_cast<uint32_t>(entry.length);
    const uint8_t* image = package.Bytes(entry.codeOffset, length);
    if (image == nullptr) {
        return false;
    }
    std::vector<uint8_t> words(image, image + length);
    for (uint32_t at = 0; at + 4 <= length; at += 4) {
        uint32_t bound = 0;
        if (CODE_BoundWord(entry.codeOffset + at, &bound)) {
            StoreU32(&words[at], bound);
        }
    }
    const std::vector<const char*>& texts = Package().strings;
    const VMStringTable strings{texts.data(), texts.size()};
    auto program = std::make_unique<VMProgram>();
    std::string error;
    if (!VM_VerifyUnit(words.data(), words.size(), strings, &program->unit, &error)) {
        return RefuseEntry(entry, error);
    }
    program->lines = DebugLines(index);
    auto unit = std::make_unique<CCode>(entry.name, std::move(program), index);
    if (const char* text = CODE_DebugText(index)) {
        unit->text = text;
    }
    Code_List_Set(index, std::move(unit));
    return true;
}

bool CODE_Present()
{
    return State().chunkRead;
}

int32_t CODE_EntryCount()
{
    return static_cast<int32_t>(State().entries.size());
}

const PackageCodeEntry* CODE_Entry(int32_t index)
{
    const CodeChunkState& state = State();
    if (index < 0 || static_cast<size_t>(index) >= state.entries.size() || !state.present[index]) {
        return nullptr;
    }
    return &state.entries[index];
}

bool CODE_BoundWord(uint32_t fileOffset, uint32_t* word)
{
    const auto& bound = State().boundWords;
    const auto found = bound.find(fileOffset);
    if (found == bound.end()) {
        return false;
    }
    *word = found->second;
    return true;
}

bool CODE_DebugInfo(int32_t index, const uint8_t** pairs, uint32_t* count)
{
    const auto& tables = State().debugTables;
    if (index < 0 || static_cast<size_t>(index) >= tables.size() || tables[index].pairs == nullptr) {
        return false;
    }
    *pairs = tables[index].pairs;
    *count = tables[index].count;
    return true;
}

const char* CODE_DebugText(int32_t index)
{
    const auto& texts = State().debugTexts;
    return index >= 0 && static_cast<size_t>(index) < texts.size() ? texts[index] : nullptr;
}

const std::string& CODE_LoadError()
{
    return State().loadError;
}

void CODE_Clear()
{
    CodeChunkState& state = State();
    const CodeEntryVerifier verifier = state.verifier;
    state = CodeChunkState{};
    state.verifier = verifier;
    Code_List_Free();
}

}  // namespace bw
