// Drawing actions: sprites, backgrounds, text, shapes and colours, at
// positions relative to the instance when the flag is on.
#include "actions/action_groups.h"

#include <cmath>
#include <string>

#include "actions/action_helpers.h"
#include "platform/strings.h"
#include "resources/background.h"
#include "resources/sprite.h"
#include "script/arguments.h"
#include "script/error_report.h"
#include "world/instance.h"

namespace bw {

namespace {

using namespace actions;

constexpr char kDrawSetColor[] = "draw_set_color";

BW_SELF_BUILTIN(ActionDrawSprite)
{
    const int32_t sprite = Arg_Round(args[0]);
    if (!Sprite_Exists(sprite)) {
        Code_Error_Runtime("Trying to draw a non-existing sprite.", false);
        return;
    }
    const Point at = Position(self, args[1], args[2]);
    const double subimage = Arg_Round(args[3]) < 0 && self != nullptr ? self->i_imageindex : args[3].real;
    Forward("draw_sprite", self, {args[0], Real(subimage), Real(at.x), Real(at.y)});
}

BW_SELF_BUILTIN(ActionDrawBackground)
{
    if (!Background_Exists(Arg_Round(args[0]))) {
        Code_Error_Runtime("Trying to draw a non-existing background.", false);
        return;
    }
    const Point at = Position(self, args[1], args[2]);
    Forward(Arg_Flag(args[3]) ? "draw_background_tiled" : "draw_background", self, {args[0], Real(at.x), Real(at.y)});
}

BW_SELF_BUILTIN(ActionDrawText)
{
    const Point at = Position(self, args[1], args[2]);
    Forward("draw_text", self, {Real(at.x), Real(at.y), args[0]});
}

BW_SELF_BUILTIN(ActionDrawTextTransformed)
{
    const Point at = Position(self, args[1], args[2]);
    Forward("draw_text_transformed", self, {Real(at.x), Real(at.y), args[0], args[3], args[4], args[5]});
}

// Whole reals as integers with every digit, however large (-0 as 0); others
// with two decimals in a width of ten.
std::string VariableText(const Value& value)
{
    if (!Arg_IsReal(value)) {
        return Arg_TextOrEmpty(value);
    }
    const double real = value.real;
    if (std::isfinite(real) && real == std::floor(real)) {
        return String_FromWholeReal(real);
    }
    return String_FromReal(real, std::chars_format::fixed, 2, 10);
}

BW_SELF_BUILTIN(ActionDrawVariable)
{
    const Point at = Position(self, args[1], args[2]);
    Value text;
    Value_SetString(text, VariableText(args[0]).c_str());
    Forward("draw_text", self, {Real(at.x), Real(at.y), text});
    Value_Free(text);
}

// The two corners of a shape, relative to self when the flag is on.
template <const char* builtin>
BW_SELF_BUILTIN(ActionDrawShape)
{
    const Point from = Position(self, args[0], args[1]);
    const Point to = Position(self, args[2], args[3]);
    Forward(builtin, self, {Real(from.x), Real(from.y), Real(to.x), Real(to.y), Real(Arg_Flag(args[4]) ? 0.0 : 1.0)});
}
constexpr char kDrawRectangle[] = "draw_rectangle";
constexpr char kDrawEllipse[] = "draw_ellipse";

template <bool horizontal>
BW_SELF_BUILTIN(ActionDrawGradient)
{
    const Point from = Position(self, args[0], args[1]);
    const Point to = Position(self, args[2], args[3]);
    const Value& first = args[4];
    const Value& second = args[5];
    // Corners run top-left, top-right, bottom-right, bottom-left.
    Forward("draw_rectangle_color", self,
            {Real(from.x), Real(from.y), Real(to.x), Real(to.y), first, horizontal ? second : first, second,
             horizontal ? first : second, Real(0.0)});
}

BW_SELF_BUILTIN(ActionDrawEllipseGradient)
{
    const Point from = Position(self, args[0], args[1]);
    const Point to = Position(self, args[2], args[3]);
    Forward("draw_ellipse_color", self, {Real(from.x), Real(from.y), Real(to.x), Real(to.y), args[4], args[5], Real(0.0)});
}

BW_SELF_BUILTIN(ActionDrawLine)
{
    const Point from = Position(self, args[0], args[1]);
    const Point to = Position(self, args[2], args[3]);
    Forward("draw_line", self, {Real(from.x), Real(from.y), Real(to.x), Real(to.y)});
}

BW_SELF_BUILTIN(ActionDrawArrow)
{
    const Point from = Position(self, args[0], args[1]);
    const Point to = Position(self, args[2], args[3]);
    Forward("draw_arrow", self, {Real(from.x), Real(from.y), Real(to.x), Real(to.y), args[4]});
}

BW_SELF_BUILTIN(ActionFont)
{
    Forward("draw_set_font", self, {args[0]});
    Forward("draw_set_halign", self, {args[1]});
}

}  // namespace

void ActionDrawing_Register()
{
    static const BuiltinRegistration kTable[] = {
        {"action_draw_sprite", &ActionDrawSprite, 4},
        {"action_draw_background", &ActionDrawBackground, 4},
        {"action_draw_text", &ActionDrawText, 3},
        {"action_draw_text_transformed", &ActionDrawTextTransformed, 6},
        {"action_draw_variable", &ActionDrawVariable, 3},
        {"action_draw_rectangle", &ActionDrawShape<kDrawRectangle>, 5},
        {"action_draw_ellipse", &ActionDrawShape<kDrawEllipse>, 5},
        {"action_draw_gradient_hor", &ActionDrawGradient<true>, 6},
        {"action_draw_gradient_vert", &ActionDrawGradient<false>, 6},
        {"action_draw_ellipse_gradient", &ActionDrawEllipseGradient, 6},
        {"action_draw_line", &ActionDrawLine, 4},
        {"action_draw_arrow", &ActionDrawArrow, 5},
        {"action_color", &ActionAs<kDrawSetColor>, 1},
        {"action_font", &ActionFont, 2},
    };
    Builtins_Register(kTable);
}

}  // namespace bw
