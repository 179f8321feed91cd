#include "game/ModalWindow.h"

#include "core/Program.h"
#include "platform/forms/WindowHost.h"
#include "platform/forms/controls/Window.h"
#include "platform/loop/EventLoop.h"

namespace storyloom {

void ShowAndWait(Program& program, forms::Window& window, const bool& shown,
                 const std::function<void()>& runModal) {
    WindowHost& host = program.platform.windows;
    host.CancelMouseModes();
    window.SetVisible(true);
    host.Show(window, WindowStyle{});
    host.SetTopmost(window, true);
    if (runModal) {
        runModal();
    } else if (!dynamic_cast<VirtualEventLoop*>(&program.platform.loop)) {
        while (shown && !program.StopRequested) program.platform.loop.Wait(15);
    }
}

}  // namespace storyloom
