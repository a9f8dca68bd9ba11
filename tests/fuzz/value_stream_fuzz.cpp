// Reads a Value from arbitrary bytes, as a save game or a buffer would hand
// them over. Whatever reads back must write, copy and read again to the very
// same bytes.
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/stream.h"
#include "script/value.h"

namespace {

void WriteOrTrap(const bw::Value& value, bw::CStream& stream)
{
    if (!bw::Value_Write(value, stream)) {
        __builtin_trap();
    }
}

bool SameBytes(const bw::CStream& a, const bw::CStream& b)
{
    return a.GetSize() == b.GetSize()
           && (a.GetSize() == 0 || std::memcmp(a.GetData(), b.GetData(), static_cast<size_t>(a.GetSize())) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    bw::CStream input;
    if (size > 0) {
        input.WriteBuffer(data, static_cast<int64_t>(size));
        input.Seek(0);
    }
    bw::Value value;
    if (!bw::Value_Read(value, input)) {
        if (value.kind != bw::kValueReal || value.ptr != nullptr) {
            __builtin_trap();
        }
        return 0;
    }
    std::string text;
    bw::Value_ToString(text, value);

    bw::CStream first;
    WriteOrTrap(value, first);
    bw::Value copy;
    bw::Value_Copy(copy, value);
    bw::CStream copied;
    WriteOrTrap(copy, copied);

    first.Seek(0);
    bw::Value again;
    if (!bw::Value_Read(again, first)) {
        __builtin_trap();
    }
    bw::CStream second;
    WriteOrTrap(again, second);
    if (!SameBytes(first, second) || !SameBytes(first, copied)) {
        __builtin_trap();
    }
    bw::Value_Free(value);
    bw::Value_Free(copy);
    bw::Value_Free(again);
    return 0;
}
