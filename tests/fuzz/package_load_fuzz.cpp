// Runs the loader's passes over arbitrary bytes: the debug pre-pass, the
// header pass (with the string table, code list and variable binding) and
// the main pass with every chunk reader in place. Whatever the bytes, the
// passes must answer true or false without reading outside the image.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "app/registration.h"
#include "graphics/texture_pages.h"
#include "platform/package_loader.h"
#include "script/code_chunks.h"
#include "script/function_table.h"
#include "world/builtin_variables.h"

namespace {

bool Prepare()
{
    // The passes log every chunk; the log is not what is under test.
    if (std::freopen("/dev/null", "w", stdout) == nullptr) return false;
    bw::Variable_Init();
    bw::Registration_InstallPackageReaders();
    return true;
}

// Empties every table an input filled, so nothing one input loaded is still
// held when the process ends and the leak check runs.
void Forget()
{
    bw::Registration_ClearTables();
    bw::PackageLoader_Reset();
    bw::CODE_Clear();
    bw::TexturePages_Clear();
    bw::Code_Function_Free();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = Prepare();
    (void)ready;
    // A copy of exactly the input's size, so a read past it is caught.
    const std::vector<uint8_t> image(data, data + size);
    Forget();
    bw::Package_SetImage(image.data(), image.size());
    bw::Package_SetDebugImage(image.data(), image.size());
    bw::Runner_PreProcessChunks();
    bw::Code_Load();
    bw::Runner_ProcessChunks();
    Forget();
    return 0;
}
