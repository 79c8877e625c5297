// The drive scan through the disk service, against a stand-in service on a
// private bus started by the test: a card found and opened read-only through
// the service, a card pulled, disks that are no card reader left alone, a
// refused authorisation that is not asked again every second, clearing
// through a descriptor opened for writing, and the fallback without a bus.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QStringList>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "card/state_tables.h"
#include "mkcard/mkcard.h"
#include "platform/dbus/udisks_drives.h"
#include "support/card_writes.h"
#include "support/dbus/standin_bus.h"
#include "support/files.h"
#include "support/recording_host.h"
#include "viewer/viewer.h"

namespace {

using namespace quovil;
using quovil::test::ScratchFolder;

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "udisks_tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
  return app ? *app : *QCoreApplication::instance();
}

// A private bus with the stand-in service on it, and a viewer whose drive
// scan goes through it.
class DiskServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    service = std::make_unique<test::StandInDiskService>(dir.path());
    ASSERT_TRUE(service->ok()) << service->error();
    mkcard::Options o;
    o.format = 2;
    o.records = 12;
    ASSERT_TRUE(test::WriteBytes(card, mkcard::MakeCard(o)));
    ASSERT_TRUE(test::WriteBytes(disk, std::vector<uint8_t>(1 << 16, 0)));
  }
  void TearDown() override {
    viewer.reset();
    service.reset();
  }

  QDBusMessage Control(const QString& method, const QVariantList& args = {}) { return service->Control(method, args); }
  void AddDrive(const std::string& name, const std::string& image, const char* kind, bool media = true,
                bool partition = false) {
    service->AddDrive(name, image, kind, media, partition);
  }
  void RemoveDrive(const char* name) { service->RemoveDrive(name); }
  QStringList Opens() { return service->Opens(); }

  // The viewer scanning through the service; its watch ticks once.
  void StartViewer() {
    auto drives = UDisksDrives::Connect(service->connection());
    ASSERT_TRUE(drives);
    scan = drives.get();
    viewer = std::make_unique<Viewer>(host);
    viewer->drives = std::move(drives);
  }
  void Tick() {
    App().processEvents();  // the service's signals
    viewer->CheckTimerTimer();
  }

  ScratchFolder dir{"udisks"};
  std::string card = dir / "card.img";
  std::string disk = dir / "disk.img";
  std::unique_ptr<test::StandInDiskService> service;
  test::RecordingHost host;
  std::unique_ptr<Viewer> viewer;
  UDisksDrives* scan = nullptr;
};

TEST_F(DiskServiceTest, TheCardReaderIsFoundAndOpenedReadOnlyOtherDisksAreLeftAlone) {
  AddDrive("sda", disk, "fixed", true, true);
  AddDrive("sr0", disk, "optical");
  AddDrive("sdc", card, "reader", false);  // a reader without a card
  AddDrive("sdb", card, "reader", true, true);
  StartViewer();
  Tick();
  ASSERT_TRUE(viewer->source().CardOpen) << viewer->noSourceText();
  EXPECT_EQ(viewer->source().Card->Name(), "/dev/sdb");
  EXPECT_EQ(scan->Devices(), std::vector<std::string>{"/dev/sdb"});
  EXPECT_EQ(Opens(), QStringList{QStringLiteral("/dev/sdb r")}) << "only the card reader's whole disk, read-only";
  EXPECT_GT(viewer->selection().Count(), 0);
  // Read-only: nothing but clearing may write.
  uint8_t sector[512] = {};
  EXPECT_FALSE(viewer->source().Card->Write(0, sector, sizeof sector));
  // Ticks of an open card ask the service nothing.
  const int listings = scan->Listings();
  Tick();
  Tick();
  EXPECT_EQ(scan->Listings(), listings);
  EXPECT_EQ(Opens().size(), 1);
}

TEST_F(DiskServiceTest, APulledCardIsClosedAndAnInsertedOneFoundOnTheNextTick) {
  StartViewer();
  Tick();
  EXPECT_FALSE(viewer->source().CardOpen);
  EXPECT_EQ(viewer->noSourceText(), "Карта памяти отсутствует!");
  AddDrive("sdb", card, "reader");
  Tick();
  ASSERT_TRUE(viewer->source().CardOpen);
  // Pulled: the service drops the disk and the card reads as empty.
  RemoveDrive("sdb");
  std::ofstream(card, std::ios::trunc).close();
  Tick();
  EXPECT_FALSE(viewer->source().CardOpen);
  EXPECT_EQ(viewer->noSourceText(), "Карта памяти отсутствует!");
}

TEST_F(DiskServiceTest, ARefusedAuthorisationIsNamedAndAskedAgainOnlyWhenTheUserWants) {
  AddDrive("sdb", card, "reader");
  Control(QStringLiteral("Refuse"), {QStringLiteral("org.freedesktop.UDisks2.Error.NotAuthorizedDismissed"), QString()});
  StartViewer();
  Tick();
  EXPECT_FALSE(viewer->source().CardOpen);
  EXPECT_EQ(viewer->noSourceText(), DeclinedText("/dev/sdb"));
  EXPECT_NE(viewer->noSourceText().find("/dev/sdb"), std::string::npos);
  Tick();
  Tick();
  EXPECT_EQ(Opens().size(), 1) << "not asked again every second";
  // "Карта SD" asks again; now the user agrees.
  Control(QStringLiteral("Refuse"), {QString(), QString()});
  viewer->ActionOpenCARDExecute();
  Tick();
  EXPECT_TRUE(viewer->source().CardOpen);
  EXPECT_EQ(Opens().size(), 2);

  // A card put in again is asked for again as well.
  Control(QStringLiteral("Refuse"), {QStringLiteral("org.freedesktop.UDisks2.Error.NotAuthorized"), QString()});
  RemoveDrive("sdb");
  std::vector<uint8_t> image = test::ReadBytes(card);
  std::ofstream(card, std::ios::trunc).close();
  Tick();
  ASSERT_FALSE(viewer->source().CardOpen);
  ASSERT_TRUE(test::WriteBytes(card, image));
  AddDrive("sdb", card, "reader");
  Tick();
  EXPECT_EQ(Opens().size(), 3);
  EXPECT_EQ(viewer->noSourceText(), DeclinedText("/dev/sdb"));
  RemoveDrive("sdb");
  Tick();
  EXPECT_EQ(viewer->noSourceText(), "Карта памяти отсутствует!") << "no card, no question";
}

TEST_F(DiskServiceTest, ClearingWritesThroughADescriptorOpenedForWritingOnly) {
  AddDrive("sdb", card, "reader");
  StartViewer();
  Tick();
  ASSERT_TRUE(viewer->source().CardOpen);
  const std::vector<uint8_t> before = test::ReadBytes(card);

  // Writing refused: nothing on the card changes.
  Control(QStringLiteral("Refuse"), {QString(), QStringLiteral("org.freedesktop.UDisks2.Error.NotAuthorized")});
  {
    test::AllowCardWrites writes;
    EXPECT_EQ(viewer->ActionDeleteAllExecute(), Viewer::ClearResult::WriteFailed);
  }
  EXPECT_EQ(host.messages.back(), Viewer::kClearFailedText);
  EXPECT_EQ(test::ReadBytes(card), before);

  Control(QStringLiteral("Refuse"), {QString(), QString()});
  {
    test::AllowCardWrites writes;
    EXPECT_EQ(viewer->ActionDeleteAllExecute(), Viewer::ClearResult::Cleared);
  }
  EXPECT_EQ(Opens(), (QStringList{QStringLiteral("/dev/sdb r"), QStringLiteral("/dev/sdb rw"),
                                  QStringLiteral("/dev/sdb rw")}));
  EXPECT_NE(test::ReadBytes(card), before);
  EXPECT_EQ(viewer->selection().Count(), 0);
  // Back to read-only once cleared.
  uint8_t sector[512] = {};
  EXPECT_FALSE(viewer->source().Card->Write(0, sector, sizeof sector));
}

TEST(DiskServiceFallback, WithoutABusOrAServiceTheDisksAreScannedDirectly) {
  App();
  EXPECT_FALSE(UDisksDrives::Connect(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                                   QStringLiteral("quovil-no-bus"))));
  QDBusConnection::disconnectFromBus(QStringLiteral("quovil-no-bus"));
  setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
  unsetenv("QUOVIL_DRIVES");
  auto drives = DesktopDriveEnumerator();
  ASSERT_TRUE(drives);
  EXPECT_EQ(dynamic_cast<UDisksDrives*>(drives.get()), nullptr);
  // The named drives still come first.
  setenv("QUOVIL_DRIVES", "/nonexistent/card.img", 1);
  drives = DesktopDriveEnumerator();
  ASSERT_TRUE(drives);
  EXPECT_EQ(drives->Count(), 1);
  unsetenv("QUOVIL_DRIVES");
}

}  // namespace
