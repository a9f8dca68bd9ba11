// Surface built-ins. Ids and pixel positions are the nearest integers; the
// drawing forms take reals. The short forms draw in white with the draw
// alpha.
#include <cmath>

#include "graphics/draw_2d.h"
#include "graphics/draw_textured.h"
#include "graphics/graphic_builtins_args.h"
#include "graphics/surfaces.h"
#include "script/error_report.h"
#include "world/room.h"

namespace bw {

namespace {

constexpr uint32_t kWhite = 0xFFFFFFu;

// The surface of the argument, reporting a missing one.
bool ExistingSurface(const Value& value, int32_t& id)
{
    id = Arg_Int(value);
    if (!Surface_Exists(id)) {
        Code_Error_Runtime("Trying to use non-existing surface.", false);
        return false;
    }
    return true;
}

const char* SaveFileName(const Value& value)
{
    const char* name = Arg_IsString(value) ? Value_String(value) : nullptr;
    if (name == nullptr || name[0] == '\0') {
        Code_Error_Runtime("Trying to save surface to empty image file name.", false);
        return nullptr;
    }
    return name;
}

// Tiles cover the current room.
TileArea RoomArea()
{
    const CRoom* room = Room_Current();
    if (room == nullptr) {
        return TileArea{0.0f, 0.0f, 0.0f, 0.0f};
    }
    return TileArea{0.0f, 0.0f, static_cast<float>(room->width), static_cast<float>(room->height)};
}

// Refused sizes answer -1 like a failed creation: 0 is the first real id.
BW_BUILTIN(SurfaceCreate)
{
    const int32_t w = Arg_Int(args[0]), h = Arg_Int(args[1]);
    if (w <= 0 || h <= 0) {
        result->real = -1;
        Code_Error_Runtime("Invalid surface dimensions", false);
        return;
    }
    result->real = Surface_Create(w, h);
}
BW_BUILTIN(SurfaceFree)
{
    Surface_Free(Arg_Int(args[0]));
}
BW_BUILTIN(SurfaceExists)
{
    Result_SetBool(result, Surface_Exists(Arg_Int(args[0])));
}
BW_BUILTIN(SurfaceGetWidth)
{
    result->real = Surface_Width(Arg_Int(args[0]));
}
BW_BUILTIN(SurfaceGetHeight)
{
    result->real = Surface_Height(Arg_Int(args[0]));
}
BW_BUILTIN(SurfaceGetTexture)
{
    result->real = Surface_GetTexture(Arg_Int(args[0]));
}
BW_BUILTIN(SurfaceSetTarget)
{
    Result_SetBool(result, Surface_SetTarget(Arg_Int(args[0])));
}
BW_BUILTIN(SurfaceResetTarget)
{
    Result_SetBool(result, Surface_ResetTarget());
}

// The plain form lands on whole pixels.
BW_BUILTIN(DrawSurface)
{
    int32_t id = -1;
    if (ExistingSurface(args[0], id)) {
        Surface_Draw(id, std::floor(Arg_Float(args[1])), std::floor(Arg_Float(args[2])));
    }
}
BW_BUILTIN(DrawSurfaceExt)
{
    int32_t id = -1;
    if (ExistingSurface(args[0], id)) {
        Surface_DrawExt(id, Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4]),
                        Arg_Float(args[5]), Arg_Colour(args[6]), Arg_Float(args[7]));
    }
}
BW_BUILTIN(DrawSurfaceStretched)
{
    int32_t id = -1;
    if (ExistingSurface(args[0], id)) {
        Surface_DrawStretched(id, Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4]),
                              kWhite, GR_GetAlpha());
    }
}
BW_BUILTIN(DrawSurfaceStretchedExt)
{
    int32_t id = -1;
    if (ExistingSurface(args[0], id)) {
        Surface_DrawStretched(id, Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4]),
                              Arg_Colour(args[5]), Arg_Float(args[6]));
    }
}
BW_BUILTIN(DrawSurfacePart)
{
    int32_t id = -1;
    if (ExistingSurface(args[0], id)) {
        Surface_DrawPart(id, Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4]),
                         Arg_Float(args[5]), Arg_Float(args[6]), 1.0f, 1.0f, kWhite, GR_GetAlpha());
    }
}
BW_BUILTIN(DrawSurfacePartExt)
{
    int32_t id = -1;
    if (ExistingSurface(args[0], id)) {
        Surface_DrawPart(id, Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4]),
                         Arg_Float(args[5]), Arg_Float(args[6]), Arg_Float(args[7]), Arg_Float(args[8]),
                         Arg_Colour(args[9]), Arg_Float(args[10]));
    }
}
BW_BUILTIN(DrawSurfaceGeneral)
{
    int32_t id = -1;
    if (ExistingSurface(args[0], id)) {
        Surface_DrawGeneral(id, Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4]),
                            Arg_Float(args[5]), Arg_Float(args[6]), Arg_Float(args[7]), Arg_Float(args[8]),
                            Arg_Float(args[9]), Arg_Colour(args[10]), Arg_Colour(args[11]), Arg_Colour(args[12]),
                            Arg_Colour(args[13]), Arg_Float(args[14]));
    }
}
BW_BUILTIN(DrawSurfaceTiled)
{
    int32_t id = -1;
    if (ExistingSurface(args[0], id)) {
        Surface_DrawTiled(id, Arg_Float(args[1]), Arg_Float(args[2]), 1.0f, 1.0f, 1, 1, RoomArea(), kWhite,
                          GR_GetAlpha());
    }
}
BW_BUILTIN(DrawSurfaceTiledExt)
{
    int32_t id = -1;
    if (ExistingSurface(args[0], id)) {
        Surface_DrawTiled(id, Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4]), 1, 1,
                          RoomArea(), Arg_Colour(args[5]), Arg_Float(args[6]));
    }
}

BW_BUILTIN(SurfaceSave)
{
    int32_t id = -1;
    if (!ExistingSurface(args[0], id)) {
        return;
    }
    if (const char* name = SaveFileName(args[1])) {
        Surface_Save(id, name);
    }
}
BW_BUILTIN(SurfaceSavePart)
{
    int32_t id = -1;
    if (!ExistingSurface(args[0], id)) {
        return;
    }
    if (const char* name = SaveFileName(args[1])) {
        Surface_SavePart(id, name, Arg_Int(args[2]), Arg_Int(args[3]), Arg_Int(args[4]), Arg_Int(args[5]));
    }
}
// Reading a pixel of a missing surface is not an error.
BW_BUILTIN(SurfaceGetPixel)
{
    const int32_t id = Arg_Int(args[0]);
    if (Surface_Exists(id)) {
        result->real = Surface_GetPixel(id, Arg_Int(args[1]), Arg_Int(args[2]));
    }
}
BW_BUILTIN(SurfaceCopy)
{
    int32_t destination = -1, source = -1;
    if (ExistingSurface(args[0], destination) && ExistingSurface(args[3], source)) {
        Surface_Copy(destination, Arg_Int(args[1]), Arg_Int(args[2]), source, 0, 0, Surface_Width(source),
                     Surface_Height(source));
    }
}
BW_BUILTIN(SurfaceCopyPart)
{
    int32_t destination = -1, source = -1;
    if (ExistingSurface(args[0], destination) && ExistingSurface(args[3], source)) {
        Surface_Copy(destination, Arg_Int(args[1]), Arg_Int(args[2]), source, Arg_Int(args[4]), Arg_Int(args[5]),
                     Arg_Int(args[6]), Arg_Int(args[7]));
    }
}

const BuiltinRegistration kSurfaces[] = {
    {"surface_create", &SurfaceCreate, 2},
    {"surface_free", &SurfaceFree, 1},
    {"surface_exists", &SurfaceExists, 1},
    {"surface_get_width", &SurfaceGetWidth, 1},
    {"surface_get_height", &SurfaceGetHeight, 1},
    {"surface_get_texture", &SurfaceGetTexture, 1},
    {"surface_set_target", &SurfaceSetTarget, 1},
    {"surface_reset_target", &SurfaceResetTarget, 0},
    {"draw_surface", &DrawSurface, 3},
    {"draw_surface_ext", &DrawSurfaceExt, 8},
    {"draw_surface_stretched", &DrawSurfaceStretched, 5},
    {"draw_surface_stretched_ext", &DrawSurfaceStretchedExt, 7},
    {"draw_surface_part", &DrawSurfacePart, 7},
    {"draw_surface_part_ext", &DrawSurfacePartExt, 11},
    {"draw_surface_general", &DrawSurfaceGeneral, 15},
    {"draw_surface_tiled", &DrawSurfaceTiled, 3},
    {"draw_surface_tiled_ext", &DrawSurfaceTiledExt, 7},
    {"surface_save", &SurfaceSave, 2},
    {"surface_save_part", &SurfaceSavePart, 6},
    {"surface_getpixel", &SurfaceGetPixel, 3},
    {"surface_copy", &SurfaceCopy, 4},
    {"surface_copy_part", &SurfaceCopyPart, 8},
};

}  // namespace

std::span<const BuiltinRegistration> GraphicBuiltins_Surfaces()
{
    return kSurfaces;
}

}  // namespace bw
