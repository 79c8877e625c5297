// Turning journal records into the rows of the journal list: the event texts,
// and the change events whose data byte is a bit set compared with the
// previous event of the same kind.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>
#include "platform/translate.h"

namespace quovil {

inline constexpr int kJournalRecordBytes = 8;

// One entry of the event table. data -1: any data; 0: any data, shown after
// the text as " CODE: XX"; otherwise the record's data byte must equal it.
struct EventEntry {
  uint8_t code;
  int data;
  const char* text;
  int image;
};

inline constexpr uint8_t kEventVideoChange = 20;
inline constexpr uint8_t kEventLinkChange = 21;
inline constexpr uint8_t kEventPowerChange = 22;

// Searched in this order; the first entry that gives a result matches.
inline constexpr std::array<EventEntry, 27> EventTable{{
    {1, 1, QUOVIL_TR_NOOP("Journal", "Подача питания"), 1},
    {1, 2, QUOVIL_TR_NOOP("Journal", "Пропало питание"), 8},
    {1, 3, QUOVIL_TR_NOOP("Journal", "Выключение устройства через UPS"), 1},
    {1, 4, QUOVIL_TR_NOOP("Journal", "Дежурный режим"), 0},
    {1, 5, QUOVIL_TR_NOOP("Journal", "Режим записи"), 5},
    {1, 6, QUOVIL_TR_NOOP("Journal", "Ручной режим записи"), 5},
    {1, 7, QUOVIL_TR_NOOP("Journal", "Режим извлечения карты по ESC"), 9},
    {1, 8, QUOVIL_TR_NOOP("Journal", "Вход в меню"), 7},
    {1, 9, QUOVIL_TR_NOOP("Journal", "Просмотр карты памяти"), 3},
    {2, 1, QUOVIL_TR_NOOP("Journal", "Карта установлена"), 12},
    {2, 2, QUOVIL_TR_NOOP("Journal", "Карта извлечена"), 10},
    {2, 3, QUOVIL_TR_NOOP("Journal", "Форматирование карты"), 8},
    {2, 4, QUOVIL_TR_NOOP("Journal", "Удаление записей с карты"), 8},
    {2, 5, QUOVIL_TR_NOOP("Journal", "Карта памяти заполнена"), 4},
    {3, -1, QUOVIL_TR_NOOP("Journal", "Часы записаны"), 11},
    {4, -1, QUOVIL_TR_NOOP("Journal", "Настройки сброшены"), 8},
    {16, 1, QUOVIL_TR_NOOP("Journal", "Ошибка микросхемы часов"), 4},
    {16, 2, QUOVIL_TR_NOOP("Journal", "Показания часов неправильны"), 4},
    {17, -1, QUOVIL_TR_NOOP("Journal", "Ошибка параметров в EEPROM"), 4},
    {18, 1, QUOVIL_TR_NOOP("Journal", "Ошибка FLASH данных (испорчен заголовок)"), 4},
    {18, 2, QUOVIL_TR_NOOP("Journal", "Ошибка FLASH данных (испорчено содержимое)"), 4},
    {18, 3, QUOVIL_TR_NOOP("Journal", "Ошибка FLASH данных (не совпадает версия MEDIA)"), 4},
    {18, 4, QUOVIL_TR_NOOP("Journal", "Ошибка FLASH данных (не совпадает версия CARD_IMAGE)"), 4},
    {19, 0, QUOVIL_TR_NOOP("Journal", "Ошибка карты памяти"), 4},
    // The texts of the change events are composed from their bits instead.
    {kEventVideoChange, -1, QUOVIL_TR_NOOP("Journal", "Изменение видео:"), 8},
    {kEventLinkChange, -1, QUOVIL_TR_NOOP("Journal", "Изменение связи:"), 6},
    {kEventPowerChange, -1, QUOVIL_TR_NOOP("Journal", "Изменение питания:"), 2},
}};

// A row of the journal list. The row before a power-on event is empty: no
// date, no time, no text and no image (-1).
struct EventRow {
  std::string date;  // " dd:mm:yyyy"
  std::string time;  // "hh:mm"
  std::string text;
  int image = -1;
  // The record's event code and data byte (-1 on the empty row), for the
  // listings; the window shows them only through the text.
  int code = -1;
  int data = -1;

  bool IsSeparator() const { return date.empty(); }
  // Rows are equal when they show the same.
  bool operator==(const EventRow& o) const {
    return date == o.date && time == o.time && text == o.text && image == o.image;
  }
};

// The data of the last power, link and video change event shown. It carries
// over from one fill of the list to the next.
struct ChangeState {
  uint8_t LastPowerBits = 0;
  uint8_t LastLinkBits = 0;
  uint8_t LastVideoBits = 0;

  // Power-on forgets the power and link state; the video inputs keep theirs.
  void ResetChangeState() {
    LastPowerBits = 0;
    LastLinkBits = 0;
  }
};

// Appends the row(s) of one 8-byte journal record: nothing for an event the
// table does not know, an empty row before a power-on event.
void AddEventRow(const uint8_t* record, ChangeState& state, std::vector<EventRow>& rows);

// The text of a change event: the on or off texts of the bits that differ
// from last, joined by ", ". Updates last.
std::string PowerChangeText(uint8_t data, uint8_t& last);
std::string VideoChangeText(uint8_t data, uint8_t& last);
std::string LinkChangeText(uint8_t data, uint8_t& last);

// The journal time of a row, read back from its texts for the jump to the
// frames of that time. year is year - 2000 (the last two digits).
struct JournalTime {
  int day = 0, month = 0, year = 0, hour = 0, minute = 0;
};
// False for the empty row and for texts that are not two-digit fields.
bool ParseRowTime(const std::string& date, const std::string& time, JournalTime& out);

}  // namespace quovil
