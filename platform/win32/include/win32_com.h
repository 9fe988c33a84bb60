// Stand-in extra: the reference counting that the stand-ins' COM objects share.
#pragma once
#include <windows.h>

template <class Interface> class ComObject : public Interface {
  public:
    HRESULT QueryInterface(REFIID, void** object) override {
        if (object) *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

  protected:
    ULONG refs_ = 1;
};
