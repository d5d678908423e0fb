// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// A look at the X display the game draws on: where its window is and what it
// shows.  Lets the whole-game run see the title screen appear and follow the
// title menu's passes.  Without Xlib at build time every look fails.
#pragma once

#include <cstdint>
#include <string>

class XProbe {
  public:
    XProbe() = default;
    ~XProbe();
    XProbe(const XProbe&) = delete;
    XProbe& operator=(const XProbe&) = delete;

    static bool Available(); // built with Xlib

    bool Open(const std::string& display);
    void Close(); // before the server goes away, or Xlib ends the process
    bool IsOpen() const { return display_ != nullptr; }
    // Finds a mapped window of the given size; remembers where it lies.
    bool FindWindow(int width, int height);
    // Whether any pixel of the window found is not black.
    bool AnyLit();
    // A hash of the pixels of a rectangle of the window (window coordinates).
    std::uint64_t RegionHash(int x, int y, int w, int h);
    // Sets the server's resources (RESOURCE_MANAGER on the first screen's
    // root, as xrdb does), which programs read when they connect.
    bool SetResources(const std::string& resources);

  private:
    void* display_ = nullptr;
    unsigned long root_ = 0;
    int x_ = 0, y_ = 0, w_ = 0, h_ = 0;
    bool found_ = false;
};
