#include "library/win8_builtins.h"

#include "script/arguments.h"
#include "platform/console.h"

namespace bw {

namespace {

BW_BUILTIN(Win8Unsupported)
{
    Console().Printf("Windows8 functionality not supported\n");
}

const BuiltinRegistration kWin8[] = {
    {"win8_livetile_tile_notification", &Win8Unsupported, 4},
    {"win8_livetile_tile_clear", &Win8Unsupported, 0},
    {"win8_livetile_badge_notification", &Win8Unsupported, 1},
    {"win8_livetile_badge_clear", &Win8Unsupported, 0},
    {"win8_livetile_queue_enable", &Win8Unsupported, 1},
    {"win8_appbar_enable", &Win8Unsupported, 1},
    {"win8_appbar_add_element", &Win8Unsupported, 6},
    {"win8_appbar_remove_element", &Win8Unsupported, 1},
    {"win8_share_image", &Win8Unsupported, 3},
    {"win8_share_screenshot", &Win8Unsupported, 2},
    {"win8_share_file", &Win8Unsupported, 3},
    {"win8_share_url", &Win8Unsupported, 3},
    {"win8_share_text", &Win8Unsupported, 3},
    {"win8_livetile_notification_tag", &Win8Unsupported, 1},
    {"win8_livetile_notification_image_add", &Win8Unsupported, 1},
    {"win8_settingscharm_add_entry", &Win8Unsupported, 2},
    {"win8_settingscharm_add_html_entry", &Win8Unsupported, 3},
    {"win8_settingscharm_remove_entry", &Win8Unsupported, 1},
    {"win8_search_enable", &Win8Unsupported, 1},
    {"win8_search_disable", &Win8Unsupported, 0},
    {"win8_search_add_suggestions", &Win8Unsupported, 1},
    {"win8_device_touchscreen_available", &Win8Unsupported, 0},
    {"win8_secondarytile_pin", &Win8Unsupported, 8},
    {"win8_secondarytile_delete", &Win8Unsupported, 1},
    {"win8_secondarytile_badge_notification", &Win8Unsupported, 2},
    {"win8_livetile_notification_begin", &Win8Unsupported, 1},
    {"win8_livetile_notification_secondary_begin", &Win8Unsupported, 2},
    {"win8_livetile_notification_expiry", &Win8Unsupported, 1},
    {"win8_livetile_notification_text_add", &Win8Unsupported, 1},
    {"win8_livetile_notification_end", &Win8Unsupported, 0},
};

}  // namespace

void Function_Win8_Register()
{
    Builtins_Register(kWin8);
}

}  // namespace bw
