// The path_* built-ins: queries of points and positions, editing the control
// points, and creating, copying and deleting paths.
#include "resources/path.h"
#include "resources/resource_builtins.h"
#include "resources/resource_builtins_args.h"
#include "script/error_report.h"

namespace bw {
namespace {

BW_RESOURCE_QUERY(PathGetLength, CPath, Path_Get, r->GetLength())
BW_RESOURCE_QUERY(PathGetKind, CPath, Path_Get, r->GetKind())
BW_RESOURCE_QUERY(PathGetClosed, CPath, Path_Get, r->GetClosed())
BW_RESOURCE_QUERY(PathGetPrecision, CPath, Path_Get, r->GetPrecision())
BW_RESOURCE_QUERY(PathGetNumber, CPath, Path_Get, r->GetNumber())
BW_RESOURCE_QUERY(PathGetPointX, CPath, Path_Get, r->GetPoint(Arg_Int(args[1])).x)
BW_RESOURCE_QUERY(PathGetPointY, CPath, Path_Get, r->GetPoint(Arg_Int(args[1])).y)
BW_RESOURCE_QUERY(PathGetPointSpeed, CPath, Path_Get, r->GetPoint(Arg_Int(args[1])).speed)
BW_RESOURCE_QUERY(PathGetX, CPath, Path_Get, r->GetX(Arg_Float(args[1])))
BW_RESOURCE_QUERY(PathGetY, CPath, Path_Get, r->GetY(Arg_Float(args[1])))
BW_RESOURCE_QUERY(PathGetSpeed, CPath, Path_Get, r->GetSpeed(Arg_Float(args[1])))

BW_BUILTIN(PathExists)
{
    Result_SetBool(result, Path_Exists(Arg_Int(args[0])));
}

BW_BUILTIN(PathGetName)
{
    Result_SetString(result, Path_GetName(Arg_Int(args[0])));
}

// ---- setters: nothing happens for a missing path -----------------------

#define BW_PATH_EDIT(name, statement)                          \
    BW_BUILTIN(name)                                           \
    {                                                          \
        if (CPath* path = Path_Get(Arg_Int(args[0]))) {        \
            statement;                                         \
        }                                                      \
    }

BW_PATH_EDIT(PathSetKind, path->SetKind(Arg_Int(args[1])))
BW_PATH_EDIT(PathSetClosed, path->SetClosed(Arg_Above(args[1])))
BW_PATH_EDIT(PathSetPrecision, path->SetPrecision(Arg_Int(args[1])))
BW_PATH_EDIT(PathAddPoint, path->AddPoint(Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3])))
BW_PATH_EDIT(PathInsertPoint,
             path->InsertPoint(Arg_Int(args[1]), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4])))
BW_PATH_EDIT(PathChangePoint,
             path->ChangePoint(Arg_Int(args[1]), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4])))
BW_PATH_EDIT(PathDeletePoint, path->DeletePoint(Arg_Int(args[1])))
BW_PATH_EDIT(PathClearPoints, path->Clear())
BW_PATH_EDIT(PathReverse, path->Reverse())
BW_PATH_EDIT(PathMirror, path->Mirror())
BW_PATH_EDIT(PathFlip, path->Flip())
BW_PATH_EDIT(PathRotate, path->Rotate(Arg_Float(args[1])))
BW_PATH_EDIT(PathRescale, path->Rescale(Arg_Float(args[1]), Arg_Float(args[2])))
BW_PATH_EDIT(PathShift, path->Shift(Arg_Float(args[1]), Arg_Float(args[2])))

// ---- creation, copying and deletion ------------------------------------

BW_BUILTIN(PathAdd)
{
    Result_SetReal(result, Path_Add());
}

BW_BUILTIN(PathDuplicate)
{
    const int32_t index = Arg_Int(args[0]);
    if (!Path_Exists(index)) {
        Code_Error_Runtime("Trying to duplicate non-existing path.", false);
        return;
    }
    Result_SetReal(result, Path_Duplicate(index));
}

BW_BUILTIN(PathAssign)
{
    if (!Path_Assign(Arg_Int(args[0]), Arg_Int(args[1]))) {
        Code_Error_Runtime("Error assigning a path.", false);
    }
}

BW_BUILTIN(PathAppend)
{
    CPath* path = Path_Get(Arg_Int(args[0]));
    const CPath* other = Path_Get(Arg_Int(args[1]));
    if (path == nullptr) {
        Code_Error_Runtime("Appending to non-existing path.", false);
    } else if (other == nullptr) {
        Code_Error_Runtime("Appending a non-existing path.", false);
    } else {
        path->Append(*other);
    }
}

BW_BUILTIN(PathDelete)
{
    if (!Path_Delete(Arg_Int(args[0]))) {
        Code_Error_Runtime("Trying to delete non-existing path.", false);
    }
}

const BuiltinRegistration kPaths[] = {
    {"path_exists", &PathExists, 1},
    {"path_get_name", &PathGetName, 1},
    {"path_name", &PathGetName, 1},
    {"path_get_length", &PathGetLength, 1},
    {"path_get_kind", &PathGetKind, 1},
    {"path_get_closed", &PathGetClosed, 1},
    {"path_get_precision", &PathGetPrecision, 1},
    {"path_get_number", &PathGetNumber, 1},
    {"path_get_point_x", &PathGetPointX, 2},
    {"path_get_point_y", &PathGetPointY, 2},
    {"path_get_point_speed", &PathGetPointSpeed, 2},
    {"path_get_x", &PathGetX, 2},
    {"path_get_y", &PathGetY, 2},
    {"path_get_speed", &PathGetSpeed, 2},
    {"path_set_kind", &PathSetKind, 2},
    {"path_set_closed", &PathSetClosed, 2},
    {"path_set_precision", &PathSetPrecision, 2},
    {"path_add_point", &PathAddPoint, 4},
    {"path_insert_point", &PathInsertPoint, 5},
    {"path_change_point", &PathChangePoint, 5},
    {"path_delete_point", &PathDeletePoint, 2},
    {"path_clear_points", &PathClearPoints, 1},
    {"path_reverse", &PathReverse, 1},
    {"path_mirror", &PathMirror, 1},
    {"path_flip", &PathFlip, 1},
    {"path_rotate", &PathRotate, 2},
    {"path_rescale", &PathRescale, 3},
    {"path_shift", &PathShift, 3},
    {"path_add", &PathAdd, 0},
    {"path_duplicate", &PathDuplicate, 1},
    {"path_assign", &PathAssign, 2},
    {"path_append", &PathAppend, 2},
    {"path_delete", &PathDelete, 1},
};

}  // namespace

std::span<const BuiltinRegistration> ResourceBuiltins_Paths()
{
    return kPaths;
}

}  // namespace bw
