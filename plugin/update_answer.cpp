#include "plugin/update_answer.h"

#include <nlohmann/json.hpp>

namespace orvane {
namespace {

constexpr char kCurrentVersionKey[] = "current_version";

}  // namespace

bool ParseUpdateAnswer(std::string_view body, std::string& version) {
  const nlohmann::json root = nlohmann::json::parse(body, nullptr, /*allow_exceptions=*/false);
  if (!root.is_object()) {
    return false;  // also a parse error, which yields a discarded value
  }
  const auto found = root.find(kCurrentVersionKey);
  if (found == root.end() || !found->is_string()) {
    return false;
  }
  const std::string& text = found->get_ref<const std::string&>();
  if (text.empty() || text.size() > kMaxAnswerVersionLength) {
    return false;
  }
  version = text;
  return true;
}

}  // namespace orvane
