// Drives the stream readers over arbitrary bytes: the first byte picks how
// many operations run, the next bytes pick them, the rest is the stream.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/memory.h"
#include "platform/stream.h"

namespace {

using bw::CStream;

void ReadTextFrom(CStream* stream)
{
    if (stream != nullptr) bw::MemoryManager_Free(stream->ReadStringOrNull());
}

// Compressing and inflating again must give back exactly the data.
void CheckZlibRoundTrip(const CStream& stream)
{
    CStream packed;
    const bool compressed = packed.ZCompress(&stream);
    packed.Seek(0);
    const std::unique_ptr<CStream> back = packed.ZDecompress();
    const auto size = static_cast<size_t>(stream.GetSize());
    if (!compressed || back == nullptr || back->GetSize() != stream.GetSize()
        || (size > 0 && std::memcmp(back->GetData(), stream.GetData(), size) != 0))
        __builtin_trap();
}

void RunOperation(CStream& stream, uint8_t op)
{
    char* text = nullptr;
    switch (op % 14) {
    case 0: stream.ReadInteger(); break;
    case 1: stream.ReadReal(); break;
    case 2: stream.ReadBoolean(); break;
    case 3: stream.ReadString(&text); break;
    case 4: text = stream.ReadStringOrNull(); break;
    case 5: ReadTextFrom(stream.ReadStream().get()); break;
    case 6: stream.SkipBlock(); break;
    case 7: ReadTextFrom(stream.ZDecompress().get()); break;
    case 8: {  // the text form arrives NUL-terminated
        std::string rest;
        if (stream.GetPosition() < stream.GetSize())
            rest.assign(reinterpret_cast<const char*>(stream.GetData() + stream.GetPosition()),
                        static_cast<size_t>(stream.GetSize() - stream.GetPosition()));
        stream.ConvertFromString(rest.c_str());
        break;
    }
    case 9: stream.ConvertToString(&text); break;
    case 10: stream.SeekFrom(stream.ReadInteger(), op >> 6); break;
    case 11: {
        const int32_t seed = stream.ReadInteger(), start = stream.ReadInteger(), length = stream.ReadInteger();
        if (op & 0x80) stream.UnscrambleWithPosition(seed, start, length);
        else stream.Unscramble(seed, start, length);
        break;
    }
    case 12: {
        const int32_t start = stream.ReadInteger(), length = stream.ReadInteger();
        CStream copy;
        copy.CopyFrom(&stream, start, length, (op & 0x80) != 0);
        ReadTextFrom(&copy);
        break;
    }
    case 13: CheckZlibRoundTrip(stream); break;
    }
    bw::MemoryManager_Free(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    const size_t operations = std::min<size_t>(data[0] & 0x3F, size - 1);
    std::vector<uint8_t> bytes(data + 1 + operations, data + size);

    // Both ways of filling a stream: a caller's block read in place, or the stream's own copy.
    CStream stream;
    if (data[0] & 0x40) {
        stream.Attach(bytes.data(), static_cast<int64_t>(bytes.size()));
    } else if (!bytes.empty()) {
        stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        stream.Seek(0);
    }
    for (size_t i = 0; i < operations; ++i) RunOperation(stream, data[1 + i]);
    return 0;
}
