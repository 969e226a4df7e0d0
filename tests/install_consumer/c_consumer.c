/* A C program on the installed headers: a host, the module loaded from the
 * installation's own directory, a variate generator set up through the
 * module's exported zmrsrnd and drawn through its descriptor.  Prints "ok"
 * on success. */
#include <stdio.h>
#include <stdlib.h>

#include <vxalea/host/vxhost_api.h>
#include <vxalea/installed_paths.h>
#include <vxalea/vxalea.h>

int main(void)
{
    VXHost* host = vxhost_create();
    VXHostModule* m = host ? vxhost_load(host, "vxalea", VXALEA_INSTALLED_MODULE_DIR) : NULL;
    if (!m) {
        printf("cannot load: %s\n", host ? vxhost_last_error(host) : "no host");
        return 1;
    }
    int (*setup)(MRandPtr) = (int (*)(MRandPtr))vxhost_module_symbol(m, "zmrsrnd");
    MERSENNE_RAND* q = calloc(1, sizeof *q);
    char method[] = "MT64";
    q->UserMethod = method;
    q->Seed = 5489;
    int rc = setup && setup(q) == 0 && q->Functions->zrng_uint64(q->Blob) == 14514284786278117030ull ? 0 : 1;
    free(q);
    vxhost_destroy(host);
    puts(rc ? "wrong first output" : "ok");
    return rc;
}
