#pragma once

// What the AppKit suites share: leak checks of NS and CF objects, the stand-in
// reset around each test, and a view that logs what reaches it.

#include <AppKit/AppKit.h>
#include <gtest/gtest.h>
#include <standin/testing/appkit.h>
#include <standin/testing/ns_objects.h>

#include <string>
#include <vector>

#include "leak_checked_test.h"

class AppKitTest : public LeakCheckedTest {
protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    standin::testing::ResetAppKit();
    nsObjectsAtStart_ = standin::testing::LiveNSObjectCount();
  }
  void TearDown() override {
    standin::testing::ResetAppKit();
    EXPECT_EQ(standin::testing::LiveNSObjectCount(), nsObjectsAtStart_) << "NS objects leaked";
    LeakCheckedTest::TearDown();
  }

private:
  long nsObjectsAtStart_ = 0;
};

// Logs "<name> <what>" for each call that reaches it; mouse events with the
// point in the view's coordinates.
class LoggingView : public NS::View {
public:
  LoggingView(std::string name, std::vector<std::string>& log, bool flipped = false)
      : name_(std::move(name)), log_(log), flipped_(flipped) {}

  bool acceptsFocus = false;
  bool handlesKeys = false;

  bool isFlipped() const override { return flipped_; }
  bool acceptsFirstResponder() override { return acceptsFocus; }
  bool becomeFirstResponder() override { return Log("becomes first responder"), true; }
  bool resignFirstResponder() override { return Log("resigns first responder"), true; }

  void mouseDown(NS::Event* event) override { LogMouse("mouseDown", event); }
  void mouseUp(NS::Event* event) override { LogMouse("mouseUp", event); }
  void mouseDragged(NS::Event* event) override { LogMouse("mouseDragged", event); }
  void rightMouseDown(NS::Event* event) override { LogMouse("rightMouseDown", event); }
  void rightMouseUp(NS::Event* event) override { LogMouse("rightMouseUp", event); }
  void rightMouseDragged(NS::Event* event) override { LogMouse("rightMouseDragged", event); }
  void mouseMoved(NS::Event* event) override { LogMouse("mouseMoved", event); }
  void mouseEntered(NS::Event* event) override { LogMouse("mouseEntered", event); }
  void mouseExited(NS::Event* event) override { LogMouse("mouseExited", event); }
  void scrollWheel(NS::Event* event) override { LogMouse("scrollWheel", event); }
  void keyDown(NS::Event* event) override {
    if (!handlesKeys) return NS::View::keyDown(event);
    Log("keyDown " + std::to_string(event->keyCode()));
  }

  void viewDidMoveToWindow() override { Log(window() != nullptr ? "enters window" : "leaves window"); }
  void viewDidChangeBackingProperties() override { Log("backing " + Number(window()->backingScaleFactor())); }
  void viewDidChangeEffectiveAppearance() override { Log("appearance"); }

  void Log(const std::string& what) { log_.push_back(name_ + " " + what); }

private:
  static std::string Number(double value) {
    std::string text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text;
  }

  void LogMouse(const char* what, NS::Event* event) {
    // Every event reaches its handler as the application's current event.
    EXPECT_EQ(NS::Application::sharedApplication()->currentEvent(), event);
    const NS::Point point = convertPointFromView(event->locationInWindow(), nullptr);
    Log(std::string(what) + " " + Number(point.x) + "," + Number(point.y));
  }

  std::string name_;
  std::vector<std::string>& log_;
  bool flipped_;
};
