// Text built-ins: font and alignment, measuring and the eight drawing forms.
// Drawing shows a real as a number; measuring takes a non-string as an empty
// text. Separation and wrap width are integers; -1 means "the font's height"
// and "no wrapping".
#include "graphics/graphic_builtins.h"
#include "graphics/graphic_builtins_args.h"
#include "resources/graphic_builtins_resources.h"
#include "resources/text.h"

namespace bw {

namespace {

constexpr int32_t kDefaultSeparation = -1;
constexpr int32_t kNoWrap = -1;

// The text to draw: a string argument itself, a real as written into the
// object's own buffer (so it is not copied); empty when there is nothing to
// draw.
class DrawText {
public:
    explicit DrawText(const Value& value) : m_text(Value_ToDrawText(value, m_number, sizeof m_number)) {}
    DrawText(const DrawText&) = delete;
    DrawText& operator=(const DrawText&) = delete;
    bool Empty() const { return m_text[0] == '\0'; }
    const char* Text() const { return m_text; }

private:
    char m_number[kDrawTextCapacity];
    const char* m_text;
};

const char* MeasuredText(const Value& value)
{
    const char* text = Arg_IsString(value) ? Value_String(value) : nullptr;
    return text != nullptr ? text : "";
}

BW_BUILTIN(DrawSetFont)
{
    GR_Text_SetFont(Arg_Int(args[0]));
}
BW_BUILTIN(DrawSetHAlign)
{
    GR_Text_SetHAlign(Arg_Int(args[0]));
}
BW_BUILTIN(DrawSetVAlign)
{
    GR_Text_SetVAlign(Arg_Int(args[0]));
}

BW_BUILTIN(StringWidth)
{
    result->real = GR_Text_Width(MeasuredText(args[0]), kDefaultSeparation, kNoWrap);
}
BW_BUILTIN(StringHeight)
{
    result->real = GR_Text_Height(MeasuredText(args[0]), kDefaultSeparation, kNoWrap);
}
BW_BUILTIN(StringWidthExt)
{
    result->real = GR_Text_Width(MeasuredText(args[0]), Arg_Int(args[1]), Arg_Int(args[2]));
}
BW_BUILTIN(StringHeightExt)
{
    result->real = GR_Text_Height(MeasuredText(args[0]), Arg_Int(args[1]), Arg_Int(args[2]));
}

// The plain and transformed forms, with or without separation and width:
// the ext forms take them from arguments 3 and 4 and shift the rest by two.
template <bool kExt>
struct TextLayout {
    static constexpr int32_t kRest = kExt ? 5 : 3;
    static int32_t Separation(const Value* args) { return kExt ? Arg_Int(args[3]) : kDefaultSeparation; }
    static int32_t Width(const Value* args) { return kExt ? Arg_Int(args[4]) : kNoWrap; }
};

template <bool kExt>
BW_BUILTIN(DrawTextPlain)
{
    using Layout = TextLayout<kExt>;
    const DrawText text(args[2]);
    if (!text.Empty()) {
        GR_Text_Draw(Arg_Float(args[0]), Arg_Float(args[1]), text.Text(), Layout::Separation(args),
                     Layout::Width(args));
    }
}

template <bool kExt>
BW_BUILTIN(DrawTextTransformed)
{
    using Layout = TextLayout<kExt>;
    const Value* rest = args + Layout::kRest;
    const DrawText text(args[2]);
    if (!text.Empty()) {
        GR_Text_DrawTransformed(Arg_Float(args[0]), Arg_Float(args[1]), text.Text(), Layout::Separation(args),
                                Layout::Width(args), Arg_Float(rest[0]), Arg_Float(rest[1]), Arg_Float(rest[2]));
    }
}

template <bool kExt>
BW_BUILTIN(DrawTextColour)
{
    using Layout = TextLayout<kExt>;
    const Value* rest = args + Layout::kRest;
    const DrawText text(args[2]);
    if (!text.Empty()) {
        GR_Text_DrawColour(Arg_Float(args[0]), Arg_Float(args[1]), text.Text(), Layout::Separation(args),
                           Layout::Width(args), Arg_Colour(rest[0]), Arg_Colour(rest[1]), Arg_Colour(rest[2]),
                           Arg_Colour(rest[3]), Arg_Float(rest[4]));
    }
}

template <bool kExt>
BW_BUILTIN(DrawTextTransformedColour)
{
    using Layout = TextLayout<kExt>;
    const Value* rest = args + Layout::kRest;
    const DrawText text(args[2]);
    if (!text.Empty()) {
        GR_Text_DrawTransformedColour(Arg_Float(args[0]), Arg_Float(args[1]), text.Text(), Layout::Separation(args),
                                      Layout::Width(args), Arg_Float(rest[0]), Arg_Float(rest[1]),
                                      Arg_Float(rest[2]), Arg_Colour(rest[3]), Arg_Colour(rest[4]),
                                      Arg_Colour(rest[5]), Arg_Colour(rest[6]), Arg_Float(rest[7]));
    }
}

const BuiltinRegistration kText[] = {
    {"draw_set_font", &DrawSetFont, 1},
    {"draw_set_halign", &DrawSetHAlign, 1},
    {"draw_set_valign", &DrawSetVAlign, 1},
    {"string_width", &StringWidth, 1},
    {"string_height", &StringHeight, 1},
    {"string_width_ext", &StringWidthExt, 3},
    {"string_height_ext", &StringHeightExt, 3},
    {"draw_text", &DrawTextPlain<false>, 3},
    {"draw_text_ext", &DrawTextPlain<true>, 5},
    {"draw_text_transformed", &DrawTextTransformed<false>, 6},
    {"draw_text_ext_transformed", &DrawTextTransformed<true>, 8},
    {"draw_text_color", &DrawTextColour<false>, 8},
    {"draw_text_transformed_color", &DrawTextTransformedColour<false>, 11},
    {"draw_text_ext_color", &DrawTextColour<true>, 10},
    {"draw_text_ext_transformed_color", &DrawTextTransformedColour<true>, 13},
};

}  // namespace

std::span<const BuiltinRegistration> GraphicBuiltins_Text()
{
    return kText;
}

}  // namespace bw
