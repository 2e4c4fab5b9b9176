// A connection point of the control: a list of sinks of one interface, with
// a limit on how many may connect. Its reference count is the container's.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "control/com/unknown.h"

namespace pellora {

using namespace com;  // NOLINT

class ConnectionPoint final : public IConnectionPoint {
 public:
  // `onChange` runs with the new sink after Advise and with nullptr after
  // Unadvise (for single-sink points).
  ConnectionPoint(IConnectionPointContainer& container, const IID& iid, std::size_t maxSinks,
                  std::function<void(IUnknown*)> onChange = {});
  ~ConnectionPoint();
  ConnectionPoint(const ConnectionPoint&) = delete;
  ConnectionPoint& operator=(const ConnectionPoint&) = delete;

  HRESULT QueryInterface(REFIID riid, void** ppv) override;
  ULONG AddRef() override { return container_.AddRef(); }
  ULONG Release() override { return container_.Release(); }

  HRESULT GetConnectionInterface(IID* pIID) override;
  HRESULT GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
  HRESULT Advise(IUnknown* pUnkSink, std::uint32_t* pdwCookie) override;
  HRESULT Unadvise(std::uint32_t dwCookie) override;
  // Enumeration is not offered.
  HRESULT EnumConnections(void** ppEnum) override;

  const IID& iid() const { return iid_; }
  std::size_t sinkCount() const { return sinks_.size(); }
  // Releases every sink (when the control goes away).
  void disconnectAll();

 private:
  struct Sink {
    std::uint32_t cookie;
    IUnknown* unknown;  // holds one reference to the sink's `iid_` interface
  };
  IConnectionPointContainer& container_;
  IID iid_;
  std::size_t maxSinks_;
  std::function<void(IUnknown*)> onChange_;
  std::vector<Sink> sinks_;
  std::uint32_t nextCookie_ = 1;
};

}  // namespace pellora
