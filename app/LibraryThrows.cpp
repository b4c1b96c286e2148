// The program's own versions of the standard library's throw helpers (which
// string, vector, map and friends call on misuse). The library's throw
// std::logic_error and its kin, whose message is a reference-counted string:
// that, with std::system_error's error categories, brings a second, older
// string implementation into the program (about a fifth of its size). These throw an exception of the program's own
// type with the same message (formatted by a few lines here rather than the library's formatter); nothing here catches
// the logic or runtime error kinds by name, and catch (...) and catch (const std::exception&) still see them. The bad_*
// helpers throw the very standard types, which carry no string.
#include <cstdarg>
#include <cstddef>
#include <exception>
#include <new>
#include <typeinfo>

namespace
{

class CLibraryError final : public std::exception
{
public:
    explicit CLibraryError(const char* szWhat) noexcept { Append(szWhat ? szWhat : ""); }
    const char* what() const noexcept override { return m_szWhat; }

    void Append(const char* sz) noexcept
    {
        while (*sz && m_nLength + 1 < sizeof(m_szWhat))
            m_szWhat[m_nLength++] = *sz++;
        m_szWhat[m_nLength] = '\0';
    }

    void AppendNumber(unsigned long long n) noexcept
    {
        char digits[24];
        char* p = digits + sizeof(digits);
        *--p = '\0';
        do
            *--p = static_cast<char>('0' + n % 10);
        while ((n /= 10) != 0);
        Append(p);
    }

private:
    // A copy: the formatted messages are built here.
    char m_szWhat[256] = {};
    size_t m_nLength = 0;
};

// The library's formats use %s and unsigned %zu/%lu/%u only, with %% for a
// percent sign; anything else is copied as it stands.
CLibraryError Format(const char* szFormat, va_list args) noexcept
{
    CLibraryError error("");
    char one[2] = {};
    for (const char* p = szFormat; *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            const char* sz = va_arg(args, const char*);
            error.Append(sz ? sz : "(null)");
            ++p;
        } else if (p[0] == '%' && p[1] == 'z' && p[2] == 'u') {
            error.AppendNumber(va_arg(args, size_t));
            p += 2;
        } else if (p[0] == '%' && p[1] == 'l' && p[2] == 'u') {
            error.AppendNumber(va_arg(args, unsigned long));
            p += 2;
        } else if (p[0] == '%' && p[1] == 'u') {
            error.AppendNumber(va_arg(args, unsigned));
            ++p;
        } else {
            if (p[0] == '%' && p[1] == '%')
                ++p;
            one[0] = *p;
            error.Append(one);
        }
    }
    return error;
}

} // namespace

namespace std
{

[[noreturn]] void __throw_bad_exception()
{
    throw bad_exception();
}
[[noreturn]] void __throw_bad_alloc()
{
    throw bad_alloc();
}
[[noreturn]] void __throw_bad_array_new_length()
{
    throw bad_array_new_length();
}
[[noreturn]] void __throw_bad_cast()
{
    throw bad_cast();
}
[[noreturn]] void __throw_bad_typeid()
{
    throw bad_typeid();
}
[[noreturn]] void __throw_logic_error(const char* sz)
{
    throw CLibraryError(sz);
}
[[noreturn]] void __throw_domain_error(const char* sz)
{
    throw CLibraryError(sz);
}
[[noreturn]] void __throw_invalid_argument(const char* sz)
{
    throw CLibraryError(sz);
}
[[noreturn]] void __throw_length_error(const char* sz)
{
    throw CLibraryError(sz);
}
[[noreturn]] void __throw_out_of_range(const char* sz)
{
    throw CLibraryError(sz);
}
[[noreturn]] void __throw_out_of_range_fmt(const char* szFormat, ...)
{
    va_list args;
    va_start(args, szFormat);
    const CLibraryError error = Format(szFormat, args);
    va_end(args);
    throw error;
}
[[noreturn]] void __throw_runtime_error(const char* sz)
{
    throw CLibraryError(sz);
}
[[noreturn]] void __throw_range_error(const char* sz)
{
    throw CLibraryError(sz);
}
[[noreturn]] void __throw_overflow_error(const char* sz)
{
    throw CLibraryError(sz);
}
[[noreturn]] void __throw_underflow_error(const char* sz)
{
    throw CLibraryError(sz);
}
// A thread or lock the system refused. std::system_error would bring the
// error categories and their messages (and the older strings) along.
[[noreturn]] void __throw_system_error(int)
{
    throw CLibraryError("system error");
}

} // namespace std
