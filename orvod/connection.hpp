// A client whose exchange could not be finished at once, served on from the reactor.
#pragma once

#include <array>
#include <asio.hpp>
#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "orvod/progress.hpp"
#include "orvod/server.hpp"

namespace orvod {

// Its request is still arriving, its reply did not fit the socket buffer, or
// the rest of its block has to be swallowed. It lives as long as one of its
// handlers is pending; all of them run on the one thread of its io_context, so
// they never race each other.
class Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(asio::ip::tcp::socket socket, const AnswerFunction& answer,
             std::chrono::milliseconds timeout, std::string_view received,
             RequestProgress progress);

  void continueReading();
  void continueReplying(std::string reply, std::size_t sent);
  void continueDraining();

 private:
  void armDeadline();
  void readRequest();
  void onRequestBytes(std::error_code ec, std::size_t n);
  void writeReply(std::size_t sent);
  void afterReply(std::error_code ec);
  void drain();
  void giveUp();
  void finish();

  asio::ip::tcp::socket socket_;
  asio::steady_timer deadline_;
  const AnswerFunction& answer_;
  std::array<char, vantrel::protocol::kBlockSize> block_;
  RequestProgress progress_;
  bool replying_ = false;
  std::string reply_;
};

}  // namespace orvod
