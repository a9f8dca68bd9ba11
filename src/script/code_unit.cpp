#include "script/code_unit.h"

#include <cstdint>
#include <map>
#include <vector>

#include "script/error_report.h"
#include "script/fold.h"
#include "script/lexer.h"
#include "script/names.h"
#include "script/parser.h"
#include "script/resource_seams.h"
#include "script/tree_interpreter.h"
#include "script/vm.h"
#include "script/vm_debug.h"
#include "script/world_access.h"

namespace bw {

namespace {

// Code that runs code (scripts calling scripts, execute_string) nests native
// frames; a runaway recursion in game code ends as an error, not as a crash
// of the program. The measure is the native stack the runs have taken, so
// that deep bodies and deep recursion are judged alike; what one unit adds
// on top is bounded by the parser's nesting limit.
constexpr uintptr_t kMaxRunStackBytes = uintptr_t{3} << 20;
int32_t g_nestedRuns = 0;
bool g_useBytecode = true;
uintptr_t g_outermostFrame = 0;

bool RunStackExhausted()
{
    const auto frame = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    if (g_nestedRuns == 0) {
        g_outermostFrame = frame;
    }
    return g_outermostFrame > frame && g_outermostFrame - frame > kMaxRunStackBytes;
}

bool IsNameBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::vector<std::unique_ptr<CCode>>& CodeList()
{
    static std::vector<std::unique_ptr<CCode>> list;
    return list;
}

// The live text units by identity. Units owned by static tables die at exit,
// after this would have been destroyed: it is never destroyed.
std::map<uint32_t, CCode*>& TextUnits()
{
    static auto& units = *new std::map<uint32_t, CCode*>;
    return units;
}

uint32_t g_nextTextIdentity = kCodeTextIdentityFirst;

void GiveTextIdentity(CCode& code)
{
    std::map<uint32_t, CCode*>& units = TextUnits();
    // Fewer units live than there are identities, so a free one is found.
    do {
        code.textIdentity = g_nextTextIdentity;
        g_nextTextIdentity =
            g_nextTextIdentity == kCodeNoIdentity - 1 ? kCodeTextIdentityFirst : g_nextTextIdentity + 1;
    } while (units.contains(code.textIdentity));
    units[code.textIdentity] = &code;
}

void ReleaseTextIdentity(CCode& code)
{
    if (code.textIdentity != kCodeNoIdentity) {
        TextUnits().erase(code.textIdentity);
        code.textIdentity = kCodeNoIdentity;
    }
}

bool RunsOnMachine(const CCode& code)
{
    return code.bytecode != nullptr && (g_useBytecode || code.root.kind == kNodeUnset);
}

// Compiles the tree into verified bytecode; a unit whose bytecode fails to
// verify is an error of its compile, never run.
bool GenerateBytecode(CCode& code)
{
    VMGeneratedCode generated;
    std::string error;
    int32_t position = 0;
    const bool made = code.IsProgram() ? VM_Compile_Program(code.root, &generated, &error, &position)
                                       : VM_Compile_Expression(code.root, &generated, &error, &position);
    auto program = std::make_unique<VMProgram>();
    if (made) {
        std::vector<const char*> texts;
        texts.reserve(generated.strings.size());
        for (const std::string& text : generated.strings) {
            texts.push_back(text.c_str());
        }
        const VMStringTable strings{texts.data(), texts.size()};
        if (VM_VerifyUnit(reinterpret_cast<const uint8_t*>(generated.words.data()), generated.words.size() * 4,
                          strings, &program->unit, &error)) {
            program->lines = std::move(generated.lines);
            code.bytecode = std::move(program);
            return true;
        }
    }
    // A unit that does not verify has no one place to blame.
    Code_Report_Error(code.text.c_str(), code.IsProgram(), made ? 0 : position, error.c_str());
    return false;
}

bool RunUnit(CInstance* self, CInstance* other, CCode& code, Value* result)
{
    Code_Error_ClearPending();
    if (!code.compiled) {
        Code_Report_Error(code.text.c_str(), code.IsProgram(), 0, "Internal Error: Executing non-compiled code->");
        return false;
    }
    if (code.kind == kCodeConstantExpression) {
        Value_Copy(*result, code.constant);
        return true;
    }
    if (self == nullptr || other == nullptr) {
        Code_Report_Error(code.text.c_str(), code.IsProgram(), 0, "Internal Error: Executing code for nil instance.");
        return false;
    }
    if (RunStackExhausted()) {
        Code_Report_Error(code.text.c_str(), code.IsProgram(), 0, "Stack overflow...");
        return false;
    }
    ++g_nestedRuns;
    Value_SetReal(*result, 0.0);
    if (RunsOnMachine(code)) {
        const bool ran = VM_Exec(*code.bytecode, code, self, other, result);
        --g_nestedRuns;
        return ran;
    }
    CodeExecContext context{self, other, nullptr, &code};
    const int32_t status = code.kind == kCodeProgram ? Code_Run_Program(context, code.root, result)
                                                      : Code_Eval_Expression(context, code.root, result);
    if (context.locals != nullptr) {
        Code_WorldAccess().deleteLocals(context.locals);
    }
    --g_nestedRuns;
    return status != kExecError;
}

// Runs the unit; a failed run on the machine leaves its pending error fatal.
bool Code_Execute_Inner(CInstance* self, CInstance* other, CCode& code, Value* result)
{
    if (RunUnit(self, other, code, result)) {
        return true;
    }
    if (RunsOnMachine(code)) {
        Code_Error_MarkPendingFatal();
    }
    return false;
}

}  // namespace

CCode::CCode(const char* text, bool expression)
    : kind(expression ? kCodeExpression : kCodeProgram), text(text != nullptr ? text : "")
{
}

CCode::CCode(const char* unitName, std::unique_ptr<VMProgram> program, int32_t entryIndex)
    : kind(kCodeProgram), compiled(true), name(unitName != nullptr ? unitName : ""), codeIndex(entryIndex),
      fromText(false), bytecode(std::move(program))
{
}

CCode::~CCode()
{
    ReleaseTextIdentity(*this);
    if (bytecode != nullptr) {
        VM_Breakpoints_ForgetUnit(bytecode->unit);
    }
    Code_Tree_Free(root);
    Value_Free(constant);
}

bool CCode::Compile(const char* unitName)
{
    if (unitName == nullptr) {
        name.clear();
    } else {
        name = unitName;
        for (char& c : name) {
            if (IsNameBlank(c)) {
                c = '_';
            }
        }
    }
    if (compiled) {
        Code_Report_Error(text.c_str(), IsProgram(), 0, "Internal Error: Recompiling compiled code.");
        return false;
    }
    CodeTokens tokens;
    ResolvedTokens resolved;
    const bool parsed = Code_Phase1(*this, tokens) && Code_Phase2(*this, tokens, resolved) &&
                        (kind == kCodeProgram ? Code_Phase3_Program(*this, resolved, root)
                                              : Code_Phase3_Expression(*this, resolved, root)) &&
                        Code_Phase4(*this, root);
    if (!parsed) {
        Code_Tree_Free(root);
        return false;
    }
    if (kind == kCodeExpression && root.kind == kNodeConstant) {
        kind = kCodeConstantExpression;
        Value_Copy(constant, root.value);
    } else if (g_useBytecode) {
        if (!GenerateBytecode(*this)) {
            Code_Tree_Free(root);
            return false;
        }
        GiveTextIdentity(*this);
    }
    compiled = true;
    return true;
}

void Code_List_Set(int32_t entryIndex, std::unique_ptr<CCode> unit)
{
    if (entryIndex < 0) {
        return;
    }
    if (unit != nullptr) {
        ReleaseTextIdentity(*unit);
        unit->codeIndex = entryIndex;
    }
    std::vector<std::unique_ptr<CCode>>& list = CodeList();
    const auto slot = static_cast<size_t>(entryIndex);
    if (slot >= list.size()) {
        list.resize(slot + 1);
    }
    list[slot] = std::move(unit);
}

CCode* Code_List_Find(int32_t entryIndex)
{
    const std::vector<std::unique_ptr<CCode>>& list = CodeList();
    const auto slot = static_cast<size_t>(entryIndex);
    return entryIndex >= 0 && slot < list.size() ? list[slot].get() : nullptr;
}

int32_t Code_List_Count()
{
    return static_cast<int32_t>(CodeList().size());
}

void Code_List_Free()
{
    CodeList().clear();
}

uint32_t Code_Identity(const CCode& code)
{
    return code.codeIndex >= 0 ? static_cast<uint32_t>(code.codeIndex) : code.textIdentity;
}

CCode* Code_FindByIdentity(uint32_t identity)
{
    if (identity < kCodeTextIdentityFirst) {
        return Code_List_Find(static_cast<int32_t>(identity));
    }
    const auto found = TextUnits().find(identity);
    return found != TextUnits().end() ? found->second : nullptr;
}

std::vector<const CCode*> Code_TextUnits()
{
    std::vector<const CCode*> units;
    units.reserve(TextUnits().size());
    for (const auto& [identity, code] : TextUnits()) {
        units.push_back(code);
    }
    return units;
}

void Code_SetUseBytecode(bool useBytecode)
{
    g_useBytecode = useBytecode;
    // Which engine runs a script decides whether the machine may run it on
    // its own stack, which each call op keeps.
    Script_CodeChanged();
}

bool Code_UseBytecode()
{
    return g_useBytecode;
}

bool Code_Execute(CInstance* self, CInstance* other, CCode& code, Value* result)
{
    if (Code_Execute_Inner(self, other, code, result)) {
        return true;
    }
    if (Code_Error_HasPending()) {
        Code_Error_ReportPending();
    }
    return false;
}

bool Code_Execute_Value(CInstance* self, CInstance* other, CCode& code, Value* result)
{
    if (Code_Execute_Inner(self, other, code, result)) {
        return true;
    }
    Value_SetString(*result, "ERROR");
    return false;
}

}  // namespace bw
