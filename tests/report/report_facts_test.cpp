// What the fragment report says, checked against the synthetic recorder:
// counts per camera and kind, the journal's events inside the fragment and
// their pictures, the recorder clock against GPS time, and the source with
// the digests of an image made of the card.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "card/source.h"
#include "export/card_image.h"
#include "gps/telemetry.h"
#include "journal/journal_log.h"
#include "mkcard/mkcard.h"
#include "report/report_facts.h"
#include "report/report_text.h"
#include "support/card_source.h"
#include "support/files.h"
#include "support/recording_host.h"
#include "viewer/viewer.h"

namespace {

using namespace quovil;

class Quiet : public WorkProgress {
 public:
  void Begin(const std::string&, const std::string&, int) override {}
  void Step(int) override {}
  bool Cancelled() override { return false; }
  void End() override {}
};

// The recorder's own words for why it took a record (format 2 flag bytes).
RecordKind KindOfRecorderFlag(uint8_t flag) {
  switch (flag & 0x7C) {
    case 0x00: return RecordKind::Manual;
    case 0x04: return RecordKind::External;
    case 0x08: return RecordKind::Motion;
    case 0x10: return RecordKind::Timer;
    case 0x20: return RecordKind::Sound;
    default: return RecordKind::Error;
  }
}

int64_t Key(const TimeStamp& t) { return SecondKey(t); }

TimeStamp At(int hour, int minute, int second) { return {15, 6, 24, uint8_t(hour), uint8_t(minute), uint8_t(second)}; }

class ReportFactsTest : public ::testing::Test {
 protected:
  // Opens a card made with o and gathers the facts of the marks.
  ReportFacts Gather(mkcard::Options o, const std::string& start, const std::string& end) {
    card_ = folder_ / "card.img";
    truth_ = mkcard::WriteCard(o, card_);
    EXPECT_EQ(truth_.format, o.format);
    EXPECT_TRUE(test::OpenCardImage(v_, card_, test::Access::ReadOnly));
    v_.SetMarks(start, end);
    fragment_ = v_.MarkedFragment(-1);
    EXPECT_EQ(fragment_.status, Viewer::Fragment::Status::Ok);
    Quiet progress;
    const TelemetryIndex telemetry = BuildTelemetryIndex(v_.source(), progress);
    Journal journal;
    journal.ReadJournalFromCard(v_.source());
    return GatherReportFacts(v_.source(), fragment_.indices, telemetry, o.journal ? &journal : nullptr);
  }

  test::ScratchFolder folder_;
  test::RecordingHost host_;
  Viewer v_{host_};
  std::string card_;
  mkcard::Recorded truth_;
  Viewer::Fragment fragment_;
};

TEST_F(ReportFactsTest, CountsBoundsAndMinutePicturesAreTheRecordersOwn) {
  mkcard::Options o;
  o.format = 2;
  o.records = 600;  // 12:00:00 .. 12:02:29 at four a second
  o.sound = false;
  const ReportFacts f = Gather(o, "15.06.2024 12:00:10", "15.06.2024 12:01:20");
  std::array<std::array<int, kRecordKindCount>, 2> want{};
  int records = 0;
  std::map<int64_t, int> firstOfMinute;  // minute -> catalogue index, in recording order
  for (int i : truth_.order) {
    const mkcard::Frame& fr = truth_.frames[size_t(i)];
    if (Key(fr.time) < Key(At(12, 0, 10)) || Key(fr.time) > Key(At(12, 1, 20))) continue;
    ++want[size_t(fr.camera)][size_t(KindOfRecorderFlag(fr.flag))];
    ++records;
    firstOfMinute.emplace(MinuteKey(fr.time), i);
  }
  EXPECT_EQ(f.records, records);
  EXPECT_EQ(f.counts, want);
  EXPECT_EQ(f.perCamera[0] + f.perCamera[1], records);
  EXPECT_EQ(f.first, At(12, 0, 10));
  EXPECT_EQ(f.last, At(12, 1, 20));
  ASSERT_EQ(f.thumbnails.size(), 2u);
  for (const ReportThumbnail& t : f.thumbnails) {
    EXPECT_EQ(t.event, -1);
    EXPECT_EQ(t.index, firstOfMinute.at(MinuteKey(t.time)));
    EXPECT_EQ(t.camera, truth_.frames[size_t(t.index)].camera);
  }
  // The table's total row says the same.
  const auto table = CountTable(f);
  EXPECT_EQ(table.back(), (std::vector<std::string>{"Всего", std::to_string(f.perCamera[0]),
                                                    std::to_string(f.perCamera[1]), std::to_string(records)}));
}

TEST_F(ReportFactsTest, TheJournalsEventsInsideTheFragmentEachGetThePictureOfTheirMinute) {
  mkcard::Options o;
  o.format = 2;
  o.records = 600;
  o.sound = false;
  o.journal = true;
  o.events = {{At(11, 59, 0), 1, 1}, {At(12, 0, 0), 2, 1}, {At(12, 1, 0), 1, 5}, {At(12, 2, 0), 1, 8},
              {At(12, 5, 0), 2, 2}};
  const ReportFacts f = Gather(o, "15.06.2024 12:00:10", "15.06.2024 12:02:05");
  EXPECT_TRUE(f.journalRead);
  ASSERT_EQ(f.events.size(), 3u);
  EXPECT_EQ(f.events[0].text, "Карта установлена");
  EXPECT_EQ(f.events[1].text, "Режим записи");
  EXPECT_EQ(f.events[2].text, "Вход в меню");
  EXPECT_EQ(f.events[1].time, At(12, 1, 0));
  // Three minutes and three events; an event's picture is the first record
  // of the fragment at or after its minute.
  ASSERT_EQ(f.thumbnails.size(), 6u);
  std::vector<int> events;
  for (const ReportThumbnail& t : f.thumbnails) {
    if (t.event < 0) continue;
    events.push_back(t.event);
    const TimeStamp want = t.event == 0 ? At(12, 0, 10) : f.events[size_t(t.event)].time;
    EXPECT_EQ(t.time, want) << t.event;
  }
  EXPECT_EQ(events, (std::vector<int>{0, 1, 2}));
  for (size_t k = 1; k < f.thumbnails.size(); ++k)
    EXPECT_LE(Key(f.thumbnails[k - 1].time), Key(f.thumbnails[k].time));
  const std::vector<std::string> lines = EventLines(f);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "15.06.2024 12:01  Режим записи"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Событий журнала за время фрагмента: 3."), lines.end());
  EXPECT_EQ(ThumbnailCaption(f, f.thumbnails.back()).find("\nСобытие 15.06.2024 12:02: Вход в меню"),
            ThumbnailCaption(f, f.thumbnails.back()).find('\n'));
}

TEST_F(ReportFactsTest, ACardMadeWithAKnownGpsClockOffsetGivesItBack) {
  mkcard::Options o;
  o.format = 2;
  o.records = 240;  // sixty seconds
  o.sound = false;
  o.gpsClockOffset = -125;  // the receiver two minutes and five seconds behind
  o.badChecksumEvery = 5;   // these seconds' RMC sentences are not believed
  const ReportFacts f = Gather(o, "15.06.2024 12:00:00", "15.06.2024 12:00:59");
  EXPECT_EQ(f.clock.seconds, 48);
  EXPECT_DOUBLE_EQ(f.clock.median, 125);
  EXPECT_DOUBLE_EQ(f.clock.Spread(), 0);
  const std::vector<std::string> s = ClockSentences(f.clock);
  ASSERT_FALSE(s.empty());
  EXPECT_EQ(s[0], "Часы регистратора спешат относительно времени GPS на 125.0 с (медиана по 48 с фрагмента со временем GPS).");
}

TEST_F(ReportFactsTest, WithoutGpsTheOffsetIsSaidToBeUnknown) {
  mkcard::Options o;
  o.format = 2;
  o.records = 40;
  o.gps = false;
  const ReportFacts f = Gather(o, "15.06.2024 12:00:00", "15.06.2024 12:00:09");
  EXPECT_EQ(f.clock.seconds, 0);
  EXPECT_EQ(ClockSentences(f.clock).front().rfind("Во фрагменте нет секунд со временем GPS", 0), 0u);
  // No journal asked for: none is named.
  EXPECT_FALSE(f.journalRead);
  EXPECT_EQ(EventLines(f), std::vector<std::string>{"У этого источника нет журнала событий."});
}

TEST(ClockOffset, MedianAndInterquartileRangeOverTheSecondsWithGpsTime) {
  std::vector<TelemetrySecond> seconds;
  auto second = [&](TimeStamp t, int gh, int gm, double gs, int day = 15) {
    TelemetrySecond s;
    s.time = t;
    s.infoIndex = int(seconds.size());
    s.gps.hasTime = s.gps.hasDate = true;
    s.gps.hour = gh, s.gps.minute = gm, s.gps.second = gs;
    s.gps.day = day, s.gps.month = 6, s.gps.year = 2024;
    seconds.push_back(s);
  };
  second(At(12, 0, 10), 12, 0, 9);      // +1
  second(At(12, 0, 11), 12, 0, 9);      // +2
  second(At(12, 0, 12), 12, 0, 9);      // +3
  second(At(12, 0, 13), 12, 0, 9);      // +4
  second(At(12, 0, 14), 11, 58, 34);    // +100
  second({16, 6, 24, 0, 0, 5}, 23, 59, 50.5);  // +14.5 across midnight
  TelemetrySecond noDate = seconds[0];
  noDate.gps.hasDate = false;
  seconds.push_back(noDate);
  TelemetrySecond noBlock = seconds[0];
  noBlock.infoIndex = -1;
  seconds.push_back(noBlock);

  double d = 0;
  ASSERT_TRUE(RecorderMinusGps(seconds[5], d));
  EXPECT_DOUBLE_EQ(d, 14.5);
  EXPECT_FALSE(RecorderMinusGps(seconds[6], d));
  const ClockOffset c = ClockOffsetOf(seconds);
  EXPECT_EQ(c.seconds, 6);
  EXPECT_DOUBLE_EQ(c.median, 3.5);  // 1 2 3 4 14.5 100
  EXPECT_DOUBLE_EQ(c.q1, 2.25);
  EXPECT_DOUBLE_EQ(c.q3, 11.875);
  EXPECT_DOUBLE_EQ(c.min, 1);
  EXPECT_DOUBLE_EQ(c.max, 100);
  EXPECT_EQ(ClockSentences(c)[0],
            "Часы регистратора спешат относительно времени GPS на 3.5 с (медиана по 6 с фрагмента со временем GPS).");
  ClockOffset behind = c;
  behind.median = -2;
  EXPECT_EQ(ClockSentences(behind)[0].rfind("Часы регистратора отстают от времени GPS на 2.0 с", 0), 0u);
  behind.median = 0.01;
  EXPECT_EQ(ClockSentences(behind)[0].rfind("Часы регистратора совпадают с временем GPS", 0), 0u);
}

TEST(ReportSourceText, NumbersAndTheFieldsOfTheProgramsOwnJson) {
  EXPECT_EQ(GroupedDigits(0), "0");
  EXPECT_EQ(GroupedDigits(999), "999");
  EXPECT_EQ(GroupedDigits(1073741824), "1 073 741 824");
  const std::string json = "{\n  \"device\": \"/dev/sdb \\\"card\\\"\",\n  \"md5\" : \"abc\",\n  \"bytes\": 5\n}";
  EXPECT_EQ(JsonStringField(json, "device"), "/dev/sdb \"card\"");
  EXPECT_EQ(JsonStringField(json, "md5"), "abc");
  EXPECT_EQ(JsonStringField(json, "bytes"), "");
  EXPECT_EQ(JsonStringField(json, "serial"), "");
  EXPECT_EQ(JsonStringField("{\"md5\": \"open", "md5"), "");
}

TEST_F(ReportFactsTest, AnImageMadeByTheViewerIsNamedWithItsDigestsAndAPlainOneWithout) {
  mkcard::Options o;
  o.format = 2;
  o.records = 40;
  const std::string original = folder_ / "original.img";
  ASSERT_EQ(mkcard::WriteCard(o, original).format, 2);
  const std::string image = folder_ / "evidence.img";
  {
    auto src = OpenReadOnlyFile(original);
    ASSERT_TRUE(src);
    Quiet progress;
    const CardImageResult made = WriteCardImage(*src, image, DeviceIdentity{original, {}, {}, {}}, progress);
    ASSERT_EQ(made.status, CardImageResult::Status::Done) << made.message;
    ASSERT_TRUE(test::OpenCardImage(v_, image, test::Access::ReadOnly));
    const ReportSource s = DescribeReportSource(v_.source());
    EXPECT_EQ(s.kind, ReportSource::Kind::Image);
    EXPECT_EQ(s.path.substr(s.path.size() - 13), "/evidence.img");
    EXPECT_EQ(s.bytes, int64_t(test::ReadBytes(original).size()));
    EXPECT_EQ(s.format, 2);
    EXPECT_EQ(s.imageSha256, made.sha256);
    EXPECT_EQ(s.imageMd5, made.md5);
    EXPECT_EQ(s.imageStarted, made.started);
    EXPECT_EQ(s.imageDevice, original);
    EXPECT_EQ(s.catalogueSha256.size(), 64u);
    const std::vector<std::string> text = SourceSentences(s);
    EXPECT_NE(std::find(text.begin(), text.end(), "SHA-256 образа при его снятии: " + made.sha256 + "."), text.end());
  }
  Viewer other(host_);
  ASSERT_TRUE(test::OpenCardImage(other, original, test::Access::ReadOnly));
  const ReportSource plain = DescribeReportSource(other.source());
  EXPECT_TRUE(plain.imageSha256.empty());
  EXPECT_TRUE(plain.imageMd5.empty());
  const std::vector<std::string> text = SourceSentences(plain);
  EXPECT_NE(std::find(text.begin(), text.end(), "Рядом с образом нет записанных при его снятии контрольных сумм."),
            text.end());
}

}  // namespace
