#pragma once

// Completions of dialogs that answer later (the file panels answer from the
// main run loop after the call returned) must not run on an editor that has
// closed or a plug-in object that is gone. Every completion is wrapped with a
// shared token; CancelPending and the destructor revoke the tokens handed out
// so far, and a revoked completion does nothing. Main thread only.

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

namespace orvane {

class DialogCompletions {
public:
  DialogCompletions() = default;
  ~DialogCompletions() { CancelPending(); }
  DialogCompletions(const DialogCompletions&) = delete;
  DialogCompletions& operator=(const DialogCompletions&) = delete;

  // Name the arguments explicitly: Guard<int>([](int) {...}).
  template <typename... Args>
  std::function<void(Args...)> Guard(std::type_identity_t<std::function<void(Args...)>> completion) const {
    return [live = mLive, completion = std::move(completion)](Args... args) {
      if (*live) completion(std::forward<Args>(args)...);
    };
  }

  void CancelPending() {
    *mLive = false;
    mLive = std::make_shared<bool>(true);
  }

private:
  std::shared_ptr<bool> mLive = std::make_shared<bool>(true);
};

}  // namespace orvane
