// Fuzzes orvod's side of a request: any bytes as what a client sent, parsed and,
// when the atlases are installed, answered. Without them only the parser runs,
// so the corpus replays on machines that lack the data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "orvod/atlas_set.hpp"
#include "orvod/labeller.hpp"
#include "orvod/answer.hpp"
#include "orvod/request.hpp"

namespace {

void require(bool holds) {
  if (!holds) {
    std::abort();
  }
}

const orvod::Labeller* labeller() {
  static const std::optional<orvod::Labeller> loaded = []() -> std::optional<orvod::Labeller> {
    try {
      return orvod::Labeller(orvod::loadAtlasSet(atlas::kDefaultDataDirectory));
    } catch (const std::exception&) {
      return std::nullopt;
    }
  }();
  return loaded ? &*loaded : nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const orvod::ParsedRequest parsed = orvod::parseRequestBlock(bytes);
  if (parsed.request) {
    const orvod::Request& request = *parsed.request;
    require(parsed.error.empty());
    require(request.code >= 1 && request.code <= 3);
    require(request.code == vantrel::protocol::kCubeCode
                ? vantrel::protocol::isCubesize(request.cubeSize)
                : request.cubeSize == 0);
  } else {
    // The message goes back to the client as it is, so it must fit its buffer.
    require(parsed.error.starts_with("* "));
    require(parsed.error.size() <= orvod::kMaxReplyLength);
  }

  const orvod::Labeller* atlases = labeller();
  if (atlases == nullptr) {
    return 0;
  }
  const std::string reply = orvod::answerBlock(*atlases, bytes);
  require(!reply.empty() && reply.size() <= orvod::kMaxReplyLength);
  require(reply.find('\0') == std::string::npos);
  require(parsed.request || reply == parsed.error);
  return 0;
}
