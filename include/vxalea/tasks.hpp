/* Tasks of a parallel run to substreams: task t of an experiment runs on the
 * experiment's seed in the substream below, so its numbers depend on the task
 * alone, never on which worker or how many workers run it:
 *
 *   key = t + 1, thread = s (an optional second index, default 0),
 *
 * within what the engine applies as distinct substreams (limits_of).  Key 0
 * is left to the experiment's own stream, so no task repeats it.  The tool's
 * docs, the C++ layer and the Python package all use this one mapping, so a
 * task draws the same numbers from each.  Engines without keys (MH3, the
 * xorshifts, XORGENS) have no substreams to give, and the non-statistical
 * ones (SUBKEY32/64, an arithmetic sequence) none worth giving. */
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

/* The largest task index with a substream of its own; nullopt when the
 * engine has no keys to give. */
inline std::optional<uint64_t> last_task(const substream_limits& l) noexcept
{
    if (!l.takes_key || l.max_key == 0) return std::nullopt;
    return l.max_key - 1;
}

inline std::optional<task_substream> substream_of_task(const substream_limits& l, uint64_t task,
                                                       uint64_t second = 0) noexcept
{
    const std::optional<uint64_t> last = last_task(l);
    if (!last || task > *last || second > l.max_thread) return std::nullopt;
    return task_substream{task + 1, second};
}

} // namespace vxalea

#endif
