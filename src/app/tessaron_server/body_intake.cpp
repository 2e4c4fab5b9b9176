// Covered by tests/app/tessaron_server_upload_test.cpp (BodyIntake*) and
// tests/app/tessaron_server_large_body_test.cpp.
#include "app/tessaron_server/body_intake.h"

#include "app/tessaron_server/multipart.h"
#include "app/tessaron_server/request_body.h"
#include "app/tessaron_server/routes.h"

namespace pellora::tessaron {

namespace {

// A body is given room for its announced length only once this much of it
// has come, so a client that announces much and sends little holds little.
constexpr std::size_t kReserveAfter = 1 << 20;

}  // namespace

IncomingBody::IncomingBody(std::size_t announced, std::optional<UploadCheck> check)
    : announced_(announced), check_(std::move(check)) {}

void IncomingBody::spoolTo(SpoolFile file, Budget::Share share) {
  file_ = std::move(file);
  share_ = std::move(share);
}

bool IncomingBody::append(std::string_view bytes) {
  if (check_ && !refusal_) refusal_ = check_->look(bytes);
  if (file_) return share_.grow(bytes.size()) && file_->append(bytes);
  if (memory_.size() + bytes.size() > memory_.capacity() &&
      memory_.size() + bytes.size() > kReserveAfter) {
    // Growing by doubling would hold the old and the new copy at once, up
    // to twice the body; once the body is really coming, take room for
    // all of it instead.
    memory_.reserve(announced_);
  }
  memory_.append(bytes);
  return true;
}

void IncomingBody::deliver(HttpRequest& request) && {
  request.body = std::move(memory_);
  if (file_ || share_.bytes() > 0) {
    request.holding = std::make_shared<const BodyHolding>(std::move(file_), std::move(share_));
  }
}

BodyIntake::BodyIntake(const IntakeSettings& settings, SiteConfig site)
    : spoolAbove_(settings.spoolAbove),
      memory_(settings.memoryBudget, settings.memoryBudget / settings.addressShareDivisor),
      disk_(settings.diskBudget, settings.diskBudget / settings.addressShareDivisor),
      folder_(settings.spoolFolder.empty() ? SpoolFile::defaultFolder() : settings.spoolFolder),
      site_(std::move(site)) {}

std::optional<UploadCheck> BodyIntake::checkFor(const HttpRequest& head) const {
  if (head.method != "POST" ||
      routeTarget(head.target, site_.basePath).kind != Route::Kind::EditScript) {
    return std::nullopt;
  }
  const auto boundary = multipartBoundary(head.header("Content-Type").value_or(""));
  if (!boundary) return std::nullopt;
  return UploadCheck(*boundary, site_.token);
}

std::unique_ptr<IncomingBody> BodyIntake::receive(std::uint32_t address, const HttpRequest& head,
                                                  std::size_t bytes) {
  auto body = std::make_unique<IncomingBody>(bytes, checkFor(head));
  if (bytes <= spoolAbove_) {
    Budget::Share share = memory_.share(address);
    if (share.grow(bytes)) {
      body->keepInMemory(std::move(share));
      return body;
    }
  }
  auto file = SpoolFile::create(folder_);
  if (!file) return nullptr;
  body->spoolTo(std::move(*file), disk_.share(address));
  return body;
}

}  // namespace pellora::tessaron
