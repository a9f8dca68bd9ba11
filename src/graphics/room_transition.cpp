#include "graphics/room_transition.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>

#include "graphics/draw_2d.h"
#include "graphics/screen.h"
#include "graphics/surfaces.h"
#include "platform/console.h"
#include "platform/real_to_int.h"
#include "script/function_table.h"
#include "world/game_state.h"
#include "world/room.h"
#include "world/run_hooks.h"

namespace bw {

namespace {

constexpr int32_t kNoSurface = -1;
constexpr int32_t kNoTransition = -1;
// Kinds a script can be defined for lie in 1 .. kDefinableKinds - 1.
constexpr int32_t kDefinableKinds = 1000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr double kFullTurn = 6.2831855;
constexpr double kRadiansToDegrees = 180.0 / 3.14159265358979323846;

struct DefinedTransition {
    int32_t script = -1;
    std::string name;
};

struct TransitionState {
    int32_t fromSurface = kNoSurface;
    int32_t toSurface = kNoSurface;
    // Nothing reads these back but transition_define's own check; kept
    // sparse, as a kind may be any number below a million.
    std::unordered_map<int32_t, DefinedTransition> defined;
};
TransitionState g_transition;

int32_t& CurrentKind()
{
    return Display_State().transitionKind;
}

void FreeSurface(int32_t& surface)
{
    if (surface != kNoSurface) {
        Surface_Free(surface);
        surface = kNoSurface;
    }
}

int32_t Nearest(double value)
{
    return Real_RoundToInt32(value);
}

// The direction a sliding, revealing or pushing kind moves in: new comes in
// from the left (1, 0), the right (-1, 0), the top (0, 1) or the bottom (0, -1).
struct Direction {
    int32_t dx, dy;
};
Direction DirectionOf(int32_t indexInGroup)
{
    static constexpr Direction kDirections[4] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    return kDirections[indexInGroup & 3];
}

// The drawing of one frame: the screen size, the two surfaces and the
// fraction of the way.
class FrameDrawer {
public:
    FrameDrawer(int32_t steps, double fraction)
        : m_w(GR_GetScreenWidth()), m_h(GR_GetScreenHeight()), m_steps(std::max(1, steps)), m_f(fraction)
    {
    }

    void Draw(int32_t kind) const
    {
        if (kind >= 1 && kind <= 4) {
            Reveal(DirectionOf(kind - 1), m_f);
        } else if (kind == 5) {
            GrowFromCentre();
        } else if (kind >= 6 && kind <= 9) {
            Old(0, 0, 1.0f);
            Slide(DirectionOf(kind - 6));
        } else if (kind >= 10 && kind <= 13) {
            Stripes(DirectionOf(kind - 10));
        } else if (kind >= 14 && kind <= 17) {
            const Direction d = DirectionOf(kind - 14);
            Old(Nearest(m_w * m_f) * d.dx, Nearest(m_h * m_f) * d.dy, 1.0f);
            Slide(d);
        } else if (kind == 18 || kind == 19) {
            Old(0, 0, 1.0f);
            Spin(kind == 18 ? 1.0 : -1.0);
        } else if (kind == 20) {
            Old(0, 0, 1.0f);
            Surface_DrawExt(g_transition.toSurface, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, kWhite, static_cast<float>(m_f));
        } else if (kind == 21) {
            GR_Clear(0xFF000000u);
            if (m_f <= 0.5) {
                Old(0, 0, static_cast<float>(1.0 - 2.0 * m_f));
            } else {
                NewPart(0, 0, m_w, m_h, 0, 0, static_cast<float>(2.0 * m_f - 1.0));
            }
        }
    }

private:
    static void Part(int32_t surface, int32_t left, int32_t top, int32_t w, int32_t h, int32_t x, int32_t y,
                     float alpha)
    {
        Surface_DrawPart(surface, static_cast<float>(left), static_cast<float>(top), static_cast<float>(w),
                         static_cast<float>(h), static_cast<float>(x), static_cast<float>(y), 1.0f, 1.0f, kWhite,
                         alpha);
    }
    void Old(int32_t x, int32_t y, float alpha) const { Part(g_transition.fromSurface, 0, 0, m_w, m_h, x, y, alpha); }
    static void NewPart(int32_t left, int32_t top, int32_t w, int32_t h, int32_t x, int32_t y, float alpha)
    {
        Part(g_transition.toSurface, left, top, w, h, x, y, alpha);
    }
    // A part of new drawn where it belongs.
    static void NewInPlace(int32_t left, int32_t top, int32_t w, int32_t h) { NewPart(left, top, w, h, left, top, 1.0f); }

    // Old, with the first columns or rows of new on the side new comes from.
    void Reveal(Direction d, double fraction) const
    {
        Old(0, 0, 1.0f);
        const int32_t columns = Nearest(m_w * fraction);
        const int32_t rows = Nearest(m_h * fraction);
        if (d.dx == 1) {
            NewInPlace(0, 0, columns, m_h);
        } else if (d.dx == -1) {
            NewInPlace(m_w - columns, 0, columns, m_h);
        } else if (d.dy == 1) {
            NewInPlace(0, 0, m_w, rows);
        } else {
            NewInPlace(0, m_h - rows, m_w, rows);
        }
    }

    void GrowFromCentre() const
    {
        Old(0, 0, 1.0f);
        const int32_t left = Nearest((m_w - m_w * m_f) * 0.5);
        const int32_t top = Nearest((m_h - m_h * m_f) * 0.5);
        NewInPlace(left, top, Nearest(m_w * m_f), Nearest(m_h * m_f));
    }

    // New whole, moved in from outside the screen.
    void Slide(Direction d) const
    {
        NewPart(0, 0, m_w, m_h, (Nearest(m_w * m_f) - m_w) * d.dx, (Nearest(m_h * m_f) - m_h) * d.dy, 1.0f);
    }

    // Every second stripe of new appears step by step; in the second half
    // the reveal of the same direction fills the rest.
    void Stripes(Direction d) const
    {
        const int32_t step = Nearest(m_steps * m_f);
        if (step == m_steps) {
            NewPart(0, 0, m_w, m_h, 0, 0, 1.0f);
            return;
        }
        const int32_t half = m_steps / 2;
        if (step > half) {
            Reveal(d, static_cast<double>(step - half) / half);
        } else {
            Old(0, 0, 1.0f);
        }
        const bool horizontal = d.dx != 0;
        const int32_t sign = horizontal ? d.dx : d.dy;
        const int32_t side = horizontal ? m_w : m_h;
        const int32_t stripe = Nearest(static_cast<double>(side) / m_steps);
        for (int32_t k = 0; k <= half; ++k) {
            if ((sign == 1 && k <= step) || (sign == -1 && k >= half - step)) {
                const int32_t start = Nearest(2.0 * k * side / m_steps);
                if (horizontal) {
                    NewInPlace(start, 0, stripe, m_h);
                } else {
                    NewInPlace(0, start, m_w, stripe);
                }
            }
        }
    }

    // New grows from nothing at the centre, turning `sense` (1 or -1) as it goes.
    void Spin(double sense) const
    {
        const double theta = std::sqrt(m_f) * kFullTurn * sense;
        const double s = std::sin(theta);
        const double c = std::cos(theta);
        const double x = m_w / 2 - s * m_f * m_h * 0.5 - c * m_f * m_w * 0.5;
        const double y = m_h / 2 - c * m_f * m_h * 0.5 + s * m_f * m_w * 0.5;
        const auto scale = static_cast<float>(m_f);
        Surface_DrawExt(g_transition.toSurface, static_cast<float>(x), static_cast<float>(y), scale, scale,
                        static_cast<float>(theta * kRadiansToDegrees), kWhite, 1.0f);
    }

    int32_t m_w, m_h, m_steps;
    double m_f;
};

}  // namespace

bool Transition_IsBuiltin(int32_t kind)
{
    return kind >= 1 && kind <= kTransitionBuiltinCount;
}

bool TransFunctionExists(int32_t kind)
{
    if (Transition_IsBuiltin(kind)) {
        return true;
    }
    Console().Printf("TransFunctionExists()\n");
    return false;
}

bool Transition_Define(int32_t kind, const char* scriptName)
{
    int32_t id = -1;
    if (!Code_Function_Find(scriptName, &id)) {
        return false;
    }
    if (kind > 0 && kind < kDefinableKinds) {
        g_transition.defined[kind] = DefinedTransition{id, scriptName};
    }
    return true;
}

int32_t Transition_Script(int32_t kind)
{
    const auto found = g_transition.defined.find(kind);
    return found != g_transition.defined.end() ? found->second.script : -1;
}

int32_t Transition_FromSurface()
{
    return g_transition.fromSurface;
}

int32_t Transition_ToSurface()
{
    return g_transition.toSurface;
}

void Transition_Start(int32_t kind)
{
    CurrentKind() = kind;
    if (!TransFunctionExists(kind)) {
        return;
    }
    const int32_t w = GR_GetScreenWidth();
    const int32_t h = GR_GetScreenHeight();
    FreeSurface(g_transition.fromSurface);
    g_transition.fromSurface = Surface_Create(w, h);
    if (g_transition.fromSurface == kNoSurface) {
        CurrentKind() = kNoTransition;
        return;
    }
    Surface_SetTarget(g_transition.fromSurface);
    // The room is drawn as a picture: its draw events must not see the room
    // change that is under way.
    const int32_t request = NewRoomRequest;
    NewRoomRequest = -1;
    Run_CallHook(Run_Hooks().drawRoom);
    NewRoomRequest = request;

    FreeSurface(g_transition.toSurface);
    g_transition.toSurface = Surface_Create(w, h);
    if (g_transition.toSurface == kNoSurface) {
        CurrentKind() = kNoTransition;
        Surface_ResetTarget();
        FreeSurface(g_transition.fromSurface);
        return;
    }
    Surface_SetTarget(g_transition.toSurface);
}

void Transition_Draw(int32_t kind, double fraction)
{
    FrameDrawer(Display_State().transitionSteps, fraction).Draw(kind);
}

bool GR_Transition_Finish()
{
    Console().Printf("GR_Transition_Finish\n");
    const int32_t kind = CurrentKind();
    if (!TransFunctionExists(kind)) {
        Console().Printf("FALSE: GR_D3D_Finish_Frame\n");
        const bool finished = GR_D3D_Finish_Frame(true);
        Console().Printf("return FALSE\n");
        return finished;
    }
    Console().Printf("TF: 1\n");
    Surface_ResetTarget();
    const int32_t steps = std::max(1, Display_State().transitionSteps);
    Console().Printf("TF: 2  - %d\n", steps);
    for (int32_t i = 0; i <= steps; ++i) {
        Console().Printf("TF: 2.1\n");
        GR_D3D_Start_Frame();
        Console().Printf("TF: 2.2\n");
        Console().Printf("TransFunctionExists()\n");
        Console().Printf("TF: 2.3 -2\n");
        Transition_Draw(kind, static_cast<double>(i) / steps);
        Console().Printf("TF: 2.4\n");
        GR_D3D_Finish_Frame(true);
    }
    Console().Printf("TF: 3\n");
    FreeSurface(g_transition.fromSurface);
    Console().Printf("TF: 4\n");
    FreeSurface(g_transition.toSurface);
    Console().Printf("TF: 5\n");
    return false;
}

BW_BUILTIN(Builtin_TransitionDefine)
{
    Result_SetBool(result, Transition_Define(Arg_Round(args[0]), Arg_Text(args[1])));
}

BW_BUILTIN(Builtin_TransitionExists)
{
    Result_SetBool(result, TransFunctionExists(Arg_Round(args[0])));
}

}  // namespace bw
