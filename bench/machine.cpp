// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// What the benchmark ran on: processor, cores, kernel and load average.
#include "bench/machine.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

double LoadAverage() {
    double one = -1.0;
    if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf", &one) != 1) one = -1.0;
        std::fclose(f);
    }
    return one;
}

MachineInfo DescribeMachine() {
    MachineInfo m;
    m.cores = static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN));
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("model name", 0) != 0) continue;
        std::size_t colon = line.find(':');
        if (colon != std::string::npos)
            m.cpuModel = line.substr(line.find_first_not_of(' ', colon + 1));
        break;
    }
    struct utsname u {};
    if (uname(&u) == 0) m.kernel = u.release;
    m.loadAverage = LoadAverage();
    return m;
}
