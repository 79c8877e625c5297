// The window as a desktop user starts it: no drive named, the system's disk
// service on the bus. The card in a reader is found through the service and
// opened read-only without any password; one whose opening the user
// declined is named in the picture area. Both windows are grabbed to
// build/screens/.
#include <gtest/gtest.h>

#ifdef QUOVIL_DISK_SERVICE

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

#include "app/view_main.h"
#include "mkcard/mkcard.h"
#include "platform/dbus/udisks_drives.h"
#include "support/dbus/standin_bus.h"
#include "support/files.h"
#include "support/qt/screenshots.h"
#include "support/qt/test_app.h"
#include "support/qt/window_dialogs.h"

namespace {

using namespace quovil;

class DiskServiceWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureTestApp();
    ASSERT_TRUE(dir_.isValid());
    service_ = std::make_unique<test::StandInDiskService>(Path("."));
    ASSERT_TRUE(service_->ok()) << service_->error();
    mkcard::Options o;
    o.format = 2;
    o.records = 40;
    o.width = 320;
    o.height = 240;
    ASSERT_TRUE(test::WriteBytes(card_, mkcard::MakeCard(o)));
    unsetenv("QUOVIL_DRIVES");
    setenv("DBUS_SYSTEM_BUS_ADDRESS", service_->address().c_str(), 1);
  }
  void TearDown() override {
    form_.reset();
    service_.reset();
    unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
  }
  std::string Path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)).toStdString(); }

  // The window started as the menu entry starts it; true when its scan
  // goes through the service (the system bus of this test program may have
  // been met before the bus was named).
  bool StartWindow() {
    form_ = std::make_unique<TMainForm>(QStringList{}, Path("quovil.INI"));
    form_->StartShown(true);
    return dynamic_cast<UDisksDrives*>(form_->viewer.drives.get()) != nullptr;
  }
  void Tick() {
    QCoreApplication::processEvents();
    form_->CheckTimerTimer();
    QCoreApplication::processEvents();
  }
  void Screenshot(const QString& name) {
    form_->resize(900, 600);
    QCoreApplication::processEvents();
    test::SaveDrawnScreenshot(*form_, name);
  }

  QTemporaryDir dir_;
  std::string card_ = Path("card.img");
  std::unique_ptr<test::StandInDiskService> service_;
  test::WindowDialogs dialogs_;
  std::unique_ptr<TMainForm> form_;
};

TEST_F(DiskServiceWindowTest, TheCardInAReaderIsFoundThroughTheDiskService) {
  service_->AddDrive("sda", Path("card.img"), "fixed", true, true);
  service_->AddDrive("sdb", card_, "reader");
  if (!StartWindow()) GTEST_SKIP() << "the system bus was met before this test named its own";
  Tick();
  ASSERT_TRUE(form_->viewer.source().CardOpen) << form_->viewer.noSourceText();
  EXPECT_EQ(form_->viewer.source().Card->Name(), "/dev/sdb");
  EXPECT_EQ(form_->viewer.selection().Count(), 40);
  EXPECT_EQ(service_->Opens(), QStringList{QStringLiteral("/dev/sdb r")});
  EXPECT_FALSE(form_->HiddenToTray());
  EXPECT_TRUE(dialogs_.messages.empty());
  Screenshot(QStringLiteral("disk-service-card-found"));

  service_->RemoveDrive("sdb");
  std::vector<uint8_t> image = test::ReadBytes(card_);
  ASSERT_TRUE(test::WriteBytes(card_, {}));
  Tick();
  EXPECT_FALSE(form_->viewer.source().CardOpen);
}

TEST_F(DiskServiceWindowTest, ACardTheUserDidNotLetOpenIsNamedInThePictureArea) {
  service_->AddDrive("sdb", card_, "reader");
  service_->Refuse(QStringLiteral("org.freedesktop.UDisks2.Error.NotAuthorizedDismissed"), QString());
  if (!StartWindow()) GTEST_SKIP() << "the system bus was met before this test named its own";
  form_->ShowFromTray();
  Tick();
  EXPECT_FALSE(form_->viewer.source().CardOpen);
  EXPECT_EQ(form_->viewer.noSourceText(), DeclinedText("/dev/sdb"));
  Screenshot(QStringLiteral("disk-service-declined"));
  // "Карта SD" asks again.
  service_->Refuse(QString(), QString());
  form_->ActionOpenCARD->trigger();
  Tick();
  EXPECT_TRUE(form_->viewer.source().CardOpen);
}

}  // namespace

#endif
