// The SCPT reader on arbitrary bytes: the whole input is the package and the
// chunk's payload starts at offset 0.
#include <cstddef>
#include <cstdint>

#include "platform/package_view.h"
#include "resources/script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const bw::PackageView package(data, size);
    const auto length = static_cast<uint32_t>(size > UINT32_MAX ? UINT32_MAX : size);
    if (bw::Script_Load(package, 0, length)) {
        for (int32_t i = 0; i < bw::Script_Count(); ++i) {
            bw::ScriptTable_Find(bw::Script_GetName(i));
            if (const bw::CScript* script = bw::Script_Get(i)) {
                script->GetText();
            }
        }
    }
    bw::Script_ClearTable();
    return 0;
}
