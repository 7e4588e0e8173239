#include "host/auhost_editor.h"

#include <fstream>
#include <sstream>

#include "host/auhost_failure.h"
#include "host/auhost_path_problems.h"

namespace orvane::auhost {
namespace {

// How each kind of session failure exits.
ExitCode CodeOf(host::EditorSessionError::Kind kind) {
  switch (kind) {
    case host::EditorSessionError::Kind::kDidNotSettle:
    case host::EditorSessionError::Kind::kSizeNotTaken:
      return ExitCode::kNoFrame;
    case host::EditorSessionError::Kind::kScreenshot:
      return ExitCode::kImageFile;
    case host::EditorSessionError::Kind::kInput:
      return ExitCode::kComponentError;
  }
  return ExitCode::kComponentError;
}

// Runs `what`, turning a session failure into auhost's, with the prefix.
template <typename Action>
void AsAuhostFailure(const std::string& prefix, Action&& what) {
  try {
    what();
  } catch (const host::EditorSessionError& error) {
    throw Failure(CodeOf(error.GetKind()), prefix + error.what());
  } catch (const Failure& failure) {
    throw Failure(failure.Code(), prefix + failure.what());
  }
}

}  // namespace

const std::string& CheckImagePath(const std::string& path) {
  if (!host::IsPngPath(path))
    throw Failure(ExitCode::kImageFile, "cannot write " + std::string(kImageWhat) + " " + path +
                                            ": auhost writes PNG images only, named .png");
  return path;
}

std::vector<host::ScriptLine> LoadEditorScript(const std::string& path) {
  std::ifstream file = OpenForReading(path, ExitCode::kScript, "editor script");
  // One byte beyond the limit is enough for the reader to refuse the line it falls on.
  std::string text(host::kMaxScriptBytes + 1, '\0');
  file.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (file.bad()) throw Failure(ExitCode::kScript, "cannot read editor script " + path);
  text.resize(static_cast<std::size_t>(file.gcount()));
  host::ScriptReading reading = host::ReadEditorScript(text);
  if (reading.error) throw Failure(ExitCode::kScript, "editor script " + path + ": " + reading.error->Message());
  return std::move(reading.steps);
}

void DriveEditor(host::EditorSession& session, const std::string& name, const std::optional<host::SizeStep>& size,
                 const std::vector<host::ScriptLine>& script, std::ostream& out, std::ostream& err) {
  session.SetReporter([&out](const std::string& line) { out << line << "\n"; });
  session.SetScreenshotWriter([&](const std::string& path, const standin::testing::Image& image) {
    OutputFile file(path, ExitCode::kImageFile, kImageWhat);
    WriteEditorImage(image, file, path, name, out);
  });
  // So that what the editor computes after it opens (the product's plots) is drawn.
  AsAuhostFailure("", [&] { session.Settle(); });
  if (size) AsAuhostFailure("", [&] { session.Resize(size->width, size->height); });
  for (const host::ScriptLine& line : script)
    AsAuhostFailure("script line " + std::to_string(line.number) + ": ", [&] { session.Apply(line.step); });
  AsAuhostFailure("", [&] { session.Settle(); });
  for (const std::string& answer : session.UnusedAnswers())
    err << "auhost: warning: the script's answer \"" << answer << "\" was not taken by any dialog\n";
}

void WriteEditorImage(const standin::testing::Image& image, OutputFile& file, const std::string& path,
                      const std::string& name, std::ostream& out) {
  const std::vector<std::uint8_t> bytes = standin::testing::EncodePng(image);
  if (bytes.empty()) file.Fail("the editor has shown no frame to save");
  file.Write({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
  file.Commit();
  out << "saved the editor of " << name << " (" << image.width << " x " << image.height << " pixels) to " << path
      << "\n";
}

}  // namespace orvane::auhost
