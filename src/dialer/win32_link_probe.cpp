#include <winsock2.h>

#include "dialer/win32_link_probe.h"

#include <cstring>
#include <string>

#include "dialer/win32_desktop.h"

namespace zemvar {
namespace {

struct Winsock {
  int(WSAAPI* startup)(WORD, LPWSADATA);
  SOCKET(WSAAPI* socket)(int, int, int);
  int(WSAAPI* ioctl)(SOCKET, long, u_long*);
  int(WSAAPI* connect)(SOCKET, const sockaddr*, int);
  int(WSAAPI* select)(int, fd_set*, fd_set*, fd_set*, const timeval*);
  int(WSAAPI* getsockopt)(SOCKET, int, int, char*, int*);
  int(WSAAPI* close)(SOCKET);
  hostent*(WSAAPI* gethostbyname)(const char*);
  int(WSAAPI* lastError)();
  bool ready;
};

template <typename Function>
bool Bind(HMODULE library, const char* name, Function* function) {
  *function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(library, name)));
  return *function != nullptr;
}

// Loaded and started once, and kept for the life of the process.
const Winsock& Sockets() {
  static const Winsock sockets = [] {
    Winsock w{};
    HMODULE library = LoadSystemLibrary("ws2_32.dll");
    WSADATA data;
    w.ready = library && Bind(library, "WSAStartup", &w.startup) && Bind(library, "socket", &w.socket) &&
              Bind(library, "ioctlsocket", &w.ioctl) && Bind(library, "connect", &w.connect) &&
              Bind(library, "select", &w.select) && Bind(library, "getsockopt", &w.getsockopt) &&
              Bind(library, "closesocket", &w.close) && Bind(library, "gethostbyname", &w.gethostbyname) &&
              Bind(library, "WSAGetLastError", &w.lastError) && w.startup(MAKEWORD(2, 2), &data) == 0;
    return w;
  }();
  return sockets;
}

std::uint32_t SystemLookup(const char* host, std::uint8_t address[4]) {
  const hostent* entry = Sockets().gethostbyname(host);
  if (!entry) {
    const int error = Sockets().lastError();
    return error ? error : kProbeNameNotFound;
  }
  if (entry->h_addrtype != AF_INET || entry->h_length != 4 || !entry->h_addr_list[0]) return kProbeNameNotFound;
  std::memcpy(address, entry->h_addr_list[0], 4);
  return 0;
}

// Held by the try and by its lookup's thread; the last to let go frees it.
struct PendingLookup {
  LONG holders;
  Win32LinkProbe::Lookup lookup;
  std::string host;
  std::uint8_t address[4];
  std::uint32_t error;
  void Release() {
    if (::InterlockedDecrement(&holders) == 0) delete this;
  }
};

DWORD WINAPI RunLookup(void* parameter) {
  auto* pending = static_cast<PendingLookup*>(parameter);
  pending->error = pending->lookup(pending->host.c_str(), pending->address);
  pending->Release();
  return 0;
}

std::uint32_t LookUpWithin(Win32LinkProbe::Lookup lookup, const std::string& host, DWORD ms,
                           std::uint8_t address[4]) {
  auto* pending = new PendingLookup{2, lookup, host, {}, 0};
  HANDLE thread = ::CreateThread(nullptr, 0, RunLookup, pending, 0, nullptr);
  if (!thread) {
    delete pending;
    return ::GetLastError();
  }
  const bool answered = ::WaitForSingleObject(thread, ms) == WAIT_OBJECT_0;
  ::CloseHandle(thread);
  const std::uint32_t error = answered ? pending->error : kProbeNameTooSlow;
  if (answered) std::memcpy(address, pending->address, 4);
  pending->Release();
  return error;
}

std::uint32_t ConnectWithin(const std::uint8_t address[4], int port, DWORD ms) {
  const Winsock& ws = Sockets();
  const SOCKET link = ws.socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (link == INVALID_SOCKET) return ws.lastError();
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = static_cast<u_short>(((port & 0xFF) << 8) | (port >> 8));  // network order
  std::memcpy(&to.sin_addr, address, 4);
  u_long nonBlocking = 1;
  std::uint32_t error = 0;
  if (ws.ioctl(link, FIONBIO, &nonBlocking) != 0) {
    error = ws.lastError();
  } else if (ws.connect(link, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0 &&
             (error = ws.lastError()) == WSAEWOULDBLOCK) {
    fd_set connected, refused;
    FD_ZERO(&connected);
    FD_ZERO(&refused);
    FD_SET(link, &connected);
    FD_SET(link, &refused);
    const timeval wait = {static_cast<long>(ms / 1000), static_cast<long>(ms % 1000 * 1000)};
    const int ready = ws.select(0, nullptr, &connected, &refused, &wait);
    if (ready == SOCKET_ERROR) {
      error = ws.lastError();
    } else if (ready == 0) {
      error = kProbeTimedOut;
    } else if (refused.fd_count != 0) {
      int why = 0, size = sizeof why;
      error = ws.getsockopt(link, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&why), &size) == 0 && why
                  ? static_cast<std::uint32_t>(why)
                  : WSAECONNREFUSED;
    } else {
      error = 0;
    }
  }
  // Nothing was sent: the close is the handshake's end, and all the traffic there is.
  ws.close(link);
  return error;
}

}  // namespace

Win32LinkProbe::Win32LinkProbe(Lookup lookup) : lookup_(lookup ? lookup : SystemLookup) {}

std::uint32_t Win32LinkProbe::Try(const ProbeTarget& target) {
  if (!Sockets().ready) return WSASYSNOTREADY;
  const DWORD start = ::GetTickCount();
  std::uint8_t address[4];
  if (!Ipv4Address(target.host, address)) {
    const std::uint32_t error = LookUpWithin(lookup_, target.host, kProbeTimeoutMs, address);
    if (error) return error;
  }
  const DWORD spent = ::GetTickCount() - start;
  return ConnectWithin(address, target.port, spent < kProbeTimeoutMs ? kProbeTimeoutMs - spent : 0);
}

}  // namespace zemvar
