#pragma once
// The layer rules of the player's source tree, checked over #include lines:
//   player/platform < core < project < frames < game < scripting < startup < app
// A file may include headers of its own layer and of the layers below it. Besides:
// - the widget-free part of the platform (everything but forms/ and the Qt* files of dialogs/
//   and printing/) includes nothing of platform/forms;
// - the script engine (scripting/vbscript) includes nothing of the player and no Qt;
// - the control libraries (menulet/) and their interface (include/storyloom) include nothing of
//   the player.
// Standard C++ only, so that the check runs before anything else is built.
#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace layers {

inline constexpr std::array<const char*, 8> kOrder = {"platform", "core",      "project", "frames",
                                                      "game",     "scripting", "startup", "app"};

struct Violation {
    std::string file;  // relative to the tree's root, with '/'
    int line = 0;
    std::string included;
    std::string rule;
};

inline int Rank(const std::string& layer) {
    for (size_t i = 0; i < kOrder.size(); ++i)
        if (layer == kOrder[i]) return static_cast<int>(i);
    return -1;
}

// The widget-free part of the platform.
inline bool IsPlatformBase(const std::string& relative) {
    if (relative.rfind("player/platform/", 0) != 0) return false;
    if (relative.rfind("player/platform/forms/", 0) == 0) return false;
    for (const char* qt : {"player/platform/dialogs/Qt", "player/platform/printing/Qt"})
        if (relative.rfind(qt, 0) == 0) return false;
    return true;
}

// The violations of one file's text; `relative` is its path from the root, with '/'.
inline std::vector<Violation> CheckText(const std::string& relative, const std::string& text) {
    static const std::regex kQuoted(R"(^\s*#\s*include\s*"(?:player/)?([A-Za-z0-9_]+)/([^"]*)\")");
    static const std::regex kAngled(R"(^\s*#\s*include\s*<(Q[A-Za-z]*|Qt[A-Za-z]*/[^>]*)>)");
    std::vector<Violation> out;
    std::string ownLayer;
    if (relative.rfind("player/", 0) == 0) {
        const size_t slash = relative.find('/', 7);
        if (slash != std::string::npos) ownLayer = relative.substr(7, slash - 7);
    }
    const bool engine = relative.rfind("scripting/vbscript/", 0) == 0;
    const bool controls =
        relative.rfind("menulet/", 0) == 0 || relative.rfind("include/storyloom/", 0) == 0;
    const int ownRank = Rank(ownLayer);
    size_t start = 0;
    int number = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        ++number;
        std::smatch m;
        if (std::regex_search(line, m, kQuoted)) {
            const std::string top = m[1];
            const std::string included = top + "/" + m[2].str();
            const int rank = Rank(top);
            if (ownRank >= 0 && rank > ownRank)
                out.push_back(
                    {relative, number, included,
                     "the " + ownLayer + " layer includes the " + top + " layer above it"});
            if (ownLayer == "platform" && IsPlatformBase(relative) &&
                included.rfind("platform/forms/", 0) == 0)
                out.push_back({relative, number, included,
                               "the widget-free platform includes the forms layer"});
            if ((engine || controls) && rank >= 0)
                out.push_back({relative, number, included,
                               engine ? "the script engine includes the player"
                                      : "a control library includes the player"});
        } else if (engine && std::regex_search(line, m, kAngled)) {
            out.push_back({relative, number, m[1], "the script engine includes Qt"});
        }
        start = end + 1;
    }
    return out;
}

// Every violation under `root` (the checkout), in file order.
inline std::vector<Violation> CheckTree(const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    std::vector<Violation> out;
    std::vector<fs::path> files;
    for (const char* top : {"player", "scripting/vbscript", "menulet", "include/storyloom"}) {
        const fs::path dir = root / top;
        if (!fs::is_directory(dir)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            if (!entry.is_regular_file()) continue;
            const std::string ext = entry.path().extension().string();
            if (ext == ".cpp" || ext == ".h" || ext == ".hpp" || ext == ".c")
                files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        const std::string relative = fs::relative(file, root).generic_string();
        for (Violation& v : CheckText(relative, text)) out.push_back(std::move(v));
    }
    return out;
}

}  // namespace layers
