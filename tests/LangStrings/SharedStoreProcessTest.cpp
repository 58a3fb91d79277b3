// The shared string store between processes and its mappings. Started with "--child open
// <folder> <language> <text>", the program opens the store of PT<language>.lng and answers
// in its exit code bit 0 "the store existed" and bit 1 "IDS_HELLO reads <text>".
#include "LangTestSupport.h"
#include "common/HostKit.h"
#include "common/TempFolder.h"
#include "inc/SharedMemory.h"
#include "lib/LangStrings/LangSection.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <iostream>
#include <utility>

namespace {

using namespace testsupport;

// The event a reader sets as it goes to open the store of the language files in folder.
std::string ReaderEventName(const std::string& folder) {
    return "fennel-store-reader-" + std::to_string(std::hash<std::string>{}(folder));
}

int RunChild(int argc, char** argv) {
    if (argc != 5 || std::strcmp(argv[1], "open") != 0) return 100;
    SetLoadFailureReporter([](const std::string& text) { std::cerr << text << "\n"; });
    ConfigureLanguageFiles(argv[2], "PT", "lng");
    try {
        const UniqueKernelHandle opening(OpenEventA(EVENT_MODIFY_STATE, FALSE, ReaderEventName(argv[2]).c_str()));
        if (opening) SetEvent(opening.get());
        auto store = LoadLanguageFile(static_cast<std::uint16_t>(std::atoi(argv[3])));
        const auto text = LangSection(store, "Shared").Lookup("IDS_HELLO");
        return (store->Memory()->Existed() ? 1 : 0) + (text && *text == argv[4] ? 2 : 0);
    } catch (const std::exception& e) { return std::cerr << e.what() << "\n", 101; }
}

ChildProcess OpenChild(const TempFolder& folder, const std::string& text) {
    return ChildProcess(Quoted(SelfPath()) + " --child open " + Quoted(folder.Path()) + " 1036 " + text);
}

DWORD ExitCodeOf(ChildProcess child) { return child.Started() && child.WaitForExit(30000) ? child.ExitCode() : 999; }

// The reader waits for the filler's lock; while the filled store lives, a second process
// reads that fill (not the file changed since); once it goes, the next process fills anew.
TEST(SharedStoreProcessTest, ASecondProcessWaitsForTheFillAndOpensItWithoutParsing) {
    TempFolder folder;
    const std::string text = "[Shared]\r\nIDS_HELLO = Rempli\r\n";
    const std::string path = folder.Write("PT1036.lng", text);
    {
        const std::size_t size = 2 * text.size() + 12;
        SharedMemory memory(StoreMappingName(path), size);
        memory.Lock();
        memory.Init(SharedMemory::kAllAccess, &SharedMemory::ZeroFill);
        ASSERT_FALSE(memory.Existed());
        const UniqueKernelHandle opening(CreateEventA(nullptr, FALSE, FALSE, ReaderEventName(folder.Path()).c_str()));
        ChildProcess child = OpenChild(folder, "Rempli");
        ASSERT_TRUE(child.Started()) << child.Error();
        // The reader goes to the store while it is still empty and locked.
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(opening.get(), 30000)) << GetLastError();
        LoadLangFile(1036, memory, size, path);
        memory.Unlock();
        EXPECT_EQ(3u, ExitCodeOf(std::move(child)));
        folder.Write("PT1036.lng", "[Shared]\r\nIDS_HELLO = Second\r\n"); // same size, other text
        EXPECT_EQ(3u, ExitCodeOf(OpenChild(folder, "Rempli")));
    }
    EXPECT_EQ(2u, ExitCodeOf(OpenChild(folder, "Second")));
}

TEST(SharedStoreProcessTest, MappingsReportNamesInUseAndTheirRealSize) {
    const std::string name = "fennel-lang-test-" + std::to_string(GetCurrentProcessId());
    UniqueKernelHandle event(CreateEventA(nullptr, FALSE, FALSE, (name + "-event").c_str()));
    SharedMemory taken(name + "-event", 100);
    EXPECT_THROW(taken.Init(SharedMemory::kAllAccess, nullptr), SharedMemory::name_in_use);
    SharedMemory first(name, 10000);
    first.Init(SharedMemory::kAllAccess, &SharedMemory::ZeroFill);
    first.View()[9999] = 7;
    for (std::size_t asked : {100u, 100000u}) {
        SharedMemory again(name, asked);
        again.Init(SharedMemory::kAllAccess, &SharedMemory::ZeroFill);
        EXPECT_TRUE(again.Existed() && again.Size() >= 10000u && again.Size() < 16384u) << asked << ": " << again.Size();
        EXPECT_EQ(7, again.View()[9999]);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--child") == 0) return RunChild(argc - 1, argv + 1);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
