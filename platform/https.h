// One HTTPS POST of a form (the token endpoint's request), with the server's
// certificate fully checked. libcurl natively, WinHTTP on Windows.
#pragma once
#include <memory>
#include <string>

namespace bw::net {

enum HttpsCode : int {
  kHttpsOk = 0,             // a reply came (any HTTP status)
  kHttpsUnreachable = -1,   // name, connect or refused: the endpoint cannot be reached
  kHttpsTimedOut = -2,
  kHttpsTlsFailed = -3,     // handshake failed (old system without TLS 1.2, protocol)
  kHttpsCertificate = -4,   // certificate refused
  kHttpsSetupFailed = -5,
  kHttpsTooLarge = -6,      // reply body over the limit (64 KiB)
  kHttpsCutOff = -7,        // the connection ended before the whole answer came
};

struct HttpsReply {
  int code = kHttpsSetupFailed;  // HttpsCode
  int status = 0;                // HTTP status when code == kHttpsOk
  std::string body;
  std::string reason;            // for the log: what failed, never a token
};

class HttpsClient {
 public:
  // extraCaFile: a PEM CA added to the system's roots (empty: none).
  static std::unique_ptr<HttpsClient> Create(const std::string& extraCaFile);
  virtual ~HttpsClient() = default;
  virtual HttpsReply PostForm(const std::string& url, const std::string& formBody, int timeoutMs) = 0;
};

}  // namespace bw::net
