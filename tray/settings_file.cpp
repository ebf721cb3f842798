#include "tray/settings_file.h"

#include <algorithm>
#include <cctype>

namespace wexla {
namespace {

constexpr std::string_view kTrueLiteral = "#TRUE#";
constexpr std::string_view kFalseLiteral = "#FALSE#";
constexpr std::string_view kLineEnd = "\r\n";

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}
bool isLineBreak(char c) {
  return c == '\r' || c == '\n';
}

class Cursor {
public:
  explicit Cursor(std::string_view text) : text_(text) {}

  void skipBlanks() {
    while (pos_ < text_.size() && isBlank(text_[pos_])) {
      ++pos_;
    }
  }
  bool take(char expected) {
    if (pos_ < text_.size() && text_[pos_] == expected) {
      ++pos_;
      return true;
    }
    return false;
  }
  template <typename StopAt> std::string_view takeUntil(StopAt stop) {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !stop(text_[pos_])) {
      ++pos_;
    }
    return {text_.data() + start, pos_ - start};
  }
  bool atLineEnd() const { return pos_ == text_.size() || isLineBreak(text_[pos_]); }

private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::toupper(static_cast<unsigned char>(x)) ==
           std::toupper(static_cast<unsigned char>(y));
  });
}

// Besides the two literals the writer produces, whole numbers are read as Booleans the way the
// original file notation allows: zero is False, anything else True.
std::optional<bool> parseBoolean(std::string_view token) {
  if (equalsIgnoringCase(token, kTrueLiteral)) {
    return true;
  }
  if (equalsIgnoringCase(token, kFalseLiteral)) {
    return false;
  }
  std::string_view digits = token;
  if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
    digits.remove_prefix(1);
  }
  if (digits.empty() ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  const bool zero = std::all_of(digits.begin(), digits.end(), [](char c) { return c == '0'; });
  return !zero;
}

} // namespace

Text formatSettingsLine(const Settings& settings) {
  Text line = "\"";
  line += settings.iconPath;
  line += "\",";
  line += settings.doubleClickOnly ? kTrueLiteral : kFalseLiteral;
  line += kLineEnd;
  return line;
}

std::optional<Settings> parseSettingsFile(std::string_view bytes) {
  if (bytes.size() > kMaxSettingsFileBytes || bytes.find('\0') != std::string_view::npos) {
    return std::nullopt;
  }
  Cursor cursor(bytes);
  cursor.skipBlanks();
  if (!cursor.take('"')) {
    return std::nullopt;
  }
  const std::string_view path = cursor.takeUntil([](char c) { return c == '"' || isLineBreak(c); });
  if (!cursor.take('"') || path.size() > kMaxIconPathLength) {
    return std::nullopt;
  }
  cursor.skipBlanks();
  if (!cursor.take(',')) {
    return std::nullopt;
  }
  cursor.skipBlanks();
  const std::string_view token =
      cursor.takeUntil([](char c) { return isBlank(c) || isLineBreak(c) || c == ','; });
  const std::optional<bool> doubleClickOnly = parseBoolean(token);
  cursor.skipBlanks();
  if (!doubleClickOnly || !cursor.atLineEnd()) {
    return std::nullopt;
  }
  return Settings{Text(path), *doubleClickOnly};
}

} // namespace wexla
