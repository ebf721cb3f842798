// libFuzzer target: any input must either be rejected with HelpSourceError or produce a help
// file that the independent reader accepts. Build with -DWEXLA_FUZZ=ON and clang.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "help_source_parser.h"
#include "hlp_reader.h"
#include "hlp_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view source(reinterpret_cast<const char*>(data), size);
  hlpgen::HelpDocument document;
  try {
    document = hlpgen::parse_help_source(source);
  } catch (const hlpgen::HelpSourceError&) {
    return 0;
  }
  const hlpgen::Bytes help = hlpgen::write_help_file(document);
  const hlpreader::ReadHelpFile read = hlpreader::read_help_file(help);
  if (read.topics.size() != document.topics.size()) {
    std::abort();
  }
  return 0;
}
