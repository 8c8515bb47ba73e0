// The invulnerability flash: the model's lit colour pulses towards white several times a second.
in vec2 vUV;
in vec4 vColor;
in vec3 vNormal;
in vec3 vTangent;
in vec3 vBinormal;
in vec3 vWorldPosition;

layout(location = 0) out vec4 qelOut;

void main()
{
    vec4 albedo = texture(qelColor, vUV) * vColor;
    if (albedo.a < qelAlphaTestThreshold)
        discard;
    float wrap = dot(normalize(vNormal), normalize(vec3(-0.4, 0.8, -0.45))) * 0.5 + 0.5;
    vec3 lit = albedo.rgb * qelFirstColor.rgb * (0.45 + 0.55 * wrap);
    float pulse = 0.5 + 0.5 * sin(qelTotalTime * 40.0);
    qelOut = vec4(mix(lit, vec3(1.0), pulse * 0.8), albedo.a);
}
