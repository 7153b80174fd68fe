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

#include "orvod/connection.hpp"
#include "orvod/progress.hpp"

namespace orvod {
namespace {

using asio::ip::tcp;

using Block = std::array<char, vantrel::protocol::kBlockSize>;

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
    RequestProgress progress;
    while (!progress.complete()) {
      const ssize_t n =
          ::recv(fd, block_.data() + progress.received, block_.size() - progress.received, 0);
      if (n > 0) {
        progress.add(block_.data() + progress.received, static_cast<std::size_t>(n));
      } else if (n == 0) {
        progress.peerClosed = true;
      } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
        break;
      } else if (errno != EINTR) {
        ::close(fd);
        return;
      }
    }
    const std::string_view request(block_.data(), progress.received);
    if (!progress.complete()) {
      return adopt(fd, request, progress, [](Connection& c) { c.continueReading(); });
    }
    std::string reply = answer_(request);
    const ssize_t sent = ::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
    switch (sendOutcome(sent, errno, reply.size())) {
      case SendOutcome::kFailed:
        ::close(fd);
        return;
      case SendOutcome::kPending: {
        const auto done = static_cast<std::size_t>(std::max<ssize_t>(sent, 0));
        return adopt(fd, request, progress,
                     [&](Connection& c) { c.continueReplying(std::move(reply), done); });
      }
      case SendOutcome::kDone:
        break;
    }
    if (progress.closableAfterReply()) {
      ::close(fd);
      return;
    }
    // Signal the end of the reply, then swallow the rest of what the client sends.
    ::shutdown(fd, SHUT_WR);
    adopt(fd, request, progress, [](Connection& c) { c.continueDraining(); });
  }

  template <typename Continue>
  void adopt(int fd, std::string_view received, RequestProgress progress, Continue next) {
    tcp::socket socket(context_);
    std::error_code ec;
    socket.assign(protocol_, fd, ec);
    if (ec) {
      ::close(fd);
      return;
    }
    next(*std::make_shared<Connection>(std::move(socket), answer_, timeout_, received, progress));
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

void Server::stop() {
  impl_->stopAll();
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
