# Sourced from the top of the tree.
# cmake_build DIR TARGETS [CMAKE-ARGS...]: configures a Release build in DIR and builds TARGETS ("all", or
# names separated by spaces), with the logs beside DIR; false, with the log's end, on failure.
cmake_build() {
  local dir=$1 targets=$2; shift 2
  mkdir -p "$(dirname "$dir")"
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >"$dir.configure.log" 2>&1 ||
    { echo "configuring $dir failed; see $dir.configure.log"; tail -30 "$dir.configure.log"; return 1; }
  # shellcheck disable=SC2086 # the targets are words
  cmake --build "$dir" -j"${jobs:-2}" --target $targets >"$dir.build.log" 2>&1 ||
    { echo "build of $dir failed; see $dir.build.log"; tail -30 "$dir.build.log"; return 1; }
}

# windows_build DIR ARCH TARGET...: the same for Windows (ARCH i686, the product's, or x86_64); exits on
# failure.
windows_build() {
  local dir=$1 arch=$2; shift 2
  cmake_build "$dir" "$*" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-"$arch".cmake || exit 1
}

# Where 32-bit Wine runs under qemu, its loader folder under build/ is made (or checked) first.
windows_route_ready() {
  source tools/wine-env.sh
  if [ "$(wine_route_choice)" = qemu ]; then bash tools/wine-qemu.sh || return 1; fi
  wine_route
}
