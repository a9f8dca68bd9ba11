// Argument checking of the buffer_* built-ins; the buffers do the work. Every
// check happens before any work, and every integer argument is truncated
// toward zero (not rounded), as games have always had it.
#include "library/buffer_builtins.h"

#include <string_view>

#include "script/arguments.h"
#include "library/buffer.h"
#include "script/error_report.h"

namespace bw {

namespace {

void Report(const char* message)
{
    Code_Error_Runtime(message, false);
}

IBuffer* BufferArgument(const Value& arg)
{
    IBuffer* buffer = Buffer_Get(Arg_Trunc(arg));
    if (buffer == nullptr) {
        Report("Illegal Buffer Index");
    }
    return buffer;
}

// The checked arguments' buffer (the first argument), or null after a report.
IBuffer* CheckedBuffer(int32_t argc, const Value* args, std::string_view kinds)
{
    return Arguments_Check(argc, args, kinds) ? BufferArgument(args[0]) : nullptr;
}

const char* TextArgument(const Value& arg)
{
    return arg.ptr != nullptr ? Value_String(arg) : "";
}


BW_BUILTIN(BufferCreate)
{
    result->real = -1;
    if (argc != 3) {
        Report("buffer_create: Illegal argument count");
        return;
    }
    if (!Arg_IsReal(args[0]) || !Arg_IsReal(args[1]) || !Arg_IsReal(args[2])) {
        Report("buffer_create: Illegal argument type");
        return;
    }
    const int32_t size = Arg_Trunc(args[0]);
    const int32_t alignment = Arg_Trunc(args[2]);
    if (size < 1) {
        Report("buffer_create: Illegal size");
        return;
    }
    if (alignment < 1 || alignment > kBufferMaxAlignment) {
        Report("buffer_create: Illegal alignment size");
        return;
    }
    result->real = Buffer_Create(size, Arg_Trunc(args[1]), alignment);
}

BW_BUILTIN(BufferDelete)
{
    if (Arguments_Check(argc, args, "r")) {
        Buffer_Delete(Arg_Trunc(args[0]));
    }
}

BW_BUILTIN(BufferWrite)
{
    result->real = -1;
    if (IBuffer* buffer = CheckedBuffer(argc, args, "rra")) {
        result->real = buffer->Write(Arg_Trunc(args[1]), args[2]);
    }
}

BW_BUILTIN(BufferRead)
{
    if (IBuffer* buffer = CheckedBuffer(argc, args, "rr")) {
        buffer->Read(Arg_Trunc(args[1]), *result);
    }
}

BW_BUILTIN(BufferPeek)
{
    if (IBuffer* buffer = CheckedBuffer(argc, args, "rrr")) {
        buffer->Peek(Arg_Trunc(args[1]), Arg_Trunc(args[2]), *result);
    }
}

BW_BUILTIN(BufferPoke)
{
    if (IBuffer* buffer = CheckedBuffer(argc, args, "rrrr")) {
        buffer->Poke(Arg_Trunc(args[1]), Arg_Trunc(args[2]), args[3]);
    }
}

BW_BUILTIN(BufferSeek)
{
    result->real = -1;
    if (IBuffer* buffer = CheckedBuffer(argc, args, "rrr")) {
        result->real = buffer->Seek(Arg_Trunc(args[1]), Arg_Trunc(args[2]));
    }
}

BW_BUILTIN(BufferSave)
{
    if (IBuffer* buffer = CheckedBuffer(argc, args, "rs")) {
        buffer->Save(TextArgument(args[1]), 0, -1);
    }
}

BW_BUILTIN(BufferSaveExt)
{
    if (IBuffer* buffer = CheckedBuffer(argc, args, "rsrr")) {
        buffer->Save(TextArgument(args[1]), Arg_Trunc(args[2]), Arg_Trunc(args[3]));
    }
}

// A new grow buffer filled by fill; on failure it goes again and -1 results.
template <typename Fill>
void CreateFilled(Value* result, Fill&& fill)
{
    const int32_t id = Buffer_CreateEmpty();
    if (fill(*Buffer_Get(id))) {
        result->real = id;
        return;
    }
    Buffer_Delete(id);
    Report("Cannot load buffer file");
    result->real = -1;
}

BW_BUILTIN(BufferLoad)
{
    result->real = -1;
    if (Arguments_Check(argc, args, "s")) {
        const char* name = TextArgument(args[0]);
        CreateFilled(result, [name](IBuffer& buffer) { return buffer.Load(name, 0, -1, 0); });
    }
}

BW_BUILTIN(BufferLoadExt)
{
    if (IBuffer* buffer = CheckedBuffer(argc, args, "rsr")) {
        buffer->Load(TextArgument(args[1]), 0, -1, Arg_Trunc(args[2]));
    }
}

BW_BUILTIN(BufferCopy)
{
    if (!Arguments_Check(argc, args, "rrrrr")) {
        return;
    }
    const IBuffer* source = Buffer_Get(Arg_Trunc(args[0]));
    IBuffer* target = Buffer_Get(Arg_Trunc(args[3]));
    if (source == nullptr || target == nullptr) {
        Report("Illegal Source Buffer Index");
        return;
    }
    if (source == target) {
        Report("Source and Destination buffers can't be the same");
        return;
    }
    source->CopyTo(Arg_Trunc(args[1]), Arg_Trunc(args[2]), *target, Arg_Trunc(args[4]));
}

BW_BUILTIN(BufferFill)
{
    if (IBuffer* buffer = CheckedBuffer(argc, args, "rrrrr")) {
        buffer->Fill(Arg_Trunc(args[1]), Arg_Trunc(args[4]), Arg_Trunc(args[2]), args[3]);
    }
}

BW_BUILTIN(BufferGetSize)
{
    result->real = -1;
    if (const IBuffer* buffer = CheckedBuffer(argc, args, "r")) {
        result->real = buffer->Size();
    }
}

BW_BUILTIN(BufferTell)
{
    result->real = -1;
    if (const IBuffer* buffer = CheckedBuffer(argc, args, "r")) {
        result->real = buffer->Position();
    }
}

BW_BUILTIN(BufferResize)
{
    if (IBuffer* buffer = CheckedBuffer(argc, args, "rr")) {
        buffer->Resize(Arg_Trunc(args[1]));
    }
}

BW_BUILTIN(BufferMD5)
{
    Result_SetString(result, nullptr);
    if (const IBuffer* buffer = CheckedBuffer(argc, args, "rrr")) {
        Result_SetString(result, buffer->MD5(Arg_Trunc(args[1]), Arg_Trunc(args[2])).c_str());
    }
}

BW_BUILTIN(BufferSHA1)
{
    Result_SetString(result, nullptr);
    if (const IBuffer* buffer = CheckedBuffer(argc, args, "rrr")) {
        Result_SetString(result, buffer->SHA1(Arg_Trunc(args[1]), Arg_Trunc(args[2])).c_str());
    }
}

BW_BUILTIN(BufferBase64Encode)
{
    result->real = -1;
    if (const IBuffer* buffer = CheckedBuffer(argc, args, "rrr")) {
        Result_SetString(result, buffer->Base64Encode(Arg_Trunc(args[1]), Arg_Trunc(args[2])).c_str());
    }
}

BW_BUILTIN(BufferBase64Decode)
{
    result->real = -1;
    if (Arguments_Check(argc, args, "s")) {
        const char* text = TextArgument(args[0]);
        CreateFilled(result, [text](IBuffer& buffer) { return buffer.Base64Decode(text, 0, -1); });
    }
}

BW_BUILTIN(BufferBase64DecodeExt)
{
    if (IBuffer* buffer = CheckedBuffer(argc, args, "rsr")) {
        buffer->Base64Decode(TextArgument(args[1]), Arg_Trunc(args[2]), -1);
    }
}

BW_BUILTIN(BufferSizeOf)
{
    result->real = -1;
    if (Arguments_Check(argc, args, "r")) {
        result->real = Buffer_SizeOfType(Arg_Trunc(args[0]));
    }
}

BW_BUILTIN(BufferGetSurface)
{
    result->real = -1;
    Report("Error in buffer_get_surface(): Not yet implemented.");
}

BW_BUILTIN(BufferSetSurface)
{
    result->real = -1;
    Report("Error in buffer_set_surface(): Not yet implemented.");
}

const BuiltinRegistration kBufferBuiltins[] = {
    {"buffer_create", BufferCreate, 3},
    {"buffer_delete", BufferDelete, 1},
    {"buffer_write", BufferWrite, 3},
    {"buffer_read", BufferRead, 2},
    {"buffer_peek", BufferPeek, 3},
    {"buffer_poke", BufferPoke, 4},
    {"buffer_seek", BufferSeek, 3},
    {"buffer_save", BufferSave, 2},
    {"buffer_save_ext", BufferSaveExt, 4},
    {"buffer_load", BufferLoad, 1},
    {"buffer_load_ext", BufferLoadExt, 3},
    {"buffer_copy", BufferCopy, 5},
    {"buffer_fill", BufferFill, 5},
    {"buffer_get_size", BufferGetSize, 1},
    {"buffer_tell", BufferTell, 1},
    {"buffer_resize", BufferResize, 2},
    {"buffer_md5", BufferMD5, 3},
    {"buffer_sha1", BufferSHA1, 3},
    {"buffer_base64_encode", BufferBase64Encode, 3},
    {"buffer_base64_decode", BufferBase64Decode, 1},
    {"buffer_base64_decode_ext", BufferBase64DecodeExt, 3},
    {"buffer_sizeof", BufferSizeOf, 1},
    {"buffer_get_surface", BufferGetSurface, 5},
    {"buffer_set_surface", BufferSetSurface, 5},
};

}  // namespace

void Function_Buffers_Register()
{
    Builtins_Register(kBufferBuiltins);
}

}  // namespace bw
