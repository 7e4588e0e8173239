#pragma once

// The panel that asks for a file or folder to open; run and answered like a
// save panel. Main thread only.

#include <AppKit/NSSavePanel.h>

namespace NS {

class NS_CLASS_EXPORT OpenPanel : public SavePanel {
public:
  // Autoreleased. Chooses files, not folders, and resolves aliases unless told
  // otherwise; cannot create folders by default.
  static OpenPanel* openPanel();

  void setCanChooseFiles(bool can) { canChooseFiles_ = can; }
  bool canChooseFiles() const { return canChooseFiles_; }
  void setCanChooseDirectories(bool can) { canChooseDirectories_ = can; }
  bool canChooseDirectories() const { return canChooseDirectories_; }
  void setResolvesAliases(bool resolves) { resolvesAliases_ = resolves; }
  bool resolvesAliases() const { return resolvesAliases_; }

protected:
  OpenPanel();
  ~OpenPanel() override = default;

private:
  bool isOpenPanel() const override { return true; }
};

}  // namespace NS
