/* Inside the host: the records behind the handle, shared by the host's units.
 *
 * Every record the module sees (VXHndl, VXPool, VXLock, VXJnl, VXNLSExt,
 * VXNLSPipeline) is the public base of a host record, so the host gets
 * back from the module's pointer to its own record with a static_cast. */
#ifndef VX_HOST_HOST_INTERNAL_H
#define VX_HOST_HOST_INTERNAL_H

#include <atomic>
#include <condition_variable>
#include <cstdarg>
#include <cstdint>
#include <deque>
#include <locale.h>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "host/vxhost_testing.h"

struct VXExtension;

namespace vxh {

struct Host;

/* ---- pools ---------------------------------------------------------------- */
struct Pool : VXPool {
    Host* host = nullptr;
    std::string name;
    bool zeroAll = false; /* pool created with the zero-fill flag */
    std::mutex mu;
    std::unordered_map<void*, size_t> blocks;
    long attempts = 0;    /* memAlloc calls so far */
    long failFrom = 0;    /* attempts number from which memAlloc fails; 0: never */
};

void poolsInit(Host* host);
/* Destroys every pool still alive (host shutdown). */
void poolsShutdown(Host* host);
Pool* poolMake(Host* host, const VXPoolParms* parms, const char* name);
/* Consumes one failure of a "fail the next n calls" counter (n < 0: all). */
bool takeCreateFailure(std::atomic<int>& counter);

/* ---- locks ------------------------------------------------------------------ */
struct Lock : VXLock {
    Host* host = nullptr;
    std::mutex mu;
    std::condition_variable cv;
    bool held = false;
    std::thread::id owner;
};

void locksInit(Host* host);
void locksShutdown(Host* host);

/* ---- journal ------------------------------------------------------------------ */
struct JournalLine {
    VXSeverity severity;
    VXStatus code;
    std::string text;
};

struct Journal : VXJnl {
    Host* host = nullptr;
    std::mutex mu;
    std::deque<JournalLine> lines; /* deque: c_str() pointers survive appends */
    bool echo = false;
    VXStatus failStatus = 0;
    int failCount = 0; /* < 0: every write fails */
};

void journalInit(Host* host);

/* printf-like formatting of a VXChar format into UTF-8; see journal_format.cpp. */
std::string formatText(const VXChar* format, size_t format_l, va_list* ap);
/* The catalogue's UTF-8 format for a code, or null. */
const char* catalogueLookup(VXStatus code);

/* ---- registry ---------------------------------------------------------------- */
struct RegistryEntry {
    int32_t kind = 0;
    double d = 0.0;
    int64_t l = 0;
    std::u32string s;
};

struct Registry {
    std::mutex mu;
    std::map<std::u32string, RegistryEntry> entries;
    std::atomic<VXStatus> failStatus{0};
};

void registryInit(Host* host);
/* Host-side access used by the embedding API. */
VXStatus registryRemove(Host* host, const std::u32string& name);
/* Copy of the entry; false when absent. */
bool registryPeek(Host* host, const std::u32string& name, RegistryEntry* out);
/* Decimal text of a number entry. */
std::u32string numberText(const RegistryEntry& e);

/* ---- NLS ------------------------------------------------------------------------ */
enum class Codec { Utf8ToVx, VxToUtf8, Cp1252ToVx, VxToCp1252 };

struct Pipeline : VXNLSPipeline {
    Host* host = nullptr;
    Codec codec = Codec::Utf8ToVx;
};

struct NlsExt : VXNLSExt {
    Host* host = nullptr;
};

void nlsInit(Host* host);
void nlsShutdown(Host* host);

/* UTF-8 <-> VXChar helpers shared by the units.  Invalid input becomes U+FFFD. */
/* Decodes one character from p[0..n) (n > 0); returns the bytes consumed
 * (a maximal ill-formed subsequence counts as one U+FFFD). */
size_t decodeUtf8(const unsigned char* p, size_t n, char32_t* cp, bool* invalid);
/* Bytes the UTF-8 form of c takes (U+FFFD's for invalid code points). */
size_t utf8Length(char32_t c);
std::u32string utf8ToU32(std::string_view in, bool* invalid = nullptr);
std::string u32ToUtf8(std::u32string_view in, bool* invalid = nullptr);
void appendUtf8(std::string& out, char32_t c, bool* invalid = nullptr);
/* VXChar text with the journal's length convention (<= 0: NUL-terminated). */
std::u32string_view vxView(const VXChar* text, VXStrSize length);

/* ---- system services --------------------------------------------------------------- */
void systemInit(Host* host);

/* ---- loader ------------------------------------------------------------------------- */
void loaderShutdown(Host* host);

/* ---- the host ------------------------------------------------------------------------ */
struct Host : VXHndl {
    /* pools */
    std::mutex poolsMu;
    std::unordered_set<Pool*> pools;
    std::atomic<size_t> liveAllocations{0};
    std::atomic<int> failPoolCreate{0};  /* < 0: all */
    std::atomic<long> failNewPoolsAt{0};

    /* locks */
    std::mutex locksMu;
    std::unordered_set<Lock*> locks;
    std::atomic<uint64_t> lockAcquisitions{0};
    std::atomic<VXStatus> lockFailStatus{0};
    std::atomic<int> failLockCreate{0};

    Journal journal;
    Registry registry;

    /* NLS */
    NlsExt nlsExt;
    VXNLSRecord nlsRecord{};
    VXNLSExtended nlsExtended{};
    VXServerData serverData{};
    locale_t ctypeLocale = (locale_t)0;
    std::mutex pipelinesMu;
    std::unordered_set<Pipeline*> pipelines;
    std::atomic<size_t> pipelinesMade{0};

    /* clock: NaN = running */
    std::atomic<double> frozenClock;

    /* loader */
    std::mutex modulesMu;
    std::vector<VXHostModule*> modules;
    std::mutex errorMu;
    std::string lastError;

    /* pointers freed to a pool that does not own them, locks released by a
     * thread that does not hold them, and the like */
    std::atomic<uint64_t> hostErrors{0};
};

void setError(Host* host, std::string text);

} // namespace vxh

/* The embedding API's opaque type is the host record itself. */
struct VXHost : vxh::Host {};

namespace vxh {
inline Host* fromHandle(VXHndlp h) { return static_cast<Host*>(h); }
inline VXHost* toApi(Host* h) { return static_cast<VXHost*>(h); }
} // namespace vxh

#endif
