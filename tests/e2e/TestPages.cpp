#include "TestPages.h"

#include "Png.h"

#include <cstdio>
#include <map>

namespace tavlen::test {

namespace {

std::string css(Colour colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", colour);
    return text;
}

std::string page(const std::string& title, const std::string& style, const std::string& body)
{
    return "<!doctype html><html lang=\"en\"><head><meta charset=\"utf-8\"><title>" + title +
           "</title><style>html,body{margin:0;padding:0;font:16px/1.2 sans-serif}" + style + "</style></head><body>" +
           body + "</body></html>";
}

// Rows of 40 px from y = 100, columns of 300 and 200 px: the kettle's price cell is x 300-500, y 180-220.
std::string pricesPage()
{
    const std::string style =
        "h1{position:absolute;top:20px;left:20px;margin:0;font-size:28px}"
        "table{position:absolute;top:100px;left:0;border-collapse:collapse;table-layout:fixed}"
        "th,td{height:40px;padding:0 10px;box-sizing:border-box;border:0;text-align:left;white-space:nowrap}"
        "th:first-child,td:first-child{width:300px}th:last-child,td:last-child{width:200px}"
        ".sr{position:absolute;width:1px;height:1px;overflow:hidden;clip:rect(0 0 0 0);white-space:nowrap}";
    const std::string body = "<h1>Kitchen prices 台所 🫖</h1>"
                             "<table><thead><tr><th>Product</th><th>Price</th></tr></thead><tbody>"
                             "<tr><td>Toaster</td><td>€ 12.00</td></tr>"
                             "<tr><td>Kettle</td><td>"
                             // In the price's cell, before it, prices that are not painted.
                             "<span class=\"sr\">Was € 79.00, now </span>"
                             "<span style=\"display:none\">€ 11.00</span>"
                             "<span style=\"display:inline-block;width:0;height:0;overflow:hidden\">€ 22.00</span>"
                             "<span style=\"position:absolute;visibility:hidden\">€ 33.00</span>"
                             "<span style=\"position:absolute;opacity:0\">€ 34.00</span>"
                             "<details style=\"position:absolute\"><summary style=\"list-style:none\"></summary>"
                             "€ 44.00</details>"
                             "€ 49.90</td></tr>"
                             "<tr><td>Blender</td><td>€ 89.50</td></tr>"
                             "</tbody></table>";
    return page("Kitchen prices", style, body);
}

std::string longPage()
{
    std::string bands;
    for (std::size_t i = 0; i < TestPages::bandColours.size(); ++i) {
        bands += "<section style=\"height:" + std::to_string(TestPages::bandHeight) +
                 "px;background:" + css(TestPages::bandColours[i]) + "\"><p style=\"margin:0;padding:8px\">Band " +
                 std::to_string(i + 1) + "</p></section>";
    }
    return page("Twelve bands", "", bands);
}

std::string fixedPage()
{
    const auto px = [](double value) { return std::to_string(static_cast<int>(value)) + "px"; };
    const BrowserRect& image = TestPages::lazyImageBox;
    const std::string style =
        "body{height:" + std::to_string(TestPages::fixedPageHeight) + "px;background:" + css(TestPages::pageColour) +
        "}header{position:fixed;top:0;left:0;right:0;height:" + std::to_string(TestPages::headerHeight) +
        "px;background:" + css(TestPages::headerColour) + ";color:white}img{position:absolute;left:" + px(image.x) +
        ";top:" + px(image.y) + ";width:" + px(image.width) + ";height:" + px(image.height) + "}";
    return page("Fixed header",
                style,
                "<header><p style=\"margin:0;padding:20px\">Fixed header</p></header>"
                "<main><p style=\"margin:0;padding-top:100px\">Scroll down for the picture.</p>"
                "<img loading=\"lazy\" src=\"/lazy.png\" alt=\"A green square\"></main>");
}

std::string lazyImage()
{
    RgbaImage image;
    image.width = 200;
    image.height = 200;
    image.pixels.reserve(200 * 200 * 4);
    for (int i = 0; i < 200 * 200; ++i) {
        image.pixels.insert(image.pixels.end(),
                            {static_cast<std::uint8_t>(TestPages::lazyImageColour >> 16),
                             static_cast<std::uint8_t>(TestPages::lazyImageColour >> 8),
                             static_cast<std::uint8_t>(TestPages::lazyImageColour),
                             0xFF});
    }
    return encodePng(image);
}

} // namespace

TestPages::TestPages()
{
    // The image's request is read and then never answered, until the browser gives up the connection.
    m_hanging.play({RawHttpServer::hold()});
    const std::map<std::string, ScriptedAnswer> answers = {
        {"/prices.html", {200, pricesPage(), "text/html; charset=utf-8", {}}},
        {"/long.html", {200, longPage(), "text/html; charset=utf-8", {}}},
        {"/fixed.html", {200, fixedPage(), "text/html; charset=utf-8", {}}},
        {"/lazy.png", {200, lazyImage(), "image/png", {}}},
        {"/never.html",
         {200,
          page("Never loads",
               "",
               "<p>This page waits for its picture forever.</p><img src=\"" + m_hanging.baseURL() + "/slow.png\">"),
          "text/html; charset=utf-8",
          {}}},
    };
    for (const auto& [path, answer] : answers) {
        m_server.respond(path, answer);
    }
}

std::string TestPages::url(const std::string& path) const
{
    return m_server.baseURL() + path;
}

} // namespace tavlen::test
