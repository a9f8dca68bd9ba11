// asset_get_index and asset_get_type: resources by name, whatever their kind.
#include <iterator>

#include "resources/resource_builtins.h"
#include "resources/resource_builtins_args.h"
#include "script/constants.h"
#include "script/resource_seams.h"

namespace bw {
namespace {

// Only resources answer: a constant's name gives -1.
BW_BUILTIN(AssetGetIndex)
{
    int32_t index = -1;
    if (argc != 1 || Arg_Text(args[0]) == nullptr || !Code_Resource_FindAsset(Arg_Text(args[0]), &index)) {
        index = -1;
    }
    Result_SetReal(result, index);
}

// The kinds in the order they are searched, each with the number game code
// knows it by; sounds and audio assets are one kind there.
struct AssetKindEntry {
    ResourceKind kind;
    int32_t assetKind;
};
constexpr AssetKindEntry kAssetKinds[] = {
    {ResourceKind::Object, 0},   {ResourceKind::Sprite, 1}, {ResourceKind::Audio, 2},
    {ResourceKind::Sound, 2},    {ResourceKind::Background, 4}, {ResourceKind::Path, 5},
    {ResourceKind::Font, 7},     {ResourceKind::TimeLine, 8},   {ResourceKind::Script, 6},
    {ResourceKind::Room, 3},
};

BW_BUILTIN(AssetGetType)
{
    Result_SetReal(result, -1.0);
    const char* name = argc == 1 ? Arg_Text(args[0]) : nullptr;
    if (name == nullptr) {
        return;
    }
    for (const AssetKindEntry& entry : kAssetKinds) {
        if (Resource_FindByName(entry.kind, name) >= 0) {
            Result_SetReal(result, entry.assetKind);
            return;
        }
    }
}

const BuiltinRegistration kAssets[] = {
    {"asset_get_index", &AssetGetIndex, kBuiltinArgCountAny},
    {"asset_get_type", &AssetGetType, kBuiltinArgCountAny},
};

}  // namespace

std::span<const BuiltinRegistration> ResourceBuiltins_Assets()
{
    return kAssets;
}

}  // namespace bw
