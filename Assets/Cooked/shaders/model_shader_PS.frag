// The default model look: albedo x vertex colour with soft wrap-around key lighting, so unlit
// scenes still show form.
in vec2 vUV;
in vec4 vColor;
in vec3 vNormal;
in vec3 vTangent;
in vec3 vBinormal;
in vec3 vWorldPosition;

layout(location = 0) out vec4 qelOut;

// The key light comes from above, to the left and in front, turned by the light matrix; the first
// colour is its colour, the second colour adds to the ambient, the light scalar raises both.
vec3 KeyLightDirection()
{
    vec3 direction = (vec4(-0.4, 0.8, -0.45, 0.0) * qelLightMatrix).xyz;
    return length(direction) > 0.0 ? normalize(direction) : vec3(0.0, 1.0, 0.0);
}

vec3 PointLights(vec3 aNormal, vec3 aPosition)
{
    vec3 sum = vec3(0.0);
    for (uint i = 0u; i < qelLightCount && i < 8u; ++i)
    {
        vec3 toLight = qelLights[i].positionPad.xyz - aPosition;
        float range = max(qelLights[i].rangeIntensityPad.x, 0.0001);
        float distance = length(toLight);
        float falloff = clamp(1.0 - distance / range, 0.0, 1.0);
        float lambert = max(dot(aNormal, toLight / max(distance, 0.0001)), 0.0);
        sum += qelLights[i].color.rgb * qelLights[i].rangeIntensityPad.y * lambert * falloff * falloff;
    }
    return sum;
}

void main()
{
    vec4 albedo = texture(qelColor, vUV) * vColor;
    if (albedo.a < qelAlphaTestThreshold)
        discard;
    vec3 normal = normalize(vNormal);
    float wrap = dot(normal, KeyLightDirection()) * 0.5 + 0.5;
    vec3 light = qelFirstColor.rgb * (0.45 + 0.55 * wrap) * (1.0 + qelLightScalar) + qelSecondColor.rgb +
                 PointLights(normal, vWorldPosition);
    qelOut = vec4(albedo.rgb * light + albedo.rgb * texture(qelEffects, vUV).rgb, albedo.a);
}
