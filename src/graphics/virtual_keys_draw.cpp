#include "graphics/virtual_keys_draw.h"

#include <optional>

#include "graphics/device/device.h"
#include "graphics/screen.h"
#include "graphics/vertex_batch.h"
#include "world/input_virtual_keys.h"

namespace bw {

namespace {

constexpr float kKeyDepth = 0.5f;
constexpr uint32_t kKeyColour = 0xFFFFFFFF;

}  // namespace

void IO_VirtualKeys_Draw()
{
    std::optional<GuiProjectionScope> gui;
    for (int32_t index = 0; index < kVirtualKeyCount; ++index) {
        const VirtualKey* key = IO_VirtualKey_Get(index);
        if (key == nullptr || (key->flags & kVirtualKeyShown) == 0) {
            continue;
        }
        // The frame's last projection may be a view's: keys are placed in
        // GUI units over the window.
        if (!gui) {
            gui.emplace();
        }
        auto* v = reinterpret_cast<Vertex2DTex*>(
            GR_VB_AllocVerts(PrimitiveTriangleList, nullptr, sizeof(Vertex2DTex), 6));
        if (v == nullptr) {
            return;
        }
        const auto left = static_cast<float>(key->x), top = static_cast<float>(key->y);
        const auto right = static_cast<float>(key->right), bottom = static_cast<float>(key->bottom);
        const Vertex2DTex corners[4] = {{left, top, kKeyDepth, kKeyColour, 0.0f, 0.0f},
                                        {right, top, kKeyDepth, kKeyColour, 0.0f, 0.0f},
                                        {right, bottom, kKeyDepth, kKeyColour, 0.0f, 0.0f},
                                        {left, bottom, kKeyDepth, kKeyColour, 0.0f, 0.0f}};
        v[0] = corners[0];
        v[1] = corners[1];
        v[2] = corners[2];
        v[3] = corners[0];
        v[4] = corners[2];
        v[5] = corners[3];
    }
}

}  // namespace bw
