// libFuzzer target for the help source reader and the writer behind it: any input is either
// rejected with its line, or compiled into a file that the independent test decoder accepts
// with the source's topics and paragraphs.
#include "fuzz/fuzz_driver.h"
#include "help_file_decoder.h"
#include "help_source_parser.h"
#include "hlp_writer.h"

void fuzz_one(std::string_view input) {
  hlpgen::HelpDocument document;
  try {
    document = hlpgen::parse_help_source(input);
  } catch (const hlpgen::HelpSourceError& error) {
    require(error.line() >= 1);
    return;
  }
  const hlpcheck::HelpFile help = hlpcheck::decode_help_file(hlpgen::write_help_file(document));
  require(help.topics.size() == document.topics.size());
  for (std::size_t t = 0; t < help.topics.size(); ++t) {
    // Each topic opens with its title, then the source's paragraphs.
    require(help.topics[t].title == document.topics[t].title &&
            help.topics[t].paragraphs.size() == document.topics[t].paragraphs.size() + 1);
  }
}
