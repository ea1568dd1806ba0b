// The folder is the layer: the core includes neither Qt nor anything of the desktop program,
// and a window reaches another window only through the shell.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace nodewise {
namespace {

namespace fs = std::filesystem;

const fs::path SourceRoot = fs::path(NODEWISE_SOURCE_DIR) / "src";

struct Include {
    fs::path file;
    int line;
    std::string target; // as written between the quotes or angle brackets
};

std::vector<Include> IncludesUnder(const fs::path& folder) {
    static const std::regex directive(R"(^\s*#\s*include\s*[<"]([^>"]+)[>"])");
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
                found.push_back({entry.path(), line, match[1].str()});
            }
        }
    }
    return found;
}

std::string Where(const Include& include) {
    return fs::relative(include.file, SourceRoot).string() + ":" + std::to_string(include.line) +
           " includes " + include.target;
}

bool IsQtHeader(const std::string& target) {
    return target.rfind("Q", 0) == 0 || target.rfind("qt", 0) == 0 ||
           target.find("/Q") != std::string::npos;
}

bool IsWindowHeader(const std::string& target) {
    static const std::regex window(R"(^gui/[a-z_]+/[a-z_]+_window\.h$)");
    return std::regex_match(target, window);
}

TEST(Layering, CoreIncludesNeitherQtNorTheDesktopProgram) {
    const auto includes = IncludesUnder(SourceRoot / "core");
    ASSERT_FALSE(includes.empty());
    for (const Include& include : includes) {
        EXPECT_FALSE(IsQtHeader(include.target)) << Where(include);
        EXPECT_NE(include.target.rfind("gui/", 0), 0u) << Where(include);
        EXPECT_NE(include.target.rfind("cli/", 0), 0u) << Where(include);
    }
}

TEST(Layering, CommandLineUsesTheCoreOnly) {
    for (const Include& include : IncludesUnder(SourceRoot / "cli")) {
        EXPECT_FALSE(IsQtHeader(include.target)) << Where(include);
        EXPECT_NE(include.target.rfind("gui/", 0), 0u) << Where(include);
    }
}

TEST(Layering, AWindowReachesOtherWindowsOnlyThroughTheShell) {
    for (const Include& include : IncludesUnder(SourceRoot / "gui")) {
        const std::string file = include.file.filename().string();
        const bool windowFile = file.find("_window.") != std::string::npos;
        if (!windowFile || !IsWindowHeader(include.target)) {
            continue;
        }
        // A window's own header is the one window header its files may name.
        const std::string own = include.file.stem().string() + ".h";
        EXPECT_EQ(fs::path(include.target).filename().string(), own) << Where(include);
    }
}

// Inside the core: the workspace, the arithmetic and the platform services at the bottom; input,
// solvers and results above them; analysis and interchange formats on top.
TEST(Layering, CoreFoldersPointDownOnly) {
    const std::vector<std::string> order = {"model",   "numeric", "platform", "input",
                                            "solvers", "results", "analysis", "interop"};
    auto rank = [&order](const std::string& folder) {
        for (size_t i = 0; i < order.size(); ++i) {
            if (order[i] == folder) {
                return static_cast<int>(i < 3 ? 0 : i < 6 ? 1 : 2);
            }
        }
        return -1;
    };
    for (const Include& include : IncludesUnder(SourceRoot / "core")) {
        if (include.target.rfind("core/", 0) != 0) {
            continue;
        }
        const std::string from = fs::relative(include.file, SourceRoot / "core").begin()->string();
        const std::string to = fs::path(include.target).begin()->string() == "core"
                                   ? (++fs::path(include.target).begin())->string()
                                   : std::string();
        ASSERT_NE(rank(from), -1) << "unknown core folder " << from;
        ASSERT_NE(rank(to), -1) << Where(include);
        if (from != to) {
            EXPECT_LE(rank(to), rank(from)) << Where(include);
        }
    }
}

} // namespace
} // namespace nodewise
