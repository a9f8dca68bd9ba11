#include "bwpack/guide/example_check.h"

#include <set>

#include "bwpack/code_compiler.h"
#include "bwpack/file_error.h"

namespace bw::pack {
namespace {

// The project every example compiles in: the scripts the guide defines.
Project GuideProject(const std::vector<GuideCodeBlock>& blocks, const std::string& guideName)
{
    Project project;
    project.header.name = "guide";
    for (const GuideCodeBlock& block : blocks) {
        const GuideFence fence = Guide_ReadFence(block.info);
        if (!fence.scriptName.empty()) project.scripts.push_back({fence.scriptName, {block.code, guideName}});
    }
    return project;
}

// The compile error of one example, "" when it compiles to bytecode.
std::string CompileError(const ProjectCompiler& compiler, const GuideCodeBlock& block, const std::string& guideName)
{
    const std::string unitName = "Guide." + std::to_string(block.line);
    try {
        auto unit = compiler.Parse({block.code, guideName}, unitName);
        std::set<int32_t> globalNames;
        Code_CollectGlobalNames(unit->root, &globalNames);
        compiler.Generate(*unit, globalNames);
    } catch (const FileError& error) {
        return error.Cause();
    } catch (const BuildError& error) {
        return error.what();
    }
    return "";
}

}  // namespace

std::vector<std::string> Guide_CheckExamples(const std::vector<GuideCodeBlock>& blocks, const std::string& guideName)
{
    const Project project = GuideProject(blocks, guideName);
    const ProjectCompiler compiler(project);
    std::vector<std::string> faults;
    for (const GuideCodeBlock& block : blocks) {
        const GuideExpect expect = Guide_ReadFence(block.info).expect;
        if (expect == GuideExpect::NotCode) continue;
        const std::string error = CompileError(compiler, block, guideName);
        const std::string where = guideName + ":" + std::to_string(block.line) + ": ";
        if (expect == GuideExpect::Compiles && !error.empty()) faults.push_back(where + "does not compile: " + error);
        if (expect == GuideExpect::Fails && error.empty()) faults.push_back(where + "compiles, but is shown as a mistake");
    }
    return faults;
}

}  // namespace bw::pack
