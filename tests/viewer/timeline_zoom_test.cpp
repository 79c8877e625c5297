// The zoom of the time scale: the span's arithmetic (zooming around a time,
// kept within the day and to ten minutes), the lines, mark and label it
// draws, the click on a zoomed scale, and the return to the whole day.
#include <algorithm>
#include <climits>

#include "viewer/timeline.h"
#include "viewer_fixture.h"

namespace viewer_test {
namespace {

using namespace quovil;

constexpr int kNoon = 12 * 3600;
const TimeSpan kWholeDay{};

TEST(TimeSpanTest, ZoomKeepsThePointInPlaceAndStaysWithinTheDay) {
  // Around noon, the middle of the day: the span halves and stays centred.
  EXPECT_EQ(ZoomSpan(kWholeDay, 1, kNoon), (TimeSpan{6 * 3600, 12 * 3600}));
  EXPECT_EQ(ZoomSpan(ZoomSpan(kWholeDay, 1, kNoon), -1, kNoon), kWholeDay);
  // A time a third into the span is a third into the narrower one, which
  // starts on the nearest whole minute.
  EXPECT_EQ(ZoomSpan({10 * 3600, 3600}, 1, 10 * 3600 + 1200), (TimeSpan{10 * 3600 + 600, 1800}));
  EXPECT_EQ(ZoomSpan({10 * 3600, 3600}, 1, 10 * 3600 + 900), (TimeSpan{10 * 3600 + 480, 1800}));  // 450 s
  // At the day's ends the span starts at 00:00 or ends at 24:00.
  EXPECT_EQ(ZoomSpan(kWholeDay, 3, 0), (TimeSpan{0, 3 * 3600}));
  EXPECT_EQ(ZoomSpan(kWholeDay, 3, kDaySeconds), (TimeSpan{21 * 3600, 3 * 3600}));
  // Widening near an end pushes the span back inside the day.
  EXPECT_EQ(ZoomSpan({0, 3600}, -1, 600), (TimeSpan{0, 7200}));
  EXPECT_EQ(ZoomSpan({23 * 3600, 3600}, -1, 86000), (TimeSpan{22 * 3600, 7200}));
  // A time outside the span (the shown record scrolled out) becomes its middle.
  EXPECT_EQ(ZoomSpan({0, 3600}, 1, 14 * 3600), (TimeSpan{14 * 3600 - 900, 1800}));
}

TEST(TimeSpanTest, ZoomStopsAtTenMinutesAndAtTheWholeDay) {
  const TimeSpan narrowest = ZoomSpan(kWholeDay, 8, kNoon + 300);
  EXPECT_EQ(narrowest.length, kNarrowestSpan);
  EXPECT_EQ(ZoomSpan(narrowest, 1, kNoon + 300), narrowest);
  EXPECT_EQ(ZoomSpan(kWholeDay, 100, kNoon).length, kNarrowestSpan);
  EXPECT_EQ(ZoomSpan(kWholeDay, -1, kNoon), kWholeDay);
  EXPECT_EQ(ZoomSpan(narrowest, -100, 0), kWholeDay);
  // Each step one level: 24 h, 12 h, 6 h, 3 h, 2 h, 1 h, 30, 20, 10 minutes.
  TimeSpan s;
  std::vector<int> lengths;
  for (int k = 0; k < 9; ++k) lengths.push_back((s = ZoomSpan(s, 1, kNoon)).length);
  EXPECT_EQ(lengths, (std::vector<int>{43200, 21600, 10800, 7200, 3600, 1800, 1200, 600, 600}));
}

TEST(TimeSpanTest, NonsenseInputGivesASpanWithinTheDay) {
  for (const TimeSpan& in : {TimeSpan{-500, 0}, TimeSpan{INT_MAX, INT_MAX}, TimeSpan{INT_MIN, -7}})
    for (int steps : {INT_MIN, -1, 0, 1, INT_MAX})
      for (int at : {INT_MIN, -1, 0, kNoon, kDaySeconds, INT_MAX}) {
        const TimeSpan s = ZoomSpan(in, steps, at);
        EXPECT_GE(s.start, 0);
        EXPECT_GE(s.length, kNarrowestSpan);
        EXPECT_LE(s.End(), kDaySeconds);
      }
}

TEST(TimeSpanTest, TimeAndColumnOfAZoomedSpan) {
  const TimeSpan tenMinutes{kNoon, 600};
  // 602 pixels: 600 columns inside the border, a second each.
  EXPECT_EQ(SecondAtX(tenMinutes, 1, 602), kNoon);
  EXPECT_EQ(SecondAtX(tenMinutes, 301, 602), kNoon + 300);
  EXPECT_EQ(SecondAtX(tenMinutes, 601, 602), kNoon + 600);
  EXPECT_EQ(XOfSecond(tenMinutes, 602, kNoon + 300), 301);
  EXPECT_LT(XOfSecond(tenMinutes, 602, kNoon - 60), 1);     // left of the box
  EXPECT_GT(XOfSecond(tenMinutes, 602, kNoon + 660), 601);  // right of it
  // Each minute of the span fills a sixtieth of the strip.
  EXPECT_EQ(MinutesOfColumn(tenMinutes, 600, 0), (MinuteRange{720, 721}));
  EXPECT_EQ(MinutesOfColumn(tenMinutes, 600, 59), (MinuteRange{720, 721}));
  EXPECT_EQ(MinutesOfColumn(tenMinutes, 600, 60), (MinuteRange{721, 722}));
  EXPECT_EQ(MinutesOfColumn(tenMinutes, 600, 599), (MinuteRange{729, 730}));
}

// The whole day keeps its old rules: the pointer's minute (x - 1) * 1440 /
// (W - 2), and a strip column marked by any of the minutes x * 1440 / n up
// to (x + 1) * 1440 / n.
TEST(TimeSpanTest, TheWholeDayMapsAsItAlwaysDid) {
  for (int W : {40, 98, 683, 1442, 2000})
    for (int x = 1; x < W; ++x) ASSERT_EQ(SecondAtX(kWholeDay, x, W) / 60, (x - 1) * 1440 / (W - 2)) << W << " " << x;
  for (int n : {37, 500, 1439})
    for (int x = 0; x < n; ++x) {
      const int from = x * 1440 / n;
      ASSERT_EQ(MinutesOfColumn(kWholeDay, n, x), (MinuteRange{from, std::max(from + 1, (x + 1) * 1440 / n)}));
    }
}

TEST(TimeSpanTest, LinesOfTheSpan) {
  const auto at = [](std::initializer_list<std::pair<int, bool>> lines) {
    std::vector<ScaleLine> out;
    for (auto [x, hour] : lines) out.push_back({x, hour});
    return out;
  };
  // The whole day: 06:00, 12:00 and 18:00 only.
  EXPECT_EQ(ScaleLines(kWholeDay, 98), at({{25, true}, {49, true}, {73, true}}));
  // 11:30 - 12:30 in 360 columns: ticks every five minutes, red at 12:00.
  const std::vector<ScaleLine> hour = ScaleLines({11 * 3600 + 1800, 3600}, 362);
  ASSERT_EQ(hour.size(), 11u);
  EXPECT_EQ(hour[0], (ScaleLine{31, false}));
  EXPECT_EQ(hour[5], (ScaleLine{181, true}));
  // Ten minutes from noon: a tick each minute, the ends on the border drawn by none.
  const std::vector<ScaleLine> ten = ScaleLines({kNoon, 600}, 602);
  ASSERT_EQ(ten.size(), 9u);
  EXPECT_EQ(ten.front(), (ScaleLine{61, false}));
  EXPECT_EQ(ten.back(), (ScaleLine{541, false}));
  // Twelve hours: every hour red, half hours between.
  const std::vector<ScaleLine> half = ScaleLines({6 * 3600, 12 * 3600}, 1442);
  EXPECT_EQ(half.size(), 23u);
  EXPECT_EQ(std::count_if(half.begin(), half.end(), [](const ScaleLine& l) { return l.hour; }), 11);
}

TEST(TimeSpanTest, MarkAndLabelOfTheSpan) {
  // The whole day places the mark by the minute, seconds aside.
  EXPECT_EQ(ShownMark(kWholeDay, 1442, 25, kNoon + 59), MinuteMark(1442, 25, 720));
  // Zoomed, by the second; nothing when the record lies outside the span.
  EXPECT_EQ(ShownMark({kNoon, 600}, 602, 25, kNoon + 30), (BoxRect{30, 2, 33, 23}));
  EXPECT_EQ(ShownMark({kNoon, 600}, 602, 25, kNoon - 1), std::nullopt);
  EXPECT_EQ(ShownMark({kNoon, 600}, 602, 25, kNoon + 601), std::nullopt);

  EXPECT_EQ(SpanLabel({kNoon, 600}), "12:00 – 12:10");
  EXPECT_EQ(SpanLabel({kNoon + 30, 600}), "12:00:30 – 12:10:30");
  EXPECT_EQ(SpanLabel({kDaySeconds - 600, 600}), "23:50 – 24:00");
  EXPECT_EQ(SpanLabel({0, 3600}), "00:00 – 01:00");
}

class TimelineZoomTest : public ViewerTest {
 protected:
  // A box of 602 pixels: on ten minutes, one column a second.
  static constexpr int kW = 602;
  void ZoomAt(int steps, int t) { v.UseBoxZoom(steps, XOfSecond(v.timeline().Span, kW, t), kW); }
  void ClickAtX(int x) {
    v.UseBoxMouseMove(x, 2, kW, 25);
    v.UseBoxClick();
  }
};

TEST_F(TimelineZoomTest, AClickOnTheZoomedScaleTakesTheTimeOfTheShownSpan) {
  Format2({{0, 0x04, At(8, 0, 0)}, {0, 0x04, At(12, 3, 10)}, {0, 0x04, At(12, 5, 0)}, {0, 0x04, At(12, 7, 30)},
           {0, 0x04, At(16, 0, 0)}});
  v.RebuildSelection();
  ZoomAt(100, kNoon + 300);
  const TimeSpan s = v.timeline().Span;
  ASSERT_EQ(s.length, 600);
  ASSERT_TRUE(s.start <= kNoon + 180 && s.End() >= kNoon + 480);  // 12:03 to 12:08 on the box
  // One column a second from s.start at x = 1.
  const auto x = [&](int t) { return 1 + t - s.start; };
  ClickAtX(x(kNoon + 190));
  EXPECT_EQ(v.selection().Pos(), 1);
  EXPECT_EQ(v.statusPanels()[3], "   12:03");
  ClickAtX(x(kNoon + 455));
  EXPECT_EQ(v.selection().Pos(), 3);
  ClickAtX(x(kNoon + 240));  // 12:04, a minute from both: the rule takes the earlier
  EXPECT_EQ(v.selection().Pos(), 1);
  ClickAtX(x(kNoon + 300));
  EXPECT_EQ(v.selection().Pos(), 2);
  // The box's left end, about 12:00, finds the nearest record, not 08:00.
  ClickAtX(1);
  EXPECT_EQ(v.selection().Pos(), 1);
  // The whole day again: the same column is early morning.
  v.UseBoxZoom(-100, 300, kW);
  EXPECT_TRUE(v.timeline().Span.WholeDay());
  ClickAtX(x(kNoon + 190));
  EXPECT_EQ(v.selection().Pos(), 0);
}

TEST_F(TimelineZoomTest, PlusAndMinusZoomAroundTheShownRecord) {
  Format2({{0, 0x04, At(0, 0, 0)}, {0, 0x04, At(23, 58, 30)}});
  v.RebuildSelection();
  v.ShowPosition(0);
  v.UseBoxZoomAtMark(100);  // around 00:00: the span starts there
  EXPECT_EQ(v.timeline().Span, (TimeSpan{0, 600}));
  v.ShowPosition(1);  // the same day: the zoom stays, the mark is outside
  v.UseBoxZoomAtMark(-1);
  EXPECT_EQ(v.timeline().Span, (TimeSpan{kDaySeconds - 1200, 1200}));
  v.UseBoxZoomAtMark(-100);
  EXPECT_TRUE(v.timeline().Span.WholeDay());
}

TEST_F(TimelineZoomTest, TheZoomIsForgottenForAnotherDayOrSource) {
  const std::vector<Rec> recs{{0, 0x04, At(9, 0, 0)}, {0, 0x04, At(10, 0, 0)}, {0, 0x04, At(9, 0, 0, 16)}};
  Format2(recs);
  v.RebuildSelection();
  ZoomAt(3, 9 * 3600);
  const TimeSpan zoomed = v.timeline().Span;
  ASSERT_FALSE(zoomed.WholeDay());
  // The same day, shown again or filtered anew, keeps it.
  v.ShowPosition(1);
  v.ActionRefreshExecute();
  EXPECT_EQ(v.timeline().Span, zoomed);
  // Another day does not, nor coming back.
  v.ShowPosition(2);
  EXPECT_TRUE(v.timeline().Span.WholeDay());
  v.ShowPosition(0);
  ZoomAt(3, 9 * 3600);
  ASSERT_FALSE(v.timeline().Span.WholeDay());
  // A card put in or an archive opened starts on the whole day, the same day too.
  ASSERT_TRUE(InsertCard(Format2Card(recs)));
  v.RebuildSelection();
  EXPECT_TRUE(v.timeline().Span.WholeDay());
  ZoomAt(3, 9 * 3600);
  ASSERT_FALSE(v.timeline().Span.WholeDay());
  Archive(2, recs);
  EXPECT_TRUE(v.timeline().Span.WholeDay());
}

TEST_F(TimelineZoomTest, NoZoomWithoutRecordsOrOutsideTheBox) {
  v.UseBoxZoom(1, 300, kW);  // nothing open
  v.UseBoxZoomAtMark(1);
  EXPECT_TRUE(v.timeline().Span.WholeDay());
  Format2({{0, 0x04, At(9, 0, 0)}});
  v.RebuildSelection();
  v.UseBoxZoom(1, 0, kW);
  v.UseBoxZoom(1, kW, kW);
  v.UseBoxZoom(1, 1, 2);
  EXPECT_TRUE(v.timeline().Span.WholeDay());
}

}  // namespace
}  // namespace viewer_test
