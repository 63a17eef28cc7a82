// The token endpoint's HTTPS POST through libcurl: the system's CA bundle,
// plus the extra CA (when given) added to the same certificate store rather
// than put in its place; peer and host name always checked; TLS 1.2 at least.
#include "platform/https.h"

#include <curl/curl.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <cstdio>
#include <mutex>

namespace bw::net {
namespace {

constexpr std::size_t kReplyLimit = 64 * 1024;

struct Body {
  std::string text;
  bool tooLarge = false;
};

size_t TakeBody(char* data, size_t size, size_t count, void* context) {
  Body* body = static_cast<Body*>(context);
  const size_t length = size * count;
  if (body->text.size() + length > kReplyLimit) {
    body->tooLarge = true;
    return 0;  // ends the transfer
  }
  body->text.append(data, length);
  return length;
}

// Adds every certificate of the PEM file to the context's store.
CURLcode AddExtraCa(CURL*, void* sslContext, void* pathPointer) {
  const std::string& path = *static_cast<const std::string*>(pathPointer);
  X509_STORE* store = SSL_CTX_get_cert_store(static_cast<SSL_CTX*>(sslContext));
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (!file) return CURLE_SSL_CACERT_BADFILE;
  int added = 0;
  while (X509* certificate = PEM_read_X509(file, nullptr, nullptr, nullptr)) {
    if (X509_STORE_add_cert(store, certificate) == 1) ++added;
    X509_free(certificate);
  }
  std::fclose(file);
  return added > 0 ? CURLE_OK : CURLE_SSL_CACERT_BADFILE;
}

class CurlHttps : public HttpsClient {
 public:
  explicit CurlHttps(std::string extraCa) : extraCa_(std::move(extraCa)) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  }

  HttpsReply PostForm(const std::string& url, const std::string& formBody, int timeoutMs) override {
    HttpsReply reply;
    CURL* curl = curl_easy_init();
    if (!curl) {
      reply.reason = "libcurl could not be set up";
      return reply;
    }
    Body body;
    char error[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, formBody.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(formBody.size()));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, TakeBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_PROXY, "");  // the token endpoint is asked directly
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
    if (timeoutMs > 0) curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(timeoutMs));
    if (!extraCa_.empty()) {
      curl_easy_setopt(curl, CURLOPT_SSL_CTX_FUNCTION, AddExtraCa);
      curl_easy_setopt(curl, CURLOPT_SSL_CTX_DATA, &extraCa_);
    }
    struct curl_slist* headers = curl_slist_append(nullptr, "Accept: application/json");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);

    const CURLcode rc = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);

    reply.reason = error[0] ? error : curl_easy_strerror(rc);
    if (body.tooLarge) {
      reply.code = kHttpsTooLarge;
      reply.reason = "reply over 64 KiB";
      return reply;
    }
    switch (rc) {
      case CURLE_OK:
        reply.code = kHttpsOk;
        reply.status = static_cast<int>(status);
        reply.body = std::move(body.text);
        reply.reason.clear();
        return reply;
      case CURLE_COULDNT_RESOLVE_HOST:
      case CURLE_COULDNT_RESOLVE_PROXY:
      case CURLE_COULDNT_CONNECT:
      case CURLE_SEND_ERROR:
      case CURLE_RECV_ERROR:
      case CURLE_GOT_NOTHING:
        reply.code = kHttpsUnreachable;
        return reply;
      case CURLE_PARTIAL_FILE:
        reply.code = kHttpsCutOff;
        return reply;
      case CURLE_OPERATION_TIMEDOUT:
        reply.code = kHttpsTimedOut;
        return reply;
      case CURLE_PEER_FAILED_VERIFICATION:
      case CURLE_SSL_CACERT_BADFILE:
      case CURLE_SSL_ISSUER_ERROR:
        reply.code = kHttpsCertificate;
        return reply;
      case CURLE_SSL_CONNECT_ERROR:
        reply.code = kHttpsTlsFailed;
        return reply;
      default:
        reply.code = kHttpsSetupFailed;
        return reply;
    }
  }

 private:
  std::string extraCa_;
};

}  // namespace

std::unique_ptr<HttpsClient> HttpsClient::Create(const std::string& extraCaFile) {
  return std::make_unique<CurlHttps>(extraCaFile);
}

}  // namespace bw::net
