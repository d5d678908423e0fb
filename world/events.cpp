// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// GameEvent, the hook every game event is reported to; it does nothing.
#include "world/events.h"

std::int32_t GameEvent(std::int32_t&, std::int32_t&, std::int32_t&, std::int32_t&, std::int32_t&,
                       std::int32_t&, std::int32_t&, std::int32_t&, std::int32_t&) {
    return 0;
}
