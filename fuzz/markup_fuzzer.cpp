// Feeds arbitrary bytes to the markup reader. The first byte picks the
// encoding (UTF-8, UTF-16, ANSI); the rest is the document. A loaded
// document is walked completely, attributes included, so that every view
// into the rewritten text is read.
#include "SkinUI/core/Markup.h"

#include <cstddef>
#include <cstdint>

namespace {

// Every character read ends up here, so no read is optimised away.
size_t g_sink = 0;

void Walk(SkinUI::CMarkupNode node, int depth)
{
    // Siblings are walked in a loop and children by recursion; the depth
    // bound keeps the walk itself from exhausting the stack.
    for (; node.IsValid(); node = node.GetSibling()) {
        for (LPCWSTR p = node.GetName(); *p; ++p)
            g_sink += static_cast<size_t>(*p);
        for (LPCWSTR p = node.GetValue(); *p; ++p)
            g_sink += static_cast<size_t>(*p);
        int count = node.GetAttributeCount();
        for (int i = 0; i < count; ++i) {
            for (LPCWSTR p = node.GetAttributeName(i); *p; ++p)
                g_sink += static_cast<size_t>(*p);
            for (LPCWSTR p = node.GetAttributeValue(i); *p; ++p)
                g_sink += static_cast<size_t>(*p);
            node.GetAttributeValue(node.GetAttributeName(i));
        }
        if (depth < 200)
            Walk(node.GetChild(), depth + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    int encoding = data[0] % 3;
    SkinUI::CMarkup markup;
    if (markup.LoadFromMem(data + 1, static_cast<DWORD>(size - 1), encoding)) {
        Walk(markup.GetRoot(), 0);
    } else {
        WCHAR message[100];
        WCHAR location[50];
        markup.GetLastErrorMessage(message, 100);
        markup.GetLastErrorLocation(location, 50);
    }
    return 0;
}
