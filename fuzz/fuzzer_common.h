// The frame of every fuzzer here: the entry libFuzzer calls and, in the replay
// build, a main() that runs the fuzzer over saved inputs.
//
// Each fuzzer defines LLVMFuzzerTestOneInput. Built with libFuzzer, libFuzzer
// drives it. Built as an ordinary program (KELVANE_FUZZ_REPLAY defined), the
// main() below replays every file named on the command line, or every file in
// a named directory, so the seed corpus and every finding saved into it run as
// a regression test under CTest. Each input is copied into a heap allocation
// of exactly its size, so reading one byte past it is caught by the sanitizers.
//
// Include this header from exactly one source file per program.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

#ifdef KELVANE_FUZZ_REPLAY
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fuzz {

inline void replayFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> contents((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Exactly the input's size: libFuzzer hands inputs over the same way.
    std::uint8_t* data = new std::uint8_t[contents.size()];
    std::copy(contents.begin(), contents.end(), data);
    LLVMFuzzerTestOneInput(data, contents.size());
    delete[] data;
}

}  // namespace fuzz

// Replays every file given, and every file in every directory given, in name
// order. Fails when there was nothing to replay: an empty corpus must not pass.
int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg(argv[i]);
        std::vector<fs::path> files;
        if (fs::is_directory(arg)) {
            for (const auto& entry : fs::directory_iterator(arg))
                if (entry.is_regular_file()) files.push_back(entry.path());
            std::sort(files.begin(), files.end());
        } else if (fs::is_regular_file(arg)) {
            files.push_back(arg);
        } else {
            std::fprintf(stderr, "no such input: %s\n", argv[i]);
            return 2;
        }
        for (const auto& file : files) {
            fuzz::replayFile(file);
            ++replayed;
        }
    }
    std::printf("replayed %zu inputs\n", replayed);
    return replayed > 0 ? 0 : 1;
}
#endif
