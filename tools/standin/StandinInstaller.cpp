#include "tools/standin/StandinInstaller.h"

#include "base/Utf8.h"
#include "os/OsServices.h"
#include "tools/standin/PathText.h"
#include "tools/standin/StandinLauncher.h"
#include "tools/standin/StandinLog.h"

#include <random>
#include <system_error>
#include <thread>

namespace
{

const wchar_t* const kRecordKey = L"Software\\brovix\\Zelqa";
// The record's values are fixed blocks of MAX_PATH characters.
constexpr size_t kRecordBlockChars = 260;

} // namespace

CStandinInstaller::CStandinInstaller(IOsServices& os, std::filesystem::path selfPath, const StandinSettings& settings)
    : m_os(os), m_selfPath(std::move(selfPath)), m_settings(settings)
{
}

bool CStandinInstaller::SplitDrivePath(const std::wstring& path, std::vector<std::wstring>& levels,
                                       std::wstring& canonical)
{
    levels.clear();
    canonical.clear();
    const bool bLetter = path.size() >= 2 && path[1] == L':' &&
                         ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
    // "D:folder" is relative to the drive's current folder, which we don't have.
    if (!bLetter || (path.size() > 2 && path[2] != L'\\' && path[2] != L'/'))
        return false;

    std::wstring strCurrent = path.substr(0, 2);
    size_t nPos = 2;
    while (nPos < path.size()) {
        size_t nEnd = path.find_first_of(L"\\/", nPos);
        if (nEnd == std::wstring::npos)
            nEnd = path.size();
        const std::wstring strName = path.substr(nPos, nEnd - nPos);
        nPos = nEnd + 1;
        if (strName.empty() || strName == L".")
            continue;
        if (strName == L"..")
            return false;
        strCurrent += L"\\" + strName;
        levels.push_back(strCurrent);
    }
    canonical = strCurrent;
    return true;
}

const std::vector<std::string>& CStandinInstaller::GarbageContents()
{
    // What a careless writer might leave; each reads below 100 (mostly as 0
    // or the reader's default) through the platform's INI integer rules.
    static const std::vector<std::string> s_contents = {
        "[Percent]\r\nPercent=abc\r\n",
        "[Percent]\r\nPercent=\r\n",
        "[Percent]\r\nPercent=--12\r\n",
        "[Percent]\r\nPercent=ninety\r\n",
        "[Percent]\r\nPercentage=100\r\n",
        "[Percent Done]\r\nPercent=100\r\n",
        "Percent=100\r\n",
        "[Percent]\r\nPercent=-7\r\n",
        "[Percent]\r\nPercent=0x\r\n",
        "[Perc",
        std::string("\0\0\xff\xfe[Percent]", 13),
        "[Percent]\r\nPercent=abc\r\n",
    };
    return s_contents;
}

int CStandinInstaller::Run()
{
    m_start = std::chrono::steady_clock::now();
    StandinLog("installer: scenario %s over %.3f s, running as %s",
               StandinSettings::ScenarioName(m_settings.m_eScenario), m_settings.m_dSeconds,
               PathToUtf8(m_selfPath).c_str());

    std::wstring strInstallDir;
    const bool bHasPath = RegGetString(m_os, kRecordKey, L"Path", strInstallDir) && !strInstallDir.empty();
    if (bHasPath)
        StandinLog("installer: install record Path = %s", ToUtf8(strInstallDir).c_str());
    else
        StandinLog("installer: the install record has no Path value");

    // Without an install location the real installer cannot install either;
    // fail before writing any progress rather than report an install that did not happen.
    if (m_settings.m_eScenario == StandinScenario::Normal && !bHasPath)
        return 1;
    if (!OpenProgressFile())
        return 1;

    switch (m_settings.m_eScenario) {
    case StandinScenario::Normal:
        if (!Ramp(0, 99) || !Install(strInstallDir) || !m_pProgress->WritePercent(100))
            return 1;
        StandinLog("installer: Percent=100, done");
        return 0;

    case StandinScenario::Stall57:
        if (!Ramp(0, 57))
            return 1;
        StandinLog("installer: stalled at 57 until killed");
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(24));

    case StandinScenario::Uninstall30:
        if (!Ramp(0, 30))
            return 1;
        if (!m_os.RegEnsureKey(kRecordKey) ||
            !RegSetString(m_os, kRecordKey, L"Operation", L"UnInstall", kRecordBlockChars)) {
            StandinLog("installer: cannot write the record's Operation value");
            return 1;
        }
        StandinLog("installer: Operation = UnInstall at 30, leaving");
        return 0;

    case StandinScenario::Garbage:
        return WriteGarbage() ? 0 : 1;

    // Values a broken installer might report: -50 must not move the bar below
    // the installation's share, and 2147483647 must not overflow on its way
    // to a bar position.
    case StandinScenario::Negative:
    case StandinScenario::Huge: {
        const int nLast = m_settings.m_eScenario == StandinScenario::Negative ? -50 : 2147483647;
        if (!Ramp(0, 30) || !m_pProgress->WritePercent(nLast))
            return 1;
        StandinLog("installer: Percent=%d, leaving", nLast);
        return 0;
    }
    }
    return 1;
}

bool CStandinInstaller::OpenProgressFile()
{
    const std::filesystem::path ownFolder = m_selfPath.parent_path();
    std::wstring strDriveFolder;
    std::vector<std::wstring> levels;
    std::wstring strCanonical;
    // Through the drive path the folder and file are found in any letter case,
    // as the online installer finds them.
    if (m_os.FromNativePath(PathToNative(ownFolder), strDriveFolder) &&
        SplitDrivePath(strDriveFolder, levels, strCanonical)) {
        const std::wstring strFolder = strCanonical + L"\\Zelqa";
        NativePath strNative;
        if (!m_os.CreateFolder(strFolder) || !m_os.ToNativePath(strFolder + L"\\Percent.ini", strNative)) {
            StandinLog("installer: cannot make %s", ToUtf8(strFolder).c_str());
            return false;
        }
        m_pProgress = std::make_unique<CProgressFile>(PathFromNative(strNative));
    } else {
        // Started outside every drive (e.g. from the build folder): write beside us anyway.
        std::error_code error;
        std::filesystem::create_directories(ownFolder / "Zelqa", error);
        if (error) {
            StandinLog("installer: cannot make %s: %s", PathToUtf8(ownFolder / "Zelqa").c_str(),
                       error.message().c_str());
            return false;
        }
        m_pProgress = std::make_unique<CProgressFile>(ownFolder / "Zelqa" / "Percent.ini");
    }
    StandinLog("installer: progress file %s", PathToUtf8(m_pProgress->Path()).c_str());
    return true;
}

void CStandinInstaller::SleepUntilShare(double dShare) const
{
    const auto offset = std::chrono::duration<double>(m_settings.m_dSeconds * dShare);
    std::this_thread::sleep_until(m_start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(offset));
}

bool CStandinInstaller::Ramp(int nFrom, int nTo)
{
    for (int nPercent = nFrom; nPercent <= nTo; ++nPercent) {
        SleepUntilShare(nPercent / 100.0);
        if (!m_pProgress->WritePercent(nPercent))
            return false;
        if (nPercent % 10 == 0 || nPercent == nTo)
            StandinLog("installer: Percent=%d", nPercent);
    }
    return true;
}

bool CStandinInstaller::Install(const std::wstring& strInstallDir)
{
    std::vector<std::wstring> levels;
    std::wstring strCanonical;
    if (!SplitDrivePath(strInstallDir, levels, strCanonical)) {
        StandinLog("installer: install location %s is no drive path", ToUtf8(strInstallDir).c_str());
        return false;
    }
    for (const std::wstring& strLevel : levels) {
        if (!m_os.CreateFolder(strLevel)) {
            StandinLog("installer: cannot make %s", ToUtf8(strLevel).c_str());
            return false;
        }
    }

    const std::wstring strLauncher = strCanonical + L"\\" + FromUtf8(CStandinLauncher::kFileName);
    NativePath strNative;
    if (!m_os.ToNativePath(strLauncher, strNative)) {
        StandinLog("installer: %s is on no drive", ToUtf8(strLauncher).c_str());
        return false;
    }
    const std::filesystem::path target = PathFromNative(strNative);

    // Copied under a temporary name and renamed: a launcher still running
    // from an earlier install keeps its file, and nobody starts a half copy.
    std::filesystem::path tempName = ".";
    tempName += target.filename();
    tempName += ".tmp-" + std::to_string(std::random_device()());
    const std::filesystem::path temp = target.parent_path() / tempName;
    std::error_code error;
    std::filesystem::copy_file(m_selfPath, temp, std::filesystem::copy_options::overwrite_existing, error);
    if (!error) {
        // Made a program here, 0755 whatever this copy's source and umask
        // were: the online installer starts only a launcher that is already
        // executable and that nobody but its owner can change.
        using std::filesystem::perms;
        std::filesystem::permissions(
            temp, perms::owner_all | perms::group_read | perms::group_exec | perms::others_read | perms::others_exec,
            std::filesystem::perm_options::replace, error);
    }
    if (!error)
        std::filesystem::rename(temp, target, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        StandinLog("installer: cannot install %s: %s", PathToUtf8(target).c_str(), error.message().c_str());
        return false;
    }
    StandinLog("installer: launcher installed as %s", PathToUtf8(target).c_str());
    return true;
}

bool CStandinInstaller::WriteGarbage()
{
    const std::vector<std::string>& contents = GarbageContents();
    for (size_t i = 0; i < contents.size(); ++i) {
        SleepUntilShare(static_cast<double>(i) / contents.size());
        if (!m_pProgress->WriteContent(contents[i]))
            return false;
        StandinLog("installer: wrote nonsense #%u", static_cast<unsigned>(i + 1));
    }
    SleepUntilShare(1.0);
    StandinLog("installer: leaving without 100");
    return true;
}
