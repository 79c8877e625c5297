// One viewer at a time: later copies hand their argument to the running one,
// which comes to the front, opens the named archive file or closes; messages
// keep their order, and only the same user is listened to.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUuid>

#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/EventWaitThread.h"
#include "app/locale_ru.h"
#include "app/single_instance.h"
#include "app/view_main.h"
#include "support/qt/test_app.h"

namespace {

using namespace quovil;

constexpr int kWaitMs = 20000;

// Runs the event loop until done() holds or the wait runs out.
bool WaitFor(const std::function<bool()>& done, int ms = kWaitMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return true;
}

// Counts the hand-over events the waiting thread posts.
class Receiver : public QObject {
 public:
  int events = 0;

 protected:
  void customEvent(QEvent* e) override {
    if (e->type() == kHandOverEvent) ++events;
  }
};

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureTestApp();
    ASSERT_TRUE(dir_.isValid());
    // A name of this test's own, so no other viewer on the machine is reached.
    instance_ = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    qputenv("QUOVIL_INSTANCE", QByteArray::fromStdString(instance_));
    name_ = HandOverName();
    ini_ = Path("quovil.INI");
  }
  void TearDown() override {
    qunsetenv("QUOVIL_INSTANCE");
    TMainForm::handOverEndpoint = nullptr;
    TMainForm::messageHook = nullptr;
  }

  QString Path(const char* name) const { return QDir(dir_.path()).filePath(QString::fromUtf8(name)); }

  // The real program, headless and silent, with its own settings file and no
  // drive to scan.
  std::unique_ptr<QProcess> Viewer(const QStringList& args) const {
    auto p = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    env.insert(QStringLiteral("QUOVIL_SETTINGS"), ini_);
    env.insert(QStringLiteral("QUOVIL_DRIVES"), Path("no-card.img"));
    env.insert(QStringLiteral("QUOVIL_INSTANCE"), QString::fromStdString(instance_));
    env.insert(QStringLiteral("LSAN_OPTIONS"), QStringLiteral("suppressions=") + Suppressions());
    p->setProcessEnvironment(env);
    p->setWorkingDirectory(dir_.path());
    p->setProgram(QStringLiteral(QUOVIL_VIEWER));
    p->setArguments(args);
    return p;
  }

  // Runs a copy to its end; its exit code, or -1 when it did not end in time.
  int RunCopy(const QStringList& args) const {
    auto p = Viewer(args);
    p->start();
    if (!p->waitForFinished(kWaitMs)) {
      p->kill();
      p->waitForFinished();
      return -1;
    }
    return p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
  }

  // Fontconfig keeps its caches to the end of a process on purpose.
  QString Suppressions() const {
    const QString path = Path("lsan.supp");
    QFile f(path);
    if (!f.exists() && f.open(QIODevice::WriteOnly)) f.write("leak:libfontconfig.so\n");
    return path;
  }

  // Whether a copy listens under the test's name: a bare connection carries no
  // message, so the running copy does nothing with it.
  bool Listening() const {
    QLocalSocket s;
    s.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    s.connectToServer(QString::fromStdString(name_));
    const bool ok = s.waitForConnected(200);
    s.abort();
    return ok;
  }

  QTemporaryDir dir_;
  std::string instance_;
  std::string name_;
  QString ini_;
};

// ---------------------------------------------------------------- messages

TEST(HandOverFrames, KeepBoundariesAndDropWhatIsIncompleteOrTooLong) {
  const std::string bytes = EncodeHandOverFrame("a b") + EncodeHandOverFrame("") + EncodeHandOverFrame("/x.kif");
  std::vector<std::string> got;
  EXPECT_TRUE(DecodeHandOverFrames(bytes, got));
  EXPECT_EQ(got, (std::vector<std::string>{"a b", "", "/x.kif"}));

  got.clear();
  EXPECT_TRUE(DecodeHandOverFrames(bytes.substr(0, bytes.size() - 1), got));
  EXPECT_EQ(got, (std::vector<std::string>{"a b", ""}));

  got.clear();
  std::string huge = EncodeHandOverFrame("ok") + std::string("\xff\xff\xff\x7f", 4) + "rest";
  EXPECT_FALSE(DecodeHandOverFrames(huge, got));
  EXPECT_EQ(got, (std::vector<std::string>{"ok"}));
}

TEST(HandOverText, FileNamesTravelAbsolute) {
  const char* none[] = {"quovil", nullptr};
  EXPECT_EQ(HandOverText(1, none), " ");
  const char* close[] = {"quovil", "e"};
  EXPECT_EQ(HandOverText(2, close), "e");
  const char* empty[] = {"quovil", ""};
  EXPECT_EQ(HandOverText(2, empty), "");
  const char* relative[] = {"quovil", "day.kif"};
  EXPECT_EQ(HandOverText(2, relative), (std::filesystem::current_path() / "day.kif").string());
  const char* absolute[] = {"quovil", "/data/day.kif"};
  EXPECT_EQ(HandOverText(2, absolute), "/data/day.kif");
}

TEST(PeerCredentials, OnlyTheSameUserIsListenedTo) {
  int pair[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
  EXPECT_TRUE(PeerIsUser(pair[0], geteuid()));
  EXPECT_FALSE(PeerIsUser(pair[0], geteuid() + 1));
  EXPECT_FALSE(PeerIsUser(-1, geteuid()));
  close(pair[0]);
  close(pair[1]);
}

// ---------------------------------------------------------------- the endpoint

TEST_F(SingleInstanceTest, OneOwnerAtATimeAndNothingLeftBehind) {
  {
    HandOverEndpoint first(name_);
    ASSERT_EQ(first.Claim(), HandOverEndpoint::Role::First);
    HandOverEndpoint second(name_);
    EXPECT_EQ(second.Claim(), HandOverEndpoint::Role::Later);
  }
  HandOverEndpoint again(name_);
  EXPECT_EQ(again.Claim(), HandOverEndpoint::Role::First);
}

TEST_F(SingleInstanceTest, QuickLaterCopiesAreHandledInOrderAndEmptyArgumentsSkipped) {
  HandOverEndpoint endpoint(name_);
  ASSERT_EQ(endpoint.Claim(), HandOverEndpoint::Role::First);
  Receiver window;
  TEventWaitThread thread(endpoint, &window);
  thread.start();

  // Started one after another before the running copy takes anything.
  ASSERT_EQ(RunCopy({QStringLiteral("first.kif")}), 0);
  ASSERT_EQ(RunCopy({QString()}), 0);
  ASSERT_EQ(RunCopy({QStringLiteral("second.kif")}), 0);
  ASSERT_EQ(RunCopy({}), 0);
  ASSERT_TRUE(WaitFor([&] { return window.events >= 4; }));

  std::vector<std::string> got;
  for (std::string m = endpoint.ReadHandOverMessage(); !m.empty(); m = endpoint.ReadHandOverMessage()) {
    got.push_back(m);
  }
  const std::string folder = dir_.path().toStdString();
  EXPECT_EQ(got, (std::vector<std::string>{folder + "/first.kif", folder + "/second.kif", " "}));
}

// ---------------------------------------------------------------- the window

class HandOverWindowTest : public SingleInstanceTest {
 protected:
  void SetUp() override {
    SingleInstanceTest::SetUp();
    qputenv("QUOVIL_DRIVES", Path("no-card.img").toUtf8());
    endpoint_ = std::make_unique<HandOverEndpoint>(name_);
    ASSERT_EQ(endpoint_->Claim(), HandOverEndpoint::Role::First);
    TMainForm::handOverEndpoint = endpoint_.get();
    TMainForm::messageHook = [](const std::string&, MsgKind, MsgButtons) { return MsgResult::Ok; };
    form_ = std::make_unique<TMainForm>(QStringList{}, ini_.toStdString());
    form_->StartShown(true);
    ASSERT_NE(form_->EventWait, nullptr);
  }
  void TearDown() override {
    form_.reset();
    endpoint_.reset();
    qunsetenv("QUOVIL_DRIVES");
    SingleInstanceTest::TearDown();
  }

  std::unique_ptr<HandOverEndpoint> endpoint_;
  std::unique_ptr<TMainForm> form_;
};

TEST_F(HandOverWindowTest, BlankOnlyBringsTheWindowToTheFront) {
  ASSERT_TRUE(form_->HiddenToTray());
  ASSERT_TRUE(HandOverEndpoint::Send(name_, " "));
  ASSERT_TRUE(WaitFor([&] { return !form_->HiddenToTray(); }));
  EXPECT_TRUE(form_->isVisible());
  EXPECT_TRUE(form_->viewer.source().SourceIsCard);
  EXPECT_EQ(form_->viewer.noSourceText(), "Карта памяти отсутствует!");
}

TEST_F(HandOverWindowTest, FileNameOpensTheArchiveAndECloses) {
  QSignalSpy closed(form_.get(), &TMainForm::Closed);
  ASSERT_TRUE(HandOverEndpoint::Send(name_, Path("missing.kif").toStdString()));
  ASSERT_TRUE(WaitFor([&] { return !form_->viewer.source().SourceIsCard; }));
  EXPECT_EQ(form_->viewer.noSourceText(), "Ошибка открытия файла!");
  EXPECT_FALSE(form_->HiddenToTray());
  EXPECT_EQ(closed.count(), 0);

  ASSERT_TRUE(HandOverEndpoint::Send(name_, "e"));
  ASSERT_TRUE(WaitFor([&] { return closed.count() == 1; }));
}

// ---------------------------------------------------------------- the program

TEST_F(SingleInstanceTest, ELaterCopyClosesTheRunningViewer) {
  auto running = Viewer({});
  running->start();
  ASSERT_TRUE(running->waitForStarted(kWaitMs));
  ASSERT_TRUE(WaitFor([&] { return Listening() || running->state() == QProcess::NotRunning; }));
  ASSERT_EQ(running->state(), QProcess::Running) << running->readAllStandardError().toStdString();

  EXPECT_EQ(RunCopy({QStringLiteral("e")}), 0);
  ASSERT_TRUE(running->waitForFinished(kWaitMs));
  EXPECT_EQ(running->exitCode(), 0) << running->readAllStandardError().toStdString();
  // It closed the ordinary way: the settings were written.
  EXPECT_TRUE(QFile::exists(ini_));
  EXPECT_FALSE(Listening());
}

TEST_F(SingleInstanceTest, EWithNothingRunningEndsAtOnce) {
  EXPECT_EQ(RunCopy({QStringLiteral("e")}), 0);
  EXPECT_FALSE(QFile::exists(ini_));
  EXPECT_FALSE(Listening());
}

}  // namespace
