// The viewer changes a card only when the user clears it. Every test program
// checks after each test that no card was written (test_main.cpp); a test of
// clearing says where it clears by holding an AllowCardWrites for that span.
#pragma once

#include <cstdint>

namespace quovil::test {

class AllowCardWrites {
 public:
  AllowCardWrites();
  ~AllowCardWrites();
  AllowCardWrites(const AllowCardWrites&) = delete;
  AllowCardWrites& operator=(const AllowCardWrites&) = delete;

 private:
  uint64_t writesBefore_;
};

// Card writes made so far outside the AllowCardWrites spans that have ended.
uint64_t CardWritesNotAllowed();

}  // namespace quovil::test
