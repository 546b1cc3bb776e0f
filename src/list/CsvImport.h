// Logins from the CSV files that browsers and password managers export: reading such a file into login
// entries, appending them to a login list, and the summary that says what was kept and what was not.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "list/ListText.h"
#include "list/TextEncoding.h"

// Why a row was not imported; each is counted and named in the summary.
enum class SkipReason { NotALogin, LineBreak, Star, Empty, AlreadyThere, Count };

struct LoginCsv {
    bool understood = false;       // the header named a login and a password column
    std::string refusal;           // one line saying why not, when not understood
    std::vector<ListEntry> logins; // site label, login, password of the rows kept, in file order
    size_t skipped[size_t(SkipReason::Count)] = {};
    size_t totpSecrets = 0; // rows that held a one-time-code secret, which a login list cannot keep

    LoginCsv() = default;
    LoginCsv(LoginCsv&&) = default;
    LoginCsv& operator=(LoginCsv&&) = default;
    ~LoginCsv(); // wipes the logins
};

// Reads a whole CSV file: UTF-8 with or without its mark, UTF-16 with its mark, anything else in the ANSI
// code page; commas, or semicolons when the header splits on them only. Rows that a login list cannot
// hold are counted, never changed.
LoginCsv ReadLoginCsv(const std::string& bytes, const AnsiCodePage& codePage);

// Appends the logins that list does not hold yet (same site label, login and password) after its entries,
// counting the others as already there. Returns how many were appended.
size_t AppendLogins(std::vector<ListEntry>& list, LoginCsv& csv);

// "imported N, skipped M (reason: count, ...)", and "; K one-time-code (TOTP) secrets not imported" when
// the file held any.
std::string ImportSummary(const LoginCsv& csv, size_t imported);
