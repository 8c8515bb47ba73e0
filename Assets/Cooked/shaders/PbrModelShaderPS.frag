// Physically based lighting (GGX specular, Lambert diffuse). Normal map in tangent space; the
// material map holds metalness (r) and roughness (g); the effects map's colour is emitted.
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

const float PI = 3.14159265;

vec3 Brdf(vec3 aNormal, vec3 aView, vec3 aLight, vec3 aAlbedo, float aMetal, float aRoughness)
{
    vec3 halfway = normalize(aView + aLight);
    float nl = max(dot(aNormal, aLight), 0.0);
    float nv = max(dot(aNormal, aView), 0.0001);
    float nh = max(dot(aNormal, halfway), 0.0);
    float a = max(aRoughness * aRoughness, 0.002);
    float a2 = a * a;
    float d = a2 / (PI * pow(nh * nh * (a2 - 1.0) + 1.0, 2.0));
    float k = (aRoughness + 1.0) * (aRoughness + 1.0) / 8.0;
    float g = (nl / (nl * (1.0 - k) + k)) * (nv / (nv * (1.0 - k) + k));
    vec3 f0 = mix(vec3(0.04), aAlbedo, aMetal);
    vec3 fresnel = f0 + (1.0 - f0) * pow(1.0 - max(dot(halfway, aView), 0.0), 5.0);
    vec3 specular = d * g * fresnel / max(4.0 * nl * nv, 0.0001);
    vec3 diffuse = (1.0 - fresnel) * (1.0 - aMetal) * aAlbedo / PI;
    return (diffuse + specular) * nl * PI;
}

void main()
{
    vec4 albedo = texture(qelColor, vUV) * vColor;
    if (albedo.a < qelAlphaTestThreshold)
        discard;
    vec3 mapped = texture(qelNormal, vUV).xyz * 2.0 - 1.0;
    vec3 normal = normalize(vNormal);
    if (length(vTangent) > 0.0 && length(vBinormal) > 0.0 && length(mapped) > 0.0)
        normal = normalize(mapped.x * normalize(vTangent) + mapped.y * normalize(vBinormal) + mapped.z * normal);
    vec4 material = texture(qelMaterial, vUV);
    float metal = clamp(material.r, 0.0, 1.0);
    float roughness = clamp(material.g, 0.05, 1.0);
    vec3 view = normalize(vec3(qelCameraTransform[0][3], qelCameraTransform[1][3], qelCameraTransform[2][3]) - vWorldPosition);
    float exposure = 1.0 + qelLightScalar;
    vec3 color = Brdf(normal, view, KeyLightDirection(), albedo.rgb, metal, roughness) * qelFirstColor.rgb * 0.75;
    color += albedo.rgb * (qelFirstColor.rgb * 0.35 + qelSecondColor.rgb) * (1.0 - metal * 0.5);
    color = color * exposure + albedo.rgb * PointLights(normal, vWorldPosition);
    qelOut = vec4(color + texture(qelEffects, vUV).rgb, albedo.a);
}
