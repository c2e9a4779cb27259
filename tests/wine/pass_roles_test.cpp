// The conversion pass's roles against the real file system and processes.
#include "platform/win32_converter.h"
#include "platform/win32_drop_files.h"
#include "platform/win32_fax_store.h"
#include "wine_test.h"

#include <algorithm>
#include <set>

struct PassRolesTest : WineTest {
    bool closing = false;
    orvalis::FolderWatch watch;
    orvalis::Win32DropFiles drop{watch, [] { return false; }};
    orvalis::Win32FaxStore store{temp.File(""), temp.path};
    orvalis::Win32Converter converter{temp.path, [this] { return closing; }};
};

TEST_F(PassRolesTest, ListsOrdinaryAwdFilesByNamesThatStayInTheFolder) {
    // Read wide: an ANSI listing would turn the fullwidth backslashes into
    // real ones and "Łódź" into "Lodz".
    for (const wchar_t* name :
         {L"a.awd", L"B.AWD", L"hidden.awd", L"system.awd", L"x.awdx", L"\uFF3C..\uFF3Cx.awd",
          L"\u0141\u00F3d\u017A.awd", L"caf\u00E9.awd"})
        std::ofstream(std::filesystem::path(temp.path) / name) << "x";
    SetFileAttributesA(temp.File("hidden.awd").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA(temp.File("system.awd").c_str(), FILE_ATTRIBUTE_SYSTEM);
    std::filesystem::create_directory(temp.File("folder.awd"));
    watch.Start(temp.File(""));
    std::set<std::string> keys;
    const auto visit = [&](const orvalis::ListedFile& file) {
        keys.insert(file.key);
        return true;
    };
    // An empty folder is read whole; one that is not there is not read at all.
    using orvalis::ListResult;
    EXPECT_EQ(ListResult::Complete, drop.ListAwdFiles(temp.File("folder.awd\\"), visit, true));
    EXPECT_EQ(ListResult::Failed, drop.ListAwdFiles(temp.File("gone\\"), visit, true));
    EXPECT_EQ(ListResult::Complete, drop.ListAwdFiles(temp.File(""), visit, true));
    // "x.awdx" matches "*.awd" through its 8.3 alias.
    EXPECT_EQ((std::set<std::string>{"B.AWD", "a.awd", "\xEF\xBC\xBC..\xEF\xBC\xBCx.awd",
                                     "caf\xC3\xA9.awd", "\xC5\x81\xC3\xB3\x64\xC5\xBA.awd"}),
              keys);
    // Not read again, the folder is followed all the same: what came is
    // found, and what went is never handed out.
    DeleteFileA(temp.File("a.awd").c_str());
    std::ofstream(temp.File("new.awd")) << "x";
    keys.clear();
    for (int i = 0; i < 100 && !keys.count("new.awd"); ++i, Sleep(20))
        drop.ListAwdFiles(temp.File(""), visit, false);
    EXPECT_EQ(0u, keys.count("a.awd"));
    EXPECT_EQ(1u, keys.count("new.awd"));
}

TEST_F(PassRolesTest, WhatAnotherHandleOnTheFileHoldsUp) {
    const std::string tif = temp.File("Fax_00001.tif"), folder = temp.File(""),
                      name = "Fax_00001.tif";
    // One page with one 4-byte strip, little-endian.
    const char tiff[] = "II*\0\x08\0\0\0\x02\0\x11\x01\x04\0\x01\0\0\0\x26\0\0\0"
                        "\x17\x01\x04\0\x01\0\0\0\x04\0\0\0\0\0\0\0abcd";
    std::ofstream(tif, std::ios::binary).write(tiff, sizeof tiff - 1);
    // Another handle that shares reading only: a writer holds everything up,
    // a reader only keeps the file from being taken or deleted.
    orvalis::FileStamp stamp;
    const std::pair<DWORD, bool> cases[] = {{GENERIC_WRITE, false}, {GENERIC_READ, true}};
    for (const auto& [access, complete] : cases) {
        SCOPED_TRACE(complete ? "a reader" : "a writer");
        HANDLE other =
            CreateFileA(tif.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(complete, store.IsTargetComplete(tif));
        EXPECT_EQ(orvalis::SourceCheck::HeldOpen, drop.CheckSource(folder, name, stamp));
        EXPECT_EQ(orvalis::DeleteResult::Failed, drop.DeleteSource(folder, name, stamp));
        CloseHandle(other);
    }
    // Only the very file that was looked at is deleted, even one copied over
    // it with the same size and time.
    EXPECT_EQ(orvalis::SourceCheck::Ready, drop.CheckSource(folder, name, stamp));
    CopyFileA(tif.c_str(), temp.File("copy").c_str(), FALSE); // same size and time
    MoveFileExA(temp.File("copy").c_str(), tif.c_str(), MOVEFILE_REPLACE_EXISTING);
    EXPECT_EQ(orvalis::DeleteResult::Changed, drop.DeleteSource(folder, name, stamp)) << "its id";
    EXPECT_EQ(orvalis::SourceCheck::Ready, drop.CheckSource(folder, name, stamp));
    // A reader that lets it be deleted keeps its name until it lets go.
    HANDLE reader = CreateFileA(tif.c_str(), GENERIC_READ, 7, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(orvalis::DeleteResult::Deleted, drop.DeleteSource(folder, name, stamp));
    EXPECT_FALSE(drop.WaitUntilGone(folder, name, 100)) << "the name left while held";
    CloseHandle(reader);
    EXPECT_TRUE(drop.WaitUntilGone(folder, name, 100));
    EXPECT_EQ(orvalis::DeleteResult::AlreadyGone, drop.DeleteSource(folder, name, stamp));
    EXPECT_EQ(orvalis::SourceCheck::HeldOpen, drop.CheckSource(folder, name, stamp))
        << "gone: passed over, nothing spent";
}

// The batch's cmd.exe ends at once, the converter it started never does: it
// is still the converter's run, ended with it, and nothing it held stays open.
// Close cuts any wait for it short.
TEST_F(PassRolesTest, AConverterIsWaitedForAndEndedWithAllItStarted) {
    std::string stub = std::string("Z:") + getenv("ORVALIS_CONVERTER");
    std::replace(stub.begin(), stub.end(), '/', '\\');
    std::ofstream(temp.File("x.awd")) << "hang";
    const std::string tif = temp.File("x.tif");
    int32_t id = 0;
    ASSERT_TRUE(converter.Launch("start /b " + stub + " /c x.awd x.tif", id));
    EXPECT_FALSE(converter.WaitForEnd(1000)) << "ended while the converter runs";
    closing = true;
    const ULONGLONG asked = GetTickCount64();
    EXPECT_FALSE(converter.WaitForEnd(60000)) << "a wait that outlasts Close";
    EXPECT_GT(5000u, GetTickCount64() - asked) << "Close ends the wait at once";
    converter.End();
    EXPECT_TRUE(converter.WaitForEnd(0) && DeleteFileA(tif.c_str())) << GetLastError();
}

// A marker says whose it is: only our own are found again after a crash.
TEST_F(PassRolesTest, OnlyOurOwnMarkersAreFoundAgain) {
    store.Reserve(temp.File("Fax_00001.tif.lock"), "caf\xC3\xA9.awd", 42);
    std::ofstream(temp.File("Fax_00002.tif.lock")); // an earlier version's, or one cut short
    const std::vector<orvalis::Leftover> ours = store.OwnMarkers(temp.File(""));
    ASSERT_EQ(1u, ours.size());
    EXPECT_EQ(temp.File("Fax_00001.tif.lock") + " caf\xC3\xA9.awd 42",
              ours[0].marker + " " + ours[0].awd + " " + std::to_string(ours[0].awd_bytes));
    // A TIF never written is gone already, and its marker goes after it.
    store.Release(temp.File("Fax_00001.tif"));
    store.Release(temp.File("Fax_00001.tif.lock"));
    EXPECT_FALSE(store.FileExists(temp.File("Fax_00001.tif.lock")));
}

// Only a file that exists is another's number; a store that is gone is an error.
TEST_F(PassRolesTest, OnlyAFileThatExistsIsAnothersNumber) {
    std::ofstream(temp.File("there")) << "x";
    std::ostringstream answers; // in this order: the check leaves nothing behind
    for (const char* name : {"free", "there", "gone\\x"})
        answers << int(store.TargetAbsent(temp.File(name)))
                << int(store.Reserve(temp.File(name), "a.awd", 1)) << " ";
    EXPECT_EQ("00 11 22 ", answers.str()) << "absent and reserved, present and taken, both failed";
}
