#include "world/input.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "host/input_devices.h"
#include "host/window.h"
#include "platform/console.h"
#include "platform/strings.h"
#include "world/gamepad.h"

namespace bw {

namespace {

struct InputLayer {
    InputFrame current;
    InputFrame raw;  // written by the handlers; keyboard and device 0 only
    // Asks the next update to take game code's edits into the raw state first.
    bool rawFromCurrent = true;
    MouseDeviceValues deviceX{};  // window positions of devices 1..4 (device 0 is the frame's)
    MouseDeviceValues deviceY{};
    std::array<int32_t, kInputKeyCount> keyMap{};
    std::vector<std::pair<int32_t, bool>> injected;  // key, down
    std::array<bool, kInputKeyCount> injectedHeld{};
    std::FILE* recordFile = nullptr;
    bool recording = false;
    bool playingBack = false;
};
InputLayer g_input;

bool KeyInRange(int32_t key)
{
    return key >= 0 && key < kInputKeyCount;
}

bool DeviceInRange(int32_t device)
{
    return device >= 0 && device < kMouseDeviceCount;
}

bool ButtonInRange(int32_t button, int32_t device)
{
    return button >= 1 && button <= kMouseButtonCount && DeviceInRange(device);
}

size_t MouseSlot(int32_t button, int32_t device)
{
    return static_cast<size_t>(Input_MouseFlagIndex(button, device));
}

size_t KeySlot(int32_t key)
{
    return static_cast<size_t>(key);
}

template <size_t N>
void MergeFlags(std::array<uint8_t, N>& into, const std::array<uint8_t, N>& from)
{
    for (size_t i = 0; i < N; ++i) {
        into[i] = (into[i] != 0 || from[i] != 0) ? 1 : 0;
    }
}

void ClearDevice0Mouse(InputFrame& frame)
{
    frame.mouseButton[0] = 0;
    frame.mouseLastButton[0] = 0;
    for (int32_t button = 1; button <= kMouseButtonCount; ++button) {
        frame.mouseDown[MouseSlot(button, 0)] = 0;
        frame.mousePressed[MouseSlot(button, 0)] = 0;
        frame.mouseReleased[MouseSlot(button, 0)] = 0;
    }
    frame.wheelUp[0] = 0;
    frame.wheelDown[0] = 0;
}

void ClearKeyboard(InputFrame& frame)
{
    frame.text.clear();
    frame.key = 0;
    frame.lastKey = 0;
    frame.lastChar = 0;
    frame.keyDown.fill(0);
    frame.keyPressed.fill(0);
    frame.keyReleased.fill(0);
}

// The keyboard and device 0's mouse state of one frame into another.
void CopyKeyboardAndDevice0(const InputFrame& from, InputFrame& to)
{
    to.lastChar = from.lastChar;
    to.text = from.text;
    to.keyDown = from.keyDown;
    to.keyPressed = from.keyPressed;
    to.keyReleased = from.keyReleased;
    to.key = from.key;
    to.lastKey = from.lastKey;
    to.mouseButton[0] = from.mouseButton[0];
    to.mouseLastButton[0] = from.mouseLastButton[0];
    for (int32_t button = 1; button <= kMouseButtonCount; ++button) {
        const size_t slot = MouseSlot(button, 0);
        to.mouseDown[slot] = from.mouseDown[slot];
        to.mousePressed[slot] = from.mousePressed[slot];
        to.mouseReleased[slot] = from.mouseReleased[slot];
    }
    to.wheelUp[0] = from.wheelUp[0];
    to.wheelDown[0] = from.wheelDown[0];
}

void CopyRawState()
{
    InputFrame& current = g_input.current;
    InputFrame& raw = g_input.raw;
    if (g_input.rawFromCurrent) {
        CopyKeyboardAndDevice0(current, raw);
        g_input.rawFromCurrent = false;
    }
    HostMouse_GetDesktopPosition(current.cursorX, current.cursorY);
    current.lastChar = raw.lastChar;
    current.text = raw.text;
    current.mouseX = raw.mouseX;
    current.mouseY = raw.mouseY;
    current.keyDown = raw.keyDown;
    current.key = raw.key;
    current.lastKey = raw.lastKey;
    current.mouseButton[0] = raw.mouseButton[0];
    current.mouseLastButton[0] = raw.mouseLastButton[0];
    for (int32_t button = 1; button <= kMouseButtonCount; ++button) {
        const size_t slot = MouseSlot(button, 0);
        current.mouseDown[slot] = raw.mouseDown[slot];
        current.mousePressed[slot] = (current.mousePressed[slot] != 0 || raw.mousePressed[slot] != 0) ? 1 : 0;
        current.mouseReleased[slot] = (current.mouseReleased[slot] != 0 || raw.mouseReleased[slot] != 0) ? 1 : 0;
    }
    current.wheelUp[0] = raw.wheelUp[0];
    current.wheelDown[0] = raw.wheelDown[0];
    // A key pressed and released between two steps shows both, and not down.
    MergeFlags(current.keyPressed, raw.keyPressed);
    MergeFlags(current.keyReleased, raw.keyReleased);

    raw.keyPressed.fill(0);
    raw.keyReleased.fill(0);
    raw.mousePressed.fill(0);
    raw.mouseReleased.fill(0);
    raw.wheelUp.fill(0);
    raw.wheelDown.fill(0);
}

void TakeInjectedKeys()
{
    std::vector<std::pair<int32_t, bool>> keys;
    keys.swap(g_input.injected);
    for (const auto& [key, down] : keys) {
        if (down) {
            IO_OnKeyDown(key, false);
        } else {
            IO_OnKeyUp(key);
        }
    }
}

void CloseRecordFile()
{
    if (g_input.recordFile != nullptr) {
        std::fclose(g_input.recordFile);
        g_input.recordFile = nullptr;
    }
    g_input.recording = false;
    g_input.playingBack = false;
}

void OpenRecordFile(const InputRecordRequest& request)
{
    CloseRecordFile();
    if ((!request.record && !request.playback) || request.file.empty()) {
        return;
    }
    const bool playback = request.playback;
    g_input.recordFile = std::fopen(request.file.c_str(), playback ? "rb" : "w+b");
    if (g_input.recordFile == nullptr) {
        Console().Printf("Unable to open the input %s file %s\n", playback ? "playback" : "record",
                         request.file.c_str());
        return;
    }
    std::setvbuf(g_input.recordFile, nullptr, _IONBF, 0);
    g_input.playingBack = playback;
    g_input.recording = !playback;
}

// One frame from the playback file into the current state; at the end of
// the file (or before a partial frame) nothing changes.
void PlayBackFrame()
{
    std::array<uint8_t, kInputFrameSize> bytes{};
    if (std::fread(bytes.data(), 1, bytes.size(), g_input.recordFile) == bytes.size()) {
        g_input.current = InputFrame_Decode(bytes);
    }
}

void RecordFrame()
{
    std::array<uint8_t, kInputFrameSize> bytes{};
    InputFrame_Encode(g_input.current, bytes);
    std::fwrite(bytes.data(), 1, bytes.size(), g_input.recordFile);
    std::fflush(g_input.recordFile);
}

void WindowToRoom(int32_t windowX, int32_t windowY, int32_t& x, int32_t& y)
{
    if (Input_Hooks().windowToRoom != nullptr) {
        Input_Hooks().windowToRoom(windowX, windowY, x, y);
    } else {
        x = windowX;
        y = windowY;
    }
}

}  // namespace

InputHooks& Input_Hooks()
{
    static InputHooks hooks;
    return hooks;
}

// ---- handlers ----

void IO_OnKeyDown(int32_t key, bool repeat)
{
    key = IO_KeyMap(key);
    if (!KeyInRange(key)) {
        return;
    }
    InputFrame& raw = g_input.raw;
    raw.key = key;
    raw.lastKey = key;
    if (raw.keyDown[KeySlot(key)] == 0 && !repeat) {
        raw.keyPressed[KeySlot(key)] = 1;
    }
    raw.keyDown[KeySlot(key)] = 1;
}

void IO_OnKeyUp(int32_t key)
{
    key = IO_KeyMap(key);
    if (!KeyInRange(key)) {
        return;
    }
    InputFrame& raw = g_input.raw;
    if (raw.key == key) {
        raw.key = 0;
    }
    // A press not yet seen by a step stays: a tap between two steps shows
    // as pressed and released in the next one.
    raw.keyDown[KeySlot(key)] = 0;
    raw.keyReleased[KeySlot(key)] = 1;
}

void IO_OnChar(char16_t unit)
{
    constexpr char16_t kBackspace = 8;
    constexpr size_t kRestartLength = kKeyboardStringMax - 1;
    constexpr char16_t kFirstPrintable = 32;
    InputFrame& raw = g_input.raw;
    raw.lastChar = unit;
    std::u16string& text = raw.text;
    if (unit == kBackspace) {
        if (!text.empty()) {
            text.pop_back();
        }
        return;
    }
    if (unit < kFirstPrintable) {
        return;  // other control characters are only remembered
    }
    // A character typed at the limit restarts the string from its last unit,
    // so typing never stops; only a character that adds does this, or one
    // Backspace or Enter would wipe a full string.
    if (text.size() >= kRestartLength) {
        text.erase(0, text.size() - 1);
    }
    text.push_back(unit);
}

void IO_OnMouseDown(int32_t button)
{
    if (!ButtonInRange(button, 0)) {
        return;
    }
    InputFrame& raw = g_input.raw;
    raw.mouseButton[0] = button;
    raw.mouseLastButton[0] = button;
    const size_t slot = MouseSlot(button, 0);
    if (raw.mouseDown[slot] == 0) {
        raw.mousePressed[slot] = 1;
    }
    raw.mouseDown[slot] = 1;
}

void IO_OnMouseUp(int32_t button)
{
    if (!ButtonInRange(button, 0)) {
        return;
    }
    InputFrame& raw = g_input.raw;
    raw.mouseButton[0] = 0;
    const size_t slot = MouseSlot(button, 0);
    raw.mouseDown[slot] = 0;  // as for keys, an unseen press stays
    raw.mouseReleased[slot] = 1;
}

void IO_OnMouseMove(int32_t x, int32_t y)
{
    g_input.raw.mouseX = x;
    g_input.raw.mouseY = y;
}

bool IO_OnMouseWheel(bool up)
{
    (up ? g_input.raw.wheelUp : g_input.raw.wheelDown)[0] = 1;
    return true;
}

void IO_InstallWindowHandlers()
{
    WindowHandlers handlers = HostWindow_Handlers();
    handlers.keyDown = [](int32_t key, uint32_t, bool repeat) { IO_OnKeyDown(key, repeat); };
    handlers.keyUp = [](int32_t key, uint32_t) { IO_OnKeyUp(key); };
    handlers.character = &IO_OnChar;
    handlers.mouseDown = [](int32_t button, int32_t x, int32_t y) {
        IO_OnMouseMove(x, y);
        IO_OnMouseDown(button);
    };
    handlers.mouseUp = [](int32_t button, int32_t x, int32_t y) {
        IO_OnMouseMove(x, y);
        IO_OnMouseUp(button);
    };
    handlers.mouseMove = &IO_OnMouseMove;
    handlers.mouseWheel = [](bool up, uint32_t, int32_t, int32_t) { return IO_OnMouseWheel(up); };
    HostWindow_SetHandlers(handlers);
}

// ---- lifetime ----

void IO_Init(const InputRecordRequest& request)
{
    g_input.current = InputFrame{};
    g_input.raw = InputFrame{};
    g_input.rawFromCurrent = true;
    g_input.deviceX.fill(0);
    g_input.deviceY.fill(0);
    g_input.injected.clear();
    g_input.injectedHeld.fill(false);
    IO_Clear();
    IO_ResetKeyMap();
    OpenRecordFile(request);
}

void IO_Update()
{
    TakeInjectedKeys();
    InputFrame& current = g_input.current;
    current.keyReleased.fill(0);
    current.keyPressed.fill(0);
    current.mousePressed.fill(0);
    current.mouseReleased.fill(0);
    current.wheelUp.fill(0);
    current.wheelDown.fill(0);
    if (g_input.playingBack) {
        PlayBackFrame();
    } else {
        CopyRawState();
        IO_Gamepads_Update();
    }
    if (g_input.recording) {
        RecordFrame();
    }
}

void IO_Clear()
{
    for (InputFrame* frame : {&g_input.current, &g_input.raw}) {
        ClearKeyboard(*frame);
        ClearDevice0Mouse(*frame);
    }
}

void IO_Shutdown()
{
    IO_Gamepad_Free();
    CloseRecordFile();
}

bool IO_IsPlayingBack()
{
    return g_input.playingBack;
}

bool IO_IsRecording()
{
    return g_input.recording;
}

// ---- keyboard ----

bool IO_KeyDown(int32_t key)
{
    return KeyInRange(key) && g_input.current.keyDown[KeySlot(key)] != 0;
}

bool IO_KeyPressed(int32_t key)
{
    return KeyInRange(key) && g_input.current.keyPressed[KeySlot(key)] != 0;
}

bool IO_KeyReleased(int32_t key)
{
    return KeyInRange(key) && g_input.current.keyReleased[KeySlot(key)] != 0;
}

void IO_KeyClear(int32_t key)
{
    if (!KeyInRange(key)) {
        return;
    }
    for (InputFrame* frame : {&g_input.current, &g_input.raw}) {
        frame->keyDown[KeySlot(key)] = 0;
        frame->keyPressed[KeySlot(key)] = 0;
        frame->keyReleased[KeySlot(key)] = 0;
    }
}

int32_t IO_GetKey()
{
    return g_input.current.key;
}

void IO_SetKey(int32_t key)
{
    if (KeyInRange(key)) {
        g_input.current.key = key;
    }
}

int32_t IO_GetLastKey()
{
    return g_input.current.lastKey;
}

void IO_SetLastKey(int32_t key)
{
    if (KeyInRange(key)) {
        g_input.current.lastKey = key;
        g_input.raw.key = 0;
        g_input.raw.lastKey = 0;
    }
}

int32_t IO_PendingLastKey()
{
    return g_input.raw.lastKey;
}

char16_t IO_GetLastChar()
{
    return g_input.current.lastChar;
}

void IO_SetLastChar(char16_t unit)
{
    g_input.current.lastChar = unit;
}

const std::u16string& IO_GetKeyboardString()
{
    return g_input.current.text;
}

void IO_SetKeyboardString(std::string_view utf8)
{
    std::u16string text = String_ToWide(utf8);
    if (text.size() > kKeyboardStringMax) {
        text.resize(kKeyboardStringMax);
    }
    g_input.raw.text = text;
    g_input.current.text = std::move(text);
}

// ---- mouse ----

int32_t IO_MouseButton(int32_t device)
{
    return DeviceInRange(device) ? g_input.current.mouseButton[static_cast<size_t>(device)] : 0;
}

void IO_SetMouseButton(int32_t button, int32_t device)
{
    if (ButtonInRange(button, device)) {
        g_input.current.mouseButton[static_cast<size_t>(device)] = button;
    }
}

int32_t IO_GetMouseLastButton(int32_t device)
{
    return DeviceInRange(device) ? g_input.current.mouseLastButton[static_cast<size_t>(device)] : 0;
}

void IO_SetMouseLastButton(int32_t button, int32_t device)
{
    if (ButtonInRange(button, device)) {
        g_input.current.mouseLastButton[static_cast<size_t>(device)] = button;
    }
}

int32_t IO_PendingMouseLastButton()
{
    return g_input.raw.mouseLastButton[0];
}

void IO_ForgetMouseLastButton()
{
    g_input.current.mouseLastButton[0] = 0;
    g_input.raw.mouseLastButton[0] = 0;
}

bool IO_MouseButtonDown(int32_t button, int32_t device)
{
    return ButtonInRange(button, device) && g_input.current.mouseDown[MouseSlot(button, device)] != 0;
}

bool IO_MouseButtonPressed(int32_t button, int32_t device)
{
    return ButtonInRange(button, device) && g_input.current.mousePressed[MouseSlot(button, device)] != 0;
}

bool IO_MouseButtonReleased(int32_t button, int32_t device)
{
    return ButtonInRange(button, device) && g_input.current.mouseReleased[MouseSlot(button, device)] != 0;
}

bool IO_WheelUp(int32_t device)
{
    return DeviceInRange(device) && g_input.current.wheelUp[static_cast<size_t>(device)] != 0;
}

bool IO_WheelDown(int32_t device)
{
    return DeviceInRange(device) && g_input.current.wheelDown[static_cast<size_t>(device)] != 0;
}

void IO_MouseClear(int32_t button, int32_t device)
{
    if (!ButtonInRange(button, device)) {
        return;
    }
    const size_t slot = MouseSlot(button, device);
    for (InputFrame* frame : {&g_input.current, &g_input.raw}) {
        if (frame == &g_input.raw && device != 0) {
            continue;
        }
        frame->mouseDown[slot] = 0;
        frame->mousePressed[slot] = 0;
        frame->mouseReleased[slot] = 0;
    }
}

int32_t IO_MouseWindowX(int32_t device)
{
    if (!DeviceInRange(device)) {
        return 0;
    }
    return device == 0 ? g_input.current.mouseX : g_input.deviceX[static_cast<size_t>(device)];
}

int32_t IO_MouseWindowY(int32_t device)
{
    if (!DeviceInRange(device)) {
        return 0;
    }
    return device == 0 ? g_input.current.mouseY : g_input.deviceY[static_cast<size_t>(device)];
}

namespace {

// The device's pointer in room coordinates; (0, 0) for a device out of range.
std::pair<int32_t, int32_t> MouseRoomPosition(int32_t device)
{
    std::pair<int32_t, int32_t> room{0, 0};
    if (DeviceInRange(device)) {
        WindowToRoom(IO_MouseWindowX(device), IO_MouseWindowY(device), room.first, room.second);
    }
    return room;
}

}  // namespace

int32_t IO_MouseX(int32_t device)
{
    return MouseRoomPosition(device).first;
}

int32_t IO_MouseY(int32_t device)
{
    return MouseRoomPosition(device).second;
}

// ---- key map ----

int32_t IO_KeyMap(int32_t key)
{
    return KeyInRange(key) ? g_input.keyMap[KeySlot(key)] : key;
}

void IO_SetKeyMap(int32_t key, int32_t target)
{
    if (KeyInRange(key)) {
        g_input.keyMap[KeySlot(key)] = target;
    }
}

void IO_ResetKeyMap()
{
    for (int32_t key = 0; key < kInputKeyCount; ++key) {
        g_input.keyMap[KeySlot(key)] = key;
    }
}

// ---- injected keys and the system's keyboard ----

void IO_InjectKey(int32_t key, bool down)
{
    if (!KeyInRange(key)) {
        return;
    }
    g_input.injected.emplace_back(key, down);
    g_input.injectedHeld[KeySlot(key)] = down;
}

bool IO_KeyHeldNow(int32_t key)
{
    return KeyInRange(key) && (g_input.injectedHeld[KeySlot(key)] || HostKeyboard_IsKeyDown(key));
}

const InputFrame& IO_CurrentFrame()
{
    return g_input.current;
}

}  // namespace bw
