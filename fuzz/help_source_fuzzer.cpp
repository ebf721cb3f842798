// libFuzzer target for the help source reader and the writer behind it: any input is either
// rejected with its line, or compiled, the same way every time, into a file that the test
// decoder accepts, that reads as the source and leads each topic's context to the topic, and
// into a page (any accepted source makes one: a throw ends the run).
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
    return require(error.line() >= 1);
  }
  const hlpgen::Bytes bytes = hlpgen::write_help_file(document);
  require(hlpgen::write_help_file(document) == bytes);
  const hlpcheck::HelpFile help = hlpcheck::decode_help_file(bytes);
  require(help.text == hlpcheck::rendered(document));
  for (const hlpgen::Topic& topic : document.topics)
    require(help.context.at(hlpgen::context_hash(topic.context)) == topic.title);
  require(!hlpgen::write_help_page(document).empty());
}
