// Reads arbitrary bytes as a BMP file into a TBitmap and converts what loads.
#include <cstddef>
#include <cstdint>

#include "graphics/bitmap.h"
#include "graphics/bitmap32.h"
#include "platform/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    bw::CStream stream;
    stream.WriteBuffer(data, static_cast<int64_t>(size));
    stream.Seek(0);
    bw::TBitmap bitmap;
    if (bitmap.LoadFromStream(&stream)) {
        bw::CBitmap32::CreateFromImage(&bitmap, true, true);
    }
    return 0;
}
