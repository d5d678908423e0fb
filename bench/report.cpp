// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The benchmark's report: the figures with their goals, as a table and as JSON.
#include "bench/report.h"

#include <cmath>

void Report::Add(const std::string& key, double value, const std::string& unit,
                 const std::string& label, int decimals) {
    figures.push_back({key, value, unit, label, "", Verdict::None, decimals});
}

void Report::AddWithGoal(const std::string& key, double value, const std::string& unit,
                         const std::string& label, const std::string& goal, bool met,
                         int decimals) {
    figures.push_back(
        {key, value, unit, label, goal, met ? Verdict::Met : Verdict::Missed, decimals});
}

bool Report::AllGoalsMet() const {
    for (const Figure& f : figures)
        if (f.verdict == Verdict::Missed) return false;
    return true;
}

void PrintTable(const Report& report, std::FILE* out) {
    const MachineInfo& m = report.machine;
    std::fprintf(out, "machine: %d cores, %s, Linux %s, load average %.2f at start\n\n", m.cores,
                 m.cpuModel.c_str(), m.kernel.c_str(), m.loadAverage);
    for (const auto& [key, value] : report.texts)
        std::fprintf(out, "%s: %s\n", key.c_str(), value.c_str());
    if (!report.texts.empty()) std::fprintf(out, "\n");
    std::fprintf(out, "%-48s %16s  %-26s %s\n", "figure", "value", "goal", "");
    std::fprintf(out, "%-48s %16s  %-26s %s\n", std::string(48, '-').c_str(),
                 std::string(16, '-').c_str(), std::string(26, '-').c_str(), "------");
    for (const Figure& f : report.figures) {
        char value[64];
        std::snprintf(value, sizeof value, "%.*f %s", f.decimals, f.value, f.unit.c_str());
        const char* verdict = f.verdict == Verdict::Met      ? "met"
                              : f.verdict == Verdict::Missed ? "MISSED"
                                                             : "";
        std::fprintf(out, "%-48s %16s  %-26s %s\n", f.label.c_str(), value, f.goal.c_str(),
                     verdict);
    }
    if (!report.notes.empty()) std::fprintf(out, "\nnotes:\n");
    for (const std::string& note : report.notes)
        std::fprintf(out, "- %s\n", note.c_str());
}

namespace {

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string JsonNumber(double value) {
    if (!std::isfinite(value)) return "null"; // JSON has no NaN or infinity
    char text[64];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

} // namespace

bool WriteJson(const Report& report, const std::string& path) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (!out) return false;
    const MachineInfo& m = report.machine;
    std::fprintf(out, "{\n  \"machine_cores\": %d,\n  \"machine_cpu_model\": %s,\n", m.cores,
                 JsonString(m.cpuModel).c_str());
    std::fprintf(out, "  \"machine_kernel\": %s,\n  \"machine_load_average\": %s,\n",
                 JsonString(m.kernel).c_str(), JsonNumber(m.loadAverage).c_str());
    for (const auto& [key, value] : report.texts)
        std::fprintf(out, "  %s: %s,\n", JsonString(key).c_str(), JsonString(value).c_str());
    for (const Figure& f : report.figures)
        std::fprintf(out, "  %s: %s,\n", JsonString(f.key).c_str(), JsonNumber(f.value).c_str());
    std::fprintf(out, "  \"goals_met\": %s,\n", report.AllGoalsMet() ? "true" : "false");
    std::fprintf(out, "  \"notes\": [");
    for (std::size_t i = 0; i < report.notes.size(); ++i)
        std::fprintf(out, "%s\n    %s", i ? "," : "", JsonString(report.notes[i]).c_str());
    std::fprintf(out, "%s]\n}\n", report.notes.empty() ? "" : "\n  ");
    return std::fclose(out) == 0;
}
