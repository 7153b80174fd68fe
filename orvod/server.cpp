// The network side of the daemon: one request per TCP connection, each under a deadline.
#include "orvod/server.hpp"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <asio.hpp>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <vector>

#include "orvod/request.hpp"

namespace orvod {
namespace {

using asio::ip::tcp;

using Block = std::array<char, vantrel::protocol::kBlockSize>;

// A client whose exchange could not be finished at once: its request is still arriving, its
// reply did not fit the socket buffer, or the rest of its block has to be swallowed. It lives as
// long as one of its handlers is pending; all of them run on the one thread of its io_context,
// so they never race each other.
class Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(tcp::socket socket, const AnswerFunction& answer, std::chrono::milliseconds timeout,
             std::string_view received)
      : socket_(std::move(socket)),
        deadline_(socket_.get_executor()),
        answer_(answer),
        received_(received.size()),
        sawNul_(std::memchr(received.data(), '\0', received.size()) != nullptr) {
    std::memcpy(block_.data(), received.data(), received.size());
    deadline_.expires_after(timeout);
  }

  void continueReading() {
    armDeadline();
    readRequest();
  }

  void continueReplying(std::string reply, std::size_t sent, bool peerClosed) {
    armDeadline();
    replying_ = true;
    reply_ = std::move(reply);
    writeReply(sent, peerClosed);
  }

  void continueDraining() {
    armDeadline();
    replying_ = true;
    drain();
  }

 private:
  void armDeadline() {
    deadline_.async_wait([self = shared_from_this()](std::error_code ec) {
      if (!ec) {
        self->giveUp();
      }
    });
  }

  void readRequest() {
    socket_.async_read_some(asio::buffer(block_.data() + received_, block_.size() - received_),
                            [self = shared_from_this()](std::error_code ec, std::size_t n) {
                              self->onRequestBytes(ec, n);
                            });
  }

  void onRequestBytes(std::error_code ec, std::size_t n) {
    if (ec == asio::error::operation_aborted) {
      return;
    }
    if (ec && ec != asio::error::eof) {
      return finish();
    }
    const char* fresh = block_.data() + received_;
    received_ += n;
    const bool peerClosed = ec == asio::error::eof;
    sawNul_ = sawNul_ || std::memchr(fresh, '\0', n) != nullptr;
    if (peerClosed || received_ == block_.size() || sawNul_) {
      replying_ = true;
      reply_ = answer_(std::string_view(block_.data(), received_));
      return writeReply(0, peerClosed);
    }
    readRequest();
  }

  void writeReply(std::size_t sent, bool peerClosed) {
    asio::async_write(socket_, asio::buffer(reply_.data() + sent, reply_.size() - sent),
                      [self = shared_from_this(), peerClosed](std::error_code ec, std::size_t) {
                        self->afterReply(ec, peerClosed);
                      });
  }

  void afterReply(std::error_code ec, bool peerClosed) {
    if (ec || peerClosed || (received_ == block_.size() && sawNul_)) {
      return finish();
    }
    socket_.shutdown(tcp::socket::shutdown_send, ec);
    drain();
  }

  // Swallows what the client still sends until it closes or the deadline passes: the reply
  // has been composed, so the block may be overwritten.
  void drain() {
    socket_.async_read_some(asio::buffer(block_),
                            [self = shared_from_this()](std::error_code ec, std::size_t) {
                              if (ec) {
                                self->finish();
                              } else {
                                self->drain();
                              }
                            });
  }

  // A client that never completes its request still learns why it gets no answer. The send
  // must not block, and a client that stopped reading simply misses the message.
  void giveUp() {
    if (!replying_) {
      const std::string_view message = "* No complete request within the time limit";
      [[maybe_unused]] const auto sent = ::send(socket_.native_handle(), message.data(),
                                                message.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    }
    std::error_code ignored;
    socket_.close(ignored);
  }

  void finish() {
    std::error_code ignored;
    socket_.close(ignored);
    deadline_.cancel();
  }

  tcp::socket socket_;
  asio::steady_timer deadline_;
  const AnswerFunction& answer_;
  Block block_;
  std::size_t received_ = 0;
  bool sawNul_ = false;
  bool replying_ = false;
  std::string reply_;
};

bool isResourceShortage(int error) {
  return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM;
}

// Accepts and serves clients on one thread. The request block has almost always arrived by the
// time the connection is accepted, so the exchange is tried at once with plain non-blocking
// calls; only a client that is not done yet costs a reactor registration and a timer.
class Listener {
 public:
  Listener(asio::io_context& context, tcp::acceptor& shared, const AnswerFunction& answer,
           std::chrono::milliseconds timeout)
      : context_(context),
        acceptor_(context),
        retryTimer_(context),
        protocol_(shared.local_endpoint().protocol()),
        answer_(answer),
        timeout_(timeout) {
    // Each thread waits on its own descriptor for the one listening socket, so no thread has to
    // hand connections to another.
    const int copy = ::dup(shared.native_handle());
    if (copy < 0) {
      throw std::system_error(errno, std::generic_category(), "dup");
    }
    acceptor_.assign(protocol_, copy);
    acceptor_.non_blocking(true);
  }

  void start() { waitForClients(); }

 private:
  // Readiness is reported once per arrival, so every wait must follow an accept that found the
  // queue empty.
  void waitForClients() {
    acceptor_.async_wait(tcp::acceptor::wait_read, [this](std::error_code ec) {
      if (ec != asio::error::operation_aborted) {
        acceptWaiting();
      }
    });
  }

  void acceptWaiting() {
    constexpr int kBatch = 32;
    for (int i = 0; i < kBatch; ++i) {
      const int fd =
          ::accept4(acceptor_.native_handle(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd >= 0) {
        serve(fd);
        continue;
      }
      if (errno == EINTR || errno == ECONNABORTED) {
        continue;
      }
      if (isResourceShortage(errno)) {
        // Retrying at once would spin; idle clients free descriptors as their deadlines pass.
        return retryShortly();
      }
      return waitForClients();
    }
    // Let this thread's other clients have a turn before the next batch.
    asio::post(context_, [this] { acceptWaiting(); });
  }

  void retryShortly() {
    retryTimer_.expires_after(std::chrono::milliseconds(50));
    retryTimer_.async_wait([this](std::error_code ec) {
      if (!ec) {
        acceptWaiting();
      }
    });
  }

  void serve(int fd) {
    std::size_t received = 0;
    bool peerClosed = false;
    bool sawNul = false;
    bool complete = false;
    while (!complete) {
      const ssize_t n = ::recv(fd, block_.data() + received, block_.size() - received, 0);
      if (n > 0) {
        sawNul = std::memchr(block_.data() + received, '\0', static_cast<std::size_t>(n));
        received += static_cast<std::size_t>(n);
        complete = sawNul || received == block_.size();
      } else if (n == 0) {
        peerClosed = complete = true;
      } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
        break;
      } else if (errno != EINTR) {
        ::close(fd);
        return;
      }
    }
    const std::string_view request(block_.data(), received);
    if (!complete) {
      return adopt(fd, request, [](Connection& c) { c.continueReading(); });
    }
    std::string reply = answer_(request);
    const ssize_t sent = ::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      ::close(fd);
      return;
    }
    const auto done = static_cast<std::size_t>(std::max<ssize_t>(sent, 0));
    if (done < reply.size()) {
      return adopt(fd, request,
                   [&](Connection& c) { c.continueReplying(std::move(reply), done, peerClosed); });
    }
    // A whole block with its NUL is all a client sends, so it can be closed at once.
    if (peerClosed || (received == block_.size() && sawNul)) {
      ::close(fd);
      return;
    }
    // Closing while the client still sends (the rest of its block, or an oversized request)
    // would make the kernel reset the connection, which can discard the reply before the
    // client reads it. So signal the end of the reply and swallow the rest first.
    ::shutdown(fd, SHUT_WR);
    adopt(fd, request, [](Connection& c) { c.continueDraining(); });
  }

  template <typename Continue>
  void adopt(int fd, std::string_view received, Continue next) {
    tcp::socket socket(context_);
    std::error_code ec;
    socket.assign(protocol_, fd, ec);
    if (ec) {
      ::close(fd);
      return;
    }
    next(*std::make_shared<Connection>(std::move(socket), answer_, timeout_, received));
  }

  asio::io_context& context_;
  tcp::acceptor acceptor_;
  asio::steady_timer retryTimer_;
  tcp protocol_;
  const AnswerFunction& answer_;
  std::chrono::milliseconds timeout_;
  Block block_;
};

}  // namespace

// One io_context per thread, each run by a single thread with its own Listener on the shared
// listening socket. The first context also owns the signal set.
struct Server::Impl {
  Impl(const ServerOptions& opts, AnswerFunction fn)
      : options(opts),
        answer(std::move(fn)),
        contexts(makeContexts(opts.threads)),
        acceptor(*contexts.front()),
        signals(*contexts.front(), SIGINT, SIGTERM) {
    std::error_code ec;
    const asio::ip::address address = asio::ip::make_address(options.address, ec);
    if (ec) {
      throw std::runtime_error("cannot listen on \"" + options.address +
                               "\": not a numeric IPv4 or IPv6 address");
    }
    const tcp::endpoint endpoint(address, options.port);
    acceptor.open(endpoint.protocol());
    acceptor.set_option(tcp::acceptor::reuse_address(true));
    acceptor.bind(endpoint);
    acceptor.listen(asio::socket_base::max_listen_connections);
    // The kernel holds a connection back until its first bytes arrive (or about a second has
    // passed), so nearly every accepted client is served straight through without waiting.
    const int deferSeconds = 1;
    if (::setsockopt(acceptor.native_handle(), IPPROTO_TCP, TCP_DEFER_ACCEPT, &deferSeconds,
                     sizeof deferSeconds) != 0) {
      throw std::system_error(errno, std::generic_category(), "TCP_DEFER_ACCEPT");
    }
    for (auto& context : contexts) {
      listeners.push_back(std::make_unique<Listener>(*context, acceptor, answer, options.timeout));
    }
  }

  static std::vector<std::unique_ptr<asio::io_context>> makeContexts(unsigned count) {
    std::vector<std::unique_ptr<asio::io_context>> result;
    for (unsigned i = 0; i < std::max(count, 1U); ++i) {
      result.push_back(std::make_unique<asio::io_context>(1));
    }
    return result;
  }

  void stopAll() {
    for (auto& context : contexts) {
      context->stop();
    }
  }

  ServerOptions options;
  AnswerFunction answer;
  std::vector<std::unique_ptr<asio::io_context>> contexts;
  tcp::acceptor acceptor;
  asio::signal_set signals;
  std::vector<std::unique_ptr<Listener>> listeners;
};

Server::Server(const ServerOptions& options, AnswerFunction answer)
    : impl_(std::make_unique<Impl>(options, std::move(answer))) {}

Server::~Server() = default;

std::string Server::endpoint() const {
  const tcp::endpoint local = impl_->acceptor.local_endpoint();
  const std::string address = local.address().to_string();
  const std::string host = local.address().is_v6() ? "[" + address + "]" : address;
  return host + ":" + std::to_string(local.port());
}

void Server::run() {
  Impl& impl = *impl_;
  impl.signals.async_wait([&impl](std::error_code ec, int) {
    if (!ec) {
      impl.stopAll();
    }
  });
  for (auto& listener : impl.listeners) {
    listener->start();
  }
  std::vector<std::thread> threads;
  for (std::size_t i = 1; i < impl.contexts.size(); ++i) {
    threads.emplace_back([context = impl.contexts[i].get()] { context->run(); });
  }
  impl.contexts.front()->run();
  impl.stopAll();
  for (std::thread& thread : threads) {
    thread.join();
  }
}

}  // namespace orvod
