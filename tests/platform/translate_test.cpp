// The core's translation hook: the Russian text until a function is set, the
// function's text after, looked up once and kept valid when the function
// changes.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/translate.h"

namespace {

using quovil::SetTranslateFunction;
using quovil::Tr;

std::atomic<int> calls{0};

std::string Bracketed(const char* context, const char* text) {
  ++calls;
  return std::string("[") + context + "] " + text;
}

std::string Shouted(const char*, const char* text) { return std::string(text) + "!"; }

TEST(TranslateHook, GivesTheTextBackUntilAFunctionIsSetAndAfterItIsCleared) {
  SetTranslateFunction(nullptr);
  const char* text = "Карта памяти пуста!";
  EXPECT_EQ(Tr("Viewer", text), text);
  SetTranslateFunction(Bracketed);
  EXPECT_STREQ(Tr("Viewer", text), "[Viewer] Карта памяти пуста!");
  SetTranslateFunction(nullptr);
  EXPECT_EQ(Tr("Viewer", text), text);
  EXPECT_EQ(Tr("Viewer", nullptr), nullptr);
}

TEST(TranslateHook, LooksEachTextUpOnceAndKeepsEarlierTextsValid) {
  SetTranslateFunction(Bracketed);
  calls = 0;
  const char* first = Tr("Journal", "Тревога");
  const char* again = Tr("Journal", "Тревога");
  EXPECT_EQ(first, again);
  EXPECT_EQ(calls.load(), 1);
  // The same text in another context is another text.
  EXPECT_STREQ(Tr("Gps", "Тревога"), "[Gps] Тревога");
  SetTranslateFunction(Shouted);
  EXPECT_STREQ(Tr("Journal", "Тревога"), "Тревога!");
  EXPECT_STREQ(first, "[Journal] Тревога") << "a text looked up before stays as it was";
  SetTranslateFunction(nullptr);
}

TEST(TranslateHook, WorkersLookUpSideBySide) {
  SetTranslateFunction(Bracketed);
  std::vector<std::thread> workers;
  std::atomic<int> wrong{0};
  for (int t = 0; t < 4; ++t) {
    workers.emplace_back([&wrong, t] {
      for (int i = 0; i < 500; ++i) {
        const std::string text = "текст " + std::to_string((i + t) % 50);
        if (std::string(Tr("Export", text.c_str())) != "[Export] " + text) ++wrong;
      }
    });
  }
  for (std::thread& w : workers) w.join();
  EXPECT_EQ(wrong.load(), 0);
  SetTranslateFunction(nullptr);
}

}  // namespace
