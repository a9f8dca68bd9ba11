// The EXTN reader on arbitrary bytes: the whole input is the package and the
// chunk's payload starts at offset 0. Preparation is left out: it would load
// the libraries the input names.
#include <cstddef>
#include <cstdint>

#include "platform/package_view.h"
#include "resources/extension.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const bw::PackageView package(data, size);
    const auto length = static_cast<uint32_t>(size > UINT32_MAX ? UINT32_MAX : size);
    if (bw::Extension_Load(package, 0, length)) {
        for (int32_t i = 0; i < bw::Extension_PackageCount(); ++i) {
            const bw::CExtensionPackage* read = bw::Extension_GetPackage(i);
            if (read == nullptr) {
                continue;
            }
            for (const bw::CExtensionFile& file : read->files) {
                for (const bw::CExtensionFunction& function : file.functions) {
                    bw::ExtensionTable_Find(function.name.c_str());
                    bw::ExtensionTable_GetArgCount(function.id);
                    bw::Extension_GetFunctionName(function.id);
                    function.ArgumentType(function.argCount);
                }
            }
        }
    }
    bw::Extension_ClearTable();
    return 0;
}
