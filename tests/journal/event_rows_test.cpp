#include <gtest/gtest.h>

#include "journal/event_rows.h"
#include "journal_fixture.h"

using namespace quovil;
using journal_fixture::Rec;

namespace {

// Feeds records through one change state, as a fill of the list does.
class EventRowsTest : public ::testing::Test {
 protected:
  const EventRow& Add(const journal_fixture::Record& r) {
    const size_t before = rows.size();
    AddEventRow(r.data(), state, rows);
    EXPECT_GT(rows.size(), before) << "no row for code " << int(r[5]) << " data " << int(r[6]);
    return rows.back();
  }
  size_t Count(const journal_fixture::Record& r) {
    const size_t before = rows.size();
    AddEventRow(r.data(), state, rows);
    return rows.size() - before;
  }

  ChangeState state;
  std::vector<EventRow> rows;
};

TEST_F(EventRowsTest, PowerChangeNamesTheBitsThatTurnedOnThenOff) {
  const EventRow& on = Add(Rec(22, 0x05));
  EXPECT_EQ(on.text, "Плохой АКБ, Пропало входное напряжение");
  EXPECT_EQ(on.image, 2);
  EXPECT_EQ(Add(Rec(22, 0x04)).text, "АКБ в норме");
  EXPECT_EQ(state.LastPowerBits, 0x04);
}

TEST_F(EventRowsTest, RepeatedChangeDataGivesARowWithEmptyText) {
  Add(Rec(22, 0x08));
  const EventRow& again = Add(Rec(22, 0x08));
  EXPECT_EQ(again.text, "");
  EXPECT_EQ(again.image, 2);
  EXPECT_FALSE(again.IsSeparator());
}

TEST_F(EventRowsTest, PowerBitsSixAndSevenHaveOnlyTheTextsTheRecorderDefines) {
  EXPECT_EQ(Add(Rec(22, 0xC0)).text, "");
  EXPECT_EQ(Add(Rec(22, 0x00)).text, "GPS модуль не установлен");
  EXPECT_EQ(Add(Rec(22, 0x3F)).text,
            "Плохой АКБ, АКБ разряжен, Пропало входное напряжение, Двигатель включен, Тревога, "
            "Преобразователь включен");
  EXPECT_EQ(Add(Rec(22, 0x00)).text,
            "АКБ в норме, АКБ в норме, Входное напряжение есть, Двигатель выключен, Тревога снята, "
            "Преобразователь выключен");
}

TEST_F(EventRowsTest, LinkChangeNamesTheModules) {
  const EventRow& lost = Add(Rec(21, 0x02));
  EXPECT_EQ(lost.text, "KORAX-GPS не отвечает");
  EXPECT_EQ(lost.image, 6);
  EXPECT_EQ(Add(Rec(21, 0x09)).text, "KORAX-UPS не отвечает, KORAX-GPS подключен, KORAX-GSM не отвечает");
  // Only the four module bits count.
  EXPECT_EQ(Add(Rec(21, 0xF9)).text, "");
}

TEST_F(EventRowsTest, VideoChangeNumbersTheInputsFromOne) {
  const EventRow& row = Add(Rec(20, 0x09));
  EXPECT_EQ(row.text, "Появилось видео 1, Появилось видео 4");
  EXPECT_EQ(row.image, 8);
  EXPECT_EQ(Add(Rec(20, 0x0C)).text, "Пропало видео 1, Появилось видео 3");
}

TEST_F(EventRowsTest, CardErrorShowsItsCodeInUpperCaseHex) {
  const EventRow& row = Add(Rec(19, 0x1F));
  EXPECT_EQ(row.text, "Ошибка карты памяти CODE: 1F");
  EXPECT_EQ(row.image, 4);
  EXPECT_EQ(Add(Rec(19, 0x00)).text, "Ошибка карты памяти CODE: 00");
}

TEST_F(EventRowsTest, FixedAndAnyDataEntries) {
  EXPECT_EQ(Add(Rec(1, 4)).text, "Дежурный режим");
  EXPECT_EQ(rows.back().image, 0);
  EXPECT_EQ(Add(Rec(2, 5)).text, "Карта памяти заполнена");
  EXPECT_EQ(Add(Rec(3, 0xAB)).text, "Часы записаны");
  EXPECT_EQ(rows.back().image, 11);
  EXPECT_EQ(Add(Rec(18, 4)).text, "Ошибка FLASH данных (не совпадает версия CARD_IMAGE)");
}

TEST_F(EventRowsTest, UnknownCodesAndDataGiveNoRow) {
  EXPECT_EQ(Count(Rec(16, 3)), 0u);
  EXPECT_EQ(Count(Rec(1, 10)), 0u);
  EXPECT_EQ(Count(Rec(2, 0)), 0u);
  EXPECT_EQ(Count(Rec(99, 1)), 0u);
  EXPECT_EQ(Count(Rec(0xFF, 0xFF)), 0u);
  EXPECT_TRUE(rows.empty());
}

TEST_F(EventRowsTest, PowerOnIsPrecededByAnEmptyRowAndResetsPowerAndLink) {
  Add(Rec(22, 0x05));
  Add(Rec(21, 0x01));
  Add(Rec(20, 0x01));
  ASSERT_EQ(Count(Rec(1, 1)), 2u);
  const EventRow& gap = rows[rows.size() - 2];
  EXPECT_TRUE(gap.IsSeparator());
  EXPECT_EQ(gap, EventRow{});
  EXPECT_EQ(gap.image, -1);
  EXPECT_EQ(rows.back().text, "Подача питания");
  EXPECT_EQ(rows.back().image, 1);
  // Power and link are compared with 0 again; the video inputs are not.
  EXPECT_EQ(Add(Rec(22, 0x05)).text, "Плохой АКБ, Пропало входное напряжение");
  EXPECT_EQ(Add(Rec(21, 0x01)).text, "KORAX-UPS не отвечает");
  EXPECT_EQ(Add(Rec(20, 0x01)).text, "");
}

TEST_F(EventRowsTest, DateAndTimeTexts) {
  const EventRow& row = Add(Rec(3, 0, 5, 3, 24, 7, 9));
  EXPECT_EQ(row.date, " 05:03:2024");
  EXPECT_EQ(row.time, "07:09");
}

TEST(RowTime, ReadsBackTheJournalTimeOfARow) {
  ChangeState state;
  std::vector<EventRow> rows;
  AddEventRow(Rec(3, 0, 28, 2, 26, 23, 59).data(), state, rows);
  JournalTime t;
  ASSERT_TRUE(ParseRowTime(rows[0].date, rows[0].time, t));
  EXPECT_EQ(t.day, 28);
  EXPECT_EQ(t.month, 2);
  EXPECT_EQ(t.year, 26);
  EXPECT_EQ(t.hour, 23);
  EXPECT_EQ(t.minute, 59);
}

TEST(RowTime, RefusesTheEmptyRowAndMangledFields) {
  JournalTime t;
  EXPECT_FALSE(ParseRowTime("", "", t));
  // A day byte above 99 shifts every field of the caption.
  ChangeState state;
  std::vector<EventRow> rows;
  AddEventRow(Rec(3, 0, 200, 1, 20, 1, 1).data(), state, rows);
  EXPECT_FALSE(ParseRowTime(rows[0].date, rows[0].time, t));
  EXPECT_FALSE(ParseRowTime(" 01:02:2024", "1", t));
}

}  // namespace
