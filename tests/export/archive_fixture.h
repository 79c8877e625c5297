// Cards and archive files on disk for the archive tests: a viewer opened on a
// recorded card image (read-only, so that a save can never change it), or on
// an archive file, with the recording host answering its dialogs.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "mkcard/mkcard.h"
#include "support/card_source.h"
#include "support/files.h"
#include "support/recording_host.h"
#include "viewer/viewer.h"

namespace archive_test {

using namespace quovil::test;

// failAt >= 0: reads of the sector at that byte offset fail (a card going bad
// under the copy).
inline bool OpenCardReadOnly(quovil::Viewer& v, const std::string& path, int64_t failAt = -1) {
  auto plan = std::make_shared<FaultPlan>();
  plan->badSectorAt = failAt;
  return OpenCardThroughWatch(v, FaultyImageDrive(path, plan, Access::ReadOnly));
}

}  // namespace archive_test
