// The timeline_* built-ins: queries, creating and deleting timelines, and
// clearing moments.
#include "platform/console.h"
#include "resources/resource_builtins.h"
#include "resources/resource_builtins_args.h"
#include "resources/timeline.h"
#include "script/error_report.h"

namespace bw {
namespace {

BW_BUILTIN(TimelineExists)
{
    Result_SetBool(result, TimeLine_Exists(Arg_Int(args[0])));
}

BW_BUILTIN(TimelineGetName)
{
    Result_SetString(result, TimeLine_GetName(Arg_Int(args[0])));
}

BW_BUILTIN(TimelineAdd)
{
    Result_SetReal(result, TimeLine_Add());
}

BW_BUILTIN(TimelineDelete)
{
    if (!TimeLine_Delete(Arg_Int(args[0]))) {
        Code_Error_Runtime("Trying to delete non-existing timeline.", false);
    }
}

BW_BUILTIN(TimelineMomentClear)
{
    if (CTimeLine* timeline = TimeLine_Get(Arg_Int(args[0]))) {
        timeline->ClearMoment(Arg_Int(args[1]));
    }
}

BW_BUILTIN(TimelineMomentAdd)
{
    Console().Printf("timeline_moment_add :: deprecated function\n");
}

const BuiltinRegistration kTimelines[] = {
    {"timeline_exists", &TimelineExists, 1},
    {"timeline_get_name", &TimelineGetName, 1},
    {"timeline_name", &TimelineGetName, 1},
    {"timeline_add", &TimelineAdd, 0},
    {"timeline_delete", &TimelineDelete, 1},
    {"timeline_moment_clear", &TimelineMomentClear, 2},
    {"timeline_moment_add", &TimelineMomentAdd, 3},
};

}  // namespace

std::span<const BuiltinRegistration> ResourceBuiltins_Timelines()
{
    return kTimelines;
}

}  // namespace bw
