#include "platform/translate.h"

#include <mutex>
#include <string>
#include <unordered_map>

namespace quovil {

namespace {

struct Lookups {
  std::mutex lock;
  TranslateFunction function = nullptr;
  // A new function starts a new generation: the texts of earlier ones are
  // kept, since callers may still hold their pointers.
  unsigned generation = 0;
  std::unordered_map<std::string, std::string> found;
};

Lookups& State() {
  static Lookups* lookups = new Lookups;  // never destroyed: workers may look up while the program ends
  return *lookups;
}

}  // namespace

void SetTranslateFunction(TranslateFunction f) {
  Lookups& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  s.function = f;
  ++s.generation;
}

const char* Tr(const char* context, const char* text) {
  if (!text) return text;
  Lookups& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.function) return text;
  std::string key = std::to_string(s.generation);
  key += '\x04';
  key += context ? context : "";
  key += '\x04';
  key += text;
  auto it = s.found.find(key);
  if (it == s.found.end()) it = s.found.emplace(std::move(key), s.function(context, text)).first;
  return it->second.c_str();
}

}  // namespace quovil
