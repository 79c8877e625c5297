// The command-line tool's reading commands leave the card image and the
// archive file they read exactly as they were.
#include <cstdlib>

#include "fault_fixture.h"

#ifdef QUOVIL_CLI
namespace faults {
namespace {

class CliReadOnly : public FaultTest {
 protected:
  int Cli(const std::string& args) {
    // The telemetry cache goes to the test's folder, never the user's.
    std::string cmd = "XDG_CACHE_HOME='" + dir + "/cache' " + std::string(QUOVIL_CLI) + " " + args + " >/dev/null 2>&1";
    return std::system(cmd.c_str());
  }
};

TEST_F(CliReadOnly, ReadingCommandsNeverChangeTheCard) {
  auto o = SmallCard(2);
  o.journal = true;
  MakeCard(o);
  const std::string c = "'" + cardPath + "'", out = "'" + dir + "/out";
  const std::vector<std::string> commands = {
      "info " + c,
      "list " + c,
      "frame " + c + " --index 1 --out " + out + ".pgm'",
      "frame-info " + c + " --index 1",
      "sound " + c + " --index 1 --out " + out + ".raw'",
      "save-kif " + c + " " + out + ".kif'",
      "export-avi " + c + " " + out + ".avi'",
      "snapshot " + c + " " + out + ".bmp' --index 1",
      "journal " + c + " --save " + out + ".klf'",
      "gpx " + c + " " + out + ".gpx'",
      "track " + c + " " + out + ".csv'",
      "track " + c + " " + out + ".kml'",
  };
  for (const auto& args : commands) {
    EXPECT_EQ(Cli(args), 0) << "quovil-cli " << args;
    EXPECT_TRUE(ReadBytes(cardPath) == cardBytes) << "quovil-cli " << args;
  }
  // The archive file the card was saved into is read the same way.
  const std::string kif = dir + "/out.kif";
  ASSERT_EQ(Cli("save-kif " + c + " '" + kif + "'"), 0);
  const auto kifBytes = ReadBytes(kif);
  for (const char* cmd : {"info", "list"}) Cli(std::string(cmd) + " '" + kif + "'");
  Cli("frame '" + kif + "' --index 1 --out " + out + "2.pgm'");
  Cli("export-avi '" + kif + "' " + out + "2.avi'");
  EXPECT_TRUE(ReadBytes(kif) == kifBytes);
  EXPECT_TRUE(ReadBytes(cardPath) == cardBytes);
}

}  // namespace
}  // namespace faults
#endif  // QUOVIL_CLI
