// The actions bind argument order and the relative flag to what already
// exists: world operations are called directly, everything that has a
// built-in of its own (drawing, sound, dialogs, particles, rooms) goes
// through that built-in, so each behaviour stays in one place.
#include "actions/action_builtins.h"

#include "actions/action_groups.h"
#include "script/arguments.h"

namespace bw {

namespace {

// Actions of old editors that no longer do anything.
BW_BUILTIN(ActionNothing) {}

}  // namespace

void Function_Action_Register()
{
    ActionMovement_Register();
    ActionInstances_Register();
    ActionGame_Register();
    ActionQuestions_Register();
    ActionScore_Register();
    ActionDrawing_Register();
    ActionMessages_Register();
    ActionSound_Register();
    ActionWindow_Register();
    ActionParticles_Register();
    static const BuiltinRegistration kObsolete[] = {
        {"action_path_old", &ActionNothing, 3},
        {"action_draw_font", &ActionNothing, 1},
        {"action_draw_font_old", &ActionNothing, 6},
        {"action_fill_color", &ActionNothing, 1},
        {"action_line_color", &ActionNothing, 1},
        {"action_highscore", &ActionNothing, 0},
    };
    Builtins_Register(kObsolete);
}

}  // namespace bw
