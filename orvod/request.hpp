// Parsing one Orvo request: "C,X,Y,Z" for codes 1 and 2, "3:S,X,Y,Z" for the cube.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "src/protocol/protocol.hpp"

namespace orvod {

struct Request {
  int code = 0;      // 1, 2 or 3
  int cubeSize = 0;  // 3, 5, 7, 9 or 11 for code 3; 0 otherwise
  std::int32_t x = 0, y = 0, z = 0;

  bool operator==(const Request&) const = default;
};

struct ParsedRequest {
  std::optional<Request> request;
  std::string error;  // a "* " message for the client when there is no request
};

// `text` is the request up to, not including, its NUL.
ParsedRequest parseRequestText(std::string_view text);

// `bytes` is what the client sent: the request ends at the first NUL, or at the end of `bytes`
// when the client closed without one; a full block without a NUL is refused.
ParsedRequest parseRequestBlock(std::string_view bytes);

}  // namespace orvod
