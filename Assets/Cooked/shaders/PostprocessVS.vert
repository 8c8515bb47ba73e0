// Full-screen passes: one triangle that covers the whole target, made from the vertex index
// alone (no vertex buffers). Corners (-1, -1), (-1, 3), (3, -1), clockwise like every front face.
// The uv runs 0..1 over the target, bottom-up like the render textures the passes read.
out vec2 vUV;

void main()
{
    vec2 position = vec2(float((gl_VertexID & 2) * 2 - 1), float((gl_VertexID & 1) * 4 - 1));
    vUV = position * 0.5 + 0.5;
    gl_Position = vec4(position, 0.0, 1.0);
}
