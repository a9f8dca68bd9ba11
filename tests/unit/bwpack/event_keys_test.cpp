#include <gtest/gtest.h>

#include "bwpack/event_keys.h"
#include "world/instance.h"

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
        {"keypress:a", 9, 65},     {"keyrelease:7", 10, 55},     {"keypress:VK_SPACE", 9, 32}, {"mouse:ev_left_press", 6, 4},
        {"other:ev_user0", 7, 10}, {"other:ev_room_start", 7, 4}, {"draw", 8, 0},
    };
    for (const Case& c : cases) {
        const std::optional<EventKey> key = EventKey_Parse(c.key, FindObject);
        ASSERT_TRUE(key) << c.key;
        EXPECT_EQ(key->type, c.type) << c.key;
        EXPECT_EQ(key->number, c.number) << c.key;
    }
}

// A single digit of a key event is that digit's key, as a letter is; only
// two or more digits are a number, and no key and any key go by name.
TEST(EventKeys, SingleDigitOfAKeyEventNamesItsKey)
{
    for (const char* type : {"keyboard", "keypress", "keyrelease"}) {
        for (char digit = '0'; digit <= '9'; ++digit) {
            const std::string key = std::string(type) + ":" + digit;
            const std::optional<EventKey> parsed = EventKey_Parse(key, FindObject);
            ASSERT_TRUE(parsed) << key;
            EXPECT_EQ(parsed->number, digit) << key;
            EXPECT_FALSE(EventKey_NotRaised(*parsed)) << key;
        }
    }
    const std::pair<const char*, int32_t> numbers[] = {
        {"keypress:vk_nokey", 0}, {"keypress:vk_anykey", 1}, {"keyboard:00", 0}, {"keyrelease:01", 1},
        {"keypress:13", 13},      {"keypress:49", 49},       {"alarm:1", 1},     {"step:2", 2},
    };
    for (const auto& [key, number] : numbers) {
        const std::optional<EventKey> parsed = EventKey_Parse(key, FindObject);
        ASSERT_TRUE(parsed) << key;
        EXPECT_EQ(parsed->number, number) << key;
    }
}

TEST(EventKeys, UnknownKeysNameNoEvent)
{
    for (const char* key : {"stepp", "Create", "", "collision:obj_none", "collision", "alarm:x", "mouse:a", "keyboard:vk_nothing",
                            "other:256", "keypress:c_red_", "step:-1", "draw:ev_user0x"}) {
        EXPECT_FALSE(EventKey_Parse(key, FindObject)) << key;
    }
}

// Each kind's edges: the first and last number the runner raises around
// each gap, and the numbers just outside.
TEST(EventKeys, NumbersTheRunnerNeverRaisesAreRefusedWithItsRange)
{
    const std::string keys = "keys are vk_nokey, vk_anykey and 8 to 128";
    const std::string mouse = "mouse events are 0 to 13, 16 to 19, 21 to 28, 31 to 34, 36 to 43, 50 to 58 and 60 to 61";
    const std::string other = "other events are 0 to 25, 40 to 47, 50 to 57, 60, 62 to 63, 66 and 68 to 69";
    struct Case {
        const char* key;
        std::string refusal;  // empty: raised
    };
    const Case cases[] = {
        {"create", ""}, {"create:1", "create events are 0"}, {"destroy:2", "destroy events are 0"},
        {"alarm:12", "alarms are 0 to 11"},
        {"step:ev_step_end", ""}, {"step:3", "steps are 0 to 2"},
        {"keyboard:vk_nokey", ""}, {"keypress:vk_anykey", ""}, {"keyrelease:02", keys}, {"keyboard:07", keys},
        {"keyboard:vk_backspace", ""}, {"keypress:128", ""}, {"keyrelease:129", keys}, {"keyboard:vk_lshift", keys},
        {"mouse:ev_global_release", ""}, {"mouse:14", mouse}, {"mouse:15", mouse}, {"mouse:ev_joystick1_left", ""},
        {"mouse:20", mouse}, {"mouse:ev_joystick1_button8", ""}, {"mouse:29", mouse}, {"mouse:35", mouse},
        {"mouse:ev_joystick2_button8", ""}, {"mouse:44", mouse}, {"mouse:ev_global_left_button", ""},
        {"mouse:ev_mouse_wheel_down", ""}, {"mouse:62", mouse},
        {"other:ev_outside", ""}, {"other:ev_user15", ""}, {"other:26", other}, {"other:ev_close_button", other},
        {"other:40", ""}, {"other:48", other}, {"other:57", ""}, {"other:58", other}, {"other:60", ""},
        {"other:61", other}, {"other:63", ""}, {"other:64", other}, {"other:66", ""}, {"other:67", other},
        {"other:69", ""}, {"other:70", other},
        {"draw", ""}, {"draw:ev_gui", ""}, {"draw:1", "draw events are 0 and 64"}, {"draw:65", "draw events are 0 and 64"},
        {"collision:obj_wall", ""},
    };
    for (const Case& c : cases) {
        const std::optional<EventKey> key = EventKey_Parse(c.key, FindObject);
        ASSERT_TRUE(key) << c.key;
        EXPECT_EQ(EventKey_NotRaised(*key).value_or(""), c.refusal) << c.key;
    }
}

TEST(EventKeys, EveryAlarmOfAnInstanceIsRaised)
{
    for (int32_t alarm = 0; alarm < kInstanceAlarmCount; ++alarm) {
        EXPECT_FALSE(EventKey_NotRaised({2, alarm})) << alarm;
    }
    EXPECT_TRUE(EventKey_NotRaised({2, kInstanceAlarmCount}));
}

}  // namespace
}  // namespace bw::pack
