// The password line that starts an encrypted list's text, and how a typed password is matched against it.
#pragma once
#include <cstddef>
#include <string>

// Opening a file asks for its password once; a new password is asked twice. A protected list's password
// is longer and is taken exactly as typed.
enum class PasswordMode { Open, NewPassword, OpenProtected, NewProtected };

// The text an encrypted list stores: the password, CR LF, then the list text.
std::string ComposePasswordLine(const std::string& password, const std::string& listText);

struct PasswordLine {
    std::string password; // the stored password: the text up to the first CR, LF or NUL
    size_t entriesOffset; // where the entries start, never past the end of the text
};
PasswordLine SplitPasswordLine(const std::string& text);

// Passwords match without regard to case: in UTF-8 the letters of the Latin, Greek and Cyrillic alphabets,
// in any other bytes (an old list's ANSI text) ASCII and the accented letters of Windows-1252.
bool PasswordsMatch(const std::string& stored, const std::string& typed);

// How an encrypted list's password is matched ignoring case. The program and the Windows cli plug in the
// system's own comparison (PasswordCaseWin); elsewhere the fold of PasswordsMatch stands in for it.
class PasswordCase {
  public:
    virtual ~PasswordCase() = default;
    virtual bool Same(const std::string& stored, const std::string& typed) const = 0;
};
const PasswordCase& PortablePasswordCase();

// The most characters the password dialog admits, counted as the dialog counts them (UTF-16 units).
constexpr size_t kMaxEncryptedPassword = 10;
constexpr size_t kMaxProtectedPassword = 128;

// A password's length in UTF-16 units: valid UTF-8 by its characters, other bytes one unit each.
size_t PasswordUnits(const std::string& password);
