#pragma once

#include <objbase.h>

// Joins the calling thread to a single-threaded COM apartment for the life of
// the object, as the shell and URL-moniker calls want, and leaves it again.
// A thread that already belongs to an apartment of either kind keeps it.
class CComApartment
{
public:
    CComApartment();
    ~CComApartment();
    CComApartment(const CComApartment&) = delete;
    CComApartment& operator=(const CComApartment&) = delete;

    // True when the thread is in some apartment now, ours or an earlier one.
    bool IsUsable() const { return SUCCEEDED(m_hr) || m_hr == RPC_E_CHANGED_MODE; }

private:
    HRESULT m_hr;
};
