#pragma once

// What the headless AppKit knows of the machine: the screen, the pointer and
// the cursor, the keys nobody handled. Main thread only, like AppKit.

#include <Foundation/NSGeometry.h>

#include <standin/testing/appkit.h>

#include <deque>
#include <vector>

namespace standin::appkit {

inline constexpr NS::Size kDefaultScreenSize{1920.0, 1080.0};

struct AppKitState {
  NS::Size screenSize = kDefaultScreenSize;
  NS::CGFloat screenScale = 1.0;
  NS::Point pointer{};  // screen coordinates
  int cursorHideCount = 0;
  bool cursorAssociated = true;
  std::vector<NS::Point> cursorWarps;
  bool tabletInput = false;
  bool buttonHeld[2] = {false, false};  // left, right
  std::vector<testing::UnhandledKey> unhandledKeys;
  std::deque<std::vector<long>> menuAnswers;  // an empty path dismisses
  std::vector<testing::MenuRun> menuRuns;
};

AppKitState& State();

}  // namespace standin::appkit
