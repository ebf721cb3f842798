// libFuzzer target for the help source reader and the writer behind it: any input is either
// rejected with its line, or compiled into a file that the test decoder accepts and that reads
// as the source, and into a page (any accepted source makes one: a throw ends the run).
#include "fuzz/fuzz_driver.h"
#include "help_file_decoder.h"
#include "help_source_parser.h"
#include "hlp_writer.h"
#include "html_writer.h"

void fuzz_one(std::string_view input) {
  hlpgen::HelpDocument document;
  try {
    document = hlpgen::parse_help_source(input);
  } catch (const hlpgen::HelpSourceError& error) {
    require(error.line() >= 1);
    return;
  }
  const hlpcheck::HelpFile help = hlpcheck::decode_help_file(hlpgen::write_help_file(document));
  require(help.text == hlpcheck::rendered(document));
  require(!hlpgen::write_help_page(document).empty());
}
