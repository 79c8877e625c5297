// The map setup wizard as the user sees it: the real wizard window of the main
// window, driven by the setup check over a stand-in port pair tool. The steps
// show their state in green or red, "Настроить" and "Отмена" are pressed on
// the window itself, and the main window is disabled only while it shows.
// The wizard is grabbed to build/screens/ for a look.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <functional>
#include <memory>
#include <set>

#include "app/view_main.h"
#include "gps/gps_window.h"
#include "gps/map_rules.h"
#include "gps/map_setup.h"
#include "gps/setup_form.h"
#include "support/qt/screenshots.h"
#include "support/qt/test_app.h"

namespace {

using namespace quovil;

const QRgb kGreen = qRgb(0, 128, 0);
const QRgb kRed = qRgb(255, 0, 0);

// The com0com tool and the system's ports as a test sets them up; port pair
// runs make the named ports appear unless told not to.
struct FakePorts {
  bool toolInstalled = true;
  bool portsAppear = true;
  std::set<std::string> ports{"COM1", "COM2", "GPS1", "COM5"};
  std::vector<std::string> listing{"       CNCA0 PortName=GPS1,EmuBR=no", "       CNCB0 PortName=COM5,EmuBR=no"};
  std::set<std::string> files;
  std::vector<std::string> runs;
};

class FakePlatform : public SetupPlatform {
 public:
  explicit FakePlatform(FakePorts& state) : s_(state) {}
  std::string FindSetupc() override { return s_.toolInstalled ? "C:\\com0com\\setupc.exe" : ""; }
  bool PortExists(const std::string& name) override { return s_.ports.count(name) > 0; }
  bool RunAndCapture(const std::string&, const std::string&, std::vector<std::string>& lines) override {
    lines = s_.listing;
    return true;
  }
  int RunAndWait(const std::string& program, const std::string& params) override {
    s_.runs.push_back(program + "|" + params);
    if (s_.portsAppear) {
      for (size_t at = 0; (at = params.find("PortName=", at)) != std::string::npos; ++at)
        s_.ports.insert(PortNameOfLine(params.substr(at)));
    }
    return 100;
  }
  bool FileExists(const std::string& path) override { return s_.files.count(path) > 0; }
  std::string InstallerPath() override { return "C:\\viewer\\setup_com.exe"; }

 private:
  FakePorts& s_;
};

// What one step of the wizard shows.
struct StepLook {
  bool checked;
  QString caption;
  bool green, red;  // caption pixels drawn in exactly that colour
};

StepLook Look(QCheckBox* box) {
  const QImage image = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
  bool green = false, red = false;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      green |= image.pixel(x, y) == kGreen;
      red |= image.pixel(x, y) == kRed;
    }
  }
  return {box->isChecked(), box->text(), green, red};
}

class SetupWizardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureTestApp();
    ASSERT_TRUE(dir_.isValid());
    // The card watch resumes after the wizard: it finds no card, not the machine's disks.
    qputenv("QUOVIL_DRIVES", QByteArray::fromStdString(Path("no-card.img")));
    sas_ = Path("SASPlanet.exe");
    ports_.files = {sas_};
    TMainForm::messageHook = [this](const std::string& text, MsgKind, MsgButtons) {
      messages_.push_back(text);
      return MsgResult::Ok;
    };
    GpsWindow::setupPlatformHook = [this] { return std::make_unique<FakePlatform>(ports_); };
  }
  void TearDown() override {
    TMainForm::messageHook = nullptr;
    GpsWindow::setupPlatformHook = nullptr;
    qunsetenv("QUOVIL_DRIVES");
  }

  std::string Path(const char* name) const { return QDir(dir_.path()).filePath(name).toStdString(); }

  // The main window, shown, with the map program of its settings file.
  void Start(const std::string& mapProgram) {
    const std::string ini = Path("quovil.INI");
    QFile f(QString::fromStdString(ini));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("[PARAMS]\nGPS_PORT=GPS1\nMAP_NAME=") + QByteArray::fromStdString(mapProgram) + "\n");
    f.close();
    form_ = std::make_unique<TMainForm>(QStringList{}, ini);
    form_->show();
    wizard_ = form_->findChild<TSetupForm*>();
    ASSERT_NE(wizard_, nullptr);
    settings_.MapProgramPath = mapProgram;
  }

  // The main window's own controls, without its dialogs.
  bool MainEnabled() const {
    return form_->centralWidget()->isEnabled() && form_->LeftToolBar->isEnabled() && form_->TopToolBar->isEnabled();
  }

  // Runs then once the wizard shows; if nobody answers it, it is closed after
  // a while so that a broken test fails instead of hanging.
  void WhenWizardShows(std::function<void()> then) {
    auto* poll = new QTimer(wizard_);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, wizard_, [this, poll, then] {
      if (!wizard_->isVisible()) return;
      poll->deleteLater();
      poll->stop();
      mainEnabledWhileShown_ = MainEnabled();
      checkTimerWhileShown_ = form_->CheckTimer->isActive();
      then();
    });
    poll->start();
    QTimer::singleShot(20000, wizard_, [this] { wizard_->close(); });
  }

  // The wizard's check over the stand-in platform, as the map action runs it.
  bool Check() {
    FakePlatform platform(ports_);
    return quovil::CheckMapSetup(platform, *wizard_, settings_, launch_);
  }

  std::array<StepLook, 4> Steps() const {
    std::array<StepLook, 4> looks{};
    for (size_t i = 0; i < 4; ++i) looks[i] = Look(wizard_->CheckStep[i]);
    return looks;
  }

  void ExpectStep(const StepLook& look, bool done, const char* caption) {
    EXPECT_EQ(look.checked, done) << caption;
    EXPECT_EQ(look.caption, QString::fromUtf8(caption));
    EXPECT_EQ(look.green, done) << caption;
    EXPECT_EQ(look.red, !done) << caption;
  }

  static constexpr const char* kStep1 = "Установка драйвера COM0COM";
  static constexpr const char* kStep2 = "Настройка портов для передачи данных (GPS1 И COM)";
  static constexpr const char* kStep3 = "Выбор программы просмотра карты и GPS данных";
  static constexpr const char* kStep4 = "Настройка программы для работы с GPS портом";

  QTemporaryDir dir_;
  std::string sas_;
  FakePorts ports_;
  MapSettings settings_;
  int launch_ = 40;
  std::unique_ptr<TMainForm> form_;
  TSetupForm* wizard_ = nullptr;
  std::vector<std::string> messages_;
  bool mainEnabledWhileShown_ = true, checkTimerWhileShown_ = true;
};

TEST_F(SetupWizardTest, EverythingInPlaceShowsNoWizard) {
  Start(sas_);
  bool shown = false;
  WhenWizardShows([&] {
    shown = true;
    wizard_->ButtonCancel->click();
  });
  EXPECT_TRUE(Check());
  QCoreApplication::processEvents();
  EXPECT_FALSE(shown);
  EXPECT_FALSE(wizard_->isVisible());
  EXPECT_TRUE(MainEnabled());
  EXPECT_EQ(wizard_->PortLabel->text(), QStringLiteral("COM5"));
  EXPECT_TRUE(messages_.empty());
}

TEST_F(SetupWizardTest, ListingForAnotherNameRenamesThePairOnNastroit) {
  ports_.listing[0] = "       CNCA0 PortName=OTHER";
  ports_.ports.erase("GPS1");
  Start(sas_);
  std::array<StepLook, 4> before{};
  bool okEnabled = false;
  WhenWizardShows([&] {
    before = Steps();
    okEnabled = wizard_->ButtonOK->isEnabled();
    EXPECT_TRUE(wizard_->PortLabel->text().isEmpty());
    quovil::test::SaveDrawnScreenshot(*wizard_, QStringLiteral("setup-wizard-another-name.png"));
    QTest::mouseClick(wizard_->ButtonOK, Qt::LeftButton);
  });
  EXPECT_TRUE(Check());

  ExpectStep(before[0], true, kStep1);
  ExpectStep(before[1], false, kStep2);
  ExpectStep(before[2], true, kStep3);
  ExpectStep(before[3], true, kStep4);  // not in question until the pair exists
  EXPECT_TRUE(okEnabled);
  EXPECT_FALSE(mainEnabledWhileShown_);
  EXPECT_FALSE(checkTimerWhileShown_);

  ASSERT_EQ(ports_.runs.size(), 2u);
  EXPECT_EQ(ports_.runs[0], "C:\\com0com\\setupc.exe| change CNCA0 PortName=GPS1,EmuBR=no,EmuOverrun=yes");
  EXPECT_EQ(ports_.runs[1], "C:\\com0com\\setupc.exe| change CNCB0 PortName=COM3,EmuBR=no,EmuOverrun=yes");
  ExpectStep(Look(wizard_->CheckStep[1]), true, kStep2);
  EXPECT_EQ(wizard_->PortLabel->text(), QStringLiteral("COM3"));
  EXPECT_FALSE(wizard_->ButtonOK->isEnabled());  // it can be pressed once
  EXPECT_EQ(messages_, std::vector<std::string>{"Настройка прошла успешно!\rИспользуйте порт COM3 для настройки GPS."});
  EXPECT_FALSE(wizard_->isVisible());
  EXPECT_TRUE(MainEnabled());
  EXPECT_TRUE(form_->CheckTimer->isActive());
}

TEST_F(SetupWizardTest, BSideCom0IsNotAReadyPairAndCancelLeavesEverything) {
  ports_.listing[1] = "       CNCB0 PortName=COM0,EmuBR=no";
  Start(sas_);
  std::array<StepLook, 4> shown{};
  WhenWizardShows([&] {
    shown = Steps();
    EXPECT_TRUE(wizard_->PortLabel->text().isEmpty());
    QTest::mouseClick(wizard_->ButtonCancel, Qt::LeftButton);
  });
  EXPECT_FALSE(Check());

  ExpectStep(shown[0], true, kStep1);
  ExpectStep(shown[1], false, kStep2);
  ExpectStep(shown[2], true, kStep3);
  ExpectStep(shown[3], true, kStep4);
  EXPECT_FALSE(mainEnabledWhileShown_);
  EXPECT_TRUE(ports_.runs.empty());
  EXPECT_TRUE(messages_.empty());
  EXPECT_FALSE(wizard_->isVisible());
  EXPECT_TRUE(MainEnabled());
  EXPECT_TRUE(form_->CheckTimer->isActive());
}

TEST_F(SetupWizardTest, CancelWhileWaitingForThePortsEndsTheWizard) {
  ports_.ports = {"COM1"};
  ports_.listing.clear();
  ports_.portsAppear = false;
  Start(sas_);
  WhenWizardShows([&] {
    QTest::mouseClick(wizard_->ButtonOK, Qt::LeftButton);
    // Once the pair tool has run, the wizard waits for ports that never come.
    auto* poll = new QTimer(wizard_);
    QObject::connect(poll, &QTimer::timeout, wizard_, [this, poll] {
      if (ports_.runs.empty()) return;
      poll->deleteLater();
      poll->stop();
      QTest::mouseClick(wizard_->ButtonCancel, Qt::LeftButton);
    });
    poll->start(10);
  });
  EXPECT_FALSE(Check());
  ASSERT_EQ(ports_.runs.size(), 1u);
  EXPECT_EQ(ports_.runs[0], "C:\\com0com\\setupc.exe| install PortName=GPS1,EmuBR=no,EmuOverrun=yes "
                            "PortName=COM2,EmuBR=no,EmuOverrun=yes");
  EXPECT_TRUE(messages_.empty());
  EXPECT_FALSE(wizard_->isVisible());
  EXPECT_TRUE(MainEnabled());
}

TEST_F(SetupWizardTest, MapProgramChosenInTheWizardSwitchesTheMapOn) {
  // A map program of another name that ends at once.
  const std::string chosen = Path("navigator");
  QFile program(QString::fromStdString(chosen));
  ASSERT_TRUE(program.open(QIODevice::WriteOnly));
  program.write("#!/bin/sh\nexit 0\n");
  program.close();
  program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  ports_.files = {chosen};
  Start("");

  std::array<StepLook, 4> before{};
  QString dialogTitle;
  WhenWizardShows([&] {
    before = Steps();
    QTest::mouseClick(wizard_->ButtonOK, Qt::LeftButton);
    auto* poll = new QTimer(wizard_);
    QObject::connect(poll, &QTimer::timeout, wizard_, [&, poll] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      poll->deleteLater();
      poll->stop();
      dialogTitle = dialog->windowTitle();
      dialog->selectFile(QString::fromStdString(chosen));
      static_cast<QDialog*>(dialog)->accept();  // the dialog's own accept checks the file
    });
    poll->start(10);
  });
  form_->ActionMAP->trigger();

  ExpectStep(before[0], true, kStep1);
  ExpectStep(before[1], true, kStep2);
  ExpectStep(before[2], false, kStep3);
  ExpectStep(before[3], false, kStep4);
  EXPECT_FALSE(mainEnabledWhileShown_);
  EXPECT_EQ(dialogTitle, QString::fromUtf8("Выберите программу для отображения карты и GPS данных"));
  // Another map program is left to the user, whom the wizard tells the port.
  ExpectStep(Look(wizard_->CheckStep[2]), true, kStep3);
  ExpectStep(Look(wizard_->CheckStep[3]), false, kStep4);
  EXPECT_EQ(wizard_->PortLabel->text(), QStringLiteral("COM5"));
  EXPECT_EQ(messages_, std::vector<std::string>{"Настройка прошла успешно!\rИспользуйте порт COM5 для настройки GPS."});
  EXPECT_EQ(form_->Settings.MapProgramPath, chosen);
  EXPECT_TRUE(form_->ActionMAP->isChecked());
  EXPECT_TRUE(form_->MapTimer->isActive());
  EXPECT_TRUE(MainEnabled());
  EXPECT_TRUE(ports_.runs.empty());
}

TEST_F(SetupWizardTest, ClosingTheWizardWindowKeepsTheMapOff) {
  Start("");
  WhenWizardShows([&] { wizard_->close(); });
  form_->ActionMAP->trigger();
  EXPECT_FALSE(form_->ActionMAP->isChecked());
  EXPECT_FALSE(form_->MapTimer->isActive());
  EXPECT_TRUE(form_->Settings.MapProgramPath.empty());
  EXPECT_TRUE(messages_.empty());
  EXPECT_FALSE(wizard_->isVisible());
  EXPECT_TRUE(MainEnabled());
  EXPECT_TRUE(form_->CheckTimer->isActive());
}

}  // namespace
