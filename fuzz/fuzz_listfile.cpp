// Any bytes as a plain list, a login list or a CSV export of logins: read without touching anything outside
// its buffers; a list once written, read and written again unchanged keeps its bytes.
#include "list/CsvImport.h"
#include "list/ListText.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (ListKind kind : {kPlainList, kLoginList}) {
        ListFile read = ParseListFile(bytes, kind, Windows1252());
        EncodedText written = BuildListFile(read.entries, kind, read.encoding, Windows1252());
        ListFile again = ParseListFile(written.bytes, kind, Windows1252());
        EncodedText rewritten = BuildListFile(again.entries, kind, again.encoding, Windows1252());
        if (rewritten.bytes != written.bytes)
            std::abort();
    }
    LoginCsv csv = ReadLoginCsv(bytes, Windows1252());
    std::vector<ListEntry> list;
    size_t imported = AppendLogins(list, csv);
    ImportSummary(csv, imported);
    return 0;
}
