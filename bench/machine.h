// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// What machine a figure comes from, and how busy it was while measuring.
#pragma once

#include <string>

struct MachineInfo {
    int cores = 0;          // online processors, as nproc counts them
    std::string cpuModel;   // "model name" of /proc/cpuinfo
    std::string kernel;     // uname release
    double loadAverage = 0; // 1-minute load average when asked
};

MachineInfo DescribeMachine();
double LoadAverage(); // the 1-minute figure of /proc/loadavg, or -1
