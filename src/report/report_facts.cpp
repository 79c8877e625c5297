#include "report/report_facts.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <set>

#include "card/source.h"
#include "card/source_format.h"
#include "export/card_identity.h"
#include "export/card_image.h"
#include "gps/telemetry_cache.h"
#include "journal/journal_log.h"
#include "platform/checksum_file.h"
#include "platform/device_identity.h"
#include "platform/utf8_file.h"

namespace quovil {

namespace {

// A small text file beside the source; empty when missing or implausibly large.
std::string ReadSmallText(const std::string& path) {
  std::FILE* f = OpenFileUtf8(path, "rb");
  if (!f) return {};
  std::string text;
  char buf[4096];
  size_t n = 0;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0 && text.size() < (1u << 20)) text.append(buf, n);
  std::fclose(f);
  return text.size() < (1u << 20) ? text : std::string();
}

// The digest a sidecar gives: its first word when it is 64 hex digits.
std::string SidecarDigest(const std::string& text) {
  const size_t end = text.find_first_of(" \t\r\n");
  std::string hex = text.substr(0, end);
  if (!hex.empty() && hex[0] == '\\') hex.erase(0, 1);
  if (hex.size() != 64 || !std::all_of(hex.begin(), hex.end(), [](unsigned char c) { return std::isxdigit(c); }))
    return {};
  return hex;
}

void TakeIdentity(const std::string& json, ReportSource& r) {
  r.bootSha256 = JsonStringField(json, "bootSectorSha256");
  r.stateSha256 = JsonStringField(json, "stateTablesSha256");
  r.catalogueSha256 = JsonStringField(json, "catalogueSha256");
  r.identityDevice = JsonStringField(json, "device");
}

// A file named as given on the command line is named in full in the report.
std::string FullName(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(PathFromUtf8(path), ec);
  return ec ? path : PathToUtf8(full.lexically_normal());
}

bool IsRegularFile(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(PathFromUtf8(path), ec);
}

int64_t DaysFromCivil(int y, int m, int d) {
  // Days since 1 Jan 1970 of the proleptic Gregorian calendar.
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

}  // namespace

std::string JsonStringField(const std::string& text, const std::string& key) {
  const std::string quoted = "\"" + key + "\"";
  size_t at = text.find(quoted);
  if (at == std::string::npos) return {};
  at = text.find_first_not_of(" \t\r\n", at + quoted.size());
  if (at == std::string::npos || text[at] != ':') return {};
  at = text.find_first_not_of(" \t\r\n", at + 1);
  if (at == std::string::npos || text[at] != '"') return {};
  std::string value;
  for (size_t i = at + 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') return value;
    if (c == '\\' && i + 1 < text.size()) {
      const char e = text[++i];
      value += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
    } else {
      value += c;
    }
  }
  return {};  // not closed
}

ReportSource DescribeReportSource(const Source& src) {
  ReportSource r;
  r.bytes = src.SourceSize;
  if (!src.SourceIsCard) {
    r.kind = ReportSource::Kind::Archive;
    r.format = int(src.Archive.CardFormat);
    if (src.ArchiveStream) r.bytes = src.ArchiveStream->Length();
    TakeIdentity(ReadSmallText(CardIdentityName(src.ArchiveFileName)), r);
    r.path = FullName(src.ArchiveFileName);
    return r;
  }
  r.format = src.CardFormat;
  if (!src.Card) return r;
  const std::string name = src.Card->Name();
  r.path = name;
  r.bytes = src.Card->Length();
  if (IsRegularFile(name)) {
    r.kind = ReportSource::Kind::Image;
    r.path = FullName(name);
    r.imageSha256 = SidecarDigest(ReadSmallText(Sha256SidecarName(name)));
    const std::string json = ReadSmallText(ImageReportName(name));
    r.imageMd5 = JsonStringField(json, "md5");
    r.imageStarted = JsonStringField(json, "started");
    r.imageEnded = JsonStringField(json, "ended");
    r.imageDevice = JsonStringField(json, "device");
    if (r.imageSha256.empty()) r.imageSha256 = JsonStringField(json, "sha256");
  } else {
    const DeviceIdentity id = DescribeDevice(r.path);
    r.vendor = id.vendor, r.model = id.model, r.serial = id.serial;
  }
  std::string identity;
  if (CardIdentityText(src, identity)) TakeIdentity(identity, r);
  return r;
}

int64_t CivilSeconds(int year, int month, int day, int hour, int minute, int second) {
  return (DaysFromCivil(year, month, day) - DaysFromCivil(2000, 1, 1)) * 86400 + hour * 3600 + minute * 60 + second;
}

bool RecorderMinusGps(const TelemetrySecond& s, double& offset) {
  const GpsFix& g = s.gps;
  if (!g.hasTime || !g.hasDate) return false;
  const TimeStamp& t = s.time;
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || g.month < 1 || g.month > 12 || g.day < 1 ||
      g.day > 31)
    return false;
  const int64_t recorder = CivilSeconds(2000 + t.year, t.month, t.day, t.hour, t.minute, t.second);
  const int64_t gps = CivilSeconds(g.year, g.month, g.day, g.hour, g.minute, 0);
  offset = double(recorder - gps) - g.second;
  return true;
}

double Quantile(const std::vector<double>& sorted, double p) {
  if (sorted.empty()) return 0;
  const double at = p * double(sorted.size() - 1);
  const size_t lo = size_t(std::floor(at));
  const size_t hi = std::min(lo + 1, sorted.size() - 1);
  return sorted[lo] + (sorted[hi] - sorted[lo]) * (at - double(lo));
}

ClockOffset ClockOffsetOf(const std::vector<TelemetrySecond>& seconds) {
  std::vector<double> values;
  values.reserve(seconds.size());
  for (const TelemetrySecond& s : seconds) {
    double d = 0;
    if (s.infoIndex >= 0 && RecorderMinusGps(s, d)) values.push_back(d);
  }
  ClockOffset c;
  if (values.empty()) return c;
  std::sort(values.begin(), values.end());
  c.seconds = int(values.size());
  c.median = Quantile(values, 0.5);
  c.q1 = Quantile(values, 0.25);
  c.q3 = Quantile(values, 0.75);
  c.min = values.front();
  c.max = values.back();
  return c;
}

namespace {

void CountRecords(const Source& src, const std::vector<int32_t>& indices, ReportFacts& f) {
  bool any = false;
  for (int32_t i : indices) {
    const int cam = src.CameraOf(i);
    if (cam < 0) continue;
    const TimeStamp t = src.TimeOf(i);
    if (!any || SecondKey(t) < SecondKey(f.first)) f.first = t;
    if (!any || SecondKey(t) > SecondKey(f.last)) f.last = t;
    any = true;
    ++f.records;
    ++f.perCamera[size_t(cam)];
    ++f.counts[size_t(cam)][size_t(src.TriggerOf(i))];
  }
}

void TakeEvents(const Journal& journal, ReportFacts& f) {
  const int64_t from = MinuteKey(f.first), to = MinuteKey(f.last);
  for (const EventRow& row : journal.Rows) {
    JournalTime jt;
    if (row.IsSeparator() || !ParseRowTime(row.date, row.time, jt)) continue;
    const TimeStamp t{uint8_t(jt.day), uint8_t(jt.month), uint8_t(jt.year), uint8_t(jt.hour), uint8_t(jt.minute), 0};
    if (MinuteKey(t) < from || MinuteKey(t) > to) continue;
    f.events.push_back({t, row.code, row.data, row.text});
  }
  std::stable_sort(f.events.begin(), f.events.end(),
                   [](const ReportEvent& a, const ReportEvent& b) { return MinuteKey(a.time) < MinuteKey(b.time); });
}

// The first record of each minute, and for each event the first record at or
// after its minute, in time order (a minute's picture before its events').
void ChooseThumbnails(const Source& src, const std::vector<int32_t>& indices, ReportFacts& f) {
  std::vector<std::pair<int64_t, int32_t>> byTime;  // second key, index
  std::set<int64_t> minutes;
  for (int32_t i : indices) {
    if (src.CameraOf(i) < 0) continue;
    const TimeStamp t = src.TimeOf(i);
    byTime.emplace_back(SecondKey(t), i);
    if (minutes.insert(MinuteKey(t)).second) f.thumbnails.push_back({i, t, src.CameraOf(i), -1});
  }
  std::stable_sort(byTime.begin(), byTime.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (size_t e = 0; e < f.events.size(); ++e) {
    const int64_t key = MinuteKey(f.events[e].time) * 256;
    auto it = std::lower_bound(byTime.begin(), byTime.end(), key,
                               [](const auto& p, int64_t k) { return p.first < k; });
    if (it == byTime.end()) continue;
    f.thumbnails.push_back({it->second, src.TimeOf(it->second), src.CameraOf(it->second), int(e)});
  }
  std::stable_sort(f.thumbnails.begin(), f.thumbnails.end(), [](const ReportThumbnail& a, const ReportThumbnail& b) {
    const int64_t ka = SecondKey(a.time), kb = SecondKey(b.time);
    if (ka != kb) return ka < kb;
    return (a.event >= 0) < (b.event >= 0);
  });
  if (f.thumbnails.size() > kReportMaxPictures) {
    f.picturesLeftOut = f.thumbnails.size() - kReportMaxPictures;
    f.thumbnails.resize(kReportMaxPictures);
  }
}

}  // namespace

ReportFacts GatherReportFacts(const Source& src, const std::vector<int32_t>& indices, const TelemetryIndex& telemetry,
                              const Journal* journal) {
  ReportFacts f;
  f.source = DescribeReportSource(src);
  CountRecords(src, indices, f);
  if (journal) {
    f.journalRead = journal->FillCount > 0;
    f.journalStatus = journal->StatusPanels[0];
    if (f.journalRead) f.recorderId = journal->Header().DeviceId();
    if (f.records > 0) TakeEvents(*journal, f);
  }
  ChooseThumbnails(src, indices, f);
  f.clock = ClockOffsetOf(telemetry.SecondsOfRecords(indices));
  return f;
}


ReportFacts CollectReportFacts(const Source& src, const std::vector<int32_t>& indices, WorkProgress& progress,
                               bool* cancelled) {
  const TelemetryIndex telemetry = LoadOrBuildTelemetry(src, TelemetryCacheDir(), progress);
  if (cancelled) *cancelled = !telemetry.Complete();
  std::unique_ptr<Journal> journal;
  if (src.SourceIsCard && src.CardOpen && FormatOf(src).HasJournal()) {
    journal = std::make_unique<Journal>();
    journal->ReadJournalFromCard(src);
  }
  return GatherReportFacts(src, indices, telemetry, journal.get());
}

}  // namespace quovil
