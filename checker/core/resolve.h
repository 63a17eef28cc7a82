// Name resolution helpers: the dotted IPv4 parser, port byte order and the
// replaceable host and service look-ups.
#pragma once
#include <cstdint>
#include <string>

namespace bw {

// Parses a dotted IPv4 address into four bytes: four parts of 1 to 3 digits,
// each 0 to 255. 0, -10 for a character other than a digit or '.', -11 for
// any other malformed text (a part above 255 or an empty part included).
int ParseDottedAddress(const char* text, std::uint8_t address[4]);

// Port conversions between host numbers and network byte order.
std::uint16_t PortToNetwork(unsigned port);
unsigned PortFromNetwork(std::uint16_t portNetOrder);

// Host and service look-ups. The default goes to the platform resolver; tests
// put slow or failing ones in. A worker thread holds its own reference, so an
// abandoned look-up never touches a destroyed account.
class NameLookup {
 public:
  virtual ~NameLookup() = default;
  // True with the IPv4 address (network order) when the host is known.
  virtual bool Host(const std::string& name, std::uint8_t address[4]);
  // Port in network byte order, 0 when the service is unknown.
  virtual std::uint16_t ServiceByName(const std::string& name);
  virtual std::uint16_t ServiceByPort(std::uint16_t portNetOrder);
};

}  // namespace bw
