#include "world/events.h"

std::int32_t GameEvent(std::int32_t&, std::int32_t&, std::int32_t&, std::int32_t&, std::int32_t&,
                       std::int32_t&, std::int32_t&, std::int32_t&, std::int32_t&) {
    return 0;
}
