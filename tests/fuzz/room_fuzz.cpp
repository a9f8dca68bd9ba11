// The ROOM reader on arbitrary bytes: the input is both the image and the
// chunk (its room list starts at offset 0). Every template the reader
// accepts is then entered, so that what it holds is used as well: the
// instances and tiles made from its record, their depths sorted.
#include <cstdint>
#include <cstddef>

#include "platform/package_loader.h"
#include "platform/package_view.h"
#include "world/instance_table.h"
#include "world/room.h"
#include "world/room_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > UINT32_MAX) {
        return 0;
    }
    // Odd sizes read the records of packages older than the physics
    // settings, even sizes the current ones.
    bw::Package().header.format = (size % 2 != 0) ? 5 : 13;
    const bw::PackageView view(data, size);
    if (bw::Room_Load(view, 0, static_cast<uint32_t>(size))) {
        for (int32_t index = 0; index < bw::Room_Count(); ++index) {
            bw::CRoom entered;
            entered.CreateInstances(bw::Room_Get(index), true);
            entered.SortTiles();
            entered.FindTileAt(0.0f, 0.0f, false);
            entered.DeleteTilesAt(0.0f, 0.0f, true);
        }
    }
    bw::Room_ClearTable();
    bw::Instance_FreeAll();
    return 0;
}
