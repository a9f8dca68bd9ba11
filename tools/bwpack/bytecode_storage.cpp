#include "bwpack/bytecode_storage.h"

#include <map>
#include <set>

#include "bwpack/chunk_writers.h"
#include "script/bytecode.h"

namespace bw::pack {
namespace {

constexpr uint32_t kVariableFlagBits = 0xE0000000u;
constexpr uint32_t kVariableDistanceBits = 0x1FFFFFFFu;
// A variable's distance is a signed 29-bit number of bytes.
constexpr int64_t kVariableDistanceLimit = int64_t{1} << 28;
constexpr uint32_t kEntryHeaderBytes = 8;  // name offset, length

// The index of name's chain, added at the end when new: VARI and FUNC list
// names in the order the code first uses them.
template <typename Chains>
auto& ChainOf(Chains& chains, std::map<std::string, size_t>& index, const std::string& name)
{
    const auto [found, added] = index.try_emplace(name, chains.size());
    if (added) chains.push_back({name, {}});
    return chains[found->second];
}

}  // namespace

BytecodeCodeStorage::BytecodeCodeStorage(const Project& project, StringTable& strings)
    : m_compiler(project), m_strings(strings)
{
}

Word BytecodeCodeStorage::Store(const std::string& unitName, const CodeText& code)
{
    Unit unit;
    unit.code = &code;
    unit.parsed = m_compiler.Parse(code, unitName);
    m_units.push_back(std::move(unit));
    return Word::Int(static_cast<int32_t>(m_units.size() - 1));
}

void BytecodeCodeStorage::GenerateUnits()
{
    // globalvar in any unit makes the name global in every unit, as the
    // runner's flags would once it had compiled all the texts.
    std::set<int32_t> globalNames;
    for (const Unit& unit : m_units) Code_CollectGlobalNames(unit.parsed->root, &globalNames);
    for (size_t i = 0; i < m_units.size(); ++i) {
        Unit& unit = m_units[i];
        const VMGeneratedCode generated = m_compiler.Generate(*unit.parsed, globalNames);
        ToPackageForm(unit, i, generated);
        unit.lines = generated.lines;
    }
}

void BytecodeCodeStorage::ToPackageForm(Unit& unit, size_t unitIndex, const VMGeneratedCode& generated)
{
    unit.words = generated.words;
    // An empty program still gets a unit the runner can list and run: a
    // lone exit does what no code does.
    if (unit.words.empty()) unit.words.push_back(kWordExit);
    for (size_t at = 0; at < unit.words.size();) {
        const uint32_t word = unit.words[at];
        const size_t next = at + static_cast<size_t>(VM_InstructionBytes(word)) / 4;
        if (next > unit.words.size()) throw BuildError(unit.parsed->name + ": internal error: instruction runs past the code");
        if (VM_HasOperandFlag(word) && next > at + 1) {
            uint32_t& operand = unit.words[at + 1];
            const uint8_t opcode = VM_Opcode(word);
            const VMDataType type = VM_FirstType(word);
            if (type == kTypeString) {
                if (operand >= generated.strings.size()) throw BuildError(unit.parsed->name + ": internal error: string operand");
                operand = m_strings.Index(generated.strings[operand]);
            } else if ((opcode == kOpPush || opcode == kOpPop) && type == kTypeVariable) {
                const std::string name = ProjectCompiler::VariableName(static_cast<int32_t>(operand & kVarRefIdMask));
                ChainOf(m_variables, m_variableIndex, name).occurrences.push_back({unitIndex, at});
            } else if (opcode == kOpCall) {
                const std::string name = m_compiler.FunctionName(static_cast<int32_t>(operand));
                ChainOf(m_functions, m_functionIndex, name).occurrences.push_back({unitIndex, at});
            }
        }
        at = next;
    }
}

void BytecodeCodeStorage::ThreadChains(Chains& chains, bool variable)
{
    const auto fileOrder = [&](const Occurrence& o) { return int64_t{m_entryOffsets[o.unit]} + kEntryHeaderBytes + 4 * int64_t(o.word); };
    for (NameChain& chain : chains) {
        for (size_t i = 0; i < chain.occurrences.size(); ++i) {
            const Occurrence& here = chain.occurrences[i];
            const int64_t distance = i + 1 < chain.occurrences.size() ? fileOrder(chain.occurrences[i + 1]) - fileOrder(here) : 0;
            uint32_t& reference = m_units[here.unit].words[here.word + 1];
            if (variable) {
                if (distance >= kVariableDistanceLimit) throw BuildError("code too large: variable " + chain.name + " spans more than 256 MiB");
                reference = (reference & kVariableFlagBits) | (static_cast<uint32_t>(distance) & kVariableDistanceBits);
            } else {
                reference = static_cast<uint32_t>(distance);
            }
        }
    }
}

void BytecodeCodeStorage::WriteChunks(PackageWriter& writer)
{
    GenerateUnits();
    // Where each entry will lie, so that chain distances are known before
    // the words are written: the pointer list, then the entries in order.
    uint64_t offset = 4 + 4 * uint64_t{m_units.size()};
    for (const Unit& unit : m_units) {
        if (offset > UINT32_MAX) throw BuildError("code larger than 4 GiB");
        m_entryOffsets.push_back(static_cast<uint32_t>(offset));
        offset += kEntryHeaderBytes + 4 * uint64_t{unit.words.size()};
    }
    ThreadChains(m_variables, true);
    ThreadChains(m_functions, false);

    m_firstOccurrences.assign(m_units.size(), {});
    for (size_t i = 0; i < m_units.size(); ++i) m_firstOccurrences[i].assign(m_units[i].words.size(), 0);
    for (Chains* chains : {&m_variables, &m_functions}) {
        for (const NameChain& chain : *chains) {
            const Occurrence& first = chain.occurrences.front();
            m_firstOccurrences[first.unit][first.word] = writer.NewLabel();
        }
    }

    writer.BeginChunk("CODE");
    const size_t payload = writer.Size();
    const std::vector<Label> entries = writer.NewLabels(m_units.size());
    writer.PointerList(entries);
    for (size_t i = 0; i < m_units.size(); ++i) {
        const Unit& unit = m_units[i];
        if (writer.Size() - payload != m_entryOffsets[i]) throw BuildError("internal error: CODE entry out of place");
        writer.Bind(entries[i]);
        writer.Put(m_strings.Ref(unit.parsed->name));
        writer.U32(static_cast<uint32_t>(4 * unit.words.size()));
        for (size_t w = 0; w < unit.words.size(); ++w) {
            if (m_firstOccurrences[i][w] != 0) writer.Bind(m_firstOccurrences[i][w]);
            writer.U32(unit.words[w]);
        }
    }
    writer.EndChunk();
    WriteBindings(writer, "VARI", m_variables);
    WriteBindings(writer, "FUNC", m_functions);
}

void BytecodeCodeStorage::WriteBindings(PackageWriter& writer, const char tag[4], const Chains& chains)
{
    writer.BeginChunk(tag);
    for (const NameChain& chain : chains) {
        const Occurrence& first = chain.occurrences.front();
        writer.Put(m_strings.Ref(chain.name));
        writer.U32(static_cast<uint32_t>(chain.occurrences.size()));
        writer.Put(Word::OffsetOf(m_firstOccurrences[first.unit][first.word]));
    }
    writer.EndChunk();
}

std::vector<uint8_t> BytecodeCodeStorage::DebugFile() const
{
    PackageWriter writer;
    StringTable strings(writer);
    writer.Bytes("FORM", 4);
    writer.U32(0);
    writer.BeginChunk("DBGI");
    Chunk_RecordList(writer, m_units, [&](const Unit& unit, size_t) {
        writer.U32(static_cast<uint32_t>(unit.lines.size()));
        for (const VMLinePair& line : unit.lines) {
            writer.I32(line.offset);
            writer.I32(line.position);
        }
    });
    writer.EndChunk();
    writer.BeginChunk("SCPT");
    Chunk_RecordList(writer, m_units, [&](const Unit& unit, size_t) { writer.Put(strings.Ref(unit.code->source)); });
    writer.EndChunk();
    strings.WriteChunk();
    writer.PatchU32(4, static_cast<uint32_t>(writer.Size() - 8));
    return writer.Finish();
}

}  // namespace bw::pack
