#pragma once

// The files auhost writes for the user: each replaces the old one whole, so a
// failed write leaves the previous file as it was.

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "common/replace_file.h"
#include "host/auhost_failure.h"

namespace orvane::auhost {

// Hands what was written to a replacement to the disk on a thread of its own:
// the hand-off may wait for the disk's queue, the writer does not.
class StoringThread {
public:
  explicit StoringThread(plugkit::FileReplacement& replacement);
  // Waits for a hand-off under way.
  ~StoringThread();
  StoringThread(const StoringThread&) = delete;
  StoringThread& operator=(const StoringThread&) = delete;

  // Any thread: asks for a hand-off of all written so far; returns at once.
  void Request();

private:
  void Run();

  plugkit::FileReplacement& mReplacement;
  std::mutex mMutex;
  std::condition_variable mChanged;
  bool mRequested = false;
  bool mStopping = false;
  std::thread mThread;
};

// A file written a piece at a time beside the one it replaces; Commit puts it
// in place. Failures throw Failure(code) with "cannot write <what> <path>:
// <reason>"; destroyed uncommitted, the previous file stays.
class OutputFile {
public:
  // Throws when the path is a folder, its folder does not exist, or the file
  // is write-protected or its folder takes no new file.
  OutputFile(const std::string& path, ExitCode code, std::string what);

  // The file being written, for writers that take a descriptor.
  int Descriptor() const { return mReplacement.Descriptor(); }
  void Write(std::string_view bytes);
  // Lets the system start storing what was written so far, so that Commit
  // has less left to wait for; returns at once.
  void StartStoring();
  void Commit();
  [[noreturn]] void Fail(const std::string& reason) const;

private:
  std::string mPath;
  ExitCode mCode;
  std::string mWhat;
  plugkit::FileReplacement mReplacement;
  std::optional<StoringThread> mStoring;  // ends before the replacement closes
};

// The path, when nothing the system can tell before writing stands in its
// way; otherwise throws as OutputFile does, with the reason.
const std::string& CheckOutputPath(const std::string& path, ExitCode code, const std::string& what);

// Replaces the file at path with bytes, as OutputFile does.
void ReplaceOutputFile(const std::string& path, std::string_view bytes, ExitCode code, const std::string& what);

// Whether two paths name one file: the same device and inode, or the same
// path once resolved.
bool IsSameFile(const std::string& first, const std::string& second);

}  // namespace orvane::auhost
