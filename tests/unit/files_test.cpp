// The OS layer of the file services: whole writes that fail leave the old
// file, and reads of streams whose size the OS does not tell.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include "platform/os/files.h"

namespace xel {
namespace {

struct TempFolder {
    std::string path;
    TempFolder() {
        std::string pattern = std::string(::testing::TempDir()) + "xel-files-XXXXXX";
        path = mkdtemp(pattern.data()) ? pattern : "";
    }
    ~TempFolder() {
        std::string command = "rm -rf '" + path + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        std::vector<DirEntry> entries;
        os_list_dir(path.c_str(), &entries);
        for (const DirEntry& e : entries)
            out.push_back(e.name);
        return out;
    }
};

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A file size limit makes the write fail part way, as a full disk would.
TEST(Files, FailedWholeWriteKeepsTheOldFile) {
    TempFolder dir;
    ASSERT_FALSE(dir.path.empty());
    std::string file = dir.path + "/keep.txt";
    ASSERT_TRUE(os_write_file(file.c_str(), WriteMode::Replace, -1, {"good"}));

    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    bool ok = os_write_file(file.c_str(), WriteMode::Replace, -1, {std::string(5000, 'x')});
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, old_handler);

    EXPECT_FALSE(ok);
    EXPECT_EQ(contents(file), "good");
    EXPECT_EQ(dir.names(), std::vector<std::string>{"keep.txt"}) << "no scratch file is left";
}

TEST(Files, WholeWriteKeepsModeAndWritesThroughLinks) {
    TempFolder dir;
    std::string file = dir.path + "/target.txt";
    std::string link = dir.path + "/link.txt";
    ASSERT_TRUE(os_write_file(file.c_str(), WriteMode::Replace, -1, {"one"}));
    ASSERT_EQ(chmod(file.c_str(), 0640), 0);
    ASSERT_EQ(symlink("target.txt", link.c_str()), 0);
    ASSERT_TRUE(os_write_file(link.c_str(), WriteMode::Replace, -1, {"two", "three"}));
    EXPECT_EQ(contents(file), "twothree");
    struct stat st {};
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays a link";
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(Files, StreamsOfUnknownSizeReadToTheirEnd) {
    ReadFile f;
    ASSERT_TRUE(os_open_read("/proc/self/status", -1, &f));
    EXPECT_EQ(f.size, -1);
    std::string text;
    EXPECT_TRUE(os_read_rest(f, -1, &text));
    os_close_read(&f);
    EXPECT_NE(text.find("Name:"), std::string::npos);

    ReadFile part;
    ASSERT_TRUE(os_open_read("/proc/self/status", 2, &part));
    std::string rest;
    EXPECT_TRUE(os_read_rest(part, 3, &rest));
    os_close_read(&part);
    EXPECT_EQ(rest, "me:");
}

TEST(Files, FoldersAreNotReadAsFiles) {
    ReadFile f;
    EXPECT_FALSE(os_open_read("/tmp", -1, &f));
    EXPECT_FALSE(os_write_file("/tmp", WriteMode::Replace, -1, {"x"}));
}

} // namespace
} // namespace xel
