// Replays harness inputs without the fuzzer: every regular file of each
// directory argument (in name order) and every file argument is handed to
// LLVMFuzzerTestOneInput once.  A missing directory holds no inputs; the
// replay fails when no input at all was found.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> InputsOf(const fs::path& argument) {
    std::vector<fs::path> files;
    std::error_code error;
    if (fs::is_regular_file(argument, error)) {
        files.push_back(argument);
    } else if (fs::is_directory(argument, error)) {
        for (const fs::directory_entry& entry : fs::directory_iterator(argument, error))
            if (entry.is_regular_file()) files.push_back(entry.path());
        std::sort(files.begin(), files.end());
    }
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    // The harness changes the working directory: take every path first.
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        std::vector<fs::path> found = InputsOf(fs::absolute(argv[i]));
        files.insert(files.end(), found.begin(), found.end());
    }
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::printf("replay %s (%zu bytes)\n", file.c_str(), bytes.size());
        std::fflush(stdout);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("%zu inputs replayed\n", files.size());
    return files.empty() ? 1 : 0;
}
