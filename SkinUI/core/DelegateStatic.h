// A delegate around a free function.
#pragma once

#include "SkinUI/core/DelegateBase.h"

namespace SkinUI {

class CDelegateStatic : public CDelegateBase {
public:
    typedef bool (*Fn)(void*);

    explicit CDelegateStatic(Fn pFn);
    CDelegateStatic(const CDelegateStatic& rhs);

    CDelegateBase* Clone() const override;

protected:
    bool Call(void* param) override;
};

} // namespace SkinUI
