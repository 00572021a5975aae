// Archives dropped on the skin window: the command line the archive library
// receives, the extraction, the recycle-bin question and its answers, and the
// messages. The libraries are the doubles the build makes (archive_doubles\).
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pelto_session.h"
#include "plugin_support.h"

namespace {

using namespace e2e;

const char kQuestionTail[] = "\n解凍は正常に終了しました。\nこの元の圧縮ファイルをごみ箱に移動しますか？";
const char kNoUnlha[] = "UNLHA32.DLLがありません。\nUNLHA32.DLLについてはヘルプを参照して下さい。";
const char kNoUnzip[] = "UNZIP32.DLLがありません。\nUNZIP32.DLLについてはヘルプを参照して下さい。";
const char kNoUnzipFunction[] =
    "UNZIP32.DLLの中に『 UnZip 』関数を見つけられませんでした。\nUNZIP32.DLLが古いバージョンでないかどうか確かめて下さい。";
const char kPathTooLong[] = "ファイルのパスが長すぎるため、この圧縮ファイルは解凍できません。";

struct Member {
    std::string name, data;
};
const std::vector<Member> kMembers = {{"alpha.txt", "first member\r\n"}, {"beta.txt", "second"}};

std::string Little(std::size_t value, int bytes) {
    std::string b;
    for (int i = 0; i < bytes; ++i) b += static_cast<char>((value >> (8 * i)) & 0xFF);
    return b;
}

unsigned Crc32(const std::string& data) {
    unsigned crc = 0xFFFFFFFFu;
    for (unsigned char c : data) {
        crc ^= c;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// An archive of the members, stored: LZH for a name ending in .lzh (level-0 headers,
// -lh0-, a CRC-16 the double does not check), else ZIP (local headers only, version 1.0).
bool WriteArchive(const std::string& path) {
    const bool lzh = path.compare(path.size() - 4, 4, ".lzh") == 0;
    std::string b;
    for (const Member& m : kMembers) {
        const std::string size = Little(m.data.size(), 4);
        if (!lzh) {
            b += std::string("PK\x03\x04", 4) + Little(10, 2) + std::string(8, '\0') + Little(Crc32(m.data), 4) + size +
                 size + Little(m.name.size(), 2) + Little(0, 2) + m.name + m.data;
            continue;
        }
        const std::string h = "-lh0-" + size + size + Little(0x5A210000u, 4) + std::string("\x20\0", 2) +
                              static_cast<char>(m.name.size()) + m.name + Little(0, 2);
        unsigned sum = 0;
        for (unsigned char c : h) sum += c;
        b += static_cast<char>(h.size()) + std::string(1, static_cast<char>(sum & 0xFF)) + h + m.data;
    }
    return WriteFileBytes(path, lzh ? b + '\0' : b);
}

// A library double (lzh, zip, or old: an UNZIP32.DLL without UnZip) beside
// Pelto.exe, which loads the library afresh for each drop.
bool CopyDouble(const PeltoSession& s, const std::string& kind) {
    const std::string name = kind == "lzh" ? "UNLHA32.DLL" : "UNZIP32.DLL";
    const std::string from = JoinPath(DriverFolder(), "archive_doubles\\" + kind + "\\" + name);
    return CopyFileA(from.c_str(), s.folder.File(name).c_str(), FALSE) != FALSE;
}

void Drop(PeltoSession& s, const std::vector<std::string>& files) {
    const RECT r = WindowRect(s.skin);
    ASSERT_TRUE(DropOnSkin((r.left + r.right) / 2, (r.top + r.bottom) / 2, files)) << "the drop of " << files[0] << " was not accepted";
}

std::string CallLog(const PeltoSession& s) { return ReadFileText(s.folder.File("archive_calls.log")); }

bool HoldsMembers(const std::string& folder) {
    for (const Member& m : kMembers)
        if (ReadFileText(JoinPath(folder, m.name)) != m.data) return false;
    return true;
}

// Wine's recycle bin: the XDG trash (files\ and info\), in the runner's own XDG_DATA_HOME.
std::string TrashFolder() {
    const std::string data = EnvironmentValue("XDG_DATA_HOME");
    std::string path = data.empty() ? "" : "Z:" + data + "/Trash/";
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// The folder of the examples, C:\dl\, removed after the test.
struct ExampleFolder { ~ExampleFolder() { RemoveTree("C:\\dl"); } };

// One Pelto, a minute between its ticks so that its boxes do not pull the skin
// away; archives dropped with no library or the wrong one, then both doubles.
TEST(ArchiveDrop, Archive_DropsExtractAskAndRefuse) {
    SetTestTimeLimit(240);
    PeltoSession s("archives");
    s.Start([](const InstallFolder& f) { return f.WriteSetting("60000 0 nothing"); });
    ExampleFolder dl;
    // The LZH line is the path and its folder plus 11 bytes: in a folder of 121 bytes,
    // ab.lzh gives 259 bytes, the most a 260-byte text holds, and abc.lzh one too many.
    ASSERT_LT(s.folder.path().size() + 2, 121u) << "the install folder's path is too long for this test";
    const std::string longFolder = s.folder.path() + "\\" + std::string(121 - s.folder.path().size() - 2, 'd') + "\\";
    ASSERT_EQ(longFolder.size(), 121u);

    // Each drop brings one box, owned by the skin: a message, the library not called and
    // nothing extracted; or the question (to the recycle bin?), the library given the line.
    struct DropCase {
        const char* name;
        std::vector<std::string> doubles;  // copied in before the drop
        std::vector<std::string> dropped;
        std::string folder;   // where the archives lie and the members go, made anew
        std::string line;     // what the library was given ("" for none)
        const char* message;  // the message, or null for the question
        int answer;
    };
    const std::string messages = s.folder.File("messages\\"), failed = s.folder.File("failed\\");
    const std::string blanks = s.folder.File("my files\\"), fits = longFolder + "ab.lzh";
    const DropCase cases[] = {
        {"no UNLHA32.DLL", {}, {messages + "a.lzh"}, messages, "", kNoUnlha, IDOK},
        {"no UNZIP32.DLL", {}, {messages + "a.zip"}, messages, "", kNoUnzip, IDOK},
        {"an UNZIP32.DLL without the function", {"old"}, {messages + "a.zip"}, messages, "", kNoUnzipFunction, IDOK},
        {"a path too long for the command line", {"lzh", "zip"}, {longFolder + "abc.lzh"}, longFolder, "", kPathTooLong, IDOK},
        {"a good archive in the folder of the failed extraction below", {}, {failed + "good.zip"}, failed,
         "\"" + failed + "good.zip\" \"" + failed + "\"", nullptr, IDNO},
        {"LZH, answered Yes", {}, {"C:\\dl\\mint.lzh"}, "C:\\dl\\", "e \"C:\\dl\\mint.lzh\" \"C:\\dl\\\" *.*", nullptr, IDYES},
        {"ZIP with blanks in the path, answered No", {}, {blanks + "pack one.zip"}, blanks, "\"" + blanks + "pack one.zip\" \"" + blanks + "\"", nullptr, IDNO},
        {"only the first dropped file counts", {}, {"C:\\dl\\mint.zip", s.folder.File("second.lzh")}, "C:\\dl\\", "\"C:\\dl\\mint.zip\" \"C:\\dl\\\"", nullptr, IDNO},
        {"the longest path that fits", {}, {fits}, longFolder, "e \"" + fits + "\" \"" + longFolder + "\" *.*", nullptr, IDNO},
    };
    EXPECT_EQ(cases[8].line.size(), 259u);
    for (const DropCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string& archive = c.dropped[0];
        for (const std::string& kind : c.doubles) ASSERT_TRUE(CopyDouble(s, kind)) << "cannot copy the " << kind << " double";
        RemoveTree(c.folder.substr(0, c.folder.size() - 1));
        ASSERT_TRUE(CreateDirectoryA(c.folder.c_str(), nullptr)) << "cannot make " << c.folder;
        for (const std::string& file : c.dropped) ASSERT_TRUE(WriteArchive(file)) << "cannot write " << file;
        DeleteFileA(s.folder.File("archive_calls.log").c_str());
        Drop(s, c.dropped);
        const std::vector<int> buttons = c.message ? std::vector<int>{IDOK} : std::vector<int>{IDYES, IDNO};
        HWND box = ExpectBox(s.pelto, {c.message ? c.message : archive + kQuestionTail, "Pelto", s.skin, false, buttons});
        EXPECT_EQ(s.pelto.MessageBoxes().size(), 1u);
        EXPECT_EQ(CallLog(s), c.line.empty() ? "" : c.line + "\n");
        EXPECT_EQ(HoldsMembers(c.folder), !c.line.empty()) << "the members in " << c.folder;
        EXPECT_TRUE(FileExists(archive));  // nothing moves before the answer
        EXPECT_TRUE(DismissMessageBox(box, c.answer));
        EXPECT_TRUE(PeltoAnswers(s.pelto)) << "Pelto does not answer: " << s.pelto;
        EXPECT_TRUE(s.pelto.MessageBoxes().empty() && TopLevelWindowsOf(s.pelto.pid(), "#32770").empty()) << "after the answer: " << DescribeBoxes(s.pelto);
        EXPECT_FALSE(HoldsMembers(s.folder.path())) << "the wrong archive was unpacked";
        if (c.answer != IDYES) {
            EXPECT_TRUE(FileExists(archive)) << "the archive moved without a Yes";
            continue;
        }
        EXPECT_TRUE(WaitUntil(5000, [&] { return !FileExists(archive); })) << "the archive is still there after Yes";
        const std::string trash = TrashFolder();
        EXPECT_TRUE(FileExists(trash + "files\\mint.lzh")) << "the archive is not in the recycle bin (" << trash << ")";
        // Its record goes too: while it stays, the bin gives the next mint.lzh another name.
        for (const char* file : {"files\\mint.lzh", "info\\mint.lzh.trashinfo"}) DeleteFileA((trash + file).c_str());
        EXPECT_TRUE(HoldsMembers(c.folder)) << "the members went with the archive";
    }

    // A failure the library reports asks nothing (the good archive above in the same folder is the control).
    ASSERT_TRUE(WriteFileBytes(failed + "broken.zip", "this is not an archive")) << "cannot write the archive";
    DeleteFileA(s.folder.File("archive_calls.log").c_str());
    Drop(s, {failed + "broken.zip"});
    EXPECT_TRUE(WaitUntil(5000, [&] { return !CallLog(s).empty(); })) << "the library was not called";
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << "a failed extraction gave " << DescribeBoxes(s.pelto);
    EXPECT_TRUE(FileExists(failed + "broken.zip"));
    EXPECT_TRUE(s.pelto.Running());
}

}  // namespace
