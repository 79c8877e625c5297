#include "journal/event_rows.h"

#include "card/korax.h"
#include "platform/translate.h"

namespace quovil {

namespace {

struct BitTexts {
  const char* on;   // null: no text
  const char* off;
};

constexpr std::array<BitTexts, 8> kPowerBits{{
    {QUOVIL_TR_NOOP("Journal", "Плохой АКБ"), QUOVIL_TR_NOOP("Journal", "АКБ в норме")},
    {QUOVIL_TR_NOOP("Journal", "АКБ разряжен"), QUOVIL_TR_NOOP("Journal", "АКБ в норме")},
    {QUOVIL_TR_NOOP("Journal", "Пропало входное напряжение"), QUOVIL_TR_NOOP("Journal", "Входное напряжение есть")},
    {QUOVIL_TR_NOOP("Journal", "Двигатель включен"), QUOVIL_TR_NOOP("Journal", "Двигатель выключен")},
    {QUOVIL_TR_NOOP("Journal", "Тревога"), QUOVIL_TR_NOOP("Journal", "Тревога снята")},
    {QUOVIL_TR_NOOP("Journal", "Преобразователь включен"), QUOVIL_TR_NOOP("Journal", "Преобразователь выключен")},
    {nullptr, QUOVIL_TR_NOOP("Journal", "GPS модуль не установлен")},
    {nullptr, nullptr},
}};

void Join(std::string& out, const std::string& part) {
  if (part.empty()) return;
  if (!out.empty()) out += ", ";
  out += part;
}

// Walks the bits below `bits` that differ between data and last; text(k, on)
// names bit k turning on or off.
template <typename TextOf>
std::string ChangeText(uint8_t data, uint8_t& last, int bits, TextOf text) {
  std::string out;
  if (data != last) {
    for (int k = 0; k < bits; ++k) {
      const uint8_t m = uint8_t(1u << k);
      const bool now = (data & m) != 0, before = (last & m) != 0;
      if (now != before) Join(out, text(k, now));
    }
  }
  last = data;
  return out;
}

bool TwoDigits(const std::string& s, size_t at, int& out) {
  if (at + 2 > s.size()) return false;
  const char a = s[at], b = s[at + 1];
  if (a < '0' || a > '9' || b < '0' || b > '9') return false;
  out = (a - '0') * 10 + (b - '0');
  return true;
}

}  // namespace

std::string PowerChangeText(uint8_t data, uint8_t& last) {
  return ChangeText(data, last, 8, [](int k, bool on) {
    const char* t = on ? kPowerBits[size_t(k)].on : kPowerBits[size_t(k)].off;
    return std::string(t ? Tr("Journal", t) : "");
  });
}

std::string VideoChangeText(uint8_t data, uint8_t& last) {
  return ChangeText(data, last, 4, [](int k, bool on) {
    return Format(on ? Tr("Journal", "Появилось видео %d") : Tr("Journal", "Пропало видео %d"), k + 1);
  });
}

std::string LinkChangeText(uint8_t data, uint8_t& last) {
  return ChangeText(data, last, 4, [](int k, bool on) {
    return Format(on ? Tr("Journal", "%s не отвечает") : Tr("Journal", "%s подключен"), ModuleNames[size_t(k)]);
  });
}

void AddEventRow(const uint8_t* record, ChangeState& state, std::vector<EventRow>& rows) {
  const uint8_t code = record[5], data = record[6];
  const EventEntry* match = nullptr;
  std::string text;
  for (const EventEntry& e : EventTable) {
    if (e.code != code) continue;
    if (code == kEventPowerChange) {
      text = PowerChangeText(data, state.LastPowerBits);
    } else if (code == kEventVideoChange) {
      text = VideoChangeText(data, state.LastVideoBits);
    } else if (code == kEventLinkChange) {
      text = LinkChangeText(data, state.LastLinkBits);
    } else if (e.data == -1) {
      text = Tr("Journal", e.text);
    } else if (e.data == 0) {
      text = std::string(Tr("Journal", e.text)) + Format(" CODE: %.2X", unsigned(data));
    } else if (e.data == data) {
      text = Tr("Journal", e.text);
    } else {
      continue;
    }
    match = &e;
    break;
  }
  if (!match) return;

  if (code == 1 && data == 1) {
    rows.push_back(EventRow{});
    state.ResetChangeState();
  }
  EventRow row;
  row.date = Format(" %.2d:%.2d:%.4d", int(record[0]), int(record[1]), int(record[2]) + 2000);
  row.time = Format("%.2d:%.2d", int(record[3]), int(record[4]));
  row.text = std::move(text);
  row.image = match->image;
  row.code = code;
  row.data = data;
  rows.push_back(std::move(row));
}

bool ParseRowTime(const std::string& date, const std::string& time, JournalTime& out) {
  const size_t start = date.find_first_not_of(' ');
  if (start == std::string::npos) return false;
  const std::string d = date.substr(start);
  JournalTime t;
  if (!TwoDigits(d, 0, t.day) || !TwoDigits(d, 3, t.month) || !TwoDigits(d, 8, t.year)) return false;
  if (!TwoDigits(time, 0, t.hour) || !TwoDigits(time, 3, t.minute)) return false;
  out = t;
  return true;
}

}  // namespace quovil
