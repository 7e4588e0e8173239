#pragma once

// The product's editor opened through the host library's editor session on
// the built bundle, driven with script lines whose points come from the
// editor's own layout, and read back through the class-info state and the
// presented frames.

#include <memory>
#include <string>
#include <vector>

#include "bundle_test_support.h"
#include "drawn_editor_layout.h"

namespace orvane::testing {

// An instance of the bundle with its editor open, its first frame presented
// and settled; steps are applied as script lines.
struct HostedEditor {
  explicit HostedEditor(const host::ComponentBundle& bundle);
  ~HostedEditor();

  // Reads and applies the lines; a line the reader refuses fails the test.
  void Run(const std::string& lines);

  std::unique_ptr<host::AudioUnitInstance> instance;
  std::unique_ptr<host::EditorSession> session;
  std::vector<std::string> dialogs;  // as the session reported them
};

// The view switch's halves.
std::string EditViewClick();
std::string PlayViewClick();

}  // namespace orvane::testing
