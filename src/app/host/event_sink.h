// The host page's handlers of the control's events: a sink connected to the
// control's event connection point that prints each event as it arrives
// ("event OnKeyPress 65"), leaving a key's code as it is.
#pragma once

#include "control/com/unknown.h"

namespace pellora::host {

class EventSink final : public com::IDispatch {
 public:
  // The control's event interface, as its type library names it.
  static const com::IID& eventsIid();

  com::HRESULT QueryInterface(com::REFIID riid, void** ppv) override;
  // The host owns the sink and outlives the connection: no counting.
  com::ULONG AddRef() override { return 2; }
  com::ULONG Release() override { return 1; }
  com::HRESULT GetTypeInfoCount(std::uint32_t* pctinfo) override;
  com::HRESULT GetTypeInfo(std::uint32_t, com::LCID, com::ITypeInfo** ppTInfo) override;
  com::HRESULT GetIDsOfNames(com::REFIID, com::LPOLESTR*, std::uint32_t, com::LCID,
                             com::DISPID*) override;
  com::HRESULT Invoke(com::DISPID dispIdMember, com::REFIID, com::LCID, com::WORD,
                      com::DISPPARAMS* pDispParams, com::VARIANT*, com::EXCEPINFO*,
                      std::uint32_t*) override;
};

}  // namespace pellora::host
