// SHA-256 and MD5 through the system library, and the ".sha256" files:
// known digests, the same digest however the data is cut, sidecars that
// sha256sum -c accepts (odd names too), and a check that finds a changed byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/checksum_file.h"
#include "platform/digest.h"
#include "platform/file_guard.h"
#include "platform/block_device.h"
#include "support/files.h"
#include "support/shell.h"

namespace {

using namespace quovil;

TEST(Digest, KnownValuesAndAnyCuttingOfTheData) {
  EXPECT_EQ(DigestHex(DigestKind::Sha256, "abc", 3),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(DigestHex(DigestKind::Md5, "abc", 3), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(DigestHex(DigestKind::Sha256, "", 0),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(DigestHex(DigestKind::Md5, "", 0), "d41d8cd98f00b204e9800998ecf8427e");

  std::vector<uint8_t> data(3 << 20);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 7919 >> 5);
  for (DigestKind kind : {DigestKind::Sha256, DigestKind::Md5}) {
    const std::string whole = DigestHex(kind, data.data(), data.size());
    Digest d(kind);
    ASSERT_TRUE(d.Ready());
    for (size_t at = 0, step = 1; at < data.size(); at += step, step = step * 3 + 1) {
      d.Update(data.data() + at, std::min(step, data.size() - at));
    }
    EXPECT_EQ(d.FinishHex(), whole);
    // Finishing starts afresh.
    d.Update("abc", 3);
    EXPECT_EQ(d.FinishHex(), DigestHex(kind, "abc", 3));
  }
}

TEST(Sha256Sidecar, WrittenBesideTheFileAndCheckedAgainstIt) {
  test::ScratchFolder dir("quovil_sidecar");
  const std::string file = dir / "export.avi";
  ASSERT_TRUE(test::WriteText(file, "recorded pictures"));
  std::string error;
  ASSERT_TRUE(WriteSha256Sidecar(file, &error)) << error;
  std::string why;
  const std::string hex = Sha256OfFile(file, why);
  EXPECT_EQ(test::ReadText(file + ".sha256"), hex + "  export.avi\n");
  EXPECT_FALSE(test::Exists(file + ".sha256.part"));
  EXPECT_TRUE(VerifySha256Sidecar(file).ok);

  // One byte changed is found; a file without its sidecar is not ok.
  ASSERT_TRUE(test::WriteText(file, "recorded pictureS"));
  const SidecarCheck changed = VerifySha256Sidecar(file);
  EXPECT_FALSE(changed.ok);
  EXPECT_EQ(changed.expected, hex);
  EXPECT_NE(changed.actual, hex);
  EXPECT_FALSE(VerifySha256Sidecar(dir / "missing.avi").ok);
  ASSERT_TRUE(test::WriteText(dir / "other.bmp", "x"));
  EXPECT_FALSE(VerifySha256Sidecar(dir / "other.bmp").ok);

  // The sidecar never replaces an input.
  const std::string held = dir / "held.bmp";
  ASSERT_TRUE(test::WriteText(held, "picture"));
  ASSERT_TRUE(test::WriteText(held + ".sha256", "the card"));
  {
    const auto input = OpenReadOnlyFile(held + ".sha256");
    ASSERT_TRUE(input);
    EXPECT_FALSE(WriteSha256Sidecar(held, &error));
    EXPECT_EQ(error, "Не могу сохранить в открытый файл!");
  }
  EXPECT_EQ(test::ReadText(held + ".sha256"), "the card");

  // Switched off, an export is sealed without a sidecar.
  SetExportChecksums(false);
  ASSERT_TRUE(test::WriteText(dir / "plain.gpx", "route"));
  EXPECT_TRUE(SealExport(dir / "plain.gpx"));
  SetExportChecksums(true);
  EXPECT_FALSE(test::Exists(dir / "plain.gpx.sha256"));
  EXPECT_TRUE(SealExport(dir / "plain.gpx"));
  EXPECT_TRUE(test::Exists(dir / "plain.gpx.sha256"));
}

#ifndef _WIN32
TEST(Sha256Sidecar, Sha256sumAcceptsEveryNameAndOurCheckReadsItsLines) {
  test::ScratchFolder dir("quovil_sidecar_names");
  for (const std::string name : {"plain.kif", "with space.avi", "Камера 1_15.06.2024.bmp", "back\\slash.gpx",
                                 "line\nbreak.klf"}) {
    const std::string file = dir / name;
    ASSERT_TRUE(test::WriteText(file, "contents of " + name));
    ASSERT_TRUE(WriteSha256Sidecar(file));
    int rc = -1;
    const std::string said =
        test::Shell("cd '" + dir.path() + "' && sha256sum -c -- '" + name + ".sha256' 2>&1", &rc);
    EXPECT_EQ(rc, 0) << name << ": " << said;
    EXPECT_TRUE(VerifySha256Sidecar(file).ok) << name;
  }
  // A sidecar made by sha256sum itself, in binary mode, is read as well.
  const std::string file = dir / "made.img";
  ASSERT_TRUE(test::WriteText(file, "image"));
  test::Shell("cd '" + dir.path() + "' && sha256sum -b made.img > made.img.sha256");
  EXPECT_TRUE(VerifySha256Sidecar(file).ok);
}
#endif

}  // namespace
