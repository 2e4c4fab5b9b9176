// Where the bodies of requests go while they arrive, for all connections of
// one server. A small body goes into memory, within a budget all requests in
// flight share; a large one, or one the memory budget has no room for, into
// a spool file, within a budget of disk bytes; a body there is no room for
// at all is refused. An upload to the script is screened as it arrives, so
// one without the right token is refused before its file is taken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/tessaron_server/budget.h"
#include "app/tessaron_server/http_request.h"
#include "app/tessaron_server/site.h"
#include "app/tessaron_server/spool_file.h"
#include "app/tessaron_server/upload_check.h"

namespace pellora::tessaron {

struct IntakeSettings {
  std::size_t spoolAbove = 1 << 20;     // larger bodies go to a file
  std::size_t memoryBudget = 64 << 20;  // for bodies in memory, all together
  std::size_t diskBudget = 1 << 30;     // for spooled bodies, all together
  // Of each budget, one client address may hold this fraction at most.
  std::size_t addressShareDivisor = 4;
  std::filesystem::path spoolFolder;  // empty: the system's temporary folder
};

// The body of one request while it arrives.
class IncomingBody {
 public:
  // A body in memory that holds no share of any budget.
  IncomingBody(std::size_t announced, std::optional<UploadCheck> check);

  void keepInMemory(Budget::Share share) { share_ = std::move(share); }
  void spoolTo(SpoolFile file, Budget::Share share);
  bool spooled() const { return file_.has_value(); }

  // Adds the next bytes; false when there is no room for them (the spool's
  // budget is used up or its file could not be written).
  bool append(std::string_view bytes);
  // The text to refuse the request with, once that is certain.
  const std::optional<std::string>& refusal() const { return refusal_; }
  // Hands the whole body over to `request`.
  void deliver(HttpRequest& request) &&;

 private:
  std::size_t announced_;
  std::optional<UploadCheck> check_;
  std::optional<std::string> refusal_;
  std::string memory_;
  std::optional<SpoolFile> file_;
  Budget::Share share_;
};

class BodyIntake {
 public:
  BodyIntake(const IntakeSettings& settings, SiteConfig site);

  // Where the body of `head`, `bytes` long, from `address` goes; null when
  // there is no room for it.
  std::unique_ptr<IncomingBody> receive(std::uint32_t address, const HttpRequest& head,
                                        std::size_t bytes);

  const Budget& memory() const { return memory_; }
  const Budget& disk() const { return disk_; }

 private:
  std::optional<UploadCheck> checkFor(const HttpRequest& head) const;

  std::size_t spoolAbove_;
  Budget memory_, disk_;
  std::filesystem::path folder_;
  SiteConfig site_;
};

// The text of the 503 answer to a request whose body there is no room for.
inline constexpr std::string_view kNoRoomText =
    "503 Service Unavailable: the server has no room for this request's body now; "
    "try again later.\n";

}  // namespace pellora::tessaron
