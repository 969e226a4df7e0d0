/* The descriptor is read by code outside the module, through the public
 * header and by byte offset: pin its layout here, once. */
#include <cstddef>

#include "subs/zrng.h"

static_assert(offsetof(ZRNG_S, zrng_name_length) == 0);
static_assert(offsetof(ZRNG_S, zrng_label_length) == 4);
static_assert(offsetof(ZRNG_S, zrng_name) == 8);
static_assert(offsetof(ZRNG_S, zrng_label) == 24);
static_assert(offsetof(ZRNG_S, zrng_vxname) == 88);
static_assert(offsetof(ZRNG_S, zrng_state_size) == 152);
static_assert(offsetof(ZRNG_S, zrng_log2_period) == 160);
static_assert(offsetof(ZRNG_S, zrng_bits) == 164);
static_assert(offsetof(ZRNG_S, zrng_flags) == 168);
static_assert(offsetof(ZRNG_S, zrng_has) == 176);
static_assert(offsetof(ZRNG_S, zrng_max_seed) == 184);
static_assert(offsetof(ZRNG_S, zrng_max_key) == 192);
static_assert(offsetof(ZRNG_S, msglev) == 200);
static_assert(offsetof(ZRNG_S, zrng_blob_size) == 208);
static_assert(offsetof(ZRNG_S, zrng_uint32) == 208 + 14 * 8);
static_assert(offsetof(ZRNG_S, zrng_double_open) == 208 + 16 * 8);
static_assert(offsetof(ZRNG_S, zrng_flotation) == 208 + 19 * 8);
static_assert(offsetof(ZRNG_S, zrng_double_32_reject_zero) == 208 + 20 * 8);
static_assert(offsetof(ZRNG_S, zrng_double_53_reject_zero) == 208 + 25 * 8);
static_assert(offsetof(ZRNG_S, zrng_double_64_reject_zero_one) == 208 + 30 * 8);
static_assert(offsetof(ZRNG_S, zrng_double_infinite) == 208 + 35 * 8);
static_assert(sizeof(ZRNG_S) == 208 + 36 * 8);
