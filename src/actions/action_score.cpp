// Actions of the score, the lives, the health and the caption that shows
// them, and of the high-score table.
#include "actions/action_groups.h"

#include <array>
#include <string>

#include "actions/action_builtins.h"
#include "actions/action_helpers.h"
#include "graphics/draw_2d.h"
#include "online/dialogs/high_score.h"
#include "resources/sprite.h"
#include "script/arguments.h"
#include "world/builtin_variables.h"
#include "world/game_state.h"
#include "world/room.h"

namespace bw {

namespace {

using namespace actions;

BW_BUILTIN(ActionSetScore)
{
    int32_t& score = Game_Counters().score;
    score = Relative() ? Int32_SaturatedSum(score, Arg_Round(args[0])) : Arg_Round(args[0]);
}

BW_BUILTIN(ActionSetLife)
{
    const int32_t given = Arg_Round(args[0]);
    Game_SetLives(Relative() ? Int32_SaturatedSum(Game_Counters().lives, given) : given);
}

BW_BUILTIN(ActionSetHealth)
{
    const double given = args[0].real;
    Game_SetHealth(Relative() ? Game_Counters().health + given : given);
}

void DrawCaptioned(CInstance* self, const Value* args, int32_t number)
{
    const Point at = Position(self, args[0], args[1]);
    const std::string text = std::string(Arg_TextOrEmpty(args[2])) + std::to_string(number);
    Value textValue;
    Value_SetString(textValue, text.c_str());
    Forward("draw_text", self, {Real(at.x), Real(at.y), textValue});
    Value_Free(textValue);
}

BW_SELF_BUILTIN(ActionDrawScore)
{
    DrawCaptioned(self, args, Game_Counters().score);
}

BW_SELF_BUILTIN(ActionDrawLife)
{
    DrawCaptioned(self, args, Game_Counters().lives);
}

BW_SELF_BUILTIN(ActionDrawLifeImages)
{
    const int32_t sprite = Arg_Round(args[2]);
    SpriteInfo info;
    if (!Sprite_GetInfo(sprite, &info)) {
        return;
    }
    const Point at = Position(self, args[0], args[1]);
    for (int32_t life = 0; life < Game_Counters().lives; ++life) {
        Forward("draw_sprite", self,
                {Real(sprite), Real(0.0), Real(at.x + static_cast<float>(life * info.width)), Real(at.y)});
    }
}

BW_SELF_BUILTIN(ActionDrawHealth)
{
    const Point from = Position(self, args[0], args[1]);
    const Point to = Position(self, args[2], args[3]);
    const HealthBarColours colours = ActionHealthBar_Colours(Arg_Round(args[4]), Arg_Round(args[5]));
    constexpr int32_t kLeftToRight = 0;
    GR_DrawHealthbar(from.x, from.y, to.x, to.y, static_cast<float>(Game_Counters().health), colours.back,
                     colours.minimum, colours.middle, colours.maximum, kLeftToRight, colours.showBack, true);
}

BW_BUILTIN(ActionSetCaption)
{
    GameCounters& counters = Game_Counters();
    counters.showScore = args[0].real == 1.0;
    counters.captionScore = Arg_TextOrEmpty(args[1]);
    counters.showLives = args[2].real == 1.0;
    counters.captionLives = Arg_TextOrEmpty(args[3]);
    counters.showHealth = args[4].real == 1.0;
    counters.captionHealth = Arg_TextOrEmpty(args[5]);
    counters.captionChanged = true;
}

BW_SELF_BUILTIN(ActionHighscoreShow)
{
    const CRoom* room = Room_Current();
    if (room == nullptr) {
        return;
    }
    constexpr int32_t kHalfBox = 100;
    const int32_t left = room->width / 2 - kHalfBox;
    const int32_t top = room->height / 2 - kHalfBox;
    Forward("draw_highscore", self, {Real(left), Real(top), Real(left + 2 * kHalfBox), Real(top + 2 * kHalfBox)});
}

}  // namespace

HealthBarColours ActionHealthBar_Colours(int32_t backIndex, int32_t barIndex)
{
    // Black to aqua in the order the editor lists them.
    static constexpr std::array<uint32_t, 16> kNamed = {
        0x000000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000080, 0x008000, 0x008080, 0x800000,
        0x800080, 0x808000, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00,
    };
    constexpr uint32_t kBlack = 0x000000, kGray = 0x808080, kWhite = 0xFFFFFF;
    constexpr uint32_t kRed = 0x0000FF, kYellow = 0x00FFFF, kGreen = 0x00FF00;
    HealthBarColours colours;
    if (backIndex >= 1 && backIndex <= static_cast<int32_t>(kNamed.size())) {
        colours.showBack = true;
        colours.back = kNamed[static_cast<size_t>(backIndex - 1)];
    }
    if (barIndex == 1) {
        colours.minimum = kBlack;
        colours.middle = kGray;
        colours.maximum = kWhite;
    } else if (barIndex >= 2 && barIndex < 2 + static_cast<int32_t>(kNamed.size())) {
        const uint32_t single = kNamed[static_cast<size_t>(barIndex - 2)];
        colours.minimum = colours.middle = colours.maximum = single;
    } else {
        colours.minimum = kRed;
        colours.middle = kYellow;
        colours.maximum = kGreen;
    }
    return colours;
}

void ActionScore_Register()
{
    static const BuiltinRegistration kTable[] = {
        {"action_set_score", &ActionSetScore, 1},
        {"action_set_life", &ActionSetLife, 1},
        {"action_set_health", &ActionSetHealth, 1},
        {"action_draw_score", &ActionDrawScore, 3},
        {"action_draw_life", &ActionDrawLife, 3},
        {"action_draw_life_images", &ActionDrawLifeImages, 3},
        {"action_draw_health", &ActionDrawHealth, 6},
        {"action_set_caption", &ActionSetCaption, 6},
        {"action_highscore_show", &ActionHighscoreShow, 11},
        {"action_highscore_clear", &ActionRun<&HighScore_Clear>, 0},
    };
    Builtins_Register(kTable);
}

}  // namespace bw
