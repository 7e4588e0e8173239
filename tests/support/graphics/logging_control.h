#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "graphics/control.h"

namespace plugkit::testing {

// A control that logs what reaches it: "<name> init", "<name> resize",
// "<name> rescale", "<name> attached", "<name> midi 176", "<name> message 3 4",
// "<name> key down a at 150,120", "<name> key up a".
class LoggingControl : public graphics::IControl {
public:
  LoggingControl(const graphics::IRECT& bounds, std::vector<std::string>& log, const char* name,
                 int paramIdx = kNoParameter)
      : IControl(bounds, paramIdx), mLog(log), mName(name) {}
  LoggingControl(const graphics::IRECT& bounds, std::vector<std::string>& log, const char* name,
                 std::initializer_list<int> paramIndices)
      : IControl(bounds, paramIndices), mLog(log), mName(name) {}

  void Draw(graphics::IGraphics&) override {}
  void OnInit() override { Log("init"); }
  void OnResize() override { Log("resize"); }
  void OnRescale() override { Log("rescale"); }
  void OnAttached() override { Log("attached"); }
  void OnMidi(const IMidiMsg& msg) override { Log("midi " + std::to_string(msg.mStatus)); }
  void OnMessageFromDelegate(int msgTag, int dataSize, const void*) override {
    Log("message " + std::to_string(msgTag) + " " + std::to_string(dataSize));
  }
  bool OnKeyDown(float x, float y, const IKeyPress& key) override {
    Log("key down " + std::string(key.mUtf8) + " at " + std::to_string(static_cast<int>(x)) + "," +
        std::to_string(static_cast<int>(y)));
    return mHandlesKeys;
  }
  bool OnKeyUp(float, float, const IKeyPress& key) override {
    Log("key up " + std::string(key.mUtf8));
    return mHandlesKeys;
  }

  bool mHandlesKeys = true;

protected:
  void Log(const std::string& what) { mLog.push_back(mName + " " + what); }

private:
  std::vector<std::string>& mLog;
  std::string mName;
};

}  // namespace plugkit::testing
