/* vxalea shared: the extension record's shared per-thread generators.
 *
 * Every worker thread is a cooperating caller, as in a host: it attaches
 * (task 1) and asks for the seed (task 2), then draws from its own element
 * only.  The first attach makes the array and the first seed request seeds
 * it; the others find it made and seeded, which is the locking under test.
 * After printing, every caller detaches (task 3) and the last one frees the
 * array. */
#include <algorithm>
#include <climits>
#include <system_error>
#include <thread>

#include "commands.h"
#include "distributions.h"
#include "output.h"

namespace vxcli {
namespace {

struct Worker {
    VXStatus attach = 0;
    bool attached = false;
    MRandPtr generators = nullptr;
    vxaleaTaskParms seeded{};
    std::vector<double> values;
};

VXStatus runTask(VXALEA* ext, int32_t task, vxaleaTaskParms& p)
{
    return ext->runTask(ext, task, &p, sizeof p);
}

void work(VXALEA* ext, int32_t threads, int32_t seed, size_t index, uint64_t count, uint64_t buffer,
          Sampler sampler, Worker& w)
{
    vxaleaTaskParms a{};
    a.nGenerators = threads;
    w.attach = runTask(ext, VXALEA_TASK_ATTACH, a);
    w.attached = w.attach == 0;
    if (w.attach != 0 || !a.generators) return;
    w.seeded.seedWanted = seed;
    runTask(ext, VXALEA_TASK_SEED, w.seeded);
    w.generators = w.seeded.generators;
    if (!w.generators) return;
    MRandPtr q = &w.generators[index];
    w.values.resize(count);
    if (buffer == 0) {
        for (double& v : w.values) v = sampler.one(q);
        return;
    }
    /* Through the buffer form, straight into this thread's values. */
    for (uint64_t done = 0; done < count; done += buffer) {
        q->VBuffer = w.values.data() + done;
        q->NBuffer = static_cast<int64_t>(std::min(buffer, count - done));
        sampler.fill(q);
    }
    q->VBuffer = nullptr;
    q->NBuffer = 0;
}

struct Detacher {
    VXALEA* ext;
    const std::vector<Worker>& workers;
    ~Detacher()
    {
        for (const Worker& w : workers) {
            if (!w.attached) continue;
            vxaleaTaskParms d{};
            runTask(ext, VXALEA_TASK_DETACH, d);
        }
    }
};

} // namespace

int cmdShared(const Options& o)
{
    for (const char* own : {"method", "int-seed", "key", "thread", "crude"})
        if (o.has(own))
            throw UsageError(std::string("--") + own +
                             " does not apply to 'shared': its generators always run MT64 seeded with --seed S + i");
    allowOnly(o, {"threads", "seed", "n", "format", "buffer", "table", "set", "journal"});
    std::vector<std::string> words;
    const Distribution& dist = distributionArgument(o, words);
    Parameters params = parseParameters(dist, words, o.value("table").value_or(""), o.has("table"));
    auto t = o.value("threads");
    if (!t) throw UsageError("shared needs --threads T, the number of generators and threads (e.g. --threads 4)");
    uint64_t threads = parseU64(*t, "--threads");
    if (threads < 1 || threads > 1024) throw UsageError("--threads must be from 1 to 1024, not " + *t);
    int32_t seed = 0;
    if (auto s = o.value("seed")) {
        int64_t v = parseI64(*s, "--seed");
        if (v < INT32_MIN || v > INT32_MAX)
            throw UsageError("the shared base seed is a 32-bit integer (0 or negative: from the clock), not " + *s);
        seed = static_cast<int32_t>(v);
    }
    OutputOptions out = outputOptions(o);
    if (out.endless) throw UsageError("shared prints every thread's values after the threads end; give -n N > 0");
    if (out.count > (1u << 24)) throw UsageError("shared keeps every value in memory; -n must be at most 16777216");
    uint64_t buffer = bufferOption(o);

    Session session(o);
    VXALEA* ext = session.extension();
    Sampler sampler(session, dist, std::move(params));
    std::vector<Worker> workers(threads);
    /* Declared before the threads run, so every caller that attached
     * detaches on every way out of here. */
    Detacher detacher{ext, workers};
    {
        std::vector<std::thread> running;
        running.reserve(threads);
        try {
            for (size_t i = 0; i < threads; ++i)
                running.emplace_back(work, ext, static_cast<int32_t>(threads), seed, i, out.count, buffer, sampler,
                                     std::ref(workers[i]));
        } catch (const std::system_error& e) {
            for (std::thread& th : running) th.join();
            throw RunError(std::string("cannot start the worker threads: ") + e.what() + "; try fewer --threads");
        }
        for (std::thread& th : running) th.join();
    }

    for (const Worker& wk : workers) {
        if (wk.attach != 0)
            throw RunError("attaching to the shared generators failed with status " + hexCode(wk.attach));
        if (!wk.generators || wk.generators != workers[0].generators)
            throw RunError("the module handed out no shared generator array, or different ones to different callers");
    }
    Writer w(out.format);
    for (size_t i = 0; i < threads && !w.closed(); ++i) {
        w.beginRow("thread " + std::to_string(i) + ":");
        for (double v : workers[i].values)
            if (!w.item(v)) break;
        w.endRow();
    }
    w.finish();
    int rc = 0;
    for (size_t i = 0; i < threads; ++i)
        rc = std::max(rc, reportStreamStatus(workers[0].generators[i].Status, "thread " + std::to_string(i) + ": "));
    return rc;
}

} // namespace vxcli
