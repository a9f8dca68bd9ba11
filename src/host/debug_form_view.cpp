#include "host/debug_form_view.h"

#include <imgui.h>

#include <array>
#include <utility>

#include "host/imgui_window.h"

namespace bw {

namespace {

constexpr float kWatchListHeight = 150.0f;
constexpr float kPageWidth = 300.0f;
constexpr float kPageHeight = 220.0f;
// A page shown without a placement opens below the main panel, each one
// further right and down than the pages already shown.
constexpr float kPageStartY = 300.0f;
constexpr float kPageStepX = 8.0f;
constexpr float kPageStepY = 32.0f;

constexpr std::array<std::pair<const char*, DebugFormCommand>, 10> kToolbar = {{
    {"Run", DebugFormCommand::Run},
    {"Pause", DebugFormCommand::Pause},
    {"Step", DebugFormCommand::Step},
    {"Restart", DebugFormCommand::Restart},
    {"Stop", DebugFormCommand::Stop},
    {"Add Watch", DebugFormCommand::AddWatch},
    {"Change Watch", DebugFormCommand::ChangeWatch},
    {"Delete Watch", DebugFormCommand::DeleteWatch},
    {"Clear Watches", DebugFormCommand::ClearWatches},
    {"Show Locals", DebugFormCommand::ShowLocals},
}};

DebugFormCommand DrawToolbar()
{
    DebugFormCommand command = DebugFormCommand::None;
    for (size_t i = 0; i < kToolbar.size(); ++i) {
        if (i > 0) {
            ImGui::SameLine();
        }
        if (ImGui::Button(kToolbar[i].first)) {
            command = kToolbar[i].second;
        }
    }
    return command;
}

DebugFormCommand DrawWatches(DebugFormView& view)
{
    DebugFormCommand command = DebugFormCommand::None;
    if (!ImGui::BeginTable("watches", 2, ImGuiTableFlags_Borders | ImGuiTableFlags_ScrollY,
                           ImVec2(0.0f, kWatchListHeight))) {
        return command;
    }
    ImGui::TableSetupColumn("Expressions");
    ImGui::TableSetupColumn("Values");
    ImGui::TableHeadersRow();
    for (size_t i = 0; i < view.watches.size(); ++i) {
        ImGui::TableNextRow();
        ImGui::TableNextColumn();
        ImGui::PushID(static_cast<int>(i));
        const bool selected = view.selectedWatch == static_cast<int32_t>(i);
        if (ImGui::Selectable(view.watches[i].expression.c_str(), selected, ImGuiSelectableFlags_SpanAllColumns)) {
            view.selectedWatch = static_cast<int32_t>(i);
        }
        ImGui::PopID();
        ImGui::TableNextColumn();
        ImGui::TextUnformatted(view.watches[i].value.c_str());
    }
    if (ImGui::IsWindowFocused() && ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Delete), false)) {
        command = DebugFormCommand::DeleteWatch;
    }
    ImGui::EndTable();
    return command;
}

// Ctrl+C copies the selected row's text.
void CopySelectedRow(const DebugFormPage& page)
{
    const ImGuiIO& io = ImGui::GetIO();
    if (page.selectedRow < 0 || !io.KeyCtrl || !ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_C), false)) {
        return;
    }
    std::string text;
    for (const std::string& cell : page.rows[static_cast<size_t>(page.selectedRow)]) {
        text += text.empty() ? cell : "\t" + cell;
    }
    ImGui::SetClipboardText(text.c_str());
}

void DrawPage(DebugFormPage& page, int32_t index, int32_t shownBefore, int32_t* activatedPage)
{
    if (page.placement.IsSet()) {
        ImGui::SetNextWindowPos(ImVec2(static_cast<float>(page.placement.left), static_cast<float>(page.placement.top)),
                                ImGuiCond_Appearing);
        ImGui::SetNextWindowSize(ImVec2(static_cast<float>(page.placement.right - page.placement.left),
                                        static_cast<float>(page.placement.bottom - page.placement.top)),
                                 ImGuiCond_Appearing);
    } else {
        ImGui::SetNextWindowPos(ImVec2(kPageStepX * static_cast<float>(shownBefore),
                                       kPageStartY + kPageStepY * static_cast<float>(shownBefore)),
                                ImGuiCond_Appearing);
        ImGui::SetNextWindowSize(ImVec2(kPageWidth, kPageHeight), ImGuiCond_Appearing);
    }
    const std::string title = page.title + "###" + page.name;
    if (ImGui::Begin(title.c_str(), &page.visible, ImGuiWindowFlags_NoSavedSettings) &&
        ImGui::BeginTable("rows", page.columns, ImGuiTableFlags_Borders | ImGuiTableFlags_Resizable)) {
        for (size_t row = 0; row < page.rows.size(); ++row) {
            ImGui::TableNextRow();
            ImGui::PushID(static_cast<int>(row));
            for (int32_t column = 0; column < page.columns; ++column) {
                ImGui::TableNextColumn();
                const std::vector<std::string>& cells = page.rows[row];
                const char* text = static_cast<size_t>(column) < cells.size() ? cells[static_cast<size_t>(column)].c_str() : "";
                if (column > 0) {
                    ImGui::TextUnformatted(text);
                } else if (ImGui::Selectable(text, page.selectedRow == static_cast<int32_t>(row),
                                             ImGuiSelectableFlags_SpanAllColumns |
                                                 ImGuiSelectableFlags_AllowDoubleClick)) {
                    page.selectedRow = static_cast<int32_t>(row);
                    if (ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left)) {
                        *activatedPage = index;
                    }
                }
            }
            ImGui::PopID();
        }
        ImGui::EndTable();
        CopySelectedRow(page);
    }
    const ImVec2 at = ImGui::GetWindowPos();
    const ImVec2 size = ImGui::GetWindowSize();
    page.placement = {static_cast<int32_t>(at.x), static_cast<int32_t>(at.y), static_cast<int32_t>(at.x + size.x),
                      static_cast<int32_t>(at.y + size.y)};
    ImGui::End();
}

// Every text the frame may show, so that its glyphs are ready for it.
void NoteTexts(HostImGuiWindow& window, const DebugFormView& view)
{
    for (const std::string& label : view.labels) {
        window.NoteText(label);
    }
    for (const DebugWatchRow& watch : view.watches) {
        window.NoteText(watch.expression);
        window.NoteText(watch.value);
    }
    for (const DebugFormPage& page : view.pages) {
        window.NoteText(page.title);
        if (!page.visible) {
            continue;
        }
        for (const std::vector<std::string>& row : page.rows) {
            for (const std::string& cell : row) {
                window.NoteText(cell);
            }
        }
    }
}

}  // namespace

HostDebugForm::HostDebugForm(int32_t width, int32_t height)
    : m_window(std::make_unique<HostImGuiWindow>("Debug", width, height))
{
}

HostDebugForm::~HostDebugForm() = default;

bool HostDebugForm::IsOpen() const
{
    return m_window->IsOpen();
}

HostImGuiWindow& HostDebugForm::Window()
{
    return *m_window;
}

DebugFormCommand HostDebugForm::Frame(DebugFormView& view)
{
    DebugFormCommand command = DebugFormCommand::None;
    view.activatedPage = -1;
    NoteTexts(*m_window, view);
    m_window->Frame([&] {
        const ImGuiViewport* viewport = ImGui::GetMainViewport();
        ImGui::SetNextWindowPos(viewport->Pos, ImGuiCond_Always);
        ImGui::SetNextWindowSize(ImVec2(viewport->Size.x, kPageStartY - 4.0f), ImGuiCond_Always);
        ImGui::Begin("##debug", nullptr,
                     ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                         ImGuiWindowFlags_NoBringToFrontOnFocus);
        command = DrawToolbar();
        for (size_t i = 0; i < view.labels.size(); ++i) {
            if (i % 3 != 0) {
                ImGui::SameLine(static_cast<float>(i % 3) * viewport->Size.x / 3.0f);
            }
            ImGui::TextUnformatted(view.labels[i].c_str());
        }
        ImGui::Checkbox("FPS", &view.fpsVisible);
        for (DebugFormPage& page : view.pages) {
            if (page.switchable) {
                ImGui::SameLine();
                ImGui::Checkbox(page.title.c_str(), &page.visible);
            }
        }
        const DebugFormCommand fromWatches = DrawWatches(view);
        command = command == DebugFormCommand::None ? fromWatches : command;
        ImGui::End();
        int32_t shown = 0;
        for (size_t i = 0; i < view.pages.size(); ++i) {
            if (view.pages[i].visible) {
                DrawPage(view.pages[i], static_cast<int32_t>(i), shown++, &view.activatedPage);
            }
        }
    });
    return command;
}

}  // namespace bw
