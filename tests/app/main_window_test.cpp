// The main window on synthetic cards: the card is found on a timer tick and
// shown, a pulled card is closed, the status bar describes each format, the
// keys change the layout, clearing asks first and empties the fill, a switch
// of source takes the cameras' texts along, and every format's window is
// grabbed to build/screens/ for a look.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QTreeWidget>
#include <QUrl>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <tuple>

#include "app/locale_ru.h"
#include "viewer/bottom_panel.h"
#include "viewer/use_box.h"
#include "app/message_box.h"
#include "app/view_main.h"
#include "journal/journal.h"
#include "mkcard/mkcard.h"
#include "platform/block_device.h"
#include "support/card_writes.h"
#include "support/files.h"
#include "support/qt/screenshots.h"
#include "support/qt/test_app.h"
#include "support/qt/window_dialogs.h"
#include "viewer/image_box.h"
#include "viewer/layout.h"
#include "viewer/SelectDay.h"
#include "viewer/settings_panel.h"
#include "viewer/timeline.h"

namespace {

using namespace quovil;

using test::ReadBytes;

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureTestApp();
    ASSERT_TRUE(dir_.isValid());
    ini_ = Path("quovil.INI");
  }
  void TearDown() override { qunsetenv("QUOVIL_DRIVES"); }

  std::string Path(const char* name) const { return QDir(dir_.path()).filePath(name).toStdString(); }

  // Writes a card image and names it as the only drive of the scan.
  mkcard::Recorded InsertCard(int format, int records = 60) {
    mkcard::Options o;
    o.format = format;
    o.seed = 7 + uint32_t(format);
    o.records = records;
    o.width = 320;
    o.height = 240;
    card_ = Path("card.img");
    mkcard::Recorded truth = mkcard::WriteCard(o, card_);
    EXPECT_EQ(truth.format, format);
    qputenv("QUOVIL_DRIVES", QByteArray::fromStdString(card_));
    return truth;
  }

  std::unique_ptr<TMainForm> Start(const QStringList& args = {}) {
    auto form = std::make_unique<TMainForm>(args, ini_);
    form->StartShown(args.isEmpty());
    return form;
  }

  std::unique_ptr<TMainForm> StartWithCard(int format) {
    truth_ = InsertCard(format);
    auto form = Start();
    form->CheckTimerTimer();
    return form;
  }

  // Writes a card of these options as the only drive and starts the window,
  // which finds it on its first tick.
  std::unique_ptr<TMainForm> StartWithCard(const mkcard::Options& o, const char* name = "card.img") {
    card_ = Path(name);
    truth_ = mkcard::WriteCard(o, card_);
    qputenv("QUOVIL_DRIVES", QByteArray::fromStdString(card_));
    auto form = Start();
    form->CheckTimerTimer();
    return form;
  }

  static void Screenshot(TMainForm& form, const QString& name) {
    form.resize(900, 600);
    QCoreApplication::processEvents();
    quovil::test::SaveDrawnScreenshot(form, name);
  }

  static QString Panel(const TMainForm& form, int i) { return form.StatusPanels[size_t(i)]->text(); }

  QTemporaryDir dir_;
  std::string ini_;
  std::string card_;
  mkcard::Recorded truth_;
  test::WindowDialogs dialogs_;
};

// ---------------------------------------------------------------- the card

TEST_F(MainWindowTest, CardIsFoundOnTheTimerTickAndShown) {
  InsertCard(2);
  auto form = Start();
  EXPECT_TRUE(form->StartedFully());
  EXPECT_FALSE(form->viewer.source().CardOpen);
  EXPECT_EQ(form->viewer.noSourceText(), "Карта памяти отсутствует!");
  EXPECT_TRUE(form->HiddenToTray());
  EXPECT_TRUE(form->CheckTimer->isActive());
  EXPECT_EQ(form->CheckTimer->interval(), 1000);

  form->CheckTimerTimer();
  EXPECT_TRUE(form->viewer.source().CardOpen);
  EXPECT_EQ(form->viewer.selection().Count(), 60);
  EXPECT_FALSE(form->HiddenToTray());
  EXPECT_TRUE(form->isVisible());
  EXPECT_FALSE(form->isMinimized());
  EXPECT_EQ(form->LastBalloonText(), " Обнаружена карта памяти");
  EXPECT_TRUE(form->windowTitle().startsWith(QStringLiteral("KORAX-X CARD VIEWER V.3.19")));
}

TEST_F(MainWindowTest, PulledCardIsClosedAndTheWindowGoesAway) {
  auto form = StartWithCard(2);
  ASSERT_TRUE(form->viewer.source().CardOpen);
  ASSERT_EQ(std::remove(card_.c_str()), 0);

  form->CheckTimerTimer();
  EXPECT_FALSE(form->viewer.source().CardOpen);
  EXPECT_EQ(form->viewer.noSourceText(), "Карта памяти отсутствует!");
  EXPECT_TRUE(form->HiddenToTray());
  if (!form->TrayAvailable()) {
    EXPECT_TRUE(form->isMinimized());  // reachable from the task bar
  }
  EXPECT_EQ(Panel(*form, 0), QStringLiteral(" Размер: "));
  EXPECT_EQ(Panel(*form, 4), QStringLiteral(" Фрагмент: "));
}

// With nothing shown, the date panel and the sensor panel are empty again.
TEST_F(MainWindowTest, ThePanelsForgetTheRecordOfAClosedCard) {
  truth_ = InsertCard(2);
  auto form = Start();
  auto* date = qobject_cast<QLabel*>(form->DatePanel);
  ASSERT_NE(date, nullptr);
  std::array<QString, 5> captions;
  for (size_t i = 0; i < 5; ++i) captions[i] = form->JvPanel1->SensorLabels[i]->text();
  form->CheckTimerTimer();
  ASSERT_TRUE(form->viewer.source().CardOpen);
  EXPECT_EQ(date->text(), QStringLiteral("15.06.2024"));
  bool readings = false;
  for (size_t i = 0; i < 5; ++i) readings = readings || form->JvPanel1->SensorLabels[i]->text() != captions[i];
  EXPECT_TRUE(readings) << "the card's sensor readings are shown";

  ASSERT_EQ(std::remove(card_.c_str()), 0);
  form->CheckTimerTimer();
  EXPECT_TRUE(date->text().isEmpty());
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(form->JvPanel1->SensorLabels[i]->text(), captions[i]);
}

// ---------------------------------------------------------------- status bar

class StatusBarTest : public MainWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(StatusBarTest, DescribesTheCardOfEachFormat) {
  const int format = GetParam();
  auto form = StartWithCard(format);
  ASSERT_TRUE(form->viewer.source().CardOpen);

  const std::array<int, 5> widths{100, 115, 150, 60, 200};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(form->StatusPanels[size_t(i)]->width(), widths[size_t(i)]) << i;
  EXPECT_GE(form->StatusPanels[4]->width(), widths[4]);

  const auto size = QFileInfo(QString::fromStdString(card_)).size();
  QString sizeText = size < 1000         ? QStringLiteral("%1 bytes").arg(size)
                     : size < 1000000    ? QStringLiteral("%1 Kb").arg(size / 1000)
                     : size < 1000000000 ? QStringLiteral("%1 Mb").arg(size / 1000000)
                                         : QStringLiteral("%1 Gb").arg(size / 1000000000);
  EXPECT_EQ(Panel(*form, 0), QStringLiteral(" Размер: ") + sizeText);
  if (format == 2) {
    EXPECT_TRUE(Panel(*form, 1).startsWith(QStringLiteral(" Сжатие: "))) << Panel(*form, 1).toStdString();
  } else {
    EXPECT_EQ(Panel(*form, 1), QStringLiteral(" Качество: 320x256"));
  }
  EXPECT_TRUE(Panel(*form, 2).startsWith(QStringLiteral(" Записано: ")));
  EXPECT_TRUE(Panel(*form, 2).endsWith(QLatin1Char('%')));
  const std::string frag = TimeStampText(truth_.frames.front().time) + " - " +
                           TimeStampText(truth_.frames[59].time);  // the last of the 60 records
  EXPECT_EQ(Panel(*form, 4).toStdString(), " Фрагмент: " + frag);
  // Clearing is offered for the card; the archive switches only for format 0.
  EXPECT_TRUE(form->ActionDeleteAll->isVisible());
  EXPECT_EQ(form->ActionArhiv->isVisible(), format == 0);
  EXPECT_EQ(form->ActionSound->isVisible(), format == 2);

  // Step on until both cameras have a picture of their own.
  for (int i = 0; i < 8; ++i) form->viewer.FormMouseWheel(true);
  Screenshot(*form, QStringLiteral("main_format%1.png").arg(format));
}

INSTANTIATE_TEST_SUITE_P(Formats, StatusBarTest, ::testing::Values(0, 1, 2));

// ---------------------------------------------------------------- keyboard

TEST_F(MainWindowTest, KeysChooseLayoutsBeforeAnyControlSeesThem) {
  auto form = StartWithCard(2);
  QWidget* target = form->Image;
  const int& layout = form->viewer.disp().ViewLayout;
  ASSERT_EQ(layout, 0);

  QTest::keyClick(target, Qt::Key_1, Qt::ControlModifier);
  EXPECT_EQ(layout, 1);
  QTest::keyClick(target, Qt::Key_4, Qt::ControlModifier);
  EXPECT_EQ(layout, 2);
  QTest::keyClick(target, Qt::Key_3, Qt::ControlModifier);
  EXPECT_EQ(layout, 3);
  QTest::keyClick(target, Qt::Key_2, Qt::ControlModifier);
  EXPECT_EQ(layout, 0);
  QTest::keyClick(target, Qt::Key_Tab);
  EXPECT_EQ(layout, 4);
  QTest::keyClick(form->DatePanel, Qt::Key_Tab);
  EXPECT_EQ(layout, 0);
  QTest::keyClick(target, Qt::Key_1);  // a digit without Ctrl does nothing here
  EXPECT_EQ(layout, 0);
}

// Left/Right step as the wheel does, Home/End go to the ends of the
// selection, Page Up/Down to the neighbouring minutes of the active camera;
// a bar with the focus keeps its own arrows.
TEST_F(MainWindowTest, KeysMoveThroughTheRecords) {
  mkcard::Options o;
  o.format = 2;
  o.records = 600;  // about two and a half minutes at four records a second
  auto form = StartWithCard(o, "minutes.img");
  ASSERT_TRUE(form->viewer.source().CardOpen);
  const Viewer& v = form->viewer;
  const auto minuteAt = [&](int32_t p) { return int(v.source().TimeOf(v.IndexAtPos(p)).minute); };
  const auto cameraAt = [&](int32_t p) { return v.source().CameraOf(v.IndexAtPos(p)); };
  QWidget* target = form->Image;
  ASSERT_EQ(v.selection().Pos(), 0);

  QTest::keyClick(target, Qt::Key_Right);
  EXPECT_EQ(v.selection().Pos(), 1);
  QTest::keyClick(target, Qt::Key_Left);
  EXPECT_EQ(v.selection().Pos(), 0);
  QTest::keyClick(target, Qt::Key_End);
  EXPECT_EQ(v.selection().Pos(), v.selection().Count() - 1);
  QTest::keyClick(target, Qt::Key_Home);
  EXPECT_EQ(v.selection().Pos(), 0);

  // Page Down: the first record of the active camera in the next minute.
  const int cam = v.selection().ActiveCamera();
  QTest::keyClick(target, Qt::Key_PageDown);
  const int32_t next = v.selection().Pos();
  ASSERT_GT(next, 0);
  EXPECT_EQ(minuteAt(next), minuteAt(0) + 1);
  EXPECT_EQ(cameraAt(next), cam);
  for (int32_t p = 0; p < next; ++p) EXPECT_FALSE(cameraAt(p) == cam && minuteAt(p) == minuteAt(next)) << p;
  QTest::keyClick(target, Qt::Key_PageDown);
  EXPECT_EQ(minuteAt(v.selection().Pos()), minuteAt(0) + 2);
  QTest::keyClick(target, Qt::Key_PageDown);  // no later minute: it stays
  EXPECT_EQ(minuteAt(v.selection().Pos()), minuteAt(0) + 2);
  QTest::keyClick(target, Qt::Key_PageUp);
  EXPECT_EQ(v.selection().Pos(), next);
  QTest::keyClick(target, Qt::Key_PageUp);
  EXPECT_EQ(minuteAt(v.selection().Pos()), minuteAt(0));
  EXPECT_EQ(cameraAt(v.selection().Pos()), cam);
  // Both cameras follow a jump.
  EXPECT_GE(v.disp().ShownIndex[0], 0);
  EXPECT_GE(v.disp().ShownIndex[1], 0);

  // The brightness bar keeps its arrows.
  QTest::keyClick(target, Qt::Key_Escape);
  ASSERT_TRUE(form->JvPanel1->isVisible());
  QSlider* bar = form->JvPanel1->BrightnessBar;
  bar->setFocus();
  const int32_t before = v.selection().Pos();
  const int value = bar->value();
  QTest::keyClick(bar, Qt::Key_Right);
  EXPECT_EQ(v.selection().Pos(), before);
  EXPECT_NE(bar->value(), value);
  EXPECT_TRUE(form->Image->toolTip().contains(QStringLiteral("PgUp / PgDn")));
}

// The clearing question starts on "Нет": Return alone keeps the card.
TEST_F(MainWindowTest, ReturnAloneDoesNotClearTheCard) {
  TMainForm::messageHook = nullptr;
  auto form = StartWithCard(2);
  const std::vector<uint8_t> before = ReadBytes(card_);
  QString focused;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    focused = box->defaultButton() ? box->defaultButton()->text() : QString();
    QTest::keyClick(box, Qt::Key_Return);
  });
  EXPECT_EQ(form->viewer.ActionDeleteAllExecute(), Viewer::ClearResult::Declined);
  EXPECT_EQ(focused.remove(QLatin1Char('&')), QStringLiteral("Нет"));
  EXPECT_EQ(ReadBytes(card_), before);
}

TEST_F(MainWindowTest, EscTogglesTheSettingsPanelAndSpacePlaysAndStops) {
  auto form = StartWithCard(2);
  EXPECT_FALSE(form->JvPanel1->isVisibleTo(form.get()));

  QTest::keyClick(form->Image, Qt::Key_Escape);
  EXPECT_TRUE(form->viewer.actions().N1);
  EXPECT_TRUE(form->JvPanel1->isVisibleTo(form.get()));
  Screenshot(*form, QStringLiteral("main_settings_panel.png"));
  QTest::keyClick(form->Image, Qt::Key_Escape);
  EXPECT_FALSE(form->JvPanel1->isVisibleTo(form.get()));

  QTest::keyClick(form->Image, Qt::Key_Space);
  EXPECT_TRUE(form->viewer.play().PlayTimerEnabled);
  EXPECT_TRUE(form->PlayTimer->isActive());
  QTest::keyClick(form->Image, Qt::Key_Space);
  EXPECT_FALSE(form->viewer.play().PlayTimerEnabled);
  EXPECT_FALSE(form->PlayTimer->isActive());
}

// The panels' controls give their commands through the window, so its timers
// follow the viewer before the click returns, and a command's failure is the
// window's to handle.
TEST_F(MainWindowTest, PanelCommandsRunAsTheWindowsOwn) {
  auto form = StartWithCard(2);
  form->JvPanel2->PlayBtn->click();
  EXPECT_TRUE(form->PlayTimer->isActive());
  form->JvPanel2->SpeedUp->click();
  EXPECT_EQ(form->PlayTimer->interval(), form->viewer.play().PlayTimerInterval);
  form->JvPanel2->StopBtn->click();
  EXPECT_FALSE(form->PlayTimer->isActive());

  // A double click on the time scale starts playback there.
  QWidget* scale = form->JvPanel2->useBox;
  const QPoint at(scale->width() / 3, scale->height() / 4);
  QTest::mouseDClick(scale, Qt::LeftButton, Qt::NoModifier, at);
  EXPECT_TRUE(form->viewer.play().PlayTimerEnabled);
  EXPECT_TRUE(form->PlayTimer->isActive());
  form->JvPanel2->StopBtn->click();
  EXPECT_FALSE(form->PlayTimer->isActive());
}

TEST_F(MainWindowTest, WheelStepsThroughTheRecordsOnlyWhenThereAreAny) {
  auto form = Start();
  const auto wheel = [&](int dy) {
    const QPointF at(50, 50);
    QWheelEvent e(at, form->Image->mapToGlobal(at), QPoint(), QPoint(0, dy), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(form->Image, &e);
    return e.isAccepted();
  };
  EXPECT_FALSE(wheel(120));  // nothing open: the wheel passes on

  InsertCard(2);
  form->viewer.drives = SystemDriveEnumerator();
  form->CheckTimerTimer();
  ASSERT_TRUE(form->viewer.source().CardOpen);
  const int before = form->viewer.selection().Pos();
  EXPECT_TRUE(wheel(120));
  EXPECT_EQ(form->viewer.selection().Pos(), before + 1);
  EXPECT_TRUE(wheel(-120));
  EXPECT_EQ(form->viewer.selection().Pos(), before);
}

TEST_F(MainWindowTest, DatePanelOpensTheCalendarAndJumpsToTheChosenDay) {
  mkcard::Options o;
  o.format = 2;
  o.records = 40;
  o.framesPerSecond = 1;
  o.start = {15, 6, 24, 23, 59, 50};  // the records run past midnight
  card_ = Path("days.img");
  ASSERT_EQ(mkcard::WriteCard(o, card_).format, 2);
  qputenv("QUOVIL_DRIVES", QByteArray::fromStdString(card_));
  auto form = Start();
  form->CheckTimerTimer();
  ASSERT_EQ(form->viewer.disp().DatePanelText, "15.06.2024");

  bool shown = false;
  QTimer::singleShot(0, [&] {
    shown = form->SelectForm->isVisible();
    emit form->SelectForm->Calendar->activated(QDate(2024, 6, 16));
  });
  QTest::mouseClick(form->DatePanel, Qt::LeftButton);
  EXPECT_TRUE(shown);
  EXPECT_EQ(form->viewer.disp().DatePanelText, "16.06.2024");
  EXPECT_EQ(static_cast<QLabel*>(form->DatePanel)->text(), QStringLiteral("16.06.2024"));
  // Both cameras moved to the chosen day.
  for (int cam = 0; cam < 2; ++cam) {
    ASSERT_GE(form->viewer.disp().ShownIndex[size_t(cam)], 0) << cam;
    EXPECT_EQ(form->viewer.source().TimeOf(form->viewer.disp().ShownIndex[size_t(cam)]).day, 16) << cam;
  }
}

// Both pictures show at every jump of the window: a card found, a filter
// change, the card put in again; each camera's picture is its own record.
TEST_F(MainWindowTest, BothCamerasShowTheirRecordsAfterEveryJump) {
  auto form = StartWithCard(2);
  const auto bothShown = [&](const char* when) {
    for (int cam = 0; cam < 2; ++cam) {
      const int index = form->viewer.disp().ShownIndex[size_t(cam)];
      ASSERT_GE(index, 0) << when << ", camera " << cam + 1;
      EXPECT_EQ(form->viewer.source().CameraOf(index), cam) << when;
      EXPECT_EQ(form->viewer.disp().CameraTimeText[size_t(cam)],
                TimeStampText(form->viewer.source().TimeOf(index))) << when;
    }
  };
  bothShown("card found");
  form->ActionMotion->trigger();
  bothShown("filter change");
  form->ActionMotion->trigger();
  const std::vector<uint8_t> image = ReadBytes(card_);
  ASSERT_EQ(std::remove(card_.c_str()), 0);
  form->CheckTimerTimer();
  ASSERT_FALSE(form->viewer.source().CardOpen);
  ASSERT_TRUE(test::WriteBytes(card_, image));
  form->CheckTimerTimer();
  ASSERT_TRUE(form->viewer.source().CardOpen);
  bothShown("card put in again");
}

// ---------------------------------------------------------------- time scale zoom

// Seven minutes of records from 12:00:00, one a second, both cameras.
class TimeScaleZoomTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    mkcard::Options o;
    o.format = 2;
    o.records = 420;
    o.framesPerSecond = 1;
    o.start = {15, 6, 24, 12, 0, 0};
    card_ = Path("seven.img");
    ASSERT_EQ(mkcard::WriteCard(o, card_).format, 2);
    qputenv("QUOVIL_DRIVES", QByteArray::fromStdString(card_));
    form = Start();
    form->CheckTimerTimer();
    ASSERT_TRUE(form->viewer.source().CardOpen);
    form->resize(900, 600);
    QCoreApplication::processEvents();
    scale = form->JvPanel2->useBox;
    // A double click of QTest's leaves the button down in the application's
    // eyes, and with a button down the pointer enters and leaves no widget:
    // a release over the status bar ends it.
    if (QApplication::mouseButtons() != Qt::NoButton) QTest::mouseRelease(form->statusBar(), Qt::LeftButton);
  }

  const TimeSpan& Span() const { return form->viewer.timeline().Span; }
  // The column of second t on the scale as it is shown now.
  int X(int t) const { return XOfSecond(Span(), scale->width(), t); }
  // A wheel turn over the scale at column x; true when something took it.
  bool Wheel(int dy, Qt::KeyboardModifiers mods, int x) {
    const QPointF at(x, scale->height() / 4);
    QWheelEvent e(at, scale->mapToGlobal(at), QPoint(), QPoint(0, dy), Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(scale, &e);
    return e.isAccepted();
  }
  QImage Grab() const { return scale->grab().toImage(); }

  std::unique_ptr<TMainForm> form;
  UseBox* scale = nullptr;
};

TEST_F(TimeScaleZoomTest, CtrlWheelZoomsAroundThePointerAndThePlainWheelStillSteps) {
  const int noon = 12 * 3600, x = X(noon + 200);
  const int pos = form->viewer.selection().Pos();
  EXPECT_TRUE(Wheel(120, Qt::ControlModifier, x));
  EXPECT_EQ(Span().length, 12 * 3600);
  EXPECT_EQ(form->viewer.selection().Pos(), pos);  // no step through the records
  // A fine-stepping wheel zooms once its turns make a whole step.
  EXPECT_TRUE(Wheel(60, Qt::ControlModifier, x));
  EXPECT_EQ(Span().length, 12 * 3600);
  EXPECT_TRUE(Wheel(60, Qt::ControlModifier, x));
  EXPECT_EQ(Span().length, 6 * 3600);
  EXPECT_TRUE(Wheel(6 * 120, Qt::ControlModifier, x));
  EXPECT_EQ(Span().length, 10 * 60);
  // The pointer's time stayed under the pointer: within a column of the whole
  // day and the half minute of the span's start.
  EXPECT_NEAR(SecondAtX(Span(), x, scale->width()), noon + 200, 86400 / (scale->width() - 2) + 31);
  EXPECT_EQ(Span().start % 60, 0);

  EXPECT_TRUE(Wheel(120, Qt::NoModifier, x));
  EXPECT_EQ(form->viewer.selection().Pos(), pos + 1);
  EXPECT_EQ(Span().length, 10 * 60);
  EXPECT_TRUE(Wheel(-120 * 20, Qt::ControlModifier, x));
  EXPECT_TRUE(Span().WholeDay());
}

TEST_F(TimeScaleZoomTest, PlusAndMinusZoomWhileTheScaleHasTheFocusOrThePointer) {
  form->Image->setFocus();
  QTest::mouseMove(form->Image, QPoint(20, 20));
  QTest::keyClick(form->Image, Qt::Key_Plus);
  EXPECT_TRUE(Span().WholeDay());

  QTest::mouseMove(scale, QPoint(scale->width() / 2, 5));
  ASSERT_TRUE(scale->underMouse());
  QTest::keyClick(form->Image, Qt::Key_Plus);
  EXPECT_EQ(Span().length, 12 * 3600);
  QTest::keyClick(form->Image, Qt::Key_Plus, Qt::KeypadModifier);
  EXPECT_EQ(Span().length, 6 * 3600);
  QTest::keyClick(form->Image, Qt::Key_Plus, Qt::ControlModifier);  // not the zoom's
  EXPECT_EQ(Span().length, 6 * 3600);
  // Around the yellow mark, which stays in the box.
  const TimeStamp t = form->viewer.source().TimeOf(form->viewer.IndexAtPos(form->viewer.selection().Pos()));
  const int mark = t.hour * 3600 + t.minute * 60 + t.second;
  EXPECT_LE(Span().start, mark);
  EXPECT_GE(Span().End(), mark);

  // A click gives the scale the focus; the pointer may then go.
  QTest::mouseClick(scale, Qt::LeftButton, {}, QPoint(X(mark), 5));
  ASSERT_TRUE(scale->hasFocus());
  QTest::mouseMove(form->Image, QPoint(20, 20));
  ASSERT_FALSE(scale->underMouse());
  QTest::keyClick(scale, Qt::Key_Minus, Qt::KeypadModifier);
  EXPECT_EQ(Span().length, 12 * 3600);
  QTest::keyClick(scale, Qt::Key_Minus);
  EXPECT_TRUE(Span().WholeDay());
}

// Dark pixels in the scale's top right corner, where the span's label goes.
int DarkInTheCorner(const QImage& scale) {
  int dark = 0;
  for (int y = 3; y < scale.height() / 2 - 2; ++y)
    for (int x = scale.width() - 60; x < scale.width() - 10; ++x) dark += qGray(scale.pixel(x, y)) < 100;
  return dark;
}

TEST_F(TimeScaleZoomTest, TheZoomedScaleDrawsItsSpanAndAClickThereChoosesItsTime) {
  const int pos = form->viewer.selection().Pos();
  const QImage wholeDay = Grab();
  EXPECT_EQ(DarkInTheCorner(wholeDay), 0);
  const int noon = 12 * 3600;
  ASSERT_TRUE(Wheel(8 * 120, Qt::ControlModifier, X(noon + 300)));
  ASSERT_EQ(Span().length, 10 * 60);
  const QImage zoomed = Grab();
  EXPECT_GT(DarkInTheCorner(zoomed), 10);  // the label
  // Camera 2's strip, clear of the label and the ticks: green while the
  // records last, white from 12:07 on.
  const int y = scale->height() - 4;
  const QRgb green = qRgb(0, 128, 0), white = qRgb(255, 255, 255);
  EXPECT_EQ(zoomed.pixel(X(noon + 150), y), green);
  EXPECT_EQ(zoomed.pixel(X(noon + 390), y), green);
  ASSERT_GT(Span().End(), noon + 470);
  EXPECT_EQ(zoomed.pixel(X(noon + 440), y), white);
  EXPECT_EQ(zoomed.pixel(X(noon + 470), y), white);
  Screenshot(*form, QStringLiteral("main_scale_zoomed.png"));

  // A click at 12:05:30 shows camera 1's first record of 12:05.
  QTest::mouseClick(scale, Qt::LeftButton, {}, QPoint(X(noon + 330), 5));
  const int shown = form->viewer.disp().ShownPos[0];
  ASSERT_GE(shown, 0);
  const TimeStamp t = form->viewer.source().TimeOf(form->viewer.IndexAtPos(shown));
  EXPECT_EQ(t.hour * 60 + t.minute, 12 * 60 + 5);
  EXPECT_EQ(form->viewer.timeline().DayMap[0][12 * 60 + 5], shown);
  EXPECT_EQ(Panel(*form, 3), QStringLiteral("   12:05"));

  // Back on the whole day, at the record shown before, the scale is drawn as it was.
  ASSERT_TRUE(Wheel(-8 * 120, Qt::ControlModifier, X(noon)));
  ASSERT_TRUE(Span().WholeDay());
  form->viewer.ShowPosition(pos);
  EXPECT_EQ(Grab(), wholeDay);
}

// ---------------------------------------------------------------- clearing

TEST_F(MainWindowTest, ClearingAnsweredNoLeavesTheCardAlone) {
  auto form = StartWithCard(2);
  const auto before = ReadBytes(card_);
  dialogs_.answer = MsgResult::No;

  form->ActionDeleteAll->trigger();
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0], "Вы уверены, что хотите удалить\rвсе содержимое с карты памяти?");
  EXPECT_EQ(form->viewer.selection().Count(), 60);
  EXPECT_EQ(ReadBytes(card_), before);
}

TEST_F(MainWindowTest, ClearingAnsweredYesEmptiesTheCard) {
  auto form = StartWithCard(2);
  dialogs_.answer = MsgResult::Yes;

  {
    test::AllowCardWrites clearing;
    form->ActionDeleteAll->trigger();
  }
  ASSERT_EQ(dialogs_.messages.size(), 2u);
  EXPECT_EQ(dialogs_.messages[1], "Карта памяти очищена успешно!");
  EXPECT_EQ(form->viewer.selection().Count(), 0);
  EXPECT_TRUE(form->viewer.source().CardOpen);  // clearing keeps the card open
}

// Formats 0 and 1 show the fill of the state table: right after a clear it
// reads as the next opening of the card does.
class ClearedFillTest : public MainWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(ClearedFillTest, ClearingEmptiesTheFillInTheStatusBar) {
  auto form = StartWithCard(GetParam());
  const QString empty = QStringLiteral(" Записано: 0%");
  ASSERT_NE(Panel(*form, 2), empty);

  {
    test::AllowCardWrites clearing;
    form->ActionDeleteAll->trigger();
  }
  ASSERT_EQ(dialogs_.messages.back(), "Карта памяти очищена успешно!");
  EXPECT_EQ(Panel(*form, 2), empty);

  form.reset();
  auto reopened = Start();
  reopened->CheckTimerTimer();
  ASSERT_TRUE(reopened->viewer.source().CardOpen);
  EXPECT_EQ(Panel(*reopened, 2), empty);
}

INSTANTIATE_TEST_SUITE_P(Formats, ClearedFillTest, ::testing::Values(0, 1));

// ---------------------------------------------------------------- switching the source

// What camera cam's box carries over its picture.
std::vector<std::string> CameraTexts(TMainForm& form, int cam) {
  std::vector<std::string> out;
  for (const PaintCamera& pc : ImagePaintPlan(form.viewer, form.Image->width(), form.Image->height()).cameras) {
    if (pc.cam != cam) continue;
    for (const PaintText& t : pc.texts) out.push_back(t.text);
  }
  return out;
}

bool Carries(const std::vector<std::string>& texts, const std::string& part) {
  return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return t.find(part) != std::string::npos; });
}

// The new sources hold camera 1 only: camera 2's box stays blank, and must
// not keep the old source's time stamp and frame rate over it.
TEST_F(MainWindowTest, ASwitchOfSourceTakesTheCamerasTextsAlongWithTheirPictures) {
  mkcard::Options only1;
  only1.format = 2;
  only1.seed = 21;
  only1.records = 20;
  only1.bothCameras = false;
  only1.camera = 0;
  only1.start = {3, 2, 23, 8, 30, 0};
  const std::string archive = Path("camera1.kif");
  ASSERT_TRUE(test::WriteBytes(archive, mkcard::MakeArchive(only1, 3)));
  TMainForm::fileDialogHook = [&](const TMainForm::FileQuestion&) { return std::optional<std::string>(archive); };

  // Steps on until camera 2 shows a record; its time stamp.
  const auto showBoth = [](TMainForm& form) {
    for (int i = 0; i < 8; ++i) form.viewer.FormMouseWheel(true);
    const std::string stamp = form.viewer.disp().CameraTimeText[1];
    EXPECT_FALSE(stamp.empty());
    EXPECT_TRUE(Carries(CameraTexts(form, 1), stamp));
    EXPECT_TRUE(Carries(CameraTexts(form, 1), " fps"));
    return stamp;
  };
  const auto expectCamera2Blank = [](TMainForm& form, const std::string& oldStamp, const char* what) {
    SCOPED_TRACE(what);
    EXPECT_TRUE(form.viewer.source().Open());
    EXPECT_FALSE(form.viewer.disp().CameraTimeText[0].empty());  // camera 1 shows the new source
    EXPECT_TRUE(form.viewer.disp().CameraTimeText[1].empty());
    EXPECT_EQ(form.viewer.disp().CameraFps[1], 0.0);
    EXPECT_EQ(form.viewer.disp().ShownIndex[1], -1);
    const std::vector<std::string> texts = CameraTexts(form, 1);
    EXPECT_FALSE(Carries(texts, oldStamp));
    EXPECT_FALSE(Carries(texts, " fps"));
  };

  // Another card in the reader.
  auto form = StartWithCard(2);
  std::string stamp = showBoth(*form);
  ASSERT_EQ(std::remove(card_.c_str()), 0);
  form->CheckTimerTimer();
  ASSERT_FALSE(form->viewer.source().CardOpen);
  ASSERT_EQ(mkcard::WriteCard(only1, card_).format, 2);
  form->CheckTimerTimer();
  expectCamera2Blank(*form, stamp, "another card");

  // An archive file opened over a card.
  form.reset();
  form = StartWithCard(2);
  stamp = showBoth(*form);
  form->ActionOpenFile->trigger();
  expectCamera2Blank(*form, stamp, "an archive");
  Screenshot(*form, QStringLiteral("main_source_switch.png"));
}

// ---------------------------------------------------------------- start-up

// ---------------------------------------------------------------- overlays

// No two texts over a picture overlap, none leaves its box and none covers
// the camera number the recorder wrote into the picture's top right corner:
// every layout at the window's first-start size and at 1400x900, on a card
// of each format. Each format's window at both sizes goes to build/screens/.
TEST_F(MainWindowTest, OverlayTextsNeverRunIntoEachOther) {
  for (int format : {0, 1, 2}) {
    mkcard::Options o;
    o.format = format;
    o.seed = 40 + uint32_t(format);
    o.records = 40;
    auto form = StartWithCard(o, "overlay.img");
    ASSERT_TRUE(form->viewer.source().CardOpen);
    form->viewer.ShowPositionWithCompanion(5);
    const int picH = form->viewer.source().PictureHeight, picW = form->viewer.source().PictureWidth;
    for (const QSize size : {QSize(682, 451), QSize(1400, 900)}) {
      form->resize(size);
      QCoreApplication::processEvents();
      for (int layout = 0; layout < 8; ++layout) {
        form->viewer.VIEW_Click(layout & 3);
        if ((layout >= 4) != (form->viewer.disp().ViewLayout >= 4)) form->viewer.VIEW_SWAP_Click();
        const int shown = form->viewer.disp().ViewLayout;
        const PaintPlan plan = ImagePaintPlan(form->viewer, form->Image->width(), form->Image->height(),
                                              &ImageBox::OverlayTextWidth);
        const std::string where = "format " + std::to_string(format) + " at " + std::to_string(size.width()) +
                                  "x" + std::to_string(size.height()) + ", layout " + std::to_string(shown);
        std::vector<std::pair<std::string, std::array<int, 4>>> all;
        for (const PaintCamera& c : plan.cameras) {
          // The recorder's number: s = height/64; columns w-6s .. w-s, rows s .. 8s.
          const int s = std::max(1, picH / 64);
          const double sx = double(c.right - c.left) / picW, sy = double(c.bottom - c.top) / picH;
          const std::array<int, 4> corner{c.left + int((picW - 6 * s) * sx), c.top + int(s * sy),
                                          c.left + int((picW - s) * sx + 1), c.top + int(8 * s * sy + 1)};
          ASSERT_GE(c.texts.size(), 2u) << where;
          for (size_t i = 1; i < c.texts.size(); ++i) {
            std::array<int, 4> r = TextRect(c.texts[i], &ImageBox::OverlayTextWidth);
            if (i == 1) r[0] = TextRect(c.texts[0], &ImageBox::OverlayTextWidth)[0] , r[1] -= 1;  // with its shadow
            EXPECT_TRUE(r[0] >= c.box.x && r[2] <= c.box.x + c.box.w && r[1] >= c.box.y && r[3] <= c.box.y + c.box.h)
                << where << ": \"" << c.texts[i].text << "\" leaves its box";
            const bool clear = r[2] <= corner[0] || r[0] >= corner[2] || r[3] <= corner[1] || r[1] >= corner[3];
            EXPECT_TRUE(clear) << where << ": \"" << c.texts[i].text << "\" covers the corner number";
            EXPECT_GE(c.texts[i].px, kPictureGlyphMinimum) << where;
            all.push_back({c.texts[i].text, r});
          }
        }
        for (size_t i = 0; i < all.size(); ++i)
          for (size_t j = i + 1; j < all.size(); ++j) {
            const auto& a = all[i].second;
            const auto& b = all[j].second;
            EXPECT_FALSE(a[0] < b[2] && b[0] < a[2] && a[1] < b[3] && b[1] < a[3])
                << where << ": \"" << all[i].first << "\" runs into \"" << all[j].first << "\"";
          }
        if (layout == 0) {
          QCoreApplication::processEvents();
          test::SaveDrawnScreenshot(*form, QStringLiteral("overlay-format%1-%2x%3")
                                               .arg(format)
                                               .arg(size.width())
                                               .arg(size.height()));
        }
      }
    }
    // At the large size every text of the record is there.
    if (format == 2) {
      const auto texts = CameraTexts(*form, form->viewer.selection().ActiveCamera());
      EXPECT_TRUE(Carries(texts, "км/ч"));
      EXPECT_TRUE(Carries(texts, "fps"));
      EXPECT_TRUE(Carries(texts, "Uвх"));
    }
  }
}

TEST_F(MainWindowTest, StartsWithTheDummySoundDriver) {
  auto form = Start();
  EXPECT_TRUE(form->StartedFully());
  EXPECT_FALSE(form->EndAtStart());
  EXPECT_NE(form->viewer.play().SoundStream[0], 0u);
  EXPECT_NE(form->viewer.play().SoundStream[1], 0u);
  EXPECT_TRUE(form->ActionOpenCARD->isChecked());
  EXPECT_FALSE(form->ActionOpenFile->isChecked());
}

TEST_F(MainWindowTest, JournalOpensBesideTheWindowAndItsBoundsAreWritten) {
  {
    auto form = Start();
    ASSERT_NE(form->JournalForm, nullptr);
    form->ActionOpenJournal->trigger();
    EXPECT_TRUE(form->JournalForm->isVisible());
    EXPECT_NE(form->JournalForm->window(), form.get());
    form->JournalForm->setGeometry(33, 44, 555, 366);
  }
  const std::string text = test::ReadText(ini_);
  const auto at = text.find("[Journal]");
  ASSERT_NE(at, std::string::npos);
  EXPECT_NE(text.find("Left=33", at), std::string::npos);
  EXPECT_NE(text.find("Width=555", at), std::string::npos);
}

// The journal window opens where it was last closed, within the screen; the
// first time beside the main window where there is room for it.
TEST_F(MainWindowTest, JournalOpensWhereItWasLeftOrBesideTheWindow) {
  const QRect screen(0, 0, 1600, 900), main(100, 100, 682, 451);
  const QSize size(600, 400), minimum(300, 200);
  const WindowBounds inside{700, 300, 500, 350}, away{5000, -300, 9000, 100};
  EXPECT_EQ(TMainForm::JournalPlacement(screen, main, size, minimum, &inside), QRect(700, 300, 500, 350));
  EXPECT_EQ(TMainForm::JournalPlacement(screen, main, size, minimum, &away), QRect(0, 0, 1600, 200));
  // Beside it on the right, else on the left; never over the pictures when there is room.
  EXPECT_EQ(TMainForm::JournalPlacement(screen, main, size, minimum, nullptr), QRect(782, 100, 600, 400));
  const QRect atRight(900, 100, 682, 451);
  EXPECT_EQ(TMainForm::JournalPlacement(screen, atRight, size, minimum, nullptr), QRect(300, 100, 600, 400));
  // A screen with no room beside it: the edge with more room.
  const QRect small(0, 0, 800, 600), centred(59, 74, 682, 451);
  const QRect edge = TMainForm::JournalPlacement(small, centred, size, minimum, nullptr);
  EXPECT_TRUE(small.contains(edge));
  EXPECT_EQ(edge.size(), size);

  // Through the window: the bounds written at close come back.
  test::WriteText(ini_, "[Journal]\nLeft=40\nTop=50\nWidth=400\nHeight=300\n");
  auto form = Start();
  form->ActionOpenJournal->trigger();
  const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
  const QRect want = TMainForm::JournalPlacement(avail, form->frameGeometry(), form->JournalForm->size(),
                                                 form->JournalForm->minimumSizeHint().expandedTo(QSize(200, 150)),
                                                 &form->Settings.Journal);
  EXPECT_TRUE(form->Settings.JournalSaved);
  EXPECT_EQ(form->JournalForm->geometry(), want);
  EXPECT_EQ(form->JournalForm->geometry().topLeft(), QPoint(40, 50));
}

// A double click on an event moves both cameras to its time.
TEST_F(MainWindowTest, AJournalEventMovesBothCameras) {
  mkcard::Options o;
  o.format = 2;
  o.records = 400;
  o.journal = true;
  auto form = StartWithCard(o);
  auto* journal = qobject_cast<TJournalForm*>(form->JournalForm.data());
  ASSERT_NE(journal, nullptr);
  form->ActionOpenJournal->trigger();
  journal->ToolButton1Click();
  const Viewer& v = form->viewer;
  int moved = 0, movedRow = -1;
  for (int row = 0; row < journal->ListView->topLevelItemCount(); ++row) {
    journal->ListView->clearSelection();
    journal->ListView->topLevelItem(row)->setSelected(true);
    form->viewer.ShowPosition(v.selection().Count() - 1);  // somewhere else first
    const int32_t before = v.selection().Pos();
    journal->ListViewDblClick();
    if (v.selection().Pos() == before) continue;  // an event outside the recording
    ++moved;
    movedRow = row;
    ASSERT_GE(v.disp().ShownIndex[0], 0);
    ASSERT_GE(v.disp().ShownIndex[1], 0);
    const TimeStamp a = v.source().TimeOf(v.disp().ShownIndex[0]), b = v.source().TimeOf(v.disp().ShownIndex[1]);
    EXPECT_EQ(std::make_tuple(a.day, a.hour, a.minute), std::make_tuple(b.day, b.hour, b.minute)) << "row " << row;
  }
  ASSERT_GT(moved, 0);
  journal->ListView->clearSelection();
  journal->ListView->topLevelItem(movedRow)->setSelected(true);
  journal->ListView->scrollToItem(journal->ListView->topLevelItem(movedRow));
  journal->ListViewDblClick();
  journal->resize(520, 300);
  Screenshot(*form, QStringLiteral("journal-jump-main"));
  QCoreApplication::processEvents();
  test::SaveDrawnScreenshot(*journal, QStringLiteral("journal-after-double-click"));
}

TEST_F(MainWindowTest, AFileOnTheCommandLineIsOpenedInsteadOfTheCard) {
  InsertCard(2);
  auto form = Start({QString::fromStdString(Path("missing.kif"))});
  EXPECT_FALSE(form->HiddenToTray());
  EXPECT_TRUE(form->isVisible());
  EXPECT_FALSE(form->viewer.source().SourceIsCard);
  EXPECT_TRUE(form->ActionOpenFile->isChecked());
  EXPECT_FALSE(form->ActionOpenCARD->isChecked());
  EXPECT_EQ(form->viewer.noSourceText(), "Ошибка открытия файла!");
  form->CheckTimerTimer();  // archive mode: no scan for the card
  EXPECT_FALSE(form->viewer.source().CardOpen);
}

// A file dropped on the window opens as what it holds: a card image is
// viewed as the card, an archive in archive mode.
TEST_F(MainWindowTest, AFileDroppedOnTheWindowIsOpened) {
  auto form = Start();
  mkcard::Options o;
  o.format = 1;
  o.records = 30;
  const std::string image = Path("Копия карты.img");
  mkcard::WriteCard(o, image);
  const auto drop = [&](const std::string& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent dropped(QPointF(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &dropped);
    QCoreApplication::processEvents();
    return dropped.isAccepted();
  };
  ASSERT_TRUE(drop(image));
  EXPECT_TRUE(form->ActionOpenImage->isChecked());
  EXPECT_FALSE(form->ActionOpenCARD->isChecked());
  EXPECT_TRUE(form->viewer.source().CardOpen);
  EXPECT_EQ(form->viewer.selection().Count(), 30);
  EXPECT_TRUE(form->windowTitle().endsWith(QString::fromUtf8(" - Образ карты Копия карты.img")));
  EXPECT_EQ(form->ActionOpenImage->text(), QString::fromUtf8("Открыть образ карты…"));
  Screenshot(*form, QStringLiteral("card-image-dropped"));

  EXPECT_FALSE(drop(Path("missing.kif")));  // not a file: not taken
  EXPECT_TRUE(form->ActionOpenImage->isChecked());
  // Folders and several files at once are not taken either.
  QMimeData two;
  two.setUrls({QUrl::fromLocalFile(QString::fromStdString(image)), QUrl::fromLocalFile(QString::fromStdString(image))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &two, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(form.get(), &enter);
  EXPECT_FALSE(enter.isAccepted());

  const std::string archive = Path("other.kif");
  ASSERT_TRUE(test::WriteText(archive, "no archive"));
  ASSERT_TRUE(drop(archive));
  EXPECT_TRUE(form->ActionOpenFile->isChecked());
  EXPECT_FALSE(form->ActionOpenImage->isChecked());
  EXPECT_EQ(form->viewer.noSourceText(), "Ошибка чтения файла!");
}

// The menu entry opens journal files too: named at start, the journal
// window shows it over the card mode.
TEST_F(MainWindowTest, AJournalFileOnTheCommandLineOpensInTheJournalWindow) {
  const std::string journal = Path("events.klf");
  {
    mkcard::Options o;
    o.format = 2;
    o.records = 10;
    o.journal = true;
    auto form = StartWithCard(o);
    auto* window = qobject_cast<TJournalForm*>(form->JournalForm.data());
    ASSERT_NE(window, nullptr);
    window->ToolButton1Click();
    ASSERT_GT(window->ListView->topLevelItemCount(), 0);
    ASSERT_TRUE(window->journal().SaveJournalFile(journal));
  }
  qunsetenv("QUOVIL_DRIVES");
  auto form = Start({QString::fromStdString(journal)});
  EXPECT_TRUE(form->ActionOpenCARD->isChecked());
  auto* window = qobject_cast<TJournalForm*>(form->JournalForm.data());
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_GT(window->ListView->topLevelItemCount(), 0);
  EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(MainWindowTest, MessageBoxSpeaksRussianWithTheViewersCaption) {
  TMainForm::messageHook = nullptr;
  auto form = Start();
  QString title, text, yes, no;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    yes = box->button(QMessageBox::Yes)->text();
    no = box->button(QMessageBox::No)->text();
    box->button(QMessageBox::No)->click();
  });
  const MsgResult r = form->ShowMessageBox("Первая строка\rвторая", MsgKind::Confirmation, MsgButtons::YesNo);
  EXPECT_EQ(r, MsgResult::No);
  EXPECT_EQ(title, QStringLiteral("KORAX-X CARD VIEWER"));
  EXPECT_EQ(text, QStringLiteral("Первая строка\nвторая"));
  EXPECT_EQ(yes.remove(QLatin1Char('&')), QStringLiteral("Да"));
  EXPECT_EQ(no.remove(QLatin1Char('&')), QStringLiteral("Нет"));
}

}  // namespace
