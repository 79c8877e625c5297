// The one QApplication of the window tests, the program's own guarded one:
// offscreen without a display, silent sound, Russian locale and standard
// buttons, whichever test runs first.
#pragma once

namespace quovil::test {

void EnsureTestApp();

}  // namespace quovil::test

using quovil::test::EnsureTestApp;
