// The messages whose headers a check fetches; see header_fetch.h.
#include "checker/core/header_fetch.h"

#include <algorithm>

namespace bw {

std::vector<std::string> NewMessagesByUidl(const UidlList& current, const UidlList& previous) {
  std::vector<std::string> numbers;
  for (std::size_t i : NewestNewUids(current, previous, kHeaderFetchMax))
    numbers.emplace_back(current[i].number);
  return numbers;
}

std::vector<std::string> NewMessagesByStat(std::uint32_t count, std::int32_t newCount) {
  std::vector<std::string> numbers;
  if (newCount <= 0) return numbers;
  const std::uint32_t fresh = std::min<std::uint32_t>(count, static_cast<std::uint32_t>(newCount));
  const std::uint32_t taken = std::min<std::uint32_t>(fresh, static_cast<std::uint32_t>(kHeaderFetchMax));
  for (std::uint32_t k = 0; k < taken; ++k) numbers.push_back(std::to_string(count - k));
  return numbers;
}

}  // namespace bw
