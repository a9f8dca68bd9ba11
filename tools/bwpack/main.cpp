// bwpack: builds a game package from a project folder, or lists what a
// package holds.
//   bwpack PROJECT_DIR -o game.win [--form text|bytecode]
//   bwpack --dump game.win
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bwpack/dump.h"
#include "bwpack/package_build.h"
#include "bwpack/package_view.h"
#include "bwpack/project.h"

namespace {

constexpr const char* kUsage =
    "usage: bwpack PROJECT_DIR -o game.win [--form text|bytecode]\n"
    "       bwpack --dump game.win\n";

int Usage()
{
    std::fputs(kUsage, stderr);
    return 2;
}

int Dump(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "bwpack: cannot read \"%s\"\n", file.c_str());
        return 1;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
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
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
        std::fprintf(stderr, "bwpack: cannot write \"%s\"\n", path.c_str());
        return false;
    }
    return true;
}

int Build(const std::string& project, const std::string& output, bw::pack::PackageForm form)
{
    bw::pack::PackageFiles files;
    try {
        files = bw::pack::Package_BuildFiles(bw::pack::Project_Load(project), form);
    } catch (const bw::pack::BuildError& error) {
        std::fprintf(stderr, "bwpack: %s: %s\n", project.c_str(), error.what());
        return 1;
    }
    if (!WriteFile(output, files.package)) return 1;
    if (files.debug.empty()) return 0;
    const std::string debugPath = bw::pack::Package_DebugFilePath(output);
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
    if (args.size() == 2 && args[0] == "--dump") return Dump(args[1]);

    std::string project, output;
    bw::pack::PackageForm form = bw::pack::PackageForm::Text;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size()) {
            output = args[++i];
        } else if (args[i] == "--form" && i + 1 < args.size()) {
            const std::string& name = args[++i];
            if (name != "text" && name != "bytecode") return Usage();
            form = name == "text" ? bw::pack::PackageForm::Text : bw::pack::PackageForm::Bytecode;
        } else if (project.empty() && !args[i].empty() && args[i][0] != '-') {
            project = args[i];
        } else {
            return Usage();
        }
    }
    if (project.empty() || output.empty()) return Usage();
    return Build(project, output, form);
}
