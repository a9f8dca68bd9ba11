#include <gtest/gtest.h>

#include "bwpack/event_keys.h"

namespace bw::pack {
namespace {

int32_t FindObject(const std::string& name)
{
    return name == "obj_wall" ? 3 : -1;
}

TEST(EventKeys, NamesGiveTypeAndNumber)
{
    struct Case {
        const char* key;
        int32_t type, number;
    };
    const Case cases[] = {
        {"create", 0, 0},          {"destroy", 1, 0},           {"alarm:11", 2, 11},       {"step", 3, 0},
        {"step:ev_step_begin", 3, 1}, {"step:2", 3, 2},         {"collision:obj_wall", 4, 3}, {"keyboard:vk_left", 5, 37},
        {"keypress:a", 9, 65},     {"keyrelease:7", 10, 7},     {"keypress:VK_SPACE", 9, 32}, {"mouse:ev_left_press", 6, 4},
        {"other:ev_user0", 7, 10}, {"other:ev_room_start", 7, 4}, {"draw", 8, 0},
    };
    for (const Case& c : cases) {
        const std::optional<EventKey> key = EventKey_Parse(c.key, FindObject);
        ASSERT_TRUE(key) << c.key;
        EXPECT_EQ(key->type, c.type) << c.key;
        EXPECT_EQ(key->number, c.number) << c.key;
    }
}

TEST(EventKeys, UnknownKeysNameNoEvent)
{
    for (const char* key : {"stepp", "Create", "", "collision:obj_none", "collision", "alarm:x", "mouse:a", "keyboard:vk_nothing",
                            "other:256", "keypress:c_red_", "step:-1", "draw:ev_user0x"}) {
        EXPECT_FALSE(EventKey_Parse(key, FindObject)) << key;
    }
}

}  // namespace
}  // namespace bw::pack
