#include "online/debugger/debug_eval.h"

#include <cmath>
#include <cstdio>

#include "script/code_unit.h"
#include "script/error_report.h"
#include "world/instance.h"

namespace bw {

namespace {

constexpr double kNearInteger = 1e-12;

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
    // (0, 0), in no room; it leaves no trace in the object it names.
    CInstance scratch(0.0f, 0.0f, 0, 0, false);
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
    char text[64];
    if (NearInteger(real) && std::fabs(real) < 9.2e18) {
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(std::llround(real)));
        return text;
    }
    static constexpr struct {
        double scale;
        const char* format;
    } kPlaces[] = {{1e2, "%.2f"}, {1e4, "%.4f"}, {1e6, "%.6f"}, {1e8, "%.8f"}};
    for (const auto& places : kPlaces) {
        if (NearInteger(real * places.scale)) {
            std::snprintf(text, sizeof text, places.format, real);
            return text;
        }
    }
    std::snprintf(text, sizeof text, "%10.10f", real);
    return text;
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
