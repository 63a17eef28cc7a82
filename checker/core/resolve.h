// Helpers of name resolution: the dotted IPv4 parser and port byte order.
#pragma once
#include <cstdint>

namespace bw {

// Parses a dotted IPv4 address into four bytes: four parts of 1 to 3 digits,
// each 0 to 255. 0, -10 for a character other than a digit or '.', -11 for
// any other malformed text (a part above 255 or an empty part included).
int ParseDottedAddress(const char* text, std::uint8_t address[4]);

// Port conversions between host numbers and network byte order.
std::uint16_t PortToNetwork(unsigned port);
unsigned PortFromNetwork(std::uint16_t portNetOrder);

}  // namespace bw
