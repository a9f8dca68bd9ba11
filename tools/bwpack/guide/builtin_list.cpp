#include "bwpack/guide/builtin_list.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <stdexcept>

#include "app/registration.h"
#include "bwpack/guide/guide_text.h"
#include "online/http/vask_builtins.h"
#include "script/constants.h"
#include "script/function_table.h"
#include "world/builtin_variables.h"

namespace bw::pack {
namespace {

std::string ArgumentCount(int32_t argc)
{
    return argc == kBuiltinArgCountAny ? "any" : std::to_string(argc);
}

// A name registered twice is reachable only as its first entry, so later
// entries are left out.
std::string FunctionTable(int32_t first, int32_t end, std::set<std::string>* listed)
{
    std::string rows;
    for (int32_t id = first; id < end; ++id) {
        const char* name = nullptr;
        BuiltinFunctionProc proc = nullptr;
        int32_t argc = 0;
        if (!Code_Function_GetInfo(id, &name, &proc, &argc) || !listed->insert(name).second) continue;
        rows += "| `" + std::string(name) + "` | " + ArgumentCount(argc) + " |\n";
    }
    return rows.empty() ? "" : "| function | arguments |\n|---|---|\n" + rows + "\n";
}

std::string VariableTable(int32_t first, int32_t end)
{
    std::string text = "| variable | assignable |\n|---|---|\n";
    for (int32_t id = first; id < end; ++id) {
        const BuiltinVariable* variable = Variable_BuiltIn_Get(id);
        text += "| `" + variable->name + "` | " + (variable->canSet ? "yes" : "no") + " |\n";
    }
    return text + "\n";
}

std::string Functions()
{
    if (Code_Function_Count() != 0) throw std::logic_error("the built-in function table is not empty");
    std::string text;
    std::set<std::string> listed;
    for (const RegistrationGroup& group : Registration_Groups()) {
        const int32_t first = Code_Function_Count();
        group.registrar();
        const std::string table = FunctionTable(first, Code_Function_Count(), &listed);
        if (!table.empty()) text += "### " + std::string(group.topic) + "\n\n" + table;
    }
    Code_Function_Free();
    return text;
}

std::string Variables()
{
    Variable_BuiltIn_Free();
    Variable_BuiltIn_RegisterInstance();
    const int32_t instanceEnd = Variable_BuiltIn_Count();
    Variable_BuiltIn_RegisterGlobal();
    const int32_t globalEnd = Variable_BuiltIn_Count();
    Vask_Variables_Register();
    const std::string text = "### Variables of every instance\n\n" + VariableTable(0, instanceEnd) +
                             "### Variables of the game\n\n" + VariableTable(instanceEnd, globalEnd) +
                             "### Variables of the platform\n\n" + VariableTable(globalEnd, Variable_BuiltIn_Count());
    Variable_BuiltIn_Free();
    return text;
}

// The guide's prose is wrapped at this width; the constant bullets follow it.
constexpr size_t kLineWidth = 80;
constexpr const char* kColourPrefix = "c_";
constexpr double kLargestColour = 0xFFFFFF;

std::string NamePrefix(const std::string& name)
{
    const size_t underscore = name.find('_');
    return underscore == std::string::npos ? "" : name.substr(0, underscore + 1);
}

// The shortest text that reads back as the same double: pi shows the
// single-precision value the runner holds, not a rounded one.
std::string NumberText(double number)
{
    char digits[32];
    const std::to_chars_result written = std::to_chars(digits, digits + sizeof digits, number);
    return std::string(digits, written.ptr);
}

// Code writes colours as $BBGGRR, so the list shows them that way too.
std::string ColourText(double number)
{
    std::string text = NumberText(number);
    if (number >= 0 && number <= kLargestColour && number == std::floor(number)) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%06X", static_cast<unsigned>(number));
        text += " ($" + std::string(hex) + ")";
    }
    return text;
}

// A text in the quote mark code would use for it: either quote mark, the
// other one being plain text inside.
std::string QuotedText(const char* text)
{
    const std::string plain = text != nullptr ? text : "";
    const char quote = plain.find('"') == std::string::npos ? '"' : '\'';
    return quote + plain + quote;
}

std::string ConstantEntry(const GuideConstant& constant, bool isColour)
{
    const Value& value = *constant.value;
    const std::string shown = Value_Kind(value) == kValueString ? QuotedText(Value_String(value))
                              : isColour                        ? ColourText(value.real)
                                                                : NumberText(value.real);
    return "`" + std::string(constant.name) + "` " + shown;
}

// One list item, wrapped between entries; continuation lines are indented
// so that Markdown keeps them in the item.
std::string Bullet(const std::string& label, const std::vector<std::string>& entries)
{
    std::string text = "- " + label + ":";
    size_t lineLength = text.size();
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string piece = entries[i] + (i + 1 < entries.size() ? "," : "");
        if (lineLength + 1 + piece.size() > kLineWidth) {
            text += "\n ";
            lineLength = 1;
        }
        text += " " + piece;
        lineLength += 1 + piece.size();
    }
    return text + "\n";
}

// Only what the runner registers at start-up: a game's own constants are
// the game's.
std::string Constants()
{
    Code_Constant_Free();
    Code_Constant_Init();
    std::vector<GuideConstant> constants;
    const char* name = nullptr;
    const Value* value = nullptr;
    for (int32_t index = 0; Code_Constant_Get(index, &name, &value); ++index) constants.push_back({name, value});
    return "### Constants\n\n" + Guide_ConstantList(constants);
}

}  // namespace

std::string Guide_ConstantList(const std::vector<GuideConstant>& constants)
{
    std::map<std::string, std::vector<std::string>> byPrefix;
    for (const GuideConstant& constant : constants) {
        const std::string prefix = NamePrefix(constant.name);
        byPrefix[prefix].push_back(ConstantEntry(constant, prefix == kColourPrefix));
    }
    std::string text;
    for (const auto& [prefix, entries] : byPrefix) {
        text += Bullet(prefix.empty() ? "without a prefix" : "`" + prefix + "`", entries);
    }
    return text + "\n";
}

std::string Guide_BuiltinList()
{
    return "\n" + Functions() + Variables() + Constants();
}

GuideListState Guide_CheckBuiltinList(const std::string& markdown)
{
    const std::optional<std::string> section = Guide_ListSection(markdown);
    if (!section) return GuideListState::MissingMarkers;
    return *section == Guide_BuiltinList() ? GuideListState::Current : GuideListState::Stale;
}

}  // namespace bw::pack
