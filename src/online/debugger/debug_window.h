// The "-debug" companion window: labels with the room speed, frame rate and
// instance count, watches evaluated each step, the globals, instances and
// messages pages and up to six pages of one instance's locals, and the Run,
// Pause, Step, Restart and Stop commands. The watches, the pages shown and
// their placements persist in "Debug.ini".
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "host/debug_form_view.h"

namespace bw {

class CInstance;
class HostDebugForm;
class IniFile;

inline constexpr char kDebugIniName[] = "Debug.ini";
inline constexpr int32_t kDebugGlobalsPage = 0;
inline constexpr int32_t kDebugInstancesPage = 1;
inline constexpr int32_t kDebugMessagesPage = 2;
inline constexpr int32_t kDebugFirstLocalsPage = 3;
inline constexpr int32_t kDebugPageCount = 9;

class DebugForm {
public:
    // withWindow false keeps the form without a window (nothing to show it
    // in, or tests of its state alone).
    explicit DebugForm(bool withWindow);
    ~DebugForm();
    DebugForm(const DebugForm&) = delete;
    DebugForm& operator=(const DebugForm&) = delete;

    // A non-empty expression goes on the end of the list.
    void AddWatch(const std::string& expression);
    void ChangeWatch(int32_t index, const std::string& expression);
    void DeleteWatch(int32_t index);
    void ClearWatches();
    // Each watch's value, evaluated with self and other the form's
    // instance (the hidden evaluation instance when none).
    void EvaluateWatches();

    // The locals page that shows the instance id: the one already showing
    // it, else the first not shown, else the last; the page is shown.
    int32_t ShowLocals(int32_t instanceId);
    void ConsoleOutput(const char* line);

    // The first call loads the saved state; each refreshes the labels,
    // watches and visible pages and draws a frame.
    void Update();
    // Draws a frame without refreshing (the game is held).
    void Serve();
    // The window goes (the state stays): the game was stopped.
    void Hide();
    // Writes the state into ini and its file.
    void SaveState(IniFile& ini);
    void LoadState(IniFile& ini);

    DebugFormView& View() { return m_view; }
    bool HasWindow() const;
    HostDebugForm* Window() { return m_window.get(); }

private:
    // Opens the window beside the game (debug_window_placement).
    void OpenWindow();
    void RefreshLabels();
    void RefreshPages();
    void Frame();
    void Perform(DebugFormCommand command);

    DebugFormView m_view;
    std::unique_ptr<HostDebugForm> m_window;
    std::array<int32_t, kDebugPageCount> m_instanceIds{};
    bool m_loaded = false;
    // An error report met while the watches run asks for a refresh too.
    bool m_updating = false;
};

// The hooks of the main loop ("-debug" only): made at game start, updated
// each step, saved and closed at game end, hidden on stop; served while the
// game is held, and fed every console line.
void DebugForm_Create();
void DebugForm_Update();
void DebugForm_Serve();
void DebugForm_Close();
void DebugForm_Hide();

}  // namespace bw
