// Copies the source onto the target, scaled to fit; linear colour in, linear colour out.
in vec2 vUV;

layout(location = 0) out vec4 qelOut;

void main()
{
    qelOut = texture(qelSource, vUV);
}
