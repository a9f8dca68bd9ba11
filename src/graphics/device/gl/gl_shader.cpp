#include "graphics/device/gl/gl_shader.h"

#include "platform/console.h"

namespace bw {

namespace {

// Matrices arrive row-major for row vectors; uploaded untransposed, GL sees
// their transposes, so column-vector products give the same results.
// Output: Direct3D's window space (y down, pixel centres on integers, depth
// 0..1) mapped onto GL's, so every target is stored top row first.
constexpr const char* kVertexSource = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aColour;
layout(location = 3) in vec2 aTexCoord;

uniform mat4 uWorld;
uniform mat4 uView;
uniform mat4 uProjection;
uniform vec2 uHalfPixel;

uniform bool uLighting;
uniform vec4 uAmbient;
uniform vec4 uMaterialAmbient;
uniform vec4 uMaterialEmissive;
uniform int uLightType[8];
uniform vec3 uLightPosition[8];
uniform vec3 uLightDirection[8];
uniform vec4 uLightDiffuse[8];
uniform vec4 uLightAttenuation[8];

uniform bool uFogRange;
uniform bool uFogOnDepth;

out vec4 vColour;
flat out vec4 vColourFlat;
out vec2 vTexCoord;
out float vFogDistance;

vec4 Light(vec3 position, vec3 normal, vec4 diffuse)
{
    vec3 lit = uMaterialEmissive.rgb + uMaterialAmbient.rgb * uAmbient.rgb;
    for (int i = 0; i < 8; ++i) {
        if (uLightType[i] == 0) {
            continue;
        }
        vec3 toLight;
        float attenuation = 1.0;
        if (uLightType[i] == 3) {
            toLight = -normalize(uLightDirection[i]);
        } else {
            vec3 offset = uLightPosition[i] - position;
            float distance = length(offset);
            vec4 a = uLightAttenuation[i];
            if (distance > a.w) {
                continue;
            }
            toLight = distance > 0.0 ? offset / distance : vec3(0.0);
            attenuation = 1.0 / max(a.x + a.y * distance + a.z * distance * distance, 1e-6);
        }
        lit += diffuse.rgb * uLightDiffuse[i].rgb * max(dot(normal, toLight), 0.0) * attenuation;
    }
    return vec4(clamp(lit, 0.0, 1.0), diffuse.a);
}

void main()
{
    vec4 world = uWorld * vec4(aPosition, 1.0);
    vec4 eye = uView * world;
    vec4 clip = uProjection * eye;
    vec4 colour = aColour;
    if (uLighting) {
        colour = Light(world.xyz, mat3(uWorld) * aNormal, aColour);
    }
    vColour = colour;
    vColourFlat = colour;
    vTexCoord = aTexCoord;
    // Table fog under a projection without perspective reads the depth.
    if (uFogRange) {
        vFogDistance = length(eye.xyz);
    } else {
        vFogDistance = uFogOnDepth ? clip.z / clip.w : eye.z;
    }
    gl_Position = vec4(clip.x + clip.w * uHalfPixel.x, -clip.y + clip.w * uHalfPixel.y, 2.0 * clip.z - clip.w, clip.w);
}
)";

constexpr const char* kFragmentSource = R"(#version 330 core
in vec4 vColour;
flat in vec4 vColourFlat;
in vec2 vTexCoord;
in float vFogDistance;

uniform bool uTextured;
uniform sampler2D uTexture;
uniform int uColourOp;
uniform int uColourArg1;
uniform int uColourArg2;
uniform int uAlphaOp;
uniform int uAlphaArg1;
uniform int uAlphaArg2;
uniform bool uFlat;
uniform bool uAlphaTest;
uniform int uAlphaFunc;
uniform int uAlphaRef;
uniform int uFogMode;
uniform vec4 uFogColour;
uniform float uFogStart;
uniform float uFogEnd;
uniform float uFogDensity;

out vec4 fragColour;

vec4 Argument(int argument, vec4 diffuse, vec4 texel)
{
    return argument == 2 ? texel : diffuse;
}

vec4 Combine(int op, vec4 first, vec4 second, vec4 diffuse)
{
    if (op == 2) {
        return first;
    }
    if (op == 3) {
        return second;
    }
    if (op == 4) {
        return first * second;
    }
    return diffuse;
}

bool Passes(int alpha)
{
    switch (uAlphaFunc) {
    case 1: return false;
    case 2: return alpha < uAlphaRef;
    case 3: return alpha == uAlphaRef;
    case 4: return alpha <= uAlphaRef;
    case 5: return alpha > uAlphaRef;
    case 6: return alpha != uAlphaRef;
    case 7: return alpha >= uAlphaRef;
    default: return true;
    }
}

float FogFactor()
{
    float d = abs(vFogDistance);
    if (uFogMode == 1) {
        return exp(-uFogDensity * d);
    }
    if (uFogMode == 2) {
        return exp(-(uFogDensity * d) * (uFogDensity * d));
    }
    if (uFogEnd == uFogStart) {
        return d < uFogEnd ? 1.0 : 0.0;
    }
    return (uFogEnd - d) / (uFogEnd - uFogStart);
}

void main()
{
    vec4 diffuse = uFlat ? vColourFlat : vColour;
    // A stage without a texture reads white, so untextured drawing shows
    // the vertex colour.
    vec4 texel = uTextured ? texture(uTexture, vTexCoord) : vec4(1.0);
    vec3 rgb = Combine(uColourOp, Argument(uColourArg1, diffuse, texel), Argument(uColourArg2, diffuse, texel),
                       diffuse).rgb;
    float alpha = Combine(uAlphaOp, Argument(uAlphaArg1, diffuse, texel), Argument(uAlphaArg2, diffuse, texel),
                          diffuse).a;
    if (uAlphaTest && !Passes(int(floor(clamp(alpha, 0.0, 1.0) * 255.0 + 0.5)))) {
        discard;
    }
    if (uFogMode != 0) {
        rgb = mix(uFogColour.rgb, rgb, clamp(FogFactor(), 0.0, 1.0));
    }
    fragColour = vec4(rgb, alpha);
}
)";

GLuint Compile(GLenum kind, const char* source)
{
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        char log[2048] = {};
        glGetShaderInfoLog(shader, sizeof(log), nullptr, log);
        Console().Printf("GL shader: %s\n", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

bool GlProgram_Build(GlProgram& program)
{
    const GLuint vertex = Compile(GL_VERTEX_SHADER, kVertexSource);
    const GLuint fragment = Compile(GL_FRAGMENT_SHADER, kFragmentSource);
    if (vertex == 0 || fragment == 0) {
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        return false;
    }
    program.program = glCreateProgram();
    glAttachShader(program.program, vertex);
    glAttachShader(program.program, fragment);
    glLinkProgram(program.program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(program.program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        char log[2048] = {};
        glGetProgramInfoLog(program.program, sizeof(log), nullptr, log);
        Console().Printf("GL program: %s\n", log);
        GlProgram_Release(program);
        return false;
    }
    const GLuint p = program.program;
    program.world = glGetUniformLocation(p, "uWorld");
    program.view = glGetUniformLocation(p, "uView");
    program.projection = glGetUniformLocation(p, "uProjection");
    program.halfPixel = glGetUniformLocation(p, "uHalfPixel");
    program.lighting = glGetUniformLocation(p, "uLighting");
    program.ambient = glGetUniformLocation(p, "uAmbient");
    program.materialAmbient = glGetUniformLocation(p, "uMaterialAmbient");
    program.materialEmissive = glGetUniformLocation(p, "uMaterialEmissive");
    program.lightType = glGetUniformLocation(p, "uLightType");
    program.lightPosition = glGetUniformLocation(p, "uLightPosition");
    program.lightDirection = glGetUniformLocation(p, "uLightDirection");
    program.lightDiffuse = glGetUniformLocation(p, "uLightDiffuse");
    program.lightAttenuation = glGetUniformLocation(p, "uLightAttenuation");
    program.textured = glGetUniformLocation(p, "uTextured");
    program.texture = glGetUniformLocation(p, "uTexture");
    program.colourOp = glGetUniformLocation(p, "uColourOp");
    program.colourArg1 = glGetUniformLocation(p, "uColourArg1");
    program.colourArg2 = glGetUniformLocation(p, "uColourArg2");
    program.alphaOp = glGetUniformLocation(p, "uAlphaOp");
    program.alphaArg1 = glGetUniformLocation(p, "uAlphaArg1");
    program.alphaArg2 = glGetUniformLocation(p, "uAlphaArg2");
    program.flat = glGetUniformLocation(p, "uFlat");
    program.alphaTest = glGetUniformLocation(p, "uAlphaTest");
    program.alphaFunc = glGetUniformLocation(p, "uAlphaFunc");
    program.alphaRef = glGetUniformLocation(p, "uAlphaRef");
    program.fogMode = glGetUniformLocation(p, "uFogMode");
    program.fogRange = glGetUniformLocation(p, "uFogRange");
    program.fogOnDepth = glGetUniformLocation(p, "uFogOnDepth");
    program.fogColour = glGetUniformLocation(p, "uFogColour");
    program.fogStart = glGetUniformLocation(p, "uFogStart");
    program.fogEnd = glGetUniformLocation(p, "uFogEnd");
    program.fogDensity = glGetUniformLocation(p, "uFogDensity");
    return true;
}

void GlProgram_Release(GlProgram& program)
{
    if (program.program != 0) {
        glDeleteProgram(program.program);
    }
    program = GlProgram();
}

}  // namespace bw
