// Name resolution helpers: the dotted IPv4 parser, port byte order and the
// platform look-ups behind NameLookup.
#include "checker/core/resolve.h"

#include <cstring>

#include "platform/socket.h"

namespace bw {

int ParseDottedAddress(const char* text, std::uint8_t address[4]) {
  // Four parts of 1 to 3 digits, each at most 255, joined by three dots.
  // A part above 255 or an empty part is refused rather than wrapped or
  // read as 0: either would connect to some other host and give it the
  // password.
  // Scanning stops at a fourth digit or a fourth dot; a stray character
  // met before that is reported as such (-10).
  int value = 0;
  int partLength = 0;
  int dots = 0;
  bool badPart = false;
  for (const char* p = text; *p; ++p) {
    const char c = *p;
    if (c >= '0' && c <= '9') {
      if (++partLength > 3) return -11;
      value = value * 10 + (c - '0');
    } else if (c == '.') {
      if (++dots > 3) return -11;
      if (partLength == 0 || value > 255) badPart = true;
      address[dots - 1] = static_cast<std::uint8_t>(value);
      value = 0;
      partLength = 0;
    } else {
      return -10;
    }
  }
  if (badPart || dots != 3 || partLength == 0 || value > 255) return -11;
  address[3] = static_cast<std::uint8_t>(value);
  return 0;
}

std::uint16_t PortToNetwork(unsigned port) {
  std::uint8_t bytes[2] = {static_cast<std::uint8_t>(port >> 8), static_cast<std::uint8_t>(port)};
  std::uint16_t value;
  std::memcpy(&value, bytes, 2);
  return value;
}

unsigned PortFromNetwork(std::uint16_t portNetOrder) {
  std::uint8_t bytes[2];
  std::memcpy(bytes, &portNetOrder, 2);
  return unsigned(bytes[0]) << 8 | bytes[1];
}

bool NameLookup::Host(const std::string& name, std::uint8_t address[4]) {
  return net::LookupHost(name.c_str(), address);
}

std::uint16_t NameLookup::ServiceByName(const std::string& name) {
  return net::LookupServiceByName(name.c_str());
}

std::uint16_t NameLookup::ServiceByPort(std::uint16_t portNetOrder) {
  return net::LookupServiceByPort(portNetOrder);
}

}  // namespace bw
