#include "graphics/device/device.h"

#include "graphics/device/gl/gl_device.h"

namespace bw {

namespace {

std::unique_ptr<IGraphicsDevice> g_device;
DeviceFactory g_factory = &GlDevice_Create;

}  // namespace

uint32_t Fvf_VertexSize(uint32_t fvf)
{
    uint32_t size = 0;
    if ((fvf & kFvfXyzw) == kFvfXyzw) {
        size += 16;
    } else if ((fvf & kFvfXyz) != 0) {
        size += 12;
    } else if ((fvf & kFvfXyzRhw) != 0) {
        size += 16;
    }
    if ((fvf & kFvfNormal) != 0) {
        size += 12;
    }
    if ((fvf & kFvfDiffuse) != 0) {
        size += 4;
    }
    if ((fvf & kFvfTex1) != 0) {
        size += 8;
    }
    return size;
}

uint32_t Primitive_CountFromVertices(int32_t type, uint32_t vertices)
{
    switch (type) {
    case PrimitivePointList:
        return vertices;
    case PrimitiveLineList:
        return vertices / 2;
    case PrimitiveLineStrip:
        return vertices >= 1 ? vertices - 1 : 0;
    case PrimitiveTriangleList:
        return vertices / 3;
    case PrimitiveTriangleStrip:
    case PrimitiveTriangleFan:
        return vertices >= 2 ? vertices - 2 : 0;
    default:
        return 0;
    }
}

uint32_t Primitive_VerticesFromCount(int32_t type, uint32_t primitives)
{
    if (primitives == 0) {
        return 0;
    }
    switch (type) {
    case PrimitivePointList:
        return primitives;
    case PrimitiveLineList:
        return primitives * 2;
    case PrimitiveLineStrip:
        return primitives + 1;
    case PrimitiveTriangleList:
        return primitives * 3;
    case PrimitiveTriangleStrip:
    case PrimitiveTriangleFan:
        return primitives + 2;
    default:
        return 0;
    }
}

IGraphicsDevice* Device_Get()
{
    return g_device.get();
}

std::unique_ptr<IGraphicsDevice> Device_Set(std::unique_ptr<IGraphicsDevice> device)
{
    std::swap(g_device, device);
    return device;
}

void Device_SetFactory(DeviceFactory factory)
{
    g_factory = factory;
}

DeviceFactory Device_GetFactory()
{
    return g_factory;
}

}  // namespace bw
