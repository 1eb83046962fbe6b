#include "fault_hook.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct PlannedFailure {
  std::string call;
  long occurrence;
  long seen = 0;
};

// Parses "CALL[:N],CALL[:N],..." once; never destroyed, as calls may come
// from other threads while the process exits.
std::vector<PlannedFailure> &plan() {
  static auto *failures = [] {
    auto *list = new std::vector<PlannedFailure>;
    const char *setting = std::getenv("KT_IOKIT_FAIL");
    std::string text = setting ? setting : "";
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find(',', start);
      if (end == std::string::npos) end = text.size();
      std::string item = text.substr(start, end - start);
      size_t colon = item.rfind(':');
      long occurrence = 1;
      if (colon != std::string::npos) {
        occurrence = std::strtol(item.c_str() + colon + 1, nullptr, 10);
        item.resize(colon);
      }
      if (!item.empty()) list->push_back({item, occurrence});
      start = end + 1;
    }
    return list;
  }();
  return *failures;
}

}  // namespace

bool ktShouldFail(const char *call) {
  static auto *lock = new std::mutex;
  std::lock_guard<std::mutex> guard(*lock);
  bool fail = false;
  for (PlannedFailure &planned : plan())
    if (planned.call == call && ++planned.seen == planned.occurrence) fail = true;
  return fail;
}
