// A variate generator whose uniforms the test controls, for the sampler
// tests: a zero-filled MERSENNE_RAND whose rangen reads a UniformFeed (a
// script of chosen values, then std::mt19937_64 through an open-interval
// conversion), counting every call and optionally recording the values.
// The samplers touch the engine only through rangen, so this exercises them
// without any of the module's engines.
#ifndef VX_TESTS_SUPPORT_SCRIPTED_STREAM_H
#define VX_TESTS_SUPPORT_SCRIPTED_STREAM_H

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "subs/zrand.h"

namespace vxtest {

class UniformFeed {
public:
    explicit UniformFeed(uint64_t seed) : mt_(seed) {}

    // (k + 1/2) 2^-52 for the top 52 bits k: exact, and strictly inside
    // (0, 1), from 2^-53 to 1 - 2^-53.
    static double open52(uint64_t bits)
    {
        return (static_cast<double>(bits >> 12) + 0.5) * 0x1p-52;
    }

    // The next values handed out, before the generator resumes.
    void script(std::vector<double> values)
    {
        script_ = std::move(values);
        at_ = 0;
    }
    // Every value from now on is `value` (a stuck generator).
    void stick(double value)
    {
        stuck_ = true;
        stuckValue_ = value;
    }
    void record(bool on) { recording_ = on; }

    double next()
    {
        ++calls_;
        double u;
        if (at_ < script_.size())
            u = script_[at_++];
        else if (stuck_)
            u = stuckValue_;
        else
            u = open52(mt_());
        if (recording_) taken_.push_back(u);
        return u;
    }

    uint64_t calls() const { return calls_; }
    size_t scriptLeft() const { return script_.size() - at_; }
    const std::vector<double>& taken() const { return taken_; }
    void clearTaken() { taken_.clear(); }

    static double rangen(void* blob) { return static_cast<UniformFeed*>(blob)->next(); }

private:
    std::mt19937_64 mt_;
    std::vector<double> script_;
    size_t at_ = 0;
    bool stuck_ = false;
    double stuckValue_ = 0.5;
    bool recording_ = false;
    std::vector<double> taken_;
    uint64_t calls_ = 0;
};

class ScriptedStream {
public:
    explicit ScriptedStream(uint64_t seed = 1)
        : q_(std::make_unique<MERSENNE_RAND>()), feed_(std::make_unique<UniformFeed>(seed))
    {
        q_->rangen = &UniformFeed::rangen;
        q_->Blob = feed_.get();
        q_->IsUsable = 1;
        rewindCaches();
    }
    ScriptedStream(uint64_t seed, std::vector<double> script) : ScriptedStream(seed)
    {
        feed_->script(std::move(script));
    }

    MRandPtr get() const { return q_.get(); }
    MRandPtr operator->() const { return q_.get(); }
    UniformFeed& feed() const { return *feed_; }
    uint64_t calls() const { return feed_->calls(); }

    // What a rewind does to the saved set-up: gamma, binomial and Poisson
    // invalidated, the normal pair dropped, beta kept.
    void rewindCaches()
    {
        q_->gam.alphasave = -3.141592653589793;
        q_->bin.psave = -3.141592653589793;
        q_->poi.lambdasave = -3.141592653589793;
        q_->bin.nsave = -9007199254740992LL;
        q_->bin.underflow = 0;
        q_->nor.HaveOne = 0;
    }

    // Points the buffer fields at `buffer`.
    void useBuffer(std::vector<double>& buffer)
    {
        q_->VBuffer = buffer.data();
        q_->NBuffer = static_cast<int64_t>(buffer.size());
    }

private:
    std::unique_ptr<MERSENNE_RAND> q_;
    std::unique_ptr<UniformFeed> feed_;
};

} // namespace vxtest

#endif
