// kvbench_batch — kvbatch over real photographs beside ImageMagick's convert doing the
// same work in the same run: one kvbatch process for all files against one convert
// process per file, run one after another, with `-limit thread` set to kvbatch's
// --jobs. Figures are wall times (the file work is parallel), best of three, and the
// ratio convert / kvbatch (above 1: kvbatch is faster).
// Both sides read the photographs as they are, PNG; the large one is made once with
// convert from the largest photograph. Everything is written
// into a memory-backed folder when there is one (/dev/shm), so that the disk's flushes
// (kvbatch flushes every file it replaces) do not drown the work being compared.
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char DEFAULT_FOLDER[] = "/work/shared/corpus/bench-photos";
const char BIG_SOURCE[] = "photo_twowings.png";
const int BIG_SIDE = 4096;

struct Case {
    const char* name;
    const char* batch;     // kvbatch operations and output type
    const char* convert;   // the same work as convert operations
    const char* convertType;
};
const Case CASES[] = {
    {"greyscale + flip + PPM", "--effect greyscale --transform flip-v --format ppm", "-grayscale Rec601Luma -flip",
     "ppm"},
    // KV5 is lossless and compressed with alpha: PNG is convert's nearest equivalent.
    {"Pixcode swap + KV5 (PNG)", "--pixcode swap.pxc --format kv5", "-color-matrix '0 1 0 1 0 0 0 0 1'", "png"},
};

struct Set {
    std::string name, folder;
    std::vector<std::string> files;   // names in folder
    double mpix;
};

int Run(const std::string& command) {
    const int rc = std::system(command.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

// Seconds of fn(), best of three; negative when a run failed.
template <class F>
double Best(F fn) {
    double best = -1;
    for (int i = 0; i < 3; i++) {
        const auto t0 = std::chrono::steady_clock::now();
        if (!fn()) return -1;
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (best < 0 || s < best) best = s;
    }
    return best;
}

// Pixels of a PNG (width and height big-endian at bytes 16..23).
double PngMegapixels(const std::string& path) {
    unsigned char h[24] = {};
    std::ifstream(path, std::ios::binary).read((char*)h, sizeof h);
    const auto at = [&](int i) { return (double)((uint32_t)h[i] << 24 | h[i + 1] << 16 | h[i + 2] << 8 | h[i + 3]); };
    return at(16) * at(20) / 1e6;
}

int MakeSet(Set* set, const std::string& folder) {
    set->folder = folder;
    set->mpix = 0;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().extension() == ".png") set->files.push_back(e.path().filename().string());
    std::sort(set->files.begin(), set->files.end());
    for (const std::string& f : set->files) set->mpix += PngMegapixels(folder + "/" + f);
    return !set->files.empty();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string photos = argc > 1 ? argv[1] : DEFAULT_FOLDER;
    const std::string base = fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path().string();
    std::string tmpl = base + "/kvbench_batchXXXXXX";
    if (!mkdtemp(&tmpl[0])) return 1;
    const std::string work = tmpl;
    fs::create_directories(work + "/big");

    int ok = Run("convert " + photos + "/" + BIG_SOURCE + " -resize " + std::to_string(BIG_SIDE) + "x" +
                 std::to_string(BIG_SIDE) + "! -depth 8 " + work + "/big/big4096.png") == 0;
    std::ofstream(work + "/swap.pxc") << "swap red,green;\n";
    Set sets[2];
    ok = ok && MakeSet(&sets[0], photos) && MakeSet(&sets[1], work + "/big");
    sets[0].name = std::to_string(sets[0].files.size()) + " photographs";
    sets[1].name = "one 4096 x 4096";
    if (!ok) {
        std::printf("kvbench_batch: cannot prepare the photographs (is ImageMagick's convert installed?)\n");
        fs::remove_all(work);
        return 1;
    }

    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::printf("kvbatch beside convert (one process per file, -limit thread = --jobs), wall time, best of 3;\n"
                "inputs: the PNGs of %s, outputs in %s\n",
                photos.c_str(), base.c_str());
    std::printf("%-26s %-16s %4s %19s %19s %8s\n", "work", "files", "jobs", "kvbatch", "convert", "ratio");
    std::vector<unsigned> jobCounts = {1};
    if (cores > 1) jobCounts.push_back(cores);
    for (const Case& c : CASES)
        for (const Set& set : sets)
            for (unsigned jobs : jobCounts) {
                const std::string out = work + "/out";
                fs::remove_all(out);
                fs::create_directories(out);
                const std::string j = std::to_string(jobs);
                const double kv = Best([&] {
                    return Run("cd " + work + " && " KVBATCH_PATH " --quiet --jobs " + j + " " + c.batch + " -o " +
                               out + " " + set.folder) == 0;
                });
                const double im = Best([&] {
                    for (const std::string& f : set.files)
                        if (Run("convert -limit thread " + j + " " + set.folder + "/" + f + " " + c.convert + " " +
                                out + "/" + f.substr(0, f.size() - 4) + "." + c.convertType) != 0)
                            return false;
                    return true;
                });
                if (kv < 0 || im < 0) {
                    std::printf("%-26s %-16s %4u   a run failed\n", c.name, set.name.c_str(), jobs);
                    continue;
                }
                std::printf("%-26s %-16s %4u %6.2f s %5.0f Mp/s %6.2f s %5.0f Mp/s %7.2fx\n", c.name,
                            set.name.c_str(), jobs, kv, set.mpix / kv, im, set.mpix / im, im / kv);
            }
    fs::remove_all(work);
    return 0;
}
