// hlpgen SOURCE OUTPUT [PAGE]: compiles a .hlpsrc help source into a WinHelp 3.1 .hlp file and,
// when PAGE is given, into the same help as one HTML page.
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "help_source_parser.h"
#include "hlp_writer.h"
#include "html_writer.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;
constexpr int kExitFailure = 1;
constexpr int kArgsWithoutPage = 3;
constexpr int kArgsWithPage = 4;

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

bool write_whole_file(const std::string& path, const char* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data, static_cast<std::streamsize>(size));
  out.close();
  return static_cast<bool>(out);
}

// Writes beside the target and renames, so a failed run never leaves half a file.
bool replace_file(const std::string& path, const char* data, std::size_t size) {
  const std::string temporary = path + ".tmp";
  if (!write_whole_file(temporary, data, size) ||
      std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    std::fprintf(stderr, "hlpgen: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

} // namespace

int main(int argc, char** argv) {
  if (argc != kArgsWithoutPage && argc != kArgsWithPage) {
    std::fprintf(stderr, "usage: hlpgen SOURCE OUTPUT [PAGE]\n");
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
    // Both are made before either is written: a failure leaves the old pair, not a mixed one.
    const std::string page = argc == kArgsWithPage ? hlpgen::write_help_page(document) : "";
    if (!replace_file(output_path, reinterpret_cast<const char*>(help.data()), help.size())) {
      return kExitFailure;
    }
    if (argc == kArgsWithPage && !replace_file(argv[kArgsWithPage - 1], page.data(), page.size())) {
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
