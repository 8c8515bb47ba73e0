// Maps linear high-range colour into 0..1 with the ACES filmic curve (Narkowicz's fit): a gentle
// toe, mid-grey 0.18 near 0.27, 1.0 near 0.8, and highlights that roll off towards white, which
// they reach at about 7. Each channel maps on its own; alpha passes through.
in vec2 vUV;

layout(location = 0) out vec4 qelOut;

vec3 AcesFilmic(vec3 aColor)
{
    vec3 x = max(aColor, vec3(0.0));
    return clamp((x * (2.51 * x + 0.03)) / (x * (2.43 * x + 0.59) + 0.14), 0.0, 1.0);
}

void main()
{
    vec4 source = texture(qelSource, vUV);
    qelOut = vec4(AcesFilmic(source.rgb), source.a);
}
