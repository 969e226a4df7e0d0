// The shared generator tasks through runTask: attach, seed and detach (and
// task numbers that are none of them) in any order, from up to four
// callers, each with its own parameter block of exactly the declared size.
// A model of the private record predicts every status and every field the
// tasks write; the reserved bytes are never touched, seeded elements draw
// like a stream seeded alone with base + i, and after the last detach and
// the extension's destruction nothing the module allocated is left.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

#include "ext/vxalea.h"
#include "fuzz_host.h"
#include "fuzz_input.h"
#include "host/vxhost_api.h"
#include "mk/vxbind.h"
#include "subs/zmrsmissing.h"

namespace {

constexpr int kCallers = 4;
/* Attach counts above this are folded below it: an array is a few
 * kilobytes per generator, and the count itself is all the task reads. */
constexpr int32_t kMostGenerators = 16;
constexpr uint8_t kReserved = 0xA5;

void trap(bool bad)
{
    if (bad) __builtin_trap();
}

struct Model {
    int32_t clockSeed = 0;
    int32_t initialSeed = 0;
    int32_t nThreads = 0;
    uint64_t streamStatus = 0;
    MRandPtr array = nullptr;
    int64_t callers = 0;
    bool initialized = false;
};

bool reservedIntact(const vxaleaTaskParms* b)
{
    for (uint8_t r : b->reserved)
        if (r != kReserved) return false;
    return true;
}

/* Element i after a seed: MT64 seeded with base + i (32-bit wrap), and its
 * first uniform that of a stream seeded alone the same way.  A seed of 0,
 * or one that base + i wrapped below it, takes the clock, so that element
 * is only checked to be usable. */
void checkSeeded(MRandPtr element, int32_t seed)
{
    trap(element->rangen == nullptr || element->UserSeed != static_cast<double>(seed));
    const double u = GetOneVariateUNIFORM(element);
    trap(!(u > 0.0 && u < 1.0));
    if (seed <= 0) return;
    static MERSENNE_RAND alone;
    std::memset(static_cast<void*>(&alone), 0, sizeof alone);
    alone.UserMethod = const_cast<char*>("MT64");
    alone.UserSeed = static_cast<double>(seed);
    zmrsrnd(&alone);
    trap(GetOneVariateUNIFORM(&alone) != u);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    VXHost* host = fuzzHost();
    const size_t liveBefore = vxhost_live_allocations(host);
    if (size < 1) return 0;
    const uint8_t head = *data++;
    --size;

    auto* ext = reinterpret_cast<VXALEA*>(vxalea(vxhost_handle(host), nullptr));
    trap(ext == nullptr || ext->runTask == nullptr);
    auto* priv = static_cast<vxaleaPrivatePtr>(ext->privatePtr);
    /* Allocation failures from the k-th request of the module's pool on. */
    if (head & 0x80) vxhost_pool_fail_at(ext->Pool, 1 + (head & 7));
    Model m;
    m.clockSeed = priv->clockBasedSeed;

    std::unique_ptr<vxaleaTaskParms> blocks[kCallers];
    for (auto& b : blocks) {
        b = std::make_unique<vxaleaTaskParms>();
        std::memset(b.get(), 0, sizeof *b);
        std::memset(b->reserved, kReserved, sizeof b->reserved);
    }

    while (size >= 1) {
        const uint8_t op = *data++;
        --size;
        vxaleaTaskParms* b = blocks[op % kCallers].get();
        const int32_t task = static_cast<int32_t>((op >> 2) % 5); /* 0 and 4 are no task */
        if (task == VXALEA_TASK_ATTACH) {
            int32_t n = static_cast<int32_t>(take<uint32_t>(data, size));
            if (n > kMostGenerators) n = 1 + n % kMostGenerators;
            b->nGenerators = n;
        } else if (task == VXALEA_TASK_SEED) {
            b->seedWanted = static_cast<int32_t>(take<uint32_t>(data, size));
            b->status = take<uint32_t>(data, size) & 0x1A;
        }
        const vxaleaTaskParms before = *b;
        const VXStatus s = ext->runTask(ext, task, b, sizeof *b);
        trap(!reservedIntact(b));

        switch (task) {
        case VXALEA_TASK_ATTACH: {
            const bool allocates = m.array == nullptr && b->nGenerators > 0;
            if (allocates && priv->mrsnPtrs == nullptr) {
                /* The pool refused: nothing changed. */
                trap(s != VX_STATUS_NULL_ARGUMENT || std::memcmp(&before, b, sizeof *b) != 0);
                break;
            }
            trap(s != 0);
            if (allocates) {
                m.array = priv->mrsnPtrs;
                m.nThreads = b->nGenerators;
                for (int32_t i = 0; i < m.nThreads; ++i) trap(m.array[i].rangen != nullptr);
            }
            ++m.callers;
            trap(b->generators != m.array);
            break;
        }
        case VXALEA_TASK_SEED: {
            trap(s != 0);
            const bool first = !m.initialized;
            if (first) {
                m.initialSeed = before.seedWanted > 0 ? before.seedWanted : m.clockSeed;
                m.streamStatus |= before.seedWanted > 0 ? VXALEA_SEED_FROM_CALLER : VXALEA_SEED_FROM_CLOCK;
                m.initialized = true;
            }
            const uint64_t bits = m.streamStatus | (first ? 0 : VXALEA_SEEDED_BEFORE);
            trap(b->status != (before.status | bits) || b->seedInUse != m.initialSeed || b->generators != m.array);
            /* An array made after the first seed stays unseeded: the task
             * seeds once.  Its elements are still safe to call. */
            for (int32_t i = 0; i < m.nThreads && i < 3; ++i) {
                MRandPtr element = &m.array[i];
                if (first) checkSeeded(element, static_cast<int32_t>(static_cast<uint32_t>(m.initialSeed) +
                                                                      static_cast<uint32_t>(i)));
                else if (element->rangen == nullptr) trap(!zmrsIsMissing(GetOneVariateUNIFORM(element)));
            }
            break;
        }
        case VXALEA_TASK_DETACH:
            if (m.callers > 0 && --m.callers == 0) m = Model{};
            trap(s != static_cast<VXStatus>(m.callers) || std::memcmp(&before, b, sizeof *b) != 0);
            break;
        default:
            trap(s != VX_STATUS_UNSUPPORTED || std::memcmp(&before, b, sizeof *b) != 0);
        }
        trap(priv->mrsnPtrs != m.array || priv->nCallers != m.callers || (priv->initialized != 0) != m.initialized ||
             priv->clockBasedSeed != m.clockSeed);
    }

    vxaleaTaskParms last{};
    while (m.callers > 0) trap(ext->runTask(ext, VXALEA_TASK_DETACH, &last, sizeof last) != --m.callers);
    trap(priv->mrsnPtrs != nullptr);
    trap(ext->generic.realDestroy(&ext->generic) != 0);
    trap(vxhost_live_allocations(host) != liveBefore);
    vxhost_journal_clear(host);
    return 0;
}
