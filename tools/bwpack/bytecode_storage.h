// The bytecode form of a package's code: every piece of code becomes a CODE
// entry compiled by the runner's own compiler, records hold the entry's
// index (-1 for none), and two chunks bind names at load time:
// - VARI: per variable name, the chain of instructions that use it;
// - FUNC: per function name, the chain of calls.
// A chain is threaded through the bytecode itself: the word behind each
// occurrence holds the distance in bytes to the next one (for a variable in
// its low 29 bits, beside the instruction's own flag bits), so the words
// mean nothing until the loader has bound them. String operands hold
// indexes into the string table.
//
// The debug file beside the package carries, per entry, the table of
// statement offsets and source positions, and the source text itself.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bwpack/code_compiler.h"
#include "bwpack/code_storage.h"

namespace bw::pack {

class BytecodeCodeStorage final : public CodeStorage {
public:
    BytecodeCodeStorage(const Project& project, StringTable& strings);

    bool CarriesBytecode() const override { return true; }
    // Parses the code at once (a compile error names its file) and gives
    // the index of its CODE entry.
    Word Store(const std::string& unitName, const CodeText& code) override;
    Word Absent() const override { return Word::Int(-1); }
    // Generates every unit's bytecode, then writes CODE, VARI and FUNC.
    void WriteChunks(PackageWriter& writer) override;

    // A FORM of DBGI, SCPT and STRG, one DBGI and SCPT record per CODE
    // entry.
    std::vector<uint8_t> DebugFile() const override;

private:
    struct Unit {
        const CodeText* code = nullptr;
        // Named as the runner names the same code compiled from text: the
        // compiler keeps the name it was given with blanks turned into '_'.
        std::unique_ptr<CCode> parsed;
        std::vector<uint32_t> words;  // package form, chains threaded
        std::vector<VMLinePair> lines;
    };
    // One use of a name: the instruction word's index in its unit.
    struct Occurrence {
        size_t unit;
        size_t word;
    };
    struct NameChain {
        std::string name;
        std::vector<Occurrence> occurrences;  // in file order
    };
    using Chains = std::vector<NameChain>;

    void GenerateUnits();
    void ToPackageForm(Unit& unit, size_t unitIndex, const VMGeneratedCode& generated);
    void ThreadChains(Chains& chains, bool variable);
    void WriteBindings(PackageWriter& writer, const char tag[4], const Chains& chains);

    ProjectCompiler m_compiler;
    StringTable& m_strings;
    std::vector<Unit> m_units;
    Chains m_variables, m_functions;
    std::map<std::string, size_t> m_variableIndex, m_functionIndex;  // name -> chain
    std::vector<uint32_t> m_entryOffsets;  // from the CODE payload's start
    std::vector<std::vector<Label>> m_firstOccurrences;  // per unit, per word (0: none)
};

}  // namespace bw::pack
