#include "text/program_directory.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

namespace velmora {
namespace {

TEST(DirectoryOfPath, CutsAtTheLastSeparatorThatIsACharacterOfItsOwn) {
    // "\xD5\x5C" is the GBK character 誠: its second byte is a backslash.
    const struct {
        const char* path;
        char separator;
        bool double_byte;
        const char* expected;
    } cases[] = {
        {"C:\\Tools\\conv.exe", '\\', true, "C:\\Tools"},
        {"C:\\conv.exe", '\\', true, "C:"},  // a drive's root: no trailing backslash
        {"C:\\\xB9\xA4\xD5\x5C\\conv.exe", '\\', true, "C:\\\xB9\xA4\xD5\x5C"},
        {"C:\\Tools\\\xD5\x5C.exe", '\\', true, "C:\\Tools"},
        // Without the code page the trailing byte counts as a separator.
        {"C:\\Tools\\\xD5\x5C.exe", '\\', false, "C:\\Tools\\\xD5"},
        // A lead byte at the very end pairs with nothing.
        {"C:\\Tools\\\xD5", '\\', true, "C:\\Tools"},
        {"/usr/bin/x", '/', false, "/usr/bin"},
        {"/x", '/', false, ""},  // root: appending "/name" still lands in it
        {"conv.exe", '\\', true, ""},
        {"", '/', false, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DirectoryOfPath(c.path, c.separator, c.double_byte), c.expected) << c.path;
    }
}

// These tests share the remembered directory and run in this order.
TEST(ProgramDirectory, IsTheExecutablesDirectoryFoundOnce) {
    const std::string found = InitProgramDirectory();
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found.front(), '/');
    EXPECT_NE(found.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(found + "/program_directory_test"));

    // Moving the working directory afterwards changes nothing.
    const auto working = std::filesystem::current_path();
    ASSERT_EQ(::chdir("/"), 0);
    EXPECT_EQ(ProgramDirectory(), found);
    EXPECT_EQ(InitProgramDirectory(), found);
    std::filesystem::current_path(working);
}

TEST(ProgramDirectory, CanBeOverridden) {
    const std::string original = ProgramDirectory();
    OverrideProgramDirectory("/tmp/velmora-results");
    EXPECT_EQ(ProgramDirectory(), "/tmp/velmora-results");
    EXPECT_EQ(InitProgramDirectory(), "/tmp/velmora-results");
    OverrideProgramDirectory(original);
}

}  // namespace
}  // namespace velmora
