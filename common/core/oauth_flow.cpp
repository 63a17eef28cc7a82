// Signing in with OAuth 2.0: endpoints, PKCE, the authorize URL and the
// loopback redirect's one request.
#include "common/core/oauth_flow.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "common/core/base64.h"
#include "platform/crypto.h"
#include "platform/socket.h"

namespace bw::oauth {
namespace {

bool IsHttpsUrl(const std::string& url) {
  return url.compare(0, 8, "https://") == 0 && url.size() > 8 &&
         url.find_first_of(" \t\r\n") == std::string::npos;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Percent-decoding of a query value ('+' is a space); false on a bad escape.
bool QueryDecode(const std::string& text, std::string* decoded) {
  decoded->clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      *decoded += ' ';
    } else if (c == '%') {
      if (i + 2 >= text.size()) return false;
      const int high = HexValue(text[i + 1]);
      const int low = HexValue(text[i + 2]);
      if (high < 0 || low < 0) return false;
      *decoded += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      *decoded += c;
    }
  }
  return true;
}

bool RandomText(std::size_t bytes, std::string* text) {
  std::string raw(bytes, '\0');
  if (!net::RandomBytes(&raw[0], raw.size())) return false;
  *text = Base64UrlEncode(raw);
  return true;
}

// The page the browser shows after the redirect (Shift_JIS).
std::string Page(bool signedIn) {
  const char* body = signedIn
                         ? "<p>サインインしました. このページを閉じてください.</p>"
                         : "<p>サインインできませんでした. 設定画面のメッセージをご覧ください.</p>";
  std::string html = std::string("<!DOCTYPE html><html><head><meta charset=\"Shift_JIS\">"
                                 "<title>Bellwick</title></head><body>") + body + "</body></html>";
  char head[256];
  std::snprintf(head, sizeof head,
                "HTTP/1.1 %s\r\nContent-Type: text/html; charset=Shift_JIS\r\n"
                "Content-Length: %u\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n",
                signedIn ? "200 OK" : "400 Bad Request", unsigned(html.size()));
  return head + html;
}

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

bool ProviderEndpoints(const AncestryPop3Checker& account, Endpoints* endpoints, std::string* error) {
  switch (account.OAuthProvider) {
    case kGoogle:
      *endpoints = {"https://accounts.google.com/o/oauth2/v2/auth", "https://oauth2.googleapis.com/token",
                    "https://mail.google.com/"};
      break;
    case kMicrosoft:
      *endpoints = {"https://login.microsoftonline.com/common/oauth2/v2.0/authorize",
                    "https://login.microsoftonline.com/common/oauth2/v2.0/token",
                    // Exchange Online grants each protocol on its own: a
                    // POP token does not open an IMAP session.
                    account.UsesImap() ? "https://outlook.office.com/IMAP.AccessAsUser.All offline_access"
                                       : "https://outlook.office.com/POP.AccessAsUser.All offline_access"};
      break;
    case kOtherProvider:
      *endpoints = {account.OAuthAuthorizeURL, account.OAuthTokenURL, account.OAuthScope};
      if (!IsHttpsUrl(endpoints->authorizeUrl) || !IsHttpsUrl(endpoints->tokenUrl)) {
        *error = "OAuthAuthorizeURLとOAuthTokenURLには https:// で始まるURLが必要です";
        return false;
      }
      break;
    default:
      *error = "OAuthProvider=" + std::to_string(account.OAuthProvider) + " は使えない値です";
      return false;
  }
  if (account.OAuthClientID.empty()) {
    *error = "OAuthClientIDが設定されていません";
    return false;
  }
  return true;
}

std::string FormEncode(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (unsigned char c : text) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
        c == '_' || c == '~') {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 15];
    }
  }
  return encoded;
}

bool MakeVerifier(std::string* verifier) { return RandomText(32, verifier); }
bool MakeState(std::string* state) { return RandomText(32, state); }

std::string S256Challenge(const std::string& verifier) { return Base64UrlEncode(net::Sha256(verifier)); }

std::string AuthorizeUrl(const Endpoints& endpoints, const std::string& clientId,
                         const std::string& redirectUri, const std::string& state,
                         const std::string& challenge) {
  std::string url = endpoints.authorizeUrl;
  url += url.find('?') == std::string::npos ? '?' : '&';
  url += "response_type=code&client_id=" + FormEncode(clientId) + "&redirect_uri=" + FormEncode(redirectUri);
  if (!endpoints.scope.empty()) url += "&scope=" + FormEncode(endpoints.scope);
  url += "&state=" + FormEncode(state) + "&code_challenge=" + FormEncode(challenge) +
         "&code_challenge_method=S256";
  // Google hands out a refresh token only when asked for offline access,
  // and again on a later sign-in only with the consent page shown.
  if (endpoints.authorizeUrl.compare(0, 29, "https://accounts.google.com/") == 0)
    url += "&access_type=offline&prompt=consent";
  return url;
}

int ParseRedirectLine(const std::string& requestLine, const std::string& expectedState, Redirect* redirect) {
  *redirect = Redirect();
  for (unsigned char c : requestLine)
    if (c < 0x21 && c != ' ') return kRedirectMalformed;
  const std::size_t firstSpace = requestLine.find(' ');
  const std::size_t lastSpace = requestLine.rfind(' ');
  if (firstSpace == std::string::npos || firstSpace == lastSpace) return kRedirectMalformed;
  const std::string method = requestLine.substr(0, firstSpace);
  const std::string target = requestLine.substr(firstSpace + 1, lastSpace - firstSpace - 1);
  const std::string version = requestLine.substr(lastSpace + 1);
  if (method != "GET" || (version != "HTTP/1.1" && version != "HTTP/1.0")) return kRedirectMalformed;
  if (target.compare(0, 2, "/?") != 0) return kRedirectMalformed;
  std::map<std::string, std::string> values;
  const std::string query = target.substr(2);
  for (std::size_t start = 0; start <= query.size();) {
    std::size_t end = query.find('&', start);
    if (end == std::string::npos) end = query.size();
    const std::string pair = query.substr(start, end - start);
    const std::size_t equals = pair.find('=');
    std::string name;
    std::string value;
    if (equals == std::string::npos || equals == 0 || !QueryDecode(pair.substr(0, equals), &name) ||
        !QueryDecode(pair.substr(equals + 1), &value) || values.count(name))
      return kRedirectMalformed;
    values[name] = value;
    start = end + 1;
  }
  redirect->code = values["code"];
  redirect->state = values["state"];
  redirect->error = values["error"];
  if (expectedState.empty() || redirect->state != expectedState) return kRedirectWrongState;
  if (!redirect->error.empty()) return kRedirectDenied;
  if (redirect->code.empty()) return kRedirectNoCode;
  return kRedirectOk;
}

LoopbackRedirect::~LoopbackRedirect() {
  if (listener_ != net::kInvalidSocket) {
    net::Close(listener_);
    net::Cleanup();
  }
}

bool LoopbackRedirect::Open() {
  int granted = 0;
  if (net::Startup(&granted) != 0) return false;
  port_ = 0;
  listener_ = net::ListenLoopback(&port_, 1);
  if (listener_ == net::kInvalidSocket) {
    net::Cleanup();
    return false;
  }
  return true;
}

std::string LoopbackRedirect::RedirectUri() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

int LoopbackRedirect::Wait(int timeoutMs, const std::function<bool()>& cancelled, const std::string& expectedState,
                           Redirect* redirect) {
  *redirect = Redirect();
  if (listener_ == net::kInvalidSocket) return kRedirectSocketFailed;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  // A browser may open a connection ahead and send its request on another:
  // a few connections are held at once, and the first one to bring a whole
  // request head is answered. Each gets 10 seconds and 8 KiB for it.
  struct Connection {
    net::SocketHandle socket;
    std::string head;
    Clock::time_point deadline;
  };
  constexpr std::size_t kMaxConnections = 4;
  constexpr std::size_t kHeadLimit = 8192;
  std::vector<Connection> open;
  auto closeAll = [&open](const Connection* except) {
    for (Connection& c : open)
      if (&c != except) net::Close(c.socket);
  };
  const Connection* chosen = nullptr;
  int result = kRedirectTimedOut;
  while (!chosen) {
    if (cancelled && cancelled()) {
      result = kRedirectCancelled;
      break;
    }
    if (MillisecondsLeft(deadline) == 0) break;
    const int ready = net::WaitReadable(listener_, open.empty() ? 200 : 20);
    if (ready < 0) {
      result = kRedirectSocketFailed;
      break;
    }
    if (ready > 0) {
      const net::SocketHandle s = net::Accept(listener_);
      if (s != net::kInvalidSocket && open.size() < kMaxConnections)
        open.push_back({s, std::string(), Clock::now() + std::chrono::seconds(10)});
      else if (s != net::kInvalidSocket)
        net::Close(s);
    }
    for (std::size_t i = 0; i < open.size() && !chosen;) {
      Connection& c = open[i];
      bool drop = Clock::now() >= c.deadline;
      if (!drop && net::WaitReadable(c.socket, 0) > 0) {
        char buffer[1024];
        const int got = net::Receive(c.socket, buffer,
                                     static_cast<int>(std::min(sizeof buffer, kHeadLimit - c.head.size())));
        if (got <= 0) {
          drop = true;
        } else {
          c.head.append(buffer, static_cast<std::size_t>(got));
          if (c.head.find("\r\n\r\n") != std::string::npos || c.head.size() >= kHeadLimit) chosen = &c;
        }
      }
      if (drop && !chosen) {
        net::Close(c.socket);
        open.erase(open.begin() + static_cast<std::ptrdiff_t>(i));
        continue;
      }
      ++i;
    }
  }
  if (!chosen) {
    closeAll(nullptr);
    return result;
  }
  const std::size_t lineEnd = chosen->head.find("\r\n");
  const bool complete = chosen->head.find("\r\n\r\n") != std::string::npos;
  result = complete ? ParseRedirectLine(chosen->head.substr(0, lineEnd), expectedState, redirect)
                    : kRedirectMalformed;
  if (!complete) *redirect = Redirect();
  const net::SocketHandle s = chosen->socket;
  closeAll(chosen);
  const std::string page = Page(result == kRedirectOk);
  for (std::size_t sent = 0; sent < page.size();) {
    if (net::WaitWritable(s, 2000) <= 0) break;
    const int n = net::Send(s, page.data() + sent, static_cast<int>(page.size() - sent));
    if (n <= 0) break;
    sent += static_cast<std::size_t>(n);
  }
  net::Shutdown(s, 1);
  net::Close(s);
  return result;
}

}  // namespace bw::oauth
