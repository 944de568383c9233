// Runs a fuzz target without libFuzzer: every file of the given corpus folders, then a fixed
// number of deterministic mutations of them (so a plain gcc build in CI exercises the target).
//   replay [--iterations N] CORPUS_DIR...
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {
std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void run(const std::string& input) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

std::string mutate(std::string input, std::mt19937& random) {
    static const char* tokens[] = {"{",       "}",    "[",    "]",          "\"", ":",
                                   ",",       "null", "true", "1.1",        "-1", "1e309",
                                   "\\u0000", "\xff", "*",    "\"version\""};
    int steps = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < steps; ++i) {
        size_t at = input.empty() ? 0 : random() % (input.size() + 1);
        switch (random() % 4) {
            case 0:  // flip a byte
                if (!input.empty()) {
                    input[at % input.size()] ^= static_cast<char>(1 + random() % 255);
                }
                break;
            case 1:  // cut
                input.resize(at);
                break;
            case 2:  // insert a token
                input.insert(at, tokens[random() % (sizeof tokens / sizeof *tokens)]);
                break;
            default:  // duplicate a slice
                if (!input.empty()) {
                    size_t from = random() % input.size();
                    input.insert(at, input.substr(from, random() % 64));
                }
        }
    }
    return input;
}
}  // namespace

int main(int argc, char** argv) {
    long iterations = 2000;
    std::vector<std::string> corpus;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--iterations") == 0 && i + 1 < argc) {
            iterations = std::atol(argv[++i]);
            continue;
        }
        for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
            if (entry.is_regular_file()) {
                corpus.push_back(readAll(entry.path()));
            }
        }
    }
    corpus.push_back("");
    for (const std::string& input : corpus) {
        run(input);
    }
    std::mt19937 random(12345);
    for (long i = 0; i < iterations; ++i) {
        run(mutate(corpus[random() % corpus.size()], random));
    }
    std::printf("replayed %zu corpus files and %ld mutations\n", corpus.size(), iterations);
    return 0;
}
