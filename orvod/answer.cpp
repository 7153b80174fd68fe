// Composes the reply to a request: Code 1 parcel fields, Code 2 tissue fields, Code 3 counts.
#include "orvod/answer.hpp"

#include <algorithm>
#include <vector>

namespace orvod {
namespace {


std::string talairach(const Request& r) {
  return "Talairach " + std::to_string(r.x) + "," + std::to_string(r.y) + "," + std::to_string(r.z);
}

std::string outsideMessage(const Request& r) {
  return "* " + talairach(r) + " is outside the brain";
}

TalairachPoint pointOf(const Request& r) {
  return {r.x, r.y, r.z};
}

std::string tissueAnswer(const Labeller& labeller, const Request& r) {
  const TissueLabel label = labeller.tissueAt(pointOf(r));
  if (label.tier == Tier::Outside) {
    return outsideMessage(r);
  }
  return labeller.describe(label);
}

std::string parcelAnswer(const Labeller& labeller, const Request& r) {
  if (const std::uint8_t parcel = labeller.parcelAt(pointOf(r))) {
    return labeller.describeParcel(pointOf(r), parcel);
  }
  // The parcels leave out the cerebellum and deep white matter, which are still brain.
  if (labeller.tissueAt(pointOf(r)).tier != Tier::Outside) {
    return "* No Quendel label at " + talairach(r);
  }
  return outsideMessage(r);
}

// Different neighbours can yield the same text, so counts are merged by text.
std::vector<TextCount> countByText(const Labeller& labeller,
                                   const std::vector<std::pair<TissueLabel, int>>& counts) {
  std::vector<TextCount> texts;
  for (const auto& [label, count] : counts) {
    std::string text = labeller.describe(label);
    auto it = std::find_if(texts.begin(), texts.end(),
                           [&](const TextCount& t) { return t.text == text; });
    if (it == texts.end()) {
      texts.push_back({std::move(text), count});
    } else {
      it->count += count;
    }
  }
  return texts;
}

std::string cubeAnswer(const Labeller& labeller, const Request& r) {
  std::vector<TextCount> texts =
      countByText(labeller, labeller.countCube(pointOf(r), (r.cubeSize - 1) / 2));
  if (texts.empty()) {
    const std::string side = std::to_string(r.cubeSize);
    return "* " + talairach(r) + ": the " + side + "x" + side + "x" + side +
           " cube is outside the brain";
  }
  return formatCubeCounts(std::move(texts));
}

}  // namespace

std::string formatCubeCounts(std::vector<TextCount> counts) {
  std::sort(counts.begin(), counts.end(), [](const TextCount& a, const TextCount& b) {
    return a.count != b.count ? a.count > b.count : a.text < b.text;
  });
  std::string reply;
  std::size_t pairs = 0;
  for (const TextCount& c : counts) {
    const std::string pair = std::to_string(c.count) + ":" + c.text + ":";
    if (pairs == kMaxCubePairs || reply.size() + pair.size() > kMaxReplyLength) {
      break;
    }
    reply += pair;
    ++pairs;
  }
  return reply;
}

std::string answerRequest(const Labeller& labeller, const Request& request) {
  switch (request.code) {
    case 1:
      return parcelAnswer(labeller, request);
    case 2:
      return tissueAnswer(labeller, request);
    default:
      return cubeAnswer(labeller, request);
  }
}

std::string answerBlock(const Labeller& labeller, std::string_view bytes) {
  const ParsedRequest parsed = parseRequestBlock(bytes);
  if (!parsed.request) {
    return parsed.error;
  }
  return answerRequest(labeller, *parsed.request);
}

}  // namespace orvod
