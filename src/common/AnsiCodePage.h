// The ANSI code page a list file or a name field is written in.
#pragma once
#include <string>

// One ANSI code page. The program plugs in the system's (Win32), the tests and the cli Windows-1252.
class AnsiCodePage {
  public:
    virtual ~AnsiCodePage() = default;
    // The result is valid UTF-8; a byte the code page has no character for reads as U+FFFD.
    virtual std::string ToUtf8(const std::string& ansi) const = 0;
    // false when some character has no byte form of its own here (no best-fit look-alikes, no '?').
    virtual bool FromUtf8(const std::string& utf8, std::string& ansi) const = 0;
};
