// Writes what the programs that drive Wexla 98 from outside need to know of it, as JSON:
// {"classes": {...}, "trayIconId": N, "rows": [...], "submenu": [...]}, where "rows" are the
// pop-up menu's captions (a separator is null) and "submenu" those of its one sub-menu.
// Usage: program_facts OUTPUT.json
#include "platform/tray_messages.h"
#include "resources/form_layouts.h"
#include "resources/popup_menu.h"

#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

std::string jsonText(const char* text) {
  if (text == nullptr) {
    return "null";
  }
  std::string quoted = "\"";
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c == '"' || *c == '\\') {
      quoted += '\\';
    }
    quoted += *c;
  }
  return quoted + '"';
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
    std::cerr << "usage: program_facts OUTPUT.json\n";
    return 2;
  }
  std::vector<std::string> rows;
  std::vector<std::string> submenu;
  for (const wexla::MenuItem& item : wexla::kPopupMenu) {
    (item.level > 1 ? submenu : rows).push_back(jsonText(item.caption));
  }
  std::ofstream out(argv[1], std::ios::binary);
  out << "{\"classes\": {\"main\": " << jsonText(wexla::kMainWindowClass)
      << "}, \"trayIconId\": " << wexla::kTrayIconId << ", \"rows\": " << jsonList(rows)
      << ", \"submenu\": " << jsonList(submenu) << "}\n";
  return out.good() ? 0 : 1;
}
