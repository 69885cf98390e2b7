// Files written beside their target and renamed over it: a write that fails
// halfway leaves the old file whole and no stray temporary file, and says why.
#include "platform/SafeFile.h"
#include "tests/support/Bounded.h"
#include "tests/support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Read(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

void Put(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

class SafeFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = QDir::tempPath().toStdString() + "/vx35_safefile_" + std::to_string(QCoreApplication::applicationPid());
        QDir().mkpath(QString::fromStdString(dir));
    }
    void TearDown() override { QDir(QString::fromStdString(dir)).removeRecursively(); }
    int Entries() const { return static_cast<int>(QDir(QString::fromStdString(dir)).entryList(QDir::Files | QDir::Hidden).size()); }
    std::string dir;
};

} // namespace

TEST_F(SafeFile, ReplacesTheOldFileOnlyWhenEverythingWasWritten)
{
    const std::string path = dir + "/table.csv";
    Put(path, "old content");
    chmod(path.c_str(), 0640);
    {
        vx::SafeFileWriter file(path.c_str());
        ASSERT_FALSE(file.Failed());
        EXPECT_TRUE(file.Write("new ", 4));
        // Until the commit the old file is what others read.
        EXPECT_EQ(Read(path), "old content");
        EXPECT_EQ(Entries(), 2);
        EXPECT_TRUE(file.Write(std::string(3 << 20, 'x').c_str(), 3 << 20));   // past the buffer
        ASSERT_TRUE(file.Commit());
    }
    const std::string text = Read(path);
    EXPECT_EQ(text.size(), 4u + (3u << 20));
    EXPECT_EQ(text.substr(0, 5), "new x");
    EXPECT_EQ(Entries(), 1);
    struct stat st {};
    stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(SafeFile, AFailedWriteKeepsTheOldFileAndNamesTheCause)
{
    const std::string path = dir + "/series.csv";
    Put(path, "the measurement of yesterday");
    CString error;
    {
        FileSizeLimit full(1000);
        EXPECT_FALSE(vx::WriteFileSafely(path.c_str(), std::string(5000, 'y').c_str(), 5000, &error));
    }
    EXPECT_EQ(Read(path), "the measurement of yesterday");
    EXPECT_EQ(Entries(), 1);   // no temporary file left behind
    EXPECT_EQ(error, CString(path + ": ") + FullDiskReason());
    // A piece large enough to go to the file unbuffered fails alike.
    {
        FileSizeLimit full(1000);
        vx::SafeFileWriter file(path.c_str());
        EXPECT_TRUE(file.Write("head", 4));
        EXPECT_FALSE(file.Write(std::string(300000, 'z').c_str(), 300000));
        EXPECT_FALSE(file.Commit());
        EXPECT_EQ(file.ErrorMessage(), CString(path + ": ") + FullDiskReason());
    }
    EXPECT_EQ(Read(path), "the measurement of yesterday");
    EXPECT_EQ(Entries(), 1);

    // Abandoning (a cancelled export) keeps the old file as well.
    {
        vx::SafeFileWriter file(path.c_str());
        file.Write("partial", 7);
    }
    EXPECT_EQ(Read(path), "the measurement of yesterday");
    EXPECT_EQ(Entries(), 1);
}

TEST_F(SafeFile, FoldersMissingFoldersAndLinks)
{
    CString error;
    EXPECT_FALSE(vx::WriteFileSafely((dir + "/missing/x.csv").c_str(), "a", 1, &error));
    EXPECT_EQ(error, CString(dir + "/missing/x.csv: " + std::strerror(ENOENT)));
    EXPECT_FALSE(vx::WriteFileSafely(dir.c_str(), "a", 1, &error));
    EXPECT_EQ(error, CString(dir + ": " + std::strerror(EISDIR)));
    EXPECT_FALSE(vx::WriteFileSafely("", "a", 1, &error));

    // A link stays a link; the file it points to gets the new content.
    const std::string real = dir + "/real.csv";
    const std::string link = dir + "/link.csv";
    Put(real, "old");
    ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
    ASSERT_TRUE(vx::WriteFileSafely(link.c_str(), "new", 3));
    EXPECT_EQ(Read(real), "new");
    struct stat st {};
    lstat(link.c_str(), &st);
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    // A pipe (or a device) has nothing to keep whole: the bytes go into it,
    // and the node is never replaced by a file.
    const std::string fifo = dir + "/pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(vx::WriteFileSafely(fifo.c_str(), "abc", 3, &error));
    char got[8] = {};
    EXPECT_EQ(read(reader, got, sizeof got), 3);
    close(reader);
    EXPECT_STREQ(got, "abc");
    lstat(fifo.c_str(), &st);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// A pipe is opened without waiting for its reader: one that nobody reads,
// or whose reader leaves midway, is a failure with its cause, and the
// program lives on (no SIGPIPE).
TEST_F(SafeFile, APipeWithoutAReaderIsToldAndNeverWaitedFor)
{
    const std::string fifo = dir + "/nobody-reads";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const CString noReader = CString(fifo + ": ") + vx::FileReasonTexts{}.noReader;
    CString error;
    bool written = true;
    EXPECT_TRUE(FinishesWithin(kHangLimit, [&] { written = vx::WriteFileSafely(fifo.c_str(), "abc", 3, &error); },
                               [&] { OpenOtherEnd(fifo, false); }));
    EXPECT_FALSE(written);
    EXPECT_EQ(error, noReader);
    EXPECT_TRUE(vx::CanWriteFile(fifo.c_str())) << "checked without opening it";

    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    vx::SafeFileWriter file(fifo.c_str());
    ASSERT_FALSE(file.Failed());
    close(reader);
    EXPECT_FALSE(file.Write(std::string(1 << 20, 'x').c_str(), 1 << 20));
    EXPECT_EQ(file.ErrorMessage(), noReader);
}
