// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Order statistics of a run of timings.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

struct Summary {
    std::size_t count = 0;
    double median = 0.0;
    double p99 = 0.0; // nearest rank: 99 % of the samples are at or below it
    double max = 0.0;
    double mean = 0.0;
};

// Takes the samples by value: sorting a copy leaves the caller's order alone.
inline Summary Summarise(std::vector<double> samples) {
    Summary s;
    s.count = samples.size();
    if (samples.empty()) return s;
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    s.median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2.0;
    const auto rank = static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(n)));
    s.p99 = samples[std::clamp<std::size_t>(rank, 1, n) - 1];
    s.max = samples.back();
    double sum = 0.0;
    for (double v : samples)
        sum += v;
    s.mean = sum / static_cast<double>(n);
    return s;
}
