// The viewing widgets on a synthetic card: clicks pick cameras, the bars edit
// the active camera's settings, the calendar marks the recorded days, and
// every widget and window arrangement is grabbed to build/screens/ for a look.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QMenu>
#include <QTableView>
#include <QTest>
#include <QTextCharFormat>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <optional>

#include "mkcard/mkcard.h"
#include "platform/block_device.h"
#include "support/card_source.h"
#include "support/qt/screenshots.h"
#include "support/qt/test_app.h"
#include "support/recording_host.h"
#include "viewer/bottom_panel.h"
#include "viewer/grey_palette.h"
#include "viewer/image_box.h"
#include "viewer/marks.h"
#include "viewer/SelectDay.h"
#include "viewer/settings_panel.h"
#include "viewer/use_box.h"
#include "viewer/viewer.h"
#include "support/viewer_probe.h"

using quovil::test::ViewerProbe;

// Fontconfig keeps its pattern caches until the process ends; they are not the
// program's leaks. Weak, so that another test file of this program may give
// its own list.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

using namespace quovil;

mkcard::Options TwoCameraCard() {
  mkcard::Options o;
  o.format = 2;
  o.width = 320;
  o.height = 256;
  o.records = 240;
  o.framesPerSecond = 2;  // two minutes of records
  o.start = {15, 6, 24, 10, 15, 0};
  return o;
}

class WidgetsTest : public ::testing::Test {
 protected:
  WidgetsTest() { EnsureTestApp(); }

  void Open(const mkcard::Options& o) {
    truth = std::make_unique<mkcard::Recorded>();
    ASSERT_TRUE(test::OpenCardBytes(v, mkcard::MakeCard(o, truth.get()))) << v.noSourceText();
    ASSERT_GT(v.selection().Count(), 0);
  }

  // Shows the first record of each camera, camera `last` last.
  void ShowBoth(int last = 0) {
    v.ShowPosition(v.NextPosOfCamera(-1, 1 - last));
    v.ShowPosition(v.NextPosOfCamera(-1, last));
  }

  static QPoint Centre(const DisplayState::Rect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
  static bool Holds(const DisplayState::Rect& r, QPoint p) {
    return p.x() >= r.left && p.x() <= r.right && p.y() >= r.top && p.y() <= r.bottom;
  }

  static double MeanGrey(const Picture8& pic) {
    double sum = 0;
    for (int y = 0; y < pic.height; ++y)
      for (int x = 0; x < pic.width; ++x) sum += pic.Row(y)[x];
    return sum / (double(pic.width) * pic.height);
  }

  // The widget's picture at its size, with more than its background in it.
  static QImage Save(QWidget& w, const char* name, int colours = 3) {
    return test::SaveDrawnScreenshot(w, QLatin1String(name), colours);
  }

  // Passes the viewer's repaint requests on to the widgets under test.
  void Forward(ImageBox* image, BottomPanel* bottom = nullptr, SettingsPanel* settings = nullptr) {
    host.onRepaint = [=](unsigned flags) {
      if (image) image->Refresh(flags);
      if (bottom) bottom->Refresh(flags);
      if (settings) settings->Refresh(flags);
    };
  }

  test::RecordingHost host;
  Viewer v{host};
  std::unique_ptr<mkcard::Recorded> truth;
};

TEST(GreyPaletteTest, IndexIsGreyLevelAndRowsKeepTheirPadding) {
  const QList<QRgb> palette = GreyPalette();
  ASSERT_EQ(palette.size(), 256);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(palette[i], qRgb(i, i, i));

  Picture8 pic;
  pic.Resize(5, 3);  // stride 8: the padding must not shift the rows
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) pic.Row(y)[x] = uint8_t(40 * y + 7 * x);
  const QImage image = CameraImage(pic);
  ASSERT_EQ(image.format(), QImage::Format_Indexed8);
  ASSERT_EQ(image.size(), QSize(5, 3));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(image.pixel(x, y), qRgb(40 * y + 7 * x, 40 * y + 7 * x, 40 * y + 7 * x));

  EXPECT_TRUE(CameraImage(Picture8{}).isNull());
}

TEST_F(WidgetsTest, ClickInTheSmallWindowOfWindowInWindowPicksItsCamera) {
  Open(TwoCameraCard());
  ImageBox box(v);
  box.resize(682, 380);
  v.VIEW_Click(2);  // "Окно в окне": camera 1 large, camera 2 small
  ASSERT_EQ(v.disp().ViewLayout, 2);
  ASSERT_EQ(v.selection().ActiveCamera(), 0);
  box.grab();  // painting places the pictures

  const QPoint inSmall = Centre(v.CameraRect(1));
  ASSERT_TRUE(Holds(v.CameraRect(0), inSmall)) << "the small window lies over the large one";
  QTest::mouseClick(&box, Qt::LeftButton, {}, inSmall);
  EXPECT_EQ(v.selection().ActiveCamera(), 1);

  const auto& large = v.CameraRect(0);
  QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(large.left + 20, large.bottom - 20));
  EXPECT_EQ(v.selection().ActiveCamera(), 0);
}

TEST_F(WidgetsTest, PicturesAreStretchedSmoothly) {
  Open(TwoCameraCard());
  ImageBox box(v);
  box.resize(682, 450);
  v.VIEW_Click(1);
  Picture8& pic = ViewerProbe::Bitmaps(v)[0];
  for (int y = 0; y < pic.height; ++y)
    for (int x = 0; x < pic.width; ++x) pic.Row(y)[x] = x % 2 ? 255 : 0;
  const QImage shot = box.grab().toImage();
  const auto& r = v.CameraRect(0);
  ASSERT_GT(r.right - r.left, pic.width) << "the picture is enlarged";
  int between = 0;
  for (int x = r.left + 4; x < r.right - 4; ++x) {
    const int g = qGray(shot.pixel(x, (r.top + r.bottom) / 2));
    if (g > 40 && g < 215) ++between;
  }
  EXPECT_GT(between, (r.right - r.left) / 4) << "stripes blend at their edges instead of jumping";
}

TEST_F(WidgetsTest, DoubleClickStepsTheLayoutAndTicksItsMenuItem) {
  Open(TwoCameraCard());
  ImageBox box(v);
  box.resize(682, 380);
  box.grab();
  const QPoint onCamera1 = Centre(v.CameraRect(0));
  QTest::mouseDClick(&box, Qt::LeftButton, {}, onCamera1);
  EXPECT_EQ(v.disp().ViewLayout, 1);
  EXPECT_TRUE(box.VIEW1->isChecked());
  EXPECT_FALSE(box.VIEW2->isChecked());
}

TEST_F(WidgetsTest, MenuItemsCarryTheirShortcutsAndChooseTheLayout) {
  Open(TwoCameraCard());
  ImageBox box(v);
  EXPECT_EQ(box.VIEW3->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_3));
  EXPECT_EQ(box.VIEW_SWAP->shortcut(), QKeySequence(Qt::Key_Tab));
  EXPECT_EQ(box.N1->text(), QStringLiteral("Настройка параметров"));
  v.ActionChannel2Execute();
  box.VIEW1->trigger();  // "Одно окно" with camera 2 active
  EXPECT_EQ(v.disp().ViewLayout, 5);
  EXPECT_TRUE(box.VIEW1->isChecked());
  box.VIEW_SWAP->trigger();
  EXPECT_EQ(v.disp().ViewLayout, 1);
}

TEST_F(WidgetsTest, ClickOnCamera2StripMakesCamera2ActiveAndShowsItsRecord) {
  Open(TwoCameraCard());
  UseBox box(v);
  box.resize(1442, UseBox::kDesignHeight);  // one pixel column per minute
  ShowBoth();
  ASSERT_FALSE(v.SingleCameraLayout());
  ASSERT_EQ(v.selection().ActiveCamera(), 0);
  const int minute = 10 * 60 + 16;
  const int32_t target = v.timeline().DayMap[1][minute];
  ASSERT_GE(target, 0);

  QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(minute + 1, UseBox::kDesignHeight - 5));
  EXPECT_EQ(v.selection().ActiveCamera(), 1);
  EXPECT_EQ(v.disp().ShownPos[1], target);
  EXPECT_FALSE(v.timeline().TimelineDragging);
}

TEST_F(WidgetsTest, DraggingKeepsTheCameraOfThePress) {
  Open(TwoCameraCard());
  UseBox box(v);
  box.resize(1442, UseBox::kDesignHeight);
  ShowBoth();
  const int minute = 10 * 60 + 15;
  QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(minute + 1, UseBox::kDesignHeight - 5));
  QMouseEvent move(QEvent::MouseMove, QPointF(minute + 2, 3), box.mapToGlobal(QPointF(minute + 2, 3)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&box, &move);  // scrubbing, now over camera 1's strip
  EXPECT_EQ(v.selection().ActiveCamera(), 1);
  EXPECT_EQ(v.source().CameraOf(v.IndexAtPos(v.disp().ShownPos[1])), 1);
  QTest::mouseRelease(&box, Qt::LeftButton, {}, QPoint(minute + 2, 3));
  EXPECT_FALSE(v.timeline().TimelineDragging);
}

TEST_F(WidgetsTest, StripsFollowTheDayMap) {
  Open(TwoCameraCard());
  UseBox box(v);
  ShowBoth();
  box.Refresh(kRepaintTimeline);
  const QImage& upper = box.TimelineStrip(0);
  ASSERT_EQ(upper.size(), QSize(1440, (UseBox::kDesignHeight - 2) / 2));
  EXPECT_EQ(upper.pixel(10 * 60 + 15, 0), qRgb(0, 128, 0));
  EXPECT_EQ(upper.pixel(9 * 60, upper.height() - 1), qRgb(255, 255, 255));
  EXPECT_EQ(box.TimelineStrip(1).pixel(10 * 60 + 16, 5), qRgb(0, 128, 0));
}

TEST_F(WidgetsTest, BarsEditTheActiveCameraOnly) {
  Open(TwoCameraCard());
  SettingsPanel panel(v);
  Forward(nullptr, nullptr, &panel);
  ShowBoth(1);
  v.ActionChannel2Execute();  // puts camera 2's settings on the bars
  const double before = MeanGrey(v.bitmaps()[1]);

  panel.BrightnessBar->setValue(0);  // top: 100 added to every pixel
  EXPECT_EQ(v.cameraSettings()[1].Brightness, 0);
  EXPECT_EQ(v.cameraSettings()[0].Brightness, 100);
  EXPECT_EQ(panel.BarToolTipValue(panel.BrightnessBar), 100);
  EXPECT_GT(MeanGrey(v.bitmaps()[1]), before + 50) << "the shown picture is rebuilt with the new brightness";

  panel.ContrastBar->setValue(150);
  panel.VolumeBar->setValue(20);
  EXPECT_EQ(v.cameraSettings()[1].Contrast, 150);
  EXPECT_EQ(v.cameraSettings()[1].Volume, 20);
  EXPECT_EQ(panel.BarToolTipValue(panel.ContrastBar), -50);
  EXPECT_EQ(panel.BarToolTipValue(panel.VolumeBar), 80);

  QTest::mouseClick(panel.JvLabel3, Qt::LeftButton);
  QTest::mouseClick(panel.JvLabel1, Qt::LeftButton);
  EXPECT_EQ(v.cameraSettings()[1].Brightness, 100);
  EXPECT_EQ(v.cameraSettings()[1].Contrast, 100);

  v.ActionChannel1Execute();  // the bars show camera 1 and write nothing back
  EXPECT_EQ(panel.VolumeBar->value(), 50);
  EXPECT_EQ(v.cameraSettings()[1].Volume, 20);
  EXPECT_EQ(v.cameraSettings()[0].Volume, 50);
}

TEST_F(WidgetsTest, SensorLabelsShowTheShownSecond) {
  Open(TwoCameraCard());
  SettingsPanel panel(v);
  Forward(nullptr, nullptr, &panel);
  ShowBoth();
  ASSERT_TRUE(v.info().HasLabels());
  EXPECT_EQ(panel.SensorLabels[0]->text().toStdString(), v.info().Labels[0]);
  EXPECT_EQ(panel.SensorLabels[4]->text().toStdString(), v.info().Labels[4]);
}

TEST_F(WidgetsTest, PlayButtonIsDownWhilePlaying) {
  Open(TwoCameraCard());
  BottomPanel panel(v);
  Forward(nullptr, &panel);
  ShowBoth();
  EXPECT_EQ(panel.datePanel->text(), QStringLiteral("15.06.2024"));
  QTest::mouseClick(panel.PlayBtn, Qt::LeftButton);
  EXPECT_TRUE(v.play().PlayTimerEnabled);
  EXPECT_TRUE(panel.PlayBtn->isChecked());
  QTest::mouseClick(panel.PlayBtn, Qt::LeftButton);  // a second click does not release it
  EXPECT_TRUE(panel.PlayBtn->isChecked());
  QTest::mouseClick(panel.StopBtn, Qt::LeftButton);
  EXPECT_FALSE(v.play().PlayTimerEnabled);
  EXPECT_FALSE(panel.PlayBtn->isChecked());
}

TEST_F(WidgetsTest, DatePanelKeepsToTheRightAndTheScaleTakesTheRest) {
  BottomPanel panel(v);
  for (int width : {682, 1000}) {
    panel.resize(width, 29);
    panel.grab();  // lays the row out
    const QRect date = panel.datePanel->geometry(), scale = panel.useBox->geometry();
    EXPECT_EQ(date.left(), width - date.width() - 15) << width;
    EXPECT_EQ(scale.width(), date.left() - scale.left() - 10) << width;
  }
}

TEST_F(WidgetsTest, MuteLabelTogglesAndShowsItsState) {
  Open(TwoCameraCard());
  SettingsPanel panel(v);
  const QImage soundOn = panel.MuteLabel->pixmap().toImage();
  QTest::mouseClick(panel.MuteLabel, Qt::LeftButton);
  EXPECT_TRUE(v.play().Muted);
  EXPECT_NE(panel.MuteLabel->pixmap().toImage(), soundOn);
  QTest::mouseClick(panel.MuteLabel, Qt::LeftButton);
  EXPECT_FALSE(v.play().Muted);
  EXPECT_EQ(panel.MuteLabel->pixmap().toImage(), soundOn);
}

mkcard::Options AcrossMidnight() {
  mkcard::Options o = TwoCameraCard();
  o.start = {30, 6, 24, 23, 59, 0};
  o.records = 200;  // 100 seconds: 30.06 and 01.07
  return o;
}

TEST_F(WidgetsTest, CalendarShowsTheRecordedDaysBold) {
  Open(AcrossMidnight());
  ShowBoth();
  const auto data = DatePanelClick(v);
  ASSERT_TRUE(data);
  TSelectForm form;
  form.Fill(*data);
  EXPECT_EQ(form.BoldDays(), QStringList({QStringLiteral("202406=30"), QStringLiteral("202407=1")}));
  EXPECT_TRUE(form.IsBold(QDate(2024, 6, 30)));
  EXPECT_TRUE(form.IsBold(QDate(2024, 7, 1)));
  EXPECT_FALSE(form.IsBold(QDate(2024, 6, 29)));
  EXPECT_EQ(form.Calendar->dateTextFormat(QDate(2024, 7, 1)).fontWeight(), QFont::Bold);
  EXPECT_NE(form.Calendar->dateTextFormat(QDate(2024, 7, 2)).fontWeight(), QFont::Bold);
  EXPECT_EQ(form.Calendar->minimumDate(), QDate(2024, 6, 30));
  EXPECT_EQ(form.Calendar->maximumDate(), QDate(2024, 7, 1));
  EXPECT_EQ(form.Calendar->monthShown(), 6);

  form.Fill(*data);  // a second opening starts from scratch
  EXPECT_EQ(form.BoldDays().size(), 2);
}

TEST_F(WidgetsTest, ChoosingADayJumpsThereAndEscapeChangesNothing) {
  Open(AcrossMidnight());
  ShowBoth();
  TSelectForm form;
  QTableView* days = form.Calendar->findChild<QTableView*>();
  ASSERT_NE(days, nullptr);

  const int32_t before = v.selection().Pos();
  QTimer::singleShot(0, &form, [&] { QTest::keyClick(&form, Qt::Key_Escape); });
  EXPECT_FALSE(RunDateChoice(v, form, nullptr));
  EXPECT_EQ(v.selection().Pos(), before);

  QTimer::singleShot(0, &form, [&] {
    form.Calendar->setSelectedDate(QDate(2024, 7, 1));
    QTest::keyClick(days, Qt::Key_Return);
  });
  EXPECT_TRUE(RunDateChoice(v, form, nullptr));
  EXPECT_EQ(form.ChosenDate(), QDate(2024, 7, 1));
  EXPECT_EQ(v.disp().DatePanelText, "01.07.2024");
}

// Records from 12.06 to 20.06.2024 on four days; June shown.
DateDialogData JuneDays() {
  DateDialogData d;
  d.earliest = {12, 6, 2024};
  d.latest = {20, 6, 2024};
  d.shown = "14.06.2024";
  d.boldDays[202406] = {12, 13, 15, 20};
  return d;
}

// The cell of day `day` of the month shown: the shown month's days follow
// its first "1" in the grid of seven columns under the header row.
QModelIndex CellOfDay(const QTableView& days, int day) {
  const QAbstractItemModel& m = *days.model();
  for (int k = 0; k < 7 * 6; ++k)
    if (m.index(1 + k / 7, k % 7).data().toString() == QLatin1String("1")) {
      const int at = k + day - 1;
      return m.index(1 + at / 7, at % 7);
    }
  return {};
}

// The darkest grey of a cell's picture: its digits.
int Darkest(const QTableView& days, const QImage& shot, int day) {
  const QRect r = days.visualRect(CellOfDay(days, day)).translated(days.viewport()->pos());
  int darkest = 255;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) darkest = std::min(darkest, qGray(shot.pixel(x, y)));
  return darkest;
}

TEST_F(WidgetsTest, CalendarCellsAreLargeAndDaysOutsideTheRecordsShowDisabled) {
  TSelectForm form;
  form.Fill(JuneDays());
  form.adjustSize();
  Save(form, "select_day_range");  // also lays the dialog out
  QTableView* days = form.Calendar->findChild<QTableView*>();
  ASSERT_NE(days, nullptr);
  EXPECT_GE(form.width(), 320);
  const QRect cell = days->visualRect(CellOfDay(*days, 14));
  EXPECT_GE(cell.width(), 40);
  EXPECT_GE(cell.height(), 28);

  // Weekdays only (the weekend's days are red) and not the selected 14th:
  // inside the range black, bold or not; outside it grey.
  const QImage shot = days->grab().toImage();
  EXPECT_LT(Darkest(*days, shot, 12), 60);
  EXPECT_LT(Darkest(*days, shot, 18), 60);
  EXPECT_LT(Darkest(*days, shot, 20), 60);
  for (int day : {3, 11, 21, 28}) EXPECT_GT(Darkest(*days, shot, day), 120) << day;

  // A click on a day outside chooses nothing; on one inside, that day.
  const auto clickOn = [&](int day) {
    QTimer::singleShot(0, &form, [&, day] {
      QTest::mouseClick(days->viewport(), Qt::LeftButton, {}, days->visualRect(CellOfDay(*days, day)).center());
      if (form.isVisible()) QTest::keyClick(&form, Qt::Key_Escape);
    });
    return form.Choose(nullptr);
  };
  EXPECT_EQ(clickOn(11), std::nullopt);
  EXPECT_EQ(clickOn(21), std::nullopt);
  EXPECT_EQ(clickOn(13), QDate(2024, 6, 13));
}

// Fewer colours than a recorded picture has grey levels: no picture shown.
constexpr int kPictureGreys = 32;

TEST_F(WidgetsTest, ScreensOfEveryWidgetAndArrangement) {
  EXPECT_TRUE(QFontInfo(ImageBox::PictureFont()).bold());
  {
    ImageBox empty(v);
    empty.resize(682, 330);
    Save(empty, "image_no_card");
  }
  Open(TwoCameraCard());
  ImageBox box(v);
  box.resize(682, 330);
  Forward(&box);
  ShowBoth();
  v.ActionSelectAllExecute();
  ViewerProbe::FragStart(v) = ViewerProbe::Disp(v).CameraTimeText[0];  // both marks on screen
  ViewerProbe::FragEnd(v) = ViewerProbe::Disp(v).CameraTimeText[1];
  const std::pair<int, const char*> arrangements[] = {
      {0, "image_side_by_side"}, {1, "image_one_window"}, {2, "image_window_in_window"}, {3, "image_one_above"}};
  // Each arrangement shows the recorded pictures (their many grey levels),
  // and each its own way.
  std::vector<QImage> shots;
  for (const auto& [tag, name] : arrangements) {
    v.VIEW_Click(tag);
    shots.push_back(Save(box, name, kPictureGreys));
  }
  for (size_t i = 0; i < shots.size(); ++i)
    for (size_t j = i + 1; j < shots.size(); ++j)
      EXPECT_NE(shots[i], shots[j]) << arrangements[i].second << " and " << arrangements[j].second;
  v.VIEW_Click(0);
  v.VIEW_SWAP_Click();
  ViewerProbe::Play(v).PlayTimerEnabled = true;  // the playback label
  ViewerProbe::Play(v).PlaySpeed = -3;
  EXPECT_NE(Save(box, "image_swapped_playing", kPictureGreys), shots[0]);
  ViewerProbe::Play(v).PlayTimerEnabled = false;
  v.VIEW_SWAP_Click();

  BottomPanel bottom(v);
  bottom.resize(682, 29);
  bottom.Refresh(~0u);
  const QImage quiet = Save(bottom, "bottom_panel");
  // A busier day than the card holds, to judge the scale's legibility.
  for (int m : {0, 1, 2, 3, 360, 361, 700, 701, 702, 1000, 1439}) ViewerProbe::Timeline(v).DayMap[0][size_t(m)] = 0;
  for (int m = 480; m < 560; ++m) ViewerProbe::Timeline(v).DayMap[1][size_t(m)] = 0;
  ++ViewerProbe::Timeline(v).DayMapVersion;
  bottom.Refresh(kRepaintTimeline);
  EXPECT_NE(Save(bottom, "bottom_panel_busy_day"), quiet);
  SettingsPanel settings(v);
  settings.Refresh(~0u);
  settings.adjustSize();
  Save(settings, "settings_panel");
  TSelectForm form;
  form.Fill(*DatePanelClick(v));
  form.adjustSize();
  Save(form, "select_day");
  box.PopupMenu2->adjustSize();
  Save(*box.PopupMenu2, "popup_menu");
  auto* layouts = qobject_cast<QMenu*>(box.VIEW1->parent());
  ASSERT_NE(layouts, nullptr);
  layouts->adjustSize();
  Save(*layouts, "popup_menu_layouts");
}

}  // namespace
