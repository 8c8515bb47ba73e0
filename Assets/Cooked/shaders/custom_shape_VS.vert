// Triangles of a custom shape: positions through the shape's world matrix and the graphics
// state's camera; colour and uv per vertex.
layout(std140, row_major) uniform QelShape_b6
{
    mat4 qelShapeWorld;
};

layout(location = 0) in vec3 inPosition;
layout(location = 1) in vec4 inColor;   // linear rgb, a
layout(location = 2) in vec2 inUV;

out vec4 vColor;
out vec2 vUV;

void main()
{
    vColor = inColor;
    vUV = inUV;
    gl_Position = qelToClip(vec4(inPosition, 1.0) * qelShapeWorld * qelView * qelProjection);
}
