// The OpenGL 3.3 core back end of the graphics device. It needs the host
// window's GL context to be current; the host creates it, swaps it and sets
// its swap interval.
#pragma once

#include <memory>

#include "graphics/device/device.h"

namespace bw {

// Null when there is no GL context or it lacks what the device needs.
std::unique_ptr<IGraphicsDevice> GlDevice_Create(const DeviceParameters& parameters);

}  // namespace bw
