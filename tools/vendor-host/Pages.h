#pragma once

#include <string>

// The two web pages the installer opens in the browser, as UTF-8 HTML.
const std::string& HomePageHtml();
const std::string& LicencePageHtml();
