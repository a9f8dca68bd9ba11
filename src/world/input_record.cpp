#include "world/input_record.h"

#include <cstring>

namespace bw {

namespace {

// Field offsets of one frame.
constexpr size_t kAtLastChar = 0;
constexpr size_t kAtText = 2;
constexpr size_t kTextUnits = kKeyboardStringMax + 1;
constexpr size_t kAtLastKey = kAtText + 2 * kTextUnits;
constexpr size_t kAtKey = kAtLastKey + 4;
constexpr size_t kAtKeyDown = kAtKey + 4;
constexpr size_t kAtKeyReleased = kAtKeyDown + kInputKeyCount;
constexpr size_t kAtKeyPressed = kAtKeyReleased + kInputKeyCount;
constexpr size_t kAtMouseLastButton = kAtKeyPressed + kInputKeyCount;
constexpr size_t kAtMouseButton = kAtMouseLastButton + 4 * kMouseDeviceCount;
constexpr size_t kAtMouseDown = kAtMouseButton + 4 * kMouseDeviceCount;
constexpr size_t kAtMouseReleased = kAtMouseDown + kMouseFlagCount;
constexpr size_t kAtMousePressed = kAtMouseReleased + kMouseFlagCount;
constexpr size_t kAtWheelUp = kAtMousePressed + kMouseFlagCount;
constexpr size_t kAtWheelDown = kAtWheelUp + kMouseDeviceCount;
constexpr size_t kAtCursor = kAtWheelDown + kMouseDeviceCount;
constexpr size_t kAtMouseX = kAtCursor + 8;
constexpr size_t kAtMouseY = kAtMouseX + 4;
static_assert(kAtLastKey == 2052 && kAtKeyDown == 2060 && kAtMouseLastButton == 2828 && kAtMouseDown == 2868 &&
              kAtWheelUp == 2913 && kAtCursor == 2923 && kAtMouseY + 4 == kInputFrameSize);

class FrameWriter {
public:
    explicit FrameWriter(std::span<uint8_t, kInputFrameSize> bytes) : m_bytes(bytes) {}
    void U16(size_t at, uint16_t value)
    {
        const uint8_t le[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
        std::memcpy(&m_bytes[at], le, 2);
    }
    void I32(size_t at, int32_t value)
    {
        const auto bits = static_cast<uint32_t>(value);
        const uint8_t le[4] = {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
                               static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)};
        std::memcpy(&m_bytes[at], le, 4);
    }
    template <size_t N>
    void Flags(size_t at, const std::array<uint8_t, N>& flags)
    {
        for (size_t i = 0; i < N; ++i) {
            m_bytes[at + i] = flags[i] != 0 ? 1 : 0;
        }
    }
    template <size_t N>
    void Values(size_t at, const std::array<int32_t, N>& values)
    {
        for (size_t i = 0; i < N; ++i) {
            I32(at + 4 * i, values[i]);
        }
    }

private:
    std::span<uint8_t, kInputFrameSize> m_bytes;
};

class FrameReader {
public:
    explicit FrameReader(std::span<const uint8_t, kInputFrameSize> bytes) : m_bytes(bytes) {}
    uint16_t U16(size_t at) const
    {
        uint8_t le[2];
        std::memcpy(le, &m_bytes[at], 2);
        return static_cast<uint16_t>(le[0] | (le[1] << 8));
    }
    int32_t I32(size_t at) const
    {
        uint8_t le[4];
        std::memcpy(le, &m_bytes[at], 4);
        return static_cast<int32_t>(static_cast<uint32_t>(le[0]) | (static_cast<uint32_t>(le[1]) << 8) |
                                    (static_cast<uint32_t>(le[2]) << 16) | (static_cast<uint32_t>(le[3]) << 24));
    }
    // Any non-zero byte counts as set, so that state read back is 0 or 1.
    template <size_t N>
    void Flags(size_t at, std::array<uint8_t, N>& flags) const
    {
        for (size_t i = 0; i < N; ++i) {
            flags[i] = m_bytes[at + i] != 0 ? 1 : 0;
        }
    }
    template <size_t N>
    void Values(size_t at, std::array<int32_t, N>& values) const
    {
        for (size_t i = 0; i < N; ++i) {
            values[i] = I32(at + 4 * i);
        }
    }

private:
    std::span<const uint8_t, kInputFrameSize> m_bytes;
};

}  // namespace

void InputFrame_Encode(const InputFrame& frame, std::span<uint8_t, kInputFrameSize> bytes)
{
    std::memset(bytes.data(), 0, bytes.size());
    FrameWriter out(bytes);
    out.U16(kAtLastChar, frame.lastChar);
    const size_t units = frame.text.size() < kKeyboardStringMax ? frame.text.size() : kKeyboardStringMax;
    for (size_t i = 0; i < units; ++i) {
        out.U16(kAtText + 2 * i, frame.text[i]);
    }
    out.I32(kAtLastKey, frame.lastKey);
    out.I32(kAtKey, frame.key);
    out.Flags(kAtKeyDown, frame.keyDown);
    out.Flags(kAtKeyReleased, frame.keyReleased);
    out.Flags(kAtKeyPressed, frame.keyPressed);
    out.Values(kAtMouseLastButton, frame.mouseLastButton);
    out.Values(kAtMouseButton, frame.mouseButton);
    out.Flags(kAtMouseDown, frame.mouseDown);
    out.Flags(kAtMouseReleased, frame.mouseReleased);
    out.Flags(kAtMousePressed, frame.mousePressed);
    out.Flags(kAtWheelUp, frame.wheelUp);
    out.Flags(kAtWheelDown, frame.wheelDown);
    out.I32(kAtCursor, frame.cursorX);
    out.I32(kAtCursor + 4, frame.cursorY);
    out.I32(kAtMouseX, frame.mouseX);
    out.I32(kAtMouseY, frame.mouseY);
}

InputFrame InputFrame_Decode(std::span<const uint8_t, kInputFrameSize> bytes)
{
    const FrameReader in(bytes);
    InputFrame frame;
    frame.lastChar = in.U16(kAtLastChar);
    // The text ends at its first 0 unit, and at the latest after
    // kKeyboardStringMax units whatever the file holds.
    for (size_t i = 0; i < kKeyboardStringMax; ++i) {
        const char16_t unit = in.U16(kAtText + 2 * i);
        if (unit == 0) {
            break;
        }
        frame.text.push_back(unit);
    }
    frame.lastKey = in.I32(kAtLastKey);
    frame.key = in.I32(kAtKey);
    in.Flags(kAtKeyDown, frame.keyDown);
    in.Flags(kAtKeyReleased, frame.keyReleased);
    in.Flags(kAtKeyPressed, frame.keyPressed);
    in.Values(kAtMouseLastButton, frame.mouseLastButton);
    in.Values(kAtMouseButton, frame.mouseButton);
    in.Flags(kAtMouseDown, frame.mouseDown);
    in.Flags(kAtMouseReleased, frame.mouseReleased);
    in.Flags(kAtMousePressed, frame.mousePressed);
    in.Flags(kAtWheelUp, frame.wheelUp);
    in.Flags(kAtWheelDown, frame.wheelDown);
    frame.cursorX = in.I32(kAtCursor);
    frame.cursorY = in.I32(kAtCursor + 4);
    frame.mouseX = in.I32(kAtMouseX);
    frame.mouseY = in.I32(kAtMouseY);
    return frame;
}

}  // namespace bw
