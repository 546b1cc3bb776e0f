// Reading a window's text: whole however long, or cut to a limit without splitting a surrogate pair.
#include <gtest/gtest.h>

#include "framework/WideText.h"
#include "framework/Wnd.h"

namespace {

// e acute, euro (one UTF-16 unit each), G clef (a surrogate pair): four units.
const std::string kFour = "\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E";

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

TEST(WindowText, ReadsTheWholeTextOrCutsItBeforeAHalfPair) {
    const std::string twice = kFour + kFour;
    const struct {
        std::string text;
        size_t maxLength;
        std::string expected;
    } cases[] = {
        // Far longer than any fixed buffer the program ever used for a control or a title.
        {Repeat(kFour, 20000), kWholeText, Repeat(kFour, 20000)},
        {twice, 8, twice},
        {twice, 7, twice.substr(0, twice.size() - 4)}, // the last pair would be split: it goes whole
        {twice, 3, kFour.substr(0, 5)},
        {twice, 0, ""},
        {"", kWholeText, ""},
    };
    HWND box = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(box);
    for (const auto& c : cases) {
        ASSERT_TRUE(SetWindowTextW(box, Widen(c.text).c_str()));
        // Compared as a whole: a failure would print the long text in full.
        std::string text = GetWindowTextString(box, c.maxLength);
        EXPECT_TRUE(text == c.expected) << "limit " << c.maxLength << ": " << text.size() << " bytes read";
        EXPECT_TRUE(GetWindowTextWide(box, c.maxLength) == Widen(c.expected)) << "limit " << c.maxLength;
    }
    DestroyWindow(box);
}

} // namespace
