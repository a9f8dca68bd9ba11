#include "online/dialogs/high_score_builtins.h"

#include <cstdio>
#include <string>

#include "resources/text.h"
#include "script/arguments.h"
#include "online/dialogs/high_score.h"
#include "platform/console.h"
#include "world/game_state.h"
#include "world/input.h"

namespace bw {

namespace {

// What the table display would be shown with; stored for game code only.
struct HighScoreDisplay {
    int32_t background = -1;
    bool border = true;
    std::string fontName = "Times New Roman";
    int32_t fontSize = 0;
    int32_t backgroundColour = 0, newColour = 0, otherColour = 0;
    std::string caption = "Top Ten Players";
    std::string nobody = "<nobody>";
    std::string escape = "press <Escape> to close";
};
HighScoreDisplay g_display;

std::string TextOrEmpty(const Value& value)
{
    return Arg_IsString(value) ? Value_String(value) : "";
}

BW_BUILTIN(HighscoreShow)
{
    HighScore_Show();
    IO_Clear();
}

BW_BUILTIN(HighscoreShowExt)
{
    g_display.background = Arg_Round(args[1]);
    g_display.border = Arg_Flag(args[2]);
    g_display.newColour = Arg_Round(args[3]);
    g_display.otherColour = Arg_Round(args[4]);
    g_display.fontName = TextOrEmpty(args[5]);
    g_display.fontSize = Arg_Round(args[6]);
    HighScore_Show();
    IO_Clear();
}

BW_BUILTIN(HighscoreSetBackground)
{
    g_display.background = Arg_Round(args[0]);
}

BW_BUILTIN(HighscoreSetBorder)
{
    g_display.border = Arg_Flag(args[0]);
}

BW_BUILTIN(HighscoreSetFont)
{
    g_display.fontName = TextOrEmpty(args[0]);
    g_display.fontSize = Arg_Round(args[1]);
    Console().Printf("Function F_HighscoreSetFont has no implementation.\n\n");
}

// Texts not given as strings are left empty, not at their defaults.
BW_BUILTIN(HighscoreSetStrings)
{
    g_display.caption = TextOrEmpty(args[0]);
    g_display.nobody = TextOrEmpty(args[1]);
    g_display.escape = TextOrEmpty(args[2]);
}

BW_BUILTIN(HighscoreSetColours)
{
    g_display.backgroundColour = Arg_Round(args[0]);
    g_display.newColour = Arg_Round(args[1]);
    g_display.otherColour = Arg_Round(args[2]);
}

BW_BUILTIN(HighscoreClear)
{
    HighScore_Clear();
}

BW_BUILTIN(HighscoreAdd)
{
    HighScore_Add(Arg_IsString(args[0]) ? Value_String(args[0]) : nullptr, Arg_Round(args[1]));
}

BW_BUILTIN(HighscoreAddCurrent)
{
    HighScore_Add("DEFAULT", Game_Counters().score);
    IO_Clear();
}

BW_BUILTIN(HighscoreValue)
{
    Value_SetReal(*result, HighScore_GetValue(Arg_Round(args[0])));
}

BW_BUILTIN(HighscoreName)
{
    const char* name = HighScore_GetName(Arg_Round(args[0]));
    Result_SetString(result, name != nullptr ? name : "");
}

// Ten rows between y1 and y2: each name at the left, its value ending at
// the right edge.
BW_BUILTIN(DrawHighscore)
{
    const int32_t left = Arg_Round(args[0]);
    const int32_t top = Arg_Round(args[1]);
    const int32_t width = Real_RoundToInt32(args[2].real - args[0].real);
    const int32_t rowHeight = Real_RoundToInt32((args[3].real - args[1].real) / kHighScoreEntries);
    for (int32_t place = 1; place <= kHighScoreEntries; ++place) {
        const float y = static_cast<float>(top) + static_cast<float>(rowHeight) * static_cast<float>(place - 1);
        const char* name = HighScore_GetName(place);
        GR_Text_Draw(static_cast<float>(left), y, name != nullptr ? name : "", -1, -1);
        char value[16];
        std::snprintf(value, sizeof value, "%d", HighScore_GetValue(place));
        const int32_t valueWidth = GR_Text_Width(value, -1, -1);
        GR_Text_Draw(static_cast<float>(int64_t{left} + width - valueWidth), y, value, -1, -1);
    }
}

constexpr BuiltinRegistration kHighScoreBuiltins[] = {
    {"highscore_show", &HighscoreShow, 1},
    {"highscore_show_ext", &HighscoreShowExt, 7},
    {"highscore_set_background", &HighscoreSetBackground, 1},
    {"highscore_set_border", &HighscoreSetBorder, 1},
    {"highscore_set_font", &HighscoreSetFont, 3},
    {"highscore_set_strings", &HighscoreSetStrings, 3},
    {"highscore_set_colors", &HighscoreSetColours, 3},
    {"highscore_clear", &HighscoreClear, 0},
    {"highscore_add", &HighscoreAdd, 2},
    {"highscore_add_current", &HighscoreAddCurrent, 0},
    {"highscore_value", &HighscoreValue, 1},
    {"highscore_name", &HighscoreName, 1},
    {"draw_highscore", &DrawHighscore, 4},
};

}  // namespace

void Function_HighScore_Register()
{
    HighScore_Load();
}

void Function_HighScoreBuiltins_Register()
{
    Builtins_Register(kHighScoreBuiltins);
}

}  // namespace bw
