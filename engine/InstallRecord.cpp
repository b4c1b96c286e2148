#include "engine/InstallRecord.h"

const wchar_t* const INSTALL_RECORD_KEY = L"Software\\brovix\\Zelqa";

namespace
{
constexpr size_t RECORD_BLOCK_CHARS = 260;   // 520 bytes of UTF-16
}

bool WriteInstallRecord(IOsServices& os, const std::wstring& location)
{
    if (!os.RegEnsureKey(INSTALL_RECORD_KEY))
        return false;
    const bool bPathWritten = RegSetString(os, INSTALL_RECORD_KEY, L"Path", location, RECORD_BLOCK_CHARS);
    RegSetString(os, INSTALL_RECORD_KEY, L"Operation", L"", RECORD_BLOCK_CHARS);
    return bPathWritten;
}

bool IsOperationUninstall(IOsServices& os)
{
    std::wstring operation;
    RegGetString(os, INSTALL_RECORD_KEY, L"Operation", operation);
    return operation == L"UnInstall";
}
