#include "online/http/vask_services.h"

#include <string>

#include "script/arguments.h"
#include "platform/console.h"
#include "script/error_report.h"

namespace bw {

namespace {

constexpr int32_t kAdSlots = 5;

// Argument kinds of the checked built-ins ('r' real, 's' string).
constexpr char kS[] = "s";
constexpr char kSS[] = "ss";
constexpr char kSSR[] = "ssr";
constexpr char kSSS[] = "sss";
constexpr char kSSSS[] = "ssss";
constexpr char kRS[] = "rs";
constexpr char kR[] = "r";
constexpr char kSR[] = "sr";
constexpr char kRRRRS[] = "rrrrs";

BW_BUILTIN(Zero)
{
    Value_SetReal(*result, 0);
}

BW_BUILTIN(EmptyText)
{
    Result_SetString(result, "");
}

// A service that is not here: the arguments are checked, the answer is 0.
template <const char* Kinds>
BW_BUILTIN(CheckedZero)
{
    Value_SetReal(*result, 0);
    Arguments_Check(argc, args, Kinds);
}

// The kind of a leaderboard may be left out.
BW_BUILTIN(MapLeaderboard)
{
    Value_SetReal(*result, 0);
    Arguments_Check(argc, args, argc == 2 ? kSS : kSSR);
}

// The same for built-ins that take only a count.
template <int32_t Count>
BW_BUILTIN(CountedZero)
{
    Value_SetReal(*result, 0);
    if (argc != Count) Code_Error_Runtime("Illegal argument count", false);
}

template <const char* Text>
BW_BUILTIN(FixedText)
{
    Result_SetString(result, Text);
}
constexpr char kIdle[] = "IDLE";

// The slot argument is at index; false (reported) when it names no slot.
bool CheckSlot(int32_t argc, const Value* args, int32_t index)
{
    if (index >= argc) {
        Code_Error_Runtime("Illegal argument count", false);
        return false;
    }
    const int32_t slot = Arg_Round(args[index]);
    if (slot < 0 || slot >= kAdSlots) {
        Code_Error_Runtime("Illegal advertising slot number", false);
        return false;
    }
    return true;
}

template <int32_t SlotIndex>
BW_BUILTIN(AdSlot)
{
    Value_SetReal(*result, 0);
    CheckSlot(argc, args, SlotIndex);
}

BW_BUILTIN(AnalyticsEventExt)
{
    Result_SetString(result, "");
    for (int32_t i = 1; i < argc; i += 2) {
        if (i + 1 >= argc || !Arg_IsString(args[i]) || !Arg_IsReal(args[i + 1])) {
            Code_Error_Log("malformed analytics parameter must be string, number pair", false);
            return;
        }
    }
}

void NotSupported()
{
    Console().Printf("Windows Phone functionality not supported on this platform\n");
}

// One tile setter: its name and parameter, for the message of a misuse.
template <const char* Name, const char* Parameter, const char* Kinds>
BW_BUILTIN(TileSetter)
{
    Value_SetReal(*result, 0);
    const std::string_view kinds(Kinds);
    bool ok = argc == static_cast<int32_t>(kinds.size());
    for (int32_t i = 0; ok && i < argc; ++i) {
        ok = kinds[static_cast<size_t>(i)] == 's' ? Arg_IsString(args[i]) : Arg_IsReal(args[i]);
    }
    if (ok) {
        NotSupported();
    } else {
        Console().Printf("incorrect arguments to %s( %s )\n", Name, Parameter);
    }
}

BW_BUILTIN(TileCycleImages)
{
    Value_SetReal(*result, 0);
    if (argc > 9) {
        Console().Printf("incorrect arguments to winphone_tile_cycle_images( filename1, filename2, ... up to "
                         "filename9 )\n");
    } else {
        NotSupported();
    }
}

BW_BUILTIN(ImmersionPlayEffect)
{
    Value_SetReal(*result, 0);
    if (argc < 1) Code_Error_Log("Too few arguments to immersion_play()", false);
}

#define BW_TILE(name, parameter)                   \
    constexpr char kName_##name[] = "winphone_tile_" #name; \
    constexpr char kParameter_##name[] = parameter;
BW_TILE(title, "title")
BW_TILE(back_title, "title")
BW_TILE(back_content, "content")
BW_TILE(back_content_wide, "content")
BW_TILE(front_image, "filename")
BW_TILE(front_image_small, "filename")
BW_TILE(front_image_wide, "filename")
BW_TILE(back_image, "filename")
BW_TILE(back_image_wide, "filename")
BW_TILE(icon_image, "filename")
BW_TILE(small_icon_image, "filename")
BW_TILE(small_background_image, "filename")
BW_TILE(count, "count")
BW_TILE(background_color, "color")
BW_TILE(wide_content, "content, index")
#undef BW_TILE

#define BW_TILE_ENTRY(name, kinds) \
    {"winphone_tile_" #name, &TileSetter<kName_##name, kParameter_##name, kinds>, kBuiltinArgCountAny}

const BuiltinRegistration kServiceBuiltins[] = {
    {"achievement_show_achievements", &Zero, kBuiltinArgCountAny},
    {"achievement_show_leaderboards", &Zero, kBuiltinArgCountAny},
    {"achievement_load_friends", &Zero, kBuiltinArgCountAny},
    {"achievement_load_progress", &Zero, kBuiltinArgCountAny},
    {"achievement_reset", &Zero, kBuiltinArgCountAny},
    {"achievement_load_leaderboard", &Zero, kBuiltinArgCountAny},
    {"achievement_send_challenge", &Zero, kBuiltinArgCountAny},
    {"achievement_login_status", &Zero, 0},
    {"Vask_OF_IsOnline", &Zero, 0},
    {"achievement_map_achievement", &CheckedZero<kSS>, 2},
    {"Vask_OF_AddAchievement", &CheckedZero<kSS>, 2},
    {"achievement_map_leaderboard", &MapLeaderboard, kBuiltinArgCountAny},
    {"Vask_OF_AddLeaderboard", &MapLeaderboard, kBuiltinArgCountAny},
    {"openfeint_start", &Zero, 0},
    {"Vask_OF_StartDashboard", &Zero, 0},
    {"openfeint_send_challenge", &CheckedZero<kSSS>, 3},
    {"Vask_OF_SendChallenge", &CheckedZero<kSSS>, 3},
    {"openfeint_send_invite", &CheckedZero<kS>, 1},
    {"Vask_OF_SendInvite", &CheckedZero<kS>, 1},
    {"openfeint_send_social", &CheckedZero<kSSS>, 3},
    {"Vask_OF_SendSocial", &CheckedZero<kSSS>, 3},
    {"openfeint_set_url", &CheckedZero<kS>, 1},
    {"Vask_OF_SetURL", &CheckedZero<kS>, 1},
    {"openfeint_accept_challenge", &EmptyText, 0},
    {"Vask_OF_AcceptChallenge", &EmptyText, 0},
    {"openfeint_send_result", &CheckedZero<kRS>, 2},
    {"Vask_OF_SendChallengeResult", &CheckedZero<kRS>, 2},
    {"ads_enable", &Zero, kBuiltinArgCountAny},
    {"Vask_EnableAds", &Zero, kBuiltinArgCountAny},
    {"ads_disable", &AdSlot<0>, kBuiltinArgCountAny},
    {"Vask_DisableAds", &AdSlot<0>, kBuiltinArgCountAny},
    {"ads_move", &AdSlot<2>, kBuiltinArgCountAny},
    {"ads_get_display_width", &AdSlot<0>, kBuiltinArgCountAny},
    {"ads_get_display_height", &AdSlot<0>, kBuiltinArgCountAny},
    {"ads_event", &CheckedZero<kS>, 1},
    {"ads_event_preload", &CheckedZero<kS>, 1},
    {"ads_interstitial_available", &Zero, kBuiltinArgCountAny},
    {"ads_interstitial_display", &Zero, kBuiltinArgCountAny},
    {"ads_engagement_available", &Zero, kBuiltinArgCountAny},
    {"ads_engagement_active", &Zero, kBuiltinArgCountAny},
    {"ads_engagement_launch", &Zero, kBuiltinArgCountAny},
    {"ads_setup", &CheckedZero<kSS>, 2},
    {"ads_set_reward_callback", &CheckedZero<kR>, 1},
    {"playhaven_add_notification_badge", &CheckedZero<kRRRRS>, 5},
    {"playhaven_position_notification_badge", &CountedZero<4>, kBuiltinArgCountAny},
    {"playhaven_hide_notification_badge", &Zero, kBuiltinArgCountAny},
    {"playhaven_update_notification_badge", &Zero, kBuiltinArgCountAny},
    {"pocketchange_display_shop", &Zero, kBuiltinArgCountAny},
    {"pocketchange_display_reward", &Zero, kBuiltinArgCountAny},
    {"clickable_add", &Zero, kBuiltinArgCountAny},
    {"clickable_add_ext", &Zero, kBuiltinArgCountAny},
    {"clickable_change", &Zero, kBuiltinArgCountAny},
    {"clickable_change_ext", &Zero, kBuiltinArgCountAny},
    {"clickable_delete", &Zero, kBuiltinArgCountAny},
    {"shop_leave_rating", &CheckedZero<kSSSS>, 4},
    {"Vask_LeaveRating", &CheckedZero<kSSSS>, 4},
    {"facebook_init", &Zero, 0},
    {"facebook_logout", &Zero, 0},
    {"facebook_login", &CountedZero<1>, kBuiltinArgCountAny},
    {"facebook_graph_request", &CountedZero<4>, kBuiltinArgCountAny},
    {"facebook_dialog", &CountedZero<3>, kBuiltinArgCountAny},
    {"facebook_post_message", &CountedZero<7>, kBuiltinArgCountAny},
    {"facebook_send_invite", &CountedZero<4>, kBuiltinArgCountAny},
    {"facebook_status", &FixedText<kIdle>, 0},
    {"facebook_user_id", &EmptyText, 0},
    {"facebook_accesstoken", &EmptyText, 0},
    {"facebook_launch_offerwall", &Zero, kBuiltinArgCountAny},
    {"rizedorareLogin", &EmptyText, kBuiltinArgCountAny},
    {"rizedorareSave", &EmptyText, kBuiltinArgCountAny},
    {"rizedorareLoad", &EmptyText, kBuiltinArgCountAny},
    {"rizedorareIsLoggedIn", &EmptyText, kBuiltinArgCountAny},
    {"rizedorareIsLoaded", &EmptyText, kBuiltinArgCountAny},
    {"analytics_event", &EmptyText, 1},
    {"analytics_event_ext", &AnalyticsEventExt, kBuiltinArgCountAny},
    BW_TILE_ENTRY(title, kS),
    BW_TILE_ENTRY(back_title, kS),
    BW_TILE_ENTRY(back_content, kS),
    BW_TILE_ENTRY(back_content_wide, kS),
    BW_TILE_ENTRY(front_image, kS),
    BW_TILE_ENTRY(front_image_small, kS),
    BW_TILE_ENTRY(front_image_wide, kS),
    BW_TILE_ENTRY(back_image, kS),
    BW_TILE_ENTRY(back_image_wide, kS),
    BW_TILE_ENTRY(icon_image, kS),
    BW_TILE_ENTRY(small_icon_image, kS),
    BW_TILE_ENTRY(small_background_image, kS),
    BW_TILE_ENTRY(count, kR),
    BW_TILE_ENTRY(background_color, kR),
    BW_TILE_ENTRY(wide_content, kSR),
    {"winphone_tile_cycle_images", &TileCycleImages, kBuiltinArgCountAny},
    {"immersion_play_effect", &ImmersionPlayEffect, kBuiltinArgCountAny},
    {"immersion_stop", &Zero, 0},
};
#undef BW_TILE_ENTRY

}  // namespace

void Function_VaskServices_Register()
{
    Builtins_Register(kServiceBuiltins);
}

}  // namespace bw
