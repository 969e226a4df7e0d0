/* Every distribution of the variate generator, one row each, in the order
 * of the sampler table of MERSENNE_RAND (subs/zrand.h).  The table filling,
 * the C++ layer's sampler members and the fuzz targets are made from it;
 * subs/zmrsrnd.cpp checks at compile time that its rows name the table's
 * forty pointers, in the table's order, with the table's types.
 *
 * A row is X(NAME, name, FORM, (DECL), (ARGS)):
 *   NAME    a bare token: the samplers are GetOneVariateNAME and
 *           FillTheBufferNAME, the table's pointers of the same names.
 *   name    the lower-case name the tool, Python and the C++ layer use.
 *   FORM    VALUES when the parameters are plain numbers, ARRAY when they
 *           are a count and a pointer to that many probabilities (TABLE):
 *           the C++ layer and Python give that one a form of their own.
 *   DECL    the parameters after the stream, as declared in subs/zrand.h;
 *           () for none.
 *   ARGS    the same parameters' names, to pass them on.
 *
 * Use it with a macro of five parameters; VX_DISTRIBUTION_TAIL puts the
 * stream's comma in front of a non-empty DECL or ARGS:
 *     #define SET(NAME, name, FORM, DECL, ARGS) q->GetOneVariate##NAME = GetOneVariate##NAME;
 *     VX_DISTRIBUTION_LIST(SET)
 *     double (*fn)(MRandPtr q VX_DISTRIBUTION_TAIL DECL)   // (MRandPtr q, double alpha)
 * The header has no includes and no dependencies, and every row starts a
 * line with "X(", so a script can read the names too:
 *     sed -n 's/^ *X(\([A-Z]*\).*$/\1/p' subs/zmrslist.h
 *
 * ADDING A DISTRIBUTION
 * =====================
 * 1. Write the two samplers GetOneVariateXXX and FillTheBufferXXX in a
 *    subs/zmrs*.cpp file and declare them, VXAPI, with the others in
 *    subs/zrand.h.
 * 2. Add their two pointers to MERSENNE_RAND_SAMPLER_FIELDS in subs/zrand.h,
 *    each at the same place in its half of the table.  Any new pointer
 *    moves the one-variate half's successors or the buffer half, so the
 *    record's layout changes: a new version of the ABI.
 * 3. Add the row here, at that place.  The table filling, the C++ layer's
 *    xxx() and fill_xxx() and the fuzz targets' choice follow; the build
 *    stops at the fuzz switches (each needs a case) and in
 *    subs/zmrsrnd.cpp when the row and the table disagree.
 * 4. By hand: the tool's table (tools/vxalea/distributions.cpp: help text,
 *    --loc/--scale rule; its rows are checked against this list when it
 *    compiles), the Python method and its refusal text
 *    (python/src/stream.cpp, likewise checked), and the tests' tables.
 */
#ifndef VX_SUBS_ZMRSLIST_H
#define VX_SUBS_ZMRSLIST_H

// clang-format off
#define VX_DISTRIBUTION_LIST(X)                                                                      \
    X(BERNOULLI,      bernoulli,      VALUES, (double p),                      (p))                  \
    X(BETA,           beta,           VALUES, (double alpha, double beta),     (alpha, beta))        \
    X(BINOMIAL,       binomial,       VALUES, (long n, double p),              (n, p))               \
    X(CAUCHY,         cauchy,         VALUES, (),                              ())                   \
    X(CHISQUARE,      chisquare,      VALUES, (double df),                     (df))                 \
    X(ERLANG,         erlang,         VALUES, (int32_t alpha),                 (alpha))              \
    X(EXPONENTIAL,    exponential,    VALUES, (),                              ())                   \
    X(F,              f,              VALUES, (double ndf, double ddf),        (ndf, ddf))           \
    X(GAMMA,          gamma,          VALUES, (double alpha),                  (alpha))              \
    X(GEOMETRIC,      geometric,      VALUES, (double pr),                     (pr))                 \
    X(HYPERGEOMETRIC, hypergeometric, VALUES, (long nn, long n, long k),       (nn, n, k))           \
    X(LOGNORMAL,      lognormal,      VALUES, (),                              ())                   \
    X(NEGBINOMIAL,    negbinomial,    VALUES, (double prob_succ, double num_succ), (prob_succ, num_succ)) \
    X(NORMAL,         normal,         VALUES, (),                              ())                   \
    X(POISSON,        poisson,        VALUES, (double lambda),                 (lambda))             \
    X(TABLE,          table,          ARRAY,  (long tblcnt, double* tblptr),   (tblcnt, tblptr))     \
    X(T,              t,              VALUES, (double df),                     (df))                 \
    X(TRIANGLE,       triangle,       VALUES, (double h),                      (h))                  \
    X(UNIFORM,        uniform,        VALUES, (),                              ())                   \
    X(WEIBULL,        weibull,        VALUES, (double shape, double scale),    (shape, scale))
// clang-format on

/* VX_DISTRIBUTION_TAIL (a, b) is ", a, b"; VX_DISTRIBUTION_TAIL () is nothing. */
#define VX_DISTRIBUTION_TAIL(...) __VA_OPT__(, ) __VA_ARGS__

#endif
