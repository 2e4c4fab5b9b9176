// A number of bytes shared out among client addresses: all of them together
// hold at most the total, one address at most its own part of it, so one
// client cannot take all of it from the others. Shares are taken on the
// server's loop and given back wherever the request holding them ends (a
// worker), so the counts are locked; a share keeps them alive on its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

namespace pellora::tessaron {

class Budget {
  struct Counts;

 public:
  Budget(std::size_t total, std::size_t perAddress);

  // What one request holds; given back when it goes.
  class Share {
   public:
    Share() = default;
    Share(Share&& other) noexcept;
    Share& operator=(Share&& other) noexcept;
    Share(const Share&) = delete;
    Share& operator=(const Share&) = delete;
    ~Share() { release(); }

    // Takes `bytes` more; false, taking nothing, when that would exceed the
    // total or the address's part.
    bool grow(std::size_t bytes);
    std::size_t bytes() const { return bytes_; }

   private:
    friend class Budget;
    Share(std::shared_ptr<Counts> counts, std::uint32_t address)
        : counts_(std::move(counts)), address_(address) {}
    void release();

    std::shared_ptr<Counts> counts_;
    std::uint32_t address_ = 0;
    std::size_t bytes_ = 0;
  };

  // An empty share for `address`, to grow as its request needs.
  Share share(std::uint32_t address) { return Share(counts_, address); }
  // What all shares hold now.
  std::size_t held() const;

 private:
  struct Counts {
    std::mutex mutex;
    std::size_t total, perAddress, held = 0;
    std::map<std::uint32_t, std::size_t> byAddress;
  };
  std::shared_ptr<Counts> counts_;
};

}  // namespace pellora::tessaron
