// Replays the seed inputs through a fuzz target's entry point without libFuzzer, so that the
// sanitizer build of the tests runs them on every build: each file under the folders named on
// the command line, handed over as an exact-size copy, so that a read past its end is caught.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[i])) {
      std::ifstream in(entry.path(), std::ios::binary);
      const std::vector<std::uint8_t> exact{std::istreambuf_iterator<char>(in), {}};
      LLVMFuzzerTestOneInput(exact.data(), exact.size());
      ++replayed;
    }
  }
  return replayed > 0 ? 0 : 1; // a missing corpus must not pass unnoticed
}
