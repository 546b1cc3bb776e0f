// A Windows code page as the list files' ANSI code page, converted by the system.
#pragma once
#include "list/TextEncoding.h"

class WinAnsiCodePage : public AnsiCodePage {
  public:
    // 0 (CP_ACP) is the system's ANSI code page, looked up once here.
    explicit WinAnsiCodePage(unsigned codePage = 0);
    std::string ToUtf8(const std::string& ansi) const override;
    bool FromUtf8(const std::string& utf8, std::string& ansi) const override;
    unsigned CodePage() const { return m_codePage; }

  private:
    unsigned m_codePage;
};

// Whether the system can convert code page N (for the cli's --codepage).
bool IsInstalledCodePage(unsigned codePage);
