#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/resource.h>

#include "core/input/network_file.h"
#include "test_support.h"

namespace nodewise {
namespace {

namespace fs = std::filesystem;

class NetworkFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("nodewise-file-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    static std::string Slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    static void Spit(const std::string& path, const std::string& contents) {
        std::ofstream(path, std::ios::binary) << contents;
    }

    fs::path dir_;
};

TEST_F(NetworkFileTest, LinesFollowTheColumnsOfTheMatrixThenTheNodes) {
    CellTexts cells;
    for (int c = 0; c < MaxNodes; ++c) {
        for (int r = 0; r <= c; ++r) {
            cells.Admittance[c][r] = "Y" + std::to_string(r + 1) + std::to_string(c + 1);
        }
    }
    const char* names = "EdPQ";
    for (int n = 0; n < MaxNodes; ++n) {
        for (int c = 0; c < DataColumns; ++c) {
            cells.Data[c][n] = std::string(1, names[c]) + std::to_string(n + 1);
        }
    }
    std::istringstream file(FormatNetworkFile(cells));
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 56u);
    EXPECT_EQ(lines[0], "Y11");
    EXPECT_EQ(lines[1], "Y12");
    EXPECT_EQ(lines[2], "Y22");
    EXPECT_EQ(lines[3], "Y13");
    EXPECT_EQ(lines[5], "Y33");
    EXPECT_EQ(lines[21], "Y17");
    EXPECT_EQ(lines[27], "Y77");
    EXPECT_EQ(lines[28], "E1");
    EXPECT_EQ(lines[31], "Q1");
    EXPECT_EQ(lines[32], "E2");
    EXPECT_EQ(lines[55], "Q7");
    // row i, column j (1-based) on line j(j-1)/2 + i
    for (int j = 1; j <= 7; ++j) {
        for (int i = 1; i <= j; ++i) {
            EXPECT_EQ(lines[static_cast<std::size_t>(j * (j - 1) / 2 + i - 1)],
                      "Y" + std::to_string(i) + std::to_string(j));
        }
    }
}

TEST_F(NetworkFileTest, EmptyCellsAreEmptyLines) {
    EXPECT_EQ(FormatNetworkFile(CellTexts{}), std::string(56, '\n'));
    CellTexts cells = testing::TwoNodeNetwork();
    ASSERT_TRUE(WriteNetworkFile(Path("empty.nwd"), CellTexts{}));
    ASSERT_TRUE(ReadNetworkFile(Path("empty.nwd"), cells));
    for (int line = 0; line < CellCount; ++line) {
        EXPECT_TRUE(CellInFileOrder(cells, line).empty()) << line;
    }
}

TEST_F(NetworkFileTest, SaveThenLoadReproducesEveryCellExactly) {
    CellTexts cells = testing::TwoNodeNetwork();
    cells.Admittance[6][6] = "  1,23 + 0,37 j  ";
    cells.Admittance[3][2] = std::string(500, '7') + ",5j"; // far beyond 98 characters
    cells.Data[1][6] = "\xCE\xB4 = 30\xC2\xB0";             // UTF-8 passes unchanged
    cells.Data[2][5] = "\t-0,5\t";
    ASSERT_TRUE(WriteNetworkFile(Path("net.nwd"), cells));
    CellTexts loaded;
    ASSERT_TRUE(ReadNetworkFile(Path("net.nwd"), loaded));
    for (int line = 0; line < CellCount; ++line) {
        EXPECT_EQ(CellInFileOrder(loaded, line), CellInFileOrder(cells, line)) << line;
    }
}

TEST_F(NetworkFileTest, ReaderToleratesWhateverTheFileHolds) {
    // carriage returns before the newline, and lines missing at the end
    CellTexts cells = ParseNetworkFile("1-5j\r\n-1+5j\r\n1-5j\r\n");
    EXPECT_EQ(cells.Admittance[0][0], "1-5j");
    EXPECT_EQ(cells.Admittance[1][0], "-1+5j");
    EXPECT_EQ(cells.Admittance[1][1], "1-5j");
    EXPECT_EQ(cells.Admittance[2][0], "");
    EXPECT_EQ(cells.Data[3][6], "");

    // a last line without its newline is still a line; a lone CR inside a line stays
    cells = ParseNetworkFile(std::string(55, '\n') + "0,2");
    EXPECT_EQ(cells.Data[3][6], "0,2");
    cells = ParseNetworkFile("a\rb\n");
    EXPECT_EQ(cells.Admittance[0][0], "a\rb");

    // lines after the 56th are ignored
    std::string text;
    for (int i = 0; i < 60; ++i) {
        text += std::to_string(i) + "\n";
    }
    cells = ParseNetworkFile(text);
    EXPECT_EQ(cells.Data[3][6], "55");

    // a long line never shifts the cells after it
    cells = ParseNetworkFile(std::string(100000, 'x') + "\nsecond\n");
    EXPECT_EQ(cells.Admittance[0][0].size(), 100000u);
    EXPECT_EQ(cells.Admittance[1][0], "second");

    // binary content
    std::string binary;
    for (int i = 0; i < 4096; ++i) {
        binary.push_back(static_cast<char>((i * 7919) & 0xff));
    }
    Spit(Path("binary.nwd"), binary);
    CellTexts loaded;
    ASSERT_TRUE(ReadNetworkFile(Path("binary.nwd"), loaded));
}

TEST_F(NetworkFileTest, UnreadableFileLeavesTheCellsAlone) {
    CellTexts cells = testing::TwoNodeNetwork();
    std::string reason;
    EXPECT_FALSE(ReadNetworkFile(Path("missing.nwd"), cells, &reason));
    EXPECT_NE(reason.find("No such file"), std::string::npos) << reason;
    EXPECT_FALSE(ReadNetworkFile(dir_.string(), cells, &reason)); // a folder
    EXPECT_EQ(cells.Admittance[0][0], "1-5j");
    EXPECT_EQ(cells.Data[3][1], "-0,2");
}

TEST_F(NetworkFileTest, FailedSaveKeepsTheEarlierFile) {
    const std::string path = Path("keep.nwd");
    Spit(path, "earlier contents\n");

    // a save into a folder that does not exist
    EXPECT_FALSE(WriteNetworkFile(Path("missing/net.nwd"), testing::TwoNodeNetwork()));

    // a save that runs out of room part-way (a file-size limit works even for root)
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = old;
    tiny.rlim_cur = 8;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    std::string reason;
    const bool written = WriteNetworkFile(path, testing::TwoNodeNetwork(), &reason);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(Slurp(path), "earlier contents\n");
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir_)) {
        ++files;
    }
    EXPECT_EQ(files, 1) << "no temporary file may be left behind";

    // and a save that can complete replaces it, keeping its permissions
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(WriteNetworkFile(path, testing::TwoNodeNetwork()));
    EXPECT_EQ(Slurp(path), FormatNetworkFile(testing::TwoNodeNetwork()));
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(NetworkFileTest, LineBreaksInsideACellNeverShiftTheFile) {
    CellTexts cells;
    cells.Admittance[0][0] = "1\n2\r\n3";
    const std::string file = FormatNetworkFile(cells);
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 56);
    EXPECT_EQ(ParseNetworkFile(file).Admittance[0][0], "1 2  3");
}

} // namespace
} // namespace nodewise
