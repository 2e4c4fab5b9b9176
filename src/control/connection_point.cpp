#include "control/connection_point.h"

namespace pellora {

ConnectionPoint::ConnectionPoint(IConnectionPointContainer& container, const IID& iid,
                                 std::size_t maxSinks, std::function<void(IUnknown*)> onChange)
    : container_(container), iid_(iid), maxSinks_(maxSinks), onChange_(std::move(onChange)) {}

ConnectionPoint::~ConnectionPoint() { disconnectAll(); }

HRESULT ConnectionPoint::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
    *ppv = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* pIID) {
  if (!pIID) return E_POINTER;
  *pIID = iid_;
  return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** ppCPC) {
  if (!ppCPC) return E_POINTER;
  *ppCPC = &container_;
  container_.AddRef();
  return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* pUnkSink, std::uint32_t* pdwCookie) {
  if (pdwCookie) *pdwCookie = 0;
  if (!pUnkSink || !pdwCookie) return E_POINTER;
  if (sinks_.size() >= maxSinks_) return CONNECT_E_ADVISELIMIT;
  void* typed = nullptr;
  if (FAILED(pUnkSink->QueryInterface(iid_, &typed)) || !typed) return CONNECT_E_CANNOTCONNECT;
  auto* sink = static_cast<IUnknown*>(typed);
  sinks_.push_back({nextCookie_, sink});
  *pdwCookie = nextCookie_++;
  if (onChange_) onChange_(sink);
  return S_OK;
}

HRESULT ConnectionPoint::Unadvise(std::uint32_t dwCookie) {
  for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
    if (it->cookie != dwCookie) continue;
    IUnknown* sink = it->unknown;
    sinks_.erase(it);
    if (onChange_) onChange_(nullptr);
    sink->Release();
    return S_OK;
  }
  return CONNECT_E_NOCONNECTION;
}

HRESULT ConnectionPoint::EnumConnections(void** ppEnum) {
  if (ppEnum) *ppEnum = nullptr;
  return E_NOTIMPL;
}

void ConnectionPoint::disconnectAll() {
  auto sinks = std::move(sinks_);
  sinks_.clear();
  if (!sinks.empty() && onChange_) onChange_(nullptr);
  for (auto& sink : sinks) sink.unknown->Release();
}

}  // namespace pellora
