// What kind of list is open; the list files, the protected list file and the delivery all need it.
#pragma once

// A protected plain list has a kind of its own; a protected login list is a login list (whose file is
// the protected login file) in every respect but its file.
enum ListKind { kPlainList = 0, kLoginList = 1, kEncryptedList = 2, kProtectedList = 3 };
