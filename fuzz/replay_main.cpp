// Replays a corpus folder through one fuzz target without libFuzzer: every regular file, in
// name order, goes once through LLVMFuzzerTestOneInput. A crash or sanitizer report ends the
// process; otherwise the exit status says whether the folder held any input at all.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    LLVMFuzzerInitialize(&argc, &argv);
    namespace fs = std::filesystem;
    std::error_code error;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(argv[1], error)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    if (error || files.empty()) {
        std::fprintf(stderr, "no inputs in %s\n", argv[1]);
        return 1;
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
        // A copy of exactly the file's size, so that a read past the end is caught.
        uint8_t* data = new uint8_t[bytes.size() ? bytes.size() : 1];
        std::copy(bytes.begin(), bytes.end(), data);
        LLVMFuzzerTestOneInput(data, bytes.size());
        delete[] data;
    }
    std::printf("%zu inputs replayed from %s\n", files.size(), argv[1]);
    return 0;
}
