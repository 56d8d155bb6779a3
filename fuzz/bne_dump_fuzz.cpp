// libFuzzer target: BNE bytes through the record walker and the text dump.
#include <cstddef>
#include <cstdint>
#include <string>

#include "modelfile/bne_dump.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t lines = 0;
    orix::WalkBne(data, size, [&lines](const std::string& line) { lines += line.empty() ? 0 : 1; });
    std::string text = orix::DumpBne(data, size);
    (void)text;
    return 0;
}
