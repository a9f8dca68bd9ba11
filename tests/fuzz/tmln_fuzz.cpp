// The TMLN reader on arbitrary bytes: the whole input is the package and the
// chunk's payload starts at offset 0. Loaded timelines answer the step's
// moment searches.
#include <cstddef>
#include <cstdint>

#include "platform/package_view.h"
#include "resources/timeline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const bw::PackageView package(data, size);
    const auto length = static_cast<uint32_t>(size > UINT32_MAX ? UINT32_MAX : size);
    if (bw::TimeLine_Load(package, 0, length)) {
        for (int32_t i = 0; i < bw::TimeLine_GetCount(); ++i) {
            bw::TimeLine_Find(bw::TimeLine_GetName(i));
            bw::CTimeLine* timeline = bw::TimeLine_Get(i);
            if (timeline == nullptr) {
                continue;
            }
            const int32_t last = timeline->GetMomentTime(timeline->GetMomentCount() - 1);
            timeline->FindMomentFrom(last * 0.5);
            timeline->FindMomentUpTo(last + 1.0);
            timeline->ClearMoment(last);
        }
    }
    bw::TimeLine_ClearTable();
    return 0;
}
