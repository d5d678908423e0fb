// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// A small window on the X server for the whole-game figures: finds the game's
// window and tells when it first shows something.
#include "bench/x_display.h"

#ifdef NOVAWING_BENCH_HAVE_X11

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

Display* AsDisplay(void* d) {
    return static_cast<Display*>(d);
}

// Windows come and go while the probe looks (sdl12-compat may replace the
// game's first window with another), so a request about a window that has
// just gone fails; Xlib's default handler would end the benchmark for it.
// The failed call's result is ignored instead and the search goes on.
int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

// Depth-first search for a viewable window of exactly w x h.
bool Search(Display* display, Window window, int w, int h, Window& found) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable &&
        attributes.width == w && attributes.height == h) {
        found = window;
        return true;
    }
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return false;
    bool hit = false;
    for (unsigned int i = 0; i < count && !hit; ++i)
        hit = Search(display, children[i], w, h, found);
    if (children) XFree(children);
    return hit;
}

} // namespace

XProbe::~XProbe() {
    Close();
}

void XProbe::Close() {
    if (display_) XCloseDisplay(AsDisplay(display_));
    display_ = nullptr;
    found_ = false;
}

bool XProbe::Available() {
    return true;
}

bool XProbe::Open(const std::string& display) {
    display_ = XOpenDisplay(display.c_str());
    if (!display_) return false;
    XSetErrorHandler(IgnoreXError);
    root_ = DefaultRootWindow(AsDisplay(display_));
    return true;
}

bool XProbe::FindWindow(int width, int height) {
    if (!display_) return false;
    Display* display = AsDisplay(display_);
    Window window = 0;
    Window root = static_cast<Window>(root_);
    // The root itself may have the size asked for; only its children count.
    Window rootReturn = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    bool hit = false;
    if (XQueryTree(display, root, &rootReturn, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && !hit; ++i)
            hit = Search(display, children[i], width, height, window);
        if (children) XFree(children);
    }
    if (!hit) return false;
    Window child = 0;
    XTranslateCoordinates(display, window, root, 0, 0, &x_, &y_, &child);
    w_ = width;
    h_ = height;
    found_ = true;
    return true;
}

bool XProbe::AnyLit() {
    if (!found_) return false;
    Display* display = AsDisplay(display_);
    // Read from the root: the screen as shown, whatever window holds it.
    XImage* image =
        XGetImage(display, static_cast<Window>(root_), x_, y_, static_cast<unsigned>(w_),
                  static_cast<unsigned>(h_), AllPlanes, ZPixmap);
    if (!image) return false;
    bool lit = false;
    for (int y = 0; y < h_ && !lit; y += 2)
        for (int x = 0; x < w_ && !lit; x += 2)
            lit = (XGetPixel(image, x, y) & 0xFFFFFFul) != 0;
    XDestroyImage(image);
    return lit;
}

std::uint64_t XProbe::RegionHash(int x, int y, int w, int h) {
    if (!found_) return 0;
    Display* display = AsDisplay(display_);
    XImage* image =
        XGetImage(display, static_cast<Window>(root_), x_ + x, y_ + y, static_cast<unsigned>(w),
                  static_cast<unsigned>(h), AllPlanes, ZPixmap);
    if (!image) return 0;
    std::uint64_t hash = 1469598103934665603ull; // FNV-1a
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col) {
            hash ^= XGetPixel(image, col, row) & 0xFFFFFFul;
            hash *= 1099511628211ull;
        }
    XDestroyImage(image);
    return hash;
}

bool XProbe::SetResources(const std::string& resources) {
    if (!display_) return false;
    Display* display = AsDisplay(display_);
    XChangeProperty(display, RootWindow(display, 0), XA_RESOURCE_MANAGER, XA_STRING, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(resources.data()),
                    static_cast<int>(resources.size()));
    XSync(display, False);
    return true;
}

#else // no Xlib: nothing can be seen

XProbe::~XProbe() = default;
bool XProbe::Available() {
    return false;
}
bool XProbe::Open(const std::string&) {
    return false;
}
bool XProbe::FindWindow(int, int) {
    return false;
}
bool XProbe::AnyLit() {
    return false;
}
std::uint64_t XProbe::RegionHash(int, int, int, int) {
    return 0;
}
bool XProbe::SetResources(const std::string&) {
    return false;
}

#endif
