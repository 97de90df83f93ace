#pragma once
// How services below the window system reach a window: the window system
// registers its thread-safe post when it starts, and sound devices post
// their notifications through it.
#include "core/WindowTypes.h"

namespace core {

using MessagePoster = void (*)(win::HWND, win::UINT, win::WPARAM, win::LPARAM);

// Set once by the window system; null takes it away.
void setMessagePoster(MessagePoster poster);
// Posts through the registered poster; dropped when none is registered.
void postWindowMessage(win::HWND window, win::UINT message, win::WPARAM wParam,
                       win::LPARAM lParam);

}  // namespace core
