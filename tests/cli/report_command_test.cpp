// `quovil-cli report`: the fragment's report as PDF, rendered by poppler and
// read back as text against the synthetic recorder's ground truth.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <sstream>
#include <string>

#include "card/korax.h"
#include "cli_json.h"
#include "mkcard/mkcard.h"
#include "support/files.h"
#include "support/shell.h"

namespace {

using cli_test::CliResult;
using quovil::TimeStamp;
using quovil::test::Shell;

TimeStamp At(int hour, int minute, int second) { return {15, 6, 24, uint8_t(hour), uint8_t(minute), uint8_t(second)}; }

// The PDF's text in reading order with every run of white space made one blank.
std::string PdfWords(const std::string& pdf) {
  std::istringstream in(Shell("pdftotext -layout '" + pdf + "' - 2>&1"));
  std::string word, out;
  while (in >> word) out += (out.empty() ? "" : " ") + word;
  return out;
}

class ReportCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    mkcard::Options o;
    o.format = 2;
    o.records = 1200;  // 12:00:00 .. 12:04:59 at four a second
    o.sound = false;
    o.width = 64, o.height = 48;
    o.journal = true;
    o.gpsClockOffset = 37;  // the receiver 37 s ahead of the recorder
    o.events = {{At(11, 58, 0), 1, 1}, {At(12, 1, 0), 1, 5}, {At(12, 3, 0), 2, 5}, {At(12, 9, 0), 1, 2}};
    card_ = folder_ / "report card.img";
    truth_ = mkcard::WriteCard(o, card_);
    ASSERT_EQ(truth_.format, 2);
  }
  CliResult Run(const std::string& args) {
    return cli_test::RunCli("report '" + card_ + "' " + args);
  }

  quovil::test::ScratchFolder folder_;
  std::string card_;
  mkcard::Recorded truth_;
};

TEST_F(ReportCommand, TheReportRendersAndNamesTheCountsTheEventsAndTheClockOffset) {
  const std::string pdf = folder_ / "report.pdf";
  const CliResult r = Run("'" + pdf + "' --start '15.06.2024 12:00:30' --end '15.06.2024 12:03:40'");
  ASSERT_EQ(r.rc, 0) << r.out.dump();
  ASSERT_TRUE(r.out.contains("pages")) << r.out.dump();
  const int pages = r.out["pages"].get<int>();
  EXPECT_GE(pages, 1);

  // The ground truth of the fragment: its records per camera and per kind.
  std::array<int, 2> perCamera{};
  std::array<std::array<int, 2>, 5> perKind{};  // manual, external, motion, timer, sound
  for (const mkcard::Frame& f : truth_.frames) {
    const int64_t key = quovil::MinuteKey(f.time) * 256 + f.time.second;
    if (key < quovil::MinuteKey(At(12, 0, 30)) * 256 + 30 || key > quovil::MinuteKey(At(12, 3, 40)) * 256 + 40) continue;
    ++perCamera[size_t(f.camera)];
    const int bits = f.flag & 0x7C;
    const int kind = bits == 0 ? 0 : bits == 0x04 ? 1 : bits == 0x08 ? 2 : bits == 0x10 ? 3 : 4;
    ++perKind[size_t(kind)][size_t(f.camera)];
  }
  const std::string text = PdfWords(pdf);
  const int total = perCamera[0] + perCamera[1];
  EXPECT_NE(text.find("Записей во фрагменте: " + std::to_string(total) + " (камера 1: " + std::to_string(perCamera[0]) +
                      ", камера 2: " + std::to_string(perCamera[1]) + ")."),
            std::string::npos)
      << text;
  const char* kinds[] = {"ручная запись", "по звонку", "по движению", "по таймеру", "по звуку"};
  for (size_t k = 0; k < 5; ++k) {
    const auto& n = perKind[k];
    EXPECT_NE(text.find(std::string(kinds[k]) + " " + std::to_string(n[0]) + " " + std::to_string(n[1]) + " " +
                        std::to_string(n[0] + n[1])),
              std::string::npos)
        << kinds[k];
  }
  EXPECT_NE(text.find("Начало фрагмента: 15.06.2024 12:00:30."), std::string::npos);
  EXPECT_NE(text.find("Конец фрагмента: 15.06.2024 12:03:40."), std::string::npos);
  EXPECT_NE(text.find("Время записей и событий указано по часам регистратора."), std::string::npos);
  // 191 seconds, each with its RMC sentence 37 s ahead.
  EXPECT_NE(text.find("Часы регистратора отстают от времени GPS на 37.0 с (медиана по 191 с фрагмента со временем GPS)."),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("межквартильный размах 0.0 с"), std::string::npos);
  // The events inside, not those before or after.
  EXPECT_NE(text.find("Событий журнала за время фрагмента: 2."), std::string::npos);
  EXPECT_NE(text.find("15.06.2024 12:01 Режим записи"), std::string::npos);
  EXPECT_NE(text.find("15.06.2024 12:03 Карта памяти заполнена"), std::string::npos);
  EXPECT_EQ(text.find("Подача питания"), std::string::npos);
  // A picture for each of the four minutes and the two events, with its time.
  EXPECT_NE(text.find("Кадров: 6 — первая запись каждой минуты фрагмента (4) и запись к каждому событию журнала (2)."),
            std::string::npos);
  EXPECT_NE(text.find("15.06.2024 12:00:30, камера"), std::string::npos);
  EXPECT_NE(text.find("Событие 15.06.2024 12:03:"), std::string::npos);
  EXPECT_NE(text.find("Страница 1 из " + std::to_string(pages) + "."), std::string::npos);

  // It renders: one picture per page, with ink on it.
  const std::string png = folder_ / "page";
  int rc = -1;
  Shell("pdftoppm -png -r 50 '" + pdf + "' '" + png + "' 2>&1", &rc);
  EXPECT_EQ(rc, 0);
  const std::string first = png + (pages > 9 ? "-01.png" : "-1.png");
  ASSERT_TRUE(quovil::test::Exists(first));
  int w = 0, h = 0;
  ASSERT_EQ(std::sscanf(Shell("identify -format '%w %h' '" + first + "'").c_str(), "%d %d", &w, &h), 2);
  EXPECT_NEAR(w, 413, 2);  // A4 at 50 dpi
  EXPECT_NEAR(h, 585, 2);
  const double mean = std::stod(Shell("convert '" + first + "' -colorspace Gray -format '%[fx:mean]' info:"));
  EXPECT_LT(mean, 0.97);
  EXPECT_GT(mean, 0.5);
  std::istringstream info(Shell("pdfinfo '" + pdf + "'"));
  std::string line;
  int pdfPages = -1;
  while (std::getline(info, line)) {
    if (line.rfind("Pages:", 0) == 0) pdfPages = std::stoi(line.substr(6));
  }
  EXPECT_EQ(pdfPages, pages);

  // The six pictures are there at the stamped pictures' own size.
  std::istringstream images(Shell("pdfimages -list '" + pdf + "'"));
  int pictures = 0;
  while (std::getline(images, line)) {
    int page = 0, num = 0, width = 0, height = 0;
    char type[16] = {};
    if (std::sscanf(line.c_str(), "%d %d %15s %d %d", &page, &num, type, &width, &height) != 5) continue;
    ++pictures;
    EXPECT_EQ(width, 420);
    EXPECT_EQ(height, 48 + 20);
  }
  EXPECT_EQ(pictures, 6);

  // The sidecar is sha256sum's own.
  Shell("cd '" + folder_.path() + "' && sha256sum -c report.pdf.sha256 >/dev/null 2>&1", &rc);
  EXPECT_EQ(rc, 0);
}

TEST_F(ReportCommand, TheWholeSelectionByDefaultAndTheSourceIsNeverTheOutput) {
  const std::string pdf = folder_ / "whole.pdf";
  const CliResult r = Run("'" + pdf + "' --no-checksum");
  ASSERT_EQ(r.rc, 0) << r.out.dump();
  EXPECT_FALSE(quovil::test::Exists(pdf + ".sha256"));
  const std::string text = PdfWords(pdf);
  EXPECT_NE(text.find("Записей во фрагменте: 1200 "), std::string::npos);
  EXPECT_NE(text.find("Конец фрагмента: 15.06.2024 12:04:59."), std::string::npos);
  EXPECT_NE(text.find("Часы регистратора отстают от времени GPS на 37.0 с (медиана по 300 с"), std::string::npos);
  // A long name may be broken over lines: compared without the blanks.
  const auto bare = [](std::string s) {
    s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
    return s;
  };
  EXPECT_NE(bare(text).find(bare("Источник: образ карты памяти " + card_ + ".")), std::string::npos) << text;

  const std::vector<uint8_t> before = quovil::test::ReadBytes(card_);
  const CliResult same = Run("'" + card_ + "'");
  EXPECT_NE(same.rc, 0);
  EXPECT_EQ(same.out.value("error", ""), "Не могу сохранить в открытый файл!");
  EXPECT_EQ(quovil::test::ReadBytes(card_), before);
  const CliResult folder = Run("'" + folder_.path() + "'");
  EXPECT_NE(folder.rc, 0);
  EXPECT_EQ(folder.out.value("error", ""), "Не могу сохранить в папку!");
  const CliResult nothing = Run("'" + (folder_ / "none.pdf") + "' --start '16.06.2024 10:00:00'");
  EXPECT_NE(nothing.rc, 0);
  EXPECT_FALSE(quovil::test::Exists(folder_ / "none.pdf"));
  EXPECT_FALSE(quovil::test::Exists(folder_ / "none.pdf.part"));
}

TEST_F(ReportCommand, AnArchiveIsTracedToTheCardItWasSavedFrom) {
  const std::string kif = folder_ / "saved.kif";
  ASSERT_EQ(cli_test::RunCli("save-kif '" + card_ + "' '" + kif + "'").rc, 0);
  const std::string identity = quovil::test::ReadText(kif + ".card.json");
  const size_t at = identity.find("\"bootSectorSha256\": \"");
  ASSERT_NE(at, std::string::npos) << identity;
  const std::string boot = identity.substr(at + 21, 64);
  const std::string pdf = folder_ / "archive.pdf";
  const CliResult r = cli_test::RunCli("report '" + kif + "' '" + pdf + "'");
  ASSERT_EQ(r.rc, 0) << r.out.dump();
  const std::string text = PdfWords(pdf);
  EXPECT_NE(text.find("Источник: файл видеоархива "), std::string::npos) << text;
  EXPECT_NE(text.find("загрузочный сектор: " + boot + ";"), std::string::npos) << text;
  // The archive has no journal; its records and GPS sentences are the card's.
  EXPECT_NE(text.find("У этого источника нет журнала событий."), std::string::npos);
  EXPECT_NE(text.find("Записей во фрагменте: 1200 "), std::string::npos);
  EXPECT_NE(text.find("Часы регистратора отстают от времени GPS на 37.0 с"), std::string::npos);
}

}  // namespace
