#include "library/buffer_builtins.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "unit/library/library_test_support.h"

namespace bw {
namespace {

using test::CallBuiltin;
using test::LastError;
using test::ScriptValue;

class BufferBuiltinsTest : public test::LibraryTest {
protected:
    bool Reported(const std::string& message) const { return LastError().find(message) != std::string::npos; }
};

TEST_F(BufferBuiltinsTest, CreateChecksEachArgumentBeforeWork)
{
    struct Case { ScriptValue size, kind, alignment; const char* message; };
    const Case cases[] = {
        {0.0, 0.0, 1.0, "buffer_create: Illegal size"}, {0.9, 0.0, 1.0, "buffer_create: Illegal size"},
        {8.0, 0.0, 0.0, "buffer_create: Illegal alignment size"},
        {8.0, 0.0, 1025.0, "buffer_create: Illegal alignment size"},
        {8.0, "0", 1.0, "buffer_create: Illegal argument type"},
    };
    for (const Case& c : cases) {
        Code_Error_ResetState();
        EXPECT_EQ(CallBuiltin("buffer_create", {c.size, c.kind, c.alignment}).Real(), -1.0);
        EXPECT_TRUE(Reported(c.message)) << c.message;
    }
    EXPECT_EQ(CallBuiltin("buffer_create", {8.0, 0.0, 1024.0}).Real(), 0.0);
}

TEST_F(BufferBuiltinsTest, MisuseIsReportedAndTheDefaultReturned)
{
    const ScriptValue buffer = CallBuiltin("buffer_create", {8.0, 1.0, 1.0});
    struct Case { std::function<ScriptValue()> call; double expected; const char* message; };
    const Case cases[] = {
        {[&] { return CallBuiltin("buffer_write", {buffer, 1.0}); }, -1, "Illegal argument count"},
        {[&] { return CallBuiltin("buffer_seek", {buffer, "0", 0.0}); }, -1, "Illegal argument type"},
        {[] { return CallBuiltin("buffer_tell", {3.0}); }, -1, "Illegal Buffer Index"},
        {[] { return CallBuiltin("buffer_get_size", {-1.0}); }, -1, "Illegal Buffer Index"},
        {[] { return CallBuiltin("buffer_sizeof", {"1"}); }, -1, "Illegal argument type"},
        {[] { return CallBuiltin("buffer_base64_encode", {9.0, 0.0, -1.0}); }, -1, "Illegal Buffer Index"},
        {[] { return CallBuiltin("buffer_read", {9.0, 1.0}); }, 0, "Illegal Buffer Index"},
        {[] { return CallBuiltin("buffer_get_surface", {0.0, 0.0, 0.0, 0.0, 0.0}); }, -1,
         "Error in buffer_get_surface(): Not yet implemented."},
    };
    for (const Case& c : cases) {
        Code_Error_ResetState();
        EXPECT_EQ(c.call().Real(), c.expected) << c.message;
        EXPECT_TRUE(Reported(c.message)) << c.message;
    }
    const ScriptValue digest = CallBuiltin("buffer_md5", {9.0, 0.0, -1.0});
    EXPECT_TRUE(digest.IsString());
    EXPECT_EQ(digest.Get().ptr, nullptr);
}

TEST_F(BufferBuiltinsTest, IntegerArgumentsTruncate)
{
    const ScriptValue buffer = CallBuiltin("buffer_create", {4.9, 0.0, 1.0});
    EXPECT_EQ(CallBuiltin("buffer_get_size", {0.9}).Real(), 4.0);
    EXPECT_EQ(CallBuiltin("buffer_write", {buffer, 1.9, 2.9}).Real(), 0.0);
    EXPECT_EQ(CallBuiltin("buffer_seek", {buffer, 0.0, 0.0}).Real(), 0.0);
    EXPECT_EQ(CallBuiltin("buffer_read", {buffer, 1.0}).Real(), 2.0);
    EXPECT_EQ(CallBuiltin("buffer_peek", {buffer, 0.7, 1.0}).Real(), 2.0);
}

TEST_F(BufferBuiltinsTest, CopyRefusesMissingAndIdenticalBuffers)
{
    const ScriptValue buffer = CallBuiltin("buffer_create", {4.0, 0.0, 1.0});
    CallBuiltin("buffer_copy", {buffer, 0.0, -1.0, 5.0, 0.0});
    EXPECT_TRUE(Reported("Illegal Source Buffer Index"));
    CallBuiltin("buffer_copy", {buffer, 0.0, -1.0, buffer, 0.0});
    EXPECT_TRUE(Reported("Source and Destination buffers can't be the same"));
}

TEST_F(BufferBuiltinsTest, LoadAndDecodeFailuresDestroyTheNewBuffer)
{
    EXPECT_EQ(CallBuiltin("buffer_load", {"http://x"}).Real(), -1.0);
    EXPECT_TRUE(Reported("Cannot load buffer file"));
    EXPECT_EQ(Buffer_Get(0), nullptr);
    Code_Error_ResetState();
    const ScriptValue decoded = CallBuiltin("buffer_base64_decode", {"QUJD"});
    EXPECT_EQ(decoded.Real(), 0.0);
    EXPECT_EQ(CallBuiltin("buffer_get_size", {decoded}).Real(), 3.0);
    EXPECT_EQ(CallBuiltin("buffer_md5", {decoded, 0.0, -1.0}).Text(), "902fbdd2b1df0c4f70b4a5d23525e932");
    EXPECT_EQ(CallBuiltin("buffer_base64_encode", {decoded, 0.0, -1.0}).Text(), "QUJD");
    EXPECT_EQ(LastError(), "");
}

TEST_F(BufferBuiltinsTest, FillAndPokeTakeReals)
{
    const ScriptValue buffer = CallBuiltin("buffer_create", {4.0, 0.0, 2.0});
    CallBuiltin("buffer_fill", {buffer, 0.0, 1.0, 9.0, -1.0});
    CallBuiltin("buffer_poke", {buffer, 1.0, 1.0, 5.0});
    EXPECT_EQ(CallBuiltin("buffer_sha1", {buffer, 0.0, -1.0}).Text().size(), 40u);
    EXPECT_EQ(CallBuiltin("buffer_peek", {buffer, 1.0, 1.0}).Real(), 5.0);
    EXPECT_EQ(CallBuiltin("buffer_peek", {buffer, 2.0, 1.0}).Real(), 9.0);
    CallBuiltin("buffer_poke", {buffer, 1.0, 11.0, "text"});
    EXPECT_TRUE(Reported("Illegal argument type"));
}

}  // namespace
}  // namespace bw
