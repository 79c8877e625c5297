// What the report of a marked fragment says, gathered from the open source
// without Qt: where the records come from (and the digests of an image made
// of the card), the fragment's bounds and counts, the journal's events inside
// it, the pictures to show and the recorder clock against GPS time.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "card/catalogue.h"
#include "card/korax.h"
#include "gps/telemetry.h"

namespace quovil {

struct Source;
class Journal;
class WorkProgress;

// At most this many pictures: a damaged catalogue whose every record has a
// minute of its own must not make a report of thousands of pages.
inline constexpr size_t kReportMaxPictures = 1500;

struct ReportSource {
  enum class Kind { Card, Image, Archive };
  Kind kind = Kind::Card;
  std::string path;     // the device, image or archive file
  int64_t bytes = -1;   // its size
  int format = -1;      // the card format
  std::string vendor, model, serial;  // of a device, where the system says
  // The digests of an image made by the viewer (its ".sha256" and ".json"
  // beside it), and when it was read; empty when none was found.
  std::string imageSha256, imageMd5, imageStarted, imageEnded, imageDevice;
  // The card's identity: the SHA-256 of its boot sector, state tables and
  // catalogue, read now from a card, or recorded beside an archive when it
  // was saved ("<archive>.card.json"); empty when not known.
  std::string bootSha256, stateSha256, catalogueSha256, identityDevice;
};

// Sees what the source is and what lies beside it.
ReportSource DescribeReportSource(const Source& src);

// The value of a string field of a small JSON text written by this program
// (the image report, the card identity); empty when missing.
std::string JsonStringField(const std::string& text, const std::string& key);

// The recorder clock against GPS time over the seconds of a fragment:
// recorder time minus the RMC date and time, in seconds (positive: the
// recorder's clock is ahead).
struct ClockOffset {
  int seconds = 0;  // recorded seconds with a GPS date and time
  double median = 0, q1 = 0, q3 = 0, min = 0, max = 0;
  double Spread() const { return q3 - q1; }
};

// The difference of one second; false when its GPS record gives no date and time.
bool RecorderMinusGps(const TelemetrySecond& s, double& offset);
ClockOffset ClockOffsetOf(const std::vector<TelemetrySecond>& seconds);
// The quantile p (0..1) of sorted values, interpolated between neighbours.
double Quantile(const std::vector<double>& sorted, double p);

// Seconds since 1 Jan 2000 of a civil date and time (four-digit year).
int64_t CivilSeconds(int year, int month, int day, int hour, int minute, int second);

struct ReportEvent {
  TimeStamp time;  // the journal's minute (second 0)
  int code = 0, data = 0;
  std::string text;
};

struct ReportThumbnail {
  int32_t index = -1;  // catalogue index of the record shown
  TimeStamp time;      // its time stamp
  int camera = 0;
  int event = -1;      // the event of ReportFacts::events it shows, -1: the minute's first record
};

struct ReportFacts {
  ReportSource source;
  int records = 0;
  TimeStamp first, last;  // the earliest and the latest time stamp of the fragment
  // Records per camera and kind (RecordKind, why the recorder took them).
  std::array<std::array<int, kRecordKindCount>, 2> counts{};
  std::array<int, 2> perCamera{};
  // The journal: whether the source has one, what reading it said, and its
  // events from the fragment's first minute to its last.
  bool journalRead = false;
  std::string journalStatus;
  std::string recorderId;  // the recorder's identifier in the journal's header
  std::vector<ReportEvent> events;
  std::vector<ReportThumbnail> thumbnails;  // in time order, at most kReportMaxPictures
  size_t picturesLeftOut = 0;               // those beyond the limit
  ClockOffset clock;
};

// indices: the fragment's catalogue indices in selection order. journal:
// the journal read from the source (null when the source has none).
ReportFacts GatherReportFacts(const Source& src, const std::vector<int32_t>& indices,
                              const TelemetryIndex& telemetry, const Journal* journal);

// What the report of these records needs from the source: the telemetry
// index (the cached one when there is one, else built and reported through
// progress), the journal of a card that has one, and then the facts.
// Cancelled leaves *cancelled true (when given) and the facts incomplete.
ReportFacts CollectReportFacts(const Source& src, const std::vector<int32_t>& indices, WorkProgress& progress,
                               bool* cancelled = nullptr);

}  // namespace quovil
