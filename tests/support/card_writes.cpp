#include "card_writes.h"

#include "card/state_tables.h"

namespace quovil::test {

namespace {

uint64_t allowedWrites = 0;
int openSpans = 0;

}  // namespace

AllowCardWrites::AllowCardWrites() : writesBefore_(CardWritesMade()) { ++openSpans; }

AllowCardWrites::~AllowCardWrites() {
  // Nested spans count their writes once, in the outermost.
  if (--openSpans == 0) allowedWrites += CardWritesMade() - writesBefore_;
}

uint64_t CardWritesNotAllowed() { return CardWritesMade() - allowedWrites; }

}  // namespace quovil::test
