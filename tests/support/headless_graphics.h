#pragma once

// A graphics context without a window: it does what the platform context does
// around its view (lay out, notify the delegate) and records every platform
// call, so delegate and control tests read what reached the platform.
// Header-only: suites that include it link `graphics`.

#include <CoreFoundation/CoreFoundation.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "graphics/graphics_context.h"
#include "graphics/graphics_editor_delegate.h"

namespace plugkit::testing {

class HeadlessGraphics : public graphics::IGraphics {
public:
  HeadlessGraphics(graphics::IGEditorDelegate& delegate, int width, int height, int fps = kDefaultFPS,
                   float scale = 1.f, std::vector<std::string>* sharedLog = nullptr)
      : IGraphics(delegate, width, height, fps, scale), mLog(sharedLog ? *sharedLog : mOwnLog) {
    ++LiveCount();
  }
  ~HeadlessGraphics() override {
    mLog.push_back(mViewAttached ? "destroyed with view attached" : "destroyed");
    --LiveCount();
  }

  // Like the platform: lay out, then tell the delegate the editor is open.
  void* AttachEditorView(void* parent) override {
    if (mViewAttached) DetachEditorView();
    mLog.push_back("attach");
    SetScreenScale(mBackingScale);
    GetDelegate()->RunEditorLayout(this);
    GetDelegate()->OnEditorOpened();
    mParent = parent;
    mViewAttached = true;
    return &mView;
  }
  void DetachEditorView() override {
    mLog.push_back("detach");
    mViewAttached = false;
    mParent = nullptr;
  }
  void* PlatformView() override { return mViewAttached ? &mView : nullptr; }
  void ResizePlatformWindow(bool needsPlatformResize) override {
    mLog.push_back(std::string("resize window ") + (needsPlatformResize ? "1" : "0"));
  }
  void UpdateLayerFramebuffer() override { mLog.push_back("update framebuffer"); }
  void GetMouseLocation(float& x, float& y) const override {
    x = mMouseX;
    y = mMouseY;
  }
  // Logs "alert <type>: <caption>: <text>" and answers mAlertAnswer.
  graphics::EMsgBoxResult ShowAlert(const char* text, const char* caption, graphics::EMsgBoxType type,
                                    graphics::IMsgBoxCompletionHandlerFunc completion = nullptr) override {
    mLog.push_back("alert " + std::to_string(type) + ": " + (caption ? caption : "") + ": " + (text ? text : ""));
    if (completion) completion(mAlertAnswer);
    return mAlertAnswer;
  }

  // Logs "choose file <action>: <proposed name> in <folder> (<extensions>)"
  // and answers with the path AnswerFileDialogs holds (empty cancels). Like
  // the platform: with a completion the answer comes later, from a block on
  // the main run loop that holds nothing of this context and reads the answer
  // when it runs; without one it is filled in at once.
  void ChooseFile(StrBuf& fileName, StrBuf& folder, graphics::EFileAction action, const char* extensions,
                  graphics::IFileDialogCompletionHandlerFunc completion = nullptr) override {
    mLog.push_back("choose file " + std::to_string(action) + ": " + fileName.Get() + " in " + folder.Get() + " (" +
                   (extensions ? extensions : "") + ")");
    if (!mViewAttached) {
      fileName.Set("");
      return;
    }
    if (!completion) {
      fileName.Set(mFileAnswer->c_str());
      folder.Set(FolderOf(*mFileAnswer).c_str());
      return;
    }
    CFRunLoopPerformBlock(CFRunLoopGetMain(), kCFRunLoopCommonModes, [completion, answer = mFileAnswer] {
      completion(StrBuf(answer->c_str()), StrBuf(FolderOf(*answer).c_str()));
    });
  }
  // The file every dialog of this context chooses from now on; empty cancels.
  void AnswerFileDialogs(const std::string& path) { *mFileAnswer = path; }

  // Process-wide count of live doubles, for ownership tests.
  static int& LiveCount() {
    static int count = 0;
    return count;
  }

  std::vector<std::string>& Log() { return mLog; }
  bool ViewAttached() const { return mViewAttached; }
  void* Parent() const { return mParent; }

  float mBackingScale = 1.f;  // the screen scale the view reports when attached
  float mMouseX = 0.f;
  float mMouseY = 0.f;
  graphics::EMsgBoxResult mAlertAnswer = graphics::kOK;

private:
  static std::string FolderOf(const std::string& path) {
    return path.empty() ? std::string() : std::filesystem::path(path).parent_path().string();
  }

  // Shared with the answers still queued, which may outlive this context.
  std::shared_ptr<std::string> mFileAnswer = std::make_shared<std::string>();
  std::vector<std::string> mOwnLog;
  std::vector<std::string>& mLog;
  bool mViewAttached = false;
  void* mParent = nullptr;
  int mView = 0;  // stands for the platform view
};

}  // namespace plugkit::testing
