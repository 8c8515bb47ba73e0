// Skinned model meshes: four bone influences from the 128-matrix bone block, on the GPU.
layout(location = 0) in vec4 inPosition;
layout(location = 1) in vec4 inColor0;
layout(location = 5) in vec2 inUV0;
layout(location = 9) in vec3 inNormal;
layout(location = 10) in vec3 inTangent;
layout(location = 11) in vec3 inBinormal;
layout(location = 12) in vec4 inBones;
layout(location = 13) in vec4 inWeights;

out vec2 vUV;
out vec4 vColor;
out vec3 vNormal;
out vec3 vTangent;
out vec3 vBinormal;
out vec3 vWorldPosition;

void main()
{
    vec4 position = vec4(inPosition.xyz, 1.0);
    vec3 normal = inNormal;
    vec3 tangent = inTangent;
    vec3 binormal = inBinormal;
    // Up to four influences; a vertex without weights stays where the mesh put it.
    float weightSum = inWeights.x + inWeights.y + inWeights.z + inWeights.w;
    if (weightSum > 0.0)
    {
        mat4 skin = qelBones[min(int(inBones.x), 127)] * inWeights.x + qelBones[min(int(inBones.y), 127)] * inWeights.y +
                    qelBones[min(int(inBones.z), 127)] * inWeights.z + qelBones[min(int(inBones.w), 127)] * inWeights.w;
        position = vec4((position * skin).xyz, 1.0);
        mat3 skin3 = mat3(skin);
        normal = normal * skin3;
        tangent = tangent * skin3;
        binormal = binormal * skin3;
    }
    vec4 world = position * qelWorld;
    gl_Position = qelToClip(world * qelView * qelProjection);
    mat3 world3 = mat3(qelWorld);
    vUV = inUV0;
    vColor = inColor0;
    vNormal = normalize(normal * world3);
    vTangent = tangent * world3;
    vBinormal = binormal * world3;
    vWorldPosition = world.xyz;
}
