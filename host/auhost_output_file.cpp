#include "host/auhost_output_file.h"

#include <sys/stat.h>

#include <filesystem>
#include <utility>

#include "host/auhost_path_problems.h"

namespace orvane::auhost {
namespace {

constexpr char kCouldNotCreate[] = "the file is write-protected or its folder cannot take a new file";
constexpr char kCouldNotWrite[] = "the bytes could not be written in full (the previous file is unchanged)";

[[noreturn]] void FailToWrite(const std::string& path, ExitCode code, const std::string& what,
                              const std::string& reason) {
  throw Failure(code, "cannot write " + what + " " + path + ": " + reason);
}

}  // namespace

const std::string& CheckOutputPath(const std::string& path, ExitCode code, const std::string& what) {
  const std::string problem = WritingProblem(path);
  if (!problem.empty()) FailToWrite(path, code, what, problem);
  return path;
}

StoringThread::StoringThread(plugkit::FileReplacement& replacement)
    : mReplacement(replacement), mThread([this] { Run(); }) {}

StoringThread::~StoringThread() {
  {
    const std::lock_guard lock(mMutex);
    mStopping = true;
  }
  mChanged.notify_one();
  mThread.join();
}

void StoringThread::Request() {
  {
    const std::lock_guard lock(mMutex);
    mRequested = true;
  }
  mChanged.notify_one();
}

void StoringThread::Run() {
  std::unique_lock lock(mMutex);
  for (;;) {
    mChanged.wait(lock, [this] { return mRequested || mStopping; });
    if (mStopping) return;
    mRequested = false;
    lock.unlock();
    mReplacement.StartStoring();
    lock.lock();
  }
}

OutputFile::OutputFile(const std::string& path, ExitCode code, std::string what)
    : mPath(path), mCode(code), mWhat(std::move(what)), mReplacement(CheckOutputPath(path, code, mWhat)) {
  if (!mReplacement.IsOpen()) Fail(kCouldNotCreate);
}

void OutputFile::Write(std::string_view bytes) {
  if (!mReplacement.Write(bytes)) Fail(kCouldNotWrite);
}

void OutputFile::StartStoring() {
  if (!mStoring) mStoring.emplace(mReplacement);
  mStoring->Request();
}

void OutputFile::Commit() {
  mStoring.reset();
  switch (mReplacement.Commit()) {
    case plugkit::EReplaceFileResult::kReplaced:
      return;
    case plugkit::EReplaceFileResult::kCouldNotCreate:
      Fail(kCouldNotCreate);
    case plugkit::EReplaceFileResult::kCouldNotWrite:
      Fail(kCouldNotWrite);
  }
}

void OutputFile::Fail(const std::string& reason) const { FailToWrite(mPath, mCode, mWhat, reason); }

void ReplaceOutputFile(const std::string& path, std::string_view bytes, ExitCode code, const std::string& what) {
  OutputFile file(path, code, what);
  file.Write(bytes);
  file.Commit();
}

bool IsSameFile(const std::string& first, const std::string& second) {
  struct stat a {};
  struct stat b {};
  if (::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0)
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
  std::error_code error;
  const auto resolvedFirst = std::filesystem::weakly_canonical(first, error);
  if (error) return false;
  const auto resolvedSecond = std::filesystem::weakly_canonical(second, error);
  return !error && resolvedFirst == resolvedSecond;
}

}  // namespace orvane::auhost
