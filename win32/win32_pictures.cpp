#include "win32/win32_pictures.h"

#include "resources/resource_ids.h"

namespace wexla {
namespace {

HICON loadBuiltinIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_WEXLA), IMAGE_ICON,
                                       GetSystemMetrics(widthMetric),
                                       GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR));
}

} // namespace

// The notification area asks for the system's small icon size, which grows with the DPI.
Win32Pictures::Win32Pictures(HINSTANCE instance)
    : big_(loadBuiltinIcon(instance, SM_CXICON, SM_CYICON)),
      small_(loadBuiltinIcon(instance, SM_CXSMICON, SM_CYSMICON)), builtinSmall_(small_.get()) {}

std::unique_ptr<Icon> Win32Pictures::loadIcon(const Text& path) {
  OwnedIcon icon(static_cast<HICON>(LoadImageA(nullptr, path.c_str(), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_LOADFROMFILE)));
  if (!icon) {
    return nullptr;
  }
  return std::make_unique<LoadedIcon>(std::move(icon));
}

} // namespace wexla
