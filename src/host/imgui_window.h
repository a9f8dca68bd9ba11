// A second window beside the game's, drawn with Dear ImGui: its own SDL
// window, GL context and ImGui context, drawn with ImGui's SDL2 and OpenGL 3
// back ends. The input dialogs and the debug window are built on it. The
// game window's pump hands each such window the events addressed to it, and
// a frame puts the game's GL context back when it is done, so the game
// keeps running and drawing while one is open.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace bw {

class HostImGuiWindow {
public:
    // Opens the window (shown at once); IsOpen() says whether that worked.
    HostImGuiWindow(const char* utf8Title, int32_t width, int32_t height);
    ~HostImGuiWindow();
    HostImGuiWindow(const HostImGuiWindow&) = delete;
    HostImGuiWindow& operator=(const HostImGuiWindow&) = delete;

    bool IsOpen() const;
    // The window's SDL id (events addressed to it carry it); 0 when closed.
    uint32_t WindowId() const;
    // The user asked to close it (the title bar's close button).
    bool CloseRequested() const;
    // Places the window's top-left corner on the desktop.
    void MoveTo(int32_t x, int32_t y);

    // Makes ready the glyphs of a text the window is to show, before its
    // next frame. What the player types or pastes is noted as it comes.
    void NoteText(std::string_view utf8);

    // One frame: pumps pending events (the game window's too), runs draw
    // between ImGui's new frame and its render, and presents.
    void Frame(const std::function<void()>& draw);

    // Keeps a copy of each frame's pixels (tests look at dialogs this way).
    void SetCapture(bool capture);
    // The last captured frame, top row first, 0xAARRGGBB.
    const std::vector<uint32_t>& CapturedPixels() const;
    int32_t Width() const;
    int32_t Height() const;

    struct State;

private:
    std::unique_ptr<State> m_state;
};

}  // namespace bw
