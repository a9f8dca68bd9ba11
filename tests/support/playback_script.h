// Writes "-playback" files from a short script, so tests can drive a game
// with input it never saw from a keyboard. Steps are numbered from 1 (the
// first frame the game reads); each entry happens at the start of its step
// and the state holds until changed:
//   "10 down 39; 20 up 39; 25 char a; 30 mouse 100 120 press 1"
// Entries: "<step> down <key>", "<step> up <key>", "<step> char <c>",
// "<step> mouse <x> <y>" optionally followed by "press <button>" or
// "release <button>". The frames are laid out here byte by byte, apart from
// the runner's own encoder, so each side checks the other.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace bw::test {

struct PlaybackEntry {
    int32_t step = 0;
    std::string action;  // down, up, char, mouse
    int32_t key = 0;     // key, or the character's code
    int32_t x = 0;
    int32_t y = 0;
    std::string buttonAction;  // "", press, release
    int32_t button = 0;
};

inline std::vector<PlaybackEntry> PlaybackScript_Parse(const std::string& script)
{
    std::vector<PlaybackEntry> entries;
    std::stringstream all(script);
    std::string item;
    while (std::getline(all, item, ';')) {
        std::istringstream in(item);
        PlaybackEntry entry;
        if (!(in >> entry.step >> entry.action)) {
            continue;
        }
        if (entry.action == "char") {
            std::string text;
            in >> text;
            entry.key = text.empty() ? 0 : static_cast<unsigned char>(text[0]);
        } else if (entry.action == "mouse") {
            in >> entry.x >> entry.y;
            in >> entry.buttonAction >> entry.button;
        } else {
            in >> entry.key;
        }
        entries.push_back(entry);
    }
    return entries;
}

// The frames of steps 1 .. steps.
inline std::vector<uint8_t> PlaybackScript_Frames(const std::string& script, int32_t steps)
{
    constexpr size_t kFrame = 2939;
    const std::vector<PlaybackEntry> entries = PlaybackScript_Parse(script);
    std::array<uint8_t, 256> down{};
    std::u16string text;
    uint16_t lastChar = 0;
    int32_t key = 0;
    int32_t lastKey = 0;
    int32_t mouseX = 0;
    int32_t mouseY = 0;
    int32_t mouseButton = 0;
    int32_t mouseLastButton = 0;
    std::array<uint8_t, 3> mouseDown{};
    std::vector<uint8_t> bytes;
    auto put32 = [](uint8_t* at, int32_t value) {
        const auto bits = static_cast<uint32_t>(value);
        for (int i = 0; i < 4; ++i) {
            at[i] = static_cast<uint8_t>(bits >> (8 * i));
        }
    };
    for (int32_t step = 1; step <= steps; ++step) {
        std::array<uint8_t, 256> pressed{};
        std::array<uint8_t, 256> released{};
        std::array<uint8_t, 3> mousePressed{};
        std::array<uint8_t, 3> mouseReleased{};
        for (const PlaybackEntry& entry : entries) {
            if (entry.step != step) {
                continue;
            }
            if (entry.action == "down") {
                pressed[entry.key] = down[entry.key] == 0 ? 1 : pressed[entry.key];
                down[entry.key] = 1;
                key = lastKey = entry.key;
            } else if (entry.action == "up") {
                down[entry.key] = 0;
                released[entry.key] = 1;
                key = key == entry.key ? 0 : key;
            } else if (entry.action == "char") {
                lastChar = static_cast<uint16_t>(entry.key);
                text.push_back(static_cast<char16_t>(entry.key));
            } else if (entry.action == "mouse") {
                mouseX = entry.x;
                mouseY = entry.y;
                const size_t b = static_cast<size_t>(entry.button - 1);
                if (entry.buttonAction == "press") {
                    mouseButton = mouseLastButton = entry.button;
                    mousePressed[b] = mouseDown[b] == 0 ? 1 : 0;
                    mouseDown[b] = 1;
                } else if (entry.buttonAction == "release") {
                    mouseButton = 0;
                    mouseDown[b] = 0;
                    mouseReleased[b] = 1;
                }
            }
        }
        std::vector<uint8_t> frame(kFrame, 0);
        frame[0] = static_cast<uint8_t>(lastChar);
        frame[1] = static_cast<uint8_t>(lastChar >> 8);
        for (size_t i = 0; i < text.size(); ++i) {
            frame[2 + 2 * i] = static_cast<uint8_t>(text[i]);
            frame[3 + 2 * i] = static_cast<uint8_t>(text[i] >> 8);
        }
        put32(&frame[2052], lastKey);
        put32(&frame[2056], key);
        std::copy(down.begin(), down.end(), frame.begin() + 2060);
        std::copy(released.begin(), released.end(), frame.begin() + 2316);
        std::copy(pressed.begin(), pressed.end(), frame.begin() + 2572);
        put32(&frame[2828], mouseLastButton);  // device 0 of five
        put32(&frame[2848], mouseButton);
        std::copy(mouseDown.begin(), mouseDown.end(), frame.begin() + 2868);
        std::copy(mouseReleased.begin(), mouseReleased.end(), frame.begin() + 2883);
        std::copy(mousePressed.begin(), mousePressed.end(), frame.begin() + 2898);
        put32(&frame[2931], mouseX);
        put32(&frame[2935], mouseY);
        bytes.insert(bytes.end(), frame.begin(), frame.end());
    }
    return bytes;
}

// False when the file could not be written whole.
inline bool PlaybackScript_Write(const std::string& path, const std::string& script, int32_t steps)
{
    const std::vector<uint8_t> bytes = PlaybackScript_Frames(script, steps);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return out.good();
}

}  // namespace bw::test
