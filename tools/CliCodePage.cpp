// pelmar-cli's code pages: Windows-1252 built in; any other through the system on Windows and
// through iconv elsewhere.
#include "CliCodePage.h"

#include <memory>
#include <vector>

#ifdef _WIN32
#include "list/AnsiCodePageWin.h"

namespace {
std::unique_ptr<AnsiCodePage> SystemCodePage(unsigned number) {
    if (!IsInstalledCodePage(number))
        return nullptr;
    return std::make_unique<WinAnsiCodePage>(number);
}
} // namespace

#else
#include <cerrno>
#include <iconv.h>

namespace {

// Runs the whole input through one conversion. A byte that does not convert ends the run with
// false, or, when replace is set, becomes U+FFFD (the output must then be UTF-8).
bool Convert(iconv_t cd, const std::string& in, std::string& out, bool replace) {
    out.clear();
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[256];
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, size_t(dst - buffer));
        if (rc != size_t(-1) || errno == E2BIG)
            continue;
        if (!replace)
            return false;
        AppendUtf8(out, 0xFFFD); // an invalid or cut-off byte sequence
        ++src, --srcLeft;
    }
    return true;
}

class IconvCodePage : public AnsiCodePage {
  public:
    IconvCodePage(iconv_t toUtf8, iconv_t fromUtf8) : m_toUtf8(toUtf8), m_fromUtf8(fromUtf8) {}
    ~IconvCodePage() override {
        iconv_close(m_toUtf8);
        iconv_close(m_fromUtf8);
    }
    std::string ToUtf8(const std::string& ansi) const override {
        std::string out;
        Convert(m_toUtf8, ansi, out, true);
        return ValidUtf8(out);
    }
    bool FromUtf8(const std::string& utf8, std::string& ansi) const override {
        return IsValidUtf8(utf8) && Convert(m_fromUtf8, utf8, ansi, false);
    }

  private:
    iconv_t m_toUtf8, m_fromUtf8;
};

std::unique_ptr<AnsiCodePage> SystemCodePage(unsigned number) {
    std::string name = number == 65001 ? "UTF-8" : "CP" + std::to_string(number);
    iconv_t toUtf8 = iconv_open("UTF-8", name.c_str());
    iconv_t fromUtf8 = iconv_open(name.c_str(), "UTF-8");
    if (toUtf8 != iconv_t(-1) && fromUtf8 != iconv_t(-1))
        return std::make_unique<IconvCodePage>(toUtf8, fromUtf8);
    if (toUtf8 != iconv_t(-1))
        iconv_close(toUtf8);
    if (fromUtf8 != iconv_t(-1))
        iconv_close(fromUtf8);
    return nullptr;
}

} // namespace
#endif

const AnsiCodePage* OpenCodePage(unsigned number) {
    if (number == kDefaultCliCodePage)
        return &Windows1252();
    static std::vector<std::unique_ptr<AnsiCodePage>> opened;
    opened.push_back(SystemCodePage(number));
    return opened.back().get();
}
