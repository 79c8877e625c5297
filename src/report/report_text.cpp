#include "report/report_text.h"

#include <cmath>

#include "platform/translate.h"

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

// Every sentence is looked up whole, its values in its placeholders.
std::vector<std::string> SourceSentences(const ReportSource& s) {
  std::vector<std::string> out;
  const char* path = s.path.c_str();
  switch (s.kind) {
    case ReportSource::Kind::Card: out.push_back(Format(Tr("Report", "Источник: карта памяти в устройстве %s."), path)); break;
    case ReportSource::Kind::Image: out.push_back(Format(Tr("Report", "Источник: образ карты памяти %s."), path)); break;
    case ReportSource::Kind::Archive: out.push_back(Format(Tr("Report", "Источник: файл видеоархива %s."), path)); break;
  }
  if (s.bytes >= 0) out.push_back(Format(Tr("Report", "Размер источника: %s байт."), GroupedDigits(s.bytes).c_str()));
  if (s.format >= 0) out.push_back(Format(Tr("Report", "Формат карты памяти: %d."), s.format));
  if (!s.model.empty() || !s.vendor.empty() || !s.serial.empty()) {
    std::string device = s.vendor;
    if (!s.model.empty()) device += (device.empty() ? "" : " ") + s.model;
    if (device.empty()) device = Tr("Report", "без названия");
    out.push_back(s.serial.empty() ? Format(Tr("Report", "Устройство: %s, серийный номер не сообщается."), device.c_str())
                                   : Format(Tr("Report", "Устройство: %s, серийный номер %s."), device.c_str(), s.serial.c_str()));
  }
  if (s.kind == ReportSource::Kind::Image) {
    if (s.imageSha256.empty() && s.imageMd5.empty()) {
      out.push_back(Tr("Report", "Рядом с образом нет записанных при его снятии контрольных сумм."));
    } else {
      if (!s.imageDevice.empty()) out.push_back(Format(Tr("Report", "Образ снят с устройства %s."), s.imageDevice.c_str()));
      if (!s.imageStarted.empty())
        out.push_back(Format(Tr("Report", "Чтение карты при снятии образа: с %s по %s (UTC)."), s.imageStarted.c_str(),
                             s.imageEnded.c_str()));
      if (!s.imageSha256.empty()) out.push_back(Format(Tr("Report", "SHA-256 образа при его снятии: %s."), s.imageSha256.c_str()));
      if (!s.imageMd5.empty()) out.push_back(Format(Tr("Report", "MD5 образа при его снятии: %s."), s.imageMd5.c_str()));
    }
  }
  if (!s.catalogueSha256.empty()) {
    out.push_back(s.kind == ReportSource::Kind::Archive
                      ? Format(Tr("Report", "Архив сохранён с карты памяти %s; ниже SHA-256 её служебных областей на момент "
                                 "сохранения."),
                               s.identityDevice.c_str())
                      : std::string(Tr("Report", "SHA-256 служебных областей карты памяти на момент отчёта:")));
    out.push_back(Format(Tr("Report", "загрузочный сектор: %s;"), s.bootSha256.c_str()));
    out.push_back(Format(Tr("Report", "таблицы состояния: %s;"), s.stateSha256.c_str()));
    out.push_back(Format(Tr("Report", "каталог записей: %s."), s.catalogueSha256.c_str()));
  } else if (s.kind == ReportSource::Kind::Archive) {
    out.push_back(Tr("Report", "Сведений о карте памяти, с которой сохранён архив, рядом с ним нет."));
  }
  return out;
}

std::vector<std::string> FragmentSentences(const ReportFacts& f) {
  std::vector<std::string> out;
  out.push_back(Format(Tr("Report", "Начало фрагмента: %s."), ReportTimeText(f.first).c_str()));
  out.push_back(Format(Tr("Report", "Конец фрагмента: %s."), ReportTimeText(f.last).c_str()));
  out.push_back(Format(Tr("Report", "Записей во фрагменте: %d (камера 1: %d, камера 2: %d)."), f.records, f.perCamera[0],
                       f.perCamera[1]));
  out.push_back(Tr("Report", kReportClockLine));
  return out;
}

std::vector<std::vector<std::string>> CountTable(const ReportFacts& f) {
  std::vector<std::vector<std::string>> rows{{Tr("Report", "Вид записи"), Tr("Report", "Камера 1"), Tr("Report", "Камера 2"), Tr("Report", "Всего")}};
  for (int k = 0; k < kRecordKindCount; ++k) {
    const int a = f.counts[0][size_t(k)], b = f.counts[1][size_t(k)];
    if (a + b == 0) continue;
    rows.push_back({KindName(RecordKind(k)), std::to_string(a), std::to_string(b), std::to_string(a + b)});
  }
  rows.push_back({Tr("Report", "Всего"), std::to_string(f.perCamera[0]), std::to_string(f.perCamera[1]), std::to_string(f.records)});
  return rows;
}

std::vector<std::string> ClockSentences(const ClockOffset& c) {
  if (c.seconds == 0)
    return {Tr("Report", "Во фрагменте нет секунд со временем GPS: расхождение часов регистратора с временем GPS не определено.")};
  std::vector<std::string> out;
  if (std::fabs(c.median) < 0.05) {
    out.push_back(Format(Tr("Report", "Часы регистратора совпадают с временем GPS (медиана по %d с фрагмента со временем GPS)."),
                         c.seconds));
  } else if (c.median > 0) {
    out.push_back(Format(Tr("Report", "Часы регистратора спешат относительно времени GPS на %s с (медиана по %d с фрагмента со "
                           "временем GPS)."),
                         Seconds(c.median).c_str(), c.seconds));
  } else {
    out.push_back(Format(Tr("Report", "Часы регистратора отстают от времени GPS на %s с (медиана по %d с фрагмента со временем "
                           "GPS)."),
                         Seconds(-c.median).c_str(), c.seconds));
  }
  out.push_back(Format(Tr("Report", "Разница «регистратор минус GPS»: межквартильный размах %s с, от %s до %s с."),
                       Seconds(c.Spread()).c_str(), Seconds(c.min).c_str(), Seconds(c.max).c_str()));
  out.push_back(Tr("Report", "Время GPS взято из даты и времени сообщений RMC (UTC) и сравнено с отметкой времени записи той же "
                  "секунды; часовой пояс часов регистратора входит в разницу."));
  return out;
}

std::vector<std::string> EventLines(const ReportFacts& f) {
  if (!f.journalRead) {
    if (f.journalStatus.empty()) return {Tr("Report", "У этого источника нет журнала событий.")};
    return {Format(Tr("Report", "Журнал событий не прочитан: %s."), f.journalStatus.c_str())};
  }
  std::vector<std::string> out;
  if (!f.recorderId.empty()) out.push_back(Format(Tr("Report", "Регистратор по журналу: %s."), f.recorderId.c_str()));
  if (f.events.empty()) {
    out.push_back(Tr("Report", "В журнале регистратора нет событий за время фрагмента."));
    return out;
  }
  out.push_back(Format(Tr("Report", "Событий журнала за время фрагмента: %d."), int(f.events.size())));
  for (const ReportEvent& e : f.events) out.push_back(ReportMinuteText(e.time) + "  " + e.text);
  return out;
}

std::string PicturesSentence(const ReportFacts& f) {
  int minutes = 0;
  for (const ReportThumbnail& t : f.thumbnails) minutes += t.event < 0 ? 1 : 0;
  const int events = int(f.thumbnails.size()) - minutes;
  if (f.picturesLeftOut > 0)
    return Format(Tr("Report", "Кадров: %d — первая запись каждой минуты фрагмента (%d) и запись к каждому событию журнала "
                    "(%d). Кадров после них, не вошедших в отчёт: %d."),
                  int(f.thumbnails.size()), minutes, events, int(f.picturesLeftOut));
  return Format(Tr("Report", "Кадров: %d — первая запись каждой минуты фрагмента (%d) и запись к каждому событию журнала (%d)."),
                int(f.thumbnails.size()), minutes, events);
}

std::string ThumbnailCaption(const ReportFacts& f, const ReportThumbnail& t) {
  if (t.event >= 0 && size_t(t.event) < f.events.size()) {
    const ReportEvent& e = f.events[size_t(t.event)];
    return Format(Tr("Report", "%s, камера %d\nСобытие %s: %s"), ReportTimeText(t.time).c_str(), t.camera + 1,
                  ReportMinuteText(e.time).c_str(), e.text.c_str());
  }
  return Format(Tr("Report", "%s, камера %d"), ReportTimeText(t.time).c_str(), t.camera + 1);
}

std::string PageFootText(int page, int pages, const std::string& made) {
  return Format(Tr("Report", "Страница %d из %d. Отчёт составлен %s (UTC) программой QUOVIL."), page, pages, made.c_str());
}

}  // namespace quovil
