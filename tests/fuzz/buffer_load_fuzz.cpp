// Loads arbitrary bytes into a buffer the way buffer_load and
// buffer_base64_decode place them, then runs a few buffer operations chosen
// by the input over the result. Header: kind, alignment, size, offsets and
// the operation count; then the operations; the rest is the loaded bytes.
#include <cstdint>
#include <cstring>
#include <string>

#include "library/buffer.h"
#include "platform/memory.h"

namespace {

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;

    int32_t Next32()
    {
        uint32_t value = 0;
        const size_t count = size - at < 4 ? size - at : 4;
        if (count > 0) std::memcpy(&value, data + at, count);
        at += count;
        return static_cast<int32_t>(value);
    }
    uint8_t Next8() { return at < size ? data[at++] : 0; }
};

// Small values most of the time, so offsets land inside the buffer often;
// never so large that a grow buffer takes more memory than a fuzzer has.
int32_t Narrow(int32_t value, uint8_t selector)
{
    return (selector & 1) ? value % (1 << 20) : value % 64;
}

void RunOperation(bw::IBuffer& buffer, bw::IBuffer& other, Reader& in)
{
    const uint8_t op = in.Next8();
    const int32_t a = Narrow(in.Next32(), op >> 4);
    const int32_t b = Narrow(in.Next32(), op >> 5);
    const int32_t type = in.Next8() % 13;
    bw::Value value{};
    bw::Value_SetReal(value, static_cast<double>(a) * 0.5);
    if (op & 0x80) bw::Value_SetString(value, "text");
    switch (op % 12) {
    case 0: buffer.Write(type, value); break;
    case 1: buffer.Read(type, value); break;
    case 2: buffer.Seek(b % 4, a); break;
    case 3: buffer.Peek(a, type, value); break;
    case 4: buffer.Poke(a, type, value); break;
    case 5: buffer.Fill(a, b, type, value); break;
    case 6: buffer.Resize(b % 4096); break;
    case 7: buffer.CopyTo(a, b, other, in.Next32() % 128); break;
    case 8: other.CopyTo(a, b, buffer, in.Next32() % 128); break;
    case 9: buffer.MD5(a, b % 4096); buffer.SHA1(a, b % 4096); break;
    case 10: buffer.Base64Encode(a, b % 4096); break;
    case 11: bw::MemoryManager_Free(buffer.ReadString()); break;
    }
    bw::Value_Free(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Reader in{data, size};
    const int32_t kind = in.Next8() % 4;
    const int32_t alignment = 1 << (in.Next8() % 11);
    const int32_t initialSize = in.Next8();
    const int32_t sourceOffset = Narrow(in.Next32(), 1);
    const int32_t count = Narrow(in.Next32(), 0);
    const int32_t targetOffset = Narrow(in.Next32(), 0);
    const int operations = in.Next8() % 16;
    const size_t opsStart = in.at;
    in.at = in.size - in.at < static_cast<size_t>(operations) * 10 ? in.size : in.at + operations * 10;
    const uint8_t* payload = data + in.at;
    const size_t payloadSize = size - in.at;

    bw::Buffer_Standard standard(initialSize, kind == bw::kBufferFast ? 0 : kind, alignment);
    bw::Buffer_Fast fast(initialSize, bw::kBufferFast, alignment);
    bw::IBuffer& buffer = kind == bw::kBufferFast ? static_cast<bw::IBuffer&>(fast) : standard;
    if (initialSize == 0) buffer.InitEmpty();
    bw::Buffer_CopyMemoryIn(buffer, payload, static_cast<int32_t>(payloadSize), sourceOffset, count, targetOffset,
                        buffer.Kind() == bw::kBufferGrow || buffer.Size() == 0, buffer.Kind() == bw::kBufferWrap,
                        false);
    const std::string text(reinterpret_cast<const char*>(payload), payloadSize);
    bw::Buffer_Standard decoded(3, bw::kBufferWrap, 2);
    decoded.Base64Decode(text.c_str(), targetOffset, count);

    Reader ops{data, in.at, opsStart};
    for (int i = 0; i < operations; ++i) RunOperation(buffer, decoded, ops);
    return 0;
}
