#include "os/win32/ComApartment.h"

CComApartment::CComApartment()
    // DDE would let a shell call wait on other programs' message loops.
    : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))
{
}

CComApartment::~CComApartment()
{
    // S_FALSE (already initialised here) is counted too and needs its match.
    if (SUCCEEDED(m_hr))
        CoUninitialize();
}
