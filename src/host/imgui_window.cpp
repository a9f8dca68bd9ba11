#include "host/imgui_window.h"

#include <SDL.h>
#include <epoxy/gl.h>
#include <imgui.h>
#include <imgui_impl_opengl3.h>
#include <imgui_impl_sdl.h>

#include <algorithm>
#include <optional>

#include "host/dialog_fonts.h"
#include "host/quit_signal.h"
#include "host/window.h"
#include "host/window_title.h"

namespace bw {

struct HostImGuiWindow::State {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    ImGuiContext* imgui = nullptr;
    uint32_t windowId = 0;
    std::vector<SDL_Event> pending;  // handed over by the game window's pump
    bool closeRequested = false;
    bool capture = false;
    std::vector<uint32_t> pixels;
    int32_t width = 0;
    int32_t height = 0;
    std::optional<HostDialogFonts> fonts;  // once the window is open
    // Characters were noted that the font atlas does not hold yet.
    bool fontsStale = false;
    const char* (*backendPaste)(void*) = nullptr;
};

namespace {

std::vector<HostImGuiWindow::State*>& OpenWindows()
{
    static std::vector<HostImGuiWindow::State*> windows;
    return windows;
}

uint32_t EventWindowId(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_WINDOWEVENT:
        return event.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return event.key.windowID;
    case SDL_TEXTINPUT:
        return event.text.windowID;
    case SDL_TEXTEDITING:
        return event.edit.windowID;
    case SDL_MOUSEMOTION:
        return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return event.button.windowID;
    case SDL_MOUSEWHEEL:
        return event.wheel.windowID;
    default:
        return 0;
    }
}

bool TakeSecondWindowEvent(const SDL_Event& event)
{
    const uint32_t id = EventWindowId(event);
    if (id == 0) return false;
    for (HostImGuiWindow::State* state : OpenWindows()) {
        if (state->windowId == id) {
            state->pending.push_back(event);
            return true;
        }
    }
    return false;
}

// Puts back whatever GL and ImGui context was current before a frame.
class ContextRestorer {
public:
    ContextRestorer()
        : m_window(SDL_GL_GetCurrentWindow()), m_context(SDL_GL_GetCurrentContext()), m_imgui(ImGui::GetCurrentContext())
    {
    }
    ~ContextRestorer()
    {
        if (m_context != nullptr) SDL_GL_MakeCurrent(m_window, m_context);
        ImGui::SetCurrentContext(m_imgui);
    }
    ContextRestorer(const ContextRestorer&) = delete;
    ContextRestorer& operator=(const ContextRestorer&) = delete;

private:
    SDL_Window* m_window;
    SDL_GLContext m_context;
    ImGuiContext* m_imgui;
};

// Fills the font atlas again and hands it to GL, with the glyphs of the
// characters noted since the last time.
void RefreshFonts(HostImGuiWindow::State& state)
{
    if (!state.fontsStale) return;
    state.fontsStale = false;
    state.fonts->Fill(*ImGui::GetIO().Fonts);
    ImGui_ImplOpenGL3_DestroyFontsTexture();
    ImGui_ImplOpenGL3_CreateFontsTexture();
}

// Text pasted into a field: its characters are noted as it arrives, so the
// next frame has their glyphs.
const char* PastedText(void* window)
{
    auto& state = *static_cast<HostImGuiWindow::State*>(window);
    const char* text = state.backendPaste(nullptr);
    if (text != nullptr && state.fonts->Note(text)) state.fontsStale = true;
    return text;
}

void CapturePixels(HostImGuiWindow::State& state, int width, int height)
{
    std::vector<uint32_t> bottomUp(static_cast<size_t>(width) * static_cast<size_t>(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, bottomUp.data());
    state.pixels.resize(bottomUp.size());
    const size_t row = static_cast<size_t>(width);
    for (int y = 0; y < height; ++y) {
        std::copy_n(bottomUp.begin() + static_cast<ptrdiff_t>(row * static_cast<size_t>(height - 1 - y)), row,
                    state.pixels.begin() + static_cast<ptrdiff_t>(row * static_cast<size_t>(y)));
    }
    state.width = width;
    state.height = height;
}

bool IsModifier(SDL_Scancode key)
{
    return key >= SDL_SCANCODE_LCTRL && key <= SDL_SCANCODE_RGUI;
}

// The keys a frame has handed ImGui so far.
struct FrameKeys {
    std::vector<SDL_Scancode> changed;
    bool pressTaken = false;
};

// ImGui samples the keys and their modifiers once a frame: a press and its
// release in one frame would never be seen, two presses would count as
// one, and Shift let go right after Tab would take the Shift from
// Shift+Tab. Such a key event waits for the next frame, and with it every
// event after it.
bool WaitsForNextFrame(const SDL_KeyboardEvent& key, const FrameKeys& frame)
{
    if (std::find(frame.changed.begin(), frame.changed.end(), key.keysym.scancode) != frame.changed.end()) return true;
    if (key.type == SDL_KEYDOWN) return frame.pressTaken;
    return IsModifier(key.keysym.scancode) && !frame.changed.empty();
}

// Hands ImGui this frame's share of the events addressed to the window, in
// the order they came.
void FeedFrameEvents(HostImGuiWindow::State& state)
{
    ImGuiIO& io = ImGui::GetIO();
    FrameKeys frame;
    size_t taken = 0;
    for (; taken < state.pending.size(); ++taken) {
        const SDL_Event& event = state.pending[taken];
        const bool isKey = event.type == SDL_KEYDOWN || event.type == SDL_KEYUP;
        if (isKey) {
            const SDL_Scancode key = event.key.keysym.scancode;
            if (WaitsForNextFrame(event.key, frame)) break;
            frame.changed.push_back(key);
            if (event.type == SDL_KEYDOWN) {
                frame.pressTaken = true;
                // A press of a key that is down (SDL's repeat, which is also
                // what X makes of a release and a press that come at once)
                // is a press too, as in the game window: ImGui 1.86 takes a
                // key whose time held is negative as pressed in this frame.
                if (io.KeysDown[key]) io.KeysDownDuration[key] = -1.0f;
            }
        }
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) {
            state.closeRequested = true;
        }
        ImGui_ImplSDL2_ProcessEvent(&event);
        if (isKey) {
            // The back end reads the modifiers as they are now, after every
            // queued event, not as they were with this key.
            const uint16_t mod = event.key.keysym.mod;
            io.KeyShift = (mod & KMOD_SHIFT) != 0;
            io.KeyCtrl = (mod & KMOD_CTRL) != 0;
            io.KeyAlt = (mod & KMOD_ALT) != 0;
            io.KeySuper = (mod & KMOD_GUI) != 0;
        }
    }
    state.pending.erase(state.pending.begin(), state.pending.begin() + static_cast<ptrdiff_t>(taken));
}

}  // namespace

HostImGuiWindow::HostImGuiWindow(const char* utf8Title, int32_t width, int32_t height) : m_state(std::make_unique<State>())
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 && !HostSdl_Start(SDL_INIT_VIDEO)) return;
    // As for the game window: the GL library must outlive every window.
    static const bool glLoaded = SDL_GL_LoadLibrary(nullptr) == 0;
    if (!glLoaded) return;
    ContextRestorer restorer;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    State& state = *m_state;
    state.window = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                    SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (state.window == nullptr) return;
    WindowTitle_Set(state.window, utf8Title);
    state.context = SDL_GL_CreateContext(state.window);
    if (state.context == nullptr) {
        SDL_DestroyWindow(state.window);
        state.window = nullptr;
        return;
    }
    state.windowId = SDL_GetWindowID(state.window);
    state.imgui = ImGui::CreateContext();
    ImGui::SetCurrentContext(state.imgui);
    ImGui::GetIO().IniFilename = nullptr;  // nothing of ours is written to the current folder
    ImGui::StyleColorsDark();
    state.fonts.emplace().Fill(*ImGui::GetIO().Fonts);
    ImGui_ImplSDL2_InitForOpenGL(state.window, state.context);
    ImGui_ImplOpenGL3_Init("#version 330 core");
    // Made now rather than at the first frame, so that the font texture is
    // only ever made again by RefreshFonts.
    ImGui_ImplOpenGL3_CreateDeviceObjects();
    ImGuiIO& io = ImGui::GetIO();
    state.backendPaste = io.GetClipboardTextFn;
    io.GetClipboardTextFn = &PastedText;
    io.ClipboardUserData = &state;
    OpenWindows().push_back(&state);
    HostWindow_SetSecondWindowSink(&TakeSecondWindowEvent);
    SDL_StartTextInput();
}

HostImGuiWindow::~HostImGuiWindow()
{
    State& state = *m_state;
    if (state.window == nullptr) return;
    std::vector<State*>& windows = OpenWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), &state), windows.end());
    {
        ContextRestorer restorer;
        SDL_GL_MakeCurrent(state.window, state.context);
        ImGui::SetCurrentContext(state.imgui);
        ImGui_ImplOpenGL3_Shutdown();
        ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext(state.imgui);
    }
    // The restorer may have named this context as the one to put back.
    if (SDL_GL_GetCurrentContext() == state.context) SDL_GL_MakeCurrent(nullptr, nullptr);
    if (ImGui::GetCurrentContext() == state.imgui) ImGui::SetCurrentContext(nullptr);
    SDL_GL_DeleteContext(state.context);
    SDL_DestroyWindow(state.window);
}

void HostImGuiWindow::NoteText(std::string_view utf8)
{
    if (m_state->fonts && m_state->fonts->Note(utf8)) m_state->fontsStale = true;
}

bool HostImGuiWindow::IsOpen() const
{
    return m_state->window != nullptr;
}

void HostImGuiWindow::MoveTo(int32_t x, int32_t y)
{
    if (m_state->window != nullptr) {
        SDL_SetWindowPosition(m_state->window, x, y);
    }
}

uint32_t HostImGuiWindow::WindowId() const
{
    return m_state->windowId;
}

bool HostImGuiWindow::CloseRequested() const
{
    return m_state->closeRequested;
}

void HostImGuiWindow::Frame(const std::function<void()>& draw)
{
    State& state = *m_state;
    if (state.window == nullptr) return;
    HostWindow_PumpEvents();
    ContextRestorer restorer;
    SDL_GL_MakeCurrent(state.window, state.context);
    ImGui::SetCurrentContext(state.imgui);
    // What the player types is drawn in the very frame that takes it, so
    // its glyphs are made before the frame starts, also for keys whose turn
    // comes a frame later.
    for (const SDL_Event& event : state.pending) {
        if (event.type == SDL_TEXTINPUT) NoteText(event.text.text);
    }
    RefreshFonts(state);
    FeedFrameEvents(state);
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
    draw();
    ImGui::Render();
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(state.window, &width, &height);
    glViewport(0, 0, width, height);
    glClearColor(0.1f, 0.1f, 0.12f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    if (state.capture) CapturePixels(state, width, height);
    SDL_GL_SwapWindow(state.window);
}

void HostImGuiWindow::SetCapture(bool capture)
{
    m_state->capture = capture;
}

const std::vector<uint32_t>& HostImGuiWindow::CapturedPixels() const
{
    return m_state->pixels;
}

int32_t HostImGuiWindow::Width() const
{
    return m_state->width;
}

int32_t HostImGuiWindow::Height() const
{
    return m_state->height;
}

}  // namespace bw
