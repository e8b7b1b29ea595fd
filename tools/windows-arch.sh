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
