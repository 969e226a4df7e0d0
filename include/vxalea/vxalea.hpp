/* vxalea for C++: owners for the host, the loaded module, pools and streams,
 * a stream that is a standard UniformRandomBitGenerator, typed sampler calls,
 * complete checkpoints, discard, and statuses as std::error_code or as
 * exceptions.
 *
 *   vxalea::host host;
 *   vxalea::module mod(host);               // libvxalea.so through the host loader
 *   vxalea::pool pool(host);
 *   vxalea::stream64 s(mod, pool, {.seed = 42});   // MT64
 *   std::uniform_int_distribution<int> die(1, 6);
 *   int roll = die(s);
 *   double g = s.gamma(2.5);
 *
 * Everything here is a thin, inline layer over the C records: a stream is a
 * MERSENNE_RAND in the caller's pool, its draws go straight through the
 * record's descriptor and sampler table, and get() hands the record to any C
 * function.  No draw reads anything but the record, and nothing is allocated
 * after construction.
 *
 * The module is reached through the host's loader, so a program need not
 * link it: the three module functions used off the draw path (set-up,
 * rewind, reseed) are looked up when it is loaded and copied into each
 * stream.  Destroy in reverse order of creation (streams, then pools and
 * modules, then the host), which ordinary scoping does.
 *
 * Each operation that can fail comes twice: one form throws vxalea::error,
 * the other takes a trailing std::error_code& and does not throw.  Requests
 * the module would run with a silent surprise (a seed above the engine's
 * largest, a key or thread number the engine ignores or folds into another
 * substream) are refused by the throwing form with a message naming the
 * engine's limits; the std::error_code form reports the code and, like the C
 * interface, still opens the stream. */
#ifndef VXALEA_VXALEA_HPP
#define VXALEA_VXALEA_HPP

#if !defined(__cplusplus) || __cplusplus < 202002L
#error "<vxalea/vxalea.hpp> needs C++20: compile with -std=c++20 (CMake: cxx_std_20)"
#else

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <mutex>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <utility>
#include <vector>

/* The entry function is named vxalea, like this namespace, so only the
 * records are included here (vxalea_records.h, not vxalea.h). */
#include "ext/vxalea_records.h"
#include "host/vxhost_api.h"
#include "subs/zmrslist.h"
#include "subs/zrand.h"
#include "subs/zrng.h"
#include "subs/zrngmsg.h"
#include "advance.hpp"
#include "checkpoint.hpp"
#include "engines.hpp"
#include "missing.h"
#include "substreams.hpp"
#include "tasks.hpp"
/* Written by cmake --install: the installed module's directory, the default
 * search path of an installed program. */
#if __has_include("installed_paths.h")
#include "installed_paths.h"
#endif

namespace vxalea {

// ---- statuses ---------------------------------------------------------------------

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

/* What this layer refuses on its own; the module has no status for these. */
enum class errc {
    seed_out_of_range = 1, /* above the engine's largest seed, or a seed for an engine without one */
    key_not_taken,         /* a key for an engine without keys */
    thread_not_taken,      /* a thread number for an engine without them */
    key_out_of_range,      /* a key the engine would not apply as its own substream */
    thread_out_of_range,   /* likewise a thread number */
    wrong_width,           /* an engine of the other output width for this stream type */
    bad_checkpoint,        /* bytes that are not a checkpoint of this stream's engine */
    no_task_substreams,    /* an engine without keys, or not a statistical generator */
    task_out_of_range,     /* a task beyond the engine's substreams */
    not_seeded,            /* a shared generator that was never initialized */
    count_mismatch,        /* a shared array made with another count */
};

class layer_category_type final : public std::error_category {
public:
    const char* name() const noexcept override { return "vxalea.layer"; }
    std::string message(int code) const override
    {
        switch (static_cast<errc>(code)) {
        case errc::seed_out_of_range: return "the seed is outside the method's seeds";
        case errc::key_not_taken: return "the method takes no key";
        case errc::thread_not_taken: return "the method takes no thread number";
        case errc::key_out_of_range: return "the key is beyond the method's substreams";
        case errc::thread_out_of_range: return "the thread number is beyond the method's substreams";
        case errc::wrong_width: return "the method's output width is not the stream type's";
        case errc::bad_checkpoint: return "the bytes are not a checkpoint of this stream's method";
        case errc::no_task_substreams: return "the method has no substreams to give tasks";
        case errc::task_out_of_range: return "the task is beyond the method's substreams";
        case errc::not_seeded: return "the shared generator is not initialized";
        case errc::count_mismatch: return "the shared array was made with another count";
        }
        return "unknown vxalea layer error";
    }
};

inline const std::error_category& layer_category() noexcept
{
    static const layer_category_type category;
    return category;
}

inline std::error_code make_error_code(errc e) noexcept { return {static_cast<int>(e), layer_category()}; }

} // namespace vxalea

template <>
struct std::is_error_code_enum<vxalea::errc> : std::true_type {};

namespace vxalea {

/* The exception form: code() is the status or the layer's errc, what() adds
 * what was being done and, for refusals, the engine's limits. */
class error : public std::system_error {
public:
    explicit error(VXStatus code) : std::system_error(make_status(code)) {}
    error(VXStatus code, const std::string& context) : std::system_error(make_status(code), context) {}
    error(std::error_code code, const std::string& context) : std::system_error(code, context) {}
    /* The VXStatus; 0 for the layer's own refusals (code() == errc::...). */
    VXStatus status() const noexcept { return &code().category() == &status_category() ? code().value() : 0; }
    /* The catalogue text alone, "" for a code the catalogue does not know. */
    const char* catalogue_text() const noexcept
    {
        const char* t = vxhost_catalogue_text(status());
        return t ? t : "";
    }
};

/* Rejected sampler parameters give this NaN, bit for bit. */
inline constexpr uint64_t missing_bits = VXALEA_MISSING_BITS;
inline bool is_missing(double x) noexcept { return vxalea_is_missing(x) != 0; }

namespace detail {
inline void throw_if(const std::error_code& ec, const std::string& context)
{
    if (ec) throw error(ec, context);
}

inline std::string_view name_of(const char* field, size_t n) noexcept
{
    return {field, static_cast<size_t>(std::find(field, field + n, '\0') - field)};
}

inline std::string_view engine_name_of(const ZRNG_S& d) noexcept { return name_of(d.zrng_name, sizeof d.zrng_name); }

/* "MT64 takes seeds 1 to 18446744073709551615, keys 0 to ... and thread
 * numbers 0 to ..." : the limits a refusal names. */
inline std::string describe_limits(const ZRNG_S& d)
{
    const substream_limits l = limits_of(d);
    std::string s(engine_name_of(d));
    s += d.zrng_max_seed ? " takes seeds 1 to " + std::to_string(d.zrng_max_seed) + " (0: from the clock)"
                         : " takes no seed";
    if (!l.takes_key && !l.takes_thread) return s + ", and neither keys nor thread numbers";
    s += l.takes_key ? ", keys 0 to " + std::to_string(l.max_key) : ", no keys";
    s += l.takes_thread ? " and thread numbers 0 to " + std::to_string(l.max_thread) : " and no thread numbers";
    if (l.folded) s += " (the thread number shares the key's word)";
    return s;
}

/* Why a stream of d should not be opened with these values: the code, and
 * the message when why is given. */
inline std::error_code check_request(const ZRNG_S& d, uint64_t seed, uint64_t key, uint64_t thread,
                                     std::string* why)
{
    const substream_limits l = limits_of(d);
    auto refuse = [&](errc e, const std::string& what) {
        if (why) *why = what + ": " + describe_limits(d);
        return make_error_code(e);
    };
    if (seed > d.zrng_max_seed) return refuse(errc::seed_out_of_range, "seed " + std::to_string(seed) + " refused");
    if (key && !l.takes_key) return refuse(errc::key_not_taken, "key " + std::to_string(key) + " refused");
    if (thread && !l.takes_thread)
        return refuse(errc::thread_not_taken, "thread number " + std::to_string(thread) + " refused");
    if (key > l.max_key)
        return refuse(errc::key_out_of_range, "key " + std::to_string(key) + " is beyond the distinct substreams");
    if (thread > l.max_thread)
        return refuse(errc::thread_out_of_range,
                      "thread number " + std::to_string(thread) + " is beyond the distinct substreams");
    return {};
}

/* The installed module's directory when this header is an installed one and
 * VXHOST_MODULE_PATH does not say otherwise; else null, the loader's own
 * search (VXHOST_MODULE_PATH, then the library directory beside the program). */
inline const char* default_module_path() noexcept
{
#ifdef VXALEA_INSTALLED_MODULE_DIR
    const char* env = std::getenv("VXHOST_MODULE_PATH");
    if (!env || !*env) return VXALEA_INSTALLED_MODULE_DIR;
#endif
    return nullptr;
}
} // namespace detail

// ---- host ---------------------------------------------------------------------------

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

// ---- pool ---------------------------------------------------------------------------

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

// ---- module -------------------------------------------------------------------------

/* What a stream needs of its module off the draw path, taken from the loaded
 * library (draws go through the record's own descriptor and table), and the
 * host's handle, whose registry may name the default method. */
struct module_functions {
    int (*zmrsrnd)(MRandPtr q) = nullptr;
    int (*zrand_rewind)(ZRAND_S* zrnd) = nullptr;
    void (*zmrsReset32)(uint64_t seed, MRandPtr q) = nullptr;
    VXHndlp handle = nullptr;
};

/* The module loaded by name through the host's loader, which binds the host
 * to it and runs its entry; unloading runs destroyExtension.  The module
 * keeps the handle of one host, so the loader refuses to load a library that
 * another live host of the process holds. */
class module {
public:
    /* search_path: colon-separated directories.  Null: for an installed
     * vxalea, its own module directory; otherwise VXHOST_MODULE_PATH, then
     * the library directory beside the program, then the dynamic loader's path. */
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
        if (!search_path) search_path = detail::default_module_path();
        m_ = h ? vxhost_load(h.get(), name, search_path) : nullptr;
        if (m_ && resolve(fn_.zmrsrnd, "zmrsrnd") && resolve(fn_.zrand_rewind, "zrand_rewind") &&
            resolve(fn_.zmrsReset32, "zmrsReset32")) {
            fn_.handle = h.handle();
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

// ---- the engines ----------------------------------------------------------------------

/* One engine as its set-up function describes it, as `vxalea methods --json`
 * lists it, with the substreams it gives and how far discard() jumps. */
struct method_info {
    std::string_view name;
    std::vector<std::string_view> aliases;
    std::string label;
    bool available = false;   /* runs here; an unavailable name opens MTHYBRID */
    bool statistical = false; /* false: SUBKEY32/64 and TORVEL, kept for compatibility */
    uint32_t bits = 0;        /* per raw output: stream32 or stream64 */
    size_t state_size = 0;    /* bytes import_state() takes */
    size_t blob_size = 0;     /* bytes of the whole engine record */
    uint64_t has = 0;         /* ZRNG_HAS_* */
    uint64_t max_seed = 0;
    uint64_t max_key = 0;     /* the descriptor's; substreams.max_key is what gives distinct streams */
    substream_limits substreams;
    std::optional<uint64_t> last_task; /* of task_stream(); none without keys */
    advance_cost discard = advance_cost::linear;
};

inline std::vector<method_info> methods(const module& m)
{
    using Setup = void (*)(zrngptr, uint64_t);
    std::vector<method_info> out;
    for (const engine_name& e : engine_names) {
        auto setup = reinterpret_cast<Setup>(m.symbol(("zrnf" + std::string(e.name)).c_str()));
        if (!setup) continue;
        ZRNG_S d{};
        setup(&d, 0);
        method_info i;
        i.name = e.name;
        for (std::string_view a : e.aliases)
            if (!a.empty()) i.aliases.push_back(a);
        i.label = std::string(detail::name_of(d.zrng_label, sizeof d.zrng_label));
        i.available = d.zrng_state_size != 0;
        i.statistical = is_statistical(e.name);
        i.bits = d.zrng_bits;
        i.state_size = d.zrng_state_size;
        i.blob_size = i.available && d.zrng_blob_size ? d.zrng_blob_size() : 0;
        i.has = d.zrng_has;
        i.max_seed = d.zrng_max_seed;
        i.max_key = d.zrng_max_key;
        i.substreams = limits_of(d);
        if (i.statistical) i.last_task = vxalea::last_task(i.substreams);
        i.discard = discard_cost(e.name);
        out.push_back(std::move(i));
    }
    return out;
}

// ---- streams --------------------------------------------------------------------------

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

    /* Skips n outputs of operator(): the stream then continues as it would
     * after n calls.  Constant time on the Threefry and Subtract Key engines,
     * logarithmic on PCG32I and PCG64I, n steps on the others.  The samplers'
     * saved set-ups and a waiting normal deviate are left as they are. */
    void discard(uint64_t n) noexcept { vxalea::discard(*q_, n); }

    // The twenty samplers, one variate each, through the record's table:
    // gamma(alpha), binomial(n, p), ..., one member per row of
    // subs/zmrslist.h, with the parameters of subs/zrand.h.  Counts and
    // outcomes come back as whole-valued doubles, since a rejected parameter
    // gives the missing value (is_missing) rather than a status.
    //
    // Buffer forms, fill_gamma(out, alpha) and so on: out is filled exactly
    // as out.size() one-variate calls would fill it.  The record's own buffer
    // fields are restored afterwards.
#define VXALEA_SAMPLER_MEMBERS(NAME, name, FORM, DECL, ARGS)                                                     \
    VXALEA_SAMPLER_MEMBERS_##FORM(GetOneVariate##NAME, FillTheBuffer##NAME, name, fill_##name, DECL, ARGS)
#define VXALEA_SAMPLER_MEMBERS_VALUES(ONE, FILL, name, fill_name, DECL, ARGS)                                    \
    double name DECL noexcept { return q_->ONE(q_ VX_DISTRIBUTION_TAIL ARGS); }                                  \
    void fill_name(std::span<double> out VX_DISTRIBUTION_TAIL DECL) noexcept                                     \
    {                                                                                                            \
        fill(out, q_->FILL VX_DISTRIBUTION_TAIL ARGS);                                                           \
    }
#define VXALEA_SAMPLER_MEMBERS_ARRAY(ONE, FILL, name, fill_name, DECL, ARGS) /* written out below */
    VX_DISTRIBUTION_LIST(VXALEA_SAMPLER_MEMBERS)
#undef VXALEA_SAMPLER_MEMBERS
#undef VXALEA_SAMPLER_MEMBERS_VALUES
#undef VXALEA_SAMPLER_MEMBERS_ARRAY

    /* Index 1..probs.size() drawn with the given probabilities, used as they
     * are (probs.size() + 1 takes what they leave of 1). */
    double table(std::span<const double> probs) noexcept
    {
        return q_->GetOneVariateTABLE(q_, static_cast<long>(probs.size()), const_cast<double*>(probs.data()));
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
    std::string_view method() const noexcept { return detail::engine_name_of(*q_->Functions); }
    std::string_view label() const noexcept
    {
        return detail::name_of(q_->Functions->zrng_label, sizeof q_->Functions->zrng_label);
    }
    uint64_t seed() const noexcept { return q_->Seed; }
    uint64_t key() const noexcept { return q_->Key; }
    uint64_t thread() const noexcept { return q_->Thread; }
    /* The first problem initialization reported; the stream runs anyway. */
    std::error_code status() const noexcept { return make_status(q_->Status); }

    /* Back to the first draw of the same seed, key and thread. */
    void rewind() noexcept { fn_.zrand_rewind(reinterpret_cast<ZRAND_S*>(q_)); }
    /* Restart from another seed (0: one from the clock), same key and thread.
     * A seed above the engine's largest is refused, as when opening: the
     * engine would fold it into another. */
    void reseed(uint64_t seed, std::error_code& ec) noexcept
    {
        ec = seed > q_->Functions->zrng_max_seed ? make_error_code(errc::seed_out_of_range) : std::error_code();
        if (!ec) fn_.zmrsReset32(seed, q_);
    }
    void reseed(uint64_t seed)
    {
        std::error_code ec;
        reseed(seed, ec);
        if (ec) {
            std::string why;
            detail::check_request(*q_->Functions, seed, 0, 0, &why);
            throw error(ec, "cannot reseed: " + why);
        }
    }

    /* A complete checkpoint: restore() on a stream of the same engine (or
     * from_checkpoint()) continues exactly as this stream from here, for
     * draws of every kind.  The format is in <vxalea/checkpoint.hpp>. */
    std::vector<std::byte> checkpoint() const { return vxalea::checkpoint::save(*q_); }
    void restore(std::span<const std::byte> bytes)
    {
        std::string why;
        if (!vxalea::checkpoint::restore(*q_, bytes, &why))
            throw error(make_error_code(errc::bad_checkpoint), "cannot restore: " + why);
    }
    void restore(std::span<const std::byte> bytes, std::error_code& ec) noexcept
    {
        try {
            ec = vxalea::checkpoint::restore(*q_, bytes) ? std::error_code() : make_error_code(errc::bad_checkpoint);
        } catch (const std::bad_alloc&) {
            ec = make_status(VX_STATUS_NULL_ARGUMENT);
        }
    }

    /* The generator words the engine's own state import reads, without its
     * read position or buffered outputs: import_state() of these bytes gives
     * the same continuation only at a block boundary (MT64 after a multiple
     * of 312 draws; never mid-block on Threefry) and drops a waiting normal
     * deviate.  Use checkpoint() to save a stream. */
    std::span<const std::byte> state() const noexcept
    {
        return {static_cast<const std::byte*>(q_->Blob), q_->Functions->zrng_state_size};
    }
    /* The engine's state import (flags: ZRNG_STATE_PARTIAL, ZRNG_STATE_REPEAT).
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

    MRandPtr q_ = nullptr;
    module_functions fn_;
};

/* method: any of the module's names and aliases, case-blind; empty: the
 * registry's OSENV.QOR_RNG_METHOD when it has one, else the stream type's
 * own engine, MT64 for stream64 and MTHYBRID for stream32.  seed 0: one from
 * the clock.  key and thread choose substreams of the same seed. */
struct stream_options {
    std::string_view method = {};
    uint64_t seed = 0;
    uint64_t key = 0;
    uint64_t thread = 0;
};

/* A variate generator of its own, allocated zero-filled from a pool and
 * freed to it.  Its width is the engine's: a stream64 runs an engine of 64
 * bits per output, a stream32 one of 32. */
template <class UInt>
class basic_stream : public basic_stream_ref<UInt> {
    using base = basic_stream_ref<UInt>;
    static constexpr uint32_t bits = 8 * sizeof(UInt);

public:
    /* The engine a stream of this type runs when no method is named. */
    static constexpr std::string_view default_method = bits == 64 ? "MT64" : "MTHYBRID";

    basic_stream() noexcept = default;
    basic_stream(const module& m, pool& p, const stream_options& o, std::error_code& ec) noexcept
    {
        open(m.functions(), p.get(), o, ec, nullptr);
    }
    basic_stream(const module& m, pool& p, const stream_options& o = {})
    {
        std::error_code ec;
        std::string why;
        open(m.functions(), p.get(), o, ec, &why);
        if (ec) {
            release();
            throw error(ec, "cannot open a stream" +
                                (o.method.empty() ? std::string() : " of method '" + std::string(o.method) + "'") +
                                (why.empty() ? "" : ": " + why));
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
        s.open(this->fn_, pool_, {this->method(), this->q_->Seed, key, this->q_->Thread}, ec, nullptr);
        return s;
    }
    basic_stream substream(uint64_t key) const
    {
        basic_stream s;
        std::error_code ec;
        std::string why;
        s.open(this->fn_, pool_, {this->method(), this->q_->Seed, key, this->q_->Thread}, ec, &why);
        detail::throw_if(ec, "cannot open substream " + std::to_string(key) + (why.empty() ? "" : ": " + why));
        return s;
    }

    /* A stream that continues where the checkpointed one stood: opened on
     * the checkpoint's engine, then restored. */
    static basic_stream from_checkpoint(const module& m, pool& p, std::span<const std::byte> bytes)
    {
        std::error_code ec;
        std::string why;
        basic_stream s = from_checkpoint(m, p, bytes, ec, &why);
        detail::throw_if(ec, "cannot restore a checkpoint: " + why);
        return s;
    }
    static basic_stream from_checkpoint(const module& m, pool& p, std::span<const std::byte> bytes,
                                        std::error_code& ec) noexcept
    {
        try {
            return from_checkpoint(m, p, bytes, ec, nullptr);
        } catch (const std::bad_alloc&) {
            ec = make_status(VX_STATUS_NULL_ARGUMENT);
            return {};
        }
    }

    /* Task `task` of a parallel experiment: the experiment's seed in the
     * task's own substream (<vxalea/tasks.hpp>), so its numbers depend on
     * the task alone and not on the worker that runs it. */
    static basic_stream for_task(const module& m, pool& p, uint64_t experiment_seed, uint64_t task,
                                 std::string_view method = {})
    {
        std::error_code ec;
        std::string why;
        basic_stream s;
        s.open_task(m.functions(), p.get(), experiment_seed, task, method, ec, &why);
        if (ec) {
            s.release();
            throw error(ec, "cannot open the stream of task " + std::to_string(task) + ": " + why);
        }
        return s;
    }
    static basic_stream for_task(const module& m, pool& p, uint64_t experiment_seed, uint64_t task,
                                 std::string_view method, std::error_code& ec) noexcept
    {
        basic_stream s;
        s.open_task(m.functions(), p.get(), experiment_seed, task, method, ec, nullptr);
        if (ec) s.release();
        return s;
    }

private:
    static std::string_view trimmed(std::string_view name) noexcept
    {
        while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
        while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
        return name;
    }
    static bool registry_names_method(VXHndlp h) noexcept
    {
        static constexpr char32_t entry[] = U"OSENV.QOR_RNG_METHOD";
        return h && h->nameExists &&
               h->nameExists(h, reinterpret_cast<const VXChar*>(entry), static_cast<VXStrSize>(std::size(entry) - 1));
    }
    static std::string width_advice(std::string_view engine, uint32_t engine_bits)
    {
        const std::string other = engine_bits == 64 ? "stream64" : engine_bits == 32 ? "stream32" : "";
        return std::string(engine) + " is an engine of " + std::to_string(engine_bits) + " bits per output, not " +
               std::to_string(bits) + (other.empty() ? "" : ": open it as vxalea::" + other);
    }

    /* Opens the record; ec and, when why is given, the reason.  Refusals of
     * the request leave the stream open (the C behaviour); a method of the
     * other width leaves none. */
    void open(const module_functions& fn, VXPoolh p, const stream_options& o, std::error_code& ec,
              std::string* why) noexcept
    {
        try {
            open_record(fn, p, o, ec, why);
        } catch (const std::bad_alloc&) {
            ec = make_status(VX_STATUS_NULL_ARGUMENT);
        }
    }
    void open_record(const module_functions& fn, VXPoolh p, const stream_options& o, std::error_code& ec,
                     std::string* why)
    {
        ec.clear();
        if (!p || !fn.zmrsrnd) {
            ec = make_status(VX_STATUS_NULL_ARGUMENT);
            return;
        }
        /* The name must be NUL-terminated.  The module trims blanks and
         * rejects 16 characters or more, so a trimmed name cut at 63 keeps
         * its fate. */
        std::string_view name = trimmed(o.method);
        const bool by_registry = name.empty() && registry_names_method(fn.handle);
        if (name.empty() && !by_registry) name = default_method;
        char text[64] = {};
        name.copy(text, sizeof text - 1);

        auto* q = static_cast<MRandPtr>(p->memAlloc(p, sizeof(MERSENNE_RAND), VX_MEM_ZERO));
        if (!q) {
            ec = make_status(VX_STATUS_NULL_ARGUMENT);
            return;
        }
        q->nrv = 1;
        q->UserMethod = by_registry ? nullptr : text; /* replaced by the descriptor's name */
        q->Seed = o.seed;
        q->Key = o.key;
        q->Thread = o.thread;
        fn.zmrsrnd(q);
        const ZRNG_S& d = *q->Functions;
        const VXStatus st = q->Status;
        /* min() and max() promise every value of UInt, so an engine of
         * another output width cannot be this type. */
        const bool fits = d.zrng_bits == bits;
        if (st == ZRNG_S_BAD_METHOD || st == ZRNG_S_NO_ENGINE) {
            ec = make_status(st);
            if (why)
                *why = std::string(st == ZRNG_S_BAD_METHOD ? "no such method" : "not available here") +
                       "; the module fell back to MTHYBRID" + (fits ? "" : ", which is not a " + std::to_string(bits) +
                                                                              "-bit engine");
        } else if (!fits) {
            ec = make_error_code(errc::wrong_width);
            if (why)
                *why = (by_registry ? "the registry's OSENV.QOR_RNG_METHOD chose " : "") +
                       width_advice(detail::engine_name_of(d), d.zrng_bits);
        } else {
            ec = detail::check_request(d, o.seed, o.key, o.thread, why);
            if (!ec) ec = make_status(st);
        }
        if (!fits) {
            p->memFree(p, q);
            return;
        }
        this->q_ = q;
        this->fn_ = fn;
        pool_ = p;
    }

    static basic_stream from_checkpoint(const module& m, pool& p, std::span<const std::byte> bytes,
                                        std::error_code& ec, std::string* why)
    {
        vxalea::checkpoint::header h;
        if (!vxalea::checkpoint::read_header(bytes, h, why)) {
            ec = make_error_code(errc::bad_checkpoint);
            return {};
        }
        if (h.bits != bits) {
            ec = make_error_code(errc::wrong_width);
            if (why) *why = "the checkpoint's " + width_advice(h.engine, h.bits);
            return {};
        }
        basic_stream s;
        /* Any seed will do (the checkpoint replaces it); 1 spares the clock. */
        s.open(m.functions(), p.get(), {h.engine, 1, 0, 0}, ec, why);
        if (!s) return {};
        if (!vxalea::checkpoint::restore(*s.q_, bytes, why)) {
            ec = make_error_code(errc::bad_checkpoint);
            return {};
        }
        ec.clear();
        return s;
    }

    void open_task(const module_functions& fn, VXPoolh p, uint64_t experiment_seed, uint64_t task,
                   std::string_view method, std::error_code& ec, std::string* why) noexcept
    {
        try {
            open(fn, p, {method, experiment_seed, 0, 0}, ec, why);
            if (ec) return;
            const ZRNG_S& d = *this->q_->Functions;
            const std::string_view engine = detail::engine_name_of(d);
            const substream_limits l = limits_of(d);
            if (experiment_seed == 0) {
                ec = make_error_code(errc::seed_out_of_range);
                if (why) *why = "seed 0 takes a seed from the clock, and the run could not be repeated";
                return;
            }
            if (!is_statistical(engine) || !l.takes_key) {
                ec = make_error_code(errc::no_task_substreams);
                if (why)
                    *why = std::string(engine) + (l.takes_key ? " is not a statistical generator"
                                                              : " has no keys to give tasks substreams") +
                           "; MT64, MTHYBRID, the Threefry and PCG engines have";
                return;
            }
            const std::optional<task_substream> sub = substream_of_task(l, task);
            if (!sub) {
                ec = make_error_code(errc::task_out_of_range);
                if (why)
                    *why = "task " + std::to_string(task) + " is beyond the last task " +
                           std::to_string(*last_task(l)) + ": " + detail::describe_limits(d);
                return;
            }
            /* As a stream opened with this key and thread: seed, thread, key. */
            this->q_->Key = sub->key;
            this->q_->Thread = sub->thread;
            fn.zrand_rewind(reinterpret_cast<ZRAND_S*>(this->q_));
        } catch (const std::bad_alloc&) {
            ec = make_status(VX_STATUS_NULL_ARGUMENT);
        }
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

/* The stream of task `task` of an experiment (basic_stream::for_task). */
template <class Stream = stream64>
Stream task_stream(const module& m, pool& p, uint64_t experiment_seed, uint64_t task, std::string_view method = {})
{
    return Stream::for_task(m, p, experiment_seed, task, method);
}

// ---- the shared per-thread generators of runTask ---------------------------------------

/* One attachment to the module's shared array of MT64 generators: attached
 * on construction (task 1), detached on destruction (task 3; the last
 * caller's detach frees the array).  The array is seeded once by whoever
 * calls seed() first; generator i runs from base seed + i, so a parallel
 * computation that ties its work to generator indices repeats for a base
 * seed whatever the number of threads.  Each generator serves one thread at
 * a time.
 *
 * The module does not tell a caller how many generators the array holds, so
 * every caller must ask for the same count: this layer remembers the count
 * that made each array and refuses another.  (A C caller's count is not
 * seen.)  A generator is handed out only once seed() has seen it
 * initialized. */
class shared_generators {
public:
    struct seeding {
        int32_t seed = 0;     /* base seed in use */
        uint64_t status = 0;  /* VXALEA_SEED_FROM_CLOCK, _FROM_CALLER, VXALEA_SEEDED_BEFORE */
    };

    shared_generators(const module& m, int32_t count)
    {
        std::error_code ec;
        std::string why;
        attach(m, count, ec, &why);
        detail::throw_if(ec, "cannot attach to the shared generators" + (why.empty() ? "" : ": " + why));
    }
    shared_generators(const module& m, int32_t count, std::error_code& ec) noexcept
    {
        try {
            attach(m, count, ec, nullptr);
        } catch (const std::bad_alloc&) {
            ec = make_status(VX_STATUS_NULL_ARGUMENT);
        }
    }
    ~shared_generators() { detach(); }
    shared_generators(shared_generators&& o) noexcept
        : ext_(std::exchange(o.ext_, nullptr)), array_(o.array_), size_(o.size_), seeded_(o.seeded_), fn_(o.fn_)
    {
    }
    shared_generators& operator=(shared_generators&& o) noexcept
    {
        if (this != &o) {
            detach();
            ext_ = std::exchange(o.ext_, nullptr);
            array_ = o.array_;
            size_ = o.size_;
            seeded_ = o.seeded_;
            fn_ = o.fn_;
        }
        return *this;
    }
    shared_generators(const shared_generators&) = delete;
    shared_generators& operator=(const shared_generators&) = delete;

    /* base_seed <= 0: the module's clock-based seed.  Ignored when the array
     * was seeded before; the result tells which seed is in use.  Refused
     * (not_seeded) when the module reports the array seeded but its
     * generators were never initialized, as after an earlier caller attached
     * with no generators and seeded. */
    seeding seed(int32_t base_seed, std::error_code& ec) noexcept
    {
        vxaleaTaskParms p{};
        p.seedWanted = base_seed;
        ec = make_status(ext_->runTask(ext_, VXALEA_TASK_SEED, &p, sizeof p));
        if (!ec) {
            seeded_ = true;
            for (size_t i = 0; i < size_; ++i) seeded_ = seeded_ && initialized(array_[i]);
            if (!seeded_) ec = make_error_code(errc::not_seeded);
        }
        return {p.seedInUse, p.status};
    }
    seeding seed(int32_t base_seed)
    {
        std::error_code ec;
        seeding s = seed(base_seed, ec);
        detail::throw_if(ec, "cannot seed the shared generators" +
                                 std::string(ec == errc::not_seeded
                                                 ? ": the module reports them seeded before, but this array's "
                                                   "generators were never initialized (an earlier caller attached "
                                                   "with no generators and seeded); detach every caller and "
                                                   "attach again"
                                                 : ""));
        return s;
    }

    explicit operator bool() const noexcept { return ext_ != nullptr; }
    /* Generators in the array: the count this caller attached with. */
    size_t size() const noexcept { return size_; }
    /* Generator i, once seed() has seen the array initialized. */
    stream64_ref at(size_t i, std::error_code& ec) const noexcept
    {
        ec.clear();
        if (!seeded_ || i >= size_) {
            ec = make_error_code(seeded_ ? errc::count_mismatch : errc::not_seeded);
            return {};
        }
        return {array_ + i, fn_};
    }
    stream64_ref operator[](size_t i) const
    {
        std::error_code ec;
        stream64_ref r = at(i, ec);
        if (ec)
            throw error(ec, seeded_ ? "shared generator " + std::to_string(i) + " is beyond the " +
                                          std::to_string(size_) + " of the array"
                                    : std::string("the shared generators are handed out after seed()"));
        return r;
    }
    MRandPtr data() const noexcept { return array_; }

private:
    /* The count that made each live array, for the callers of this layer. */
    struct made_array {
        const VXALEA* ext;
        MRandPtr array;
        size_t size;
        size_t holders;
    };
    struct made_arrays {
        std::mutex mu;
        std::vector<made_array> list;
    };
    static made_arrays& arrays()
    {
        static made_arrays a;
        return a;
    }
    /* Set once by the generator's set-up and never changed, so it may be
     * read while other threads draw from their generators. */
    static bool initialized(const MERSENNE_RAND& g) noexcept { return g.Functions != nullptr; }

    void attach(const module& m, int32_t count, std::error_code& ec, std::string* why)
    {
        VXALEA* ext = m ? m.extension() : nullptr;
        if (!ext || count <= 0) {
            ec = make_status(VX_STATUS_NULL_ARGUMENT);
            if (why) *why = ext ? "the count of generators must be positive" : "no module";
            return;
        }
        made_arrays& made = arrays();
        /* Held across the task, so that the count recorded is the one of the
         * caller whose attach made the array. */
        std::lock_guard<std::mutex> g(made.mu);
        made.list.reserve(made.list.size() + 1);
        vxaleaTaskParms p{};
        p.nGenerators = count;
        ec = make_status(ext->runTask(ext, VXALEA_TASK_ATTACH, &p, sizeof p));
        if (ec) return;
        if (!p.generators) {
            ext->runTask(ext, VXALEA_TASK_DETACH, &p, sizeof p);
            ec = make_status(VX_STATUS_NULL_ARGUMENT);
            if (why) *why = "the module made no array";
            return;
        }
        auto it = std::find_if(made.list.begin(), made.list.end(), [&](const made_array& a) {
            return a.ext == ext && a.array == p.generators;
        });
        if (it != made.list.end() && it->size != static_cast<size_t>(count)) {
            vxaleaTaskParms q{};
            ext->runTask(ext, VXALEA_TASK_DETACH, &q, sizeof q);
            ec = make_error_code(errc::count_mismatch);
            if (why)
                *why = "the array has " + std::to_string(it->size) + " generators; every caller must ask for that "
                       "count, not " + std::to_string(count);
            return;
        }
        if (it != made.list.end())
            ++it->holders;
        else
            made.list.push_back({ext, p.generators, static_cast<size_t>(count), 1});
        ext_ = ext;
        array_ = p.generators;
        size_ = static_cast<size_t>(count);
        fn_ = m.functions();
    }
    void detach() noexcept
    {
        if (!ext_) return;
        made_arrays& made = arrays();
        std::lock_guard<std::mutex> g(made.mu);
        vxaleaTaskParms p{};
        ext_->runTask(ext_, VXALEA_TASK_DETACH, &p, sizeof p);
        for (auto it = made.list.begin(); it != made.list.end(); ++it)
            if (it->ext == ext_ && it->array == array_) {
                if (--it->holders == 0) made.list.erase(it);
                break;
            }
        ext_ = nullptr;
        array_ = nullptr;
        size_ = 0;
        seeded_ = false;
    }

    VXALEA* ext_ = nullptr;
    MRandPtr array_ = nullptr;
    size_t size_ = 0;
    bool seeded_ = false;
    module_functions fn_;
};

} // namespace vxalea

#endif /* C++20 */
#endif
