// Instanced sprites: one quad corner per vertex (x 0..1, y -1..0), one sprite per instance.
layout(location = 0) in vec4 inCorner;
layout(location = 1) in uvec4 inCornerIndex;
layout(location = 2) in vec4 inWorld0;
layout(location = 3) in vec4 inWorld1;
layout(location = 4) in vec4 inWorld2;
layout(location = 5) in vec4 inWorld3;
layout(location = 6) in vec4 inColor;    // linear rgb, a
layout(location = 7) in vec4 inUVRect;   // u0, v0, u1, v1
layout(location = 8) in vec4 inExtra;    // extra values 1, 4, 3, 2

out vec2 vUV;
out vec4 vColor;
out vec4 vExtra;
out vec3 vWorldPosition;
// 0..1 across the quad, (0, 0) at the top-left corner.
out vec2 vQuadPosition;
flat out uint vCornerIndex;

void main()
{
    vec4 world = qelMulRows(inCorner, inWorld0, inWorld1, inWorld2, inWorld3);
    gl_Position = qelToClip(world * qelView * qelProjection);

    // The quad hangs below its top edge (y 0), so v grows downward like the texture's rows.
    vQuadPosition = vec2(inCorner.x, -inCorner.y);
    vUV = mix(inUVRect.xy, inUVRect.zw, vQuadPosition);
    vColor = inColor;
    vExtra = inExtra;
    vWorldPosition = world.xyz;
    vCornerIndex = inCornerIndex.x;
}
