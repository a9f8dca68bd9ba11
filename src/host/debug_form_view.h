// The debug window drawn in a second window: a toolbar, the labels, the
// frame-rate switch, the watch list (expressions beside their values), and
// the pages (globals, instances, messages, an instance's locals), each a
// movable panel whose placement the owner keeps. The owner fills the view
// each frame; the form hands back the command the user gave.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace bw {

class HostImGuiWindow;

struct DebugPlacement {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    bool IsSet() const { return right > left && bottom > top; }
};

struct DebugFormPage {
    std::string name;   // also what identifies its panel
    std::string title;  // shown in its title bar
    bool visible = false;
    bool switchable = false;  // the main panel has a check box for it
    DebugPlacement placement;  // the form keeps it up to date
    int32_t columns = 2;
    std::vector<std::vector<std::string>> rows;
    int32_t selectedRow = -1;
};

struct DebugWatchRow {
    std::string expression;
    std::string value;
};

enum class DebugFormCommand {
    None,
    Run,
    Pause,
    Step,
    Restart,
    Stop,
    AddWatch,
    ChangeWatch,
    DeleteWatch,
    ClearWatches,
    ShowLocals,
};

struct DebugFormView {
    std::vector<std::string> labels;
    bool fpsVisible = true;
    std::vector<DebugWatchRow> watches;
    int32_t selectedWatch = -1;
    std::vector<DebugFormPage> pages;
    // Set by the form: the page whose row was double-clicked, else -1.
    int32_t activatedPage = -1;
};

class HostDebugForm {
public:
    // Opens the window at that size; the owner places it (Window().MoveTo).
    HostDebugForm(int32_t width, int32_t height);
    ~HostDebugForm();
    HostDebugForm(const HostDebugForm&) = delete;
    HostDebugForm& operator=(const HostDebugForm&) = delete;

    bool IsOpen() const;
    // One frame of the window; its selections, visibility and placements
    // go back into view.
    DebugFormCommand Frame(DebugFormView& view);
    HostImGuiWindow& Window();

private:
    std::unique_ptr<HostImGuiWindow> m_window;
};

}  // namespace bw
