// Flat line colour.
in vec4 vColor;

layout(location = 0) out vec4 qelOut;

void main()
{
    qelOut = vColor;
}
