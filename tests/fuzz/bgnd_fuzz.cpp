// The BGND reader on arbitrary bytes: the whole input is the package and the
// chunk's payload starts at offset 0. Loaded backgrounds answer their names
// and sizes and draw (there is no device, so drawing checks and returns).
#include <cstddef>
#include <cstdint>

#include "graphics/draw_textured.h"
#include "platform/package_view.h"
#include "resources/background.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const bw::PackageView package(data, size);
    const auto length = static_cast<uint32_t>(size > UINT32_MAX ? UINT32_MAX : size);
    if (bw::Background_Load(package, 0, length)) {
        const int32_t loaded = bw::Background_Count();
        for (int32_t i = 0; i < loaded; ++i) {
            bw::Background_Find(bw::Background_GetName(i));
            const bw::CBackground* background = bw::Background_Get(i);
            if (background == nullptr) {
                continue;
            }
            background->DrawStretched(0, 0, 10, 10, 0xFFFFFF, 1);
            background->DrawTiled(0, 0, 1, 1, true, true, bw::TileArea{0, 0, 64, 64}, 0xFFFFFF, 1);
            bw::Background_Duplicate(i);
        }
    }
    bw::Background_ClearTable();
    return 0;
}
