#include "engine/InstallRecord.h"

const wchar_t* const INSTALL_RECORD_KEY = L"Software\\brovix\\Zelqa";

namespace
{
constexpr size_t RECORD_BLOCK_CHARS = 260; // 520 bytes of UTF-16
// The Operation value is read into a buffer of 260 bytes.
constexpr size_t OPERATION_READ_BYTES = 260;
} // namespace

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
    // Whatever type the full installer stored, the text up to the first zero
    // character of what fits the buffer is what counts.
    RegType type = RegType::None;
    std::vector<uint8_t> data;
    if (!os.RegReadValue(INSTALL_RECORD_KEY, L"Operation", type, data))
        return false;
    if (data.size() > OPERATION_READ_BYTES)
        data.resize(OPERATION_READ_BYTES);
    return DecodeRegSz(data) == L"UnInstall";
}
