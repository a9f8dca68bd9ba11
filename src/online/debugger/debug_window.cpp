#include "online/debugger/debug_window.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "graphics/overlay.h"
#include "graphics/transforms.h"
#include "graphics/vertex_batch.h"
#include "host/imgui_window.h"
#include "online/debugger/debug_eval.h"
#include "online/debugger/debug_window_placement.h"
#include "online/debugger/debugger_link.h"
#include "online/dialogs/input_dialogs.h"
#include "platform/console.h"
#include "platform/ini.h"
#include "platform/memory.h"
#include "resources/sprite.h"
#include "world/game_state.h"
#include "world/input.h"
#include "world/instance.h"
#include "world/instance_ops.h"
#include "world/instance_table.h"
#include "world/object.h"
#include "world/room.h"
#include "world/run_loop.h"
#include "world/run_requests.h"
#include "world/variable_access.h"
#include "world/variable_list.h"

namespace bw {

namespace {

constexpr char kFormSection[] = "DebugForm";
// Console lines kept on the messages page.
constexpr size_t kMaxMessages = 2000;
constexpr const char* kPageNames[kDebugPageCount] = {"GlobalsWindow", "InstancesWindow", "MessagesWindow",
                                                      "LocalsWindow3", "LocalsWindow4", "LocalsWindow5",
                                                      "LocalsWindow6", "LocalsWindow7", "LocalsWindow8"};
constexpr const char* kPageTitles[kDebugFirstLocalsPage] = {"Globals", "Instances", "Messages"};
// The built-in globals the globals page lists first.
constexpr const char* kBuiltinGlobals[] = {
    "mouse_x", "mouse_y", "mouse_button", "mouse_button", "mouse_lastbutton", "keyboard_key",
    "keyboard_lastkey", "keyboard_lastchar", "keyboard_string", "score", "lives", "health", "room",
    "room_width", "room_height", "room_speed", "room_persistent", "cursor_sprite", "working_directory",
    "temp_directory", "program_directory", "secure_mode", "error_occurred", "error_last"};

std::unique_ptr<DebugForm> g_form;

std::string Format(const char* format, int32_t value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The overlay draws the frame-rate line and others switch it too (the
// "Debug" key of options.ini, the overlay's own panel): the box and the
// saved state are read from it, never kept beside it.
bool FrameRateShown()
{
    return (Overlay_GetFlags() & kOverlayFPS) != 0;
}

void ShowFrameRate(bool shown)
{
    const uint32_t flags = Overlay_GetFlags();
    Overlay_SetFlags(shown ? flags | kOverlayFPS : flags & ~kOverlayFPS);
}

bool IsLocalsPage(int32_t page)
{
    return page >= kDebugFirstLocalsPage && page < kDebugPageCount;
}

bool Shown(const CInstance* instance)
{
    return instance != nullptr && instance->i_marked == 0 && instance->i_deactivated == 0;
}

// One row per variable, in the order the error report lists them: its name
// and its value as the watches show values.
std::vector<std::vector<std::string>> VariableRows(const CInstance* instance)
{
    std::vector<VariableView> variables;
    (instance != nullptr ? *instance->i_vars : Variable_GlobalList()).View(&variables);
    std::vector<std::vector<std::string>> rows;
    rows.reserve(variables.size());
    for (const VariableView& variable : variables) {
        rows.push_back({Variable_GetName(variable.id), Debug_FormatValue(*variable.value)});
    }
    return rows;
}

// An instance id, or the first shown instance of the object so named.
int32_t InstanceNamed(const std::string& answer)
{
    char* end = nullptr;
    const long id = std::strtol(answer.c_str(), &end, 10);
    if (end != answer.c_str() && *end == '\0') {
        return static_cast<int32_t>(id);
    }
    const int32_t object = Object_FindByName(answer.c_str());
    int32_t found = -1;
    if (object >= 0) {
        Instance_ForEachOfObject(object, [&found](CInstance* instance) {
            if (Shown(instance)) {
                found = instance->i_id;
                return false;
            }
            return true;
        });
    }
    return found;
}

}  // namespace

DebugForm::DebugForm(bool withWindow)
{
    for (int32_t i = 0; i < kDebugPageCount; ++i) {
        DebugFormPage page;
        page.name = kPageNames[i];
        page.switchable = !IsLocalsPage(i);
        page.title = IsLocalsPage(i) ? "Instance Var: Unknown (-1)" : kPageTitles[i];
        page.columns = i == kDebugInstancesPage ? 3 : i == kDebugMessagesPage ? 1 : 2;
        m_view.pages.push_back(std::move(page));
    }
    m_instanceIds.fill(-1);
    m_view.fpsVisible = FrameRateShown();
    if (withWindow) {
        OpenWindow();
    }
}

void DebugForm::OpenWindow()
{
    DebugScreenRect place{0, 0, kDebugFormWidth, kDebugFormHeight};
    const bool placed = DebugForm_OpeningPlace(&place);
    m_window = std::make_unique<HostDebugForm>(place.width, place.height);
    if (!m_window->IsOpen()) {
        m_window.reset();
    } else if (placed) {
        m_window->Window().MoveTo(place.x, place.y);
    }
}

DebugForm::~DebugForm() = default;

bool DebugForm::HasWindow() const
{
    return m_window != nullptr;
}

void DebugForm::AddWatch(const std::string& expression)
{
    if (!expression.empty()) {
        m_view.watches.push_back({expression, ""});
    }
}

void DebugForm::ChangeWatch(int32_t index, const std::string& expression)
{
    if (index >= 0 && static_cast<size_t>(index) < m_view.watches.size() && !expression.empty()) {
        m_view.watches[static_cast<size_t>(index)] = {expression, ""};
    }
}

void DebugForm::DeleteWatch(int32_t index)
{
    if (index >= 0 && static_cast<size_t>(index) < m_view.watches.size()) {
        m_view.watches.erase(m_view.watches.begin() + index);
        m_view.selectedWatch = std::min(m_view.selectedWatch, static_cast<int32_t>(m_view.watches.size()) - 1);
    }
}

void DebugForm::ClearWatches()
{
    m_view.watches.clear();
    m_view.selectedWatch = -1;
}

void DebugForm::EvaluateWatches()
{
    for (DebugWatchRow& watch : m_view.watches) {
        watch.value = Debug_EvaluateText(watch.expression.c_str(), "watch", nullptr);
    }
}

int32_t DebugForm::ShowLocals(int32_t instanceId)
{
    int32_t chosen = kDebugPageCount - 1;
    const auto showing = std::find(m_instanceIds.begin() + kDebugFirstLocalsPage, m_instanceIds.end(), instanceId);
    if (showing != m_instanceIds.end() && m_view.pages[static_cast<size_t>(showing - m_instanceIds.begin())].visible) {
        chosen = static_cast<int32_t>(showing - m_instanceIds.begin());
    } else {
        for (int32_t i = kDebugFirstLocalsPage; i < kDebugPageCount; ++i) {
            if (!m_view.pages[static_cast<size_t>(i)].visible) {
                chosen = i;
                break;
            }
        }
    }
    m_instanceIds[static_cast<size_t>(chosen)] = instanceId;
    m_view.pages[static_cast<size_t>(chosen)].visible = true;
    return chosen;
}

void DebugForm::ConsoleOutput(const char* line)
{
    DebugFormPage& messages = m_view.pages[kDebugMessagesPage];
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    messages.rows.push_back({text});
    if (messages.rows.size() > kMaxMessages) {
        messages.rows.erase(messages.rows.begin());
    }
    messages.selectedRow = static_cast<int32_t>(messages.rows.size()) - 1;
}

namespace {

// The first shown instance, in the room's order, whose shape holds the
// mouse; -1 when none does.
int32_t InstanceUnderMouse()
{
    const auto x = static_cast<float>(IO_MouseX(0));
    const auto y = static_cast<float>(IO_MouseY(0));
    int32_t found = -1;
    Instance_ForEachCandidate(kSelectorAll, [&](CInstance* instance) {
        if (Shown(instance) && instance->CollisionPoint(x, y, true)) {
            found = instance->i_id;
            return false;
        }
        return true;
    });
    return found;
}

}  // namespace

void DebugForm::RefreshLabels()
{
    const CRoom* room = Room_Current();
    int32_t instances = 0;
    Instance_ForEachCandidate(kSelectorAll, [&instances](CInstance* instance) {
        instances += Shown(instance) ? 1 : 0;
        return true;
    });
    m_view.labels = {Format("Room Speed: %d", room != nullptr ? room->speed : 0),
                     Format("FPS: %d", Display_State().fps), Format("Num Tex Swaps: %d", GR_LastFrameTextureSwaps()),
                     Format("Num Vertex Batches: %d", GR_VB_LastFrameDrawCalls()), Format("inst: %d", instances),
                     Format("mouse id: %d", InstanceUnderMouse())};
}

void DebugForm::RefreshPages()
{
    DebugFormPage& globals = m_view.pages[kDebugGlobalsPage];
    if (globals.visible) {
        globals.rows.clear();
        for (const char* name : kBuiltinGlobals) {
            globals.rows.push_back({name, Debug_EvaluateText(name, "watch", nullptr)});
        }
        for (std::vector<std::string>& row : VariableRows(nullptr)) {
            globals.rows.push_back(std::move(row));
        }
    }
    DebugFormPage& list = m_view.pages[kDebugInstancesPage];
    if (list.visible) {
        list.rows.clear();
        Instance_ForEachCandidate(kSelectorAll, [&list](CInstance* instance) {
            if (Shown(instance)) {
                const char* object = Object_Name(instance->i_objindex);
                const char* sprite = Sprite_GetName(instance->i_spriteindex);
                list.rows.push_back({Format("%d", instance->i_id), object != nullptr ? object : "",
                                     sprite != nullptr ? sprite : ""});
            }
            return true;
        });
    }
    for (int32_t i = kDebugFirstLocalsPage; i < kDebugPageCount; ++i) {
        DebugFormPage& page = m_view.pages[static_cast<size_t>(i)];
        if (!page.visible) {
            continue;
        }
        const CInstance* instance = Instance_Find(m_instanceIds[static_cast<size_t>(i)]);
        instance = Shown(instance) ? instance : nullptr;
        const char* object = instance != nullptr ? Object_Name(instance->i_objindex) : "Unknown";
        page.title = std::string("Instance Var: ") + object + " (" +
                     std::to_string(instance != nullptr ? instance->i_id : -1) + ")";
        page.rows = instance != nullptr ? VariableRows(instance) : std::vector<std::vector<std::string>>{};
    }
}

void DebugForm::Update()
{
    if (m_updating) {
        return;
    }
    m_updating = true;
    if (!m_loaded) {
        m_loaded = true;
        IniFile ini(kDebugIniName, false);
        LoadState(ini);
    }
    RefreshLabels();
    EvaluateWatches();
    RefreshPages();
    m_updating = false;
    Frame();
}

void DebugForm::Serve()
{
    Frame();
}

void DebugForm::Hide()
{
    m_window.reset();
}

void DebugForm::Frame()
{
    if (m_window == nullptr) {
        return;
    }
    if (m_window->Window().CloseRequested()) {
        IniFile ini(kDebugIniName, false);
        SaveState(ini);
        m_window.reset();
        return;
    }
    m_view.fpsVisible = FrameRateShown();
    const DebugFormCommand command = m_window->Frame(m_view);
    if (m_view.fpsVisible != FrameRateShown()) {
        ShowFrameRate(m_view.fpsVisible);
    }
    if (m_view.activatedPage == kDebugInstancesPage) {
        const DebugFormPage& list = m_view.pages[kDebugInstancesPage];
        if (list.selectedRow >= 0 && static_cast<size_t>(list.selectedRow) < list.rows.size()) {
            ShowLocals(std::atoi(list.rows[static_cast<size_t>(list.selectedRow)][0].c_str()));
        }
    }
    Perform(command);
}

void DebugForm::Perform(DebugFormCommand command)
{
    std::string answer;
    const int32_t selected = m_view.selectedWatch;
    switch (command) {
    case DebugFormCommand::None:
        break;
    case DebugFormCommand::Run:
        if (Run_IsPaused()) {
            GameRunningFlag == 1 ? Run_Start() : Run_Stop();
        }
        break;
    case DebugFormCommand::Pause:
        if (GameRunningFlag == 1 && !Run_IsPaused()) {
            Run_DebugPause();
        }
        break;
    case DebugFormCommand::Step:
        if (GameRunningFlag == 1 && Run_IsPaused() && !Debug_StepHeldRun()) {
            Run_DebugStep();
        }
        break;
    case DebugFormCommand::Restart:
        m_window.reset();
        Game_Restart();
        if (Run_IsPaused()) {
            Run_DebugStep();
        }
        break;
    case DebugFormCommand::Stop:
        Run_Stop();
        break;
    case DebugFormCommand::AddWatch:
        if (InputQuery_Modal("Provide an expression", "Please type in the expression", "", &answer)) {
            AddWatch(answer);
        }
        break;
    case DebugFormCommand::ChangeWatch:
        if (selected >= 0 && static_cast<size_t>(selected) < m_view.watches.size() &&
            InputQuery_Modal("Provide an expression.", "Please type in the expression",
                             m_view.watches[static_cast<size_t>(selected)].expression.c_str(), &answer)) {
            ChangeWatch(selected, answer);
        }
        break;
    case DebugFormCommand::DeleteWatch:
        DeleteWatch(selected);
        break;
    case DebugFormCommand::ClearWatches:
        ClearWatches();
        break;
    case DebugFormCommand::ShowLocals:
        if (InputQuery_Modal("Showing Local Variables.", "Please provide the instance id or object name.", "",
                             &answer)) {
            ShowLocals(InstanceNamed(answer));
        }
        break;
    }
}

void DebugForm::SaveState(IniFile& ini)
{
    ini.WriteString(kFormSection, "FPSVisible", FrameRateShown() ? "true" : "false");
    int32_t count = 0;
    for (const DebugWatchRow& watch : m_view.watches) {
        ini.WriteString(kFormSection, Format("Watch%d", count++).c_str(), watch.expression.c_str());
    }
    ini.WriteString(kFormSection, "NumWatches", Format("%d", count).c_str());
    for (int32_t i = 0; i < kDebugPageCount; ++i) {
        const DebugFormPage& page = m_view.pages[static_cast<size_t>(i)];
        const char* section = page.name.c_str();
        ini.WriteString(section, "Visible", page.visible ? "true" : "false");
        if (!page.visible) {
            continue;
        }
        ini.WriteString(section, "left", Format("%d", page.placement.left).c_str());
        ini.WriteString(section, "top", Format("%d", page.placement.top).c_str());
        ini.WriteString(section, "right", Format("%d", page.placement.right).c_str());
        ini.WriteString(section, "bottom", Format("%d", page.placement.bottom).c_str());
        ini.WriteString(section, "InstanceID", Format("%d", m_instanceIds[static_cast<size_t>(i)]).c_str());
    }
    MemoryManager_Free(ini.Flush());
}

void DebugForm::LoadState(IniFile& ini)
{
    if (std::string_view(ini.ReadString(kFormSection, "FPSVisible", "")) == "false") {
        ShowFrameRate(false);
    }
    m_view.fpsVisible = FrameRateShown();
    for (int32_t i = 0; i < kDebugPageCount; ++i) {
        DebugFormPage& page = m_view.pages[static_cast<size_t>(i)];
        const char* section = page.name.c_str();
        page.visible = std::string_view(ini.ReadString(section, "Visible", "false")) == "true";
        page.placement = {ini.ReadInteger(section, "left", 0), ini.ReadInteger(section, "top", 0),
                          ini.ReadInteger(section, "right", 0), ini.ReadInteger(section, "bottom", 0)};
        m_instanceIds[static_cast<size_t>(i)] = ini.ReadInteger(section, "InstanceID", -1);
    }
    const int32_t count = ini.ReadInteger(kFormSection, "NumWatches", 0);
    for (int32_t i = 0; i < count; ++i) {
        AddWatch(ini.ReadString(kFormSection, Format("Watch%d", i).c_str(), ""));
    }
}

void DebugForm_Create()
{
    g_form = std::make_unique<DebugForm>(true);
    Console_SetDebugListener([](const char* line) {
        if (g_form != nullptr) {
            g_form->ConsoleOutput(line);
        }
    });
}

void DebugForm_Update()
{
    if (g_form != nullptr) {
        g_form->Update();
    }
}

void DebugForm_Serve()
{
    if (g_form != nullptr) {
        g_form->Serve();
    }
}

void DebugForm_Close()
{
    if (g_form == nullptr) {
        return;
    }
    IniFile ini(kDebugIniName, false);
    g_form->SaveState(ini);
    Console_SetDebugListener(nullptr);
    g_form.reset();
}

void DebugForm_Hide()
{
    if (g_form != nullptr) {
        g_form->Hide();
    }
}

}  // namespace bw
