// bwl_guide: keeps the language guide true to the compiler.
//   bwl_guide --check docs/bwl.md   the list of built-ins (functions, variables,
//                                   constants) matches the runner's tables and
//                                   every example compiles as shown
//   bwl_guide --write docs/bwl.md   renders the list of built-ins into the guide
#include <cstdio>
#include <string>
#include <vector>

#include "bwpack/file_io.h"
#include "bwpack/guide/builtin_list.h"
#include "bwpack/guide/example_check.h"
#include "bwpack/guide/guide_text.h"

namespace {

constexpr const char* kUsage = "usage: bwl_guide --check GUIDE.md | --write GUIDE.md\n";

bool ReadGuide(const std::string& path, std::string* text)
{
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!bw::pack::File_ReadAll(path, &bytes, &reason)) {
        std::fprintf(stderr, "bwl_guide: cannot read \"%s\": %s\n", path.c_str(), reason.c_str());
        return false;
    }
    text->assign(bytes.begin(), bytes.end());
    return true;
}

void ReportMissingMarkers(const std::string& path)
{
    std::fprintf(stderr, "%s: the marker lines of the built-in list are missing\n", path.c_str());
}

int Check(const std::string& path, const std::string& guide)
{
    int status = 0;
    switch (bw::pack::Guide_CheckBuiltinList(guide)) {
    case bw::pack::GuideListState::Current:
        break;
    case bw::pack::GuideListState::MissingMarkers:
        ReportMissingMarkers(path);
        status = 1;
        break;
    case bw::pack::GuideListState::Stale:
        std::fprintf(stderr, "%s: the list of built-ins differs from the runner's tables; renew it with: bwl_guide --write %s\n",
                     path.c_str(), path.c_str());
        status = 1;
        break;
    }
    for (const std::string& fault : bw::pack::Guide_CheckExamples(bw::pack::Guide_CodeBlocks(guide), path)) {
        std::fprintf(stderr, "%s\n", fault.c_str());
        status = 1;
    }
    return status;
}

int Write(const std::string& path, const std::string& guide)
{
    const auto renewed = bw::pack::Guide_WithListSection(guide, bw::pack::Guide_BuiltinList());
    if (!renewed) {
        ReportMissingMarkers(path);
        return 1;
    }
    std::string reason;
    if (!bw::pack::File_WriteAll(path, std::vector<uint8_t>(renewed->begin(), renewed->end()), &reason)) {
        std::fprintf(stderr, "bwl_guide: cannot write \"%s\": %s\n", path.c_str(), reason.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() != 2 || (args[0] != "--check" && args[0] != "--write")) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::string guide;
    if (!ReadGuide(args[1], &guide)) return 1;
    return args[0] == "--check" ? Check(args[1], guide) : Write(args[1], guide);
}
