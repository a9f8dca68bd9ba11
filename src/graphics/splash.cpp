#include "graphics/splash.h"

#include "graphics/builtin_images.h"
#include "graphics/draw_textured.h"
#include "graphics/graphics_3d.h"
#include "graphics/transforms.h"
#include "graphics/vertex_batch.h"
#include "host/window.h"

namespace bw {

void Splash_DrawImage()
{
    static TextureRecord* const texture = EmbeddedImage_CreateTexture(kBuiltinSplash);
    if (texture == nullptr) {
        return;
    }
    int32_t width = 0, height = 0;
    HostWindow_GetClientSize(width, height);
    const auto w = static_cast<float>(width), h = static_cast<float>(height);
    GR_3D_Set(false);
    GR_SetViewport(0, 0, width, height);
    GR_SetViewProjection(0.0f, 0.0f, w, h, 0.0f);
    const QuadCorner corners[4] = {{0.0f, 0.0f}, {w, 0.0f}, {w, h}, {0.0f, h}};
    const uint32_t white[4] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    GR_EmitQuad(texture, corners, 0.0f, 0.0f, 1.0f, 1.0f, white);
    GR_VB_Flush();
}

}  // namespace bw
