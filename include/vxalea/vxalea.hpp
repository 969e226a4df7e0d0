/* vxalea for C++: owners for the host, the loaded module, pools and streams,
 * a stream that is a standard UniformRandomBitGenerator, typed sampler calls
 * and statuses as std::error_code or as exceptions.
 *
 *   vxalea::host host;
 *   vxalea::module mod(host);               // libvxalea.so through the host loader
 *   vxalea::pool pool(host);
 *   vxalea::stream64 s(mod, pool, {.method = "MT64", .seed = 42});
 *   std::uniform_int_distribution<int> die(1, 6);
 *   int roll = die(s);
 *   double g = s.gamma(2.5);
 *
 * Everything here is a thin, inline layer over the C records: a stream is a
 * MERSENNE_RAND in the caller's pool, its draws go straight through the
 * record's descriptor and sampler table, and get() hands the record to any C
 * function.  No draw reads anything but the record, and nothing is
 * allocated after construction.
 *
 * The module is reached through the host's loader, so a program need not
 * link it: the three module functions used off the draw path (set-up,
 * rewind, reseed) are looked up when it is loaded and copied into each
 * stream.  Destroy in reverse order of creation
 * (streams, then pools and modules, then the host), which ordinary scoping
 * does.
 *
 * Each operation that can fail comes twice: one form throws vxalea::error,
 * the other takes a trailing std::error_code& and never throws.  A stream
 * whose initialization reported a problem (an unknown method name, a key
 * out of range) is still usable, as in C; the std::error_code form keeps it
 * and reports the code, the throwing form releases it and throws. */
#ifndef VXALEA_VXALEA_HPP
#define VXALEA_VXALEA_HPP

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <utility>

/* The module's entry function is called vxalea, like this namespace; the two
 * cannot share the global scope.  Only the host calls the entry, so here it
 * is declared under another name, and a file that includes this header must
 * not include ext/vxalea.h before it. */
#define vxalea vxalea_entry_function
#include "ext/vxalea.h"
#undef vxalea
#include "host/vxhost_api.h"
#include "subs/zrand.h"
#include "subs/zrng.h"

namespace vxalea {

// ---- statuses -----------------------------------------------------------------

/* VXStatus values as std::error_code; message() is the host catalogue's
 * text (a format, for the few codes whose journal lines take arguments). */
class status_category_type final : public std::error_category {
public:
    const char* name() const noexcept override { return "vxalea"; }
    std::string message(int code) const override
    {
        if (const char* text = vxhost_catalogue_text(code)) return text;
        char buf[40];
        std::snprintf(buf, sizeof buf, "status 0x%08X", static_cast<unsigned>(code));
        return buf;
    }
};

inline const std::error_category& status_category() noexcept
{
    static const status_category_type category;
    return category;
}

inline std::error_code make_status(VXStatus code) noexcept
{
    return code == 0 ? std::error_code() : std::error_code(code, status_category());
}

/* The exception form: code() is the status, what() adds what was being done. */
class error : public std::system_error {
public:
    explicit error(VXStatus code) : std::system_error(make_status(code)) {}
    error(VXStatus code, const std::string& context) : std::system_error(make_status(code), context) {}
    VXStatus status() const noexcept { return code().value(); }
    /* The catalogue text alone, "" for a code the catalogue does not know. */
    const char* catalogue_text() const noexcept
    {
        const char* t = vxhost_catalogue_text(status());
        return t ? t : "";
    }
};

/* Rejected sampler parameters give this NaN, bit for bit. */
inline constexpr uint64_t missing_bits = 0xFFFFFE0000000000ull;
inline bool is_missing(double x) noexcept { return std::bit_cast<uint64_t>(x) == missing_bits; }

namespace detail {
inline void throw_if(const std::error_code& ec, const std::string& context)
{
    if (ec) throw error(ec.value(), context);
}
} // namespace detail

// ---- host ----------------------------------------------------------------------

struct journal_line {
    VXSeverity severity = 0;
    VXStatus code = 0;          /* 0 for free-format lines */
    std::string_view text;      /* valid until the journal is cleared */
};

/* Owns a VXHost: pools, journal, registry and the module loader. */
class host {
public:
    host() : h_(vxhost_create())
    {
        if (!h_) throw error(VX_STATUS_NULL_ARGUMENT, "cannot create the host");
    }
    explicit host(std::error_code& ec) noexcept : h_(vxhost_create())
    {
        ec = make_status(h_ ? 0 : VX_STATUS_NULL_ARGUMENT);
    }
    ~host()
    {
        if (h_) vxhost_destroy(h_);
    }
    host(host&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    host& operator=(host&& o) noexcept
    {
        if (this != &o) {
            if (h_) vxhost_destroy(h_);
            h_ = std::exchange(o.h_, nullptr);
        }
        return *this;
    }
    host(const host&) = delete;
    host& operator=(const host&) = delete;

    explicit operator bool() const noexcept { return h_ != nullptr; }
    VXHost* get() const noexcept { return h_; }
    VXHndlp handle() const noexcept { return vxhost_handle(h_); }

    /* Registry entries the module reads (method, message severity, the
     * fixed debugging seed). */
    void set_text(const char* name, const char* text, std::error_code& ec) noexcept
    {
        ec = make_status(vxhost_set_text(h_, name, text));
    }
    void set_long(const char* name, int64_t value, std::error_code& ec) noexcept
    {
        ec = make_status(vxhost_set_long(h_, name, value));
    }
    void set_double(const char* name, double value, std::error_code& ec) noexcept
    {
        ec = make_status(vxhost_set_double(h_, name, value));
    }
    void set_text(const char* name, const char* text) { checked(vxhost_set_text(h_, name, text), name); }
    void set_long(const char* name, int64_t value) { checked(vxhost_set_long(h_, name, value), name); }
    void set_double(const char* name, double value) { checked(vxhost_set_double(h_, name, value), name); }

    size_t journal_size() const noexcept { return vxhost_journal_count(h_); }
    journal_line journal(size_t i) const noexcept
    {
        VXJournalLine l{};
        if (vxhost_journal_line(h_, i, &l) != 0) return {};
        return {l.severity, l.code, l.text ? std::string_view(l.text) : std::string_view()};
    }
    void clear_journal() noexcept { vxhost_journal_clear(h_); }
    /* Why the last module load failed. */
    const char* last_error() const noexcept { return vxhost_last_error(h_); }

private:
    static void checked(VXStatus s, const char* name)
    {
        if (s != 0) throw error(s, std::string("cannot set registry entry ") + name);
    }
    VXHost* h_ = nullptr;
};

// ---- pool ----------------------------------------------------------------------

/* Owns a host memory pool; destroying it releases everything allocated in
 * it, so it must outlive the streams made from it. */
class pool {
public:
    explicit pool(host& h, const char* name = "VXALEA_CXX")
    {
        std::error_code ec;
        open(h, name, ec);
        detail::throw_if(ec, std::string("cannot create pool ") + name);
    }
    pool(host& h, const char* name, std::error_code& ec) noexcept { open(h, name, ec); }
    ~pool()
    {
        if (p_) p_->destroy(p_);
    }
    pool(pool&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    pool& operator=(pool&& o) noexcept
    {
        if (this != &o) {
            if (p_) p_->destroy(p_);
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }
    pool(const pool&) = delete;
    pool& operator=(const pool&) = delete;

    explicit operator bool() const noexcept { return p_ != nullptr; }
    VXPoolh get() const noexcept { return p_; }
    size_t live_allocations() const noexcept { return vxhost_pool_live(p_); }

private:
    void open(host& h, const char* name, std::error_code& ec) noexcept
    {
        p_ = h ? vxhost_pool_create(h.get(), name) : nullptr;
        ec = make_status(p_ ? 0 : VX_STATUS_NULL_ARGUMENT);
    }
    VXPoolh p_ = nullptr;
};

// ---- module --------------------------------------------------------------------

/* The module functions a stream calls off the draw path, taken from the
 * loaded library (draws go through the record's own descriptor and table). */
struct module_functions {
    int (*zmrsrnd)(MRandPtr q) = nullptr;
    int (*zrand_rewind)(ZRAND_S* zrnd) = nullptr;
    void (*zmrsReset32)(uint64_t seed, MRandPtr q) = nullptr;
};

/* The module loaded by name through the host's loader, which binds the host
 * to it and runs its entry; unloading runs destroyExtension. */
class module {
public:
    /* search_path: colon-separated directories; null: VXHOST_MODULE_PATH,
     * then ../lib beside the executable, then the dynamic loader's path. */
    explicit module(host& h, const char* name = "vxalea", const char* search_path = nullptr)
    {
        std::error_code ec;
        load(h, name, search_path, ec);
        if (ec)
            throw error(ec.value(), std::string("cannot load module '") + (name ? name : "") +
                                        "': " + (h ? h.last_error() : "no host"));
    }
    module(host& h, const char* name, const char* search_path, std::error_code& ec) noexcept
    {
        load(h, name, search_path, ec);
    }
    ~module() { unload(); }
    module(module&& o) noexcept : m_(std::exchange(o.m_, nullptr)), fn_(o.fn_) {}
    module& operator=(module&& o) noexcept
    {
        if (this != &o) {
            unload();
            m_ = std::exchange(o.m_, nullptr);
            fn_ = o.fn_;
        }
        return *this;
    }
    module(const module&) = delete;
    module& operator=(const module&) = delete;

    explicit operator bool() const noexcept { return m_ != nullptr; }
    VXHostModule* get() const noexcept { return m_; }
    VXALEA* extension() const noexcept { return static_cast<VXALEA*>(vxhost_module_extension(m_)); }
    const char* path() const noexcept { return vxhost_module_path(m_); }
    void* symbol(const char* name) const noexcept { return vxhost_module_symbol(m_, name); }
    const module_functions& functions() const noexcept { return fn_; }

private:
    template <class F>
    bool resolve(F& f, const char* name) noexcept
    {
        f = reinterpret_cast<F>(vxhost_module_symbol(m_, name));
        return f != nullptr;
    }
    void load(host& h, const char* name, const char* search_path, std::error_code& ec) noexcept
    {
        m_ = h ? vxhost_load(h.get(), name, search_path) : nullptr;
        if (m_ && resolve(fn_.zmrsrnd, "zmrsrnd") && resolve(fn_.zrand_rewind, "zrand_rewind") &&
            resolve(fn_.zmrsReset32, "zmrsReset32")) {
            ec.clear();
            return;
        }
        unload();
        ec = make_status(VX_STATUS_UNSUPPORTED);
    }
    void unload() noexcept
    {
        if (m_) vxhost_unload(std::exchange(m_, nullptr));
        fn_ = {};
    }
    VXHostModule* m_ = nullptr;
    module_functions fn_;
};

// ---- streams ---------------------------------------------------------------------

/* Non-owning view of an initialized variate generator (a stream of this
 * layer, an element of the shared array, or a record set up in C).
 * UInt is the engine's native output: uint64_t for engines of 64 bits per
 * output, uint32_t for those of 32. */
template <class UInt>
class basic_stream_ref {
    static_assert(std::is_same_v<UInt, uint32_t> || std::is_same_v<UInt, uint64_t>);

public:
    using result_type = UInt;
    static constexpr bool wide = sizeof(UInt) == 8;

    basic_stream_ref() noexcept = default;
    basic_stream_ref(MRandPtr q, const module_functions& fn) noexcept : q_(q), fn_(fn) {}

    static constexpr result_type min() noexcept { return 0; }
    static constexpr result_type max() noexcept { return std::numeric_limits<UInt>::max(); }
    result_type operator()() noexcept
    {
        if constexpr (wide)
            return q_->Functions->zrng_uint64(q_->Blob);
        else
            return q_->Functions->zrng_uint32(q_->Blob);
    }
    /* Raw outputs of either width: a 64-bit value of a 32-bit engine joins
     * two outputs (first in the high half), a 32-bit value of a 64-bit engine
     * is the high half of one. */
    uint32_t next32() noexcept { return q_->Functions->zrng_uint32(q_->Blob); }
    uint64_t next64() noexcept { return q_->Functions->zrng_uint64(q_->Blob); }

    // The twenty samplers, one variate each, through the record's table.
    // Counts and outcomes come back as whole-valued doubles, since a rejected
    // parameter gives the missing value (is_missing) rather than a status.
    double uniform() noexcept { return q_->GetOneVariateUNIFORM(q_); }
    double normal() noexcept { return q_->GetOneVariateNORMAL(q_); }
    double lognormal() noexcept { return q_->GetOneVariateLOGNORMAL(q_); }
    double exponential() noexcept { return q_->GetOneVariateEXPONENTIAL(q_); }
    double cauchy() noexcept { return q_->GetOneVariateCAUCHY(q_); }
    double gamma(double alpha) noexcept { return q_->GetOneVariateGAMMA(q_, alpha); }
    double erlang(int32_t k) noexcept { return q_->GetOneVariateERLANG(q_, k); }
    double chisquare(double df) noexcept { return q_->GetOneVariateCHISQUARE(q_, df); }
    double beta(double a, double b) noexcept { return q_->GetOneVariateBETA(q_, a, b); }
    double f(double ndf, double ddf) noexcept { return q_->GetOneVariateF(q_, ndf, ddf); }
    double t(double df) noexcept { return q_->GetOneVariateT(q_, df); }
    double weibull(double shape, double scale) noexcept { return q_->GetOneVariateWEIBULL(q_, shape, scale); }
    double triangle(double h) noexcept { return q_->GetOneVariateTRIANGLE(q_, h); }
    double bernoulli(double p) noexcept { return q_->GetOneVariateBERNOULLI(q_, p); }
    double binomial(long n, double p) noexcept { return q_->GetOneVariateBINOMIAL(q_, n, p); }
    double poisson(double lambda) noexcept { return q_->GetOneVariatePOISSON(q_, lambda); }
    double geometric(double p) noexcept { return q_->GetOneVariateGEOMETRIC(q_, p); }
    double negbinomial(double prob_succ, double num_succ) noexcept
    {
        return q_->GetOneVariateNEGBINOMIAL(q_, prob_succ, num_succ);
    }
    double hypergeometric(long nn, long n, long k) noexcept
    {
        return q_->GetOneVariateHYPERGEOMETRIC(q_, nn, n, k);
    }
    /* Index 1..probs.size() drawn with the given probabilities, used as they
     * are (probs.size() + 1 takes what they leave of 1). */
    double table(std::span<const double> probs) noexcept
    {
        return q_->GetOneVariateTABLE(q_, static_cast<long>(probs.size()), const_cast<double*>(probs.data()));
    }

    // Buffer forms: out is filled exactly as out.size() one-variate calls
    // would fill it.  The record's own buffer fields are restored afterwards.
    void fill_uniform(std::span<double> out) noexcept { fill(out, q_->FillTheBufferUNIFORM); }
    void fill_normal(std::span<double> out) noexcept { fill(out, q_->FillTheBufferNORMAL); }
    void fill_lognormal(std::span<double> out) noexcept { fill(out, q_->FillTheBufferLOGNORMAL); }
    void fill_exponential(std::span<double> out) noexcept { fill(out, q_->FillTheBufferEXPONENTIAL); }
    void fill_cauchy(std::span<double> out) noexcept { fill(out, q_->FillTheBufferCAUCHY); }
    void fill_gamma(std::span<double> out, double alpha) noexcept { fill(out, q_->FillTheBufferGAMMA, alpha); }
    void fill_erlang(std::span<double> out, int32_t k) noexcept { fill(out, q_->FillTheBufferERLANG, k); }
    void fill_chisquare(std::span<double> out, double df) noexcept { fill(out, q_->FillTheBufferCHISQUARE, df); }
    void fill_beta(std::span<double> out, double a, double b) noexcept { fill(out, q_->FillTheBufferBETA, a, b); }
    void fill_f(std::span<double> out, double ndf, double ddf) noexcept { fill(out, q_->FillTheBufferF, ndf, ddf); }
    void fill_t(std::span<double> out, double df) noexcept { fill(out, q_->FillTheBufferT, df); }
    void fill_weibull(std::span<double> out, double shape, double scale) noexcept
    {
        fill(out, q_->FillTheBufferWEIBULL, shape, scale);
    }
    void fill_triangle(std::span<double> out, double h) noexcept { fill(out, q_->FillTheBufferTRIANGLE, h); }
    void fill_bernoulli(std::span<double> out, double p) noexcept { fill(out, q_->FillTheBufferBERNOULLI, p); }
    void fill_binomial(std::span<double> out, long n, double p) noexcept { fill(out, q_->FillTheBufferBINOMIAL, n, p); }
    void fill_poisson(std::span<double> out, double lambda) noexcept { fill(out, q_->FillTheBufferPOISSON, lambda); }
    void fill_geometric(std::span<double> out, double p) noexcept { fill(out, q_->FillTheBufferGEOMETRIC, p); }
    void fill_negbinomial(std::span<double> out, double prob_succ, double num_succ) noexcept
    {
        fill(out, q_->FillTheBufferNEGBINOMIAL, prob_succ, num_succ);
    }
    void fill_hypergeometric(std::span<double> out, long nn, long n, long k) noexcept
    {
        fill(out, q_->FillTheBufferHYPERGEOMETRIC, nn, n, k);
    }
    void fill_table(std::span<double> out, std::span<const double> probs) noexcept
    {
        fill(out, q_->FillTheBufferTABLE, static_cast<long>(probs.size()), const_cast<double*>(probs.data()));
    }

    // What the stream runs.
    explicit operator bool() const noexcept { return q_ != nullptr; }
    MRandPtr get() const noexcept { return q_; }
    const ZRNG_S& descriptor() const noexcept { return *q_->Functions; }
    void* blob() const noexcept { return q_->Blob; }
    std::string_view method() const noexcept { return name_of(q_->Functions->zrng_name); }
    std::string_view label() const noexcept { return name_of(q_->Functions->zrng_label); }
    uint64_t seed() const noexcept { return q_->Seed; }
    uint64_t key() const noexcept { return q_->Key; }
    uint64_t thread() const noexcept { return q_->Thread; }
    /* The first problem initialization reported; the stream runs anyway. */
    std::error_code status() const noexcept { return make_status(q_->Status); }

    /* Back to the first draw of the same seed, key and thread. */
    void rewind() noexcept { fn_.zrand_rewind(reinterpret_cast<ZRAND_S*>(q_)); }
    /* Restart from another seed (0: one from the clock), same key and thread. */
    void reseed(uint64_t seed) noexcept { fn_.zmrsReset32(seed, q_); }

    /* The engine state the engine imports (its generator words; a read
     * position kept beyond them is not part of it). */
    std::span<const std::byte> state() const noexcept
    {
        return {static_cast<const std::byte*>(q_->Blob), q_->Functions->zrng_state_size};
    }
    /* Import engine state (flags: ZRNG_STATE_PARTIAL, ZRNG_STATE_REPEAT).
     * Returns the engine's result: 0 nothing imported, 1 partial, 2 whole,
     * 3 repeated, 4 extended by hashing.  An engine without import fails
     * with VX_STATUS_UNSUPPORTED and keeps its state. */
    int import_state(std::span<const std::byte> bytes, uint64_t flags, std::error_code& ec) noexcept
    {
        const size_t limit = static_cast<size_t>(std::numeric_limits<int>::max());
        int r = q_->Functions->zrng_state(q_->Blob,
                                          reinterpret_cast<uint8_t*>(const_cast<std::byte*>(bytes.data())),
                                          static_cast<int>(std::min(bytes.size(), limit)), flags);
        ec = make_status(r < 0 ? VX_STATUS_UNSUPPORTED : 0);
        return r < 0 ? 0 : r;
    }
    int import_state(std::span<const std::byte> bytes, uint64_t flags = 0)
    {
        std::error_code ec;
        int r = import_state(bytes, flags, ec);
        detail::throw_if(ec, "method " + std::string(method()) + " cannot import state");
        return r;
    }
    /* Write up to max_elements elements of the engine state, at the native
     * width, to the host's journal. */
    void dump_state(int max_elements) const noexcept
    {
        if constexpr (wide)
            q_->Functions->zrng_dump_blob_64(q_->Blob, max_elements);
        else
            q_->Functions->zrng_dump_blob_32(q_->Blob, max_elements);
    }

protected:
    template <class Fill, class... Args>
    void fill(std::span<double> out, Fill fn, Args... args) noexcept
    {
        if (out.empty()) return;
        double* const buffer = q_->VBuffer;
        const int64_t count = q_->NBuffer;
        q_->VBuffer = out.data();
        q_->NBuffer = static_cast<int64_t>(out.size());
        fn(q_, args...);
        q_->VBuffer = buffer;
        q_->NBuffer = count;
    }
    template <size_t N>
    static std::string_view name_of(const char (&field)[N]) noexcept
    {
        return {field, static_cast<size_t>(std::find(field, field + N, '\0') - field)};
    }

    MRandPtr q_ = nullptr;
    module_functions fn_;
};

/* method: any of the module's names and aliases, case-blind; empty: the
 * registry's OSENV.QOR_RNG_METHOD, then MTHYBRID.  seed 0: one from the
 * clock.  key and thread choose substreams of the same seed. */
struct stream_options {
    std::string_view method = {};
    uint64_t seed = 0;
    uint64_t key = 0;
    uint64_t thread = 0;
};

/* A variate generator of its own, allocated zero-filled from a pool and
 * freed to it.  Its width must be the engine's: a stream64 on a 32-bit
 * engine, or the reverse, fails with VX_STATUS_UNSUPPORTED. */
template <class UInt>
class basic_stream : public basic_stream_ref<UInt> {
    using base = basic_stream_ref<UInt>;

public:
    basic_stream() noexcept = default;
    basic_stream(const module& m, pool& p, const stream_options& o, std::error_code& ec) noexcept
    {
        open(m.functions(), p.get(), o, ec);
    }
    basic_stream(const module& m, pool& p, const stream_options& o = {})
    {
        std::error_code ec;
        open(m.functions(), p.get(), o, ec);
        if (ec) {
            release();
            throw error(ec.value(), "cannot open a stream of method '" + std::string(o.method) + "'");
        }
    }
    ~basic_stream() { release(); }
    basic_stream(basic_stream&& o) noexcept : base(o), pool_(std::exchange(o.pool_, nullptr))
    {
        o.q_ = nullptr;
    }
    basic_stream& operator=(basic_stream&& o) noexcept
    {
        if (this != &o) {
            release();
            static_cast<base&>(*this) = o;
            pool_ = std::exchange(o.pool_, nullptr);
            o.q_ = nullptr;
        }
        return *this;
    }
    basic_stream(const basic_stream&) = delete;
    basic_stream& operator=(const basic_stream&) = delete;

    /* A new stream in the same pool on the same method, seed and thread,
     * in the substream of another key: what zrand_clone gives, with its own
     * descriptor so that it does not depend on this stream. */
    basic_stream substream(uint64_t key, std::error_code& ec) const noexcept
    {
        basic_stream s;
        s.open(this->fn_, pool_, {this->method(), this->q_->Seed, key, this->q_->Thread}, ec);
        return s;
    }
    basic_stream substream(uint64_t key) const
    {
        std::error_code ec;
        basic_stream s = substream(key, ec);
        detail::throw_if(ec, "cannot open substream " + std::to_string(key));
        return s;
    }

private:
    void open(const module_functions& fn, VXPoolh p, const stream_options& o, std::error_code& ec) noexcept
    {
        ec.clear();
        if (!p || !fn.zmrsrnd) {
            ec = make_status(VX_STATUS_NULL_ARGUMENT);
            return;
        }
        /* The name must be NUL-terminated.  The module trims blanks and
         * rejects 16 characters or more, so a trimmed name cut at 63 keeps
         * its fate. */
        std::string_view name = o.method;
        while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
        while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
        char text[64] = {};
        name.copy(text, sizeof text - 1);

        auto* q = static_cast<MRandPtr>(p->memAlloc(p, sizeof(MERSENNE_RAND), VX_MEM_ZERO));
        if (!q) {
            ec = make_status(VX_STATUS_NULL_ARGUMENT);
            return;
        }
        q->nrv = 1;
        q->UserMethod = name.empty() ? nullptr : text; /* replaced by the descriptor's name */
        q->Seed = o.seed;
        q->Key = o.key;
        q->Thread = o.thread;
        fn.zmrsrnd(q);
        ec = make_status(q->Status);
        /* min() and max() promise every value of UInt, so an engine of
         * another output width (fewer bits than 32) cannot be this type. */
        if (q->Functions->zrng_bits != 8 * sizeof(UInt)) {
            if (!ec) ec = make_status(VX_STATUS_UNSUPPORTED);
            p->memFree(p, q);
            return;
        }
        this->q_ = q;
        this->fn_ = fn;
        pool_ = p;
    }
    void release() noexcept
    {
        if (this->q_) pool_->memFree(pool_, std::exchange(this->q_, nullptr));
    }

    VXPoolh pool_ = nullptr;
};

using stream32 = basic_stream<uint32_t>;
using stream64 = basic_stream<uint64_t>;
using stream32_ref = basic_stream_ref<uint32_t>;
using stream64_ref = basic_stream_ref<uint64_t>;

// ---- the shared per-thread generators of runTask ----------------------------------------

/* One attachment to the module's shared array of MT64 generators: attached
 * on construction (task 1), detached on destruction (task 3; the last
 * caller's detach frees the array).  The array is seeded once by whoever
 * calls seed() first; generator i runs from base seed + i, so a parallel
 * computation that ties its work to generator indices repeats for a base
 * seed whatever the number of threads.  Each generator serves one thread at
 * a time. */
class shared_generators {
public:
    struct seeding {
        int32_t seed = 0;     /* base seed in use */
        uint64_t status = 0;  /* VXALEA_SEED_FROM_CLOCK, _FROM_CALLER, VXALEA_SEEDED_BEFORE */
    };

    shared_generators(const module& m, int32_t count)
    {
        std::error_code ec;
        attach(m, count, ec);
        detail::throw_if(ec, "cannot attach to the shared generators");
    }
    shared_generators(const module& m, int32_t count, std::error_code& ec) noexcept { attach(m, count, ec); }
    ~shared_generators() { detach(); }
    shared_generators(shared_generators&& o) noexcept
        : ext_(std::exchange(o.ext_, nullptr)), array_(o.array_), size_(o.size_), fn_(o.fn_)
    {
    }
    shared_generators& operator=(shared_generators&& o) noexcept
    {
        if (this != &o) {
            detach();
            ext_ = std::exchange(o.ext_, nullptr);
            array_ = o.array_;
            size_ = o.size_;
            fn_ = o.fn_;
        }
        return *this;
    }
    shared_generators(const shared_generators&) = delete;
    shared_generators& operator=(const shared_generators&) = delete;

    /* base_seed <= 0: the module's clock-based seed.  Ignored when the array
     * was seeded before; the result tells which seed is in use. */
    seeding seed(int32_t base_seed) noexcept
    {
        vxaleaTaskParms p{};
        p.seedWanted = base_seed;
        ext_->runTask(ext_, VXALEA_TASK_SEED, &p, sizeof p);
        return {p.seedInUse, p.status};
    }

    explicit operator bool() const noexcept { return ext_ != nullptr; }
    /* Generators in the array: the count of the caller that made it. */
    size_t size() const noexcept { return size_; }
    /* Generator i; usable once the array has been seeded. */
    stream64_ref operator[](size_t i) const noexcept { return {array_ + i, fn_}; }
    MRandPtr data() const noexcept { return array_; }

private:
    void attach(const module& m, int32_t count, std::error_code& ec) noexcept
    {
        VXALEA* ext = m ? m.extension() : nullptr;
        if (!ext) {
            ec = make_status(VX_STATUS_NULL_ARGUMENT);
            return;
        }
        vxaleaTaskParms p{};
        p.nGenerators = count;
        ec = make_status(ext->runTask(ext, VXALEA_TASK_ATTACH, &p, sizeof p));
        if (ec) return;
        ext_ = ext;
        array_ = p.generators;
        fn_ = m.functions();
        /* An earlier caller's count may have made the array; its size is in
         * the private record, read under the lock that guards it. */
        auto* priv = static_cast<vxaleaPrivatePtr>(ext->privatePtr);
        VXLockh lock = priv->sharedLock;
        if (lock->get(lock, 1, 1) == 0) {
            size_ = array_ ? static_cast<size_t>(priv->nThreads) : 0;
            lock->release(lock);
        }
    }
    void detach() noexcept
    {
        if (!ext_) return;
        vxaleaTaskParms p{};
        ext_->runTask(ext_, VXALEA_TASK_DETACH, &p, sizeof p);
        ext_ = nullptr;
        array_ = nullptr;
        size_ = 0;
    }

    VXALEA* ext_ = nullptr;
    MRandPtr array_ = nullptr;
    size_t size_ = 0;
    module_functions fn_;
};

} // namespace vxalea

#endif
