// Saves the X display's root window as a PNG and prints a coarse signature of the picture (the
// mean brightness of an 8 x 8 grid of cells), so scripts can tell one screen from another.
// Usage: xshot <output.png> ("-": the signature only). Exits 2 without a display, 1 when the file cannot be written.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <string>
#include <vector>

int main(int aArgc, char** aArgv)
{
    if (aArgc != 2)
    {
        std::fprintf(stderr, "usage: xshot <output.png>\n");
        return 1;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 2;
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, root, &attributes);
    const int width = attributes.width, height = attributes.height;
    XImage* image = XGetImage(display, root, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image)
        return 2;
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    double cells[64] = {};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const unsigned long pixel = XGetPixel(image, x, y);
            unsigned char* out = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            out[0] = static_cast<unsigned char>((pixel & image->red_mask) >> 16);
            out[1] = static_cast<unsigned char>((pixel & image->green_mask) >> 8);
            out[2] = static_cast<unsigned char>(pixel & image->blue_mask);
            cells[(y * 8 / height) * 8 + x * 8 / width] += (out[0] + out[1] + out[2]) / 3.0;
        }
    XDestroyImage(image);
    XCloseDisplay(display);
    const double cellPixels = (width / 8.0) * (height / 8.0);
    for (double cell : cells)
        std::printf("%d ", static_cast<int>(cell / cellPixels));
    std::printf("\n");
    if (std::string(aArgv[1]) == "-")
        return 0;
    stbi_write_png_compression_level = 4;
    return stbi_write_png(aArgv[1], width, height, 3, rgb.data(), width * 3) ? 0 : 1;
}
