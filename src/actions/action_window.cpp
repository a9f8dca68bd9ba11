// Actions of the window and the desktop: the cursor, web pages, full screen
// and snapshots.
#include "actions/action_groups.h"

#include "actions/action_helpers.h"
#include "graphics/game_window.h"
#include "platform/execute.h"
#include "platform/files.h"
#include "script/arguments.h"
#include "script/error_report.h"
#include "world/game_state.h"

namespace bw {

namespace {

using namespace actions;

constexpr char kScreenSave[] = "screen_save";

BW_BUILTIN(ActionSetCursor)
{
    Game_Counters().cursorSprite = Arg_Round(args[0]);
    constexpr int32_t kSystemCursor = 0;
    constexpr int32_t kNoCursor = -1;
    Window_SetCursor(Arg_Flag(args[1]) ? kSystemCursor : kNoCursor);
}

BW_BUILTIN(ActionWebpage)
{
    if (!ExecuteShell(Arg_TextOrEmpty(args[0]), "", Files_PackageFolder().c_str())) {
        Code_Error_Runtime("Failed to open the webpage.", false);
    }
}

BW_BUILTIN(ActionFullscreen)
{
    const int32_t mode = Arg_Round(args[0]);
    Window_SetFullscreen(mode == 1 || mode == 2 ? mode == 2 : !Window_GetFullscreen());
}

}  // namespace

void ActionWindow_Register()
{
    static const BuiltinRegistration kTable[] = {
        {"action_set_cursor", &ActionSetCursor, 2},
        {"action_webpage", &ActionWebpage, 1},
        {"action_fullscreen", &ActionFullscreen, 1},
        {"action_snapshot", &ActionAs<kScreenSave>, 1},
    };
    Builtins_Register(kTable);
}

}  // namespace bw
