// Accepted sources are checked through the help files written from them (help_file_test.cpp).
#include "help_source_parser.h"

#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

namespace {

TEST(HelpSourceParser, RejectsMalformedSourcesWithLineNumbers) {
  std::vector<std::tuple<std::string, std::size_t, std::string>> cases; // source, line, message
  std::ifstream data(HLPGEN_TEST_DATA_DIR "/malformed.hlpsrc", std::ios::binary);
  for (std::string line; std::getline(data, line);) {
    if (line.starts_with("%% "))
      cases.emplace_back("", std::stoul(line.substr(3)), line.substr(line.find(' ', 3) + 1));
    else if (!cases.empty())
      std::get<0>(cases.back()) += line + "\n";
  }
  std::string too_many_topics = ".title T\n";
  for (std::size_t i = 0; i <= hlpgen::kMaxTopics; ++i)
    too_many_topics += ".topic t" + std::to_string(i) + " Topic\n";
  cases.emplace_back(too_many_topics, hlpgen::kMaxTopics + 2, "more than");
  ASSERT_GT(cases.size(), 20u) << "missing test data";
  for (const auto& [source, line, message] : cases) {
    try {
      hlpgen::parse_help_source(source);
      ADD_FAILURE() << message << ": accepted";
    } catch (const hlpgen::HelpSourceError& error) {
      EXPECT_EQ(error.line(), line) << error.what();
      EXPECT_EQ(error.what(), "line " + std::to_string(line) + ": " + error.detail());
      EXPECT_NE(error.detail().find(message), std::string::npos) << error.what();
    }
  }
}

} // namespace
