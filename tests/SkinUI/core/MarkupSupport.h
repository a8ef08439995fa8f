// Helpers shared by the markup reader's tests: a compact dump of a loaded
// tree and loaders that report the error texts.
#pragma once

#include "SkinUI/core/Markup.h"

#include <string>

namespace markup_test {

// Name[attr=value,...]{text}(children...) with siblings separated by ";".
inline std::wstring Dump(SkinUI::CMarkupNode node)
{
    std::wstring out;
    for (bool first = true; node.IsValid(); node = node.GetSibling(), first = false) {
        if (!first)
            out += L";";
        out += node.GetName();
        if (node.HasAttributes()) {
            out += L"[";
            for (int i = 0; i < node.GetAttributeCount(); ++i) {
                if (i > 0)
                    out += L",";
                out += node.GetAttributeName(i);
                out += L"=";
                out += node.GetAttributeValue(i);
            }
            out += L"]";
        }
        if (node.GetValue()[0] != L'\0') {
            out += L"{";
            out += node.GetValue();
            out += L"}";
        }
        if (node.HasChildren())
            out += L"(" + Dump(node.GetChild()) + L")";
    }
    return out;
}

inline std::wstring ErrorMessage(const SkinUI::CMarkup& markup)
{
    WCHAR text[100] = {};
    markup.GetLastErrorMessage(text, 100);
    return text;
}

inline std::wstring ErrorLocation(const SkinUI::CMarkup& markup)
{
    WCHAR text[50] = {};
    markup.GetLastErrorLocation(text, 50);
    return text;
}

} // namespace markup_test
