// Compiles a project's code with the runner's own compiler (lexer, name
// resolution, parser, folding, bytecode generator), so that the bytecode form
// of a package holds exactly what the runner would have made of the texts.
//
// The runner's compiler resolves names through process-wide tables (built-in
// functions, variables and constants, and the name lookups of resources,
// scripts and extensions). A ProjectCompiler fills them for one project while
// it lives and empties them again afterwards; only one may exist at a time.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "bwpack/project.h"
#include "script/bytecode_generator.h"
#include "script/code_unit.h"
#include "script/world_access.h"

namespace bw::pack {

class ProjectCompiler {
public:
    explicit ProjectCompiler(const Project& project);
    ~ProjectCompiler();
    ProjectCompiler(const ProjectCompiler&) = delete;
    ProjectCompiler& operator=(const ProjectCompiler&) = delete;

    // The folded syntax tree of one code file, as a program unit. A compile
    // error throws FileError at the line and column the compiler points at,
    // and so does code the runner would refuse when it loads the text (an
    // expression nested too deep for the machine, a game constant used as
    // a variable).
    std::unique_ptr<CCode> Parse(const CodeText& code, const std::string& unitName) const;

    // Bytecode of a parsed unit. Plain uses of names that any unit of the
    // project declares with globalvar are turned into uses of the global
    // scope first: the runner flags such names only when it compiles text,
    // so package code must name the global scope itself. A game constant
    // whose value is known only when the game runs is read from the
    // runner's constant table, which holds its value from game start.
    VMGeneratedCode Generate(CCode& unit, const std::set<int32_t>& globalNames) const;

    // The name a function id or a variable id stands for, as the loader
    // will look it up again.
    std::string FunctionName(int32_t id) const;
    static std::string VariableName(int32_t id);

private:
    // Gives the process's tables back as they were before the compiler.
    void Release();
    void DefineGameConstants();
    void RefuseConstantsAsVariables(const CodeText& code, const CodeNode& node, bool assigned) const;
    void ReadConstantsAtRun(CodeNode& node) const;

    const Project& m_project;
    // Game constants whose value depends on the run (a call, a variable):
    // the compiler sees them as variables, by the id of their name.
    std::map<int32_t, std::string> m_constantsOfTheRun;
    WorldAccess m_savedAccess;
    bool m_registeredFunctions = false;
    bool m_savedUseBytecode = true;
};

// The ids of every name a unit declares with globalvar.
void Code_CollectGlobalNames(const CodeNode& root, std::set<int32_t>* names);

}  // namespace bw::pack
