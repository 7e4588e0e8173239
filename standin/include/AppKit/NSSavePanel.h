#pragma once

// The panel that asks where to save a file. Without a display the testing API
// answers panels (standin/testing/appkit.h): a modal run answers at once, a
// sheet waits on its window until the test answers it. Main thread only.

#include <AppKit/NSApplication.h>
#include <AppKit/NSWindow.h>
#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFURL.h>
#include <Foundation/NSObject.h>

#include <functional>

namespace standin::appkit {
struct PanelAccess;
}

namespace NS {

class NS_CLASS_EXPORT SavePanel : public Object {
public:
  // Autoreleased.
  static SavePanel* savePanel();

  // Extensions without their dot; null (the default) or empty allows every
  // type. A copy is kept.
  void setAllowedFileTypes(CFArrayRef types);
  CFArrayRef allowedFileTypes() const { return allowedFileTypes_; }
  // Off by default: a name without an allowed extension gets the first one.
  void setAllowsOtherFileTypes(bool allows) { allowsOtherFileTypes_ = allows; }
  bool allowsOtherFileTypes() const { return allowsOtherFileTypes_; }
  // The folder the panel starts in; retained.
  void setDirectoryURL(CFURLRef url);
  CFURLRef directoryURL() const { return directoryURL_; }
  // The file name the panel proposes; a null name counts as "".
  void setNameFieldStringValue(CFStringRef name);
  CFStringRef nameFieldStringValue() const { return nameField_; }
  void setCanCreateDirectories(bool can) { canCreateDirectories_ = can; }
  bool canCreateDirectories() const { return canCreateDirectories_; }
  void setTitle(CFStringRef title);
  CFStringRef title() const { return title_; }
  void setLevel(WindowLevel level) { level_ = level; }
  WindowLevel level() const { return level_; }

  // ModalResponseOK when a file was chosen (see URL), else ModalResponseCancel.
  // A panel already showing is refused and answers Cancel.
  ModalResponse runModal();
  // Shows the panel as a sheet of the window (null: as a panel of its own) and
  // returns at once; a window already showing a sheet shows this one after it.
  // Once answered, the handler runs on a later pass of the main run loop with
  // the response. The panel, the window and the handler are held until then.
  void beginSheetModalForWindowCompletionHandler(Window* window, std::function<void(ModalResponse)> handler);

  // The chosen file as a file URL; null until a run was answered with one.
  // Not owned by the caller.
  CFURLRef URL() const { return url_; }

protected:
  SavePanel() = default;
  ~SavePanel() override;

  bool canChooseFiles_ = true;
  bool canChooseDirectories_ = false;
  bool resolvesAliases_ = true;

private:
  friend struct standin::appkit::PanelAccess;
  virtual bool isOpenPanel() const { return false; }

  CFArrayRef allowedFileTypes_ = nullptr;
  bool allowsOtherFileTypes_ = false;
  CFURLRef directoryURL_ = nullptr;
  CFStringRef nameField_ = CFSTR("");
  bool canCreateDirectories_ = true;
  CFStringRef title_ = CFSTR("");
  WindowLevel level_ = NormalWindowLevel;
  CFURLRef url_ = nullptr;
  bool showing_ = false;
};

}  // namespace NS
