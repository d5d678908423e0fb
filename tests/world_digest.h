// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// One digest of the world and the drawing state, for every test that
// compares games: the golden replay (against its recorded constants) and the
// soak (one run against another).  Every field is hashed by name, in a fixed
// order, so the digest does not depend on how the records are laid out.
//
// Each record's field list is held to the record's size at compile time: a
// field added to Player, PlayerControl, Bullet, Enemy, World, Star or
// RenderState stops the build here until it is added to the digest.  Adding
// one changes the golden replay's digests, which must then be recorded again.
#pragma once

#include "control/game.h"

#include <cstddef>
#include <cstdint>
#include <iterator>

namespace digest {

// FNV-1a, 64 bits.
struct Fnv {
    std::uint64_t hash = 1469598103934665603ull;
    void Bytes(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            hash ^= bytes[i];
            hash *= 1099511628211ull;
        }
    }
    void Int(std::int64_t value) { Bytes(&value, sizeof value); }

    // Every field of one `Record`, in order.  The list must cover the whole
    // record: a field added to it makes the record larger than the list.
    template <typename Record, std::size_t N>
    void Fields(const std::int32_t (&values)[N]) {
        static_assert(N * sizeof(std::int32_t) == sizeof(Record),
                      "a field was added to this record: add it to its list in WorldDigest");
        for (std::int32_t v : values)
            Int(v);
    }
};

// The world's own fields besides its tables, and the drawing state's besides
// the stars, counted here so that a new one cannot be missed.
constexpr std::size_t kWorldScalars = 6;  // GameOver .. PlayerCount
constexpr std::size_t kRenderScalars = 3; // Blink, BlinkCounter, FlameFrame
static_assert(sizeof(World) == sizeof(World::players) + sizeof(World::control) +
                                   kWorldScalars * sizeof(std::int32_t) + sizeof(World::bullets) +
                                   sizeof(World::enemies) + sizeof(World::sizes) +
                                   sizeof(World::EventSlot),
              "a field was added to World: add it to WorldDigest and count it in kWorldScalars");
static_assert(sizeof(RenderState) ==
                  sizeof(RenderState::stars) + kRenderScalars * sizeof(std::int32_t),
              "a field was added to RenderState: add it to WorldDigest and count it in "
              "kRenderScalars");

// Everything the world and the drawing state hold, but the sizes measured
// once at start-up (the same in every run of one build).
inline std::uint64_t WorldDigest(const Game& game) {
    Fnv f;
    const World& w = game.world;
    for (std::size_t p = 0; p < w.players.size(); ++p) {
        const Player& s = w.players[p];
        f.Fields<Player>({s.x, s.y, s.vx, s.vy, s.steerX, s.steerY, s.frame, s.health, s.missiles,
                          s.lives, s.score});
        const PlayerControl& c = w.control[p];
        f.Fields<PlayerControl>({c.FireCounter, c.GunSide, c.MissileSide, c.RespawnDelay, c.Dead});
    }
    const std::int32_t scalars[] = {w.GameOver,       w.PlayerOneOut,  w.PlayerTwoOut,
                                    w.SpawnCountdown, w.CurrentPlayer, w.PlayerCount};
    static_assert(std::size(scalars) == kWorldScalars);
    for (std::int32_t v : scalars)
        f.Int(v);
    for (const Bullet& b : w.bullets)
        f.Fields<Bullet>({b.x, b.y, b.dx, b.dy, b.image, b.animated, b.kind, b.timer, b.owner});
    for (const Enemy& e : w.enemies)
        f.Fields<Enemy>(
            {e.x, e.y, e.dx, e.dy, e.state, e.image, e.hitPoints, e.timer, e.gunPhase, e.swing});
    for (std::int32_t v : w.EventSlot)
        f.Int(v);
    const RenderState& r = game.render;
    for (const Star& s : r.stars)
        f.Fields<Star>({s.x, s.y, s.image});
    const std::int32_t renderScalars[] = {r.Blink, r.BlinkCounter, r.FlameFrame};
    static_assert(std::size(renderScalars) == kRenderScalars);
    for (std::int32_t v : renderScalars)
        f.Int(v);
    return f.hash;
}

} // namespace digest
