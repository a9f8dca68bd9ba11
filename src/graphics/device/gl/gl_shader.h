// The one program of the GL device: Direct3D 9's fixed-function pipeline as
// a vertex and a fragment shader driven by uniforms (transforms, eight
// lights with the material taken from the vertex colour, texture stage 0,
// flat or smooth colour, alpha test, fog).
#pragma once

#include <epoxy/gl.h>

namespace bw {

// Attribute locations of the vertex formats.
inline constexpr GLuint kAttributePosition = 0, kAttributeNormal = 1, kAttributeColour = 2, kAttributeTexCoord = 3;

struct GlProgram {
    GLuint program = 0;
    GLint world = -1, view = -1, projection = -1;
    GLint halfPixel = -1;
    GLint lighting = -1, ambient = -1, materialAmbient = -1, materialEmissive = -1;
    GLint lightType = -1, lightPosition = -1, lightDirection = -1, lightDiffuse = -1, lightAttenuation = -1;
    GLint textured = -1, texture = -1;
    GLint colourOp = -1, colourArg1 = -1, colourArg2 = -1, alphaOp = -1, alphaArg1 = -1, alphaArg2 = -1;
    GLint flat = -1;
    GLint alphaTest = -1, alphaFunc = -1, alphaRef = -1;
    GLint fogMode = -1, fogRange = -1, fogOnDepth = -1, fogColour = -1, fogStart = -1, fogEnd = -1, fogDensity = -1;
};

// Compiles and links the program; false (with the log on the console) when
// the driver refuses it.
bool GlProgram_Build(GlProgram& program);
void GlProgram_Release(GlProgram& program);

}  // namespace bw
