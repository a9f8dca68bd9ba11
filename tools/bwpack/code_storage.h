// Where the game's code goes in a package. Every record that names a piece of
// code (an event action, a script, a room's or an instance's creation code, a
// timeline moment) holds one word for it; what that word means depends on the
// package form:
// - text form: the offset of the source text in the string table; no CODE,
//   VARI or FUNC chunk is written, and the runner compiles the texts;
// - bytecode form: the index of a CODE entry, with CODE, VARI and FUNC chunks
//   written after the resources that name functions.
// The chunk writers talk only to this interface, so the bytecode form is one
// more implementation of it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "bwpack/code_compiler.h"
#include "bwpack/package_writer.h"
#include "bwpack/project.h"

namespace bw::pack {

class CodeStorage {
public:
    virtual ~CodeStorage() = default;

    // True when the package carries compiled code (a CODE chunk): action
    // records then keep the code index and no text.
    virtual bool CarriesBytecode() const = 0;

    // The word a record holds for a piece of code. unitName is what the
    // runner calls the code when it compiles it from text ("Script.scr_move",
    // ActionUnitName); the compiler turns its blanks into '_'.
    virtual Word Store(const std::string& unitName, const CodeText& code) = 0;

    // The word a record holds for "no code here".
    virtual Word Absent() const = 0;

    // Writes the code chunks, if the form has any; called once, after every
    // record that refers to code has been written.
    virtual void WriteChunks(PackageWriter& writer) = 0;

    // The debug file that goes beside the package; empty when the form has
    // none. Only after WriteChunks.
    virtual std::vector<uint8_t> DebugFile() const = 0;
};

// What the runner calls the code of an object's event (owner: the object's
// index) or of a timeline moment (owner: the timeline's index, type
// kEventTypeTimelineMoment, number: the step) when it compiles it from text.
std::string ActionUnitName(const Project& project, int32_t owner, int32_t type, int32_t number);

// The text form: code travels as source text in the string table. Each text
// is compiled all the same, so that code the runner would refuse stops the
// build instead of the game.
class TextCodeStorage final : public CodeStorage {
public:
    TextCodeStorage(const Project& project, StringTable& strings) : m_compiler(project), m_strings(strings) {}
    bool CarriesBytecode() const override { return false; }
    Word Store(const std::string& unitName, const CodeText& code) override;
    Word Absent() const override { return Word::Null(); }
    void WriteChunks(PackageWriter& writer) override;
    std::vector<uint8_t> DebugFile() const override { return {}; }

private:
    ProjectCompiler m_compiler;
    StringTable& m_strings;
};

}  // namespace bw::pack
