#include "graphics/device/gl/gl_shader.h"

#include <string>

#include "platform/console.h"

namespace bw {

namespace {

// Both stages are written once with preprocessor switches; a key becomes
// the #defines in front of them.

// Matrices arrive row-major for row vectors; uploaded untransposed, GL sees
// their transposes, so column-vector products give the same results.
// Output: Direct3D's window space (y down, pixel centres on integers, depth
// 0..1) mapped onto GL's, so every target is stored top row first.
constexpr const char* kVertexSource = R"(
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aColour;
layout(location = 3) in vec2 aTexCoord;

uniform mat4 uWorld;
uniform mat4 uView;
uniform mat4 uProjection;
uniform vec2 uHalfPixel;

#if FLAT
flat out vec4 vColour;
#else
out vec4 vColour;
#endif
#if TEXTURED
out vec2 vTexCoord;
#endif
#if FOG_MODE != 0
out float vFogDistance;
#endif

#if LIGHTING
uniform mat3 uNormalMatrix;
uniform vec4 uAmbient;
uniform vec4 uMaterialAmbient;
uniform vec4 uMaterialEmissive;
uniform int uLightType[8];
uniform vec3 uLightPosition[8];
uniform vec3 uLightDirection[8];
uniform vec4 uLightDiffuse[8];
uniform vec4 uLightAttenuation[8];

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
#endif

void main()
{
    vec4 world = uWorld * vec4(aPosition, 1.0);
    vec4 eye = uView * world;
    vec4 clip = uProjection * eye;
#if LIGHTING
    vColour = Light(world.xyz, uNormalMatrix * aNormal, aColour);
#else
    vColour = aColour;
#endif
#if TEXTURED
    vTexCoord = aTexCoord;
#endif
    // Table fog under a projection without perspective reads the depth.
#if FOG_MODE != 0 && FOG_RANGE
    vFogDistance = length(eye.xyz);
#elif FOG_MODE != 0 && FOG_ON_DEPTH
    vFogDistance = clip.z / clip.w;
#elif FOG_MODE != 0
    vFogDistance = eye.z;
#endif
    gl_Position = vec4(clip.x + clip.w * uHalfPixel.x, -clip.y + clip.w * uHalfPixel.y, 2.0 * clip.z - clip.w, clip.w);
}
)";

// COLOUR and ALPHA are the stage's operations on `texel` and `diffuse`;
// ALPHA_PASSES(alpha) compares with the reference alpha.
constexpr const char* kFragmentSource = R"(
#if FLAT
flat in vec4 vColour;
#else
in vec4 vColour;
#endif
#if TEXTURED
in vec2 vTexCoord;
uniform sampler2D uTexture;
#endif
#if FOG_MODE != 0
in float vFogDistance;
uniform vec4 uFogColour;
uniform float uFogStart;
uniform float uFogEnd;
uniform float uFogDensity;
#endif
#if ALPHA_FUNC != 8
uniform int uAlphaRef;
#endif

out vec4 fragColour;

#if FOG_MODE != 0
float FogFactor()
{
    float d = abs(vFogDistance);
#if FOG_MODE == 1
    return exp(-uFogDensity * d);
#elif FOG_MODE == 2
    return exp(-(uFogDensity * d) * (uFogDensity * d));
#else
    if (uFogEnd == uFogStart) {
        return d < uFogEnd ? 1.0 : 0.0;
    }
    return (uFogEnd - d) / (uFogEnd - uFogStart);
#endif
}
#endif

void main()
{
    vec4 diffuse = vColour;
    // A stage without a texture reads white, so untextured drawing shows
    // the vertex colour.
#if TEXTURED
    vec4 texel = texture(uTexture, vTexCoord);
#else
    vec4 texel = vec4(1.0);
#endif
    vec3 rgb = COLOUR.rgb;
    float alpha = ALPHA.a;
#if ALPHA_FUNC != 8
    if (!ALPHA_PASSES(int(floor(clamp(alpha, 0.0, 1.0) * 255.0 + 0.5)))) {
        discard;
    }
#endif
#if FOG_MODE != 0
    rgb = mix(uFogColour.rgb, rgb, clamp(FogFactor(), 0.0, 1.0));
#endif
    fragColour = vec4(rgb, alpha);
}
)";

bool KnownOp(uint32_t op)
{
    return op == 2 || op == 3 || op == 4;
}

// The test that keeps a fragment, for each compare function but always.
const char* AlphaPasses(uint32_t compare)
{
    switch (compare) {
    case 1:
        return "false";
    case 2:
        return "((a) < uAlphaRef)";
    case 3:
        return "((a) == uAlphaRef)";
    case 4:
        return "((a) <= uAlphaRef)";
    case 5:
        return "((a) > uAlphaRef)";
    case 6:
        return "((a) != uAlphaRef)";
    default:
        return "((a) >= uAlphaRef)";
    }
}

// What a stage operation gives, from the texel and the diffuse colour.
std::string Operation(uint32_t op, bool arg1Texture, bool arg2Texture)
{
    const std::string first = arg1Texture ? "texel" : "diffuse";
    const std::string second = arg2Texture ? "texel" : "diffuse";
    switch (op) {
    case 2:
        return first;
    case 3:
        return second;
    case 4:
        return "(" + first + " * " + second + ")";
    default:
        return "diffuse";
    }
}

std::string Defines(const GlProgramKey& key)
{
    const auto flag = [](bool on) { return on ? "1" : "0"; };
    std::string text = "#version 330 core\n";
    const auto define = [&text](const char* name, const std::string& value) {
        text += "#define ";
        text += name;
        text += " ";
        text += value;
        text += "\n";
    };
    define("TEXTURED", flag(key.textured));
    define("LIGHTING", flag(key.lighting));
    define("FLAT", flag(key.flat));
    define("COLOUR", Operation(key.colourOp, key.colourArg1Texture, key.colourArg2Texture));
    define("ALPHA", Operation(key.alphaOp, key.alphaArg1Texture, key.alphaArg2Texture));
    define("ALPHA_FUNC", std::to_string(key.alphaFunc));
    define("ALPHA_PASSES(a)", AlphaPasses(key.alphaFunc));
    define("FOG_MODE", std::to_string(key.fogMode));
    define("FOG_RANGE", flag(key.fogRange));
    define("FOG_ON_DEPTH", flag(key.fogOnDepth));
    return text;
}

GLuint Compile(GLenum kind, const std::string& defines, const char* body)
{
    const GLuint shader = glCreateShader(kind);
    const char* parts[2] = {defines.c_str(), body};
    glShaderSource(shader, 2, parts, nullptr);
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

GlProgramKey GlProgramKey_Normalise(GlProgramKey key)
{
    key.colourOp = KnownOp(key.colourOp) ? key.colourOp : 0;
    key.alphaOp = KnownOp(key.alphaOp) ? key.alphaOp : 0;
    key.alphaFunc = key.alphaFunc >= 1 && key.alphaFunc <= 7 ? key.alphaFunc : 8;
    key.fogMode = key.fogMode == 1 || key.fogMode == 2 || key.fogMode == 0 ? key.fogMode : 3;
    if (key.fogMode == 0) {
        key.fogRange = false;
        key.fogOnDepth = false;
    } else if (key.fogRange) {
        key.fogOnDepth = false;
    }
    return key;
}

uint32_t GlProgramKey_Pack(const GlProgramKey& key)
{
    // 3 bits per operation, 4 for the compare function, 2 for the fog mode,
    // one per flag.
    uint32_t bits = key.colourOp;
    bits = bits << 3 | key.alphaOp;
    bits = bits << 4 | key.alphaFunc;
    bits = bits << 2 | key.fogMode;
    const bool flags[] = {key.textured,          key.lighting,         key.flat,
                          key.colourArg1Texture, key.colourArg2Texture, key.alphaArg1Texture,
                          key.alphaArg2Texture,  key.fogRange,          key.fogOnDepth};
    for (bool flag : flags) {
        bits = bits << 1 | (flag ? 1u : 0u);
    }
    return bits;
}

bool GlProgram_Build(const GlProgramKey& key, GlProgram& program)
{
    const std::string defines = Defines(key);
    const GLuint vertex = Compile(GL_VERTEX_SHADER, defines, kVertexSource);
    const GLuint fragment = Compile(GL_FRAGMENT_SHADER, defines, kFragmentSource);
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
    // Names a variant leaves out read -1, which uploads ignore.
    const GLuint p = program.program;
    program.world = glGetUniformLocation(p, "uWorld");
    program.view = glGetUniformLocation(p, "uView");
    program.projection = glGetUniformLocation(p, "uProjection");
    program.halfPixel = glGetUniformLocation(p, "uHalfPixel");
    program.normalMatrix = glGetUniformLocation(p, "uNormalMatrix");
    program.ambient = glGetUniformLocation(p, "uAmbient");
    program.materialAmbient = glGetUniformLocation(p, "uMaterialAmbient");
    program.materialEmissive = glGetUniformLocation(p, "uMaterialEmissive");
    program.lightType = glGetUniformLocation(p, "uLightType");
    program.lightPosition = glGetUniformLocation(p, "uLightPosition");
    program.lightDirection = glGetUniformLocation(p, "uLightDirection");
    program.lightDiffuse = glGetUniformLocation(p, "uLightDiffuse");
    program.lightAttenuation = glGetUniformLocation(p, "uLightAttenuation");
    program.alphaRef = glGetUniformLocation(p, "uAlphaRef");
    program.fogColour = glGetUniformLocation(p, "uFogColour");
    program.fogStart = glGetUniformLocation(p, "uFogStart");
    program.fogEnd = glGetUniformLocation(p, "uFogEnd");
    program.fogDensity = glGetUniformLocation(p, "uFogDensity");
    glUseProgram(p);
    glUniform1i(glGetUniformLocation(p, "uTexture"), 0);
    return true;
}

void GlNormalMatrix(const Matrix& world, float out[9])
{
    // The rows of the cofactor matrix are cross products of the rows; the
    // inverse transpose is that matrix over the determinant.
    const Vector3 rows[3] = {{world.m[0], world.m[1], world.m[2]},
                             {world.m[4], world.m[5], world.m[6]},
                             {world.m[8], world.m[9], world.m[10]}};
    Vector3 cofactors[3];
    for (int row = 0; row < 3; ++row) {
        Vector3_Cross(cofactors[row], rows[(row + 1) % 3], rows[(row + 2) % 3]);
    }
    const float determinant = Vector3_Dot(rows[0], cofactors[0]);
    const float scale = determinant != 0.0f ? 1.0f / determinant : 0.0f;
    for (int row = 0; row < 3; ++row) {
        out[row * 3 + 0] = cofactors[row].x * scale;
        out[row * 3 + 1] = cofactors[row].y * scale;
        out[row * 3 + 2] = cofactors[row].z * scale;
    }
}

void GlProgram_Release(GlProgram& program)
{
    if (program.program != 0) {
        glDeleteProgram(program.program);
    }
    program = GlProgram();
}

}  // namespace bw
