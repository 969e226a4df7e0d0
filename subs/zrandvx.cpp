/* Random streams: method resolution, seed and key reconciliation with what
 * the engine accepts, rewind, cloning.
 *
 * Problems with seeds and keys never stop a stream.  The first problem code
 * stays in Status, the message goes through zrngmsg, and the stream is
 * rewound and usable whatever happened.
 *
 * The bodies are templates over the record type so that a call made on a
 * MERSENNE_RAND (zmrsrnd) or a ZRANSTR works on that type directly instead
 * of through a pointer to the shorter record that shares its leading fields. */
#include <cmath>
#include <cstddef>
#include <cstring>

#include "mk/vxbind.h"
#include "subs/engines/zmh3x.h"
#include "subs/zrand.h"
#include "subs/zrandvx.h"
#include "subs/zrngmsg.h"
#include "subs/zrngseed.h"

/* The records are shared with code outside the module: pin their layout. */
static_assert(offsetof(ZRANNOR, HaveOne) == 0);
static_assert(offsetof(ZRANNOR, storedVariate) == 8);
static_assert(offsetof(ZRANNOR, savedflag) == 16);
static_assert(offsetof(ZRANNOR, norms) == 24);
static_assert(sizeof(ZRANNOR) == 40);
static_assert(sizeof(ZRANBET) == 80);
static_assert(offsetof(ZRANGAM, k) == 64 && sizeof(ZRANGAM) == 72);
static_assert(offsetof(ZRANBIN, nsave) == 48 && offsetof(ZRANBIN, underflow) == 56);
static_assert(sizeof(ZRANBIN) == 64);
static_assert(offsetof(ZRANPOI, flag) == 56 && sizeof(ZRANPOI) == 64);
static_assert(offsetof(ZRANMT, mti) == 4992 && offsetof(ZRANMT, mag01) == 5000);
static_assert(sizeof(ZRANMT) == 5016);

static_assert(offsetof(ZRAND_S, Check1) == 0);
static_assert(offsetof(ZRAND_S, Next) == 8);
static_assert(offsetof(ZRAND_S, Method) == 16);
static_assert(offsetof(ZRAND_S, Seed) == 80);
static_assert(offsetof(ZRAND_S, Key) == 88);
static_assert(offsetof(ZRAND_S, Thread) == 96);
static_assert(offsetof(ZRAND_S, Flags) == 104);
static_assert(offsetof(ZRAND_S, nrv) == 112);
static_assert(offsetof(ZRAND_S, p) == 120);
static_assert(offsetof(ZRAND_S, NBuffer) == 128);
static_assert(offsetof(ZRAND_S, VBuffer) == 136);
static_assert(offsetof(ZRAND_S, Status) == 144);
static_assert(offsetof(ZRAND_S, IsUsable) == 148);
static_assert(offsetof(ZRAND_S, BlobSize) == 152);
static_assert(offsetof(ZRAND_S, Blob) == 160);
static_assert(offsetof(ZRAND_S, State32) == 168);
static_assert(offsetof(ZRAND_S, State64) == 176);
static_assert(offsetof(ZRAND_S, rangen) == 184);
static_assert(offsetof(ZRAND_S, Functions) == 192);
static_assert(offsetof(ZRAND_S, Jnlh) == 200);
static_assert(offsetof(ZRAND_S, bet) == 208);
static_assert(offsetof(ZRAND_S, gam) == 288);
static_assert(offsetof(ZRAND_S, bin) == 360);
static_assert(offsetof(ZRAND_S, poi) == 424);
static_assert(offsetof(ZRAND_S, nor) == 488);
static_assert(offsetof(ZRAND_S, InitialSeed) == 528);
static_assert(offsetof(ZRAND_S, finalSeed) == 536);
static_assert(offsetof(ZRAND_S, reb) == 544);
static_assert(sizeof(ZRAND_S) == 552);

static_assert(offsetof(ZRANSTR, UserMethod) == 552);
static_assert(offsetof(ZRANSTR, UserSeed) == 560);
static_assert(offsetof(ZRANSTR, UserKey) == 568);
static_assert(offsetof(ZRANSTR, rng) == 576);
static_assert(offsetof(ZRANSTR, mt) == 1072);
static_assert(sizeof(ZRANSTR) == 6088);

static_assert(offsetof(MERSENNE_RAND, UserMethod) == offsetof(ZRANSTR, UserMethod));
static_assert(offsetof(MERSENNE_RAND, mt) == offsetof(ZRANSTR, mt));
static_assert(offsetof(MERSENNE_RAND, GetOneVariateBERNOULLI) == 6088);
static_assert(offsetof(MERSENNE_RAND, GetOneVariateWEIBULL) == 6088 + 19 * 8);
static_assert(offsetof(MERSENNE_RAND, FillTheBufferBERNOULLI) == 6088 + 20 * 8);
static_assert(offsetof(MERSENNE_RAND, FillTheBufferWEIBULL) == 6088 + 39 * 8);
static_assert(sizeof(MERSENNE_RAND) == 6088 + 40 * 8);

namespace {

constexpr int64_t kCheck1 = 123456789;
constexpr double kMinusPi = -3.141592653589793;
constexpr int64_t kMinus2To53 = -9007199254740992LL;

constexpr uint64_t kFoldKeyLimit64 = ZRNG_FOLD_KEY_LIMIT_64;
constexpr uint64_t kFoldKeyLimit32 = ZRNG_FOLD_KEY_LIMIT_32;

using ull = unsigned long long;

bool wideEngine(const ZRNG_S* f) { return f != nullptr && f->zrng_bits > 32; }
bool takesSeed(const ZRNG_S* f) { return (f->zrng_has & ZRNG_HAS_SEED) != 0; }
bool takesKey(const ZRNG_S* f) { return (f->zrng_has & ZRNG_HAS_KEY) != 0; }
bool takesThread(const ZRNG_S* f) { return (f->zrng_has & ZRNG_HAS_THREAD) != 0; }

/* Saturating: NaN and negatives give 0, 2^64 and above the largest value. */
uint64_t u64FromDouble(double d)
{
    if (!(d > 0.0)) return 0;
    if (d >= 0x1p64) return UINT64_MAX;
    return static_cast<uint64_t>(d);
}

template <class S>
void keepFirst(S* z, VXStatus code)
{
    if (z->Status == 0) z->Status = code;
}

template <class S>
int rewindImpl(S* z)
{
    ZRNG_S* f = z->Functions;
    void* blob = z->Blob;
    /* Without a descriptor or state there is no engine to restart; the
     * caches are still invalidated so the record is consistent. */
    if (f != nullptr && blob != nullptr) {
        const bool wide = wideEngine(f);
        if (takesSeed(f)) {
            if (wide) {
                if (f->zrng_seed_64) f->zrng_seed_64(blob, z->Seed);
            } else if (f->zrng_seed_32) {
                f->zrng_seed_32(blob, static_cast<uint32_t>(z->Seed));
            }
        }
        if (takesThread(f)) {
            if (wide) {
                if (f->zrng_thread_64) f->zrng_thread_64(blob, z->Thread);
            } else if (f->zrng_thread_32) {
                f->zrng_thread_32(blob, static_cast<uint32_t>(z->Thread));
            }
            if (takesKey(f)) {
                if (wide) {
                    if (f->zrng_key_64) f->zrng_key_64(blob, z->Key);
                } else if (f->zrng_key_32) {
                    f->zrng_key_32(blob, static_cast<uint32_t>(z->Key));
                }
            }
        } else if (takesKey(f)) {
            /* The engine has one substream dimension only: the thread number
             * goes into the low bits of the key.  A key too large for the
             * field is reported, and the (overlapping) value used anyway. */
            if (wide) {
                const uint64_t v = (z->Key << ZRNG_FOLD_THREAD_BITS_64) | z->Thread;
                if (z->Key >= kFoldKeyLimit64) {
                    keepFirst(z, ZRNG_S_BAD_KEY);
                    zrngmsg(VXSeverityError, ZRNG_M_KEY_TOO_LARGE, static_cast<ull>(z->Key),
                            static_cast<ull>(kFoldKeyLimit64 - 1), z->Method);
                }
                if (f->zrng_key_64) f->zrng_key_64(blob, v);
            } else {
                const uint32_t v = static_cast<uint32_t>((z->Key << ZRNG_FOLD_THREAD_BITS_32) | z->Thread);
                if (z->Key >= kFoldKeyLimit32) {
                    keepFirst(z, ZRNG_S_BAD_KEY);
                    zrngmsg(VXSeverityError, ZRNG_M_KEY_TOO_LARGE, static_cast<ull>(z->Key),
                            static_cast<ull>(kFoldKeyLimit32 - 1), z->Method);
                }
                if (f->zrng_key_32) f->zrng_key_32(blob, v);
            }
        }
    }

    /* -pi and -2^53 are values no valid parameter takes, so the next gamma,
     * binomial or Poisson variate recomputes its set-up.  The beta set-up
     * depends on nothing the engine does and is kept. */
    z->gam.alphasave = kMinusPi;
    z->bin.psave = kMinusPi;
    z->poi.lambdasave = kMinusPi;
    z->bin.nsave = kMinus2To53;
    z->bin.underflow = 0;
    z->nor.HaveOne = 0;

    z->IsUsable = 1;
    return z->Status;
}

/* Method resolution.  byMethodCall: zrand_method, where a zero length also
 * counts as "no name" for the flags. */
template <class S>
VXStatus resolveImpl(S* z, char* name, int name_l, bool byMethodCall)
{
    if (z->Functions == nullptr) z->Functions = &z->rng;
    ZRNG_S* f = z->Functions;
    if (z->UserMethod == f->zrng_name) return 0;
    z->UserMethod = f->zrng_name;

    if (name != nullptr && !(byMethodCall && name_l == 0)) {
        z->Flags |= ZRAND_FLAG_NAMED;
        z->Flags &= ~static_cast<uint64_t>(ZRAND_FLAG_NOTE_ISSUED);
    }
    z->Status = zrngmeth(name, name_l, f, z->Flags);

    z->rangen = f->zrng_double_open;
    z->BlobSize = f->zrng_blob_size != nullptr ? f->zrng_blob_size() : 0;
    std::memcpy(z->Method, f->zrng_vxname, sizeof(z->Method));
    z->IsUsable = 0;
    return z->Status;
}

template <class S>
int initImpl(S* z)
{
    z->Check1 = kCheck1;
    z->Status = 0;
    if (z->Jnlh == nullptr && Exported_VXHandle != nullptr) z->Jnlh = Exported_VXHandle->vxjnl;
    /* A record the caller zeroed itself gets its embedded state area, as it
     * gets its embedded descriptor. */
    if (z->Blob == nullptr) {
        z->Blob = &z->mt;
        z->State32 = reinterpret_cast<uint32_t*>(&z->mt);
        z->State64 = reinterpret_cast<uint64_t*>(&z->mt);
    }

    resolveImpl(z, z->UserMethod, -1, false);
    const ZRNG_S* f = z->Functions;
    const bool wide = wideEngine(f);

    if (std::isnan(z->UserSeed)) z->UserSeed = 0.0;
    if (takesSeed(f)) {
        if (z->UserSeed != 0.0) z->Seed = u64FromDouble(zrngd2i(z->UserSeed, f->zrng_max_seed));
        if (z->Seed == 0) {
            /* zrngi31 can return a debugging override above 2^31 as a negative
             * int32; its 32-bit pattern is the seed. */
            z->Seed = wide ? zrngi64() : static_cast<uint32_t>(zrngi31());
        } else if (z->UserSeed != 0.0 && z->UserSeed != static_cast<double>(z->Seed)) {
            zrngmsg(VXSeverityWarning, ZRNG_M_SEED_REPLACED, z->UserSeed,
                    static_cast<ull>(f->zrng_max_seed), z->Method, static_cast<ull>(z->Seed),
                    static_cast<ull>(z->Seed));
        }
    } else if (z->UserSeed != 0.0 || z->Seed != 0) {
        keepFirst(z, ZRNG_S_SEED_IGNORED);
        const double shown = z->UserSeed != 0.0 ? z->UserSeed : static_cast<double>(z->Seed);
        zrngmsg(VXSeverityWarning, ZRNG_M_SEED_IGNORED, shown, z->Method);
    }

    if (std::isnan(z->UserKey)) z->UserKey = 0.0;
    if (takesKey(f)) {
        const double uk = z->UserKey;
        if (uk < 0.0 || uk > static_cast<double>(f->zrng_max_key) || uk != std::floor(uk)) {
            keepFirst(z, ZRNG_S_BAD_KEY);
            zrngmsg(VXSeverityError, ZRNG_M_USER_KEY_BAD, uk, static_cast<ull>(f->zrng_max_key),
                    z->Method);
        } else if (z->Key > f->zrng_max_key) {
            keepFirst(z, ZRNG_S_BAD_KEY);
            zrngmsg(VXSeverityError, ZRNG_M_KEY_TOO_LARGE, static_cast<ull>(z->Key),
                    static_cast<ull>(f->zrng_max_key), z->Method);
        }
    } else if (z->UserKey != 0.0 || z->Key != 0) {
        keepFirst(z, ZRNG_S_KEY_IGNORED);
        const double shown = z->UserKey != 0.0 ? z->UserKey : static_cast<double>(z->Key);
        zrngmsg(VXSeverityWarning, ZRNG_M_KEY_IGNORED, shown, z->Method);
    }

    if ((z->Flags & ZRAND_FLAG_NAMED) != 0 && (z->Flags & ZRAND_FLAG_NOTE_ISSUED) == 0) {
        z->Flags |= ZRAND_FLAG_NOTE_ISSUED;
        const char* name = (f->zrng_has & ZRNG_HAS_LABEL) != 0 ? f->zrng_label : f->zrng_name;
        if (z->Key != 0)
            zrngmsg(VXSeverityNote, ZRNG_M_METHOD_SEED_KEY, name, static_cast<ull>(z->Seed),
                    static_cast<ull>(z->Seed), static_cast<ull>(z->Key), static_cast<ull>(z->Key));
        else if (z->Seed != 0)
            zrngmsg(VXSeverityNote, ZRNG_M_METHOD_SEED, name, static_cast<ull>(z->Seed),
                    static_cast<ull>(z->Seed));
        else
            zrngmsg(VXSeverityNote, ZRNG_M_METHOD, name);
    }

    rewindImpl(z);

    z->InitialSeed = z->Seed;
    z->finalSeed = wide ? zmh3x64(z->Seed) : zmh3x32(static_cast<uint32_t>(z->Seed));
    return z->Status;
}

template <class S>
VXStatus cloneImpl(S* z, uint64_t key, const ZRAND_S* from)
{
    std::memmove(z->Method, from->Method, sizeof(z->Method)); /* from may be z */
    z->Seed = from->Seed;
    z->Thread = from->Thread;
    z->Functions = from->Functions;
    z->BlobSize = from->BlobSize;
    z->reb = from->reb;
    z->rangen = from->rangen;
    z->Jnlh = from->Jnlh;
    z->Check1 = from->Check1;
    z->Key = key;
    z->nrv = 1;
    /* The clone's status describes the clone: whatever the target record held
     * before (0x8C7FE80A from allocation, say) does not survive. */
    z->Status = 0;
    z->Status = rewindImpl(z);
    return z->Status;
}

} // namespace

/* Internal entry points for the variate generator (same behaviour as the
 * exported functions, on the longer record). */
int zrandInitRecord(MRandPtr q) { return initImpl(q); }
int zrandRewindRecord(MRandPtr q) { return rewindImpl(q); }

extern "C" {

VXAPI ZRANSTR* zrand_alloc_vx(VXPoolh pool)
{
    if (pool == nullptr || pool->memAlloc == nullptr) return nullptr;
    auto* z = static_cast<ZRANSTR*>(pool->memAlloc(pool, sizeof(ZRANSTR), VX_MEM_ZERO));
    if (z == nullptr) return nullptr;
    /* Cleared here as well: the record must start zeroed even from a pool
     * that ignores the zero-fill flag. */
    std::memset(static_cast<void*>(z), 0, sizeof(*z));
    z->Status = ZRNG_S_NOT_INITIALIZED;
    z->IsUsable = 0;
    z->Functions = &z->rng;
    z->Blob = &z->mt;
    z->State32 = reinterpret_cast<uint32_t*>(&z->mt);
    z->State64 = reinterpret_cast<uint64_t*>(&z->mt);
    z->nrv = 1;
    z->p = nullptr;
    return z;
}

/* On a stream whose method is already resolved this returns 0 and changes
 * nothing, Status included, whatever Status holds. */
VXAPI VXStatus zrand_method(char* name, int name_l, ZRANSTR* zrnd)
{
    if (zrnd == nullptr) return VX_STATUS_NULL_ARGUMENT;
    return resolveImpl(zrnd, name, name_l, true);
}

VXAPI int zrand_init(ZRANSTR* zrnd)
{
    if (zrnd == nullptr) return VX_STATUS_NULL_ARGUMENT;
    return initImpl(zrnd);
}

VXAPI int zrand_seed(uint64_t seed, ZRANSTR* zrnd)
{
    if (zrnd == nullptr) return VX_STATUS_NULL_ARGUMENT;
    zrnd->UserSeed = 0.0;
    zrnd->UserKey = 0.0;
    zrnd->Key = 0;
    zrnd->Seed = seed;
    return initImpl(zrnd);
}

VXAPI int zrand_crude(ZRANSTR* zrnd)
{
    if (zrnd == nullptr) return VX_STATUS_NULL_ARGUMENT;
    initImpl(zrnd);
    if (zrnd->Functions != nullptr && zrnd->Functions->zrng_double_crude != nullptr)
        zrnd->rangen = zrnd->Functions->zrng_double_crude;
    return zrnd->Status;
}

VXAPI int zrand_rewind(ZRAND_S* zrnd)
{
    if (zrnd == nullptr) return VX_STATUS_NULL_ARGUMENT;
    return rewindImpl(zrnd);
}

VXAPI VXStatus zrand_clone(ZRAND_S* zrnd, uint64_t key, ZRAND_S* from)
{
    if (zrnd == nullptr || from == nullptr) return VX_STATUS_NULL_ARGUMENT;
    /* A target without state memory would have the engine write through a
     * null pointer; refuse before touching it. */
    if (zrnd->Blob == nullptr && from->Functions != nullptr) return VX_STATUS_NULL_ARGUMENT;
    return cloneImpl(zrnd, key, from);
}

VXAPI ZRAND_S* zrand_clone_vx(VXPoolh pool, uint64_t key, ZRAND_S* from)
{
    if (pool == nullptr || from == nullptr || pool->memAlloc == nullptr) return nullptr;
    auto* z = static_cast<ZRAND_S*>(pool->memAlloc(pool, sizeof(ZRAND_S), VX_MEM_ZERO));
    if (z == nullptr) return nullptr;
    std::memset(static_cast<void*>(z), 0, sizeof(*z));
    /* A zero-byte request is made a one-byte one so that the state pointer
     * is never null, whatever the pool does with empty requests. */
    const VXMemSize bytes = from->BlobSize != 0 ? from->BlobSize : 1;
    void* blob = pool->memAlloc(pool, bytes, VX_MEM_ZERO);
    if (blob == nullptr) {
        if (pool->memFree != nullptr) pool->memFree(pool, z);
        return nullptr;
    }
    std::memset(blob, 0, bytes);
    z->Blob = blob;
    z->State32 = static_cast<uint32_t*>(blob);
    z->State64 = static_cast<uint64_t*>(blob);
    cloneImpl(z, key, from);
    return z;
}

VXAPI void zrand_check(void*, int) {}

} // extern "C"
