// Exceptions inside the window: one that leaves a timer tick, a command or an
// event handled outside any command closes the source and shows it as not
// opened with its header error text; the window runs on and finds the card
// again once it reads.
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>
#include <new>

#include "app/view_main.h"
#include "mkcard/mkcard.h"
#include "platform/block_device.h"
#include "platform/serial_port.h"
#include "support/card_source.h"
#include "support/files.h"
#include "support/qt/test_app.h"
#include "support/qt/window_dialogs.h"
#include "viewer/bottom_panel.h"

namespace {

using namespace quovil;

// A device whose reads throw once armed, as a loader allocating for a count
// no card can hold would.
class ThrowingDevice : public BlockDevice {
 public:
  ThrowingDevice(std::unique_ptr<BlockDevice> inner, std::shared_ptr<bool> armed)
      : inner_(std::move(inner)), armed_(std::move(armed)) {}
  bool Read(uint64_t offset, void* buf, std::size_t n) override {
    if (*armed_) throw std::bad_alloc();
    return inner_->Read(offset, buf, n);
  }
  bool Write(uint64_t offset, const void* buf, std::size_t n) override { return inner_->Write(offset, buf, n); }
  int64_t Length() override { return inner_->Length(); }
  bool Removable() override { return inner_->Removable(); }
  bool Present() override { return inner_->Present(); }
  std::string Name() const override { return inner_->Name(); }

 private:
  std::unique_ptr<BlockDevice> inner_;
  std::shared_ptr<bool> armed_;
};

// The GPS output port, open, whose writes throw once armed (and disarm it).
class ThrowingPort : public SerialPort {
 public:
  explicit ThrowingPort(std::shared_ptr<bool> armed) : armed_(std::move(armed)) {}
  void SetPortName(const std::string& name) override { name_ = name; }
  std::string PortName() const override { return name_; }
  bool Open() override { return true; }
  bool IsOpen() const override { return true; }
  bool Write(const std::string&) override {
    if (!*armed_) return true;
    *armed_ = false;
    ++throws;
    throw std::bad_alloc();
  }
  void Close() override {}

  int throws = 0;

 private:
  std::shared_ptr<bool> armed_;
  std::string name_;
};

constexpr const char* kBadHeader = "Испорчен заголовок карты памяти!";

class WindowGuardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureTestApp();
    ASSERT_TRUE(dir_.isValid());
    dialogs_.answer = MsgResult::No;
    mkcard::Options o;
    o.format = 2;
    o.seed = 5;
    o.records = 60;
    card_ = Path("card.img");
    ASSERT_EQ(mkcard::WriteCard(o, card_).format, 2);
    archive_ = Path("saved.kif");
    ASSERT_TRUE(test::WriteBytes(archive_, mkcard::MakeArchive(o, 3)));
  }

  std::string Path(const char* name) const { return QDir(dir_.path()).filePath(name).toStdString(); }

  // The window watching the one card; armed: its reads throw from the start.
  std::unique_ptr<TMainForm> Start(bool armed) {
    *armed_ = armed;
    auto form = std::make_unique<TMainForm>(QStringList{}, Path("quovil.INI"));
    form->viewer.drives = std::make_unique<test::OneDrive>([path = card_, armed = armed_]() -> std::unique_ptr<BlockDevice> {
      std::unique_ptr<BlockDevice> dev = OpenImageFile(path);
      if (!dev) return nullptr;
      return std::make_unique<ThrowingDevice>(std::move(dev), armed);
    });
    form->StartShown(true);
    form->CheckTimerTimer();
    return form;
  }

  static QString Panel(const TMainForm& form, int i) { return form.StatusPanels[size_t(i)]->text(); }

  // The source is closed and the picture area says why; the window is whole.
  static void ExpectShownNotOpened(TMainForm& form, const std::string& text) {
    EXPECT_FALSE(form.viewer.source().CardOpen);
    EXPECT_FALSE(form.viewer.source().ArchiveOpen);
    EXPECT_EQ(form.viewer.noSourceText(), text);
    EXPECT_EQ(form.viewer.selection().Count(), 0);
    EXPECT_EQ(Panel(form, 0), QStringLiteral(" Размер: "));
    EXPECT_EQ(Panel(form, 4), QStringLiteral(" Фрагмент: "));
    EXPECT_TRUE(form.CheckTimer->isActive());
    EXPECT_TRUE(form.centralWidget()->isEnabled());
  }

  QTemporaryDir dir_;
  std::string card_, archive_;
  std::shared_ptr<bool> armed_ = std::make_shared<bool>(false);
  test::WindowDialogs dialogs_;
};

TEST_F(WindowGuardTest, AFailingCardScanOnTheTimerTickShowsTheCardNotOpened) {
  auto form = Start(true);
  ExpectShownNotOpened(*form, kBadHeader);

  // The same tick keeps failing without harm, and finds the card once it reads.
  form->CheckTimerTimer();
  ExpectShownNotOpened(*form, kBadHeader);
  *armed_ = false;
  form->CheckTimerTimer();
  EXPECT_TRUE(form->viewer.source().CardOpen);
  EXPECT_EQ(form->viewer.selection().Count(), 60);
}

TEST_F(WindowGuardTest, AFailingCommandClosesTheCardItWorkedOn) {
  auto form = Start(false);
  ASSERT_TRUE(form->viewer.source().CardOpen);
  *armed_ = true;
  form->ActionViewAll->trigger();
  ExpectShownNotOpened(*form, kBadHeader);
}

TEST_F(WindowGuardTest, AFailingArchiveIsShownAsUnreadable) {
  ThrowingPort port(armed_);
  auto form = Start(false);
  form->viewer.OpenArchive(archive_);
  ASSERT_TRUE(form->viewer.source().ArchiveOpen);
  ASSERT_GT(form->viewer.selection().Count(), 0);
  // The command on the archive fails: rebuilding its selection resets the
  // GPS output, whose port throws from here on.
  form->viewer.COMM1 = &port;
  *armed_ = true;
  form->ActionViewAll->trigger();
  EXPECT_EQ(port.throws, 1);
  ExpectShownNotOpened(*form, "Ошибка чтения файла!");
  EXPECT_FALSE(form->viewer.source().SourceIsCard);
}

// The playback buttons call the viewer straight from their click, outside
// any command of the window.
TEST_F(WindowGuardTest, AFailingEventOutsideAnyCommandClosesTheCard) {
  auto form = Start(false);
  ASSERT_TRUE(form->viewer.source().CardOpen);
  *armed_ = true;
  QTest::mouseClick(form->JvPanel2->MoveToEndBtn, Qt::LeftButton);
  ExpectShownNotOpened(*form, kBadHeader);
}

// Whatever handler lets an exception through, the application stops it.
TEST_F(WindowGuardTest, AnExceptionLeavingAnyEventIsStoppedByTheApplication) {
  class Failing : public QObject {
    bool event(QEvent* e) override {
      if (e->type() == QEvent::User) throw std::bad_alloc();
      return QObject::event(e);
    }
  } failing;
  auto form = Start(false);
  ASSERT_TRUE(form->viewer.source().CardOpen);
  QEvent e(QEvent::User);
  EXPECT_FALSE(QCoreApplication::sendEvent(&failing, &e));
  ExpectShownNotOpened(*form, kBadHeader);
}

// A command waiting on its question still holds the card's data: the fault
// closes the card only once that command has returned.
TEST_F(WindowGuardTest, AFaultDuringAQuestionWaitsForTheCommandToReturn) {
  auto form = Start(false);
  ASSERT_TRUE(form->viewer.source().CardOpen);
  bool openDuringQuestion = false;
  dialogs_.whileShown = [&] {
    *armed_ = true;
    QTest::mouseClick(form->JvPanel2->MoveToEndBtn, Qt::LeftButton);
    openDuringQuestion = form->viewer.source().CardOpen;
  };
  form->ActionDeleteAll->trigger();
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_TRUE(openDuringQuestion);
  ExpectShownNotOpened(*form, kBadHeader);
}

}  // namespace
