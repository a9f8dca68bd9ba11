// json_decode of arbitrary text: it either gives -1 or a map whose tree
// encodes again, and a text that is not an object gives a map of exactly one
// member, "default", whatever quotes it holds.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "library/ds.h"
#include "library/ds_map.h"
#include "library/json.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Game code hands over NUL-terminated text: it ends at the first NUL.
    std::string text(reinterpret_cast<const char*>(data), size);
    text.resize(std::strlen(text.c_str()));
    const int32_t id = bw::Json_Decode(text.c_str());
    if (id < 0) {
        if (id != -1)
            std::abort();
        return 0;
    }
    const std::string encoded = bw::Json_EncodeMap(id);
    if (encoded.empty() || encoded.front() != '{')
        std::abort();
    const size_t first = text.find_first_not_of(" \t\n\v\f\r");
    const bool wrapped = first == std::string::npos || text[first] != '{';
    if (wrapped && (bw::DS_Map_Size(bw::DS_MapPool().Get(id)) != 1 || encoded.rfind("{ \"default\": ", 0) != 0))
        std::abort();
    bw::DS_FreeAll();
    return 0;
}
