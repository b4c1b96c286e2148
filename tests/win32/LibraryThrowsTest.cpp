// The installer's own throw helpers (app/LibraryThrows.cpp), linked into this
// suite as into the program: misuse of the standard containers still throws,
// as a std::exception with the library's message.
#include <gtest/gtest.h>

#include <exception>
#include <map>
#include <string>
#include <vector>

namespace
{

template <typename F>
std::string WhatItThrows(F&& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "(not a std::exception)";
    }
    return "(nothing thrown)";
}

} // namespace

TEST(LibraryThrows, ContainerMisuseThrowsAStdExceptionNamingTheCall)
{
    std::vector<int> numbers(3);
    EXPECT_EQ(WhatItThrows([&] { (void)numbers.at(3); }),
              "vector::_M_range_check: __n (which is 3) >= this->size() (which is 3)");

    const std::string text = "abc";
    EXPECT_EQ(WhatItThrows([&] { (void)text.substr(4); }),
              "basic_string::substr: __pos (which is 4) > this->size() (which is 3)");

    const std::map<int, int> empty;
    EXPECT_NE(WhatItThrows([&] { (void)empty.at(1); }).find("map::at"), std::string::npos);

    EXPECT_NE(WhatItThrows([] { (void)std::stoi("x"); }).find("stoi"), std::string::npos);

    std::wstring wide;
    EXPECT_NE(WhatItThrows([&] { wide.reserve(wide.max_size() + 1); }).find("basic_string"), std::string::npos);
}

TEST(LibraryThrows, WhatIsLeftIntactStillWorks)
{
    std::vector<int> numbers(3);
    EXPECT_EQ(WhatItThrows([&] { numbers.at(2) = 7; }), "(nothing thrown)");
    EXPECT_EQ(numbers[2], 7);
    EXPECT_EQ(std::stoi("42"), 42);
}
