// Vertex colour times the shape's texture (white when it has none), with the graphics state's
// alpha test.
in vec4 vColor;
in vec2 vUV;

layout(location = 0) out vec4 qelOut;

void main()
{
    vec4 color = texture(qelColor, vUV) * vColor;
    if (color.a < qelAlphaTestThreshold)
        discard;
    qelOut = color;
}
