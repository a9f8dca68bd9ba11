// Builds OBJT chunk images for the object and event tests: objects with
// parents, physics blocks by package format and events whose actions carry
// code text. Offsets of the words a test may want to spoil are recorded.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/package_view.h"

namespace bw::test {

struct EventSpec {
    int32_t type = 0;
    uint32_t number = 0;  // the whole word, top bit included
    std::string text;
};

struct ObjectSpec {
    ObjectSpec(std::string objectName, int32_t parentIndex = -1, std::vector<EventSpec> objectEvents = {},
               std::vector<std::pair<float, float>> shape = {})
        : name(std::move(objectName)), parent(parentIndex), events(std::move(objectEvents)), vertices(std::move(shape))
    {
    }

    std::string name;
    int32_t parent = -1;
    std::vector<EventSpec> events;
    std::vector<std::pair<float, float>> vertices;
    float friction = 0.5f;
    uint32_t awake = 0;
    uint32_t kinematic = 1;
};

class ObjtImage {
public:
    // Package format decides the physics block, as in a package.
    ObjtImage(const std::vector<ObjectSpec>& objects, uint32_t format)
    {
        // Offset 0 means "none" in a package, so the chunk never starts there.
        U32(0);
        U32(0);
        chunkOffset = Here();
        U32(static_cast<uint32_t>(objects.size()));
        std::vector<uint32_t> slots;
        for (size_t i = 0; i < objects.size(); ++i) {
            slots.push_back(Reserve());
        }
        for (size_t i = 0; i < objects.size(); ++i) {
            Patch(slots[i], Here());
            WriteObject(objects[i], format, static_cast<int32_t>(i));
        }
        chunkLength = Here() - chunkOffset;
    }

    PackageView View() const { return PackageView(bytes.data(), bytes.size()); }
    uint32_t Here() const { return static_cast<uint32_t>(bytes.size()); }
    void Patch(uint32_t at, uint32_t value) { std::memcpy(&bytes[at], &value, 4); }
    // Where a labelled word of object index lies ("name", "vertexCount",
    // "typeCount", "number", "actionList", "actionOffset", "action", "text").
    uint32_t At(int32_t index, const std::string& label) const { return labels.at(std::to_string(index) + label); }

    std::vector<uint8_t> bytes;
    uint32_t chunkOffset = 0;
    uint32_t chunkLength = 0;

private:
    void U32(uint32_t value)
    {
        bytes.resize(bytes.size() + 4);
        Patch(Here() - 4, value);
    }
    void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
    void F32(float value) { U32(std::bit_cast<uint32_t>(value)); }
    uint32_t Reserve()
    {
        U32(0);
        return Here() - 4;
    }
    void Label(int32_t index, const std::string& label, uint32_t at) { labels.emplace(std::to_string(index) + label, at); }
    uint32_t Text(const std::string& text)
    {
        const uint32_t at = Here();
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(0);
        while (bytes.size() % 4 != 0) {
            bytes.push_back(0);
        }
        return at;
    }

    void WriteObject(const ObjectSpec& object, uint32_t format, int32_t index)
    {
        const uint32_t nameSlot = Reserve();
        Label(index, "name", nameSlot);
        I32(-1);  // sprite
        U32(1);   // visible
        U32(0);   // solid
        I32(0);   // depth
        U32(0);   // persistent
        I32(object.parent);
        I32(-1);  // mask
        if (format >= 6) {
            U32(1);        // physics enabled
            U32(0);        // sensor
            I32(1);        // shape
            F32(0.5f);     // density
            F32(0.25f);    // restitution
            I32(3);        // group
            F32(0.125f);   // linear damping
            F32(0.0625f);  // angular damping
            Label(index, "vertexCount", Here());
            U32(static_cast<uint32_t>(object.vertices.size()));
            if (format >= 9) {
                F32(object.friction);
                U32(object.awake);
                U32(object.kinematic);
            }
            for (const auto& [x, y] : object.vertices) {
                F32(x);
                F32(y);
            }
        }
        WriteEvents(object, index);
        Patch(nameSlot, Text(object.name));
    }

    void WriteEvents(const ObjectSpec& object, int32_t index)
    {
        int32_t typeCount = 0;
        for (const EventSpec& event : object.events) {
            typeCount = std::max(typeCount, event.type + 1);
        }
        Label(index, "typeCount", Here());
        U32(static_cast<uint32_t>(typeCount));
        std::vector<uint32_t> typeSlots;
        for (int32_t type = 0; type < typeCount; ++type) {
            typeSlots.push_back(Reserve());
        }
        for (int32_t type = 0; type < typeCount; ++type) {
            std::vector<const EventSpec*> ofType;
            for (const EventSpec& event : object.events) {
                if (event.type == type) {
                    ofType.push_back(&event);
                }
            }
            Patch(typeSlots[static_cast<size_t>(type)], Here());
            U32(static_cast<uint32_t>(ofType.size()));
            std::vector<uint32_t> entrySlots;
            for (size_t i = 0; i < ofType.size(); ++i) {
                entrySlots.push_back(Reserve());
            }
            for (size_t i = 0; i < ofType.size(); ++i) {
                Patch(entrySlots[i], Here());
                Label(index, "number", Here());
                U32(ofType[i]->number);
                Label(index, "actionList", Here());
                U32(1);
                Label(index, "actionOffset", Here());
                U32(Here() + 4);
                const uint32_t action = Here();
                Label(index, "action", action);
                for (int word = 0; word < 16; ++word) {
                    U32(word == 8 ? 0xFFFFFFFFu : 0);  // no code entry: the text is the code
                }
                Label(index, "text", action + 60);
                Patch(action + 60, Text(ofType[i]->text));
            }
        }
    }

    std::map<std::string, uint32_t> labels;
};

}  // namespace bw::test
