// Static model meshes: the 180-byte model vertex, world matrix of the object block.
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
    // Static: the bone block is not read.
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
