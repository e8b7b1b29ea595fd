/* A stand-in for the system's sensapi.dll, for trying the tool's offline road where the real one cannot
   be unplugged (Wine's always answers "alive"). Zemvar loads sensapi.dll only from the system folder: put
   it there (syswow64 in a 64-bit prefix), run with WINEDLLOVERRIDES="sensapi=n,b", and set
   ZEMVAR_NETWORK=down to have every network reported down. */
#include <windows.h>

BOOL WINAPI IsNetworkAlive(LPDWORD flags) {
  char value[8];
  const DWORD length = GetEnvironmentVariableA("ZEMVAR_NETWORK", value, sizeof value);
  const BOOL down = length > 0 && length < sizeof value && lstrcmpiA(value, "down") == 0;
  if (flags) *flags = down ? 0 : 1; /* NETWORK_ALIVE_LAN */
  SetLastError(ERROR_SUCCESS);
  return !down;
}
