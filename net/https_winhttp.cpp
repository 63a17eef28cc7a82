// Placeholder until the WinHTTP client lands: every request fails as set-up.
#include "net/https.h"

namespace bw::net {
namespace {
class UnavailableHttps : public HttpsClient {
 public:
  HttpsReply PostForm(const std::string&, const std::string&, int) override {
    HttpsReply reply;
    reply.code = kHttpsSetupFailed;
    reply.reason = "HTTPS not available in this build";
    return reply;
  }
};
}  // namespace
std::unique_ptr<HttpsClient> HttpsClient::Create(const std::string&) { return std::make_unique<UnavailableHttps>(); }
}  // namespace bw::net
