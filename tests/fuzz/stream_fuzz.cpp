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

// Compressing and inflating again must give back exactly the data.
void CheckZlibRoundTrip(const CStream& stream)
{
    CStream packed;
    if (!packed.ZCompress(&stream)) {
        __builtin_trap();
    }
    packed.Seek(0);
    std::unique_ptr<CStream> back = packed.ZDecompress();
    if (back == nullptr || back->GetSize() != stream.GetSize()
        || (stream.GetSize() > 0
            && std::memcmp(back->GetData(), stream.GetData(), static_cast<size_t>(stream.GetSize())) != 0)) {
        __builtin_trap();
    }
}

void ReadSome(CStream& stream)
{
    stream.ReadInteger();
    stream.ReadReal();
    char* text = nullptr;
    stream.ReadString(&text);
    bw::MemoryManager_Free(text);
}

void RunOperation(CStream& stream, uint8_t op)
{
    switch (op % 14) {
    case 0: stream.ReadInteger(); break;
    case 1: stream.ReadReal(); break;
    case 2: stream.ReadBoolean(); break;
    case 3: {
        char* text = nullptr;
        stream.ReadString(&text);
        bw::MemoryManager_Free(text);
        break;
    }
    case 4: bw::MemoryManager_Free(stream.ReadStringOrNull()); break;
    case 5: {
        std::unique_ptr<CStream> block = stream.ReadStream();
        if (block != nullptr) {
            ReadSome(*block);
        }
        break;
    }
    case 6: stream.SkipBlock(); break;
    case 7: {
        std::unique_ptr<CStream> inflated = stream.ZDecompress();
        if (inflated != nullptr) {
            ReadSome(*inflated);
        }
        break;
    }
    case 8: {
        // The text form arrives as a NUL-terminated string.
        std::string text;
        if (stream.GetPosition() < stream.GetSize()) {
            text.assign(reinterpret_cast<const char*>(stream.GetData() + stream.GetPosition()),
                        static_cast<size_t>(stream.GetSize() - stream.GetPosition()));
        }
        stream.ConvertFromString(text.c_str());
        break;
    }
    case 9: {
        char* text = nullptr;
        stream.ConvertToString(&text);
        bw::MemoryManager_Free(text);
        break;
    }
    case 10: stream.SeekFrom(stream.ReadInteger(), op >> 6); break;
    case 11: {
        const int32_t seed = stream.ReadInteger();
        const int32_t start = stream.ReadInteger();
        if (op & 0x80) {
            stream.UnscrambleWithPosition(seed, start, stream.ReadInteger());
        } else {
            stream.Unscramble(seed, start, stream.ReadInteger());
        }
        break;
    }
    case 12: {
        CStream copy;
        copy.CopyFrom(&stream, stream.ReadInteger(), stream.ReadInteger(), (op & 0x80) != 0);
        ReadSome(copy);
        break;
    }
    case 13: CheckZlibRoundTrip(stream); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) {
        return 0;
    }
    const size_t operations = std::min<size_t>(data[0] & 0x3F, size - 1);
    const uint8_t* ops = data + 1;
    std::vector<uint8_t> bytes(data + 1 + operations, data + size);

    // Both ways of filling a stream: reading a caller's block in place, or
    // the stream's own grown copy.
    CStream stream;
    if (data[0] & 0x40) {
        stream.Attach(bytes.data(), static_cast<int64_t>(bytes.size()));
    } else if (!bytes.empty()) {
        stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        stream.Seek(0);
    }
    for (size_t i = 0; i < operations; ++i) {
        RunOperation(stream, ops[i]);
    }
    return 0;
}
