#include "framework/channel_io_config.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>
#include <string_view>

namespace plugkit {

namespace {

constexpr char kConfigSeparator = ' ';
constexpr char kSideSeparator = '-';
constexpr char kBusSeparator = '.';
constexpr std::string_view kWildcard = "*";

// The pieces of text between separators, empty pieces skipped.
std::vector<std::string_view> SplitSkippingEmpty(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  while (!text.empty()) {
    const size_t end = text.find(separator);
    const std::string_view piece = text.substr(0, end);
    if (!piece.empty())
      pieces.push_back(piece);
    if (end == std::string_view::npos)
      break;
    text.remove_prefix(end + 1);
  }
  return pieces;
}

// A leading decimal integer as "%d" reads it (spaces and a sign allowed),
// clamped to the int range; 0 when the piece does not start with a number.
int ReadCount(std::string_view piece) {
  if (piece == kWildcard)
    return IBusInfo::kWildcardChannels;
  const std::string text(piece);
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (end == text.c_str())
    return 0;
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// Adds a side's buses to the configuration and answers its channel total.
long long ParseSide(std::string_view side, ERoute direction, IOConfig& config) {
  long long total = 0;
  for (const std::string_view piece : SplitSkippingEmpty(side, kBusSeparator)) {
    const int count = ReadCount(piece);
    if (count != 0)
      config.AddBus(direction, count);
    total += count;
  }
  return total;
}

int ClampToInt(long long value) {
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

}  // namespace

const IBusInfo* IOConfig::GetBusInfo(ERoute direction, int busIdx) const {
  if (busIdx < 0 || busIdx >= NBuses(direction))
    return nullptr;
  return &mBuses[direction][busIdx];
}

int IOConfig::NChansOnBusSum(ERoute direction) const {
  long long total = 0;
  for (const IBusInfo& bus : mBuses[direction])
    total += bus.mNChans;
  return ClampToInt(total);
}

bool IOConfig::ContainsWildcard(ERoute direction) const {
  return std::any_of(mBuses[direction].begin(), mBuses[direction].end(),
                     [](const IBusInfo& bus) { return bus.mNChans < 0; });
}

int ParseChannelIOStr(const char* text, std::vector<IOConfig>& configs, int& totalNInChans,
                      int& totalNOutChans, int& totalNInBuses, int& totalNOutBuses) {
  totalNInChans = totalNOutChans = totalNInBuses = totalNOutBuses = 0;
  const size_t firstNew = configs.size();
  for (const std::string_view configText : SplitSkippingEmpty(text ? text : "", kConfigSeparator)) {
    // Only the first two sides count; anything after a second "-" is ignored.
    const size_t sideEnd = configText.find(kSideSeparator);
    const std::string_view inputSide = configText.substr(0, sideEnd);
    std::string_view outputSide;
    if (sideEnd != std::string_view::npos)
      outputSide = configText.substr(sideEnd + 1, configText.find(kSideSeparator, sideEnd + 1) - sideEnd - 1);

    IOConfig config;
    totalNInChans = std::max(totalNInChans, ClampToInt(ParseSide(inputSide, kInput, config)));
    totalNOutChans = std::max(totalNOutChans, ClampToInt(ParseSide(outputSide, kOutput, config)));
    totalNInBuses = std::max(totalNInBuses, config.NBuses(kInput));
    totalNOutBuses = std::max(totalNOutBuses, config.NBuses(kOutput));
    configs.push_back(std::move(config));
  }
  return static_cast<int>(configs.size() - firstNew);
}

}  // namespace plugkit
