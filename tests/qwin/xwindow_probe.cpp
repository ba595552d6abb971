// X11 probe for the Xvfb test: looks at and pokes the qwin window from outside.
//   compare WID PNG   the window's 640 x 400 client area equals the PNG (exit 0)
//   scribble WID      paint over the window without telling it (no expose)
//   cover WID         map a window over it, then take it away (expose)
//   delete WID        ask the window to close, as a close box does
//   size WID          print the window's width and height
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {
constexpr int width = 640;
constexpr int height = 400;

int compare(Display* display, Window window, const char* path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path)) {
        std::fprintf(stderr, "cannot read %s\n", path);
        return 2;
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
    if (image.width != width || image.height != height ||
        !png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
        std::fprintf(stderr, "%s is not a 640 x 400 picture\n", path);
        return 2;
    }
    XImage* shot = XGetImage(display, window, 0, 0, width, height, AllPlanes, ZPixmap);
    if (shot == nullptr) {
        std::fprintf(stderr, "cannot read the window\n");
        return 2;
    }
    long differ = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned long p = XGetPixel(shot, x, y);
            const unsigned char* want = &rgb[(y * width + x) * 3];
            const unsigned r = (p & shot->red_mask) >> 16;
            const unsigned g = (p & shot->green_mask) >> 8;
            const unsigned b = p & shot->blue_mask;
            if (r != want[0] || g != want[1] || b != want[2]) {
                if (differ < 5)
                    std::fprintf(stderr, "(%d,%d) window %02x%02x%02x picture %02x%02x%02x\n", x, y, r, g, b,
                                 want[0], want[1], want[2]);
                ++differ;
            }
        }
    XDestroyImage(shot);
    std::printf("%ld pixels differ\n", differ);
    return differ == 0 ? 0 : 1;
}

void scribble(Display* display, Window window)
{
    GC gc = XCreateGC(display, window, 0, nullptr);
    XSetForeground(display, gc, 0x123456);
    XFillRectangle(display, window, gc, 0, 0, width, height);
    XFreeGC(display, gc);
    XSync(display, False);
}

void cover(Display* display, Window window)
{
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = 0xFFFFFF;
    Window lid = XCreateWindow(display, DefaultRootWindow(display), x, y, width, height, 0, CopyFromParent,
                               InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(display, lid);
    XSync(display, False);
    usleep(200 * 1000);
    XDestroyWindow(display, lid);
    XSync(display, False);
}

void ask_to_close(Display* display, Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: xwindow_probe compare|scribble|cover|delete|size WID [PNG]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "no display\n");
        return 2;
    }
    const Window window = std::strtoul(argv[2], nullptr, 0);
    int status = 0;
    if (std::strcmp(argv[1], "compare") == 0 && argc == 4) {
        status = compare(display, window, argv[3]);
    } else if (std::strcmp(argv[1], "scribble") == 0) {
        scribble(display, window);
    } else if (std::strcmp(argv[1], "cover") == 0) {
        cover(display, window);
    } else if (std::strcmp(argv[1], "delete") == 0) {
        ask_to_close(display, window);
    } else if (std::strcmp(argv[1], "size") == 0) {
        XWindowAttributes attributes;
        XGetWindowAttributes(display, window, &attributes);
        std::printf("%d %d\n", attributes.width, attributes.height);
    } else {
        status = 2;
    }
    XCloseDisplay(display);
    return status;
}
