// Joining copied entries.
#include "deliver/CopyText.h"

namespace {
// UTF-16 units of a UTF-8 text: one per lead byte, two for a four-byte character.
size_t Utf16Units(const std::string& text) {
    size_t units = 0;
    for (char c : text) {
        unsigned char b = static_cast<unsigned char>(c);
        units += (b & 0xC0) != 0x80 ? 1 : 0;
        units += b >= 0xF0 ? 1 : 0;
    }
    return units;
}
} // namespace

std::string ClipboardCopyText(const std::vector<std::string>& texts, int separatorMode) {
    const char* separator = separatorMode == 2 ? "\t" : "\r\n";
    size_t size = 0;
    for (const std::string& text : texts)
        size += text.size() + 2;
    std::string out;
    out.reserve(size); // grown once: the texts may be secrets, and a regrown string leaves a copy behind
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i > 0)
            out += separator;
        out += texts[i];
    }
    return out;
}

size_t ClipboardBlockUnits(const std::vector<std::string>& texts) {
    size_t units = 1;
    for (const std::string& text : texts)
        units += Utf16Units(text) + 2;
    return units;
}
