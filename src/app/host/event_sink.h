// The host page's handlers of the control's events: a sink connected to the
// control's event connection point that prints the events it is asked to
// as they arrive ("event OnKeyPress 65"), leaving a key's code as it is.
// A redraw raises OnPaint every time, so by default none is printed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "control/com/unknown.h"

namespace pellora::host {

// Which events the sink prints.
class EventFilter {
 public:
  // None (the default).
  EventFilter() = default;
  // `--events` prints every event, `--events=OnKeyPress,OnClick` those
  // named; nullopt when `option` is no events option.
  static std::optional<EventFilter> fromOption(const std::string& option);

  bool prints(const char* name) const;

 private:
  bool all_ = false;
  std::vector<std::string> names_;
};

class EventSink final : public com::IDispatch {
 public:
  explicit EventSink(EventFilter filter = {}) : filter_(std::move(filter)) {}

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

 private:
  EventFilter filter_;
};

}  // namespace pellora::host
