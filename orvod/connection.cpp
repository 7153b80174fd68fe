// A connection served on from the reactor: the rest of its request, its reply, then a drain.
#include "orvod/connection.hpp"

#include <sys/socket.h>

namespace orvod {

Connection::Connection(asio::ip::tcp::socket socket, const AnswerFunction& answer,
                       std::chrono::milliseconds timeout, std::string_view received,
                       RequestProgress progress)
    : socket_(std::move(socket)),
      deadline_(socket_.get_executor()),
      answer_(answer),
      progress_(progress) {
  std::memcpy(block_.data(), received.data(), received.size());
  deadline_.expires_after(timeout);
}

void Connection::continueReading() {
  armDeadline();
  readRequest();
}

void Connection::continueReplying(std::string reply, std::size_t sent) {
  armDeadline();
  replying_ = true;
  reply_ = std::move(reply);
  writeReply(sent);
}

void Connection::continueDraining() {
  armDeadline();
  replying_ = true;
  drain();
}

void Connection::armDeadline() {
  deadline_.async_wait([self = shared_from_this()](std::error_code ec) {
    if (!ec) {
      self->giveUp();
    }
  });
}

void Connection::readRequest() {
  const std::size_t received = progress_.received;
  socket_.async_read_some(asio::buffer(block_.data() + received, block_.size() - received),
                          [self = shared_from_this()](std::error_code ec, std::size_t n) {
                            self->onRequestBytes(ec, n);
                          });
}

void Connection::onRequestBytes(std::error_code ec, std::size_t n) {
  if (ec == asio::error::operation_aborted) {
    return;
  }
  if (ec && ec != asio::error::eof) {
    return finish();
  }
  progress_.add(block_.data() + progress_.received, n);
  progress_.peerClosed = ec == asio::error::eof;
  if (!progress_.complete()) {
    return readRequest();
  }
  replying_ = true;
  reply_ = answer_(std::string_view(block_.data(), progress_.received));
  writeReply(0);
}

void Connection::writeReply(std::size_t sent) {
  asio::async_write(
      socket_, asio::buffer(reply_.data() + sent, reply_.size() - sent),
      [self = shared_from_this()](std::error_code ec, std::size_t) { self->afterReply(ec); });
}

void Connection::afterReply(std::error_code ec) {
  if (ec || progress_.closableAfterReply()) {
    return finish();
  }
  socket_.shutdown(asio::ip::tcp::socket::shutdown_send, ec);
  drain();
}

// Swallows what the client still sends until it closes or the deadline passes: the reply has
// been composed, so the block may be overwritten.
void Connection::drain() {
  socket_.async_read_some(asio::buffer(block_),
                          [self = shared_from_this()](std::error_code ec, std::size_t) {
                            if (ec) {
                              self->finish();
                            } else {
                              self->drain();
                            }
                          });
}

// A client that never completes its request still learns why it gets no answer. The send must
// not block, and a client that stopped reading simply misses the message.
void Connection::giveUp() {
  if (!replying_) {
    const std::string_view message = "* No complete request within the time limit";
    [[maybe_unused]] const auto sent = ::send(socket_.native_handle(), message.data(),
                                              message.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
  }
  std::error_code ignored;
  socket_.close(ignored);
}

void Connection::finish() {
  std::error_code ignored;
  socket_.close(ignored);
  deadline_.cancel();
}

}  // namespace orvod
