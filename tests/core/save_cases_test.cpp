// Saving over whatever a name may stand for, through nodewise-cli --output: what is left under
// the name afterwards, what the program says, and its exit status.
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <poll.h>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "core/platform/atomic_file.h"

namespace nodewise {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void Spit(const fs::path& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

struct stat LinkStatus(const fs::path& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
        st.st_mode = 0;
    }
    return st;
}

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return q + "'";
}

bool HaveSetpriv() {
    return std::system("command -v setpriv >/dev/null 2>&1") == 0;
}

// Who may run a case.
enum class Needs { Anyone, Root, RootAndSetpriv };

// What a pipe's reader does while the program writes into it.
enum class Reader { None, ReadsAll, LeavesAtOnce };

struct SaveCase {
    const char* name;
    Needs needs;
    // Makes what the case is about in `dir`; returns the name given to --output.
    std::function<fs::path(const fs::path& dir)> prepare;
    const char* runAs; // a command put before the program ("ulimit -f 1;", setpriv ...)
    Reader reader;
    int status;
    const char* reason; // the system's reason on the second line; nullptr when it succeeds
    // Looks at what is there afterwards; `written` holds what a pipe's reader got.
    std::function<void(const fs::path& dir, const fs::path& output, const std::string& expected,
                       const std::string& written)>
        check;
};

const std::string Earlier = "earlier contents\n";

// The folder holds exactly these names: nothing was left beside the target.
void ExpectOnly(const fs::path& dir, std::set<std::string> names) {
    std::set<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir)) {
        found.insert(entry.path().filename().string());
    }
    EXPECT_EQ(found, names);
}

const SaveCase Cases[] = {
    {"character device that takes everything", Needs::Root,
     [](const fs::path& dir) {
         EXPECT_EQ(mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
         return dir / "null";
     },
     "", Reader::None, 0, nullptr,
     [](const fs::path& dir, const fs::path& output, const std::string&, const std::string&) {
         const struct stat st = LinkStatus(output);
         EXPECT_TRUE(S_ISCHR(st.st_mode)) << "the device node stays";
         EXPECT_EQ(st.st_rdev, makedev(1, 3));
         ExpectOnly(dir, {"null"});
     }},
    {"character device that is full", Needs::Root,
     [](const fs::path& dir) {
         EXPECT_EQ(mknod((dir / "full").c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
         return dir / "full";
     },
     "", Reader::None, 1, "No space left on device",
     [](const fs::path& dir, const fs::path& output, const std::string&, const std::string&) {
         const struct stat st = LinkStatus(output);
         EXPECT_TRUE(S_ISCHR(st.st_mode)) << "the device node stays";
         EXPECT_EQ(st.st_rdev, makedev(1, 7));
         ExpectOnly(dir, {"full"});
     }},
    {"named pipe with a reader", Needs::Anyone,
     [](const fs::path& dir) {
         EXPECT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
         return dir / "pipe";
     },
     "", Reader::ReadsAll, 0, nullptr,
     [](const fs::path& dir, const fs::path& output, const std::string& expected,
        const std::string& written) {
         EXPECT_TRUE(S_ISFIFO(LinkStatus(output).st_mode));
         EXPECT_TRUE(written == expected) << written.size() << " bytes read";
         ExpectOnly(dir, {"pipe"});
     }},
    {"named pipe whose reader leaves", Needs::Anyone,
     [](const fs::path& dir) {
         EXPECT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
         return dir / "pipe";
     },
     "", Reader::LeavesAtOnce, 1, "Broken pipe",
     [](const fs::path& dir, const fs::path& output, const std::string&, const std::string&) {
         EXPECT_TRUE(S_ISFIFO(LinkStatus(output).st_mode));
         ExpectOnly(dir, {"pipe"});
     }},
    {"named pipe that nobody reads", Needs::Anyone,
     [](const fs::path& dir) {
         EXPECT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
         return dir / "pipe";
     },
     "", Reader::None, 1, "No such device or address",
     [](const fs::path& dir, const fs::path& output, const std::string&, const std::string&) {
         EXPECT_TRUE(S_ISFIFO(LinkStatus(output).st_mode));
         ExpectOnly(dir, {"pipe"});
     }},
    {"chain of links to a file not yet there", Needs::Anyone,
     [](const fs::path& dir) {
         fs::create_directories(dir / "links");
         fs::create_directories(dir / "out");
         fs::create_symlink("links/second", dir / "first");               // relative to dir
         fs::create_symlink("../out/real.csv", dir / "links" / "second"); // relative to links/
         return dir / "first";
     },
     "", Reader::None, 0, nullptr,
     [](const fs::path& dir, const fs::path& output, const std::string& expected,
        const std::string&) {
         EXPECT_TRUE(S_ISLNK(LinkStatus(output).st_mode)) << "the links stay";
         EXPECT_TRUE(S_ISLNK(LinkStatus(dir / "links" / "second").st_mode));
         EXPECT_TRUE(Slurp(dir / "out" / "real.csv") == expected);
         ExpectOnly(dir / "out", {"real.csv"});
     }},
    {"loop of links", Needs::Anyone,
     [](const fs::path& dir) {
         fs::create_symlink("b", dir / "a");
         fs::create_symlink("a", dir / "b");
         return dir / "a";
     },
     "", Reader::None, 1, "Too many levels of symbolic links",
     [](const fs::path& dir, const fs::path&, const std::string&, const std::string&) {
         EXPECT_EQ(fs::read_symlink(dir / "a"), "b");
         EXPECT_EQ(fs::read_symlink(dir / "b"), "a");
         ExpectOnly(dir, {"a", "b"});
     }},
    {"file-size limit", Needs::Anyone,
     [](const fs::path& dir) {
         Spit(dir / "out.csv", Earlier);
         return dir / "out.csv";
     },
     "ulimit -f 1;", Reader::None, 1, "File too large",
     [](const fs::path& dir, const fs::path& output, const std::string&, const std::string&) {
         EXPECT_EQ(Slurp(output), Earlier);
         ExpectOnly(dir, {"out.csv"});
     }},
    {"file nobody may write", Needs::Anyone,
     [](const fs::path& dir) {
         Spit(dir / "out.csv", Earlier);
         EXPECT_EQ(chmod((dir / "out.csv").c_str(), 0444), 0);
         return dir / "out.csv";
     },
     "", Reader::None, 1, "Permission denied",
     [](const fs::path& dir, const fs::path& output, const std::string&, const std::string&) {
         EXPECT_EQ(Slurp(output), Earlier);
         EXPECT_EQ(LinkStatus(output).st_mode & 07777, 0444u);
         ExpectOnly(dir, {"out.csv"});
     }},
    {"folder that does not exist", Needs::Anyone,
     [](const fs::path& dir) { return dir / "missing" / "x.csv"; }, "", Reader::None, 1,
     "No such file or directory",
     [](const fs::path& dir, const fs::path&, const std::string&, const std::string&) {
         ExpectOnly(dir, {});
     }},
    {"another user's file saved by the superuser", Needs::Root,
     [](const fs::path& dir) {
         Spit(dir / "out.csv", Earlier);
         EXPECT_EQ(chown((dir / "out.csv").c_str(), 4321, 4322), 0);
         EXPECT_EQ(chmod((dir / "out.csv").c_str(), 0640), 0);
         return dir / "out.csv";
     },
     "", Reader::None, 0, nullptr,
     [](const fs::path& dir, const fs::path& output, const std::string& expected,
        const std::string&) {
         const struct stat st = LinkStatus(output);
         EXPECT_TRUE(Slurp(output) == expected);
         EXPECT_EQ(st.st_uid, 4321u) << "the owner stays";
         EXPECT_EQ(st.st_gid, 4322u) << "the group stays";
         EXPECT_EQ(st.st_mode & 07777, 0640u);
         ExpectOnly(dir, {"out.csv"});
     }},
    {"someone else's file in a folder open to all", Needs::RootAndSetpriv,
     [](const fs::path& dir) {
         EXPECT_EQ(chmod(dir.c_str(), 0777), 0);
         Spit(dir / "out.csv", Earlier); // the superuser's, 0644
         EXPECT_EQ(chmod((dir / "out.csv").c_str(), 0644), 0);
         return dir / "out.csv";
     },
     "setpriv --reuid=65534 --regid=65534 --clear-groups", Reader::None, 1, "Permission denied",
     [](const fs::path& dir, const fs::path& output, const std::string&, const std::string&) {
         EXPECT_EQ(Slurp(output), Earlier);
         EXPECT_EQ(LinkStatus(output).st_uid, 0u);
         ExpectOnly(dir, {"out.csv"});
     }},
};

class SaveCasesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("nodewise-save-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        EXPECT_EQ(chmod(dir_.c_str(), 0755), 0); // reachable by the user of the setpriv case
    }
    void TearDown() override { fs::remove_all(dir_); }

    struct Result {
        int status;
        std::string out;
        std::string err;
    };

    // Runs nodewise-cli on a sizeable network (more than a pipe holds) with --output if given.
    Result Run(const std::string& prefix, const fs::path* output) {
        const std::string network = std::string(NODEWISE_SOURCE_DIR) + "/examples/stagg-5bus.nwd";
        std::string command = "LC_ALL=C " + prefix + " " + NODEWISE_CLI_PATH + " solve " +
                              Quote(network) + " --method newton --iterations 999";
        if (output != nullptr) {
            command += " --output " + Quote(output->string());
        }
        const fs::path out = dir_ / "stdout";
        const fs::path err = dir_ / "stderr";
        command += " >" + Quote(out.string()) + " 2>" + Quote(err.string()) + " </dev/null";
        const int raw = std::system(command.c_str());
        Result result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(out), Slurp(err)};
        fs::remove(out);
        fs::remove(err);
        return result;
    }

    fs::path dir_;
};

TEST_F(SaveCasesTest, EachTargetIsWrittenOrRefusedAndSaysWhy) {
    const Result reference = Run("", nullptr);
    ASSERT_EQ(reference.status, 0) << reference.err;
    ASSERT_GT(reference.out.size(), 65536u); // beyond what a pipe buffers

    const bool root = geteuid() == 0;
    const bool setpriv = HaveSetpriv();
    for (const SaveCase& c : Cases) {
        SCOPED_TRACE(c.name);
        if (c.needs == Needs::Root && !root) {
            std::cout << "[ SKIPPED  ] " << c.name
                      << ": needs the superuser, to make device nodes and give files away\n";
            continue;
        }
        if (c.needs == Needs::RootAndSetpriv && !root) {
            std::cout << "[ SKIPPED  ] " << c.name
                      << ": needs the superuser, to run the program as another user\n";
            continue;
        }
        if (c.needs == Needs::RootAndSetpriv && !setpriv) {
            std::cout << "[ SKIPPED  ] " << c.name << ": needs setpriv to run as another user\n";
            continue;
        }
        const fs::path dir = dir_ / "case";
        fs::remove_all(dir);
        fs::create_directories(dir);
        const fs::path output = c.prepare(dir);

        std::string written;
        std::thread reader;
        if (c.reader != Reader::None) {
            // The reader is there before the program opens the pipe (opened without waiting
            // for a writer), then waits for the first bytes.
            const int fd = open(output.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            ASSERT_GE(fd, 0) << std::strerror(errno);
            reader = std::thread([fd, &written, mode = c.reader] {
                pollfd ready{fd, POLLIN, 0};
                while (poll(&ready, 1, -1) < 0 && errno == EINTR) {
                }
                fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
                char buffer[65536];
                ssize_t got;
                while (mode == Reader::ReadsAll && (got = read(fd, buffer, sizeof buffer)) > 0) {
                    written.append(buffer, static_cast<std::size_t>(got));
                }
                close(fd);
            });
        }
        // The runs of this table go through files in dir_, not in the case's folder.
        const Result r = Run(c.runAs, &output);
        if (reader.joinable()) {
            // A reader still waiting for a writer that never came is let go.
            const int fd = open(output.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                close(fd);
            }
            reader.join();
        }

        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out.size() << " bytes on standard output";
        if (c.reason == nullptr) {
            EXPECT_EQ(r.err, "");
        } else {
            EXPECT_EQ(r.err, "Errore: Errore salvataggio in .csv\nnodewise-cli: " +
                                 output.string() + ": " + c.reason + "\n");
        }
        c.check(dir, output, reference.out, written);
        fs::permissions(dir, fs::perms::owner_all); // let the folder go whatever the case did
    }
}

TEST_F(SaveCasesTest, StandardOutputGivenByNameIsWrittenInPlace) {
    // --output /proc/self/fd/1 with standard output a pipe: a link to no file name at all.
    const Result reference = Run("", nullptr);
    const std::string network = std::string(NODEWISE_SOURCE_DIR) + "/examples/stagg-5bus.nwd";
    const fs::path piped = dir_ / "piped";
    const std::string command = std::string(NODEWISE_CLI_PATH) + " solve " + Quote(network) +
                                " --method newton --iterations 999 --output /proc/self/fd/1 | "
                                "cat >" +
                                Quote(piped.string());
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(Slurp(piped) == reference.out) << Slurp(piped).size() << " bytes";
}

TEST_F(SaveCasesTest, AKilledSaveLeavesNothingBehind) {
    // A save of 64 MiB killed while it writes: the earlier file stays, and no temporary file is
    // left beside it, since the temporary has no name until it is complete.
    const fs::path target = dir_ / "out.csv";
    Spit(target, Earlier);
    const std::string contents(64u << 20, 'x');
    int started[2];
    ASSERT_EQ(pipe(started), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(started[0]);
        const char go = 1;
        [[maybe_unused]] const ssize_t said = write(started[1], &go, 1);
        _exit(WriteFileAtomically(target.string(), contents) ? 0 : 1);
    }
    close(started[1]);
    char go = 0;
    ASSERT_EQ(read(started[0], &go, 1), 1);
    close(started[0]);
    usleep(5000);
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);

    ExpectOnly(dir_, {"out.csv"});
    const std::string now = Slurp(target);
    EXPECT_TRUE(now == Earlier || now == contents) << now.size() << " bytes";
}

} // namespace
} // namespace nodewise
