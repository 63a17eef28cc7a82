// Base64 (RFC 4648) in its standard form, for the XOAUTH2 line, the server's
// XOAUTH2 error and protected tokens written as text, and in its URL-safe
// form without padding, for PKCE.
#pragma once
#include <string>

namespace bw {

std::string Base64Encode(const std::string& bytes);
std::string Base64UrlEncode(const std::string& bytes);
// Strict: only the alphabet, padding only at the end, length a multiple of
// four. False for anything else.
bool Base64Decode(const std::string& text, std::string* bytes);

}  // namespace bw
