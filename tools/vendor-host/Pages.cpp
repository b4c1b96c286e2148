#include "Pages.h"

const std::string& HomePageHtml()
{
    static const std::string s_strHtml =
        "<!DOCTYPE html>\n"
        "<html lang=\"zh-CN\">\n"
        "<head><meta charset=\"utf-8\"><title>Zelqa图片转换器 - 官方网站</title></head>\n"
        "<body>\n"
        "<h1>Zelqa图片转换器</h1>\n"
        "<p>简单易用、轻松上手、一键转换。</p>\n"
        "<ul>\n"
        "<li>一键快速转换</li>\n"
        "<li>支持批量转换</li>\n"
        "<li>生成无损原图画质</li>\n"
        "</ul>\n"
        "<p><a href=\"/down/down?path=ZELQACONVERT_Download.exe\">立即下载</a>"
        " · <a href=\"/cn/license-agreement.html\">许可协议</a></p>\n"
        "<p><small>本页面由本地测试服务器提供。</small></p>\n"
        "</body>\n"
        "</html>\n";
    return s_strHtml;
}

const std::string& LicencePageHtml()
{
    static const std::string s_strHtml =
        "<!DOCTYPE html>\n"
        "<html lang=\"zh-CN\">\n"
        "<head><meta charset=\"utf-8\"><title>Zelqa图片转换器 许可协议</title></head>\n"
        "<body>\n"
        "<h1>Zelqa图片转换器 软件许可协议</h1>\n"
        "<p>请您在安装和使用本软件之前仔细阅读本协议。安装或使用本软件即表示您已阅读并同意本协议的全部条款。</p>\n"
        "<h2>一、许可范围</h2>\n"
        "<p>您可以在个人计算机上安装和使用本软件，用于转换您有权处理的图片。</p>\n"
        "<h2>二、限制</h2>\n"
        "<p>未经许可，您不得对本软件进行反向工程、出租或再次分发。</p>\n"
        "<h2>三、免责声明</h2>\n"
        "<p>本软件按现状提供，不附带任何明示或暗示的担保。</p>\n"
        "<p><a href=\"/cn/home.html\">返回首页</a></p>\n"
        "<p><small>本页面由本地测试服务器提供。</small></p>\n"
        "</body>\n"
        "</html>\n";
    return s_strHtml;
}
