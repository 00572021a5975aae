#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/delay_load_rules.h"

namespace {

TEST(DelayLoadRules, TheFourLibrariesAreKnownByNameWhateverTheCase) {
    const std::pair<const char*, int> names[] = {
        {"SHELL32.dll", 0}, {"shell32.DLL", 0}, {"OLE32.dll", 1}, {"comdlg32.dll", 2}, {"comctl32.dll", 3}, {"SHELL32", -1}, {"UNLHA32.DLL", -1}, {nullptr, -1}};
    for (const auto& name : names)
        EXPECT_EQ(DelayLoadedLibraryIndex(name.first), name.second) << (name.first ? name.first : "no name");
}

// How each delay-loaded function reports failure to its callers, read from its
// documentation: a stand-in that answered otherwise would let a caller go on
// as if it had worked (an S_OK from CoCreateInstance with no object, a
// SHFileOperationA "success").
const std::map<std::string, StandInResult> kExpected = {
    {"ImageList_Create", StandInResult::Zero}, {"ImageList_Destroy", StandInResult::Zero},
    {"ImageList_Draw", StandInResult::Zero}, {"ImageList_GetIcon", StandInResult::Zero},
    {"ImageList_GetImageCount", StandInResult::Zero}, {"ImageList_ReplaceIcon", StandInResult::MinusOne},
    {"InitCommonControls", StandInResult::Zero}, {"GetOpenFileNameA", StandInResult::Zero},
    {"CoCreateInstance", StandInResult::FailedHresult}, {"CoInitialize", StandInResult::FailedHresult},
    {"CoUninitialize", StandInResult::Zero}, {"DragFinish", StandInResult::Zero},
    {"DragQueryFileA", StandInResult::Zero}, {"SHFileOperationA", StandInResult::NonZero},
    {"SHGetFileInfoA", StandInResult::Zero}, {"SHGetSpecialFolderPathA", StandInResult::Zero},
    {"ShellExecuteA", StandInResult::Zero}, {"Shell_NotifyIconA", StandInResult::Zero},
};

TEST(DelayLoadRules, EveryDelayLoadedFunctionHasAStandInThatFailsAsTheFunctionDoes) {
    // The functions the build delay-loads: every word after the library's name
    // in the set(PELTO_DELAY_... ) lists of cmake/delay_imports.cmake.
    std::ifstream in(PELTO_SOURCE_DIR "/cmake/delay_imports.cmake");
    const std::string text(std::istreambuf_iterator<char>(in), {});
    std::vector<std::string> functions;
    for (std::size_t at = text.find("set(PELTO_DELAY_"); at != std::string::npos; at = text.find("set(PELTO_DELAY_", at + 1)) {
        std::istringstream words(text.substr(at, text.find(')', at) - at));
        std::string word;
        words >> word >> word;  // set(PELTO_DELAY_NAME, then the library
        while (words >> word) functions.push_back(word);
    }
    ASSERT_GE(functions.size(), 15u) << "cmake/delay_imports.cmake was not read";
    for (const std::string& function : functions) {
        SCOPED_TRACE(function);
        const auto expected = kExpected.find(function);
        ASSERT_NE(expected, kExpected.end()) << "a delay-loaded function nobody has decided a failure answer for";
        EXPECT_EQ(StandInFor(function.c_str()), expected->second);
    }
}

TEST(DelayLoadRules, AFunctionAskedForByOrdinalOrUnknownAnswersZero) {
    EXPECT_EQ(StandInFor(nullptr), StandInResult::Zero);
    EXPECT_EQ(StandInFor("SomethingElse"), StandInResult::Zero);
    EXPECT_EQ(StandInFor("shfileoperationa"), StandInResult::Zero);  // names are exact
}

}  // namespace
