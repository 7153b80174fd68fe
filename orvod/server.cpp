// The network side of the daemon: one request per TCP connection, each under a deadline.
#include "orvod/server.hpp"

#include <sys/socket.h>

#include <array>
#include <asio.hpp>
#include <csignal>
#include <cstring>
#include <thread>
#include <vector>

#include "orvod/request.hpp"

namespace orvod {
namespace {

using asio::ip::tcp;

// Lives as long as one of its handlers is pending. All of a connection's handlers run on the
// one thread of its io_context, so they never race each other.
class Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(tcp::socket socket, const AnswerFunction& answer, std::chrono::milliseconds timeout)
      : socket_(std::move(socket)),
        deadline_(socket_.get_executor()),
        answer_(answer),
        timeout_(timeout) {}

  void start() {
    deadline_.expires_after(timeout_);
    deadline_.async_wait([self = shared_from_this()](std::error_code ec) {
      if (!ec) {
        self->giveUp();
      }
    });
    readRequest();
  }

 private:
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
    if (peerClosed || received_ == block_.size() || std::memchr(fresh, '\0', n) != nullptr) {
      return reply(peerClosed);
    }
    readRequest();
  }

  void reply(bool peerClosed) {
    replying_ = true;
    reply_ = answer_(std::string_view(block_.data(), received_));
    asio::async_write(socket_, asio::buffer(reply_),
                      [self = shared_from_this(), peerClosed](std::error_code ec, std::size_t) {
                        self->afterReply(ec, peerClosed);
                      });
  }

  void afterReply(std::error_code ec, bool peerClosed) {
    if (ec || peerClosed || received_ == block_.size()) {
      return finish();
    }
    // Closing while part of the client's block is still unread would make the kernel reset the
    // connection, which can discard the reply before the client reads it. So signal the end of
    // the reply and swallow the rest of the block first.
    socket_.shutdown(tcp::socket::shutdown_send, ec);
    drain();
  }

  void drain() {
    socket_.async_read_some(asio::buffer(block_.data() + received_, block_.size() - received_),
                            [self = shared_from_this()](std::error_code ec, std::size_t n) {
                              self->received_ += n;
                              if (ec || self->received_ == self->block_.size()) {
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
      const std::string message = "* No complete request within the time limit";
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
  std::chrono::milliseconds timeout_;
  std::array<char, kRequestBlockSize> block_;
  std::size_t received_ = 0;
  bool replying_ = false;
  std::string reply_;
};

bool isResourceShortage(std::error_code ec) {
  return ec == asio::error::no_descriptors || ec == asio::error::no_buffer_space ||
         ec == asio::error::no_memory || ec == std::errc::too_many_files_open_in_system;
}

}  // namespace

// One io_context per thread, each run by a single thread: connections are dealt out to them in
// turn and need no locking. The first context also owns the acceptor and the signal set.
struct Server::Impl {
  Impl(const ServerOptions& opts, AnswerFunction fn)
      : options(opts),
        answer(std::move(fn)),
        contexts(makeContexts(opts.threads)),
        acceptor(*contexts.front()),
        retryTimer(*contexts.front()),
        signals(*contexts.front(), SIGINT, SIGTERM) {
    const tcp::endpoint endpoint(asio::ip::make_address(options.address), options.port);
    acceptor.open(endpoint.protocol());
    acceptor.set_option(tcp::acceptor::reuse_address(true));
    acceptor.bind(endpoint);
    acceptor.listen(asio::socket_base::max_listen_connections);
  }

  static std::vector<std::unique_ptr<asio::io_context>> makeContexts(unsigned count) {
    std::vector<std::unique_ptr<asio::io_context>> result;
    for (unsigned i = 0; i < std::max(count, 1U); ++i) {
      result.push_back(std::make_unique<asio::io_context>(1));
    }
    return result;
  }

  void acceptNext() {
    asio::io_context& target = *contexts[nextContext];
    nextContext = (nextContext + 1) % contexts.size();
    acceptor.async_accept(target, [this, &target](std::error_code ec, tcp::socket socket) {
      if (ec == asio::error::operation_aborted) {
        return;
      }
      if (!ec) {
        auto connection = std::make_shared<Connection>(std::move(socket), answer, options.timeout);
        asio::dispatch(target, [connection] { connection->start(); });
      }
      // Out of descriptors, retrying at once would spin; idle connections free some as their
      // deadlines pass.
      if (isResourceShortage(ec)) {
        return retryShortly();
      }
      acceptNext();
    });
  }

  void retryShortly() {
    retryTimer.expires_after(std::chrono::milliseconds(50));
    retryTimer.async_wait([this](std::error_code ec) {
      if (!ec) {
        acceptNext();
      }
    });
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
  asio::steady_timer retryTimer;
  asio::signal_set signals;
  std::size_t nextContext = 0;
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
  impl.acceptNext();

  std::vector<asio::executor_work_guard<asio::io_context::executor_type>> keepRunning;
  std::vector<std::thread> threads;
  for (std::size_t i = 1; i < impl.contexts.size(); ++i) {
    keepRunning.push_back(asio::make_work_guard(*impl.contexts[i]));
    threads.emplace_back([context = impl.contexts[i].get()] { context->run(); });
  }
  impl.contexts.front()->run();
  impl.stopAll();
  for (std::thread& thread : threads) {
    thread.join();
  }
}

}  // namespace orvod
