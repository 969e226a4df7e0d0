#pragma GCC diagnostic ignored "-Wunused-parameter"
/* Weak placeholders for units that are still being written, so the module
 * links while its pieces land one by one.  Every real definition overrides
 * its placeholder; the file goes away once all units are in. */
#include <cmath>
#include <cstdarg>
#include "mk/vxbind.h"
#include "ext/vxalea.h"
#include "ext/vxalea_tasks.h"
#include "subs/vxnr.h"
#include "subs/zrngmsg.h"
#include "subs/vxnls.h"
#include "subs/zrngseed.h"
#include "subs/zmurmur.h"
#include "subs/zln1px.h"
#include "subs/ztorvel.h"
#define VXWEAK __attribute__((weak))
extern "C" {
VXWEAK VXHndlp Exported_VXHandle = nullptr;
VXWEAK void vxextent(VXHndlp hndl) {  }
VXWEAK int vxextver(VXHndlp hndl, size_t* major, size_t* minor) { return {}; }
VXWEAK double vxzdttme() { return std::nan(""); }
VXWEAK VXExtensionh vxalea(VXHndlp hndl, VXJnlh jnlh) { return {}; }
VXWEAK void vxvercn1(vxaleaBuildInfo* record) {  }
VXWEAK int vxnrtget(VXChar* name, int name_l, VXChar* result, int result_l) { return {}; }
VXWEAK int vxnrcget(VXChar* name, int name_l, char* result, int result_l) { return {}; }
VXWEAK QORLONG vxnrlget(VXChar* name, int name_l, QORLONG defval) { return {}; }
VXWEAK double vxnrdget(VXChar* name, int name_l, double defval) { return std::nan(""); }
VXWEAK int vxnrlook(VXChar* name, int name_l, int defval, ...) { return {}; }
VXWEAK int vxnrlimit(VXChar* name, int name_l, QORLONG limit) { return {}; }
VXWEAK QORLONG vxnrstol(VXChar* text) { return {}; }
VXWEAK VXStatus vxnrtset(VXChar* name, int name_l, VXChar* value, int value_l) { return {}; }
VXWEAK VXStatus vxnrlset(VXChar* name, int name_l, QORLONG value) { return {}; }
VXWEAK VXStatus vxnrdset(VXChar* name, int name_l, double value) { return {}; }
VXWEAK VXStatus zrngmsg(VXSeverity severity, VXStatus msg, ...) { return {}; }
VXWEAK VXStatus zpvnls(NLScei cei) { return {}; }
VXWEAK NLScei zSessCei() { return {}; }
VXWEAK VXNLSPipelineh zSessToVXChar() { return {}; }
VXWEAK VXNLSPipelineh zSessFromVXChar() { return {}; }
VXWEAK VXNLSPipelineh zCompToVXChar() { return {}; }
VXWEAK VXNLSPipelineh zCompFromVXChar() { return {}; }
VXWEAK VXLocaleh zLocaleh() { return {}; }
VXWEAK int zCharToVXChar(char* in, VXChar* out, int n) { return {}; }
VXWEAK VXNLSPipelineh vxzGetTpToUTF8(VXHndlp handle) { return {}; }
VXWEAK VXNLSPipelineh vxzGetTpFromUTF8(VXHndlp handle) { return {}; }
VXWEAK uint64_t zrngt64() { return {}; }
VXWEAK uint64_t zrngi64() { return {}; }
VXWEAK uint32_t zrngt32() { return {}; }
VXWEAK int32_t zrngi31() { return {}; }
VXWEAK double zrngd2i(double old_seed, uint64_t max_seed) { return std::nan(""); }
VXWEAK uint32_t zmurmur32(const void* bytes, int byte_len, uint32_t seed) { return {}; }
VXWEAK void zmurmur128(const uint64_t* data, const int length, const uint64_t seed, uint64_t* out) {  }
VXWEAK uint64_t zmurmur64(const uint64_t* data, const int length, const uint64_t seed) { return {}; }
VXWEAK double zln1px(double z) { return std::nan(""); }
VXWEAK double zlnSumOfExp(double x1, double x2) { return std::nan(""); }
VXWEAK double vxexp(double x) { return std::nan(""); }
VXWEAK double vxpow(double x, double y) { return std::nan(""); }
VXWEAK double ztorvel(int64_t* iSeed) { return std::nan(""); }
VXWEAK void zrnfSUBKEY32(zrngptr q, uint64_t flags) {  }
VXWEAK void zrnfSUBKEY64(zrngptr q, uint64_t flags) {  }
VXWEAK void zrnfTORVEL(zrngptr q, uint64_t flags) {  }
VXWEAK void zrnfRDRAND(zrngptr q, uint64_t flags) {  }
VXWEAK void zrnfMT1998(zrngptr q, uint64_t flags) {  }
VXWEAK void zrnfMTHYBRID(zrngptr q, uint64_t flags) {  }
VXWEAK void zrnfMT32(zrngptr q, uint64_t flags) {  }
VXWEAK void zrnfMT64(zrngptr q, uint64_t flags) {  }
VXWEAK void zrnfMH3(zrngptr q, uint64_t flags) {  }
VXWEAK void zrnfXOR64(zrngptr q, uint64_t flags) {  }
VXWEAK void zrnfXOR128(zrngptr q, uint64_t flags) {  }
VXWEAK void zrnfXOR1024(zrngptr q, uint64_t flags) {  }
VXWEAK void zrnfXOR4096(zrngptr q, uint64_t flags) {  }
VXWEAK void zrnfXORGENS(zrngptr q, uint64_t flags) {  }
VXWEAK void zrnfFRY2X32(zrngptr q, uint64_t flags) {  }
VXWEAK void zrnfFRY2X64(zrngptr q, uint64_t flags) {  }
VXWEAK void zrnfFRY4X64(zrngptr q, uint64_t flags) {  }
VXWEAK void zrnfPCG32I(zrngptr q, uint64_t flags) {  }
VXWEAK void zrnfPCG64I(zrngptr q, uint64_t flags) {  }
VXWEAK VXStatus zrngmeth(char* name, int name_l, ZRNG_S* q, uint64_t flags) { return {}; }
VXWEAK ZRANSTR* zrand_alloc_vx(VXPoolh pool) { return {}; }
VXWEAK VXStatus zrand_method(char* name, int name_l, ZRANSTR* zrnd) { return {}; }
VXWEAK int zrand_init(ZRANSTR* zrnd) { return {}; }
VXWEAK int zrand_seed(uint64_t seed, ZRANSTR* zrnd) { return {}; }
VXWEAK int zrand_crude(ZRANSTR* zrnd) { return {}; }
VXWEAK int zrand_rewind(ZRAND_S* zrnd) { return {}; }
VXWEAK VXStatus zrand_clone(ZRAND_S* zrnd, uint64_t key, ZRAND_S* from) { return {}; }
VXWEAK ZRAND_S* zrand_clone_vx(VXPoolh pool, uint64_t key, ZRAND_S* from) { return {}; }
VXWEAK void zrand_check(void* stream, int level) {  }
VXWEAK int zmrsrnd(MRandPtr q) { return {}; }
VXWEAK int zmrsetp(int randgen, MRandPtr q) { return {}; }
VXWEAK void zmrsReset32(uint64_t seed, MRandPtr q) {  }
VXWEAK void zmrsCloneState32(MRandPtr from, MRandPtr to) {  }
VXWEAK double GetOneVariateBERNOULLI(MRandPtr q, double p) { return std::nan(""); }
VXWEAK double GetOneVariateBETA(MRandPtr q, double alpha, double beta) { return std::nan(""); }
VXWEAK double GetOneVariateBINOMIAL(MRandPtr q, long n, double p) { return std::nan(""); }
VXWEAK double GetOneVariateCAUCHY(MRandPtr q) { return std::nan(""); }
VXWEAK double GetOneVariateCHISQUARE(MRandPtr q, double df) { return std::nan(""); }
VXWEAK double GetOneVariateERLANG(MRandPtr q, int32_t alpha) { return std::nan(""); }
VXWEAK double GetOneVariateEXPONENTIAL(MRandPtr q) { return std::nan(""); }
VXWEAK double GetOneVariateF(MRandPtr q, double ndf, double ddf) { return std::nan(""); }
VXWEAK double GetOneVariateGAMMA(MRandPtr q, double alpha) { return std::nan(""); }
VXWEAK double GetOneVariateGEOMETRIC(MRandPtr q, double pr) { return std::nan(""); }
VXWEAK double GetOneVariateHYPERGEOMETRIC(MRandPtr q, long nn, long n, long k) { return std::nan(""); }
VXWEAK double GetOneVariateLOGNORMAL(MRandPtr q) { return std::nan(""); }
VXWEAK double GetOneVariateNEGBINOMIAL(MRandPtr q, double prob_succ, double num_succ) { return std::nan(""); }
VXWEAK double GetOneVariateNORMAL(MRandPtr q) { return std::nan(""); }
VXWEAK double GetOneVariatePOISSON(MRandPtr q, double lambda) { return std::nan(""); }
VXWEAK double GetOneVariateTABLE(MRandPtr q, long tblcnt, double* tblptr) { return std::nan(""); }
VXWEAK double GetOneVariateT(MRandPtr q, double df) { return std::nan(""); }
VXWEAK double GetOneVariateTRIANGLE(MRandPtr q, double h) { return std::nan(""); }
VXWEAK double GetOneVariateUNIFORM(MRandPtr q) { return std::nan(""); }
VXWEAK double GetOneVariateWEIBULL(MRandPtr q, double shape, double scale) { return std::nan(""); }
VXWEAK int FillTheBufferBERNOULLI(MRandPtr q, double p) { return {}; }
VXWEAK int FillTheBufferBETA(MRandPtr q, double alpha, double beta) { return {}; }
VXWEAK int FillTheBufferBINOMIAL(MRandPtr q, long n, double p) { return {}; }
VXWEAK int FillTheBufferCAUCHY(MRandPtr q) { return {}; }
VXWEAK int FillTheBufferCHISQUARE(MRandPtr q, double df) { return {}; }
VXWEAK int FillTheBufferERLANG(MRandPtr q, int32_t alpha) { return {}; }
VXWEAK int FillTheBufferEXPONENTIAL(MRandPtr q) { return {}; }
VXWEAK int FillTheBufferF(MRandPtr q, double ndf, double ddf) { return {}; }
VXWEAK int FillTheBufferGAMMA(MRandPtr q, double alpha) { return {}; }
VXWEAK int FillTheBufferGEOMETRIC(MRandPtr q, double pr) { return {}; }
VXWEAK int FillTheBufferHYPERGEOMETRIC(MRandPtr q, long nn, long n, long k) { return {}; }
VXWEAK int FillTheBufferLOGNORMAL(MRandPtr q) { return {}; }
VXWEAK int FillTheBufferNEGBINOMIAL(MRandPtr q, double prob_succ, double num_succ) { return {}; }
VXWEAK int FillTheBufferNORMAL(MRandPtr q) { return {}; }
VXWEAK int FillTheBufferPOISSON(MRandPtr q, double lambda) { return {}; }
VXWEAK int FillTheBufferTABLE(MRandPtr q, long tblcnt, double* tblptr) { return {}; }
VXWEAK int FillTheBufferT(MRandPtr q, double df) { return {}; }
VXWEAK int FillTheBufferTRIANGLE(MRandPtr q, double h) { return {}; }
VXWEAK int FillTheBufferUNIFORM(MRandPtr q) { return {}; }
VXWEAK int FillTheBufferWEIBULL(MRandPtr q, double shape, double scale) { return {}; }
}
VXWEAK VXStatus vxaleaTaskAttach(VXALEA*, vxaleaPrivatePtr p, vxaleaTaskParms*) { p->sharedLock->release(p->sharedLock); return 0; }
VXWEAK VXStatus vxaleaTaskSeed(VXALEA*, vxaleaPrivatePtr p, vxaleaTaskParms*) { p->sharedLock->release(p->sharedLock); return 0; }
VXWEAK VXStatus vxaleaTaskDetach(VXALEA*, vxaleaPrivatePtr p, vxaleaTaskParms*) { p->sharedLock->release(p->sharedLock); return 0; }
VXWEAK VXChar vxUpperCase(VXChar c) { return c; }
VXWEAK VXChar vxLowerCase(VXChar c) { return c; }
VXWEAK VXChar vxUpperCaseTable(VXChar c) { return c; }
#include "subs/zmrsnormal.h"
VXWEAK double MakeNormalSequence(MRandPtr) { return std::nan(""); }
