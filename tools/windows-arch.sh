# Sourced: picks the Windows build that the tests run under Wine.
# The product is 32-bit. Its tests run 32-bit too wherever the kernel runs 32-bit Linux programs
# (which 32-bit Wine is); a kernel booted without that (ia32_emulation off) gets a 64-bit build of the
# same sources under wine64 instead.
if [ -z "${ZEMVAR_TEST_ARCH:-}" ]; then
  if [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    ZEMVAR_TEST_ARCH=i686
  else
    ZEMVAR_TEST_ARCH=x86_64
    echo "note: this kernel does not run 32-bit programs; Windows tests use the 64-bit build under wine64" >&2
  fi
fi
export ZEMVAR_TEST_ARCH

# windows_build DIR TARGET...: configures a Release build for that architecture in DIR and builds the
# targets, with the logs beside DIR; exits with the log's end on failure.
windows_build() {
  local dir=$1; shift
  mkdir -p "$(dirname "$dir")"
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-"$ZEMVAR_TEST_ARCH".cmake -DCMAKE_BUILD_TYPE=Release \
    >"$dir.configure.log" 2>&1 || { tail -30 "$dir.configure.log"; exit 1; }
  cmake --build "$dir" -j2 --target "$@" >"$dir.build.log" 2>&1 || { tail -30 "$dir.build.log"; exit 1; }
}
