#include "tools/standin/ProgressFile.h"

#include "tools/standin/PathText.h"
#include "tools/standin/StandinLog.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>
#include <thread>
#include <utility>

CProgressFile::CProgressFile(std::filesystem::path path) : m_path(std::move(path))
{
}

std::string CProgressFile::PercentContent(int nPercent)
{
    return "[Percent]\r\nPercent=" + std::to_string(nPercent) + "\r\n";
}

bool CProgressFile::WritePercent(int nPercent)
{
    return WriteContent(PercentContent(nPercent));
}

bool CProgressFile::WriteContent(const std::string& strContent)
{
    // A random suffix keeps two stand-ins in one download folder (a retried
    // install while the previous one still runs) from sharing a temporary file.
    // The leading dot marks a writer's temporary file, as in the record store.
    char szSuffix[16];
    snprintf(szSuffix, sizeof(szSuffix), "%08x", static_cast<unsigned>(std::random_device()()));
    std::filesystem::path tempName = ".";
    tempName += m_path.filename();
    tempName += ".tmp-";
    tempName += szSuffix;
    const std::filesystem::path temp = m_path.parent_path() / tempName;

    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(strContent.data(), static_cast<std::streamsize>(strContent.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temp, ignored);
            StandinLog("cannot write %s", PathToUtf8(temp).c_str());
            return false;
        }
    }

    // On Windows a reader holding the file open makes the replacement fail
    // for a moment; POSIX renames never wait.
    std::error_code error;
    for (int nAttempt = 0; nAttempt < 50; ++nAttempt) {
        std::filesystem::rename(temp, m_path, error);
        if (!error)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
    StandinLog("cannot replace %s: %s", PathToUtf8(m_path).c_str(), error.message().c_str());
    return false;
}
