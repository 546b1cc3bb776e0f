// The system's case-insensitive comparison of encrypted lists' passwords.
#pragma once
#include "crypt/PasswordLine.h"

// Compares the texts decoded from a code page as lstrcmpi does: the thread's locale, case ignored.
class WinPasswordCase : public PasswordCase {
  public:
    explicit WinPasswordCase(unsigned codePage);
    bool Same(const std::string& stored, const std::string& typed) const override;

  private:
    unsigned m_codePage;
};

// The program's passwords, which are UTF-8 inside it.
const PasswordCase& SystemPasswordCase();
