// The shared workspace: every call logged for tests, answered as they set.

#include <AppKit/NSBitmapImageRep.h>
#include <AppKit/NSWorkspace.h>
#include <Foundation/NSRef.h>

#include <standin/testing/appkit.h>

#include <map>

#include "appkit/exchange_resets.h"
#include "cf_string.h"
#include "images/cg_objects.h"
#include "usage_checks.h"

namespace standin::appkit {
namespace {

constexpr int kIconSide = 32;
constexpr std::uint8_t kIconGrey = 160;

struct WorkspaceState {
  std::vector<testing::WorkspaceCall> calls;
  std::map<std::string, bool, std::less<>> answers;
};

WorkspaceState& Workspace() {
  static auto* const state = new WorkspaceState;  // outlives static destructors
  return *state;
}

bool Answer(std::string method, std::vector<std::string> arguments) {
  CheckMainThread();
  WorkspaceState& state = Workspace();
  const auto answer = state.answers.find(method);
  const bool result = answer == state.answers.end() || answer->second;
  state.calls.push_back(testing::WorkspaceCall{std::move(method), std::move(arguments)});
  return result;
}

// A plain opaque grey square: every file's icon here.
NS::Image* MakeGenericIcon() {
  std::vector<std::uint8_t> pixels(kIconSide * kIconSide * images::kBytesPerPixel, kIconGrey);
  for (std::size_t alpha = 3; alpha < pixels.size(); alpha += images::kBytesPerPixel) pixels[alpha] = 255;
  CGImageRef bitmap = images::MakeImage(kIconSide, kIconSide, std::move(pixels));
  auto* representation = (new NS::BitmapImageRep)->initWithCGImage(bitmap);
  CGImageRelease(bitmap);
  auto* icon = (new NS::Image)->initWithSize(NS::Size{double(kIconSide), double(kIconSide)});
  icon->addRepresentation(representation);
  representation->release();
  return icon;
}

}  // namespace

void ResetWorkspace() { Workspace() = WorkspaceState{}; }

}  // namespace standin::appkit

namespace NS {

Workspace* Workspace::sharedWorkspace() {
  static Workspace* const workspace = [] {
    auto* shared = new Workspace;
    shared->makeImmortal();
    return shared;
  }();
  return workspace;
}

bool Workspace::openURL(CFURLRef url) {
  if (url == nullptr) return false;
  return standin::appkit::Answer("openURL:", {standin::cf::StringText(CFURLGetString(url))});
}

bool Workspace::openFile(CFStringRef path) {
  if (path == nullptr) return false;
  return standin::appkit::Answer("openFile:", {standin::cf::StringText(path)});
}

bool Workspace::selectFileInFileViewerRootedAtPath(CFStringRef fullPath, CFStringRef rootFullPath) {
  if (fullPath == nullptr) return false;
  return standin::appkit::Answer("selectFile:inFileViewerRootedAtPath:",
                                 {standin::cf::StringText(fullPath), standin::cf::StringText(rootFullPath)});
}

Image* Workspace::iconForFile(CFStringRef path) {
  if (path == nullptr) return nullptr;
  standin::appkit::Answer("iconForFile:", {standin::cf::StringText(path)});
  return static_cast<Image*>(standin::appkit::MakeGenericIcon()->autorelease());
}

}  // namespace NS

namespace standin::testing {

std::vector<WorkspaceCall> WorkspaceCalls() { return appkit::Workspace().calls; }

void SetWorkspaceAnswer(const std::string& selectorName, bool answer) {
  appkit::Workspace().answers[selectorName] = answer;
}

}  // namespace standin::testing
