# Sourced: windows_build DIR ARCH TARGET... configures a Release build for Windows (ARCH i686, the
# product's, or x86_64) in DIR and builds the targets, with the logs beside DIR; exits with the log's end
# on failure.
windows_build() {
  local dir=$1 arch=$2; shift 2
  mkdir -p "$(dirname "$dir")"
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-"$arch".cmake -DCMAKE_BUILD_TYPE=Release \
    >"$dir.configure.log" 2>&1 || { tail -30 "$dir.configure.log"; exit 1; }
  cmake --build "$dir" -j2 --target "$@" >"$dir.build.log" 2>&1 || { tail -30 "$dir.build.log"; exit 1; }
}

# Where 32-bit Wine runs under qemu, its loader folder under build/ is made (or checked) first.
windows_route_ready() {
  source tools/wine-env.sh
  if [ "$(wine_route_choice)" = qemu ]; then bash tools/wine-qemu.sh || return 1; fi
  wine_route
}
