// The TLS paths of a check against a TLS server inside the test process,
// with a CA and certificates made when the suite starts: no root, no
// Dovecot, no files but a CA in the scratch folder. Refused certificates and
// bytes slipped in after STLS must end the check before any credential
// leaves; the end of a TLS session ends the data at once.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "checker/core/pop3_checker.h"
#include "common/core/log.h"
#include "platform/socket.h"
#include "platform/tls.h"
#include "tests/unit/pop3_server_test.h"
#include "tests/unit/test_support.h"

namespace {

using bw::Pop3Checker;
using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;

struct KeyFree {
  void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct CertFree {
  void operator()(X509* c) const { X509_free(c); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Cert = std::unique_ptr<X509, CertFree>;

// A certificate for `cn` (and the name in `san`), signed by `issuer` with
// `issuerKey`, or by itself when no issuer is given.
Cert MakeCertificate(EVP_PKEY* key, const char* cn, const char* san, bool isCa, X509* issuer,
                     EVP_PKEY* issuerKey) {
  static long serial = 1;
  Cert cert(X509_new());
  X509* c = cert.get();
  X509_set_version(c, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(c), serial++);
  X509_gmtime_adj(X509_getm_notBefore(c), -3600);
  X509_gmtime_adj(X509_getm_notAfter(c), 86400);
  X509_set_pubkey(c, key);
  X509_NAME_add_entry_by_txt(X509_get_subject_name(c), "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(cn), -1, -1, 0);
  X509_set_issuer_name(c, X509_get_subject_name(issuer ? issuer : c));
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuer ? issuer : c, c, nullptr, nullptr, 0);
  auto add = [&](int nid, const char* value) {
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    X509_add_ext(c, ext, -1);
    X509_EXTENSION_free(ext);
  };
  if (isCa) {
    add(NID_basic_constraints, "critical,CA:TRUE");
    add(NID_key_usage, "critical,keyCertSign,cRLSign");
  } else {
    add(NID_basic_constraints, "CA:FALSE");
    add(NID_key_usage, "critical,digitalSignature");
    add(NID_ext_key_usage, "serverAuth");
    add(NID_subject_alt_name, san);
  }
  X509_sign(c, issuerKey ? issuerKey : key, EVP_sha256());
  return cert;
}

Key MakeKey() { return Key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256")); }

// The test CA (trusted through the extra CA file), a second CA nobody
// trusts, and server certificates for "localhost" and for another name.
struct TestPki {
  TestPki() {
    caKey = MakeKey();
    ca = MakeCertificate(caKey.get(), "Local Test CA", nullptr, true, nullptr, nullptr);
    otherCaKey = MakeKey();
    otherCa = MakeCertificate(otherCaKey.get(), "Local Untrusted CA", nullptr, true, nullptr, nullptr);
    serverKey = MakeKey();
    good = MakeCertificate(serverKey.get(), "localhost", "DNS:localhost", false, ca.get(), caKey.get());
    wrongName = MakeCertificate(serverKey.get(), "wrong.example", "DNS:wrong.example", false, ca.get(),
                                caKey.get());
    untrusted = MakeCertificate(serverKey.get(), "localhost", "DNS:localhost", false, otherCa.get(),
                                otherCaKey.get());
  }
  Key caKey, otherCaKey, serverKey;
  Cert ca, otherCa, good, wrongName, untrusted;
};

const TestPki& Pki() {
  static const TestPki pki;
  return pki;
}

const char kGreeting[] = "+OK local TLS server ready\r\n";

// Plays one behaviour per accepted connection and records what the client
// sent: its lines in the clear and over TLS, and "# tls" or "# handshake
// failed" for the handshake.
class LocalTlsServer {
 public:
  enum Mode {
    Pop3s,         // TLS from the first byte, then POP3 with an empty mailbox
    Stls,          // greeting in the clear, STLS, TLS, then POP3
    StlsInjected,  // STLS answered with a second reply in the same packet
    CloseNotify,   // POP3S greeting, then close_notify with the TCP kept open
    ImapInjected,  // IMAP STARTTLS answered with an untagged line in the same packet
    ImapRefused,   // IMAP STARTTLS answered NO
  };

  LocalTlsServer(std::vector<Mode> modes, X509* cert, X509* chain) {
    std::signal(SIGPIPE, SIG_IGN);
    ctx_ = SSL_CTX_new(TLS_server_method());
    SSL_CTX_use_certificate(ctx_, cert);
    if (chain) {
      X509_up_ref(chain);
      SSL_CTX_add_extra_chain_cert(ctx_, chain);
    }
    SSL_CTX_use_PrivateKey(ctx_, Pki().serverKey.get());
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(listener_, 4);
    socklen_t length = sizeof a;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &length);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this, modes] {
      for (Mode mode : modes) {
        pollfd p{listener_, POLLIN, 0};
        if (poll(&p, 1, 10000) != 1) break;
        const int fd = accept(listener_, nullptr, nullptr);
        timeval limit{5, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        Play(fd, mode);
        close(fd);
      }
    });
  }
  ~LocalTlsServer() {
    if (thread_.joinable()) thread_.join();
    close(listener_);
    SSL_CTX_free(ctx_);
  }
  std::string service() const { return std::to_string(port_); }
  // Waits until every connection has been played.
  Lines Heard() {
    if (thread_.joinable()) thread_.join();
    return heard_;
  }

 private:
  // One line of the client, CR LF cut off; `read` takes one byte or fails.
  template <typename Read>
  static bool ReadLine(Read read, std::string* line) {
    line->clear();
    char c;
    while (read(&c)) {
      if (c == '\n') return true;
      if (c != '\r') *line += c;
    }
    return false;
  }
  static void Drain(int fd) {
    char sink[4096];
    while (recv(fd, sink, sizeof sink, 0) > 0) {
    }
  }

  void Play(int fd, Mode mode) {
    auto plainByte = [fd](char* c) { return recv(fd, c, 1, 0) == 1; };
    std::string line;
    if (mode == ImapInjected || mode == ImapRefused) {
      const std::string greeting = "* OK [CAPABILITY IMAP4rev1 STARTTLS AUTH=PLAIN] ready\r\n";
      send(fd, greeting.data(), greeting.size(), MSG_NOSIGNAL);
      if (!ReadLine(plainByte, &line)) return;
      heard_.push_back(line);
      const std::string reply = mode == ImapRefused ? "a1 NO not now\r\n" : "a1 OK begin TLS\r\n* OK injected\r\n";
      send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
      if (mode == ImapRefused) {
        while (ReadLine(plainByte, &line)) heard_.push_back(line);
        return;
      }
    }
    if (mode == Stls || mode == StlsInjected) {
      send(fd, kGreeting, sizeof kGreeting - 1, MSG_NOSIGNAL);
      if (!ReadLine(plainByte, &line)) return;
      heard_.push_back(line);
      const std::string reply = mode == StlsInjected ? "+OK begin TLS\r\n+OK injected\r\n" : "+OK begin TLS\r\n";
      send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
    }
    SSL* ssl = SSL_new(ctx_);
    SSL_set_fd(ssl, fd);
    if (SSL_accept(ssl) != 1) {
      heard_.push_back("# handshake failed");
      ERR_clear_error();
      SSL_free(ssl);
      Drain(fd);
      return;
    }
    heard_.push_back("# tls");
    if (mode != Stls) SSL_write(ssl, kGreeting, sizeof kGreeting - 1);
    if (mode == CloseNotify) {
      SSL_shutdown(ssl);
      SSL_free(ssl);
      Drain(fd);  // the connection stays open until the client closes it
      return;
    }
    auto tlsByte = [ssl](char* c) { return SSL_read(ssl, c, 1) == 1; };
    while (ReadLine(tlsByte, &line)) {
      heard_.push_back(line);
      const char* reply = line == "STAT" ? "+OK 0 0\r\n" : "+OK\r\n";
      SSL_write(ssl, reply, static_cast<int>(std::strlen(reply)));
      if (line == "QUIT") break;
    }
    SSL_free(ssl);
  }

  SSL_CTX* ctx_ = nullptr;
  int listener_ = -1;
  std::uint16_t port_ = 0;
  Lines heard_;
  std::thread thread_;
};

class LocalTls : public bw_test::Pop3ServerTest {
 protected:
  void SetUp() override {
    Pop3ServerTest::SetUp();
    const std::string caFile = Path("ca.pem");
    FILE* f = std::fopen(caFile.c_str(), "w");
    PEM_write_X509(f, Pki().ca.get());
    std::fclose(f);
    bw::net::SetExtraCaFile(caFile);
  }
  void TearDown() override {
    bw::net::SetExtraCaFile("");
    Pop3ServerTest::TearDown();
  }
  // The certificates name "localhost"; a new server each time, so the port
  // is resolved again.
  void Point(const LocalTlsServer& server, int useTls) {
    PointAt("localhost", server.service());
    account.ResolvedPort = 0;
    account.UseTLS = useTls;
    account.TOofSendRecv_Sec = 10;
  }
};

// The positive control: the harness's good certificate carries whole checks
// over POP3S and STLS, so the refusals below are the certificate's doing.
TEST_F(LocalTls, GoodCertificateCarriesTheCheckOverPop3sAndStls) {
  LocalTlsServer server({LocalTlsServer::Pop3s, LocalTlsServer::Stls}, Pki().good.get(), nullptr);
  Point(server, 1);
  EXPECT_EQ(account.Check(), 0) << LogText();
  account.UseTLS = 2;
  EXPECT_EQ(account.Check(), 0) << LogText();
  EXPECT_EQ(server.Heard(), (Lines{"# tls", "USER taro", "PASS secret", "STAT", "QUIT", "STLS", "# tls",
                                   "USER taro", "PASS secret", "STAT", "QUIT"}));
  EXPECT_TRUE(Logged("home : TLS Protocol=TLSv1.3, Cipher=")) << LogText();
}

// A certificate for another name, and a chain that ends in a CA nobody here
// trusts: the handshake is refused by its reason, and the server hears no
// byte after it.
TEST_F(LocalTls, RefusedCertificatesEndTheCheckBeforeAnyCredential) {
  struct Case {
    X509* cert;
    X509* chain;
    const char* reason;
  } cases[] = {{Pki().wrongName.get(), nullptr, "[wrong name]"},
               {Pki().untrusted.get(), Pki().otherCa.get(), "[untrusted root]"}};
  for (const Case& c : cases) {
    LocalTlsServer server({LocalTlsServer::Pop3s}, c.cert, c.chain);
    Point(server, 1);
    EXPECT_EQ(account.Check(), -10) << c.reason;
    EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
    EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseAccount);
    EXPECT_TRUE(Logged(std::string("home : ｻｰﾊﾞ証明書を受け入れません") + c.reason)) << LogText();
    EXPECT_EQ(server.Heard(), Lines{"# handshake failed"}) << c.reason;
  }
}

// Bytes after the "+OK" to STLS came in the clear, where anyone on the way
// could have put them; read after the handshake they would pass for
// protected replies. The check ends before the handshake.
TEST_F(LocalTls, BytesAfterTheStlsReplyEndTheCheckBeforeTheHandshake) {
  LocalTlsServer server({LocalTlsServer::StlsInjected}, Pki().good.get(), nullptr);
  Point(server, 2);
  EXPECT_EQ(account.Check(), -10);
  EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
  EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseAccount);
  EXPECT_TRUE(Logged("home : STLSの応答の後に余分なﾃﾞｰﾀがあります. 認証情報は送信しません.\n")) << LogText();
  EXPECT_EQ(server.Heard(), (Lines{"STLS", "# handshake failed"}));
}

// The same for an IMAP account's STARTTLS, and a STARTTLS refused: either
// way no credential goes out, in the clear or otherwise.
TEST_F(LocalTls, ImapStarttlsRefusedOrFollowedByBytesSendsNoCredential) {
  LocalTlsServer server({LocalTlsServer::ImapInjected, LocalTlsServer::ImapRefused}, Pki().good.get(), nullptr);
  Point(server, 2);
  account.Protocol = 1;
  EXPECT_LT(account.Check(), 0);
  EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
  EXPECT_EQ(account.ErrorCause, Pop3Checker::CauseAccount);
  EXPECT_TRUE(Logged("home : STARTTLSの応答の後に余分なﾃﾞｰﾀがあります. 認証情報は送信しません.\n")) << LogText();
  account.CheckState = Pop3Checker::Ready;
  EXPECT_LT(account.Check(), 0);
  EXPECT_EQ(account.CheckState, Pop3Checker::Suspended);
  EXPECT_TRUE(Logged("home : ｻｰﾊﾞがSTARTTLSを拒否しました. 認証情報は送信しません.\n")) << LogText();
  EXPECT_EQ(server.Heard(), (Lines{"a1 STARTTLS", "# handshake failed", "a1 STARTTLS"}));
}

// A server that ends its TLS session and leaves the TCP connection open has
// said its last word: the next read ends at once, not at the time-out.
TEST_F(LocalTls, CloseNotifyEndsTheDataAtOnce) {
  LocalTlsServer server({LocalTlsServer::CloseNotify}, Pki().good.get(), nullptr);
  Point(server, 1);
  const auto start = Clock::now();
  EXPECT_EQ(account.Check(), -20);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
  EXPECT_TRUE(Logged("POP3 <- USER taro(9+2 Bytes)\nPOP3 -> --- No Data.\n")) << LogText();
  server.Heard();
}

}  // namespace
