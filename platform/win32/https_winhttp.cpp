// One HTTPS POST of a form through WinHTTP. winhttp.dll is linked at run
// time: it came with Windows 2000 SP3 and XP SP1, and the programs still
// load where it is absent (the post then fails with a reason that says so).
// WinHTTP checks the server's certificate itself, against the Windows
// certificate stores: chain to a trusted root, validity dates and the host
// name. Nothing here turns any of those checks off.
#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/https.h"
#include "platform/socket.h"
#include "platform/tls.h"

namespace bw::net {
namespace {

// A token endpoint answers with a few hundred bytes of JSON.
constexpr std::size_t kMaxBody = 64 * 1024;

// GetTickCount moves in steps of 10 to 16 ms.
constexpr int kTimeSlackMs = 50;

struct WinHttp {
  decltype(&::WinHttpOpen) Open = nullptr;
  decltype(&::WinHttpCrackUrl) CrackUrl = nullptr;
  decltype(&::WinHttpConnect) Connect = nullptr;
  decltype(&::WinHttpOpenRequest) OpenRequest = nullptr;
  decltype(&::WinHttpSetOption) SetOption = nullptr;
  decltype(&::WinHttpSetTimeouts) SetTimeouts = nullptr;
  decltype(&::WinHttpSetStatusCallback) SetStatusCallback = nullptr;
  decltype(&::WinHttpSendRequest) SendRequest = nullptr;
  decltype(&::WinHttpReceiveResponse) ReceiveResponse = nullptr;
  decltype(&::WinHttpQueryHeaders) QueryHeaders = nullptr;
  decltype(&::WinHttpQueryDataAvailable) QueryDataAvailable = nullptr;
  decltype(&::WinHttpReadData) ReadData = nullptr;
  decltype(&::WinHttpCloseHandle) CloseHandle = nullptr;
};

template <typename Fn>
bool Link(HMODULE module, const char* name, Fn* slot) {
  FARPROC p = GetProcAddress(module, name);
  *slot = reinterpret_cast<Fn>(reinterpret_cast<void*>(p));
  return p != nullptr;
}

// Loaded once for the process and kept; null when the system has no usable
// winhttp.dll.
const WinHttp* LoadWinHttp() {
  static const WinHttp* const loaded = []() -> const WinHttp* {
    HMODULE module = LoadLibraryA("winhttp.dll");
    if (!module) return nullptr;
    static WinHttp f;
    bool ok = Link(module, "WinHttpOpen", &f.Open);
    ok = Link(module, "WinHttpCrackUrl", &f.CrackUrl) && ok;
    ok = Link(module, "WinHttpConnect", &f.Connect) && ok;
    ok = Link(module, "WinHttpOpenRequest", &f.OpenRequest) && ok;
    ok = Link(module, "WinHttpSetOption", &f.SetOption) && ok;
    ok = Link(module, "WinHttpSetTimeouts", &f.SetTimeouts) && ok;
    ok = Link(module, "WinHttpSetStatusCallback", &f.SetStatusCallback) && ok;
    ok = Link(module, "WinHttpSendRequest", &f.SendRequest) && ok;
    ok = Link(module, "WinHttpReceiveResponse", &f.ReceiveResponse) && ok;
    ok = Link(module, "WinHttpQueryHeaders", &f.QueryHeaders) && ok;
    ok = Link(module, "WinHttpQueryDataAvailable", &f.QueryDataAvailable) && ok;
    ok = Link(module, "WinHttpReadData", &f.ReadData) && ok;
    ok = Link(module, "WinHttpCloseHandle", &f.CloseHandle) && ok;
    if (!ok) {
      FreeLibrary(module);
      return nullptr;
    }
    return &f;
  }();
  return loaded;
}

// One WinHTTP handle. Close may come from another thread (the request's
// deadline) while this one still uses the handle: a call on a closed handle
// fails, and the handle is closed exactly once.
class Handle {
 public:
  Handle(const WinHttp& f, HINTERNET h) : f_(f), h_(h) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HINTERNET get() const { return h_.load(); }
  explicit operator bool() const { return h_.load() != nullptr; }
  void Close() {
    if (HINTERNET h = h_.exchange(nullptr)) f_.CloseHandle(h);
  }

 private:
  const WinHttp& f_;
  std::atomic<HINTERNET> h_;
};

// WinHTTP's time-outs bound each wait, not the request: a body trickling in
// a byte at a time would run on past every limit. The deadline closes the
// request handle from a thread of its own when the request's whole time has
// passed, which ends any call pending on it at once.
class RequestDeadline {
 public:
  RequestDeadline(Handle& request, DWORD ms) : request_(request), ms_(ms) {
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (stop_) thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
  }
  ~RequestDeadline() {
    if (thread_) {
      SetEvent(stop_);
      WaitForSingleObject(thread_, INFINITE);
      CloseHandle(thread_);
    }
    if (stop_) CloseHandle(stop_);
  }
  RequestDeadline(const RequestDeadline&) = delete;
  RequestDeadline& operator=(const RequestDeadline&) = delete;
  // True once the deadline has closed the request.
  bool Passed() const { return passed_.load(); }

 private:
  static DWORD WINAPI Run(void* self) {
    auto* deadline = static_cast<RequestDeadline*>(self);
    if (WaitForSingleObject(deadline->stop_, deadline->ms_) == WAIT_TIMEOUT) {
      deadline->passed_ = true;
      deadline->request_.Close();
    }
    return 0;
  }

  Handle& request_;
  DWORD ms_;
  HANDLE stop_ = nullptr;
  HANDLE thread_ = nullptr;
  std::atomic<bool> passed_{false};
};

// What the status callback saw of one request: how far it came, and the
// detail WinHTTP gives of a refused certificate or a failed handshake.
struct Progress {
  bool connected = false;
  bool sent = false;
  DWORD secureFlags = 0;
};

void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD length) {
  auto* progress = reinterpret_cast<Progress*>(context);
  if (!progress) return;
  if (status == WINHTTP_CALLBACK_STATUS_CONNECTED_TO_SERVER) progress->connected = true;
  if (status == WINHTTP_CALLBACK_STATUS_REQUEST_SENT) progress->sent = true;
  if (status == WINHTTP_CALLBACK_STATUS_SECURE_FAILURE && info && length >= sizeof(DWORD))
    progress->secureFlags |= *static_cast<const DWORD*>(info);
}

constexpr DWORD kCertificateFlags =
    WINHTTP_CALLBACK_STATUS_FLAG_CERT_REV_FAILED | WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CERT |
    WINHTTP_CALLBACK_STATUS_FLAG_CERT_REVOKED | WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CA |
    WINHTTP_CALLBACK_STATUS_FLAG_CERT_CN_INVALID | WINHTTP_CALLBACK_STATUS_FLAG_CERT_DATE_INVALID |
    WINHTTP_CALLBACK_STATUS_FLAG_CERT_WRONG_USAGE;

// The certificate fault named by an error code or, for the general
// ERROR_WINHTTP_SECURE_FAILURE, by the callback's flags. Null: no
// certificate fault.
const char* CertificateFault(DWORD error, DWORD flags) {
  switch (error) {
    case ERROR_WINHTTP_SECURE_INVALID_CA: return "untrusted CA";
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID: return "expired";
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID: return "wrong name";
    case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE: return "wrong usage";
    case ERROR_WINHTTP_SECURE_CERT_REVOKED: return "revoked";
    case ERROR_WINHTTP_SECURE_CERT_REV_FAILED: return "revocation unknown";
    case ERROR_WINHTTP_SECURE_INVALID_CERT: return "bad certificate";
    case ERROR_WINHTTP_SECURE_FAILURE: break;
    default: return nullptr;
  }
  if (flags & WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CA) return "untrusted CA";
  if (flags & WINHTTP_CALLBACK_STATUS_FLAG_CERT_DATE_INVALID) return "expired";
  if (flags & WINHTTP_CALLBACK_STATUS_FLAG_CERT_CN_INVALID) return "wrong name";
  if (flags & WINHTTP_CALLBACK_STATUS_FLAG_CERT_WRONG_USAGE) return "wrong usage";
  if (flags & WINHTTP_CALLBACK_STATUS_FLAG_CERT_REVOKED) return "revoked";
  if (flags & WINHTTP_CALLBACK_STATUS_FLAG_CERT_REV_FAILED) return "revocation unknown";
  if (flags & kCertificateFlags) return "bad certificate";
  return nullptr;
}

std::string ErrorText(DWORD error) {
  char text[32];
  std::snprintf(text, sizeof text, "WinHTTP error %lu", static_cast<unsigned long>(error));
  return text;
}

HttpsReply Failed(int code, std::string reason) {
  HttpsReply reply;
  reply.code = code;
  reply.reason = std::move(reason);
  return reply;
}

// A TLS handshake of the mail accounts' own client with the endpoint,
// nothing sent after it: its verdict on the certificate, named as the mail
// accounts' log lines name it.
int HandshakeVerdict(const std::string& host, unsigned port, int timeoutMs) {
  if (Startup(nullptr) != 0) return kTlsSetupFailed;
  int verdict = kTlsSetupFailed;
  std::uint8_t address[4];
  if (LookupHost(host.c_str(), address)) {
    const SocketHandle socket = OpenTcp();
    if (socket != kInvalidSocket) {
      const std::uint8_t portBytes[2] = {static_cast<std::uint8_t>(port >> 8), static_cast<std::uint8_t>(port)};
      std::uint16_t portNetOrder;
      std::memcpy(&portNetOrder, portBytes, 2);
      if (ConnectIPv4(socket, address, portNetOrder) == 0) verdict = TlsClient::Create()->Handshake(socket, host, timeoutMs);
      Close(socket);
    }
  }
  Cleanup();
  return verdict;
}

// Where one post goes.
struct Endpoint {
  std::string host;
  unsigned port = 0;
};

class WinHttpClient : public HttpsClient {
 public:
  explicit WinHttpClient(const std::string& extraCaFile) : extraCaFile_(extraCaFile) {}

  HttpsReply PostForm(const std::string& url, const std::string& formBody, int timeoutMs) override;

 private:
  HttpsReply Failure(DWORD error, const Progress& progress, const Endpoint& endpoint, bool tls12,
                     int remainingMs) const;

  std::string extraCaFile_;
};

HttpsReply WinHttpClient::Failure(DWORD error, const Progress& progress, const Endpoint& endpoint, bool tls12,
                                  int remainingMs) const {
  const char* fault = CertificateFault(error, progress.secureFlags);
  const bool handshake = error == ERROR_WINHTTP_SECURE_CHANNEL_ERROR ||
                         error == ERROR_WINHTTP_SECURE_FAILURE ||
                         (error == ERROR_WINHTTP_CONNECTION_ERROR && progress.connected && !progress.sent);
  // Some WinHTTPs (Wine's) report a handshake that ran out of time as
  // failed; the clock's steps may leave a few milliseconds over.
  if (handshake && !fault && remainingMs <= kTimeSlackMs) return Failed(kHttpsTimedOut, "time-out");
  if (fault || handshake) {
    // WinHTTP names a refused certificate coarsely ("untrusted CA" for a
    // missing root and a broken chain alike), and Wine's only says the
    // handshake failed. A handshake of our own tells the fault.
    const int verdict = HandshakeVerdict(endpoint.host, endpoint.port, remainingMs);
    if (IsCertificateFailure(verdict)) fault = TlsCodeName(verdict);
    if (!fault && verdict == kTlsTimedOut) return Failed(kHttpsTimedOut, "time-out");
  }
  if (fault) {
    std::string reason = fault;
    // The file of --ca-file is not read on Windows: trust there comes from
    // the certificate stores, as for the mail servers.
    const std::string name = fault;
    if (!extraCaFile_.empty() && (name == "untrusted CA" || name == TlsCodeName(kTlsUntrustedRoot) ||
                                  name == TlsCodeName(kTlsIncompleteChain)))
      reason += "; the CA file is not used on Windows: trust the CA in the Windows certificate store";
    return Failed(kHttpsCertificate, reason);
  }
  if (handshake) {
    if (!tls12)
      return Failed(kHttpsTlsFailed,
                    "this system's WinHTTP has no TLS 1.2: Windows 2000 and XP have none, Windows 7 "
                    "needs the update for TLS 1.2 in WinHTTP (KB3140245)");
    return Failed(kHttpsTlsFailed, "handshake failed, " + ErrorText(error));
  }
  switch (error) {
    case ERROR_WINHTTP_TIMEOUT:
      return Failed(kHttpsTimedOut, "time-out");
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
      return Failed(kHttpsUnreachable, "host name not found");
    case ERROR_WINHTTP_CANNOT_CONNECT:
      return Failed(kHttpsUnreachable, "cannot connect");
    case ERROR_WINHTTP_CONNECTION_ERROR:
      return Failed(kHttpsUnreachable, "connection closed");
    case ERROR_NOT_ENOUGH_MEMORY:
      return Failed(kHttpsSetupFailed, "out of memory");
    default:
      return Failed(kHttpsUnreachable, ErrorText(error));
  }
}

// Milliseconds left of `timeoutMs` since `start`, at least 1 while any is
// left; 0 when none is.
DWORD Remaining(DWORD start, int timeoutMs) {
  const DWORD spent = GetTickCount() - start;
  if (timeoutMs < 0) return 0x7FFFFFFF;
  if (spent >= static_cast<DWORD>(timeoutMs)) return 0;
  return static_cast<DWORD>(timeoutMs) - spent;
}

HttpsReply WinHttpClient::PostForm(const std::string& url, const std::string& formBody, int timeoutMs) {
  const DWORD start = GetTickCount();
  // The status callback writes here until the handles close: it outlives them.
  Progress progress;
  const WinHttp* f = LoadWinHttp();
  // Every Windows without WinHTTP (Windows 2000 before SP3) also lacks the
  // TLS 1.2 that token endpoints ask for: said as a TLS failure, the log
  // line tells the user what is missing.
  if (!f) return Failed(kHttpsTlsFailed, "winhttp.dll is missing: Windows 2000 before SP3 has no WinHTTP");

  // URLs are ASCII (anything else arrives percent-encoded).
  std::wstring wideUrl;
  for (unsigned char c : url) {
    if (c <= 0x20 || c >= 0x7F) return Failed(kHttpsSetupFailed, "the URL holds a space or a non-ASCII byte");
    wideUrl += static_cast<wchar_t>(c);
  }
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!f->CrackUrl(wideUrl.c_str(), static_cast<DWORD>(wideUrl.size()), 0, &parts) || parts.dwHostNameLength == 0)
    return Failed(kHttpsSetupFailed, "not a URL");
  if (parts.nScheme != INTERNET_SCHEME_HTTPS) return Failed(kHttpsSetupFailed, "not an https URL");
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  const Endpoint endpoint{std::string(url, static_cast<std::size_t>(parts.lpszHostName - wideUrl.c_str()),
                                      parts.dwHostNameLength),
                          parts.nPort};
  std::wstring path(parts.lpszUrlPath ? parts.lpszUrlPath : L"", parts.dwUrlPathLength);
  if (parts.lpszExtraInfo) path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (path.empty()) path = L"/";

  Handle session(*f, f->Open(L"Bellwick", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                             WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session) return Failed(kHttpsSetupFailed, "WinHttpOpen: " + ErrorText(GetLastError()));

  // TLS 1.2 (and 1.3 where WinHTTP knows it) only. A WinHTTP without TLS
  // 1.2 refuses the option; its own defaults are then tried, and a failed
  // handshake says why.
  bool tls12 = false;
  for (DWORD protocols : {static_cast<DWORD>(WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3),
                          static_cast<DWORD>(WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2)}) {
    if (f->SetOption(session.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols)) {
      tls12 = true;
      break;
    }
  }

  Handle connection(*f, f->Connect(session.get(), host.c_str(), parts.nPort, 0));
  if (!connection) return Failed(kHttpsSetupFailed, "WinHttpConnect: " + ErrorText(GetLastError()));
  const wchar_t* accept[] = {L"application/json", nullptr};
  Handle request(*f, f->OpenRequest(connection.get(), L"POST", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                    accept, WINHTTP_FLAG_SECURE));
  if (!request) return Failed(kHttpsSetupFailed, "WinHttpOpenRequest: " + ErrorText(GetLastError()));

  // One request to exactly this endpoint: no redirect (the form would go
  // elsewhere), no cookies, no automatic Windows logon.
  DWORD disable = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_AUTHENTICATION |
                  WINHTTP_DISABLE_KEEP_ALIVE;
  f->SetOption(request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &disable, sizeof disable);

  f->SetStatusCallback(request.get(), OnStatus,
                       WINHTTP_CALLBACK_FLAG_CONNECT_TO_SERVER | WINHTTP_CALLBACK_FLAG_SEND_REQUEST |
                           WINHTTP_CALLBACK_FLAG_SECURE_FAILURE,
                       0);

  int wait = static_cast<int>(Remaining(start, timeoutMs));
  if (wait == 0) return Failed(kHttpsTimedOut, "time-out");
  const RequestDeadline deadline(request, static_cast<DWORD>(wait));
  f->SetTimeouts(request.get(), wait, wait, wait, wait);
  // Some WinHTTPs (Wine's) bound the TLS handshake by this one, which
  // WinHttpSetTimeouts leaves alone; older ones do not know it.
  f->SetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &wait, sizeof wait);
  static const wchar_t kHeaders[] = L"Content-Type: application/x-www-form-urlencoded\r\n";
  const DWORD bodyLength = static_cast<DWORD>(formBody.size());
  auto fail = [&]() {
    const DWORD error = GetLastError();
    if (deadline.Passed()) return Failed(kHttpsTimedOut, "time-out");
    return Failure(error, progress, endpoint, tls12, static_cast<int>(Remaining(start, timeoutMs)));
  };
  if (!f->SendRequest(request.get(), kHeaders, static_cast<DWORD>(-1),
                      const_cast<char*>(formBody.data()), bodyLength, bodyLength,
                      reinterpret_cast<DWORD_PTR>(&progress))) {
    return fail();
  }
  wait = static_cast<int>(Remaining(start, timeoutMs));
  if (wait == 0) return Failed(kHttpsTimedOut, "time-out");
  f->SetOption(request.get(), WINHTTP_OPTION_RECEIVE_TIMEOUT, &wait, sizeof wait);
  if (!f->ReceiveResponse(request.get(), nullptr)) {
    return fail();
  }

  HttpsReply reply;
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!f->QueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                       WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
    return deadline.Passed() ? Failed(kHttpsTimedOut, "time-out") : Failed(kHttpsUnreachable, "no HTTP status");
  // The body is read as it comes: each read takes only what has arrived,
  // so no read waits for a full buffer while the request's time runs out.
  std::vector<char> buffer(8192);
  for (;;) {
    wait = static_cast<int>(Remaining(start, timeoutMs));
    if (wait == 0 || deadline.Passed()) return Failed(kHttpsTimedOut, "time-out");
    f->SetOption(request.get(), WINHTTP_OPTION_RECEIVE_TIMEOUT, &wait, sizeof wait);
    DWORD available = 0;
    if (!f->QueryDataAvailable(request.get(), &available)) return fail();
    if (available == 0) break;
    DWORD got = 0;
    if (!f->ReadData(request.get(), buffer.data(),
                     static_cast<DWORD>(std::min<std::size_t>(available, buffer.size())), &got))
      return fail();
    if (got == 0) break;
    if (reply.body.size() + got > kMaxBody) return Failed(kHttpsTooLarge, "reply over 64 KiB");
    reply.body.append(buffer.data(), got);
  }
  if (deadline.Passed()) return Failed(kHttpsTimedOut, "time-out");
  // A connection that ended before the promised length is an answer cut
  // off, not a short one.
  DWORD promised = 0;
  size = sizeof promised;
  if (f->QueryHeaders(request.get(), WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
                      WINHTTP_HEADER_NAME_BY_INDEX, &promised, &size, WINHTTP_NO_HEADER_INDEX) &&
      reply.body.size() < promised)
    return Failed(kHttpsCutOff, "answer cut off");
  reply.code = kHttpsOk;
  reply.status = static_cast<int>(status);
  return reply;
}

}  // namespace

std::unique_ptr<HttpsClient> HttpsClient::Create(const std::string& extraCaFile) {
  return std::make_unique<WinHttpClient>(extraCaFile);
}

}  // namespace bw::net
