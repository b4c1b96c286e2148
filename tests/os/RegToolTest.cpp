#include "os/posix/PosixOsServices.h"

#include "TestFolder.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace
{

const wchar_t* const KEY = L"Software\\brovix\\Zelqa";

struct ToolResult
{
    int m_nExitCode = -1;
    std::string m_strOutput; // standard output and error together
};

class OsRegTool : public ::testing::Test
{
protected:
    OsRegTool() : m_services(MakeOptions()) {}

    CPosixOsServices::Options MakeOptions() const
    {
        CPosixOsServices::Options options;
        options.m_strPrefix = m_prefix.Path();
        return options;
    }

    // Runs zelqa-reg with arguments written for sh, against the test prefix.
    ToolResult Reg(const std::string& args, const std::string& input = "") const
    {
        const std::string command =
            "printf '" + input + "' | ZELQA_PREFIX='" + m_prefix.Path() + "' '" + ZELQA_REG_EXE + "' " + args + " 2>&1";
        ToolResult result;
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr)
            return result;
        char buffer[512];
        size_t n = 0;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            result.m_strOutput.append(buffer, n);
        const int status = pclose(pipe);
        result.m_nExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return result;
    }

    CTestFolder m_prefix;
    CPosixOsServices m_services;
};

const char* const NOT_FOUND = "ERROR: The system was unable to find the specified registry key or value.";

} // namespace

TEST_F(OsRegTool, QueriesWhatTheInstallerWrote)
{
    ASSERT_TRUE(m_services.RegEnsureKey(KEY));
    ASSERT_TRUE(RegSetString(m_services, KEY, L"Path", L"D:\\Apps\\Zelqa", 260));

    const ToolResult one = Reg("query 'HKLM\\Software\\brovix\\Zelqa' /v Path");
    EXPECT_EQ(one.m_nExitCode, 0);
    EXPECT_EQ(one.m_strOutput,
              "\nHKEY_LOCAL_MACHINE\\Software\\brovix\\Zelqa\n    Path    REG_SZ    D:\\Apps\\Zelqa\n\n");

    // Any letter case finds the key; the output shows the stored names.
    const ToolResult all = Reg("QUERY 'hkey_local_machine\\SOFTWARE\\BROVIX\\ZELQA'");
    EXPECT_EQ(all.m_nExitCode, 0);
    EXPECT_NE(all.m_strOutput.find("HKEY_LOCAL_MACHINE\\Software\\brovix\\Zelqa\n    Path    REG_SZ"),
              std::string::npos);
}

TEST_F(OsRegTool, AddWritesWhatTheInstallerReads)
{
    const ToolResult add = Reg("add 'HKLM\\Software\\brovix\\Zelqa' /v Operation /t REG_SZ /d UnInstall /f");
    EXPECT_EQ(add.m_nExitCode, 0);
    EXPECT_EQ(add.m_strOutput, "The operation completed successfully.\n");

    std::wstring text;
    EXPECT_TRUE(RegGetString(m_services, KEY, L"Operation", text));
    EXPECT_EQ(text, L"UnInstall");
    RegType type = RegType::None;
    std::vector<uint8_t> data;
    ASSERT_TRUE(m_services.RegReadValue(KEY, L"Operation", type, data));
    EXPECT_EQ(data.size(), 20u); // nine UTF-16 characters and the zero

    EXPECT_EQ(Reg("add 'HKLM\\Software\\brovix\\Zelqa' /v Count /t REG_DWORD /d 0x2A /f").m_nExitCode, 0);
    ASSERT_TRUE(m_services.RegReadValue(KEY, L"Count", type, data));
    EXPECT_EQ(type, RegType::Dword);
    EXPECT_EQ(data, (std::vector<uint8_t>{42, 0, 0, 0}));
    EXPECT_EQ(Reg("add 'HKLM\\Software\\brovix\\Zelqa' /v Count /t REG_DWORD /d 4294967296 /f").m_nExitCode, 1);
}

TEST_F(OsRegTool, AnExistingValueIsOnlyReplacedWhenConfirmed)
{
    ASSERT_TRUE(m_services.RegEnsureKey(KEY));
    ASSERT_TRUE(RegSetString(m_services, KEY, L"Operation", L"", 260));
    const std::string add = "add 'HKLM\\Software\\brovix\\Zelqa' /v Operation /d UnInstall";

    EXPECT_EQ(Reg(add, "n\\n").m_nExitCode, 1);
    std::wstring text;
    ASSERT_TRUE(RegGetString(m_services, KEY, L"Operation", text));
    EXPECT_EQ(text, L"");

    EXPECT_EQ(Reg(add, "yes\\n").m_nExitCode, 0);
    ASSERT_TRUE(RegGetString(m_services, KEY, L"Operation", text));
    EXPECT_EQ(text, L"UnInstall");
}

TEST_F(OsRegTool, DeleteRemovesValuesAndKeysAndMissingOnesFail)
{
    ASSERT_TRUE(m_services.RegEnsureKey(KEY));
    ASSERT_TRUE(RegSetString(m_services, KEY, L"Operation", L"UnInstall"));

    const ToolResult del = Reg("delete 'HKLM\\Software\\brovix\\Zelqa' /v operation /f");
    EXPECT_EQ(del.m_nExitCode, 0);
    EXPECT_EQ(del.m_strOutput, "The operation completed successfully.\n");
    RegType type = RegType::None;
    std::vector<uint8_t> data;
    EXPECT_FALSE(m_services.RegReadValue(KEY, L"Operation", type, data));

    for (const char* args :
         {"query 'HKLM\\Software\\brovix\\Zelqa' /v Operation",
          "delete 'HKLM\\Software\\brovix\\Zelqa' /v Operation /f", "query 'HKLM\\Software\\brovix\\Missing'"}) {
        const ToolResult missing = Reg(args);
        EXPECT_EQ(missing.m_nExitCode, 1) << args;
        EXPECT_EQ(missing.m_strOutput, std::string(NOT_FOUND) + "\n") << args;
    }

    EXPECT_EQ(Reg("delete 'HKLM\\Software\\brovix' /f").m_nExitCode, 0);
    EXPECT_FALSE(m_services.RegKeyExists(KEY));
    EXPECT_TRUE(m_services.RegKeyExists(L"Software"));
}

TEST_F(OsRegTool, BadCommandLinesAreRefused)
{
    EXPECT_EQ(Reg("query 'HKCU\\Software'").m_nExitCode, 1);
    EXPECT_EQ(Reg("frobnicate 'HKLM\\Software'").m_nExitCode, 1);
    EXPECT_EQ(Reg("add 'HKLM\\Software\\x' /v").m_nExitCode, 1);
    EXPECT_EQ(Reg("add 'HKLM\\Software\\x' /v a /t REG_WHATEVER /d 1 /f").m_nExitCode, 1);
    EXPECT_EQ(Reg("delete 'HKLM' /f").m_nExitCode, 1);
    EXPECT_FALSE(m_services.RegKeyExists(L"Software\\x"));
}
