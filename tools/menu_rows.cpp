// Writes the pop-up menu's rows as JSON for the programs that drive the menu from outside:
// {"rows": [...], "submenu": [...]}, where a separator is null and "submenu" holds the rows
// of the one sub-menu. Usage: menu_rows OUTPUT.json
#include "resources/menu_layout.h"

#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

std::string jsonText(const char* caption) {
  if (caption == nullptr) {
    return "null";
  }
  std::string text = "\"";
  for (const char* c = caption; *c != '\0'; ++c) {
    if (*c == '"' || *c == '\\') {
      text += '\\';
    }
    text += *c;
  }
  return text + '"';
}

std::string jsonList(const std::vector<std::string>& items) {
  std::string list = "[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    list += (i == 0 ? "" : ", ") + items[i];
  }
  return list + "]";
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: menu_rows OUTPUT.json\n";
    return 2;
  }
  std::vector<std::string> rows;
  std::vector<std::string> submenu;
  for (const wexla::MenuItemLayout& item : wexla::popupMenuLayout()) {
    (item.level > 1 ? submenu : rows).push_back(jsonText(item.caption));
  }
  std::ofstream out(argv[1], std::ios::binary);
  out << "{\"rows\": " << jsonList(rows) << ", \"submenu\": " << jsonList(submenu) << "}\n";
  return out.good() ? 0 : 1;
}
