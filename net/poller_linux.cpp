#include "net/poller_linux.h"

#include <cerrno>

namespace board {
namespace {

epoll_event EventFor(unsigned interest, std::uint64_t tag) {
  epoll_event event{};
  if ((interest & kWatchReadable) != 0) event.events |= EPOLLIN | EPOLLRDHUP;
  if ((interest & kWatchWritable) != 0) event.events |= EPOLLOUT;
  event.data.u64 = tag;
  return event;
}

Readiness Decode(const epoll_event& event) {
  Readiness ready;
  ready.tag = event.data.u64;
  ready.readable = (event.events & EPOLLIN) != 0;
  ready.writable = (event.events & EPOLLOUT) != 0;
  ready.peerClosed = (event.events & (EPOLLRDHUP | EPOLLHUP)) != 0;
  ready.failed = (event.events & EPOLLERR) != 0;
  return ready;
}

}  // namespace

Poller::Poller() : epoll_(::epoll_create1(EPOLL_CLOEXEC)) {}

bool Poller::Watch(int fd, unsigned interest, std::uint64_t tag) {
  epoll_event event = EventFor(interest, tag);
  return ::epoll_ctl(epoll_.Get(), EPOLL_CTL_ADD, fd, &event) == 0;
}

bool Poller::Change(int fd, unsigned interest, std::uint64_t tag) {
  epoll_event event = EventFor(interest, tag);
  return ::epoll_ctl(epoll_.Get(), EPOLL_CTL_MOD, fd, &event) == 0;
}

void Poller::Forget(int fd) {
  // Hang-ups are reported even for an empty interest set, so a descriptor
  // that must stay quiet has to leave the set altogether.
  ::epoll_ctl(epoll_.Get(), EPOLL_CTL_DEL, fd, nullptr);
}

std::span<const Readiness> Poller::TakeReady() {
  int count = 0;
  do {
    count = ::epoll_wait(epoll_.Get(), raw_.data(), kMaxPerTurn, 0);
  } while (count < 0 && errno == EINTR);
  if (count <= 0) return {};
  for (int i = 0; i < count; ++i) ready_[i] = Decode(raw_[i]);
  return {ready_.data(), static_cast<std::size_t>(count)};
}

}  // namespace board
