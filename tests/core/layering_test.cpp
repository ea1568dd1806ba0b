// The folder is the layer: the core includes neither Qt nor anything of the desktop program,
// and a window reaches another window only through the shell.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace nodewise {
namespace {

namespace fs = std::filesystem;

const fs::path SourceRoot = fs::path(NODEWISE_SOURCE_DIR) / "src";

struct Include {
    fs::path file;
    int line;
    std::string target;   // as written between the quotes or angle brackets
    std::string resolved; // a project file the compiler would take, relative to src; else empty
};

// What the compiler takes for a quoted include: the file beside the includer first (also through
// "../"), then the one under src.
std::string Resolve(const fs::path& includer, const std::string& target, bool quoted) {
    if (quoted) {
        const fs::path beside = (includer.parent_path() / target).lexically_normal();
        if (fs::exists(beside)) {
            return fs::relative(beside, SourceRoot).generic_string();
        }
    }
    const fs::path underSource = SourceRoot / target;
    return fs::exists(underSource)
               ? fs::relative(underSource.lexically_normal(), SourceRoot).generic_string()
               : std::string();
}

std::vector<Include> IncludesUnder(const fs::path& folder) {
    static const std::regex directive(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<Include> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const auto ext = entry.path().extension();
        if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) {
            continue;
        }
        std::ifstream in(entry.path());
        std::string text;
        int line = 0;
        while (std::getline(in, text)) {
            ++line;
            std::smatch match;
            if (std::regex_search(text, match, directive)) {
                const std::string target = match[2].str();
                found.push_back({entry.path(), line, target,
                                 Resolve(entry.path(), target, match[1].str() == "\"")});
            }
        }
    }
    return found;
}

std::string Where(const Include& include) {
    return fs::relative(include.file, SourceRoot).generic_string() + ":" +
           std::to_string(include.line) + " includes " + include.target;
}

// The first two folders of a path relative to src ("core/input"), or the first alone.
std::string Folder(const std::string& relative, int depth) {
    std::string folder;
    int level = 0;
    for (const auto& part : fs::path(relative)) {
        if (level == depth || !fs::path(relative).has_parent_path()) {
            break;
        }
        folder += (level == 0 ? "" : "/") + part.string();
        ++level;
    }
    return folder;
}

bool IsQtHeader(const std::string& target) {
    return target.rfind("Q", 0) == 0 || target.rfind("qt", 0) == 0 ||
           target.find("/Q") != std::string::npos;
}

bool IsWindowHeader(const std::string& resolved) {
    return resolved.rfind("gui/", 0) == 0 && resolved.size() > std::string("_window.h").size() &&
           resolved.compare(resolved.size() - 9, 9, "_window.h") == 0;
}

TEST(Layering, CoreIncludesNeitherQtNorTheDesktopProgram) {
    const auto includes = IncludesUnder(SourceRoot / "core");
    ASSERT_FALSE(includes.empty());
    for (const Include& include : includes) {
        EXPECT_FALSE(IsQtHeader(include.target)) << Where(include);
        EXPECT_NE(include.resolved.rfind("gui/", 0), 0u) << Where(include);
        EXPECT_NE(include.resolved.rfind("cli/", 0), 0u) << Where(include);
    }
}

TEST(Layering, CommandLineUsesTheCoreOnly) {
    for (const Include& include : IncludesUnder(SourceRoot / "cli")) {
        EXPECT_FALSE(IsQtHeader(include.target)) << Where(include);
        EXPECT_NE(include.resolved.rfind("gui/", 0), 0u) << Where(include);
    }
}

// Inside the core each folder names what it may use: the network and run values, the arithmetic,
// the text formats and the platform services at the bottom; input and solvers beside each other
// but apart; results over both; the analyses of a run over them, the drawing over the analyses;
// interchange formats beside them; the reports on top.
TEST(Layering, CoreFoldersPointDownOnly) {
    const std::map<std::string, std::set<std::string>> allowed = {
        {"model", {"model"}},
        {"numeric", {"numeric", "model"}},
        {"text", {"text", "numeric", "model"}},
        {"platform", {"platform", "model"}},
        {"input", {"input", "model", "numeric", "text", "platform"}},
        {"solvers", {"solvers", "model", "numeric", "platform"}},
        {"results", {"results", "input", "solvers", "model", "numeric", "text", "platform"}},
        {"analysis",
         {"analysis", "results", "input", "solvers", "model", "numeric", "text", "platform"}},
        {"drawing",
         {"drawing", "analysis", "results", "input", "solvers", "model", "numeric", "text",
          "platform"}},
        {"interop", {"interop", "input", "model", "numeric", "text", "platform"}},
        {"report",
         {"report", "drawing", "analysis", "interop", "results", "input", "solvers", "model",
          "numeric", "text", "platform"}},
    };
    for (const Include& include : IncludesUnder(SourceRoot / "core")) {
        if (include.resolved.rfind("core/", 0) != 0) {
            continue;
        }
        const std::string from =
            Folder(fs::relative(include.file, SourceRoot).generic_string(), 2).substr(5);
        const std::string to = Folder(include.resolved, 2).substr(5);
        const auto rule = allowed.find(from);
        ASSERT_NE(rule, allowed.end()) << "a core folder without a rule: " << from;
        EXPECT_TRUE(rule->second.count(to) == 1) << Where(include);
    }
}

// A window reaches another window only through the shell: a window's files name no window header
// but their own; the shell's services (its headers and the port) name none at all; what lives
// beside windows (drivers) names only windows of its own folder. Only start-up and the window
// registry, which create the windows, know them all.
TEST(Layering, AWindowReachesOtherWindowsOnlyThroughTheShell) {
    const std::set<std::string> creators = {"gui/shell/main.cpp", "gui/shell/program_windows.cpp"};
    for (const Include& include : IncludesUnder(SourceRoot / "gui")) {
        const std::string file = fs::relative(include.file, SourceRoot).generic_string();
        if (!IsWindowHeader(include.resolved) || creators.count(file) == 1) {
            continue;
        }
        const std::string stem = include.file.stem().string();
        const bool windowFile = stem.size() > 7 && stem.compare(stem.size() - 7, 7, "_window") == 0;
        if (windowFile) {
            EXPECT_EQ(include.resolved, Folder(file, 2) + "/" + stem + ".h") << Where(include);
        } else {
            EXPECT_NE(Folder(file, 2), "gui/shell") << Where(include);
            EXPECT_NE(Folder(file, 2), "gui/style") << Where(include);
            EXPECT_EQ(Folder(include.resolved, 2), Folder(file, 2)) << Where(include);
        }
    }
}

} // namespace
} // namespace nodewise
