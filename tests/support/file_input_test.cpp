// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Numbered file input: opening, reading items and lines, end of file and closing.
#include "support/file_input.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace std::string_literals;

namespace {

// A real file in a fresh temporary directory, removed with it.
class TempFile {
  public:
    explicit TempFile(const std::string& contents) {
        char pattern[] = "/tmp/novawing-files-XXXXXX";
        dir = mkdtemp(pattern);
        path = dir + "/config.cfg";
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(contents.data(), 1, contents.size(), f);
        std::fclose(f);
    }
    ~TempFile() {
        std::remove(path.c_str());
        rmdir(dir.c_str());
    }
    std::string dir;
    std::string path;
};

// Every item of a file read the way the config reader reads it, with the
// end-of-file answer seen before each read.
struct Reading {
    std::vector<std::string> items;
    std::vector<std::int32_t> endBefore;
    std::int32_t endAfter = 0;
};

Reading ReadAll(FileTable& files, std::int32_t number, int limit = 100000) {
    Reading reading;
    for (int i = 0; i < limit; ++i) {
        std::int32_t end = AtEndOfFile(files, number);
        if (end) break;
        reading.endBefore.push_back(end);
        std::string item;
        InputText(files, number, item);
        reading.items.push_back(item);
    }
    reading.endAfter = AtEndOfFile(files, number);
    return reading;
}

std::vector<std::string> ItemsOf(const std::string& contents) {
    TempFile file(contents);
    FileTable files;
    EXPECT_EQ(OpenFile(files, file.path, kModeInput, 1), 0);
    return ReadAll(files, 1).items;
}

} // namespace

TEST(FileInputTable, NumbersOpeningAndClosing) {
    TempFile file("xres\n640\n");
    FileTable files;
    EXPECT_EQ(FreeFileNumber(files), 1);

    EXPECT_EQ(OpenFile(files, file.dir + "/missing.cfg", kModeInput, 1), 2);
    EXPECT_EQ(AtEndOfFile(files, 1), -1);
    EXPECT_EQ(CloseFile(files, 1), 0);
    EXPECT_EQ(FreeFileNumber(files), 1); // a failed open leaves the number free

    for (std::int32_t bad : {0, 256, -1, 100000}) {
        EXPECT_EQ(OpenFile(files, file.path, kModeInput, bad), 1) << bad;
        EXPECT_EQ(AtEndOfFile(files, bad), -1) << bad;
        EXPECT_EQ(SelectInput(files, bad), 1) << bad;
    }
    EXPECT_EQ(CloseFile(files, 256), 1);
    EXPECT_EQ(CloseFile(files, -1), 1);
    EXPECT_EQ(OpenFile(files, file.path, 99, 1), 2); // no such mode

    // Backslashes are path separators too.
    std::string dosPath = file.path;
    dosPath[dosPath.rfind('/')] = '\\';
    EXPECT_EQ(OpenFile(files, dosPath, kModeInput, 1), 0);
    EXPECT_EQ(files.entries[1].lengthAtOpen, 9);
    EXPECT_EQ(files.entries[1].recordLength, 128);
    EXPECT_EQ(OpenFile(files, file.path, kModeInput, 1), 1); // already open
    EXPECT_EQ(FreeFileNumber(files), 2);

    // All 255 numbers in use: no free number left.
    for (std::int32_t n = 2; n <= 255; ++n)
        ASSERT_EQ(OpenFile(files, file.path, kModeInput, n), 0);
    EXPECT_EQ(FreeFileNumber(files), 0);
    EXPECT_EQ(CloseFile(files, 17), 0);
    EXPECT_EQ(FreeFileNumber(files), 17);
    EXPECT_EQ(CloseFile(files, 0), 0);
    EXPECT_EQ(FreeFileNumber(files), 1);
    for (const FileEntry& entry : files.entries)
        EXPECT_EQ(entry.stream, nullptr);
}

TEST(FileInputTable, ModesRecordLengthsAndLengthAtOpen) {
    TempFile file("0123456789");
    FileTable files;
    std::string created = file.dir + "/created.dat";

    EXPECT_EQ(OpenFile(files, file.path, kModeRandom, 1, 64), 0);
    EXPECT_EQ(files.entries[1].recordLength, 0);
    EXPECT_EQ(files.entries[1].lengthAtOpen, 10);
    EXPECT_EQ(OpenFile(files, file.path, kModeRecords, 2, 64), 0);
    EXPECT_EQ(files.entries[2].recordLength, 64);
    EXPECT_EQ(OpenFile(files, file.path, kModeInput, 3, -5), 0);
    EXPECT_EQ(files.entries[3].recordLength, 128);
    EXPECT_EQ(std::fgetc(files.entries[3].stream), '0'); // the length check left the position

    // Read-write modes create a missing file; input does not.
    EXPECT_EQ(OpenFile(files, created, kModeInput, 4), 2);
    EXPECT_EQ(OpenFile(files, created, kModeRecords, 4), 0);
    EXPECT_EQ(files.entries[4].lengthAtOpen, 0);
    EXPECT_EQ(AtEndOfFile(files, 4), -1);
    EXPECT_EQ(CloseFile(files, 4), 0);

    EXPECT_EQ(OpenFile(files, created, kModeOutput, 5, 0), 0);
    EXPECT_EQ(files.entries[5].recordLength, 128);
    EXPECT_EQ(files.entries[5].lengthAtOpen, 0);
    EXPECT_EQ(AtEndOfFile(files, 5), 0); // output: the stream's own end flag
    EXPECT_EQ(OpenFile(files, created, kModeAppend, 6, 99), 0);
    EXPECT_EQ(files.entries[6].recordLength, 0);

    // Reading from an output file yields nothing rather than failing.
    std::string item = "unchanged";
    InputText(files, 5, item);
    EXPECT_EQ(item, "");
    CloseAllFiles(files);
    std::remove(created.c_str());
}

// A FIFO with no writer would block an ordinary open for ever (the test
// would then end at its time limit); a device or a directory has no end or
// no text.  Every mode that reads refuses them all, as if the name were not
// there, and creates nothing in their place.
TEST(FileInputTable, ReadingModesRefuseWhatIsNotARegularFile) {
    TempFile file("");
    const std::string fifo = file.dir + "/fifo.cfg";
    const std::string dir = file.dir + "/dir.cfg";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
    FileTable files;
    for (std::int32_t mode : {kModeInput, kModeRandom, kModeRecords}) {
        for (const std::string& path : {fifo, dir, "/dev/zero"s})
            EXPECT_EQ(OpenFile(files, path, mode, 1), 2) << path << " mode " << mode;
        EXPECT_EQ(FreeFileNumber(files), 1);
    }

    // With a writer waiting and text in the pipe, it is still refused
    // rather than read.
    const int writer = open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(write(writer, "xres\n640\n", 9), 9);
    EXPECT_EQ(OpenFile(files, fifo, kModeInput, 1), 2);
    close(writer);

    struct stat info {};
    ASSERT_EQ(stat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    ASSERT_EQ(stat(dir.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    std::remove(fifo.c_str());
    rmdir(dir.c_str());
}

TEST(FileInputItems, LinesBecomeItemsWithEndOfFileBeforeEachRead) {
    TempFile file("xres\n640\n");
    FileTable files;
    ASSERT_EQ(OpenFile(files, file.path, kModeInput, FreeFileNumber(files)), 0);
    Reading r = ReadAll(files, 1);
    EXPECT_EQ(r.items, (std::vector<std::string>{"xres", "640"}));
    EXPECT_EQ(r.endBefore, (std::vector<std::int32_t>{0, 0}));
    EXPECT_EQ(r.endAfter, -1);

    TempFile unfinished("xres\n640");
    FileTable other;
    ASSERT_EQ(OpenFile(other, unfinished.path, kModeInput, 1), 0);
    Reading u = ReadAll(other, 1);
    EXPECT_EQ(u.items, (std::vector<std::string>{"xres", "640"}));
    EXPECT_EQ(u.endAfter, -1);
    std::string item = "x";
    InputText(other, 1, item); // reading at the end gives an empty item
    EXPECT_EQ(item, "");
}

TEST(FileInputItems, TextItemRules) {
    // Spaces, commas and tabs inside a line, and trailing spaces, belong to it.
    EXPECT_EQ(ItemsOf("  a, b\tc  \n"), (std::vector<std::string>{"a, b\tc  "}));
    // LF, CR LF and a lone CR all end a line; blank lines are skipped.
    EXPECT_EQ(ItemsOf("one\r\ntwo\rthree\n\n  \r\n\t\nfour\r"),
              (std::vector<std::string>{"one", "two", "three", "four"}));
    // A quoted part ends the item; the rest of its line is the next item.
    EXPECT_EQ(ItemsOf("\"xres\" 640\n\"a,b\"\n\"open\n"),
              (std::vector<std::string>{"xres", "640", "a,b", "open"}));
    EXPECT_EQ(ItemsOf("x\"\"y\n"), (std::vector<std::string>{"x", "y"}));
    // Only blank lines left: one empty item and then the end.
    TempFile blanks("depth\n\n   \n\n");
    FileTable files;
    ASSERT_EQ(OpenFile(files, blanks.path, kModeInput, 1), 0);
    std::string item;
    InputText(files, 1, item);
    EXPECT_EQ(item, "depth");
    EXPECT_EQ(AtEndOfFile(files, 1), 0);
    InputText(files, 1, item);
    EXPECT_EQ(item, "");
    EXPECT_EQ(AtEndOfFile(files, 1), -1);
}

TEST(FileInputItems, NonTextModeSplitsAtDelimitersAndQuotesGroup) {
    TempFile file("12, 34\t\"5 6\"7 x\n");
    FileTable files;
    ASSERT_EQ(OpenFile(files, file.path, kModeInput, 1), 0);
    ASSERT_EQ(SelectInput(files, 1), 0);
    std::vector<std::string> items;
    char buffer[12];
    for (int i = 0; i < 5; ++i) {
        ReadItem(files, buffer, 11, false);
        items.push_back(buffer);
    }
    EXPECT_EQ(items, (std::vector<std::string>{"12", "34", "5 67", "x", ""}));

    // Capacity splits an item; the rest comes as the next one.
    TempFile longer("abcdefgh\n");
    FileTable more;
    ASSERT_EQ(OpenFile(more, longer.path, kModeInput, 1), 0);
    SelectInput(more, 1);
    char small[4];
    ReadItem(more, small, 3, true);
    EXPECT_STREQ(small, "abc");
    ReadItem(more, small, 3, true);
    EXPECT_STREQ(small, "def");
    ReadItem(more, small, 0, true);
    EXPECT_STREQ(small, "");
    ReadItem(more, small, 3, true);
    EXPECT_STREQ(small, "gh");
}

TEST(FileInputItems, SelectingANumberThatIsNotOpenGivesNoInput) {
    TempFile file("xres\n640\n");
    FileTable files;
    ASSERT_EQ(OpenFile(files, file.path, kModeInput, 1), 0);
    std::string item = "x";
    for (std::int32_t number : {2, 0, 256, -1}) {
        EXPECT_EQ(InputText(files, number, item), 0);
        EXPECT_EQ(item, "") << number;
    }
    char buffer[8] = "junk";
    EXPECT_EQ(SelectInput(files, 9), 1);
    ReadItem(files, buffer, 7, true);
    EXPECT_STREQ(buffer, "");
    InputText(files, 1, item); // the file itself was not disturbed
    EXPECT_EQ(item, "xres");

    // A selected file that gets closed stops being the source.
    ASSERT_EQ(SelectInput(files, 1), 0);
    CloseFile(files, 1);
    ReadItem(files, buffer, 7, true);
    EXPECT_STREQ(buffer, "");
}

TEST(FileInputItems, BadInputNeverHangsOrOverruns) {
    // A line of a megabyte comes as items of 1024 bytes.
    std::string huge(1 << 20, 'q');
    std::vector<std::string> items = ItemsOf(huge + "\nend");
    ASSERT_EQ(items.size(), 1025u);
    for (std::size_t i = 0; i < 1024; ++i)
        EXPECT_EQ(items[i], std::string(1024, 'q'));
    EXPECT_EQ(items[1024], "end");

    // 1025 characters: the first 1024, then the last one.
    EXPECT_EQ(ItemsOf(std::string(1025, 'z')),
              (std::vector<std::string>{std::string(1024, 'z'), "z"}));

    // A NUL byte cuts the item's text; the rest of its line is used up.
    EXPECT_EQ(ItemsOf("ab\0cd\nxres\n"s), (std::vector<std::string>{"ab", "xres"}));
    EXPECT_EQ(ItemsOf("\0\0\0\n"s), (std::vector<std::string>{""}));

    // Binary bytes are kept as they are.
    std::string binary;
    for (int c = 0; c < 256; ++c)
        binary += static_cast<char>(c);
    std::vector<std::string> bytes = ItemsOf(binary + binary);
    std::size_t total = 0;
    for (const std::string& item : bytes)
        total += item.size();
    EXPECT_GT(bytes.size(), 0u);
    EXPECT_LE(total, binary.size() * 2);
    EXPECT_EQ(ItemsOf("\xff\xfe"
                      "caf\xe9\n"),
              (std::vector<std::string>{"\xff\xfe"
                                        "caf\xe9"}));

    // Lone CRs only; the last CR is still ahead after 640, so one more
    // (empty) item is read before the end.
    EXPECT_EQ(ItemsOf("\r\r\r\rxres\r640\r\r"), (std::vector<std::string>{"xres", "640", ""}));
    // Nothing at all.
    EXPECT_EQ(ItemsOf(""), (std::vector<std::string>{}));
}

TEST(FileInputItems, EndOfFileLoopEndsWhenTheFileShrinks) {
    // The file shrinks after it was opened: reads run dry long before the
    // size it had then (what stdio had already buffered still comes).
    std::string lines;
    for (int i = 0; i < 4000; ++i)
        lines += "line " + std::to_string(i) + "\n";
    TempFile file(lines);
    FileTable shrinking;
    ASSERT_EQ(OpenFile(shrinking, file.path, kModeInput, 1), 0);
    ASSERT_EQ(truncate(file.path.c_str(), 5), 0);
    Reading r = ReadAll(shrinking, 1, 5000);
    EXPECT_EQ(r.items.front().substr(0, 5), "line ");
    EXPECT_LT(r.items.size(), 4000u);
    EXPECT_EQ(r.endAfter, -1);
}
