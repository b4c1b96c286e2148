#include "wizard/VendorHost.h"

#include <string_view>

#include "base/Utf8.h"

namespace
{
std::wstring Widen(std::string_view text)
{
    return std::wstring(text.begin(), text.end());
}
} // namespace

std::wstring VendorUrl(const wchar_t* path)
{
    std::wstring url = L"https://" + Widen(ZELQA_VENDOR_HOST);
    const std::string_view port = ZELQA_VENDOR_PORT;
    if (!port.empty() && port != "443")
        url += L":" + Widen(port);
    return url + path;
}

std::wstring VendorPublisher()
{
    return FromUtf8(ZELQA_VENDOR_PUBLISHER);
}
