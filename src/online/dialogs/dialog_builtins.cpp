#include "online/dialogs/dialog_builtins.h"

#include <cstdlib>
#include <string>

#include "script/arguments.h"
#include "platform/string_utf8.h"
#include "online/dialogs/dialog_provider.h"
#include "online/dialogs/high_score_builtins.h"
#include "online/dialogs/input_dialogs.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/strings.h"
#include "script/error_report.h"
#include "world/input.h"

namespace bw {

namespace {

// The title of every message box and input dialog.
constexpr const char* kProductCaption = "Brackwell";
// The name field of the file dialogs holds this many bytes.
constexpr size_t kFileNameBytes = 259;

// What the splash and show built-ins store; nothing shows a splash here.
struct SplashSettings {
    std::string caption;
    bool fullscreen = false, border = false, adapt = false, top = false, main = false, cursor = false;
    bool interrupt = false, stopKey = false, stopMouse = false;
    int32_t width = 0, height = 0, colour = 0;
    double scale = 0;
};
SplashSettings g_splash;

std::string ArgText(const Value& value)
{
    std::string text;
    Value_ToString(text, value);
    return text;
}

// A message as shown: a real in its shortest form, "#" as a line break.
std::string MessageText(const Value& value)
{
    std::string text = ArgText(value);
    ShowMessage_ConvertText(text);
    return text;
}

// Defaults of the input dialogs: a real becomes "%.2f" or "%d" text.
std::string DefaultText(const Value& value, bool integer)
{
    if (Arg_IsString(value)) return ArgText(value);
    if (integer) return std::to_string(Arg_Round(value));
    return String_FromReal(value.real, std::chars_format::fixed, 2);
}

BW_BUILTIN(ShowMessageBuiltin)
{
    ShowMessage(MessageText(args[0]).c_str());
    IO_Clear();
    Value_SetReal(*result, 1);
}

BW_BUILTIN(ShowMessageAsync)
{
    Value_SetReal(*result, InputQuery_MessageAsync(DialogCaption_Get(), MessageText(args[0]).c_str()));
    IO_Clear();
}

BW_BUILTIN(ShowQuestion)
{
    Result_SetBool(result, InputQuery_QuestionModal(DialogCaption_Get(), ArgText(args[0]).c_str()));
    IO_Clear();
}

BW_BUILTIN(ShowQuestionAsync)
{
    Value_SetReal(*result, InputQuery_QuestionAsync(DialogCaption_Get(), ArgText(args[0]).c_str()));
    IO_Clear();
}

BW_BUILTIN(ShowError)
{
    Code_Error_Runtime(ArgText(args[0]).c_str(), Arg_Flag(args[1]));
}

BW_BUILTIN(GetString)
{
    std::string answer;
    InputQuery_Modal(DialogCaption_Get(), ArgText(args[0]).c_str(), DefaultText(args[1], false).c_str(), &answer);
    Value_SetString(*result, answer.c_str());
    IO_Clear();
}

// OK gives the field read as a number, an emptied one 0; Cancel keeps the
// default.
BW_BUILTIN(GetInteger)
{
    double value = Arg_Round(args[1]);
    std::string answer;
    if (InputQuery_Modal(DialogCaption_Get(), ArgText(args[0]).c_str(), DefaultText(args[1], true).c_str(), &answer)) {
        value = String_ReadDecimal(answer.c_str());
    }
    Value_SetReal(*result, value);
    IO_Clear();
}

BW_BUILTIN(GetStringAsync)
{
    Value_SetReal(*result, InputQuery_StringAsync(DialogCaption_Get(), ArgText(args[0]).c_str(),
                                                  DefaultText(args[1], true).c_str()));
}

BW_BUILTIN(GetLoginAsync)
{
    if (Arg_IsString(args[0]) && Arg_IsString(args[1])) {
        Value_SetReal(*result, InputQuery_LoginAsync(Value_String(args[0]), Value_String(args[1])));
    }
}

// ---- File dialogs ----------------------------------------------------------

// The filter's default extension: the text after its first "." up to the
// next "|" ("Saves|*.sav" gives "sav").
std::string DefaultExtension(const std::string& filter)
{
    const size_t dot = filter.find('.');
    if (dot == std::string::npos) return {};
    return filter.substr(dot + 1, filter.find('|', dot) - dot - 1);
}

// A name typed without an extension takes the filter's default one, so
// "slot" saves as "slot.sav" where the game asked for saves.
void AddDefaultExtension(std::string& path, const std::string& extension)
{
    if (extension.empty() || extension.find_first_of("*?") != std::string::npos) return;
    const size_t slash = path.rfind('/');
    if (path.find('.', slash == std::string::npos ? 0 : slash) == std::string::npos) path += "." + extension;
}

void FileDialog(Value* result, int32_t argc, const Value* args, bool save)
{
    for (int32_t i = 0; i < argc; ++i) {
        if (!Arg_IsString(args[i])) {
            Result_SetString(result, "");
            return;
        }
    }
    HostFileRequest request;
    request.save = save;
    const std::string filter = Value_String(args[0]);
    request.filters = HostFileDialog_ParseFilter(filter);
    request.defaultName = std::string(Value_String(args[1])).substr(0, kFileNameBytes);
    if (argc == 4) {
        request.folder = Value_String(args[2]);
        request.title = Value_String(args[3]);
    }
    std::string extension;
    if (save) {
        extension = DefaultExtension(filter);
        Console().Printf("pDefExt = %s\n", extension.c_str());
    }
    std::string chosen;
    if (Dialog_Provider().ChooseFile(request, &chosen)) {
        if (save) {
            AddDefaultExtension(chosen, extension);
            PickedFiles_AddSaved(chosen.c_str());
        } else {
            PickedFiles_AddOpened(chosen.c_str());
        }
    }
    Result_SetString(result, chosen.c_str());
    IO_Clear();
}

BW_BUILTIN(GetOpenFilename)
{
    FileDialog(result, argc, args, false);
}

BW_BUILTIN(GetSaveFilename)
{
    FileDialog(result, argc, args, true);
}

// ---- Splash and show ----------------------------------------------------------

template <bool SplashSettings::*Flag>
BW_BUILTIN(SplashSetFlag)
{
    g_splash.*Flag = Arg_Round(args[0]) > 0;
}

BW_BUILTIN(SplashSetCaption)
{
    g_splash.caption = Arg_IsString(args[0]) ? Value_String(args[0]) : "";
}

BW_BUILTIN(SplashSetSize)
{
    g_splash.width = Arg_Round(args[0]);
    g_splash.height = Arg_Round(args[1]);
}

BW_BUILTIN(SplashSetColour)
{
    g_splash.colour = Arg_Round(args[0]);
}

BW_BUILTIN(SplashSetScale)
{
    g_splash.scale = args[0].real;
}

// Showing a splash succeeds without showing anything on this platform; the
// input is cleared as after any dialog.
BW_BUILTIN(SplashShow)
{
    IO_Clear();
}

// show_image, show_video and show_text: full screen, and the main flag as
// its opposite (show_text also takes a colour).
template <bool WithColour>
BW_BUILTIN(ShowSplash)
{
    g_splash.fullscreen = Arg_Round(args[1]) > 0;
    g_splash.main = !g_splash.fullscreen;
    if (WithColour) g_splash.colour = Arg_Round(args[2]);
    IO_Clear();
}

// ---- Names kept for old games -------------------------------------------------

template <const char* Line, bool ClearsInput, int Result>
BW_BUILTIN(Unsupported)
{
    Console().Printf("%s", Line);
    if (ClearsInput) IO_Clear();
    if (Result >= 0) Value_SetReal(*result, Result);
}

template <const char* Line>
BW_BUILTIN(UnsupportedText)
{
    Console().Printf("%s", Line);
    IO_Clear();
    Result_SetString(result, "");
}

constexpr char kShowInfo[] = "show_info(str) not supported\n";
constexpr char kLoadInfo[] = "load_info(str) not supported\n";
constexpr char kShowMessageExt[] = "show_message_ext(str,but1,but2,but3) not impleneted\n";
constexpr char kBackground[] = "message_background(back) not impleneted\n";
constexpr char kButton[] = "message_button(spr) not impleneted\n";
constexpr char kAlpha[] = "message_alpha(alpha) not impleneted\n";
constexpr char kTextFont[] = "message_text_font(name,size,color,style) not impleneted\n";
constexpr char kButtonFont[] = "message_button_font(name,size,color,style) not impleneted\n";
constexpr char kInputFont[] = "message_input_font(name,size,color,style) not impleneted\n";
constexpr char kMouseColour[] = "message_mouse_color(col) not impleneted\n";
constexpr char kInputColour[] = "message_input_color(col) not impleneted\n";
constexpr char kPosition[] = "message_position(x,y) not impleneted\n";
constexpr char kSize[] = "message_size(w,h)not impleneted\n";
constexpr char kCaption[] = "message_caption(show,str) not impleneted\n";
constexpr char kShowMenu[] = "show_menu(str,default) not implemented.\n";
constexpr char kShowMenuPos[] = "show_menu_pos(X,Y,str,default) not implemented.\n";
constexpr char kGetColour[] = "get_color(def) is not implemented\n";
constexpr char kGetDirectory[] = "get_directory(dname) not implemented.\n";
constexpr char kGetDirectoryAlt[] = "get_directory_alt(capt,root) not implemented.\n";

constexpr int kNoResult = -1;

constexpr BuiltinRegistration kDialogBuiltins[] = {
    {"show_message", &ShowMessageBuiltin, 1},
    {"show_message_async", &ShowMessageAsync, 1},
    {"show_question", &ShowQuestion, 1},
    {"show_question_async", &ShowQuestionAsync, 1},
    {"show_error", &ShowError, 2},
    {"get_string", &GetString, 2},
    {"get_integer", &GetInteger, 2},
    {"get_string_async", &GetStringAsync, 2},
    {"get_integer_async", &GetStringAsync, 2},
    {"get_login_async", &GetLoginAsync, 2},
    {"get_open_filename", &GetOpenFilename, 2},
    {"get_open_filename_ext", &GetOpenFilename, 4},
    {"get_save_filename", &GetSaveFilename, 2},
    {"get_save_filename_ext", &GetSaveFilename, 4},
    {"splash_set_caption", &SplashSetCaption, 1},
    {"splash_set_fullscreen", &SplashSetFlag<&SplashSettings::fullscreen>, 1},
    {"splash_set_border", &SplashSetFlag<&SplashSettings::border>, 1},
    {"splash_set_size", &SplashSetSize, 2},
    {"splash_set_adapt", &SplashSetFlag<&SplashSettings::adapt>, 1},
    {"splash_set_top", &SplashSetFlag<&SplashSettings::top>, 1},
    {"splash_set_color", &SplashSetColour, 1},
    {"splash_set_main", &SplashSetFlag<&SplashSettings::main>, 1},
    {"splash_set_scale", &SplashSetScale, 1},
    {"splash_set_cursor", &SplashSetFlag<&SplashSettings::cursor>, 1},
    {"splash_set_interrupt", &SplashSetFlag<&SplashSettings::interrupt>, 1},
    {"splash_set_stop_key", &SplashSetFlag<&SplashSettings::stopKey>, 1},
    {"splash_set_stop_mouse", &SplashSetFlag<&SplashSettings::stopMouse>, 1},
    {"splash_show_video", &SplashShow, 2},
    {"splash_show_image", &SplashShow, 2},
    {"splash_show_text", &SplashShow, 2},
    {"show_image", &ShowSplash<false>, 3},
    {"show_video", &ShowSplash<false>, 3},
    {"show_text", &ShowSplash<true>, 4},
    {"show_info", &Unsupported<kShowInfo, true, kNoResult>, 0},
    {"load_info", &Unsupported<kLoadInfo, false, 0>, 1},
    {"show_message_ext", &Unsupported<kShowMessageExt, true, 1>, 4},
    {"message_background", &Unsupported<kBackground, false, kNoResult>, 1},
    {"message_button", &Unsupported<kButton, false, kNoResult>, 1},
    {"message_alpha", &Unsupported<kAlpha, false, kNoResult>, 1},
    {"message_text_font", &Unsupported<kTextFont, false, kNoResult>, 4},
    {"message_button_font", &Unsupported<kButtonFont, false, kNoResult>, 4},
    {"message_input_font", &Unsupported<kInputFont, false, kNoResult>, 4},
    {"message_mouse_color", &Unsupported<kMouseColour, false, kNoResult>, 1},
    {"message_input_color", &Unsupported<kInputColour, false, kNoResult>, 1},
    {"message_position", &Unsupported<kPosition, false, kNoResult>, 2},
    {"message_size", &Unsupported<kSize, false, kNoResult>, 2},
    {"message_caption", &Unsupported<kCaption, false, kNoResult>, 2},
    {"show_menu", &Unsupported<kShowMenu, true, 0>, 2},
    {"show_menu_pos", &Unsupported<kShowMenuPos, true, 0>, 4},
    {"get_color", &Unsupported<kGetColour, true, 0>, 1},
    {"get_directory", &UnsupportedText<kGetDirectory>, 1},
    {"get_directory_alt", &UnsupportedText<kGetDirectoryAlt>, 2},
};

}  // namespace

void Function_Interaction_Register()
{
    DialogCaption_Set(kProductCaption);
    Builtins_Register(kDialogBuiltins);
    Function_HighScoreBuiltins_Register();
}

}  // namespace bw
