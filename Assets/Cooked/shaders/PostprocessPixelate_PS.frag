// Pixelates the source: the target is cut into squares of qelPixelSize pixels from its
// bottom-left corner, and each square takes the colour at its centre (the centre of the part
// inside the target for the squares cut by the right and top edges).
in vec2 vUV;

layout(location = 0) out vec4 qelOut;

void main()
{
    vec2 renderSize = max(vec2(float(qelPixelateWidth), float(qelPixelateHeight)), vec2(1.0));
    float size = max(qelPixelSize, 1.0);
    vec2 cellStart = floor(gl_FragCoord.xy / size) * size;
    vec2 cellEnd = min(cellStart + size, renderSize);
    // On a pixel centre, so a source of the target's size gives exactly one texel.
    vec2 centre = floor((cellStart + cellEnd) * 0.5) + 0.5;
    qelOut = texture(qelSource, centre / renderSize);
}
