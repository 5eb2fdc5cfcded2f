// replay_main.cpp — runs a fuzz target's entry over saved inputs, so ctest replays the
// seeds in every build (the sanitizer build catches what the fuzzer would): each file
// named on the command line, or in a folder named there, is one input.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static int Replay(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return 1;
}

int main(int argc, char** argv) {
    int n = 0;
    for (int i = 1; i < argc; i++)
        if (std::filesystem::is_directory(argv[i]))
            for (const auto& e : std::filesystem::directory_iterator(argv[i])) n += Replay(e.path());
        else
            n += Replay(argv[i]);
    std::printf("%d inputs replayed\n", n);
    return n ? 0 : 1;  // no seeds at all is a mistake in the set-up
}
