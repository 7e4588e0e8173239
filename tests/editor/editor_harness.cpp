#include "editor_harness.h"

#include <locale>
#include <span>
#include <sstream>
#include <utility>

namespace orvane::testing {

namespace {

constexpr int kEditorWidth = 1392;
constexpr int kEditorHeight = 783;
constexpr std::uint64_t kCounterUnit = 0x100;
constexpr int kValueMask = 0x7F;

std::string Text(bool value) { return value ? "true" : "false"; }
std::string Text(int value) { return std::to_string(value); }
std::string Text(unsigned char value) { return std::to_string(value); }
std::string Text(const std::string& value) { return '"' + value + '"'; }

std::string Text(double value) {
  std::ostringstream text;
  text.imbue(std::locale::classic());
  text << value;
  return text.str();
}

template <std::size_t N>
std::string Text(const std::array<unsigned char, N>& bytes) {
  std::string text = "[";
  for (std::size_t i = 0; i < N; ++i) text += (i == 0 ? "" : " ") + std::to_string(bytes[i]);
  return text + "]";
}

template <typename... Args>
std::string CallText(const char* name, const Args&... args) {
  std::string text = std::string(name) + "(";
  [[maybe_unused]] const char* separator = "";
  ((text += separator + Text(args), separator = ", "), ...);
  return text + ")";
}

template <typename... Args>
std::function<void(Args...)> Recorder(std::vector<std::string>& calls, const char* name) {
  return [&calls, name](Args... args) { calls.push_back(CallText(name, args...)); };
}

}  // namespace

EditorHarness::EditorHarness(const EditorSetup& setup)
    : graphics(std::make_unique<plugkit::testing::RecordingGraphics>(delegate, kEditorWidth, kEditorHeight)) {
  using PreampBytes = const std::array<unsigned char, kPreampRowsPerStage>&;
  using ToneStackBytes = const std::array<unsigned char, 16>&;
  using PowerAmpBytes = const std::array<unsigned char, 13>&;
  std::vector<std::string>& calls = mCalls;
  auto* editor = new OrvaneGUIControl(
      IRECT(0.f, 0.f, kEditorWidth, kEditorHeight), setup.name, setup.description, Recorder<>(calls, "onOpenDesign"),
      Recorder<>(calls, "onSaveDesign"), Recorder<>(calls, "onSaveDesignAs"),
      Recorder<bool>(calls, "onPlayerViewChanged"), Recorder<bool>(calls, "onAmplifierEnabledChanged"),
      Recorder<int, bool>(calls, "onSectionEnabledChanged"), Recorder<int>(calls, "onToneStackPositionChanged"),
      Recorder<int, double>(calls, "onSectionTrimChanged"), Recorder<int>(calls, "onOversamplingChanged"),
      Recorder<int, unsigned char>(calls, "onDnaByteChanged"), Recorder<int, int>(calls, "onCopyPreampStage"),
      Recorder<int, PreampBytes>(calls, "onPreampStageDnaChanged"),
      Recorder<ToneStackBytes>(calls, "onToneStackDnaChanged"),
      Recorder<PowerAmpBytes>(calls, "onPowerAmpDnaChanged"), Recorder<int, double>(calls, "onKnobChanged"),
      Recorder<bool, double>(calls, "onGainChanged"), setup.dna, setup.knobs, setup.oversampling, setup.script,
      setup.playerValues, Recorder<const std::string&>(calls, "onScriptChanged"),
      Recorder<int, double>(calls, "onPlayerControlChanged"),
      [this](int cc) { return cc >= 0 && cc < kMidiCCCount ? midiStates[static_cast<std::size_t>(cc)] : 0; },
      [this] { return sampleRate; }, Recorder<const std::string&>(calls, "onDesignNameChanged"),
      Recorder<const std::string&>(calls, "onDesignDescriptionChanged"), Recorder<>(calls, "onPreviousPreset"),
      Recorder<>(calls, "onNextPreset"), Recorder<int>(calls, "onSelectPreset"),
      Recorder<>(calls, "onShowFactoryPresets"), Recorder<>(calls, "onShowUserPresets"),
      Recorder<>(calls, "onNewDesign"), setup.playerView, setup.inputGainDb, setup.outputGainDb);
  editor->onPlayerControlsChanged = [&calls](std::span<const PlayerValueChange> changes) {
    std::string text = "onPlayerControlsChanged(";
    for (const PlayerValueChange& change : changes)
      text += (&change == changes.data() ? "" : ", ") + Text(change.index) + ": " + Text(change.value);
    calls.push_back(text + ")");
  };
  graphics->AttachControl(editor, -1, "");
  mEditor = editor;
}

std::vector<std::string> EditorHarness::TakeCalls() { return std::exchange(mCalls, {}); }

void EditorHarness::SendController(int cc, int value) {
  std::uint64_t& slot = midiStates.at(static_cast<std::size_t>(cc));
  slot = (slot / kCounterUnit + 1) * kCounterUnit + static_cast<std::uint64_t>(value & kValueMask);
}

}  // namespace orvane::testing
