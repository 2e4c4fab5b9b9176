// Covered by tests/app/tessaron_server_upload_test.cpp (BodyIntake*).
#include "app/tessaron_server/budget.h"

#include <utility>

namespace pellora::tessaron {

Budget::Budget(std::size_t total, std::size_t perAddress) : counts_(std::make_shared<Counts>()) {
  counts_->total = total;
  counts_->perAddress = perAddress;
}

std::size_t Budget::held() const {
  std::lock_guard lock(counts_->mutex);
  return counts_->held;
}

Budget::Share::Share(Share&& other) noexcept
    : counts_(std::move(other.counts_)),
      address_(other.address_),
      bytes_(std::exchange(other.bytes_, 0)) {}

Budget::Share& Budget::Share::operator=(Share&& other) noexcept {
  if (this != &other) {
    release();
    counts_ = std::move(other.counts_);
    address_ = other.address_;
    bytes_ = std::exchange(other.bytes_, 0);
  }
  return *this;
}

bool Budget::Share::grow(std::size_t bytes) {
  if (!counts_) return false;
  Counts& counts = *counts_;
  std::lock_guard lock(counts.mutex);
  std::size_t& mine = counts.byAddress[address_];
  if (bytes > counts.total - counts.held || bytes > counts.perAddress - mine) {
    if (mine == 0) counts.byAddress.erase(address_);
    return false;
  }
  mine += bytes;
  counts.held += bytes;
  bytes_ += bytes;
  return true;
}

void Budget::Share::release() {
  if (!counts_ || bytes_ == 0) return;
  Counts& counts = *counts_;
  std::lock_guard lock(counts.mutex);
  counts.held -= bytes_;
  const auto it = counts.byAddress.find(address_);
  if (it != counts.byAddress.end() && (it->second -= bytes_) == 0) counts.byAddress.erase(it);
  bytes_ = 0;
}

}  // namespace pellora::tessaron
