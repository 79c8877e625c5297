// The journal of a card written by the synthetic recorder.
#include <gtest/gtest.h>

#include "card/korax.h"
#include "card/source.h"
#include "journal/journal_log.h"
#include "mkcard/mkcard.h"
#include "platform/block_device.h"

using namespace quovil;

namespace {

Source RecordedCard(const mkcard::Options& o, mkcard::Recorded& truth) {
  Source src;
  src.SourceIsCard = true;
  src.CardOpen = true;
  src.CardFormat = 2;
  src.Card = MemoryDevice(mkcard::MakeCard(o, &truth));
  return src;
}

mkcard::Options JournalCard(bool wrapped) {
  mkcard::Options o;
  o.format = 2;
  o.records = 24;
  o.journal = true;
  o.journalWrapped = wrapped;
  o.journalCapacity = 256;
  return o;
}

std::vector<EventRow> EventsOnly(const std::vector<EventRow>& rows) {
  std::vector<EventRow> out;
  for (const EventRow& r : rows)
    if (!r.IsSeparator()) out.push_back(r);
  return out;
}

void ExpectTimesOf(const std::vector<mkcard::JournalEvent>& events, const std::vector<EventRow>& rows) {
  ASSERT_EQ(rows.size(), events.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const TimeStamp& t = events[i].time;
    EXPECT_EQ(rows[i].date, Format(" %.2d:%.2d:%.4d", t.day, t.month, t.year + 2000)) << i;
    EXPECT_EQ(rows[i].time, Format("%.2d:%.2d", t.hour, t.minute)) << i;
  }
}

TEST(RecordedJournal, ADayOfTheRecorderReadsAsItsEvents) {
  mkcard::Recorded truth;
  const Source src = RecordedCard(JournalCard(false), truth);
  Journal j;
  j.ReadJournalFromCard(src);

  ASSERT_EQ(j.ShownCount, int32_t(truth.journal.size()));
  EXPECT_EQ(j.OldestRecord, 0);
  EXPECT_EQ(j.StatusPanels[0], Format(" %d записей", int(truth.journal.size())));
  EXPECT_EQ(j.StatusPanels[1], " Версия ПО: 2.17 от 14.03.2023");
  EXPECT_EQ(j.StatusPanels[2], " Версия железа: KX-MB rev.C");
  EXPECT_EQ(j.StatusPanels[3], " ID: KX0004711");

  const std::vector<std::string> firstDay = {
      "",
      "Подача питания",
      "Карта установлена",
      "Часы записаны",
      "Режим записи",
      "KORAX-GPS не отвечает",
      "Двигатель включен",
      "Появилось видео 1, Появилось видео 2",
      "KORAX-GPS подключен",
      "Пропало входное напряжение",
      "Ошибка карты памяти CODE: 1F",
      "Входное напряжение есть",
      "Показания часов неправильны",
      "Пропало видео 2",
      "Двигатель выключен",
      "Дежурный режим",
      "Пропало питание",
  };
  ASSERT_GT(j.Rows.size(), firstDay.size() + 7);
  for (size_t i = 0; i < firstDay.size(); ++i) EXPECT_EQ(j.Rows[i].text, firstDay[i]) << i;
  // The next day starts with power and link forgotten, but video input 1 is
  // still known to be there.
  EXPECT_TRUE(j.Rows[17].IsSeparator());
  EXPECT_EQ(j.Rows[23].text, "Двигатель включен");
  EXPECT_EQ(j.Rows[24].text, "Появилось видео 2");
  ExpectTimesOf(truth.journal, EventsOnly(j.Rows));
}

TEST(RecordedJournal, AWrappedRingStartsAtTheHead) {
  mkcard::Recorded truth;
  const Source src = RecordedCard(JournalCard(true), truth);
  Journal j;
  j.ReadJournalFromCard(src);
  EXPECT_EQ(j.ShownCount, 256);
  EXPECT_EQ(j.OldestRecord, truth.journalHead);
  EXPECT_EQ(j.NewestRecord, (truth.journalHead + 255) % 256);
  ExpectTimesOf(truth.journal, EventsOnly(j.Rows));
}

TEST(RecordedJournal, OtherFormatsCarryNoJournal) {
  mkcard::Options o = JournalCard(false);
  o.format = 1;
  mkcard::Recorded truth;
  Source src = RecordedCard(o, truth);
  src.CardFormat = 1;
  Journal j;
  j.ReadJournalFromCard(src);
  EXPECT_EQ(j.StatusPanels[0], "Not supported foarmat");
}

}  // namespace
