// Archives dropped on the skin window: the command line the archive library
// receives, the extraction, the recycle-bin question and its answers, missing
// libraries and functions, a failed extraction and paths too long to pass.
// The libraries are the doubles the build makes (archive_doubles\), copied
// beside Pelto.exe in the test's own install folder.
#include <windows.h>

#include <string>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "pelto_session.h"
#include "plugin_support.h"
#include "target_support.h"

namespace {

using namespace e2e;

const char kQuestionTail[] = "\n解凍は正常に終了しました。\nこの元の圧縮ファイルをごみ箱に移動しますか？";
const char kNoUnlha[] = "UNLHA32.DLLがありません。\nUNLHA32.DLLについてはヘルプを参照して下さい。";
const char kNoUnzip[] = "UNZIP32.DLLがありません。\nUNZIP32.DLLについてはヘルプを参照して下さい。";
const char kNoUnzipFunction[] =
    "UNZIP32.DLLの中に『 UnZip 』関数を見つけられませんでした。\nUNZIP32.DLLが古いバージョンでないかどうか確かめて下さい。";
const char kPathTooLong[] = "ファイルのパスが長すぎるため、この圧縮ファイルは解凍できません。";

struct Member {
    std::string name;
    std::string data;
};

void PutLittle(std::string& b, unsigned value, int bytes) {
    for (int i = 0; i < bytes; ++i) b += static_cast<char>((value >> (8 * i)) & 0xFF);
}

unsigned Crc32(const std::string& data) {
    unsigned crc = 0xFFFFFFFFu;
    for (unsigned char c : data) {
        crc ^= c;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// An LZH archive of stored members (level-0 headers, method -lh0-).
std::string LzhArchive(const std::vector<Member>& members) {
    std::string b;
    for (const Member& m : members) {
        std::string h = "-lh0-";
        PutLittle(h, static_cast<unsigned>(m.data.size()), 4);  // packed
        PutLittle(h, static_cast<unsigned>(m.data.size()), 4);  // original
        PutLittle(h, 0x5A210000u, 4);                            // time stamp
        h += '\x20';                                             // attribute
        h += '\0';                                               // level 0
        h += static_cast<char>(m.name.size());
        h += m.name;
        PutLittle(h, 0, 2);  // CRC-16, not checked by the library double
        unsigned sum = 0;
        for (unsigned char c : h) sum += c;
        b += static_cast<char>(h.size());
        b += static_cast<char>(sum & 0xFF);
        b += h + m.data;
    }
    b += '\0';
    return b;
}

// A ZIP archive of stored members (local headers only).
std::string ZipArchive(const std::vector<Member>& members) {
    std::string b;
    for (const Member& m : members) {
        b += std::string("PK\x03\x04", 4);
        PutLittle(b, 10, 2);  // version needed
        PutLittle(b, 0, 2);   // flags
        PutLittle(b, 0, 2);   // stored
        PutLittle(b, 0, 4);   // time and date
        PutLittle(b, Crc32(m.data), 4);
        PutLittle(b, static_cast<unsigned>(m.data.size()), 4);
        PutLittle(b, static_cast<unsigned>(m.data.size()), 4);
        PutLittle(b, static_cast<unsigned>(m.name.size()), 2);
        PutLittle(b, 0, 2);
        b += m.name + m.data;
    }
    return b;
}

const std::vector<Member> kMembers = {{"alpha.txt", "first member\r\n"}, {"beta.txt", "second"}};

// Pelto with a minute between tracking ticks, so that its message boxes do not
// pull the skin window away, and with the given library doubles beside it.
void StartWithLibraries(PeltoSession& s, std::initializer_list<const char*> doubles) {
    s.Start([&](const InstallFolder& f) {
        bool copied = f.WriteSetting("60000 0 nothing");
        for (const char* kind : doubles) {
            std::string name = std::string(kind) == "lzh" ? "UNLHA32.DLL" : "UNZIP32.DLL";
            std::string from = JoinPath(DriverFolder(), std::string("archive_doubles\\") + kind + "\\" + name);
            copied = copied && CopyFileA(from.c_str(), f.File(name).c_str(), FALSE);
        }
        return copied;
    });
}

void Drop(PeltoSession& s, const std::vector<std::string>& files) {
    RECT r = WindowRect(s.skin);
    ASSERT_TRUE(DropOnSkin((r.left + r.right) / 2, (r.top + r.bottom) / 2, files)) << Format("the drop of %s was not accepted", files[0].c_str());
}

std::string CallLog(const PeltoSession& s) { return ReadFileText(s.folder.File("archive_calls.log")); }

bool HoldsMembers(const std::string& folder) {
    for (const Member& m : kMembers) {
        std::string bytes;
        if (!ReadFileBytes(JoinPath(folder, m.name), &bytes) || bytes != m.data) return false;
    }
    return true;
}

// The question for the archive, checked for caption, owner and buttons; the
// test ends here when none comes.
HWND WaitForQuestion(PeltoSession& s, const std::string& archive) {
    return ExpectBox(s.pelto, {archive + kQuestionTail, "Pelto", s.skin, false, {IDYES, IDNO}});
}

// Dropped alone, the file brings exactly one box with this text, owned by the
// skin window; after it is dismissed nothing else follows.
void CheckDropGivesOneMessage(PeltoSession& s, const std::string& file, const char* text) {
    Drop(s, {file});
    ExpectBox(s.pelto, {text, "Pelto", s.skin, false, {IDOK}});
    EXPECT_EQ(s.pelto.MessageBoxes().size(), 1);
    AnswerBox(s.pelto, {text, "Pelto", s.skin});
    EXPECT_TRUE(PeltoAnswers(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << Format("after the message: %s", DescribeBoxes(s.pelto).c_str());
}

// Where Wine's recycle bin keeps a deleted file: the XDG trash, which the test
// runner puts in a folder of its own (XDG_DATA_HOME).
std::string TrashedFile(const std::string& name) {
    char data[MAX_PATH] = "";
    DWORD n = GetEnvironmentVariableA("XDG_DATA_HOME", data, sizeof data);
    if (n == 0 || n >= sizeof data) return "";
    std::string path = std::string("Z:") + data + "/Trash/files/" + name;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// The folder of the examples, C:\dl\, made for one test and removed after it.
struct ExampleFolder {
    std::string path = "C:\\dl\\";
    ExampleFolder() {
        RemoveTree("C:\\dl");
        [&] { ASSERT_TRUE(CreateDirectoryA("C:\\dl", nullptr)) << "cannot make C:\\dl"; }();
    }
    ~ExampleFolder() { RemoveTree("C:\\dl"); }
};

TEST(ArchiveDrop, Archive_LzhExtractsWithTheExactLineAndYesRecyclesIt) {
    PeltoSession s("lzhyes");
    StartWithLibraries(s, {"lzh"});
    ExampleFolder dl;
    const std::string archive = "C:\\dl\\mint.lzh";
    ASSERT_TRUE(WriteFileBytes(archive, LzhArchive(kMembers))) << "cannot write the archive";
    Drop(s, {archive});
    HWND box = WaitForQuestion(s, archive);
    EXPECT_EQ(CallLog(s), "e \"C:\\dl\\mint.lzh\" \"C:\\dl\\\" *.*\n");
    EXPECT_TRUE(HoldsMembers(dl.path)) << "the members are not in C:\\dl\\";
    EXPECT_TRUE(FileExists(archive));  // nothing moves before the answer

    EXPECT_TRUE(DismissMessageBox(box, IDYES));
    EXPECT_TRUE(WaitUntil(5000, [&] { return !FileExists(archive); })) << "the archive is still there after Yes";
    EXPECT_TRUE(PeltoAnswers(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_TRUE(s.pelto.MessageBoxes().empty() && TopLevelWindowsOf(s.pelto.pid(), "#32770").empty()) << Format("a further confirmation: %s", DescribeBoxes(s.pelto).c_str());
    std::string trashed = TrashedFile("mint.lzh");
    EXPECT_TRUE(FileExists(trashed)) << Format("the archive is not in the recycle bin (%s)", trashed.c_str());
    DeleteFileA(trashed.c_str());
    // Its record too: while it stays, the bin gives the next mint.lzh another name.
    const std::size_t files = trashed.rfind("\\files\\");
    if (files != std::string::npos) DeleteFileA((trashed.substr(0, files) + "\\info\\mint.lzh.trashinfo").c_str());
    EXPECT_TRUE(HoldsMembers(dl.path)) << "the members went with the archive";
    EXPECT_TRUE(s.pelto.Running());
}

TEST(ArchiveDrop, Archive_ZipPathWithBlanksAnsweredNoStays) {
    PeltoSession s("zipno");
    StartWithLibraries(s, {"zip"});
    ASSERT_TRUE(CreateDirectoryA(s.folder.File("my files").c_str(), nullptr)) << "no folder";
    std::string archive = s.folder.File("my files\\pack one.zip"), folder = s.folder.File("my files\\");
    ASSERT_TRUE(WriteFileBytes(archive, ZipArchive(kMembers))) << "cannot write the archive";
    Drop(s, {archive});
    HWND box = WaitForQuestion(s, archive);
    EXPECT_EQ(CallLog(s), "\"" + archive + "\" \"" + folder + "\"\n");
    EXPECT_TRUE(HoldsMembers(folder)) << Format("the members are not in %s", folder.c_str());
    EXPECT_TRUE(DismissMessageBox(box, IDNO));
    EXPECT_TRUE(PeltoAnswers(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_TRUE(FileExists(archive)) << "No moved the archive";
    EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << Format("after No: %s", DescribeBoxes(s.pelto).c_str());
}

TEST(ArchiveDrop, Archive_MissingLibraryOrFunctionShowsOneMessage) {
    PeltoSession s("nolibrary");
    StartWithLibraries(s, {});
    std::string lzh = s.folder.File("a.lzh"), zip = s.folder.File("a.zip");
    ASSERT_TRUE(WriteFileBytes(lzh, LzhArchive(kMembers)) && WriteFileBytes(zip, ZipArchive(kMembers))) << "cannot write the archives";
    CheckDropGivesOneMessage(s, lzh, kNoUnlha);
    CheckDropGivesOneMessage(s, zip, kNoUnzip);
    EXPECT_TRUE(!FileExists(s.folder.File("alpha.txt"))) << "something was extracted without a library";

    // A library of the name without the function.
    std::string old = JoinPath(DriverFolder(), "archive_doubles\\old\\UNZIP32.DLL");
    ASSERT_TRUE(CopyFileA(old.c_str(), s.folder.File("UNZIP32.DLL").c_str(), FALSE)) << Format("cannot copy %s", old.c_str());
    CheckDropGivesOneMessage(s, zip, kNoUnzipFunction);
    EXPECT_TRUE(CallLog(s).empty()) << Format("the library was called: %s", CallLog(s).c_str());
    EXPECT_TRUE(FileExists(lzh) && FileExists(zip));
    EXPECT_TRUE(s.pelto.Running());
}

TEST(ArchiveDrop, Archive_ReportedFailureAsksNothing) {
    PeltoSession s("failed");
    StartWithLibraries(s, {"zip"});
    std::string broken = s.folder.File("broken.zip"), good = s.folder.File("good.zip");
    ASSERT_TRUE(WriteFileBytes(broken, "this is not an archive") && WriteFileBytes(good, ZipArchive(kMembers))) << "cannot write the archives";
    Drop(s, {broken});
    EXPECT_TRUE(WaitUntil(5000, [&] { return !CallLog(s).empty(); })) << "the library was not called";
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << Format("a failed extraction gave %s", DescribeBoxes(s.pelto).c_str());
    EXPECT_TRUE(FileExists(broken));

    // The same library with a good archive does ask.
    Drop(s, {good});
    DismissMessageBox(WaitForQuestion(s, good), IDNO);
}

TEST(ArchiveDrop, Archive_OnlyTheFirstDroppedFileCounts) {
    PeltoSession s("firstonly");
    StartWithLibraries(s, {"lzh", "zip"});
    ExampleFolder dl;
    const std::string zip = "C:\\dl\\mint.zip";
    std::string lzh = s.folder.File("second.lzh");
    ASSERT_TRUE(WriteFileBytes(zip, ZipArchive(kMembers)) && WriteFileBytes(lzh, LzhArchive(kMembers))) << "cannot write the archives";
    Drop(s, {zip, lzh});
    HWND box = WaitForQuestion(s, zip);
    EXPECT_TRUE(DismissMessageBox(box, IDNO));
    EXPECT_TRUE(PeltoAnswers(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_EQ(CallLog(s), "\"C:\\dl\\mint.zip\" \"C:\\dl\\\"\n");  // the UNZIP32.DLL call only
    EXPECT_TRUE(HoldsMembers(dl.path) && !HoldsMembers(s.folder.path())) << "the wrong archive was unpacked";
    EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << Format("the second file was handled too: %s", DescribeBoxes(s.pelto).c_str());
}

TEST(ArchiveDrop, Archive_PathTooLongForTheCommandLineIsRefused) {
    PeltoSession s("longpath");
    StartWithLibraries(s, {"lzh"});
    // The LZH line is the path and its folder plus 11 bytes. In a folder of 121
    // bytes (with its backslash), ab.lzh gives a line of 259 bytes, the most a
    // 260-byte text holds, and abc.lzh one byte too many.
    const std::size_t base = s.folder.path().size() + 2;
    ASSERT_TRUE(base < 121) << "the install folder's path is too long for this test";
    std::string folder = s.folder.path() + "\\" + std::string(121 - base, 'd') + "\\";
    ASSERT_TRUE(folder.size() == 121) << Format("folder of %d bytes", static_cast<int>(folder.size()));
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << Format("cannot make %s", folder.c_str());
    std::string over = folder + "abc.lzh", fits = folder + "ab.lzh";
    ASSERT_TRUE(WriteFileBytes(over, LzhArchive(kMembers)) && WriteFileBytes(fits, LzhArchive(kMembers))) << "cannot write the archives";

    CheckDropGivesOneMessage(s, over, kPathTooLong);
    EXPECT_TRUE(CallLog(s).empty()) << Format("the library was called with %s", CallLog(s).c_str());
    EXPECT_TRUE(!HoldsMembers(folder)) << "something was extracted";

    Drop(s, {fits});
    HWND box = WaitForQuestion(s, fits);
    std::string line = "e \"" + fits + "\" \"" + folder + "\" *.*";
    EXPECT_EQ(line.size(), 259);
    EXPECT_EQ(CallLog(s), line + "\n");
    EXPECT_TRUE(HoldsMembers(folder));
    EXPECT_TRUE(DismissMessageBox(box, IDNO));
}

}  // namespace
