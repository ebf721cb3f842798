// hlpgen SOURCE OUTPUT: compiles a .hlpsrc help source into a WinHelp 3.1 .hlp file.
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "help_source_parser.h"
#include "hlp_writer.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;
constexpr int kExitFailure = 1;

bool read_whole_file(const char* path, std::string& contents) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return false;
  }
  std::ostringstream buffer;
  buffer << in.rdbuf();
  contents = buffer.str();
  return static_cast<bool>(in) || in.eof();
}

bool write_whole_file(const std::string& path, const hlpgen::Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: hlpgen SOURCE OUTPUT\n");
    return kExitUsage;
  }
  const char* source_path = argv[1];
  const std::string output_path = argv[2];
  std::string source;
  if (!read_whole_file(source_path, source)) {
    std::fprintf(stderr, "hlpgen: cannot read %s\n", source_path);
    return kExitFailure;
  }
  try {
    const hlpgen::HelpDocument document = hlpgen::parse_help_source(source);
    const hlpgen::Bytes help = hlpgen::write_help_file(document);
    // Write beside the target and rename, so a failed run never leaves half a help file.
    const std::string temporary = output_path + ".tmp";
    if (!write_whole_file(temporary, help) ||
        std::rename(temporary.c_str(), output_path.c_str()) != 0) {
      std::remove(temporary.c_str());
      std::fprintf(stderr, "hlpgen: cannot write %s\n", output_path.c_str());
      return kExitFailure;
    }
  } catch (const hlpgen::HelpSourceError& error) {
    // file:line: message, the form editors and IDEs jump to.
    std::fprintf(stderr, "%s:%zu: error: %s\n", source_path, error.line(), error.detail().c_str());
    return kExitFailure;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "hlpgen: %s\n", error.what());
    return kExitFailure;
  }
  return kExitOk;
}
