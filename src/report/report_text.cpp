#include "report/report_text.h"

#include <cmath>

namespace quovil {

namespace {

std::string Seconds(double v) {
  std::string s = Format("%.1f", v);
  return s == "-0.0" ? "0.0" : s;
}

}  // namespace

std::string GroupedDigits(int64_t n) {
  const bool negative = n < 0;
  std::string digits = std::to_string(negative ? -n : n);
  for (int at = int(digits.size()) - 3; at > 0; at -= 3) digits.insert(size_t(at), " ");
  return negative ? "-" + digits : digits;
}

std::string ReportTimeText(const TimeStamp& t) { return TimeStampText(t); }

std::string ReportMinuteText(const TimeStamp& t) {
  return Format("%.2d.%.2d.%.4d %.2d:%.2d", t.day, t.month, 2000 + t.year, t.hour, t.minute);
}

std::vector<std::string> SourceSentences(const ReportSource& s) {
  std::vector<std::string> out;
  switch (s.kind) {
    case ReportSource::Kind::Card: out.push_back("Источник: карта памяти в устройстве " + s.path + "."); break;
    case ReportSource::Kind::Image: out.push_back("Источник: образ карты памяти " + s.path + "."); break;
    case ReportSource::Kind::Archive: out.push_back("Источник: файл видеоархива " + s.path + "."); break;
  }
  if (s.bytes >= 0) out.push_back("Размер источника: " + GroupedDigits(s.bytes) + " байт.");
  if (s.format >= 0) out.push_back(Format("Формат карты памяти: %d.", s.format));
  if (!s.model.empty() || !s.vendor.empty() || !s.serial.empty()) {
    std::string device = s.vendor;
    if (!s.model.empty()) device += (device.empty() ? "" : " ") + s.model;
    out.push_back("Устройство: " + (device.empty() ? std::string("без названия") : device) +
                  ", серийный номер " + (s.serial.empty() ? std::string("не сообщается") : s.serial) + ".");
  }
  if (s.kind == ReportSource::Kind::Image) {
    if (s.imageSha256.empty() && s.imageMd5.empty()) {
      out.push_back("Рядом с образом нет записанных при его снятии контрольных сумм.");
    } else {
      if (!s.imageDevice.empty()) out.push_back("Образ снят с устройства " + s.imageDevice + ".");
      if (!s.imageStarted.empty())
        out.push_back("Чтение карты при снятии образа: с " + s.imageStarted + " по " + s.imageEnded + " (UTC).");
      if (!s.imageSha256.empty()) out.push_back("SHA-256 образа при его снятии: " + s.imageSha256 + ".");
      if (!s.imageMd5.empty()) out.push_back("MD5 образа при его снятии: " + s.imageMd5 + ".");
    }
  }
  if (!s.catalogueSha256.empty()) {
    out.push_back(s.kind == ReportSource::Kind::Archive
                      ? "Архив сохранён с карты памяти " + s.identityDevice +
                            "; ниже SHA-256 её служебных областей на момент сохранения."
                      : std::string("SHA-256 служебных областей карты памяти на момент отчёта:"));
    out.push_back("загрузочный сектор: " + s.bootSha256 + ";");
    out.push_back("таблицы состояния: " + s.stateSha256 + ";");
    out.push_back("каталог записей: " + s.catalogueSha256 + ".");
  } else if (s.kind == ReportSource::Kind::Archive) {
    out.push_back("Сведений о карте памяти, с которой сохранён архив, рядом с ним нет.");
  }
  return out;
}

std::vector<std::string> FragmentSentences(const ReportFacts& f) {
  std::vector<std::string> out;
  out.push_back("Начало фрагмента: " + ReportTimeText(f.first) + ".");
  out.push_back("Конец фрагмента: " + ReportTimeText(f.last) + ".");
  out.push_back(Format("Записей во фрагменте: %d (камера 1: %d, камера 2: %d).", f.records, f.perCamera[0],
                       f.perCamera[1]));
  out.push_back(kReportClockLine);
  return out;
}

std::vector<std::vector<std::string>> CountTable(const ReportFacts& f) {
  std::vector<std::vector<std::string>> rows{{"Вид записи", "Камера 1", "Камера 2", "Всего"}};
  for (int k = 0; k < kRecordKindCount; ++k) {
    const int a = f.counts[0][size_t(k)], b = f.counts[1][size_t(k)];
    if (a + b == 0) continue;
    rows.push_back({KindName(RecordKind(k)), std::to_string(a), std::to_string(b), std::to_string(a + b)});
  }
  rows.push_back({"Всего", std::to_string(f.perCamera[0]), std::to_string(f.perCamera[1]), std::to_string(f.records)});
  return rows;
}

std::vector<std::string> ClockSentences(const ClockOffset& c) {
  if (c.seconds == 0)
    return {"Во фрагменте нет секунд со временем GPS: расхождение часов регистратора с временем GPS не определено."};
  std::vector<std::string> out;
  const std::string basis = Format("(медиана по %d с фрагмента со временем GPS)", c.seconds);
  if (std::fabs(c.median) < 0.05) {
    out.push_back("Часы регистратора совпадают с временем GPS " + basis + ".");
  } else if (c.median > 0) {
    out.push_back("Часы регистратора спешат относительно времени GPS на " + Seconds(c.median) + " с " + basis + ".");
  } else {
    out.push_back("Часы регистратора отстают от времени GPS на " + Seconds(-c.median) + " с " + basis + ".");
  }
  out.push_back("Разница «регистратор минус GPS»: межквартильный размах " + Seconds(c.Spread()) + " с, от " +
                Seconds(c.min) + " до " + Seconds(c.max) + " с.");
  out.push_back("Время GPS взято из даты и времени сообщений RMC (UTC) и сравнено с отметкой времени записи той же "
                "секунды; часовой пояс часов регистратора входит в разницу.");
  return out;
}

std::vector<std::string> EventLines(const ReportFacts& f) {
  if (!f.journalRead) {
    if (f.journalStatus.empty()) return {"У этого источника нет журнала событий."};
    return {"Журнал событий не прочитан: " + f.journalStatus + "."};
  }
  std::vector<std::string> out;
  if (!f.recorderId.empty()) out.push_back("Регистратор по журналу: " + f.recorderId + ".");
  if (f.events.empty()) {
    out.push_back("В журнале регистратора нет событий за время фрагмента.");
    return out;
  }
  out.push_back(Format("Событий журнала за время фрагмента: %d.", int(f.events.size())));
  for (const ReportEvent& e : f.events) out.push_back(ReportMinuteText(e.time) + "  " + e.text);
  return out;
}

std::string PicturesSentence(const ReportFacts& f) {
  int minutes = 0;
  for (const ReportThumbnail& t : f.thumbnails) minutes += t.event < 0 ? 1 : 0;
  std::string text =
      Format("Кадров: %d — первая запись каждой минуты фрагмента (%d) и запись к каждому событию журнала (%d).",
             int(f.thumbnails.size()), minutes, int(f.thumbnails.size()) - minutes);
  if (f.picturesLeftOut > 0)
    text += Format(" Кадров после них, не вошедших в отчёт: %d.", int(f.picturesLeftOut));
  return text;
}

std::string ThumbnailCaption(const ReportFacts& f, const ReportThumbnail& t) {
  std::string caption = Format("%s, камера %d", ReportTimeText(t.time).c_str(), t.camera + 1);
  if (t.event >= 0 && size_t(t.event) < f.events.size()) {
    const ReportEvent& e = f.events[size_t(t.event)];
    caption += "\nСобытие " + ReportMinuteText(e.time) + ": " + e.text;
  }
  return caption;
}

std::string PageFootText(int page, int pages, const std::string& made) {
  return Format("Страница %d из %d. Отчёт составлен %s (UTC) программой QUOVIL.", page, pages, made.c_str());
}

}  // namespace quovil
