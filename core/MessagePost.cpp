#include "core/MessagePost.h"

#include <atomic>

namespace core {

namespace {
std::atomic<MessagePoster> registeredPoster{nullptr};
}  // namespace

void setMessagePoster(MessagePoster poster) { registeredPoster.store(poster); }

void postWindowMessage(win::HWND window, win::UINT message, win::WPARAM wParam,
                       win::LPARAM lParam) {
    if (MessagePoster poster = registeredPoster.load()) poster(window, message, wParam, lParam);
}

}  // namespace core
