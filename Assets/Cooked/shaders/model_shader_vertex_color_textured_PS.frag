// Texture times vertex colour, with the graphics state's alpha test.
in vec2 vUV;
in vec4 vColor;

layout(location = 0) out vec4 qelOut;

void main()
{
    vec4 color = texture(qelColor, vUV) * vColor;
    if (color.a < qelAlphaTestThreshold)
        discard;
    qelOut = color;
}
