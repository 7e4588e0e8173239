#pragma once

// What auhost editor does with an opened editor: reads the user's editor
// script before anything opens, then settles the editor, sizes it, runs the
// script and writes the images, printing each dialog the session answered.

#include <standin/testing/images.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "host/auhost_output_file.h"
#include "host/editor_script.h"
#include "host/editor_session.h"

namespace orvane::auhost {

// How auhost names the images it writes in its messages.
inline constexpr char kImageWhat[] = "image";

// The path, when it names a PNG image; otherwise throws Failure(kImageFile):
// auhost writes PNG bytes only, and they go under a name that says so.
const std::string& CheckImagePath(const std::string& path);

// The script file read and checked. Throws Failure(kScript) for a file that
// cannot be read and for a bad line, with "script line N: " and the reason.
std::vector<host::ScriptLine> LoadEditorScript(const std::string& path);

// Settles the editor after its first frame, sizes it and runs the script,
// writing each png step's image and printing the dialogs answered to `out`;
// the editor is settled again at the end. Throws Failure: kNoFrame for an
// editor that does not settle or take the size, kImageFile for an image that
// cannot be written, kComponentError for input the editor's view refused;
// a step's failure names its line. Answers the script left unused are warned of on `err`.
void DriveEditor(host::EditorSession& session, const std::string& name, const std::optional<host::SizeStep>& size,
                 const std::vector<host::ScriptLine>& script, std::ostream& out, std::ostream& err);

// Writes the image as a PNG into the file and commits it; prints where.
void WriteEditorImage(const standin::testing::Image& image, OutputFile& file, const std::string& path,
                      const std::string& name, std::ostream& out);

}  // namespace orvane::auhost
