// bwrun: plays a compiled game package.
//
// The start-up stages (command line, package loading, the window and the main
// loop) join here as they are built; until a package can be played the
// runner tells the user plainly what it needs.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

std::filesystem::path PackageBesideProgram()
{
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    return self.parent_path() / "data.win";
}

const char* GameArgument(int argc, char** argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-game") == 0) {
            return argv[i + 1];
        }
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    std::filesystem::path package = PackageBesideProgram();
    if (!std::filesystem::is_regular_file(package)) {
        const char* given = GameArgument(argc, argv);
        package = given ? given : "";
    }
    if (package.empty()) {
        std::fprintf(stderr,
                     "bwrun needs a game package: put data.win beside the program "
                     "or name one with -game <file>\n");
        return 1;
    }
    if (!std::filesystem::is_regular_file(package)) {
        std::fprintf(stderr, "bwrun: cannot open the game package %s\n", package.c_str());
        return 1;
    }
    std::fprintf(stderr, "bwrun: %s: this build cannot play game packages yet\n", package.c_str());
    return 1;
}
