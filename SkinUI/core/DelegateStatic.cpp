#include "SkinUI/core/DelegateStatic.h"

namespace SkinUI {

CDelegateStatic::CDelegateStatic(Fn pFn) : CDelegateBase(nullptr, reinterpret_cast<void*>(pFn)) {}

CDelegateStatic::CDelegateStatic(const CDelegateStatic& rhs) : CDelegateBase(rhs) {}

CDelegateBase* CDelegateStatic::Clone() const
{
    return new CDelegateStatic(*this);
}

bool CDelegateStatic::Call(void* param)
{
    Fn pFn = reinterpret_cast<Fn>(GetFn());
    return pFn(param);
}

} // namespace SkinUI
