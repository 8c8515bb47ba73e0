// Lines in world space (the line drawer has already applied the state's world transform), seen
// through the graphics state's camera.
layout(location = 0) in vec3 inPosition;
layout(location = 1) in vec4 inColor;   // linear rgb, a

out vec4 vColor;

void main()
{
    vColor = inColor;
    gl_Position = qelToClip(vec4(inPosition, 1.0) * qelView * qelProjection);
}
