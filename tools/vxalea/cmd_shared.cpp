/* vxalea shared: the extension record's shared per-thread generators.
 *
 * Every worker thread is a cooperating caller, as in a host: it attaches
 * (task 1) and asks for the seed (task 2), then draws from its own element
 * only, a block at a time, and formats its values into its own output, so
 * that more threads finish sooner.  The first attach makes the array and
 * the first seed request seeds it; the others find it made and seeded,
 * which is the locking under test.  The main thread then writes the
 * outputs in thread order, and every caller detaches (task 3); the last one
 * frees the array. */
#include <algorithm>
#include <climits>
#include <new>
#include <cstdio>
#include <cstring>
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
    bool firstMissing = false;
    bool outOfMemory = false;
    std::string output; /* this thread's row, or its bytes in bin */
};

struct Job {
    VXALEA* ext;
    int32_t threads;
    int32_t seed;
    uint64_t count;
    uint64_t block;
    Format format;
};

VXStatus runTask(VXALEA* ext, int32_t task, vxaleaTaskParms& p)
{
    return ext->runTask(ext, task, &p, sizeof p);
}

void draw(const Job& job, size_t index, Sampler& sampler, Worker& w)
{
    vxaleaTaskParms a{};
    a.nGenerators = job.threads;
    w.attach = runTask(job.ext, VXALEA_TASK_ATTACH, a);
    w.attached = w.attach == 0;
    if (w.attach != 0 || !a.generators) return;
    w.seeded.seedWanted = job.seed;
    runTask(job.ext, VXALEA_TASK_SEED, w.seeded);
    w.generators = w.seeded.generators;
    if (!w.generators) return;
    MRandPtr q = &w.generators[index];

    std::vector<double> values(job.block);
    const bool bin = job.format == Format::Bin;
    w.output.reserve(std::min<uint64_t>(bin ? job.count * 8 : 16 + job.count * 25, uint64_t{1} << 26));
    if (!bin) w.output = "thread " + std::to_string(index) + ":";
    char text[kMaxValueChars + 1];
    for (uint64_t done = 0; done < job.count;) {
        const uint64_t m = std::min(job.block, job.count - done);
        sampler.fill(q, values.data(), static_cast<int64_t>(m));
        if (done == 0) {
            uint64_t bits;
            std::memcpy(&bits, &values[0], sizeof bits);
            w.firstMissing = bits == kMissingBits;
        }
        if (bin) {
            w.output.append(reinterpret_cast<const char*>(values.data()), m * sizeof(double));
        } else {
            for (uint64_t k = 0; k < m; ++k) {
                text[0] = ' ';
                char* end = formatValue(text + 1, values[k], job.format);
                w.output.append(text, static_cast<size_t>(end - text));
            }
        }
        done += m;
    }
    if (!bin) w.output += '\n';
}

void work(const Job& job, size_t index, Sampler sampler, Worker& w)
{
    try {
        draw(job, index, sampler, w);
    } catch (const std::bad_alloc&) {
        w.outOfMemory = true;
        w.output.clear();
        w.output.shrink_to_fit();
    }
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
    for (const char* own : {"method", "int-seed", "user-seed", "key", "thread", "crude"})
        if (o.has(own))
            throw UsageError(std::string("--") + own +
                             " does not apply to 'shared': its generators always run MT64 seeded with --seed S + i");
    allowOnly(o, {"threads", "seed", "n", "format", "buffer", "table", "loc", "scale", "lenient", "quiet", "set",
                  "journal"});
    std::vector<std::string> words;
    const Distribution& dist = distributionArgument(o, words);
    Parameters params = distributionParameters(o, dist, words);
    auto t = o.value("threads");
    if (!t) throw UsageError("shared needs --threads T, the number of generators and threads (e.g. --threads 4)");
    const uint64_t threads = parseU64(*t, "--threads", 1, 1024);
    int32_t seed = 0;
    if (auto s = o.value("seed")) {
        /* Element i is seeded with S + i in 32-bit signed arithmetic; past
         * INT32_MAX it would wrap to a negative seed, which means the clock. */
        const uint64_t top = static_cast<uint64_t>(INT32_MAX) - (threads - 1);
        seed = static_cast<int32_t>(parseU64(*s, "--seed (with --threads " + *t + ")", 1, top));
    }
    OutputOptions out = outputOptions(o);
    if (out.endless)
        throw UsageError("shared writes every thread's values in thread order after the threads end; give -n N from "
                         "1 to 16777216");
    if (out.count > kMaxBuffer)
        throw UsageError("shared keeps every value in memory; -n must be from 1 to 16777216, not " + *o.value("n"));
    const bool lenient = o.has("lenient"), quiet = o.has("quiet");

    Session session(o);
    VXALEA* ext = session.extension();
    Sampler sampler(session, dist, std::move(params));
    const Job job{ext, static_cast<int32_t>(threads), seed, out.count, std::min(bufferOption(o), out.count),
                  out.format};
    std::vector<Worker> workers(threads);
    /* Declared before the threads run, so every caller that attached
     * detaches on every way out of here. */
    Detacher detacher{ext, workers};
    {
        std::vector<std::thread> running;
        running.reserve(threads);
        try {
            for (size_t i = 0; i < threads; ++i)
                running.emplace_back(work, std::cref(job), i, sampler, std::ref(workers[i]));
        } catch (const std::system_error& e) {
            for (std::thread& th : running) th.join();
            throw RunError(std::string("cannot start the worker threads: ") + e.what() + "; try fewer --threads");
        }
        for (std::thread& th : running) th.join();
    }

    for (const Worker& wk : workers) {
        if (wk.attach != 0)
            throw RunError("attaching to the shared generators failed with status " + hexCode(wk.attach));
        if (wk.outOfMemory) throw RunError("out of memory for the values; try a smaller -n or fewer --threads");
        if (!wk.generators || wk.generators != workers[0].generators)
            throw RunError("the module handed out no shared generator array, or different ones to different callers");
    }
    int rc = 0;
    for (size_t i = 0; i < threads; ++i) {
        const VXStatus status = workers[0].generators[i].Status;
        if (status != 0 && !lenient)
            throw RunError("thread " + std::to_string(i) + ": " + statusLine(status) +
                           "; nothing was written (--lenient writes the values anyway)");
    }
    if (workers[0].firstMissing && !lenient) refuseMissing(sampler);
    if (!o.has("seed") && !quiet)
        std::fprintf(stderr, "vxalea: base seed %d from the clock; --seed %d repeats this run\n",
                     workers[0].seeded.seedInUse, workers[0].seeded.seedInUse);
    noteAccuracy(sampler, quiet);

    Writer w(out.format, out.progress);
    for (size_t i = 0; i < threads && w.raw(workers[i].output); ++i) {
    }
    w.finish();
    for (size_t i = 0; i < threads; ++i)
        rc = std::max(rc, reportStreamStatus(workers[0].generators[i].Status, "thread " + std::to_string(i) + ": "));
    return rc;
}

} // namespace vxcli
