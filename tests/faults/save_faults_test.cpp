// Saving an archive file and exporting AVI while the card fails a read, and
// onto a disk that is full: the viewer's error message, never a success, and
// the card untouched.
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

#include <filesystem>

#include "export/archive_save.h"
#include "export/avi_export.h"
#include "fault_fixture.h"

namespace faults {
namespace {

#ifndef _WIN32
// Files the process writes may not grow past `bytes` while it lives: the
// disk is full for them. Writes past the limit fail with EFBIG instead of
// raising SIGXFSZ.
class DiskFull {
 public:
  explicit DiskFull(rlim_t bytes) {
    old_ = signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit l = saved_;
    l.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &l);
  }
  ~DiskFull() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, old_);
  }

 private:
  rlimit saved_{};
  sighandler_t old_;
};
#endif

// Windows has no file size limit that makes a disk full for one process.
#define FULL_DISK_CANNOT_BE_MADE() GTEST_SKIP() << "no file size limit to fill the disk with on Windows"

class SaveFaults : public FaultTest, public ::testing::WithParamInterface<int> {
 protected:
  std::vector<int32_t> Selection() {
    std::vector<int32_t> out;
    for (int32_t p = 0; p < viewer->selection().Count(); ++p) out.push_back(viewer->IndexAtPos(p));
    return out;
  }
  quovil::ArchiveSaveResult Save() {
    quovil::HostProgress progress(host);
    return quovil::WriteArchiveFile(viewer->source(), Selection(), dir + "/out.kif", progress);
  }
  // The file is refused where an archive is opened, as a damaged one.
  void ExpectNoArchive(const std::string& path) {
    quovil::Viewer other(host);
    other.OpenArchive(path);
    EXPECT_FALSE(other.source().ArchiveOpen) << path;
    EXPECT_EQ(other.noSourceText(), "Ошибка чтения файла!") << path;
  }
  quovil::AviExportResult Export() {
    quovil::AviExportList list;
    EXPECT_TRUE(quovil::CollectAviEntries(*viewer, list));
    return quovil::WriteAviFragment(*viewer, list, dir + "/out.avi");
  }
};

TEST_P(SaveFaults, ArchiveSaveWithAFailedReadAtEveryRead) {
  MakeCard(SmallCard(GetParam()));
  ASSERT_TRUE(OpenCard());
  int before = plan->reads;
  ASSERT_EQ(Save().status, quovil::ArchiveSaveStatus::Saved);
  const int reads = plan->reads - before;
  ASSERT_GT(reads, 0);
  for (int n = 1; n <= reads; ++n) {
    plan->FailReadIn(n);
    auto r = Save();
    EXPECT_EQ(r.status, quovil::ArchiveSaveStatus::WriteFailed) << "read " << n;
    // The card failed, not the disk; what was written never opens as an archive.
    EXPECT_EQ(r.message, "Ошибка чтения карты памяти!");
    ExpectNoArchive(dir + "/out.kif");
    plan->Disarm();
  }
  EXPECT_EQ(plan->writes, 0);
  // The viewer saves again as soon as the card reads.
  EXPECT_EQ(Save().status, quovil::ArchiveSaveStatus::Saved);
  ExpectCardUnchanged();
}

TEST_P(SaveFaults, ArchiveSaveOntoAFullDisk) {
#ifdef _WIN32
  FULL_DISK_CANNOT_BE_MADE();
#else
  MakeCard(SmallCard(GetParam()));
  ASSERT_TRUE(OpenCard());
  for (rlim_t room : {rlim_t(0), rlim_t(20), rlim_t(4096)}) {
    quovil::ArchiveSaveResult r;
    {
      DiskFull full(room);
      r = Save();
    }
    EXPECT_EQ(r.status, quovil::ArchiveSaveStatus::WriteFailed) << room;
    EXPECT_EQ(r.message, "Ошибка записи файла!");
    // The partial file stays, but is refused as a damaged archive.
    EXPECT_TRUE(std::filesystem::exists(dir + "/out.kif"));
    ExpectNoArchive(dir + "/out.kif");
  }
  EXPECT_EQ(plan->writes, 0);
  ExpectCardUnchanged();
  ExpectSoundViewer();
#endif
}

TEST_P(SaveFaults, AviExportWithAFailedReadAtEveryRead) {
  MakeCard(SmallCard(GetParam()));
  ASSERT_TRUE(OpenCard());
  int before = plan->reads;
  auto clean = Export();
  ASSERT_FALSE(clean.failed);
  const int reads = plan->reads - before;
  for (int n = 1; n <= reads; ++n) {
    plan->FailReadIn(n);
    host.messages.clear();
    auto r = Export();
    plan->Disarm();
    // A record that cannot be read is either skipped or reported, never a crash.
    if (r.failed) {
      EXPECT_EQ(host.messages, std::vector<std::string>{"Возникла ошибка при записи AVI файла!"});
    }
    EXPECT_LE(r.frames, clean.frames);
  }
  EXPECT_EQ(plan->writes, 0);
  auto again = Export();
  EXPECT_FALSE(again.failed);
  EXPECT_EQ(again.frames, clean.frames);
  ExpectCardUnchanged();
}

TEST_P(SaveFaults, AviExportOntoAFullDisk) {
#ifdef _WIN32
  FULL_DISK_CANNOT_BE_MADE();
#else
  MakeCard(SmallCard(GetParam()));
  ASSERT_TRUE(OpenCard());
  for (rlim_t room : {rlim_t(0), rlim_t(100), rlim_t(8192)}) {
    host.messages.clear();
    quovil::AviExportResult r;
    {
      DiskFull full(room);
      r = Export();
    }
    EXPECT_TRUE(r.failed) << room;
    EXPECT_EQ(host.messages, std::vector<std::string>{"Возникла ошибка при записи AVI файла!"}) << room;
  }
  EXPECT_EQ(plan->writes, 0);
  ExpectCardUnchanged();
  ExpectSoundViewer();
#endif
}

INSTANTIATE_TEST_SUITE_P(Formats, SaveFaults, ::testing::Values(0, 1, 2));

}  // namespace
}  // namespace faults
