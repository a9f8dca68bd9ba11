// The PATH reader on arbitrary bytes: the whole input is the package and the
// chunk's payload starts at offset 0. Loaded paths (whatever their points:
// huge, infinite or NaN) compute their course, answer positions and take
// the edits game code can make.
#include <cstddef>
#include <cstdint>

#include "platform/package_view.h"
#include "resources/path.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const bw::PackageView package(data, size);
    const auto length = static_cast<uint32_t>(size > UINT32_MAX ? UINT32_MAX : size);
    if (bw::Path_Load(package, 0, length)) {
        for (int32_t i = 0; i < bw::Path_Count(); ++i) {
            bw::Path_Find(bw::Path_GetName(i));
            bw::CPath* path = bw::Path_Get(i);
            if (path == nullptr) {
                continue;
            }
            float x = 0;
            float y = 0;
            float speed = 0;
            for (float t : {-1.0f, 0.0f, 0.3f, 0.5f, 0.999f, 1.0f, 2.0f}) {
                path->GetPosition(t, &x, &y, &speed);
            }
            path->SetKind(1 - path->GetKind());
            path->SetClosed(!path->GetClosed());
            path->Rotate(33);
            path->Rescale(2, 0.5f);
            path->Reverse();
            path->GetPosition(0.5f, &x, &y, &speed);
            path->Draw(0, 0, false);
        }
    }
    bw::Path_ClearTable();
    return 0;
}
