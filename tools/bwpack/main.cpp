// bwpack: builds a game package from a project folder, or lists what a
// package holds.
//   bwpack PROJECT_DIR -o game.win [--form text|bytecode]
//   bwpack --dump game.win
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bwpack/dump.h"
#include "bwpack/file_error.h"
#include "bwpack/file_io.h"
#include "bwpack/package_build.h"
#include "bwpack/package_view.h"
#include "bwpack/project.h"
#include "platform/package_loader.h"

namespace {

constexpr const char* kUsage =
    "usage: bwpack PROJECT_DIR -o game.win [--form text|bytecode]\n"
    "       bwpack --dump game.win\n"
    "       bwpack --help\n";

constexpr int kUsageExitCode = 2;

// A command-line mistake: what was wrong, then the usage.
int UsageError(const std::string& problem)
{
    std::fprintf(stderr, "bwpack: %s\n%s", problem.c_str(), kUsage);
    return kUsageExitCode;
}

int Dump(const std::string& file)
{
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!bw::pack::File_ReadAll(file, &bytes, &reason)) {
        std::fprintf(stderr, "bwpack: cannot read \"%s\": %s\n", file.c_str(), reason.c_str());
        return 1;
    }
    try {
        std::fputs(bw::pack::Package_Dump(bytes).c_str(), stdout);
    } catch (const bw::pack::DumpError& error) {
        std::fprintf(stderr, "bwpack: %s: malformed package: %s\n", file.c_str(), error.what());
        return 1;
    }
    return 0;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::string reason;
    if (!bw::pack::File_WriteAll(path, bytes, &reason)) {
        std::fprintf(stderr, "bwpack: cannot write \"%s\": %s\n", path.c_str(), reason.c_str());
        return false;
    }
    return true;
}

void ReportBuildError(const std::string& project, const bw::pack::BuildError& error)
{
    if (const auto* fileError = dynamic_cast<const bw::pack::FileError*>(&error)) {
        // Without a current folder (it was removed) the path stays as joined.
        std::error_code noFolder;
        const std::string path = bw::pack::Project_DisplayPath(project, fileError->Place().file,
                                                               std::filesystem::current_path(noFolder).string());
        std::fputs(bw::pack::FileError_Describe(*fileError, path).c_str(), stderr);
    } else {
        std::fprintf(stderr, "bwpack: %s: %s\n", project.c_str(), error.what());
    }
}

// The package or its debug file may not replace a file the build reads: the
// project would lose it.
bool WouldOverwriteInput(const bw::pack::Project& project, const std::string& path, const char* written)
{
    const std::optional<std::filesystem::path> input = bw::pack::Project_ReadFileAt(project, path);
    if (!input) return false;
    // Named through a link or another spelling, the file the build knows is said too.
    const std::string what = std::filesystem::path(path).lexically_normal() == input->lexically_normal()
                                 ? "a file the build reads"
                                 : input->string() + ", a file the build reads";
    std::fprintf(stderr, "bwpack: \"%s\" is %s: the %s would overwrite it; nothing written\n", path.c_str(),
                 what.c_str(), written);
    return true;
}

int Build(const std::string& folder, const std::string& output, bw::pack::PackageForm form)
{
    bw::pack::Project project;
    bw::pack::PackageFiles files;
    try {
        project = bw::pack::Project_Load(folder);
        files = bw::pack::Package_BuildFiles(project, form);
    } catch (const bw::pack::BuildError& error) {
        ReportBuildError(folder, error);
        return 1;
    }
    const std::string debugPath = files.debug.empty() ? "" : bw::Package_DebugFilePath(output);
    if (WouldOverwriteInput(project, output, "package")) return kUsageExitCode;
    if (!debugPath.empty() && WouldOverwriteInput(project, debugPath, "debug file")) return kUsageExitCode;
    if (!WriteFile(output, files.package)) return 1;
    if (files.debug.empty()) return 0;
    if (debugPath.empty()) {
        std::fprintf(stderr, "bwpack: \"%s\" has no extension: no debug file written\n", output.c_str());
        return 0;
    }
    return WriteFile(debugPath, files.debug) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (std::ranges::find(args, "--help") != args.end()) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!args.empty() && args[0] == "--dump") {
        if (args.size() != 2) return UsageError("--dump takes one package file");
        return Dump(args[1]);
    }

    std::string project, output;
    bw::pack::PackageForm form = bw::pack::PackageForm::Text;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "-o" || arg == "--form") {
            if (!hasValue) return UsageError(arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "-o") {
                output = value;
            } else if (value == "text" || value == "bytecode") {
                form = value == "text" ? bw::pack::PackageForm::Text : bw::pack::PackageForm::Bytecode;
            } else {
                return UsageError("--form takes text or bytecode, not \"" + value + "\"");
            }
        } else if (!arg.empty() && arg[0] == '-') {
            return UsageError("unknown switch " + arg);
        } else if (project.empty()) {
            project = arg;
        } else {
            return UsageError("one project folder only, not also \"" + arg + "\"");
        }
    }
    if (project.empty()) return UsageError("no project folder given");
    if (output.empty()) return UsageError("no package file given (-o game.win)");
    return Build(project, output, form);
}
