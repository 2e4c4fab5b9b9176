#include "app/host/event_sink.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace pellora::host {

using namespace com;

namespace {

const char* eventName(DISPID id) {
  switch (id) {
    case 1:
      return "OnActivate";
    case 2:
      return "OnClick";
    case 3:
      return "OnCreate";
    case 5:
      return "OnDblClick";
    case 6:
      return "OnDestroy";
    case 7:
      return "OnDeactivate";
    case 11:
      return "OnKeyPress";
    case 16:
      return "OnPaint";
    default:
      return nullptr;
  }
}

}  // namespace

std::optional<EventFilter> EventFilter::fromOption(const std::string& option) {
  constexpr std::string_view kOption = "--events";
  if (option == kOption) {
    EventFilter filter;
    filter.all_ = true;
    return filter;
  }
  if (option.rfind(std::string(kOption) + "=", 0) != 0) return std::nullopt;
  EventFilter filter;
  const std::string list = option.substr(kOption.size() + 1);
  for (std::size_t at = 0; at <= list.size();) {
    std::size_t end = list.find(',', at);
    if (end == std::string::npos) end = list.size();
    if (end > at) filter.names_.push_back(list.substr(at, end - at));
    at = end + 1;
  }
  return filter;
}

bool EventFilter::prints(const char* name) const {
  if (all_) return true;
  return name && std::find(names_.begin(), names_.end(), name) != names_.end();
}

const IID& EventSink::eventsIid() {
  static const IID iid = [] {
    IID parsed{};
    guidFromString("{22F0C87A-580F-4D78-97A7-6D84968FFD92}", parsed);
    return parsed;
  }();
  return iid;
}

HRESULT EventSink::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == eventsIid()) {
    *ppv = static_cast<IDispatch*>(this);
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

HRESULT EventSink::GetTypeInfoCount(std::uint32_t* pctinfo) {
  if (pctinfo) *pctinfo = 0;
  return S_OK;
}

HRESULT EventSink::GetTypeInfo(std::uint32_t, LCID, ITypeInfo** ppTInfo) {
  if (ppTInfo) *ppTInfo = nullptr;
  return E_NOTIMPL;
}

HRESULT EventSink::GetIDsOfNames(REFIID, LPOLESTR*, std::uint32_t, LCID, DISPID*) {
  return E_NOTIMPL;
}

HRESULT EventSink::Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS* pDispParams,
                          VARIANT*, EXCEPINFO*, std::uint32_t*) {
  const char* name = eventName(dispIdMember);
  if (!filter_.prints(name)) return S_OK;
  if (name)
    std::printf("  event %s", name);
  else
    std::printf("  event %d", static_cast<int>(dispIdMember));
  for (std::uint32_t i = 0; pDispParams && i < pDispParams->cArgs; ++i) {
    const VARIANT& arg = pDispParams->rgvarg[i];
    if (arg.vt == (VT_I2 | VT_BYREF) && arg.piVal)
      std::printf(" %d", *arg.piVal);
    else if (arg.vt == VT_I2)
      std::printf(" %d", arg.iVal);
  }
  std::printf("\n");
  std::fflush(stdout);
  return S_OK;
}

}  // namespace pellora::host
