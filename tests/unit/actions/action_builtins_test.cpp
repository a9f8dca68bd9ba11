#include "actions/action_builtins.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "library/win8_builtins.h"
#include "particles/particle_system.h"
#include "particles/particle_type.h"
#include "platform/random.h"
#include "unit/library/instance_call.h"
#include "support/heard_console.h"
#include "world/game_state.h"

namespace bw {
namespace {

using test::ScriptValue;

constexpr int32_t kActorObject = 0;
constexpr int32_t kUserEvent0 = 10;
constexpr int32_t kNoMoreLives = 6;

class ActionBuiltinsTest : public test::EventWorldTest {
protected:
    void SetUp() override
    {
        EventWorldTest::SetUp();
        int32_t id = -1;
        if (!Code_Function_Find("action_move", &id)) {
            Function_Action_Register();
            Function_Win8_Register();
        }
        Code_Error_SetNoErrorsSwitch(true);
        Random_SetSeed(1);  // an unseeded generator draws the same number forever
        actor = AddObject(kActorObject);
        self = AddInstance(kActorObject);
        Game_Counters() = GameCounters{};
    }
    void TearDown() override
    {
        ParticleSystem_DestroyAll();
        ParticleType_DestroyAll();
        Game_Counters() = GameCounters{};
        Code_Error_SetNoErrorsSwitch(false);
        EventWorldTest::TearDown();
    }

    // The actor's user event 0 runs the code once for self.
    void RunEvent(const char* code)
    {
        SetEvent(actor, kEventOther, kUserEvent0, code);
        Event_Perform(self, self, kEventOther, kUserEvent0);
    }
    ScriptValue Call(const char* name, const std::vector<ScriptValue>& args)
    {
        return test::CallFor(self, self, name, args);
    }

    CObject* actor = nullptr;
    CInstance* self = nullptr;
};

// Every action in the editor's order with its argument count, as games
// compiled against it expect to find them.
TEST_F(ActionBuiltinsTest, RegistersEveryActionInOrder)
{
    const char* const kExpected =
        "action_set_relative 1 action_move 2 action_set_motion 2 action_set_hspeed 1 action_set_vspeed 1 "
        "action_set_gravity 2 action_set_friction 1 action_move_point 3 action_move_to 2 action_move_start 0 "
        "action_move_random 2 action_snap 2 action_wrap 1 action_reverse_xdir 0 action_reverse_ydir 0 "
        "action_move_contact 3 action_bounce 2 action_path 4 action_path_end 0 action_path_position 1 "
        "action_path_speed 1 action_linear_step 4 action_potential_step 4 action_create_object 3 "
        "action_create_object_motion 5 action_create_object_random 6 action_change_object 2 action_kill_object 0 "
        "action_kill_position 2 action_sprite_set 3 action_sprite_transform 4 action_sprite_color 2 "
        "action_set_sprite 2 action_another_room 2 action_previous_room 1 action_next_room 1 action_current_room 1 "
        "action_if_previous_room 0 action_if_next_room 0 action_set_alarm 2 action_sleep 2 action_set_timeline 2 "
        "action_set_timeline_position 1 action_set_timeline_speed 1 action_timeline_set 4 action_timeline_start 0 "
        "action_timeline_pause 0 action_timeline_stop 0 action_end_game 0 action_restart_game 0 "
        "action_save_game 1 action_load_game 1 action_execute_script 6 action_inherited 0 action_if 1 "
        "action_if_empty 3 action_if_collision 3 action_if_object 3 action_if_number 3 action_if_variable 3 "
        "action_if_score 2 action_if_life 2 action_if_health 2 action_if_dice 1 action_if_question 1 "
        "action_if_mouse 1 action_if_aligned 2 action_if_sound 1 action_set_score 1 action_set_life 1 "
        "action_set_health 1 action_draw_score 3 action_draw_life 3 action_draw_life_images 3 action_draw_health 6 "
        "action_set_caption 6 action_highscore_show 11 action_highscore_clear 0 action_draw_sprite 4 "
        "action_draw_background 4 action_draw_text 3 action_draw_text_transformed 6 action_draw_variable 3 "
        "action_draw_rectangle 5 action_draw_ellipse 5 action_draw_gradient_hor 6 action_draw_gradient_vert 6 "
        "action_draw_ellipse_gradient 6 action_draw_line 4 action_draw_arrow 5 action_color 1 action_font 2 "
        "action_message 1 action_show_info 0 action_show_video 3 action_replace_sprite 3 action_replace_sound 2 "
        "action_replace_background 2 action_sound 2 action_end_sound 1 action_cd_play 2 action_cd_stop 0 "
        "action_cd_pause 0 action_cd_resume 0 action_cd_present 0 action_cd_playing 0 action_set_cursor 2 "
        "action_webpage 1 action_fullscreen 1 action_snapshot 1 action_effect 6 action_partsyst_create 1 "
        "action_partsyst_destroy 0 action_partsyst_clear 0 action_parttype_create 6 action_parttype_create_old 6 "
        "action_parttype_color 6 action_parttype_life 3 action_parttype_speed 6 action_parttype_gravity 3 "
        "action_parttype_secondary 5 action_partemit_create 6 action_partemit_destroy 1 action_partemit_burst 3 "
        "action_partemit_stream 3 action_path_old 3 action_draw_font 1 action_draw_font_old 6 action_fill_color 1 "
        "action_line_color 1 action_highscore 0";
    int32_t first = -1;
    ASSERT_TRUE(Code_Function_Find("action_set_relative", &first));
    std::istringstream expected(kExpected);
    std::string name;
    int32_t argc = 0;
    int32_t index = first;
    int32_t count = 0;
    while (expected >> name >> argc) {
        const char* registered = nullptr;
        BuiltinFunctionProc fn = nullptr;
        int32_t registeredArgc = 0;
        ASSERT_TRUE(Code_Function_GetInfo(index++, &registered, &fn, &registeredArgc)) << name;
        EXPECT_EQ(registered, name);
        EXPECT_EQ(registeredArgc, argc) << name;
        ++count;
    }
    EXPECT_EQ(count, 131);
}

// The relative flag holds for the rest of the event that set it, and the
// next event starts absolute again.
TEST_F(ActionBuiltinsTest, RelativeMovesLastOneEvent)
{
    self->SetPosition(100, 50);
    RunEvent("action_set_relative(1); action_move_to(10, 0); action_set_hspeed(2); action_set_hspeed(3);");
    EXPECT_FLOAT_EQ(self->i_x, 110.0f);
    EXPECT_FLOAT_EQ(self->i_y, 50.0f);
    EXPECT_FLOAT_EQ(self->i_hspeed, 5.0f);
    RunEvent("action_move_to(10, 0); action_set_hspeed(2);");
    EXPECT_FLOAT_EQ(self->i_x, 10.0f);
    EXPECT_FLOAT_EQ(self->i_y, 0.0f);
    EXPECT_FLOAT_EQ(self->i_hspeed, 2.0f);
    EXPECT_FALSE(Event_Current().argumentRelative);
}

// A relative alarm adds only to a running alarm; a stopped one is set.
TEST_F(ActionBuiltinsTest, RelativeAlarmsAddOnlyToRunningAlarms)
{
    RunEvent("action_set_relative(1); action_set_alarm(5, 0); action_set_alarm(5, 1);");
    EXPECT_EQ(self->GetAlarm(0), 5);
    self->SetAlarm(1, 3);
    RunEvent("action_set_relative(1); action_set_alarm(5, 1); action_set_alarm(7, 2);");
    EXPECT_EQ(self->GetAlarm(1), 8);
    EXPECT_EQ(self->GetAlarm(2), 7);
    RunEvent("action_set_alarm(4, 1);");
    EXPECT_EQ(self->GetAlarm(1), 4);
}

// Losing the last life runs "no more lives" once for every instance; being
// without lives already runs nothing.
TEST_F(ActionBuiltinsTest, LosingTheLastLifeRunsTheEventOnce)
{
    CInstance* second = AddInstance(kActorObject);
    SetEvent(actor, kEventOther, kNoMoreLives, "record('out');");
    Game_Counters().lives = 1;
    RunEvent("action_set_life(0);");
    const std::string once =
        std::to_string(self->i_id) + ":out;" + std::to_string(second->i_id) + ":out;";
    EXPECT_EQ(test::Recorded(), once);
    RunEvent("action_set_life(0); action_set_relative(1); action_set_life(-1);");
    EXPECT_EQ(test::Recorded(), once);
    EXPECT_EQ(Game_Counters().lives, -1);
}

// The nine characters lie like a numeric keypad from the bottom row.
TEST_F(ActionBuiltinsTest, MoveReadsTheKeypad)
{
    struct Case {
        const char* keys;
        float direction;
        float speed;
    };
    const Case cases[] = {
        {"100000000", 225.0f, 4.0f}, {"010000000", 270.0f, 4.0f}, {"001000000", 315.0f, 4.0f},
        {"000100000", 180.0f, 4.0f}, {"000010000", 0.0f, 0.0f},   {"000001000", 0.0f, 4.0f},
        {"000000100", 135.0f, 4.0f}, {"000000010", 90.0f, 4.0f},  {"000000001", 45.0f, 4.0f},
    };
    for (const Case& c : cases) {
        self->SetDirection(10.0f);
        self->SetSpeed(1.0f);
        Call("action_move", {c.keys, 4.0});
        EXPECT_FLOAT_EQ(self->i_direction, c.direction) << c.keys;
        EXPECT_FLOAT_EQ(self->i_speed, c.speed) << c.keys;
    }
    RunEvent("action_set_relative(1); action_move('000000010', 2);");
    EXPECT_FLOAT_EQ(self->i_speed, 6.0f);
}

TEST_F(ActionBuiltinsTest, MoveWithoutAKeyOrWithABadTextChangesNothing)
{
    self->SetDirection(10.0f);
    self->SetSpeed(1.0f);
    Call("action_move", {"000000000", 4.0});
    EXPECT_EQ(LastError(), "");
    Call("action_move", {"1", 4.0});
    EXPECT_NE(LastError().find("Wrong argument to action_move()."), std::string::npos);
    EXPECT_FLOAT_EQ(self->i_direction, 10.0f);
    EXPECT_FLOAT_EQ(self->i_speed, 1.0f);
}

// One side or less always wins; otherwise 1001 chances in 1000 x sides.
TEST_F(ActionBuiltinsTest, DiceWinsOneThousandAndOneTimesInAThousandPerSide)
{
    EXPECT_EQ(Call("action_if_dice", {1.0}).Real(), 1.0);
    EXPECT_EQ(Call("action_if_dice", {0.5}).Real(), 1.0);
    int32_t wins = 0;
    int32_t expected = 0;
    Random_SetSeed(1234);
    for (int32_t draw = 0; draw < 200; ++draw) {
        wins += static_cast<int32_t>(Call("action_if_dice", {2.0}).Real());
    }
    Random_SetSeed(1234);
    for (int32_t draw = 0; draw < 200; ++draw) {
        expected += Random_Int(2000) <= 1000 ? 1 : 0;
    }
    EXPECT_EQ(wins, expected);
    EXPECT_GT(wins, 0);
    EXPECT_LT(wins, 200);
}

TEST_F(ActionBuiltinsTest, HealthBarColours)
{
    struct Case {
        int32_t back;
        int32_t bar;
        HealthBarColours colours;
    };
    const Case cases[] = {
        {0, 0, {false, 0x000000, 0x0000FF, 0x00FFFF, 0x00FF00}},
        {1, 1, {true, 0x000000, 0x000000, 0x808080, 0xFFFFFF}},
        {4, 2, {true, 0xFFFFFF, 0x000000, 0x000000, 0x000000}},
        {11, 12, {true, 0x0000FF, 0x0000FF, 0x0000FF, 0x0000FF}},
        {16, 17, {true, 0xFFFF00, 0xFFFF00, 0xFFFF00, 0xFFFF00}},
        {17, 18, {false, 0x000000, 0x0000FF, 0x00FFFF, 0x00FF00}},
    };
    for (const Case& c : cases) {
        const HealthBarColours got = ActionHealthBar_Colours(c.back, c.bar);
        EXPECT_EQ(got.showBack, c.colours.showBack) << c.back;
        EXPECT_EQ(got.back, c.colours.back) << c.back;
        EXPECT_EQ(got.minimum, c.colours.minimum) << c.bar;
        EXPECT_EQ(got.middle, c.colours.middle) << c.bar;
        EXPECT_EQ(got.maximum, c.colours.maximum) << c.bar;
    }
}

// Emitters and types live in sixteen slots of one action system; a fresh
// system forgets them.
TEST_F(ActionBuiltinsTest, ParticleSlots)
{
    const std::string kNoEmitter = "The particle emitter must first be created.";
    Call("action_partemit_burst", {0.0, 0.0, 10.0});
    EXPECT_NE(LastError().find(kNoEmitter), std::string::npos);
    Code_Error_ResetState();

    Call("action_partsyst_create", {0.0});
    Call("action_parttype_life", {3.0, 5.0, 5.0});
    Call("action_partemit_create", {15.0, 0.0, 10.0, 20.0, 10.0, 20.0});
    Call("action_partemit_burst", {15.0, 3.0, 10.0});
    EXPECT_EQ(LastError(), "");
    int32_t system = -1;
    for (int32_t id = 0; id < ParticleSystem_TableLength(); ++id) {
        if (ParticleSystem_Exists(id)) {
            system = id;
        }
    }
    ASSERT_GE(system, 0);
    EXPECT_EQ(ParticleSystem_ParticleCount(system), 10);

    Call("action_partemit_burst", {16.0, 3.0, 10.0});
    EXPECT_NE(LastError().find(kNoEmitter), std::string::npos);
    Code_Error_ResetState();
    Call("action_partsyst_create", {0.0});
    EXPECT_EQ(ParticleSystem_ParticleCount(system), 0);
    Call("action_partemit_burst", {15.0, 3.0, 10.0});
    EXPECT_NE(LastError().find(kNoEmitter), std::string::npos);
}

TEST_F(ActionBuiltinsTest, ComparingAStringWithARealIsReported)
{
    EXPECT_EQ(Call("action_if_variable", {"a", 1.0, 0.0}).Real(), 0.0);
    EXPECT_NE(LastError().find("Cannot compare arguments."), std::string::npos);
    EXPECT_EQ(Call("action_if_variable", {"a", "b", 1.0}).Real(), 1.0);
    EXPECT_EQ(Call("action_if_variable", {2.0, 2.0, 4.0}).Real(), 1.0);
}

TEST_F(ActionBuiltinsTest, TabletStoreBuiltinsSayTheyAreNotSupported)
{
    test::HeardConsole console;
    EXPECT_EQ(Call("win8_device_touchscreen_available", {}).Real(), 0.0);
    EXPECT_NE(console.Text().find("Windows8 functionality not supported\n"), std::string::npos);
}

}  // namespace
}  // namespace bw
