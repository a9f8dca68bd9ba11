#include "online/debugger/debug_eval.h"

#include <charconv>
#include <cmath>

#include "platform/strings.h"
#include "script/code_unit.h"
#include "script/error_report.h"
#include "world/instance.h"

namespace bw {

namespace {

constexpr double kNearInteger = 1e-12;
// The object index of the instance an evaluation makes for itself: noone's
// number, which names no object (-1 would be taken as object 0), so code
// evaluated there (instance_destroy(), event_perform) raises no object's
// events.
constexpr int32_t kNoObject = -4;

class SuppressErrors {
public:
    SuppressErrors() { Code_Error_SetDebugSuppress(true); }
    ~SuppressErrors() { Code_Error_SetDebugSuppress(false); }
    SuppressErrors(const SuppressErrors&) = delete;
    SuppressErrors& operator=(const SuppressErrors&) = delete;
};

bool NearInteger(double value)
{
    return std::fabs(value - std::round(value)) <= kNearInteger;
}

}  // namespace

bool Debug_Evaluate(const char* text, const char* unitName, CInstance* self, Value* result)
{
    SuppressErrors suppress;
    CCode code(text, true);
    if (!code.Compile(unitName)) {
        return false;
    }
    // Without an instance the code runs for one made for it alone, at
    // (0, 0), in no room and of no object.
    CInstance scratch(0.0f, 0.0f, 0, kNoObject, false);
    CInstance* const context = self != nullptr ? self : &scratch;
    // A built-in that reports an error lets the code go on; the expression
    // has failed all the same.
    const uint32_t reportsBefore = Code_Error_SuppressedReportCount();
    const bool ran =
        Code_Execute_Value(context, context, code, result) && Code_Error_SuppressedReportCount() == reportsBefore;
    scratch.FreeLinks();
    if (!ran) {
        Value_Free(*result);
    }
    return ran;
}

std::string Debug_FormatReal(double real)
{
    // Every digit is written, however large the real: a cut text would read
    // as another, smaller number.
    if (NearInteger(real)) {
        return String_FromWholeReal(std::round(real));
    }
    static constexpr struct {
        double scale;
        int places;
    } kPlaces[] = {{1e2, 2}, {1e4, 4}, {1e6, 6}, {1e8, 8}};
    for (const auto& places : kPlaces) {
        if (NearInteger(real * places.scale)) {
            return String_FromReal(real, std::chars_format::fixed, places.places);
        }
    }
    return String_FromReal(real, std::chars_format::fixed, 10, 10);
}

std::string Debug_FormatValue(const Value& value)
{
    if (Value_Kind(value) == kValueReal) {
        return Debug_FormatReal(value.real);
    }
    if (Value_Kind(value) == kValueString) {
        const char* text = Value_String(value);
        return text != nullptr ? text : "";
    }
    std::string text;
    Value_ToString(text, value);
    return text;
}

std::string Debug_EvaluateText(const char* text, const char* unitName, CInstance* self)
{
    Value result{};
    if (!Debug_Evaluate(text, unitName, self, &result)) {
        return kDebugUnableToEvaluate;
    }
    std::string shown = Debug_FormatValue(result);
    Value_Free(result);
    return shown;
}

}  // namespace bw
