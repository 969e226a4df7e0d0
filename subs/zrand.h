/* Random streams and the variate generator.
 *
 * A random stream (ZRAND_S, extended as ZRANSTR) is one seeded engine plus
 * what the samplers remember between calls.  The variate generator
 * (MERSENNE_RAND) is a ZRANSTR followed by the table of the forty samplers.
 * The three records share their leading fields, so a pointer to the longer
 * one may be passed where the shorter one is expected. */
#ifndef VX_SUBS_ZRAND_H
#define VX_SUBS_ZRAND_H

#include "zrng.h"

VX_EXTERN_C_BEGIN

/* Saved state of the normal sampler. */
typedef struct ZRANNOR {
    VXBoolean HaveOne;     /* a second deviate of the last pair is waiting */
    double storedVariate;
    int32_t savedflag;     /* unused by the samplers */
    struct {
        double savednorm;
        double norm;
    } norms;               /* unused by the samplers */
} ZRANNOR;

/* Saved set-up of the gamma sampler. */
typedef struct ZRANGAM {
    double alphasave;
    double a;
    double b;
    double c;
    double d;
    double dm1;
    double dinv;
    double p;
    int64_t k;
} ZRANGAM;

/* Saved set-up of the beta sampler (kept across rewinds). */
typedef struct ZRANBET {
    double alphasave;
    double betasave;
    double d1, d2, d3, d4, d5, d6, d7;
    double toobig;
} ZRANBET;

/* Saved set-up of the binomial sampler. */
typedef struct ZRANBIN {
    double psave;
    double mean;
    double sd;
    double omega;
    double b;
    double c;
    int64_t nsave;
    uint8_t underflow;
} ZRANBIN;

/* Saved set-up of the Poisson sampler. */
typedef struct ZRANPOI {
    double lambdasave;
    double test;
    double savea;
    double omega;
    double qm;
    double pm;
    double m;
    int32_t flag;
} ZRANPOI;

/* Raw engine state memory, large enough for every engine. */
typedef struct ZRANMT {
    uint64_t mt[624];
    int mti;
    uint64_t mag01[2];
} ZRANMT;

typedef struct ZRAND_S ZRAND_S;
typedef struct ZRANSTR ZRANSTR;
typedef struct MERSENNE_RAND MERSENNE_RAND;
typedef MERSENNE_RAND* MRandPtr;

/* Stream flags. */
#define ZRAND_FLAG_VXCHAR_NAME 0x1u /* the method name is VXChar text */
#define ZRAND_FLAG_NOTE_ISSUED 0x2u /* the method note has been issued */
#define ZRAND_FLAG_NAMED       0x4u /* the caller named the method */

#define ZRAND_S_FIELDS                                                              \
    int64_t Check1;                                                                 \
    ZRAND_S* Next;                                                                  \
    VXChar Method[16];                                                              \
    uint64_t Seed;                                                                  \
    uint64_t Key;                                                                   \
    uint64_t Thread;                                                                \
    uint64_t Flags;                                                                 \
    int64_t nrv;                                                                    \
    double* p;                                                                      \
    int64_t NBuffer;                                                                \
    double* VBuffer;                                                                \
    VXStatus Status;                                                                \
    VXBoolean IsUsable;                                                             \
    VXMemSize BlobSize;                                                             \
    void* Blob;                                                                     \
    uint32_t* State32;                                                              \
    uint64_t* State64;                                                              \
    double (*rangen)(void* blob);                                                   \
    ZRNG_S* Functions;                                                              \
    VXJnlh Jnlh;                                                                    \
    ZRANBET bet;                                                                    \
    ZRANGAM gam;                                                                    \
    ZRANBIN bin;                                                                    \
    ZRANPOI poi;                                                                    \
    ZRANNOR nor;                                                                    \
    uint64_t InitialSeed;                                                           \
    uint64_t finalSeed;                                                             \
    void* reb;

#define ZRANSTR_FIELDS                                                              \
    char* UserMethod;                                                               \
    double UserSeed;                                                                \
    double UserKey;                                                                 \
    ZRNG_S rng;                                                                     \
    ZRANMT mt;

struct ZRAND_S {
    ZRAND_S_FIELDS
};

struct ZRANSTR {
    ZRAND_S_FIELDS
    ZRANSTR_FIELDS
};

#define MERSENNE_RAND_SAMPLER_FIELDS                                                \
    double (*GetOneVariateBERNOULLI)(MRandPtr q, double p);                         \
    double (*GetOneVariateBETA)(MRandPtr q, double alpha, double beta);             \
    double (*GetOneVariateBINOMIAL)(MRandPtr q, long n, double p);                  \
    double (*GetOneVariateCAUCHY)(MRandPtr q);                                      \
    double (*GetOneVariateCHISQUARE)(MRandPtr q, double df);                        \
    double (*GetOneVariateERLANG)(MRandPtr q, int32_t alpha);                       \
    double (*GetOneVariateEXPONENTIAL)(MRandPtr q);                                 \
    double (*GetOneVariateF)(MRandPtr q, double ndf, double ddf);                   \
    double (*GetOneVariateGAMMA)(MRandPtr q, double alpha);                         \
    double (*GetOneVariateGEOMETRIC)(MRandPtr q, double pr);                        \
    double (*GetOneVariateHYPERGEOMETRIC)(MRandPtr q, long nn, long n, long k);     \
    double (*GetOneVariateLOGNORMAL)(MRandPtr q);                                   \
    double (*GetOneVariateNEGBINOMIAL)(MRandPtr q, double prob_succ, double num_succ); \
    double (*GetOneVariateNORMAL)(MRandPtr q);                                      \
    double (*GetOneVariatePOISSON)(MRandPtr q, double lambda);                      \
    double (*GetOneVariateTABLE)(MRandPtr q, long tblcnt, double* tblptr);          \
    double (*GetOneVariateT)(MRandPtr q, double df);                                \
    double (*GetOneVariateTRIANGLE)(MRandPtr q, double h);                          \
    double (*GetOneVariateUNIFORM)(MRandPtr q);                                     \
    double (*GetOneVariateWEIBULL)(MRandPtr q, double shape, double scale);         \
    int (*FillTheBufferBERNOULLI)(MRandPtr q, double p);                            \
    int (*FillTheBufferBETA)(MRandPtr q, double alpha, double beta);                \
    int (*FillTheBufferBINOMIAL)(MRandPtr q, long n, double p);                     \
    int (*FillTheBufferCAUCHY)(MRandPtr q);                                         \
    int (*FillTheBufferCHISQUARE)(MRandPtr q, double df);                           \
    int (*FillTheBufferERLANG)(MRandPtr q, int32_t alpha);                          \
    int (*FillTheBufferEXPONENTIAL)(MRandPtr q);                                    \
    int (*FillTheBufferF)(MRandPtr q, double ndf, double ddf);                      \
    int (*FillTheBufferGAMMA)(MRandPtr q, double alpha);                            \
    int (*FillTheBufferGEOMETRIC)(MRandPtr q, double pr);                           \
    int (*FillTheBufferHYPERGEOMETRIC)(MRandPtr q, long nn, long n, long k);        \
    int (*FillTheBufferLOGNORMAL)(MRandPtr q);                                      \
    int (*FillTheBufferNEGBINOMIAL)(MRandPtr q, double prob_succ, double num_succ); \
    int (*FillTheBufferNORMAL)(MRandPtr q);                                         \
    int (*FillTheBufferPOISSON)(MRandPtr q, double lambda);                         \
    int (*FillTheBufferTABLE)(MRandPtr q, long tblcnt, double* tblptr);             \
    int (*FillTheBufferT)(MRandPtr q, double df);                                   \
    int (*FillTheBufferTRIANGLE)(MRandPtr q, double h);                             \
    int (*FillTheBufferUNIFORM)(MRandPtr q);                                        \
    int (*FillTheBufferWEIBULL)(MRandPtr q, double shape, double scale);

struct MERSENNE_RAND {
    ZRAND_S_FIELDS
    ZRANSTR_FIELDS
    MERSENNE_RAND_SAMPLER_FIELDS
};

/* ---- random streams ---------------------------------------------------------- */
VXAPI ZRANSTR* zrand_alloc_vx(VXPoolh pool);
VXAPI VXStatus zrand_method(char* name, int name_l, ZRANSTR* zrnd);
VXAPI int zrand_init(ZRANSTR* zrnd);
VXAPI int zrand_seed(uint64_t seed, ZRANSTR* zrnd);
VXAPI int zrand_crude(ZRANSTR* zrnd);
VXAPI int zrand_rewind(ZRAND_S* zrnd);
VXAPI VXStatus zrand_clone(ZRAND_S* zrnd, uint64_t key, ZRAND_S* from);
VXAPI ZRAND_S* zrand_clone_vx(VXPoolh pool, uint64_t key, ZRAND_S* from);
VXAPI void zrand_check(void* stream, int level);

/* ---- the variate generator ------------------------------------------------------ */
VXAPI int zmrsrnd(MRandPtr q);
VXAPI int zmrsetp(int randgen, MRandPtr q);
VXAPI void zmrsReset32(uint64_t seed, MRandPtr q);
VXAPI void zmrsCloneState32(MRandPtr from, MRandPtr to);

/* ---- samplers ------------------------------------------------------------------ */
VXAPI double GetOneVariateBERNOULLI(MRandPtr q, double p);
VXAPI double GetOneVariateBETA(MRandPtr q, double alpha, double beta);
VXAPI double GetOneVariateBINOMIAL(MRandPtr q, long n, double p);
VXAPI double GetOneVariateCAUCHY(MRandPtr q);
VXAPI double GetOneVariateCHISQUARE(MRandPtr q, double df);
VXAPI double GetOneVariateERLANG(MRandPtr q, int32_t alpha);
VXAPI double GetOneVariateEXPONENTIAL(MRandPtr q);
VXAPI double GetOneVariateF(MRandPtr q, double ndf, double ddf);
VXAPI double GetOneVariateGAMMA(MRandPtr q, double alpha);
VXAPI double GetOneVariateGEOMETRIC(MRandPtr q, double pr);
VXAPI double GetOneVariateHYPERGEOMETRIC(MRandPtr q, long nn, long n, long k);
VXAPI double GetOneVariateLOGNORMAL(MRandPtr q);
VXAPI double GetOneVariateNEGBINOMIAL(MRandPtr q, double prob_succ, double num_succ);
VXAPI double GetOneVariateNORMAL(MRandPtr q);
VXAPI double GetOneVariatePOISSON(MRandPtr q, double lambda);
VXAPI double GetOneVariateTABLE(MRandPtr q, long tblcnt, double* tblptr);
VXAPI double GetOneVariateT(MRandPtr q, double df);
VXAPI double GetOneVariateTRIANGLE(MRandPtr q, double h);
VXAPI double GetOneVariateUNIFORM(MRandPtr q);
VXAPI double GetOneVariateWEIBULL(MRandPtr q, double shape, double scale);
VXAPI int FillTheBufferBERNOULLI(MRandPtr q, double p);
VXAPI int FillTheBufferBETA(MRandPtr q, double alpha, double beta);
VXAPI int FillTheBufferBINOMIAL(MRandPtr q, long n, double p);
VXAPI int FillTheBufferCAUCHY(MRandPtr q);
VXAPI int FillTheBufferCHISQUARE(MRandPtr q, double df);
VXAPI int FillTheBufferERLANG(MRandPtr q, int32_t alpha);
VXAPI int FillTheBufferEXPONENTIAL(MRandPtr q);
VXAPI int FillTheBufferF(MRandPtr q, double ndf, double ddf);
VXAPI int FillTheBufferGAMMA(MRandPtr q, double alpha);
VXAPI int FillTheBufferGEOMETRIC(MRandPtr q, double pr);
VXAPI int FillTheBufferHYPERGEOMETRIC(MRandPtr q, long nn, long n, long k);
VXAPI int FillTheBufferLOGNORMAL(MRandPtr q);
VXAPI int FillTheBufferNEGBINOMIAL(MRandPtr q, double prob_succ, double num_succ);
VXAPI int FillTheBufferNORMAL(MRandPtr q);
VXAPI int FillTheBufferPOISSON(MRandPtr q, double lambda);
VXAPI int FillTheBufferTABLE(MRandPtr q, long tblcnt, double* tblptr);
VXAPI int FillTheBufferT(MRandPtr q, double df);
VXAPI int FillTheBufferTRIANGLE(MRandPtr q, double h);
VXAPI int FillTheBufferUNIFORM(MRandPtr q);
VXAPI int FillTheBufferWEIBULL(MRandPtr q, double shape, double scale);

VX_EXTERN_C_END

#endif
