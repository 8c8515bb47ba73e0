// The title logo: mostly still, with a slight colour fringe; in short bursts (a few times a minute)
// horizontal slices jump sideways and the red and blue channels split apart.
in vec2 vUV;
in vec4 vColor;
in vec2 vQuadPosition;

layout(location = 0) out vec4 qelOut;

float Hash(float aValue)
{
    return fract(sin(aValue * 12.9898) * 43758.5453);
}

void main()
{
    float step5 = floor(qelTotalTime * 5.0);
    float burst = step(0.94, Hash(step5));
    float slice = floor(vQuadPosition.y * 18.0);
    float jump = (Hash(slice * 7.31 + step5) - 0.5) * 0.06 * burst * step(0.5, Hash(slice + step5 * 3.7));
    float wobble = sin(qelTotalTime * 2.3 + vQuadPosition.y * 14.0) * 0.0015;
    vec2 uv = vUV + vec2(jump + wobble, 0.0);

    float split = 0.0025 + 0.012 * burst;
    vec4 center = texture(qelColor, uv);
    vec4 red = texture(qelColor, uv + vec2(split, 0.0));
    vec4 blue = texture(qelColor, uv - vec2(split, 0.0));

    vec4 color = vec4(red.r, center.g, blue.b, max(center.a, max(red.a, blue.a))) * vColor;
    if (color.a < qelAlphaTestThreshold)
        discard;
    qelOut = color;
}
