// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The hook that game events are reported to.  The game has no sound, so it
// does nothing; the callers still pass what happened where, so a sound or
// effects layer could be hung here.
#pragma once

#include <cstdint>

std::int32_t GameEvent(std::int32_t& a1, std::int32_t& a2, std::int32_t& a3, std::int32_t& a4,
                       std::int32_t& a5, std::int32_t& a6, std::int32_t& a7, std::int32_t& a8,
                       std::int32_t& slot);
