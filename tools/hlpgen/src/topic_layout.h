// Lays the topics out as |TOPIC records in compressed 4 KiB blocks and works out the topic
// offsets that |CONTEXT and |SYSTEM refer to.
#pragma once

#include <cstdint>
#include <vector>

#include "byte_buffer.h"
#include "help_document.h"

namespace hlpgen {

struct TopicFile {
  Bytes content;                            // |TOPIC without its internal file header
  std::vector<std::uint32_t> topic_offsets; // one per topic, in document order
};

TopicFile lay_out_topics(const HelpDocument& document);

} // namespace hlpgen
