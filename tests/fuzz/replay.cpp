// SPDX-License-Identifier: LicenseRef-Tankedosan
// Where libFuzzer is not linked: every file of the folders named, each once through the target, in name order.
// The first folder (the corpus) must hold some, or the run would try nothing.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char *argv[])
{
    for (int a = 1; a < argc; ++a) {
        std::vector<std::filesystem::path> files;
        std::error_code missing;
        for (const auto &entry : std::filesystem::directory_iterator(argv[a], missing))
            files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        if (a == 1 && files.empty()) {
            std::fprintf(stderr, "no inputs in %s\n", argv[a]);
            return 1;
        }
        for (const auto &file : files) {
            std::fprintf(stderr, "%s\n", file.c_str());
            std::ifstream in(file, std::ios::binary);
            const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        }
        std::printf("%zu inputs from %s\n", files.size(), argv[a]);
    }
    return 0;
}
