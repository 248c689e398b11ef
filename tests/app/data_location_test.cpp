// Where the program looks for data.rar: the --data file, the working directory, the installed
// copy, and a message that names every place when none is there.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/data_location.h"
#include "tests/support/test_support.h"

namespace {

TEST(DataLocation, GivenThenWorkingDirectoryThenInstalled) {
    testsupport::TempDir temp;
    const std::string here = temp.file("here"), installed = temp.file("installed.rar");
    ASSERT_EQ(mkdir(here.c_str(), 0755), 0);
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(here.c_str()), 0);
    const std::string local = here + "/data.rar";
    struct Case {
        const char* what;
        bool localExists, installedExists;
        std::string given, path;
        std::vector<std::string> looked;
    } cases[] = {
        {"--data wins, even when missing", true, true, "/no/such.rar", "/no/such.rar",
         {"/no/such.rar"}},
        {"the working directory first", true, true, "", "data.rar", {local}},
        {"then the installed archive", false, true, "", installed, {local, installed}},
        {"none: both places looked at", false, false, "", "", {local, installed}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove(local.c_str());
        std::remove(installed.c_str());
        if (c.localExists) std::ofstream(local) << "x";
        if (c.installedExists) std::ofstream(installed) << "x";
        const DataLocation found = locateData(c.given, installed);
        EXPECT_EQ(found.path, c.path);
        EXPECT_EQ(found.looked, c.looked);
    }
    const std::string message = dataNotFoundMessage(locateData("", installed));
    EXPECT_EQ(message, "Cannot find the data archive data.rar; looked for " + local + " and " +
                           installed + ". Start the program where data.rar is, or name it with "
                           "--data FILE");
    ASSERT_EQ(chdir(previous), 0);
}

}  // namespace
