// The in-editor text entry under untrusted text: the input's first two bytes
// (big-endian) give the length of the initial text that follows, and the
// rest is what the clipboard holds. The entry starts with that text, pastes
// the clipboard, runs a fixed sequence of keys, clicks, drags, undos and menu
// choices that try to split characters, draws, and commits; then it starts
// again with the initial text, types a character one back from its end and
// commits. Each committed text must be UTF-8, and hold U+FFFD only when the
// input did: edits keep characters whole.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/utf8_text.h"
#include "graphics/controls/text_entry_control.h"
#include "graphics/graphics_context.h"
#include "support/graphics/recording_delegate.h"
#include "support/graphics/synthetic_input.h"

namespace {

using plugkit::IKeyPress;
using plugkit::graphics::IControl;
using plugkit::graphics::IRECT;
using plugkit::graphics::IText;
using plugkit::testing::RecordingDelegate;
using plugkit::testing::RecordingGraphics;
using plugkit::testing::SyntheticInput;

constexpr IRECT kField(10, 10, 110, 30);
const std::string kSmile = "\xF0\x9F\x98\x80";  // U+1F600, typed as one key

// Receives the committed text.
class Receiver : public IControl {
public:
  Receiver() : IControl(IRECT(0, 0, 5, 5)) {}
  void Draw(plugkit::graphics::IGraphics&) override {}
  void OnTextEntryCompletion(const char* str, int) override {
    committed = str;
    done = true;
  }
  std::string committed;
  bool done = false;
};

bool HoldsReplacement(const std::string& text) {
  return text.find(plugkit::kUtf8ReplacementCharacter) != std::string::npos;
}

void CheckCommitted(Receiver& receiver, bool cleanInput) {
  if (!receiver.done || !plugkit::Utf8IsValid(receiver.committed)) std::abort();
  if (cleanInput && HoldsReplacement(receiver.committed)) std::abort();
  receiver.done = false;
}

IKeyPress Key(int vk, const char* text = "", bool shift = false, bool ctrl = false) {
  return IKeyPress(text, vk, shift, ctrl);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t initialLength = std::min<size_t>((size_t{data[0]} << 8) | data[1], size - 2);
  const std::string initial(reinterpret_cast<const char*>(data + 2), initialLength);
  const std::string clipboard(reinterpret_cast<const char*>(data + 2 + initialLength), size - 2 - initialLength);

  RecordingDelegate delegate;
  RecordingGraphics g(delegate, 200, 100);
  g.SetRecording(false);
  g.SetClipboard(clipboard);
  g.AttachTextEntryControl();
  auto* receiver = new Receiver;
  g.AttachControl(receiver);
  SyntheticInput input(g);
  // The initial text may hold a zero byte, which ends it as a C string does.
  g.CreateTextEntry(*receiver, IText(12.f), kField, initial.c_str(), 0);

  using namespace plugkit;
  const IKeyPress ctrlV = Key(kKeyV, "", false, true), undo = Key(kKeyZ, "", false, true);
  const std::vector<IKeyPress> keys = {ctrlV,
                                       Key(kKeyHome),
                                       Key(kKeyRight),
                                       Key(kKeyRight, "", true),
                                       Key(kKeyBackspace),
                                       Key(0, kSmile.c_str()),
                                       Key(kKeyLeft),
                                       Key(kKeyBackspace),  // beside the pair
                                       Key(kKeyDelete),
                                       undo,
                                       undo,
                                       Key(kKeyZ, "", true, true),
                                       Key(kKeyEnd),
                                       Key(kKeyLeft, "", true),
                                       Key(kKeyX, "", false, true),
                                       ctrlV,
                                       Key(kKeyHome, "", true, true),
                                       Key(kKeyC, "", false, true),
                                       Key(kKeyA, "a"),
                                       Key(kKeySpace, " ", true)};
  for (const IKeyPress& key : keys) input.KeyDown(key);
  input.Click(12, 20);
  input.Down(40, 20);
  input.DragTo(90, 25);
  input.Up(200, 25);
  input.DoubleClick(50, 20);
  g.QueuePopupAnswer(RecordingGraphics::PopupAnswer::Choose(2));  // Paste
  input.RightClick(60, 20);
  g.QueuePopupAnswer(RecordingGraphics::PopupAnswer::Choose(0));  // Cut
  input.RightClick(20, 20);
  for (int i = 0; i < 4; ++i) input.KeyDown(undo);
  g.GetTextEntryControl()->Draw(g);
  const IKeyPress commit = Key(kKeyReturn, "\r");
  input.KeyDown(commit);
  const bool cleanInput = Utf8IsValid(initial) && Utf8IsValid(clipboard) && !HoldsReplacement(initial) &&
                          !HoldsReplacement(clipboard);
  CheckCommitted(*receiver, cleanInput);

  g.CreateTextEntry(*receiver, IText(12.f), kField, initial.c_str(), 0);
  for (const IKeyPress& key : {Key(kKeyEnd), Key(kKeyLeft), Key(kKeyLeft), Key(kKeyA, "a"), commit})
    input.KeyDown(key);
  CheckCommitted(*receiver, cleanInput);
  return 0;
}
