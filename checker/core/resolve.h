// Helpers of name resolution: the dotted IPv4 parser and port byte order.
#pragma once
#include <cstdint>

namespace bw {

// Parses a dotted IPv4 address into four bytes (each part taken modulo 256,
// an empty part between dots giving 0). 0, -10 for a character other than a
// digit or '.', -11 for any other malformed text.
int ParseDottedAddress(const char* text, std::uint8_t address[4]);

// Port conversions between host numbers and network byte order.
std::uint16_t PortToNetwork(unsigned port);
unsigned PortFromNetwork(std::uint16_t portNetOrder);

}  // namespace bw
