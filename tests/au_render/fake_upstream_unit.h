#pragma once

#include <AudioUnit/AudioUnit.h>

namespace plugkit::testing {

// A registered component that another unit can connect to: one output bus of
// one float channel holding kLevel, and a fast render function handed out
// through the fast-dispatch property. It counts which way it was rendered.
class FakeUpstreamUnit {
public:
  static constexpr float kLevel = 0.625f;

  FakeUpstreamUnit();
  ~FakeUpstreamUnit();
  FakeUpstreamUnit(const FakeUpstreamUnit&) = delete;
  FakeUpstreamUnit& operator=(const FakeUpstreamUnit&) = delete;

  AudioUnit Unit() const { return mUnit; }
  int FastRenders() const;
  int HostRenders() const;
  // The object the fast render function expects as its first argument.
  void* Storage() const;

private:
  AudioUnit mUnit = nullptr;
};

}  // namespace plugkit::testing
