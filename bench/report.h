// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The figures one run of the benchmark collects, printed as a plain table and
// optionally written as one JSON object.
#pragma once

#include "bench/machine.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

enum class Verdict { None, Met, Missed };

struct Figure {
    std::string key;   // the JSON name
    double value = 0;  //
    std::string unit;  // printed after the value in the table
    std::string label; // what the table calls it
    std::string goal;  // the goal in words, empty when there is none
    Verdict verdict = Verdict::None;
    int decimals = 3;
};

struct Report {
    MachineInfo machine;
    std::vector<Figure> figures;
    std::vector<std::string> notes; // skipped parts, scene rules, where a figure comes from
    // Facts that are words rather than numbers (which SDL was measured), printed
    // under the machine line and written as JSON strings.
    std::vector<std::pair<std::string, std::string>> texts;

    // Adds a figure; `goal` and `met` say whether it has a goal and meets it.
    void Add(const std::string& key, double value, const std::string& unit,
             const std::string& label, int decimals = 3);
    void AddWithGoal(const std::string& key, double value, const std::string& unit,
                     const std::string& label, const std::string& goal, bool met, int decimals = 3);
    void Note(const std::string& text) { notes.push_back(text); }
    void Text(const std::string& key, const std::string& value) { texts.emplace_back(key, value); }
    bool AllGoalsMet() const;
};

void PrintTable(const Report& report, std::FILE* out);
bool WriteJson(const Report& report, const std::string& path);
