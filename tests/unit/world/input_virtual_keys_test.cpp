// The virtual-key table and its definitions in "options.ini".
#include <gtest/gtest.h>

#include "platform/ini.h"
#include "script/constants.h"
#include "world/input_virtual_keys.h"

namespace bw {
namespace {

class VirtualKeyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Code_Constant_Free();
        Code_Constant_Init();
        IO_VirtualKey_ClearAll();
    }
    void TearDown() override
    {
        IO_VirtualKey_ClearAll();
        Code_Constant_Free();
    }
};

TEST_F(VirtualKeyTest, KeyNamesGiveKeyCodes)
{
    struct Case {
        const char* name;
        int32_t key;
    };
    for (const Case& c : {Case{"VK_LEFT", 37}, Case{"VK_NOSUCHKEY", 0}, Case{"MB_LEFT", 0}, Case{"a", 'A'},
                          Case{"Q", 'Q'}, Case{"7", '7'}, Case{" ", ' '}, Case{"", 0}}) {
        EXPECT_EQ(IO_KeyFromName(c.name), c.key) << c.name;
    }
    EXPECT_EQ(IO_MouseButtonFromName("MB_RIGHT"), 2);
    EXPECT_EQ(IO_MouseButtonFromName("VK_LEFT"), 0);
}

TEST_F(VirtualKeyTest, ButtonsAreReadIntoFreeSlots)
{
    IniFile ini;
    ini.SetText(
        "[IO_VIRTUAL_BUTTONS]\nNUM_BUTTONS=2\nTEXTURE=pad.png\n"
        "[IO_BUTTON_0]\nX=10\nY=20\nW=30\nH=40\nKEY=VK_SPACE\n"
        "[IO_BUTTON_1]\nX=2147483647\nW=5\nBUTTON=MB_MIDDLE\n");
    IO_ReadVirtualButtons(ini);
    const VirtualKey* first = IO_VirtualKey_Get(0);
    EXPECT_EQ(first->flags, kVirtualKeyActive);
    EXPECT_EQ(first->right, 40);
    EXPECT_EQ(first->bottom, 60);
    EXPECT_EQ(first->key, 32);
    const VirtualKey* second = IO_VirtualKey_Get(1);
    EXPECT_EQ(second->mouseButton, 3);
    EXPECT_EQ(second->key, 0);
    EXPECT_EQ(second->right, INT32_MIN + 4);  // wraps, never overflows
    EXPECT_STREQ(IO_VirtualButtons_Texture(), "pad.png");
    EXPECT_EQ(IO_VirtualKey_FreeSlot(), IO_VirtualKey_Get(2));
    IO_VirtualKey_Delete(0);
    EXPECT_EQ(IO_VirtualKey_FreeSlot(), IO_VirtualKey_Get(0));
    EXPECT_EQ(IO_VirtualKey_Get(0)->id, 0);
    EXPECT_EQ(IO_VirtualKey_Get(kVirtualKeyCount), nullptr);
}

TEST_F(VirtualKeyTest, MoreButtonsThanSlotsFillTheTableAndStop)
{
    IniFile ini;
    ini.SetText("[IO_VIRTUAL_BUTTONS]\nNUM_BUTTONS=100000\n");
    IO_ReadVirtualButtons(ini);
    EXPECT_EQ(IO_VirtualKey_FreeSlot(), nullptr);
    EXPECT_EQ(IO_VirtualKey_Get(kVirtualKeyCount - 1)->id, kVirtualKeyCount - 1);
}

}  // namespace
}  // namespace bw
