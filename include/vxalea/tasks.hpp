/* Tasks of a parallel run to substreams: task t of an experiment runs on the
 * experiment's seed in the substream (key, thread) below, so its numbers
 * depend on the task alone, never on which worker or how many workers run
 * it.  Keys come first, the thread number counts the rounds of keys:
 *
 *   key = t mod K, thread = t div K, with K = max_key + 1 keys,
 *
 * where max_key and the thread range are what the engine applies as distinct
 * substreams (limits_of).  An engine whose keys cover 64 bits gives task t
 * key t.  Engines without keys (MH3, the xorshifts, XORGENS) have no
 * substreams to give, and the non-statistical ones (SUBKEY32/64, an
 * arithmetic sequence whose key 0 is constant) none worth giving. */
#ifndef VXALEA_TASKS_HPP
#define VXALEA_TASKS_HPP

#include <cstdint>
#include <optional>

#include "substreams.hpp"

namespace vxalea {

struct task_substream {
    uint64_t key = 0;
    uint64_t thread = 0;
};

/* The largest task index the limits give a substream of its own; nullopt
 * when they give none (no keys). */
inline std::optional<uint64_t> last_task(const substream_limits& l) noexcept
{
    if (!l.takes_key) return std::nullopt;
    if (l.max_key == UINT64_MAX) return UINT64_MAX;
    const uint64_t keys = l.max_key + 1;
    const uint64_t rounds_left = l.takes_thread ? l.max_thread : 0; /* rounds after the first */
    if (rounds_left >= UINT64_MAX / keys) return UINT64_MAX;
    return (rounds_left + 1) * keys - 1;
}

inline std::optional<task_substream> substream_of_task(const substream_limits& l, uint64_t task) noexcept
{
    const std::optional<uint64_t> last = last_task(l);
    if (!last || task > *last) return std::nullopt;
    if (l.max_key == UINT64_MAX) return task_substream{task, 0};
    const uint64_t keys = l.max_key + 1;
    return task_substream{task % keys, task / keys};
}

} // namespace vxalea

#endif
