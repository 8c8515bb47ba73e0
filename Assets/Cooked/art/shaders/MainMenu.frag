// Menu frames and windows: the textured sprite with a slow breathing glow, faint drifting scan
// lines and a band of light that sweeps down the frame every four seconds. Alpha is the texture's.
in vec2 vUV;
in vec4 vColor;
in vec2 vQuadPosition;

layout(location = 0) out vec4 qelOut;

void main()
{
    vec4 color = texture(qelColor, vUV) * vColor;

    float pulse = 0.92 + 0.08 * sin(qelTotalTime * 2.0);
    float scanLines = 0.95 + 0.05 * sin(gl_FragCoord.y * 1.6 - qelTotalTime * 6.0);
    float sweep = fract(qelTotalTime * 0.25) * 1.6 - 0.3;
    float band = exp(-pow((vQuadPosition.y - sweep) * 16.0, 2.0));

    color.rgb *= pulse * scanLines;
    color.rgb += vec3(0.55, 0.8, 1.0) * band * 0.08;
    if (color.a < qelAlphaTestThreshold)
        discard;
    qelOut = color;
}
