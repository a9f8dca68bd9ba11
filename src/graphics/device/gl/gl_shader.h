// The programs of the GL device: Direct3D 9's fixed-function pipeline
// (transforms, eight lights with the material taken from the vertex colour,
// texture stage 0, flat or smooth colour, alpha test, fog) as vertex and
// fragment shaders. One program is generated for each combination of the
// render states that change the code, so a draw runs only the code its
// states need: a software rasteriser pays for every branch on every pixel.
// The values inside those states (matrices, lights, reference alpha, fog
// colour and distances) stay uniforms.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>

#include "platform/maths.h"

namespace bw {

// Attribute locations of the vertex formats.
inline constexpr GLuint kAttributePosition = 0, kAttributeNormal = 1, kAttributeColour = 2, kAttributeTexCoord = 3;

// The render states a program is made for, normalised so that states which
// draw alike share one program (see GlProgramKey_Normalise).
struct GlProgramKey {
    bool textured = false;
    bool lighting = false;
    bool flat = false;
    uint32_t colourOp = 0;  // 2 first argument, 3 second, 4 their product, 0 the diffuse colour
    bool colourArg1Texture = false;
    bool colourArg2Texture = false;
    uint32_t alphaOp = 0;  // as colourOp
    bool alphaArg1Texture = false;
    bool alphaArg2Texture = false;
    uint32_t alphaFunc = 8;   // a compare function; 8 (always) when the alpha test is off
    uint32_t fogMode = 0;     // 0 none, 1 exp, 2 exp2, 3 linear
    bool fogRange = false;    // fog over the eye distance
    bool fogOnDepth = false;  // fog over the depth (no perspective)
};

// Maps the values that draw alike onto one: unknown operations to 0, an
// unknown compare function to 8, any other fog mode to linear, and the fog
// distance flags to false when there is no fog.
GlProgramKey GlProgramKey_Normalise(GlProgramKey key);
// A number unique to each normalised key (its bits side by side).
uint32_t GlProgramKey_Pack(const GlProgramKey& key);

struct GlProgram {
    GLuint program = 0;
    GLint world = -1, view = -1, projection = -1;
    GLint halfPixel = -1;
    GLint normalMatrix = -1, ambient = -1, materialAmbient = -1, materialEmissive = -1;
    GLint lightType = -1, lightPosition = -1, lightDirection = -1, lightDiffuse = -1, lightAttenuation = -1;
    GLint alphaRef = -1;
    GLint fogColour = -1, fogStart = -1, fogEnd = -1, fogDensity = -1;
};

// Generates, compiles and links the program of a normalised key; false
// (with the log on the console) when the driver refuses it.
bool GlProgram_Build(const GlProgramKey& key, GlProgram& program);
void GlProgram_Release(GlProgram& program);

// What the lighting program turns normals with: the inverse transpose of the
// world's 3 x 3, row-major, so uploaded untransposed it turns GL's column
// vectors as the device turns its row vectors. Normals keep the length it
// gives them (a world scaled by 2 halves the light), and a world that
// flattens everything leaves no normal at all.
void GlNormalMatrix(const Matrix& world, float out[9]);

}  // namespace bw
