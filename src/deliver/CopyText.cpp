// Joining copied entries.
#include "deliver/CopyText.h"

std::string ClipboardCopyText(const std::vector<std::string>& texts, int separatorMode) {
    const char* separator = separatorMode == 2 ? "\t" : "\r\n";
    std::string out;
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i > 0)
            out += separator;
        out += texts[i];
    }
    return out;
}

size_t ClipboardBlockSize(const std::vector<std::string>& texts) {
    size_t size = 1;
    for (const std::string& text : texts)
        size += text.size() + 2;
    return size;
}
