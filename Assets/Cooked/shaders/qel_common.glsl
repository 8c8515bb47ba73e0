// Shared by every shader of the engine; the loader places it after "#version 330 core" and the
// QEL_VERTEX_SHADER / QEL_PIXEL_SHADER and QEL_DEPTH_REMAP defines, before the shader's own file.
//
// Blocks are std140 with row-major matrices, filled byte for byte from the engine's mirrors
// (graphics/ConstantBlocks.h). Matrices follow the row-vector convention: transform a point as
// `p * M`. Colours arrive linear; write linear colour out (the back buffer encodes to sRGB).
// Bindings are given by block and sampler name when the program links.

// Binding 0: once per frame.
layout(std140) uniform QelFrame
{
    vec2 qelRenderSize;   // pixels
    float qelTotalTime;   // seconds since start
    float qelDeltaTime;   // seconds
};

// Binding 1: the camera of the graphics state.
layout(std140, row_major) uniform QelCamera
{
    mat4 qelView;              // world to view
    mat4 qelCameraTransform;   // view to world
    mat4 qelProjection;
    mat4 qelInverseProjection;
    float qelNear;
    float qelFar;
};

struct QelPointLight
{
    vec4 positionPad;          // xyz
    vec4 color;                // linear rgb, a
    vec4 rangeIntensityPad;    // x range, y intensity
};

// Binding 2: lights and ambient colours.
layout(std140, row_major) uniform QelLights
{
    QelPointLight qelLights[8];
    uint qelLightCount;
    float qelLightScalar;
    vec4 qelFirstColor;    // linear
    vec4 qelSecondColor;   // linear
    mat4 qelLightMatrix;
};

// Binding 3: alpha test; fragments with alpha below the threshold are dropped.
layout(std140) uniform QelAlphaTest
{
    vec4 qelAlphaTestVector;
    float qelAlphaTestThreshold;
};

// Binding 4: the world matrix of one drawn object (model shaders).
layout(std140, row_major) uniform QelObject
{
    mat4 qelWorld;
};

// Binding 5: skinning palette (animated model shaders).
layout(std140, row_major) uniform QelBones
{
    mat4 qelBones[128];
};

// Binding 5: a sprite shader's custom values (SpriteShader::SetCustomValue).
layout(std140) uniform QelCustom
{
    vec4 qelCustomValues[8];
};

// Binding 13: the pixelate pass.
layout(std140) uniform QelPixelate
{
    float qelPixelSize;
    uint qelPixelateWidth;
    uint qelPixelateHeight;
    uint qelPixelateZero;
};

// Texture units. qelEnvironment and qelSource share unit 0 and never meet in one program.
uniform samplerCube qelEnvironment;   // 0: environment cube map of the graphics state
uniform sampler2D qelSource;          // 0: source of a full-screen pass
uniform sampler2D qelColor;           // 1: colour (albedo)
uniform sampler2D qelNormal;          // 2
uniform sampler2D qelMaterial;        // 3
uniform sampler2D qelEffects;         // 4

// Clip position from a position after the projection. The projections give Direct3D's clip depth
// 0..1; without GL clip control it is remapped to -1..1.
vec4 qelToClip(vec4 aPosition)
{
#if QEL_DEPTH_REMAP
    aPosition.z = 2.0 * aPosition.z - aPosition.w;
#endif
    return aPosition;
}

// Row-vector product with a matrix given as four row vectors (instance attributes).
vec4 qelMulRows(vec4 aPoint, vec4 aRow0, vec4 aRow1, vec4 aRow2, vec4 aRow3)
{
    return aPoint.x * aRow0 + aPoint.y * aRow1 + aPoint.z * aRow2 + aPoint.w * aRow3;
}
