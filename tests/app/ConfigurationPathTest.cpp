#include "app/ConfigurationPath.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ConfigurationPathTest, FolderAndFileFromTheExecutablePath) {
    const struct {
        const char* executable;
        const char* current; // the current directory
        const char* folder;
        const char* file;
        bool asksCurrent;
    } cases[] = {
        {"C:\\Program Files\\Fennel\\fennel.exe", "D:\\work", "C:\\Program Files\\Fennel",
         "C:\\Program Files\\Fennel\\Fennel.qcf", false},
        {"fennel.exe", "D:\\work", "D:\\work", "D:\\work\\Fennel.qcf", true},   // no folder at all
        {"\\fennel.exe", "D:\\work", "D:\\work", "D:\\work\\Fennel.qcf", true}, // empty folder
        {"fennel.exe", "C:\\", "C:\\", "C:\\Fennel.qcf", true},                 // no second '\'
        {"C:\\fennel.exe", "D:\\work", "C:", "C:\\Fennel.qcf", false},
        {"C:/tools/fennel.exe", "D:\\work", "D:\\work", "D:\\work\\Fennel.qcf", true}, // only '\' separates
        {"", "", "", "\\Fennel.qcf", true},
    };
    for (const auto& c : cases) {
        bool asked = false;
        const std::string folder = ConfigurationPath::Folder(c.executable, [&] {
            asked = true;
            return std::string(c.current);
        });
        EXPECT_EQ(c.folder, folder) << c.executable;
        EXPECT_EQ(c.asksCurrent, asked) << c.executable;
        EXPECT_EQ(c.file, ConfigurationPath::File(folder)) << c.executable;
    }
}

} // namespace
