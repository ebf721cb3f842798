#!/usr/bin/env bash
# Rebuilds wexla98.exe outside CMake once per size-reduction step and prints the stripped size of
# each, so the effect of every flag and of win32/lean_runtime.cpp can be checked on its own.
# "core" is the portable library, "win32" the Windows sources; the release build applies the
# steps up to "sections + gc" to the Windows sources only.
# Usage: size_steps.sh [i686|x86_64]...   (default: both)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/bench-size-XXXXXX)
trap 'rm -rf "$work"' EXIT
archs=("$@")
((${#archs[@]})) || archs=(i686 x86_64)

core=(resources/form_layouts.cpp resources/menu_layout.cpp tray/frm_main.cpp
      tray/icon_commands.cpp tray/message_number.cpp tray/settings_file.cpp
      tray/settings_store.cpp tray/tray_dispatch.cpp tray/tray_icon_ops.cpp
      dialogs/mouse/frm_mouse.cpp dialogs/about/frm_about.cpp dialogs/about/sys_info.cpp)
win32=(win32/winmain.cpp win32/app_windows.cpp win32/win32_port.cpp win32/popup_menu.cpp
       win32/form_builder.cpp)
release="-O3 -DNDEBUG"
small="$release -Os -ffunction-sections -fdata-sections"

# The terminate handler alone, cut from lean_runtime.cpp, to tell its share from the helpers'.
{ echo "#include <cstdlib>"; sed -n '\:^namespace __gnu_cxx:,\:^} // namespace __gnu_cxx:p' "$root/win32/lean_runtime.cpp"; } \
  >"$work/terminate_only.cpp"

# build ARCH NAME CORE_FLAGS WIN32_FLAGS LINK_FLAGS EXTRA_SOURCE...
build() {
  local arch=$1 name=$2 core_flags=$3 win_flags=$4 link_flags=$5
  shift 5
  local cxx=$arch-w64-mingw32-g++ dir=$work/$arch-$name objects=() source object
  mkdir -p "$dir"
  for source in "${core[@]}"; do
    object=$dir/$(echo "$source" | tr / _).o
    # shellcheck disable=SC2086
    $cxx -std=c++20 -I"$root" $core_flags -c "$root/$source" -o "$object" &
    objects+=("$object")
  done
  for source in "${win32[@]/#/$root/}" "$@"; do
    object=$dir/$(basename "$source").o
    # shellcheck disable=SC2086
    $cxx -std=c++20 -DNOMINMAX -DWIN32_LEAN_AND_MEAN -D_WIN32_WINNT=0x0601 -I"$root" \
      -I"$root/resources" $win_flags -c "$source" -o "$object" &
    objects+=("$object")
  done
  "$arch-w64-mingw32-windres" -I"$root/resources" -I"$root" "$root/resources/wexla98.rc" \
    -O coff -o "$dir/resources.o" &
  wait
  # shellcheck disable=SC2086
  $cxx $win_flags -mwindows -static -static-libgcc -static-libstdc++ -s $link_flags \
    "${objects[@]}" "$dir/resources.o" -o "$dir/wexla98.exe" \
    -lshell32 -lcomdlg32 -lcomctl32 -ladvapi32 -lgdi32 -luser32
  printf '| %-6s | %-58s | %7d |\n' "$arch" "$name" "$(stat -c %s "$dir/wexla98.exe")"
}

lean=$root/win32/lean_runtime.cpp
echo "| arch   | step                                                       |   bytes |"
echo "|--------|------------------------------------------------------------|---------|"
for arch in "${archs[@]}"; do
  build "$arch" "1 as before (-O3)" "$release" "$release" ""
  build "$arch" "2 + quiet terminate handler" "$release" "$release" "" "$work/terminate_only.cpp"
  build "$arch" "3 + own std::__throw_* helpers (lean_runtime.cpp)" "$release" "$release" "" "$lean"
  build "$arch" "4 + win32 -Os" "$release" "$release -Os" "" "$lean"
  build "$arch" "5 + win32 sections + --gc-sections (release build)" "$release" "$small" \
    "-Wl,--gc-sections" "$lean"
  build "$arch" "6 + core -Os, sections" "$small" "$small" "-Wl,--gc-sections" "$lean"
  build "$arch" "7 + -fno-threadsafe-statics everywhere" "$small -fno-threadsafe-statics" \
    "$small -fno-threadsafe-statics" "-Wl,--gc-sections" "$lean"
  build "$arch" "8 + LTO everywhere" "$small -fno-threadsafe-statics -flto" \
    "$small -fno-threadsafe-statics -flto" "-Wl,--gc-sections" "$lean"
done
