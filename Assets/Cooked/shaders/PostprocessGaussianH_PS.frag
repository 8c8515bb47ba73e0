// One horizontal (along x) pass of a separable Gaussian blur (sigma 3 pixels of the source, 17 taps). Run
// both directions for the full blur. Reads are clamped to the source's edge texels, so the blur
// never wraps to the far side whatever the sampler's address mode.
in vec2 vUV;

layout(location = 0) out vec4 qelOut;

const vec2 DIRECTION = vec2(1.0, 0.0);
const int RADIUS = 8;
const float SIGMA = 3.0;

void main()
{
    vec2 texel = 1.0 / vec2(textureSize(qelSource, 0));
    vec2 lowest = 0.5 * texel;
    vec2 highest = vec2(1.0) - 0.5 * texel;
    vec4 sum = vec4(0.0);
    float weights = 0.0;
    for (int i = -RADIUS; i <= RADIUS; ++i)
    {
        float offset = float(i);
        float weight = exp(-0.5 * offset * offset / (SIGMA * SIGMA));
        sum += weight * texture(qelSource, clamp(vUV + DIRECTION * offset * texel, lowest, highest));
        weights += weight;
    }
    qelOut = sum / weights;
}
