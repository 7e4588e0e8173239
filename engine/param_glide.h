#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace orvane {

// An engine parameter that never jumps while audio runs: a new target is
// approached along a smoothstep over `glideLength` + 1 processed samples.
class ParamGlide {
public:
  // Leaves room for the extra landing step in the step counter.
  static constexpr std::int32_t kMaxLength = std::numeric_limits<std::int32_t>::max() - 1;

  // The first value ever set is taken at once; an unchanged target starts
  // nothing; a glide length below 1 jumps.
  void SetTarget(double value, std::int32_t glideLength) {
    if (!mInitialised) {
      mCurrent = mTarget = value;
      mRemaining = 0;
      mInitialised = true;
      return;
    }
    if (value == mTarget) {
      return;
    }
    mTarget = value;
    mLength = static_cast<std::uint32_t>(std::clamp(glideLength, std::int32_t{0}, kMaxLength));
    mPosition = 0;
    if (glideLength >= 1) {
      mStart = mCurrent;
      mRemaining = static_cast<std::int32_t>(mLength) + 1;
    } else {
      mCurrent = value;
      mRemaining = 0;
    }
  }

  // One processed sample; call only while Gliding().
  void Step() {
    const double t = mLength < 1 ? 1.0
                                 : std::min(static_cast<double>(mPosition) / static_cast<double>(mLength), 1.0);
    mCurrent = mStart + t * t * (3.0 - 2.0 * t) * (mTarget - mStart);
    ++mPosition;
    if (--mRemaining == 0) {
      mCurrent = mTarget;
    }
  }

  void StepIfGliding() {
    if (mRemaining > 0) {
      Step();
    }
  }

  // The same as `steps` calls of StepIfGliding: only the last step's value
  // is computed.
  void Advance(std::int32_t steps) {
    if (steps <= 0 || mRemaining <= 0) {
      return;
    }
    if (steps >= mRemaining) {
      mPosition += mRemaining;
      mRemaining = 0;
      mCurrent = mTarget;
      return;
    }
    mPosition += steps - 1;
    mRemaining -= steps - 1;
    Step();
  }

  void SnapToTarget() {
    mCurrent = mTarget;
    mRemaining = 0;
  }

  double Current() const { return mCurrent; }
  double Target() const { return mTarget; }
  bool Gliding() const { return mRemaining > 0; }
  std::int32_t Remaining() const { return mRemaining; }
  bool Initialised() const { return mInitialised; }

private:
  double mCurrent = 0.0;
  double mTarget = 0.0;
  double mStart = 0.0;
  std::int32_t mRemaining = 0;
  std::uint32_t mLength = 0;
  std::int32_t mPosition = 0;
  bool mInitialised = false;
};

}  // namespace orvane
