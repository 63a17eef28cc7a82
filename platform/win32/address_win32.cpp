// Whether the machine has a usable IPv4 address, from IP Helper's address
// table. IP Helper is linked at run time: Windows 95 and NT 4 lack it.
#include <windows.h>

#include <iphlpapi.h>

#include <cstring>
#include <vector>

#include "platform/socket.h"

namespace bw::net {

bool UsableIpv4Address() {
  using GetIpAddrTableFn = DWORD(WINAPI*)(PMIB_IPADDRTABLE, PULONG, BOOL);
  static const GetIpAddrTableFn getIpAddrTable = [] {
    HMODULE module = LoadLibraryW(L"IPHLPAPI.DLL");
    return module ? reinterpret_cast<GetIpAddrTableFn>(
                        reinterpret_cast<void*>(GetProcAddress(module, "GetIpAddrTable")))
                  : nullptr;
  }();
  if (!getIpAddrTable) return true;
  ULONG size = 0;
  if (getIpAddrTable(nullptr, &size, FALSE) != ERROR_INSUFFICIENT_BUFFER || size == 0) return true;
  std::vector<unsigned char> buffer(size);
  auto* table = reinterpret_cast<PMIB_IPADDRTABLE>(buffer.data());
  if (getIpAddrTable(table, &size, FALSE) != NO_ERROR) return true;
  for (DWORD i = 0; i < table->dwNumEntries; ++i) {
    // dwAddr holds the address in network order: its first byte first.
    std::uint8_t address[4];
    std::memcpy(address, &table->table[i].dwAddr, 4);
    if (UsableIpv4(address)) return true;
  }
  return false;
}

}  // namespace bw::net
