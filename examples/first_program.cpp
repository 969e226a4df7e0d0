// A first program: a host, the module loaded into it, and one seeded MT64
// stream drawing raw 64-bit outputs, variates of a few distributions and,
// being a standard bit generator, dice from <random>.
#include <cstdio>
#include <random>

#include <vxalea/vxalea.hpp>

int main()
try {
    vxalea::host host;
    vxalea::module mod(host); // libvxalea.so: the installed one, or ../lib beside the program
    vxalea::pool pool(host);
    vxalea::stream64 s(mod, pool, {.method = "MT64", .seed = 42});

    std::printf("%.*s, seed %llu\n", static_cast<int>(s.label().size()), s.label().data(),
                static_cast<unsigned long long>(s.seed()));
    for (int i = 0; i < 3; ++i) std::printf("raw         %llu\n", static_cast<unsigned long long>(s()));
    std::printf("uniform     %.17g\n", s.uniform());
    std::printf("normal      %.17g\n", s.normal());
    std::printf("gamma(2.5)  %.17g\n", s.gamma(2.5));

    double waits[4];
    s.fill_exponential(waits);
    std::printf("exponential %.6f %.6f %.6f %.6f\n", waits[0], waits[1], waits[2], waits[3]);

    std::uniform_int_distribution<int> die(1, 6);
    std::printf("dice       ");
    for (int i = 0; i < 10; ++i) std::printf(" %d", die(s));
    std::printf("\n");
    return 0;
} catch (const vxalea::error& e) {
    std::fprintf(stderr, "first_program: %s\n", e.what());
    return 1;
}
