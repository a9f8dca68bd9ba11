// The platform-service built-ins as the desktop answers them, and the
// queues through which services reach game code.
#include "online/http/vask_builtins.h"

#include <gtest/gtest.h>

#include "graphics/main_window.h"
#include "library/ds.h"
#include "library/ds_map.h"
#include "library/string_builtins.h"
#include "online/dialogs/async_requests.h"
#include "online/http/vask_digests.h"
#include "online/http/vask_queue.h"
#include "script/resource_seams.h"
#include "script/error_report.h"
#include "support/scratch_folder.h"
#include "unit/library/instance_call.h"
#include "unit/library/library_test_support.h"
#include "world/input_virtual_keys.h"
#include "world/object_lists.h"

namespace bw {
namespace {

using test::ScriptValue;

class VaskTest : public test::EventWorldTest {
protected:
    void SetUp() override
    {
        EventWorldTest::SetUp();
        DS_FreeAll();
        Vask_Queue_Reset();
        test::RegisterLibraryBuiltins();
        int32_t id = -1;
        if (!Code_Function_Find("virtual_key_add", &id)) Function_Vask_Register();
        if (!Code_Function_Find("string_length", &id)) Function_String_Register();
        IO_VirtualKey_ClearAll();
        self = AddInstance(0);
    }
    void TearDown() override
    {
        IO_VirtualKey_ClearAll();
        Vask_Queue_Reset();
        DS_FreeAll();
        EventWorldTest::TearDown();
    }
    ScriptValue Call(const char* name, const std::vector<ScriptValue>& args = {})
    {
        Code_Error_ResetState();
        Code_Error_SetNoErrorsSwitch(true);
        return test::CallFor(self, self, name, args);
    }

    CInstance* self = nullptr;
};

TEST_F(VaskTest, VirtualKeysTakeHandlesFromOneAndRefuseBadOnes)
{
    EXPECT_EQ(Call("virtual_key_add", {10.0, 20.0, 30.0, 40.0, 65.0}).Real(), 1);
    const VirtualKey* key = IO_VirtualKey_Get(0);
    EXPECT_EQ(key->flags, kVirtualKeyActive);
    EXPECT_EQ(key->right, 40);
    EXPECT_EQ(key->bottom, 60);
    EXPECT_EQ(key->key, 65);
    EXPECT_EQ(Call("Vask_AddVirtualKey", {0.0, 0.0, 1.0, 1.0, 66.0}).Real(), 2);

    Call("virtual_key_show", {1.0});
    EXPECT_EQ(key->flags, kVirtualKeyActive | kVirtualKeyShown);
    Call("virtual_key_hide", {0.0});
    EXPECT_NE(test::LastError().find("Illegal virtual key handle"), std::string::npos);
    EXPECT_EQ(key->flags, kVirtualKeyActive | kVirtualKeyShown);
    Call("virtual_key_hide", {"1"});
    EXPECT_NE(test::LastError().find("Illegal argument"), std::string::npos);
    Call("virtual_key_delete", {1.0});
    EXPECT_EQ(key->flags, 0);
    EXPECT_EQ(Call("virtual_key_add", {1.0, 2.0, 3.0}).Real(), 0);
    EXPECT_NE(test::LastError().find("Illegal argument count"), std::string::npos);
}

TEST_F(VaskTest, DigestsMatchThePublishedTestVectors)
{
    const struct {
        const char* name;
        const char* text;
        const char* digest;
    } cases[] = {
        {"md5_string_utf8", "", "d41d8cd98f00b204e9800998ecf8427e"},
        {"md5_string_utf8", "abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"md5_string_utf8", "message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"sha1_string_utf8", "abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"sha1_string_utf8", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {"base64_encode", "foobar", "Zm9vYmFy"},
        {"base64_encode", "fo", "Zm8="},
        {"base64_decode", "Zm9vYg==", "foob"},
        {"base64_decode", "YQBi", "a"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Call(c.name, {c.text}).Text(), c.digest) << c.name << " " << c.text;
    }
    EXPECT_EQ(Call("md5_string_utf8", {1.0}).Text(), "");
}

TEST_F(VaskTest, UnicodeDigestsHashUtf16LittleEndianUnits)
{
    const std::vector<uint8_t> units = Digest_Utf16LE("a\xC3\xA9\xF0\x9F\x98\x80\xFF");
    EXPECT_EQ(units, (std::vector<uint8_t>{'a', 0, 0xE9, 0, 0x3D, 0xD8, 0x00, 0xDE, 0xFD, 0xFF}));
    EXPECT_EQ(Call("md5_string_unicode", {"\xC3\xA9"}).Text(),
              Digest_MD5Hex(std::vector<uint8_t>{0xE9, 0x00}));
    EXPECT_EQ(Call("sha1_string_unicode", {"ab"}).Text(), Digest_SHA1Hex(std::vector<uint8_t>{'a', 0, 'b', 0}));
}

TEST_F(VaskTest, DesktopAnswersOfDisplayPurchasesAndAds)
{
    EXPECT_EQ(Call("iap_status").Real(), -1);
    EXPECT_EQ(Call("iap_event_queue").Real(), -1);
    const double purchases = Call("iap_activate").Real();
    EXPECT_EQ(Call("iap_files_purchased").Real(), purchases);
    const int32_t status = static_cast<int32_t>(Call("iap_status").Real());
    EXPECT_EQ(Call("ds_map_find_value", {static_cast<double>(status), "status"}).Text(), "Not Available");

    Call("ads_move", {0.0, 0.0, 5.0});
    EXPECT_NE(test::LastError().find("Illegal advertising slot number"), std::string::npos);
    Call("ads_move", {0.0, 0.0, 4.0});
    EXPECT_EQ(test::LastError(), "");

    EXPECT_EQ(Call("display_get_dpi_x").Real(), 96);
    Call("display_set_gui_size", {320.0, 240.0});
    EXPECT_EQ(Call("display_get_gui_width").Real(), 320);
    EXPECT_EQ(Call("display_get_gui_height").Real(), 240);
    Call("display_set_gui_size", {-1.0, -1.0});
    EXPECT_NE(Call("display_get_gui_width").Real(), 320) << "the window's size again";
    EXPECT_EQ(Call("url_get_domain").Text(), "localhost");
    EXPECT_EQ(Call("facebook_status").Text(), "IDLE");
    EXPECT_EQ(Call("achievement_available").Real(), 1);
}

TEST_F(VaskTest, TheLanguageComesFromTheLocale)
{
    const struct {
        const char* all;
        const char* lang;
        const char* code;
    } cases[] = {{"", "de_DE.UTF-8", "de"}, {"fil_PH", "de_DE", "fil"}, {"", "C", "--"}, {"", "", "--"}};
    for (const auto& c : cases) {
        test::ScopedEnv all{"LC_ALL", c.all};
        test::ScopedEnv lang{"LANG", c.lang};
        EXPECT_EQ(Call("os_get_language").Text(), c.code) << c.all << "/" << c.lang;
    }
}

TEST_F(VaskTest, APauseEventIsSeenForExactlyOneStep)
{
    EXPECT_EQ(Call("os_is_paused").Real(), 0);
    MainWindow_OnActivate(false);
    EXPECT_EQ(Call("os_is_paused").Real(), 0);
    Vask_Functions_Update();
    EXPECT_EQ(Call("os_is_paused").Real(), 1);
    Vask_Functions_Update();
    EXPECT_EQ(Call("os_is_paused").Real(), 0);
    MainWindow_OnActivate(true);
    Vask_Functions_Update();
    EXPECT_EQ(Call("os_is_paused").Real(), 0) << "activation raises nothing";
}

// Event 66 records the queue's size as its handler sees it.
TEST_F(VaskTest, PostedMapsRaiseOneRoundOfEvent66)
{
    SetEvent(AddObject(1), kEventOther, kPlatformAsyncEvent, "record(ds_queue_size(iap_event_queue()));");
    AddInstance(1);
    Object_BuildEventLists();
    Run_HandleAsyncPass();
    EXPECT_EQ(test::Recorded(), "");
    Vask_PostAsyncEvent(DS_Map_Create());
    Vask_PostAsyncEvent(DS_Map_Create());
    Run_HandleAsyncPass();
    Run_HandleAsyncPass();
    EXPECT_NE(test::Recorded().find(":2;"), std::string::npos) << test::Recorded();
    EXPECT_EQ(std::count(test::Recorded().begin(), test::Recorded().end(), ';'), 1) << test::Recorded();
    EXPECT_EQ(Call("iap_event_queue").Real(), Vask_EventQueue());
}

std::string& ScriptCalls()
{
    static std::string calls;
    return calls;
}

bool RecordScriptCall(int32_t index, CInstance* self, CInstance* other, int32_t argc, Value* result, Value* args)
{
    std::string& calls = ScriptCalls();
    calls += std::to_string(index) + (self == nullptr && other == nullptr ? "" : " with instances") + ":";
    for (int32_t i = 0; i < argc; ++i) {
        calls += Value_Kind(args[i]) == kValueString ? std::string("'") + Value_String(args[i]) + "'"
                                                    : std::to_string(static_cast<int>(args[i].real));
        calls += ",";
    }
    calls += ";";
    Value_SetReal(*result, 0);
    if (index == 9) Code_Report_Error("", false, 0, "script failed");
    return index != 9;
}

TEST_F(VaskTest, PostedCallbacksRunTheirScriptsWithTheirArguments)
{
    Script_SetExecutor(&RecordScriptCall);
    ScriptCalls().clear();
    ScriptValue first("left");
    ScriptValue second("right");
    const Value strings[] = {first.Get(), second.Get()};
    Vask_PostScriptCallback(3, strings);
    ScriptValue number(7.0);
    Vask_PostScriptCallback(4, {&number.Get(), 1});
    Vask_PostScriptCallback(9, {});
    Run_HandleAsyncPass();
    Script_SetExecutor(nullptr);
    EXPECT_EQ(ScriptCalls(), "3:'left','right',;4:7,;9:;");
    EXPECT_NE(test::LastError().find("script failed"), std::string::npos) << test::LastError();
    Run_HandleAsyncPass();
    EXPECT_EQ(ScriptCalls(), "3:'left','right',;4:7,;9:;") << "each call runs once";
}

}  // namespace
}  // namespace bw
