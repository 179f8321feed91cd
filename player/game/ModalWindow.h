#pragma once
// The game's own modal windows (save, load, run from disc): shown above everything, then
// waited for until they close.
#include <functional>

namespace storyloom {

class Program;
namespace forms {
class Window;
}

// Shows `window` on top and waits while `shown` stays true: through `runModal` when the driver
// gives one (tests and walkthroughs), not at all on the virtual test loop (its driver goes on
// after the call), else on the event loop until the window closes or the program stops.
void ShowAndWait(Program& program, forms::Window& window, const bool& shown,
                 const std::function<void()>& runModal);

}  // namespace storyloom
