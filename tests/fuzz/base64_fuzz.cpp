// Base64 decoding of arbitrary text must stay in bounds, and every byte string
// must survive an encode/decode round trip.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/base64.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // Four characters give at most three bytes, plus two from a partial group.
    const std::vector<uint8_t> decoded = bw::Base64_Decode(text);
    if (decoded.size() > size / 4 * 3 + 2)
        std::abort();

    // Whatever decoding produced is itself encoded and read back unchanged.
    if (bw::Base64_Decode(bw::Base64_Encode(decoded.data(), decoded.size())) != decoded)
        std::abort();

    // The input taken as raw bytes round-trips too.
    const std::vector<uint8_t> input(data, data + size);
    if (bw::Base64_Decode(bw::Base64_Encode(data, size)) != input)
        std::abort();

    // A short caller buffer receives exactly the leading bytes.
    uint8_t buffer[4];
    const size_t written = bw::Base64_Decode(text, buffer, sizeof buffer);
    if (written != std::min(decoded.size(), sizeof buffer) ||
        (written != 0 && std::memcmp(buffer, decoded.data(), written) != 0))
        std::abort();
    return 0;
}
