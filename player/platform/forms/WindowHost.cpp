#include "platform/forms/WindowHost.h"

#include <QPainter>
#include <vector>

#include "platform/forms/Renderer.h"
#include "platform/forms/controls/Window.h"

namespace storyloom {

void HeadlessWindowHost::Show(forms::Window& window, const WindowStyle& style) {
    State& s = windows_[&window];
    s.window = &window;
    s.style = style;
    s.shown = true;
    ++s.showCount;
    window.SetVisible(true);
    if (window.onActivate) {
        auto handler = window.onActivate;
        handler();
    }
}

void HeadlessWindowHost::Hide(forms::Window& window) {
    auto it = windows_.find(&window);
    if (it != windows_.end()) it->second.shown = false;
}

bool HeadlessWindowHost::IsShown(const forms::Window& window) const {
    const State* s = StateOf(window);
    return s && s->shown;
}

void HeadlessWindowHost::SetTopmost(forms::Window& window, bool topmost) {
    State& s = windows_[&window];
    s.window = &window;
    s.topmost = topmost;
}

bool HeadlessWindowHost::IsTopmost(const forms::Window& window) const {
    const State* s = StateOf(window);
    return s && s->topmost;
}

void HeadlessWindowHost::Place(forms::Window& window) {
    State& s = windows_[&window];
    s.window = &window;
    ++s.placeCount;
}

void HeadlessWindowHost::Forget(forms::Window& window) {
    windows_.erase(&window);
}

void HeadlessWindowHost::CancelMouseModes() {
    for (auto& [key, state] : windows_)
        if (state.window) state.window->CancelMouseMode();
}

void HeadlessWindowHost::Quit(int code) {
    if (quitRequested) return;
    quitRequested = true;
    exitCode = code;
}

const HeadlessWindowHost::State* HeadlessWindowHost::StateOf(const forms::Window& window) const {
    auto it = windows_.find(&window);
    return it == windows_.end() ? nullptr : &it->second;
}

QImage HeadlessWindowHost::Screenshot(QSize size) const {
    QImage screen(size, QImage::Format_RGB32);
    screen.fill(Qt::black);
    QPainter painter(&screen);
    std::vector<forms::Window*> normal, top;
    for (const auto& [key, s] : windows_) {
        if (!s.shown || !s.window || !s.window->Visible()) continue;
        (s.topmost ? top : normal).push_back(s.window);
    }
    for (auto* list : {&normal, &top})
        for (forms::Window* w : *list)
            painter.drawImage(w->PixelRect().topLeft(), forms::Renderer::Compose(*w));
    return screen;
}

}  // namespace storyloom
