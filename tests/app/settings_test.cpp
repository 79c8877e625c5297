// The settings file: defaults on a first start, every key written at close and
// read at the next start, foreign content kept, non-numbers treated as missing,
// absurd bounds cut to the desktop, and a path that is not a regular file
// neither read nor written nor waited on.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/locale_ru.h"
#include "app/settings.h"
#include "app/view_main.h"
#include "platform/file_guard.h"
#include "support/qt/test_app.h"
#include "support/viewer_probe.h"

using quovil::test::ViewerProbe;

namespace {

using namespace quovil;

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureTestApp();
    ASSERT_TRUE(dir_.isValid());
    ini_ = QDir(dir_.path()).filePath(QStringLiteral("quovil.INI")).toStdString();
  }
  std::unique_ptr<TMainForm> Start() { return std::make_unique<TMainForm>(QStringList{}, ini_); }

  QTemporaryDir dir_;
  std::string ini_;
};

TEST_F(SettingsTest, FirstStartWithoutAFileGivesTheDefaultsCentred) {
  {
    auto form = Start();
    EXPECT_EQ(form->geometry().size(), QSize(682, 451));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(std::abs(form->geometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(form->geometry().center().y() - screen.center().y()), 1);
    for (const CameraSetting& c : form->viewer.cameraSettings()) {
      EXPECT_EQ(c.Brightness, 100);
      EXPECT_EQ(c.Contrast, 100);
      EXPECT_EQ(c.Volume, 50);
    }
    EXPECT_EQ(form->Settings.GpsPortName, "GPS1");
  }
  // Every key of the table is written at close.
  const std::string text = ReadText(ini_);
  for (const char* key : {"[Window]", "State", "Left", "Top", "Width", "Height", "[INIT]", "LastBMPDir",
                          "LastSaveDir", "LastOpenDir", "[Journal]", "[PARAMS]", "BRITNESS0", "BRITNESS1",
                          "CONTRAST0", "CONTRAST1", "VOLUME0", "VOLUME1", "GPS_PORT", "MAP_NAME"}) {
    EXPECT_NE(text.find(key), std::string::npos) << key;
  }
  const AppSettings back = LoadSettings(ini_);
  EXPECT_EQ(back.Width, 682);
  EXPECT_EQ(back.Height, 451);
  EXPECT_EQ(back.State, 0);
  EXPECT_EQ(back.GpsPortName, "GPS1");
}

TEST_F(SettingsTest, ValuesComeBackAndForeignContentSurvives) {
  WriteText(ini_,
            "; kept by hand\n"
            "[Window]\nLeft=40\nTop=30\nWidth=720\nHeight=500\nState=0\n"
            "[INIT]\nLastBMPDir=/home/user/Снимки\n"
            "[PARAMS]\nBRITNESS1=150\nCONTRAST0=abc\nVOLUME1=20\nGPS_PORT=GPS7\nMAP_NAME=/opt/map/map.exe\n"
            "EXTRA=1\n"
            "[Other]\nKey=Value\n");
  {
    auto form = Start();
    EXPECT_EQ(form->geometry(), QRect(40, 30, 720, 500));
    EXPECT_EQ(form->viewer.cameraSettings()[1].Brightness, 150);
    EXPECT_EQ(form->viewer.cameraSettings()[0].Contrast, 100);  // not a number: missing
    EXPECT_EQ(form->viewer.cameraSettings()[1].Volume, 20);
    EXPECT_EQ(form->Settings.LastBMPDir, "/home/user/Снимки");
    ViewerProbe::CameraSettings(form->viewer)[0].Brightness = 120;
  }
  const AppSettings back = LoadSettings(ini_);
  EXPECT_EQ(back.Cameras[0].Brightness, 120);
  EXPECT_EQ(back.Cameras[0].Contrast, 100);
  EXPECT_EQ(back.Cameras[1].Brightness, 150);
  EXPECT_EQ(back.GpsPortName, "GPS7");
  EXPECT_EQ(back.MapProgramPath, "/opt/map/map.exe");
  EXPECT_EQ(back.LastBMPDir, "/home/user/Снимки");
  const std::string text = ReadText(ini_);
  EXPECT_NE(text.find("[Other]"), std::string::npos);
  EXPECT_NE(text.find("Key"), std::string::npos);
  EXPECT_NE(text.find("EXTRA"), std::string::npos);
  EXPECT_NE(text.find("; kept by hand"), std::string::npos);
}

TEST_F(SettingsTest, ClosingMaximisedWritesStateTwoAndTheNormalBounds) {
  WriteText(ini_, "[Window]\nLeft=20\nTop=20\nWidth=700\nHeight=460\nState=0\n");
  {
    auto form = Start();
    form->showMaximized();
    QCoreApplication::processEvents();
  }
  AppSettings back = LoadSettings(ini_);
  EXPECT_EQ(back.State, 2);
  EXPECT_EQ(back.Width, 700);
  EXPECT_EQ(back.Height, 460);
  {
    auto form = Start();
    form->StartShown(false);
    EXPECT_TRUE(form->isMaximized());
  }
}

TEST_F(SettingsTest, AbsurdValuesAreKeptInRangeAndOnScreen) {
  WriteText(ini_,
            "[Window]\nLeft=-90000\nTop=70000\nWidth=10\nHeight=-4\n"
            "[PARAMS]\nBRITNESS0=999\nCONTRAST1=-7\nVOLUME0=1000000000000\n");
  auto form = Start();
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(screen.intersects(form->geometry()));
  EXPECT_GE(form->width(), 682);
  EXPECT_GE(form->height(), 451);
  EXPECT_EQ(form->viewer.cameraSettings()[0].Brightness, 200);
  EXPECT_EQ(form->viewer.cameraSettings()[1].Contrast, 0);
  EXPECT_EQ(form->viewer.cameraSettings()[0].Volume, 50);  // does not fit: missing
}

// Sizes far beyond the desktop and positions whose sums overflow: the window
// comes up between its minimum size and the desktop, on screen, and what is
// written back at close is what it really was.
TEST_F(SettingsTest, BoundsBeyondTheDesktopAreCutToItAndWrittenBackSo) {
  const QRect desk = QGuiApplication::primaryScreen()->availableVirtualGeometry();
  const int most = std::max(desk.width(), 682), tallest = std::max(desk.height(), 451);
  for (const char* bounds : {"Left=1000\nTop=10\nWidth=2147483647\nHeight=2147483647\n",
                             "Left=0\nTop=0\nWidth=30000\nHeight=30000\n",
                             "Left=2147483647\nTop=-2147483648\nWidth=700\nHeight=500\n",
                             "Left=-2147483648\nTop=2147483647\nWidth=-2147483648\nHeight=2147483647\n"}) {
    SCOPED_TRACE(bounds);
    WriteText(ini_, std::string("[Window]\n") + bounds + "State=0\n");
    {
      auto form = Start();
      EXPECT_GE(form->width(), 682);
      EXPECT_GE(form->height(), 451);
      EXPECT_LE(form->width(), most);
      EXPECT_LE(form->height(), tallest);
      EXPECT_TRUE(desk.intersects(form->geometry()));
    }
    const AppSettings back = LoadSettings(ini_);
    ASSERT_TRUE(back.Width && back.Height && back.Left && back.Top);
    EXPECT_LE(*back.Width, most);
    EXPECT_LE(*back.Height, tallest);
    EXPECT_TRUE(desk.intersects(QRect(*back.Left, *back.Top, *back.Width, *back.Height)));
  }
}

// A folder, a FIFO and a file far too large to be settings, named directly or
// by QUOVIL_SETTINGS: the window starts at once with the defaults and leaves
// each as it found it.
TEST_F(SettingsTest, APathThatIsNoSettingsFileIsNeitherReadNorWritten) {
  const std::string folder = QDir(dir_.path()).filePath(QStringLiteral("folder.INI")).toStdString();
  const std::string fifo = QDir(dir_.path()).filePath(QStringLiteral("fifo.INI")).toStdString();
  const std::string huge = QDir(dir_.path()).filePath(QStringLiteral("huge.INI")).toStdString();
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  WriteText(huge, "[Window]\nWidth=700\n");
  std::filesystem::resize_file(huge, 64u << 20);  // sparse: costs no disk
  const auto kind = [](const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0;
  };

  for (const std::string& path : {folder, fifo, huge}) {
    SCOPED_TRACE(path);
    const auto before = kind(path);
    const AppSettings loaded = LoadSettings(path);
    EXPECT_EQ(loaded.Width, std::nullopt);
    EXPECT_EQ(loaded.GpsPortName, "GPS1");
    EXPECT_FALSE(SaveSettings(path, loaded));

    qputenv("QUOVIL_SETTINGS", QByteArray::fromStdString(path));
    {
      TMainForm form(QStringList{});
      EXPECT_EQ(form.SettingsPath(), path);
      EXPECT_EQ(form.geometry().size(), QSize(682, 451));
    }
    qunsetenv("QUOVIL_SETTINGS");
    EXPECT_EQ(kind(path), before);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
  }
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  EXPECT_EQ(std::filesystem::file_size(huge), 64u << 20);
}

// A settings path naming the open card or archive (by any link) leaves it be.
TEST_F(SettingsTest, TheOpenSourceIsNeverTheSettingsFile) {
  WriteText(ini_, "[Window]\nWidth=700\n");
  const std::string link = ini_ + ".link";
  std::filesystem::create_symlink(ini_, link);
  const HeldInput open(ini_);
  AppSettings s = LoadSettings(link);
  s.Width = 800;
  EXPECT_FALSE(SaveSettings(link, s));
  EXPECT_EQ(ReadText(ini_), "[Window]\nWidth=700\n");
}

TEST(SettingsValues, OnlyWholeNumbersCount) {
  EXPECT_EQ(ParseIntValue("12"), 12);
  EXPECT_EQ(ParseIntValue(" -5 "), -5);
  EXPECT_EQ(ParseIntValue("12a"), std::nullopt);
  EXPECT_EQ(ParseIntValue(""), std::nullopt);
  EXPECT_EQ(ParseIntValue("1.5"), std::nullopt);
  EXPECT_EQ(ParseIntValue("99999999999"), std::nullopt);
  EXPECT_EQ(ParseIntValue(nullptr), std::nullopt);
}

// Beside a program that is not installed, when its folder is writable;
// otherwise, and always for an installed program (one whose folder is a bin
// beside share/applications/quovil.desktop, as `cmake --install` lays it out),
// in the viewer's folder among the user's settings.
TEST(SettingsPlace, BesideTheProgramOrInTheUserFolder) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string folder = dir.path().toStdString();
  const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
  const QByteArray oldHome = qgetenv("HOME");
  qunsetenv("QUOVIL_SETTINGS");
  EXPECT_EQ(SettingsFilePath(folder + "/quovil"), folder + "/quovil.INI");
  EXPECT_EQ(SettingsFilePath(folder + "/viewer.exe"), folder + "/viewer.INI");

  qputenv("XDG_CONFIG_HOME", "/tmp/quovil-config");
  EXPECT_EQ(SettingsFilePath("/proc/no-such-folder/quovil"), "/tmp/quovil-config/quovil/quovil.INI");

  // Installed into a prefix the program may write to (as root, or a prefix of
  // the user's own): still the user's folder.
  const std::string prefix = folder + "/prefix";
  std::filesystem::create_directories(prefix + "/bin");
  EXPECT_EQ(SettingsFilePath(prefix + "/bin/quovil"), prefix + "/bin/quovil.INI");
  std::filesystem::create_directories(prefix + "/share/applications");
  WriteText(prefix + "/share/applications/quovil.desktop", "[Desktop Entry]\n");
  EXPECT_EQ(SettingsFilePath(prefix + "/bin/quovil"), "/tmp/quovil-config/quovil/quovil.INI");

  // XDG_CONFIG_HOME counts only as an absolute path; then ~/.config.
  qputenv("XDG_CONFIG_HOME", "relative/config");
  qputenv("HOME", "/home/someone");
  EXPECT_EQ(SettingsFilePath(prefix + "/bin/quovil"), "/home/someone/.config/quovil/quovil.INI");

  qputenv("QUOVIL_SETTINGS", "/tmp/elsewhere.ini");
  EXPECT_EQ(SettingsFilePath(prefix + "/bin/quovil"), "/tmp/elsewhere.ini");
  qunsetenv("QUOVIL_SETTINGS");
  qputenv("HOME", oldHome);
  if (oldXdg.isEmpty()) {
    qunsetenv("XDG_CONFIG_HOME");
  } else {
    qputenv("XDG_CONFIG_HOME", oldXdg);
  }
}

// A first close of an installed viewer: neither the user's folder nor the
// viewer's folder in it exist yet. Both are made, the new one for the user
// alone, and the file is read back at the next start.
TEST_F(SettingsTest, TheFirstCloseMakesTheSettingsFolder) {
  const std::string config = QDir(dir_.path()).filePath(QStringLiteral("home/.config")).toStdString();
  const std::string path = config + "/quovil/quovil.INI";
  AppSettings s;
  s.Width = 777;
  s.GpsPortName = "GPS7";
  ASSERT_TRUE(SaveSettings(path, s));
  struct stat st {};
  ASSERT_EQ(stat((config + "/quovil").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  const AppSettings back = LoadSettings(path);
  EXPECT_EQ(back.Width, 777);
  EXPECT_EQ(back.GpsPortName, "GPS7");

  // A folder that cannot be made is a failed save, as any other.
  WriteText(config + "/file", "");
  EXPECT_FALSE(SaveSettings(config + "/file/quovil/quovil.INI", s));
}

}  // namespace
