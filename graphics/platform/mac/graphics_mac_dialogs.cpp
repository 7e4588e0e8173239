// Message boxes, file and folder dialogs and the colour panel of the macOS
// graphics context.

#include <AppKit/NSAlert.h>
#include <AppKit/NSOpenPanel.h>
#include <AppKit/NSSavePanel.h>
#include <AppKit/NSWindow.h>
#include <CoreFoundation/CFArray.h>
#include <Foundation/NSAutoreleasePool.h>
#include <Foundation/NSRef.h>
#include <Foundation/NSURL.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "graphics/platform/mac/cf_string.h"
#include "graphics/platform/mac/editor_view.h"
#include "graphics/platform/mac/graphics_mac.h"
#include "graphics/platform/mac/path_text.h"

namespace plugkit::graphics {
namespace {

constexpr const char* kDefaultStartFolder = "~/Desktop";
constexpr const char* kFolderPanelTitle = "Choose a Directory";
constexpr char kExtensionSeparator = ' ';

// Message boxes ---------------------------------------------------------------------

struct AlertButton {
  const char* title;
  EMsgBoxResult answer;
};

// The buttons a kind shows, in order, and the answer for any response that
// is none of them (the platform's own button of an alert without buttons).
struct AlertButtons {
  std::vector<AlertButton> buttons;
  EMsgBoxResult otherwise;
};

AlertButtons ButtonsOf(int type) {
  switch (type) {
    case kMB_OK: return {{{"OK", kOK}}, kOK};
    case kMB_OKCANCEL: return {{{"OK", kOK}, {"Cancel", kCANCEL}}, kCANCEL};
    case kMB_YESNOCANCEL: return {{{"Yes", kYES}, {"No", kNO}, {"Cancel", kCANCEL}}, kCANCEL};
    case kMB_YESNO: return {{{"Yes", kYES}, {"No", kNO}}, kNO};
    case kMB_RETRYCANCEL: return {{{"Retry", kRETRY}, {"Cancel", kCANCEL}}, kCANCEL};
    default: return {{}, kCANCEL};
  }
}

EMsgBoxResult AnswerOf(const AlertButtons& kind, NS::ModalResponse response) {
  const NS::ModalResponse index = response - NS::AlertFirstButtonReturn;
  const bool shown = index >= 0 && static_cast<std::size_t>(index) < kind.buttons.size();
  return shown ? kind.buttons[static_cast<std::size_t>(index)].answer : kind.otherwise;
}

// Panels ----------------------------------------------------------------------------

// A panel's answer: the chosen path, none when cancelled.
using ChosenPath = std::optional<std::string>;
using PanelAnswerFunc = std::function<void(const ChosenPath& path)>;

// Inside an autorelease pool.
ChosenPath ChosenPathOf(const NS::SavePanel& panel, NS::ModalResponse response) {
  if (response != NS::ModalResponseOK) return std::nullopt;
  std::string path = CFStringText(NS::URL::path(panel.URL()));
  if (path.empty()) return std::nullopt;
  return path;
}

void RunModal(NS::SavePanel& panel, const PanelAnswerFunc& answer) { answer(ChosenPathOf(panel, panel.runModal())); }

// The sheet holds the panel until its handler has run; the handler touches
// nothing of the context, which may be gone by then.
void BeginSheet(NS::SavePanel& panel, NS::Window* window, PanelAnswerFunc answer) {
  panel.beginSheetModalForWindowCompletionHandler(window, [&panel, answer = std::move(answer)](NS::ModalResponse response) {
    const NS::AutoreleasePool pool;
    answer(ChosenPathOf(panel, response));
  });
}

// The extensions separated by spaces; null for none, which allows every type.
CFOwned<CFArrayRef> AllowedTypes(const char* extensions) {
  std::vector<CFOwned<CFStringRef>> types;
  const std::string text = extensions ? extensions : "";
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(kExtensionSeparator, start);
    if (end == std::string::npos) end = text.size();
    if (end > start) {
      if (CFOwned<CFStringRef> type = MakeCFString(text.substr(start, end - start))) types.push_back(std::move(type));
    }
    start = end + 1;
  }
  if (types.empty()) return nullptr;
  std::vector<const void*> values;
  for (const CFOwned<CFStringRef>& type : types) values.push_back(type.get());
  return CFOwned<CFArrayRef>(
      CFArrayCreate(kCFAllocatorDefault, values.data(), static_cast<CFIndex>(values.size()), &kCFTypeArrayCallBacks));
}

// Autoreleased; null for a folder that makes no URL.
CFURLRef FolderURL(const std::string& folder) {
  const CFOwned<CFStringRef> path = MakeCFString(ExpandTilde(folder));
  return path ? NS::URL::fileURLWithPath(path.get()) : nullptr;
}

void StartIn(NS::SavePanel& panel, const std::string& folder) {
  if (folder.empty()) return;
  if (CFURLRef url = FolderURL(folder)) panel.setDirectoryURL(url);
}

NS::SavePanel* MakeSavePanel(const std::string& proposedName) {
  NS::SavePanel* panel = NS::SavePanel::savePanel();
  if (const CFOwned<CFStringRef> name = MakeCFString(proposedName)) panel->setNameFieldStringValue(name.get());
  panel->setAllowsOtherFileTypes(false);
  return panel;
}

NS::SavePanel* MakeOpenFilePanel() {
  NS::OpenPanel* panel = NS::OpenPanel::openPanel();
  panel->setCanChooseFiles(true);
  panel->setCanChooseDirectories(false);
  panel->setResolvesAliases(true);
  return panel;
}

NS::SavePanel* MakeFolderPanel() {
  NS::OpenPanel* panel = NS::OpenPanel::openPanel();
  panel->setTitle(MakeCFString(kFolderPanelTitle).get());
  panel->setCanChooseFiles(false);
  panel->setCanChooseDirectories(true);
  panel->setResolvesAliases(true);
  panel->setCanCreateDirectories(true);
  return panel;
}

void SetFileAnswer(const ChosenPath& path, StrBuf& fileName, StrBuf& folder) {
  fileName.Set(path ? path->c_str() : "");
  folder.Set(path ? WithTrailingSlash(ParentFolder(*path)).c_str() : "");
}

std::string FolderAnswer(const ChosenPath& path) { return path ? WithTrailingSlash(*path) : std::string(); }

}  // namespace

EMsgBoxResult IGraphicsMac::ShowAlert(const char* text, const char* caption, EMsgBoxType type,
                                      IMsgBoxCompletionHandlerFunc completion) {
  ClearMouseOverState();
  const AlertButtons kind = ButtonsOf(type);
  EMsgBoxResult result = kind.otherwise;
  {
    const NS::AutoreleasePool pool;
    const auto alert = NS::Ref<NS::Alert>::Adopt(new NS::Alert);
    alert->setMessageText(MakeDisplayCFString(caption).get());
    alert->setInformativeText(MakeDisplayCFString(text).get());
    for (const AlertButton& button : kind.buttons) alert->addButtonWithTitle(MakeDisplayCFString(button.title).get());
    result = AnswerOf(kind, alert->runModal());
  }
  if (completion) completion(result);
  return result;
}

void IGraphicsMac::ChooseFile(StrBuf& fileName, StrBuf& folder, EFileAction action, const char* extensions,
                              IFileDialogCompletionHandlerFunc completion) {
  if (!mView) {
    IGraphics::ChooseFile(fileName, folder, action, extensions, completion);
    return;
  }
  const std::string proposedName = fileName.Get();
  fileName.Set("");
  const NS::AutoreleasePool pool;
  NS::SavePanel* panel = action == kFileSave ? MakeSavePanel(proposedName) : MakeOpenFilePanel();
  if (const CFOwned<CFArrayRef> types = AllowedTypes(extensions)) panel->setAllowedFileTypes(types.get());
  StartIn(*panel, folder.Get());
  panel->setLevel(NS::FloatingWindowLevel);
  if (completion) {
    BeginSheet(*panel, mView->window(), [completion = std::move(completion)](const ChosenPath& path) {
      StrBuf chosenFile;
      StrBuf chosenFolder;
      SetFileAnswer(path, chosenFile, chosenFolder);
      completion(chosenFile, chosenFolder);
    });
  } else {
    RunModal(*panel, [&](const ChosenPath& path) { SetFileAnswer(path, fileName, folder); });
  }
}

void IGraphicsMac::ChooseFolder(StrBuf& folder, IFolderDialogCompletionHandlerFunc completion) {
  if (!mView) {
    IGraphics::ChooseFolder(folder, completion);
    return;
  }
  if (folder.GetLength() == 0) folder.Set(kDefaultStartFolder);
  const NS::AutoreleasePool pool;
  NS::SavePanel* panel = MakeFolderPanel();
  StartIn(*panel, folder.Get());
  panel->setLevel(NS::FloatingWindowLevel);
  if (completion) {
    BeginSheet(*panel, mView->window(), [completion = std::move(completion)](const ChosenPath& path) {
      completion(StrBuf(FolderAnswer(path).c_str()));
    });
  } else {
    RunModal(*panel, [&folder](const ChosenPath& path) { folder.Set(FolderAnswer(path).c_str()); });
  }
}

bool IGraphicsMac::ChooseColor(IColor& color, const char*, IColorPickerHandlerFunc func) {
  return mView && mView->promptForColor(color, std::move(func));
}

}  // namespace plugkit::graphics
