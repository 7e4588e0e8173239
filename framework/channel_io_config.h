#pragma once

#include <span>
#include <vector>

namespace plugkit {

// Signal direction of a bus or channel.
enum ERoute : int { kInput = 0, kOutput = 1 };
constexpr int kNumRoutes = 2;

// A bus that a channel configuration declares. A wildcard count ("*") is kept
// as kWildcardChannels.
struct IBusInfo {
  static constexpr int kWildcardChannels = -64;

  ERoute mDirection = kInput;
  int mNChans = 0;
};

// One channel configuration: its input and output buses.
class IOConfig {
public:
  void AddBus(ERoute direction, int nChans) { mBuses[direction].push_back({direction, nChans}); }

  int NBuses(ERoute direction) const { return static_cast<int>(mBuses[direction].size()); }
  const IBusInfo* GetBusInfo(ERoute direction, int busIdx) const;
  std::span<const IBusInfo> Buses(ERoute direction) const { return mBuses[direction]; }

  // Sum of the buses' channel counts, wildcards included.
  int NChansOnBusSum(ERoute direction) const;
  bool ContainsWildcard(ERoute direction) const;

private:
  std::vector<IBusInfo> mBuses[kNumRoutes];
};

// Parses a channel-I/O text such as "1-2 1-1": configurations separated by
// spaces, each an input and an output side joined by "-", each side bus
// channel counts joined by ".", a count a decimal integer or "*". Appends the
// configurations, sets each total to its largest value over them and answers
// the number of configurations. Never fails: what does not read as a number
// is 0 and makes no bus.
int ParseChannelIOStr(const char* text, std::vector<IOConfig>& configs, int& totalNInChans,
                      int& totalNOutChans, int& totalNInBuses, int& totalNOutBuses);

}  // namespace plugkit
