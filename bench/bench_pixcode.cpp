// kvbench_pixcode — macro program throughput beside two anchors measured in this run:
// the same loop written in C (one thread, compiled as this file is), and ImageMagick's
// per-pixel expression evaluator (-fx, one thread). Figures are megapixels per second,
// the best of a few runs; each line ends with the ratio Pixcode / C on one thread.
// The -fx anchor runs on a smaller image (it is slow) and is compared per pixel, with
// the cost of reading and writing its files taken off.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include "engine/color.h"
#include "engine/pixel.h"
#include "pixcode/pix_compile.h"
#include "pixcode/pix_run.h"

namespace {
const int SIDE = 4096;
const int FX_SIDE = 256;

const int RUNS = 3;

// The programs' work as a C programmer writes it, over every pixel in place.
void SwapC(uint32_t* p, size_t n) {
    for (size_t i = 0; i < n; i++) {
        uint32_t q = p[i];
        p[i] = (q & 0xFF0000FFu) | (q >> 8 & 0xFF00u) | (q << 8 & 0xFF0000u);
    }
}

void GreyC(uint32_t* p, size_t n) {
    const uint32_t w = clr_LerpWeight(700, 1000);
    for (size_t i = 0; i < n; i++) {
        uint32_t q = p[i], b = q & 0xFF, g = q >> 8 & 0xFF, r = q >> 16 & 0xFF;
        uint32_t grey = (r * 77 + g * 150 + b * 29) >> 8;
        p[i] = (q & 0xFF000000u) | px_Mix16(grey, w, r) << 16 | px_Mix16(grey, w, g) << 8 | px_Mix16(grey, w, b);
    }
}

void LoopC(uint32_t* p, size_t n) {
    for (size_t i = 0; i < n; i++) {
        uint32_t q = p[i];
        int32_t r = q >> 16 & 0xFF, a = 0;
        for (int j = 20; j; j--) a = (a + r) >> 1;
        p[i] = (q & 0xFF00FFFFu) | (uint32_t)a << 16;
    }
}

struct Case {
    const char* name;
    const char* program;
    const char* fx;   // arguments after the input file
    void (*c)(uint32_t*, size_t);
};

std::string LoopFx() {
    std::string e = "zz=0;";
    for (int i = 0; i < 20; i++) e += " zz=(zz+u)/2;";
    return "-channel R -fx '" + e + " zz'";
}

double Seconds(clockid_t clock) {
    timespec t;
    clock_gettime(clock, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

double ChildCpu() {
    rusage u;
    getrusage(RUSAGE_CHILDREN, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

// CPU seconds of one shell command, or a negative number when it failed.
double CommandCpu(const std::string& command) {
    double before = ChildCpu();
    int rc = std::system(command.c_str());
    if (rc != 0) return -1;
    return ChildCpu() - before;
}

// Mpix/s of one run of `program` over `s`; `threads` 1 is timed in CPU time, more in
// wall time.
double Throughput(const char* program, Surface* s, int threads) {
    static PixCell cells[PIX_CELLS];
    PixMachine m;
    PixCompileOut out;
    if (!pix_Compile(program, cells, &m, s, &out)) {
        std::printf("  does not compile: %s\n", out.error);
        return 0;
    }
    pix_SetThreads(threads);
    clockid_t clock = threads == 1 ? CLOCK_PROCESS_CPUTIME_ID : CLOCK_MONOTONIC;
    double t0 = Seconds(clock);
    int ok = pix_RunPixels(s, cells, &m);
    double t = Seconds(clock) - t0;
    pix_SetThreads(0);
    if (!ok) return 0;
    return (double)s->width * s->height / t / 1e6;
}

double BestThroughput(const char* program, Surface* s, int threads) {
    double best = 0;
    for (int i = 0; i < RUNS; i++) {
        double r = Throughput(program, s, threads);
        best = r > best ? r : best;
    }
    return best;
}

// Mpix/s of the C loop on one thread (CPU time), the best of RUNS.
double ThroughputC(void (*loop)(uint32_t*, size_t), Surface* s) {
    double best = 0;
    uint32_t* p = srf_Lock(s);
    for (int i = 0; i < RUNS; i++) {
        double t0 = Seconds(CLOCK_PROCESS_CPUTIME_ID);
        loop(p, (size_t)s->width * s->height);
        double t = Seconds(CLOCK_PROCESS_CPUTIME_ID) - t0;
        double r = t > 0 ? (double)s->width * s->height / t / 1e6 : 0;
        best = r > best ? r : best;
    }
    srf_Unlock(s);
    return best;
}
}  // namespace

int main() {
    const Case cases[] = {
        {"swap red,green", "swap red,green", "-channel RG -fx 'r+g-u'", SwapC},
        {"weighted grey, mix (15 instr.)",
         "multiply _a,red,#77 multiply _b,green,#150 add _a,_a,_b multiply _b,blue,#29 "
         "add _a,_a,_b shift_right _a,_a,#8 "
         "copy _c,#700 mix _c,_a,red copy red,_c copy _c,#700 mix _c,_a,green copy green,_c "
         "copy _c,#700 mix _c,_a,blue copy blue,_c",
         "-channel RGB -fx 'gr=0.30078*r+0.58594*g+0.11328*b; 0.7*gr+0.3*u'", GreyC},
        {"loop of 20 iterations",
         "copy _j,#20 copy _a,#0 label #1 add _a,_a,red shift_right _a,_a,#1 "
         "subtract _j,_j,#1 gotoif _j,#1 copy red,_a",
         nullptr, LoopC},
    };
    Surface s{};
    srf_Create(SIDE, SIDE, &s);
    uint32_t* p = srf_Lock(&s);
    std::mt19937 rng(1);
    for (size_t i = 0; i < (size_t)SIDE * SIDE; i++) p[i] = rng();
    srf_Unlock(&s);

    char dir[] = "/tmp/kvbench_pixcode_XXXXXX";
    bool haveFx = mkdtemp(dir) != nullptr;
    std::string in = std::string(dir) + "/in.miff", out = std::string(dir) + "/out.miff";
    double base = -1;
    if (haveFx) {
        char make[512];
        std::snprintf(make, sizeof make, "convert -size %dx%d xc: +noise Random -alpha off %s 2>/dev/null",
                      FX_SIDE, FX_SIDE, in.c_str());
        haveFx = CommandCpu(make) >= 0;
        base = haveFx ? CommandCpu("convert -limit thread 1 " + in + " " + out) : -1;
        haveFx = base >= 0;
    }

    std::printf("Pixcode on %d x %d; anchor: ImageMagick -fx, -limit thread 1, on %d x %d "
                "(scaled per pixel, file reading and writing taken off)\n", SIDE, SIDE, FX_SIDE, FX_SIDE);
    std::printf("%-32s %12s %12s %12s %12s %9s %9s %s\n", "program", "1 thread cpu", "all thr. wall", "C 1 thr. cpu",
                "-fx cpu", "fx 1t", "fx all", "Pixcode/C");
    for (const Case& c : cases) {
        double one = BestThroughput(c.program, &s, 1);
        double all = BestThroughput(c.program, &s, 0);
        double native = ThroughputC(c.c, &s);
        double fx = 0;
        std::string fxArgs = c.fx ? c.fx : LoopFx();
        if (haveFx) {
            double t = CommandCpu("convert -limit thread 1 " + in + " " + fxArgs + " " + out) - base;
            if (t > 0) fx = (double)FX_SIDE * FX_SIDE / t / 1e6;
        }
        std::printf("%-32s %7.1f Mp/s %7.1f Mp/s %7.1f Mp/s %7.3f Mp/s", c.name, one, all, native, fx);
        if (fx > 0) std::printf(" %8.0fx %8.0fx", one / fx, all / fx);
        else std::printf(" %9s %9s", "-", "-");
        std::printf(" %.2f\n", native > 0 ? one / native : 0.0);
    }
    if (haveFx) {
        std::remove(in.c_str());
        std::remove(out.c_str());
        rmdir(dir);
    }
    srf_Destroy(&s);
    return 0;
}
