/* The generator descriptor: one engine's name, sizes, capabilities and the
 * addresses of its operations.  Filled by an engine's set-up function
 * zrnf<NAME>; read-only afterwards and shareable between streams.  Every
 * operation takes the engine state block (the blob) first. */
#ifndef VX_SUBS_ZRNG_H
#define VX_SUBS_ZRNG_H

#include "../mk/vxhost.h"

VX_EXTERN_C_BEGIN

/* Capability bits of zrng_has. */
#define ZRNG_HAS_LABEL     0x0001u
#define ZRNG_HAS_DUMP      0x0002u
#define ZRNG_HAS_STATE     0x0004u
#define ZRNG_HAS_SEED_32   0x0008u
#define ZRNG_HAS_SEED_64   0x0010u
#define ZRNG_HAS_KEY_32    0x0020u
#define ZRNG_HAS_KEY_64    0x0040u
#define ZRNG_HAS_THREAD_32 0x0080u
#define ZRNG_HAS_THREAD_64 0x0100u
#define ZRNG_HAS_COUNT_32  0x0200u
#define ZRNG_HAS_COUNT_64  0x0400u
#define ZRNG_HAS_DOUBLE_32 0x0800u
#define ZRNG_HAS_DOUBLE_64 0x1000u
#define ZRNG_HAS_NONZERO   0x2000u

#define ZRNG_HAS_SEED   (ZRNG_HAS_SEED_32 | ZRNG_HAS_SEED_64)
#define ZRNG_HAS_KEY    (ZRNG_HAS_KEY_32 | ZRNG_HAS_KEY_64)
#define ZRNG_HAS_THREAD (ZRNG_HAS_THREAD_32 | ZRNG_HAS_THREAD_64)

/* An engine with keys but no thread numbers takes the thread number in the
 * low bits of its key: a thread field of 43 bits under 20 key bits (wide
 * engines), or of 21 bits under 10 key bits (32-bit engines).  Beyond those
 * limits one substream folds into another. */
#define ZRNG_FOLD_THREAD_BITS_64 43
#define ZRNG_FOLD_THREAD_BITS_32 21
#define ZRNG_FOLD_KEY_LIMIT_64   (UINT64_C(1) << 20)
#define ZRNG_FOLD_KEY_LIMIT_32   (UINT64_C(1) << 10)

/* Flags of zrng_state. */
#define ZRNG_STATE_PARTIAL 0x1u
#define ZRNG_STATE_REPEAT  0x2u

typedef struct ZRNG_S ZRNG_S;
typedef ZRNG_S* zrngptr;

typedef double (*zrng_double_fn)(void* blob);

struct ZRNG_S {
    int32_t zrng_name_length;  /* always 16 */
    int32_t zrng_label_length; /* always 64 */
    char zrng_name[16];
    char zrng_label[64];
    VXChar zrng_vxname[16];
    VXMemSize zrng_state_size; /* 0: the engine cannot run here */
    uint32_t zrng_log2_period;
    uint32_t zrng_bits;        /* bits per raw output; > 32 selects the _64 entries */
    uint64_t zrng_flags;       /* reserved */
    uint64_t zrng_has;
    uint64_t zrng_max_seed;
    uint64_t zrng_max_key;     /* 0: no key */
    VXSeverity msglev;         /* reserved */

    VXMemSize (*zrng_blob_size)(void);
    void (*zrng_dump_blob_32)(void* blob, int max_len);
    void (*zrng_dump_blob_64)(void* blob, int max_len);
    int (*zrng_state)(void* blob, uint8_t* state, int state_l, uint64_t flags);
    int (*zrng_seed_32)(void* blob, uint32_t seed);
    int (*zrng_seed_64)(void* blob, uint64_t seed);
    int (*zrng_seed_double)(void* blob, double seed);
    int (*zrng_key_32)(void* blob, uint32_t key);
    int (*zrng_key_64)(void* blob, uint64_t key);
    int (*zrng_key_double)(void* blob, double key);
    int (*zrng_thread_32)(void* blob, uint32_t thread);
    int (*zrng_thread_64)(void* blob, uint64_t thread);
    void (*zrng_count_32)(void* blob, uint32_t count);
    void (*zrng_count_64)(void* blob, uint64_t count);
    uint32_t (*zrng_uint32)(void* blob);
    uint64_t (*zrng_uint64)(void* blob);
    zrng_double_fn zrng_double_open;
    zrng_double_fn zrng_double_crude;
    zrng_double_fn zrng_double_fast;
    int (*zrng_flotation)(ZRNG_S* q, int a, int b);
    zrng_double_fn zrng_double_32_reject_zero;
    zrng_double_fn zrng_double_32_open_open;
    zrng_double_fn zrng_double_32_open_closed;
    zrng_double_fn zrng_double_32_closed_open;
    zrng_double_fn zrng_double_32_closed_closed;
    zrng_double_fn zrng_double_53_reject_zero;
    zrng_double_fn zrng_double_53_open_open;
    zrng_double_fn zrng_double_53_open_closed;
    zrng_double_fn zrng_double_53_closed_open;
    zrng_double_fn zrng_double_53_closed_closed;
    zrng_double_fn zrng_double_64_reject_zero_one;
    zrng_double_fn zrng_double_64_open_open;
    zrng_double_fn zrng_double_64_open_closed;
    zrng_double_fn zrng_double_64_closed_open;
    zrng_double_fn zrng_double_64_closed_closed;
    zrng_double_fn zrng_double_infinite;
};

/* Engine set-up functions (one per engine). */
VXAPI void zrnfSUBKEY32(zrngptr q, uint64_t flags);
VXAPI void zrnfSUBKEY64(zrngptr q, uint64_t flags);
VXAPI void zrnfTORVEL(zrngptr q, uint64_t flags);
VXAPI void zrnfRDRAND(zrngptr q, uint64_t flags);
VXAPI void zrnfMT1998(zrngptr q, uint64_t flags);
VXAPI void zrnfMTHYBRID(zrngptr q, uint64_t flags);
VXAPI void zrnfMT32(zrngptr q, uint64_t flags);
VXAPI void zrnfMT64(zrngptr q, uint64_t flags);
VXAPI void zrnfMH3(zrngptr q, uint64_t flags);
VXAPI void zrnfXOR64(zrngptr q, uint64_t flags);
VXAPI void zrnfXOR128(zrngptr q, uint64_t flags);
VXAPI void zrnfXOR1024(zrngptr q, uint64_t flags);
VXAPI void zrnfXOR4096(zrngptr q, uint64_t flags);
VXAPI void zrnfXORGENS(zrngptr q, uint64_t flags);
VXAPI void zrnfFRY2X32(zrngptr q, uint64_t flags);
VXAPI void zrnfFRY2X64(zrngptr q, uint64_t flags);
VXAPI void zrnfFRY4X64(zrngptr q, uint64_t flags);
VXAPI void zrnfPCG32I(zrngptr q, uint64_t flags);
VXAPI void zrnfPCG64I(zrngptr q, uint64_t flags);

/* Method selection: name (8-bit, or VXChar when bit 0x1 of flags is set) to
 * a filled descriptor; always leaves q filled (MTHYBRID on failure). */
VXAPI VXStatus zrngmeth(char* name, int name_l, ZRNG_S* q, uint64_t flags);

VX_EXTERN_C_END

#endif
